// Drawing of the three kinds: text layout and colour through the painter, still images with
// their key colours, PNG alpha, opacity, scaling and mirroring, GIF frames with their timing
// and transparency, and files that cannot be used.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ObjectFixtures.h"
#include "anim/AnimEngine.h"
#include "anim/GifObject.h"
#include "anim/ImageObject.h"
#include "anim/ObjectDrawing.h"
#include "anim/TextObject.h"
#include "scene/TextCodec.h"
#include "AnimFixtures.h"

namespace kx {
namespace {

using testing::Keys;
using testing::Section;

constexpr uint32_t kBackground = 0xFF102030;

// ---- Text ----

class TextDrawingTest : public ::testing::Test {
 protected:
  // A text object with `lines` drawn into a frame of w x h.
  testing::RecordingPainter::Call DrawText(const std::string& lines, const Keys& more, int w, int h) {
    TAnimObjects objects(testing::HandDriven(clock_, &painter_));
    Keys keys = {{"ObjType", "TXT"}, {"Text", EncodeObjectText(lines)}};
    keys.insert(keys.end(), more.begin(), more.end());
    objects.LoadFromText(Section(0, keys));
    TAnimObject& text = objects.Item(0);
    text.DesignWidth = w;
    text.DesignHeight = h;
    text.FrameRect = {0, 0, w, h};
    text.Start();
    Bitmap32 frame(w, h, kBackground);
    painter_.calls.clear();
    text.Draw(frame);
    EXPECT_EQ(painter_.calls.size(), 1u);
    return painter_.calls.empty() ? testing::RecordingPainter::Call{} : painter_.calls[0];
  }

  test::FakeClock clock_;
  testing::RecordingPainter painter_;
};

TEST_F(TextDrawingTest, ColourFaceAndSizeFollowTheKeysAndTheFrameHeight) {
  const auto call = DrawText("Hi", {{"TextColor", "3394815"}, {"Font", "Liberation Serif"}}, 1024, 768);
  EXPECT_EQ(call.rgb, 0xFFCC33u);  // red 255, green 204, blue 51
  EXPECT_EQ(call.alpha, 255);
  EXPECT_EQ(call.face, "Liberation Serif");
  EXPECT_EQ(call.pixelSize, 27);  // 20 points at 96 dots per inch

  EXPECT_EQ(TextPointSize(20, 768), 20);
  EXPECT_EQ(TextLineStep(20, 768), 22);
  EXPECT_EQ(TextPointSize(20, 1024), 27);  // round(26.67)
  EXPECT_EQ(TextLineStep(27, 1024), 30);
  const auto tall = DrawText("a\r\nb", {}, 800, 1024);
  ASSERT_EQ(tall.lines.size(), 2u);
  EXPECT_EQ(tall.lines[1].Top - tall.lines[0].Top, 30);
  EXPECT_EQ(tall.pixelSize, 36);  // 27 points
}

TEST_F(TextDrawingTest, TheNineAnchors) {
  // Two lines, "abc" (30 pixels in the recording painter) and "abcdef" (60), on 1024 x 768:
  // step 22, block height 44.
  const struct {
    int position;
    int firstLeft, secondLeft;
    int firstTop;
  } cases[] = {
      {0, 497, 482, 15},  {1, 497, 482, 709}, {2, 497, 482, 362}, {3, 15, 15, 362},  {4, 979, 949, 362},
      {5, 15, 15, 15},    {6, 979, 949, 15},  {7, 15, 15, 709},   {8, 979, 949, 709}, {9, 497, 482, 15},
  };
  for (const auto& c : cases) {
    const auto call = DrawText("abc\r\nabcdef", {{"Position", std::to_string(c.position)}}, 1024, 768);
    ASSERT_EQ(call.lines.size(), 2u) << c.position;
    EXPECT_EQ(call.lines[0].Left, c.firstLeft) << c.position;
    EXPECT_EQ(call.lines[1].Left, c.secondLeft) << c.position;
    EXPECT_EQ(call.lines[0].Top, c.firstTop) << c.position;
    EXPECT_EQ(call.lines[1].Top, c.firstTop + 22) << c.position;
    EXPECT_EQ(call.lines[1].Text, "abcdef");
  }
  // The last line of a two-line text at the bottom right starts at 768 - 2 x 22 - 15 + 22.
  EXPECT_EQ(DrawText("x\r\ny", {{"Position", "8"}}, 1024, 768).lines[1].Top, 731);
}

TEST_F(TextDrawingTest, TheFadesReachThePainterAndHiddenTextIsNotDrawn) {
  TAnimObjects objects(testing::HandDriven(clock_, &painter_));
  objects.LoadFromText(Section(0, {{"ObjType", "TXT"}, {"Text", EncodeObjectText("fade")}, {"AppearEffect", "1"},
                                   {"AppearEffectDur", "2"}, {"DisplaySec", "1"}}));
  TAnimObject& text = objects.Item(0);
  text.DesignWidth = 320;
  text.DesignHeight = 240;
  text.FrameRect = {0, 0, 320, 240};
  text.Start();
  Bitmap32 frame(320, 240, kBackground);
  text.Draw(frame);
  EXPECT_TRUE(painter_.calls.empty());  // not shown before its DisplaySec
  clock_.now += 2000;                   // 1 s into its appear fade
  text.Step();
  text.Draw(frame);
  ASSERT_EQ(painter_.calls.size(), 1u);
  EXPECT_EQ(painter_.calls[0].alpha, 128);
  // Lines split at CR LF, CR and LF; a final break adds no line.
  EXPECT_EQ(SplitTextLines("a\r\nb\rc\nd\r\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitTextLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
}

// ---- Still images ----

class ImageDrawingTest : public ::testing::Test {
 protected:
  // An image object for `file` with `more` keys at design position (x, y) in a w x h scene.
  std::unique_ptr<TAnimObjects> Load(const std::string& file, const Keys& more, int x, int y, int w = 64, int h = 48,
                                     const char* type = "IMG") {
    auto objects = std::make_unique<TAnimObjects>(testing::HandDriven(clock_));
    Keys keys = {{"ObjType", type}, {"Filename", file}, {"PosLeft", std::to_string(x)}, {"PosTop", std::to_string(y)},
                 {"RestrictArea", "0"}};
    keys.insert(keys.end(), more.begin(), more.end());
    objects->LoadFromText(Section(0, keys));
    EXPECT_EQ(objects->Count(), 1);
    for (int i = 0; i < objects->Count(); ++i) {
      TAnimObject& o = objects->Item(i);
      o.DesignWidth = w;
      o.DesignHeight = h;
      o.FrameRect = {0, 0, w, h};
      o.Start();
    }
    return objects;
  }
  Bitmap32 Drawn(TAnimObjects& objects, int w = 64, int h = 48) {
    Bitmap32 frame(w, h, kBackground);
    for (int i = 0; i < objects.Count(); ++i) objects.Item(i).Draw(frame);
    return frame;
  }

  test::FakeClock clock_;
  test::TempDir dir_;
};

// A 4 x 4 picture: a key colour in the bottom-left corner and in one more place, the rest
// distinct colours.
Bitmap32 KeyedPicture(uint32_t key) {
  Bitmap32 p(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) p.SetPixel(x, y, Rgb(40 + 50 * x, 30 + 40 * y, 200));
  p.SetPixel(0, 3, key);
  p.SetPixel(2, 1, key);
  return p;
}

TEST_F(ImageDrawingTest, OpacityAndTheKeyColour) {
  const uint32_t key = Rgb(255, 0, 255);
  testing::WriteBmp(dir_ / "k.bmp", KeyedPicture(key));
  // Centred at (10, 10): the 4 x 4 image covers (8, 8) .. (11, 11).
  const struct {
    const char* opacity;
    const char* transparent;
    int alpha;
  } cases[] = {{"10", "1", 255}, {"5", "1", 128}, {"10", "0", 255}, {"1", "0", 26}};
  for (const auto& c : cases) {
    auto objects = Load(dir_ / "k.bmp", {{"Opacity", c.opacity}, {"Transparent", c.transparent}}, 10, 10);
    const Bitmap32 frame = Drawn(*objects);
    const Bitmap32 picture = KeyedPicture(key);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) {
        const uint32_t s = picture.Pixel(x, y), d = kBackground;
        uint32_t expected = d;
        if (!(s == key && c.transparent[0] == '1')) {
          const uint32_t a = c.alpha;
          auto mix = [&](uint32_t sc, uint32_t dc) { return (sc * a + dc * (255 - a)) / 255; };
          expected = Rgb(mix(RedOf(s), RedOf(d)), mix(GreenOf(s), GreenOf(d)), mix(BlueOf(s), BlueOf(d)));
        }
        EXPECT_EQ(frame.Pixel(8 + x, 8 + y), expected) << "Opacity " << c.opacity << " Transparent "
                                                       << c.transparent << " at " << x << "," << y;
      }
    }
    EXPECT_EQ(frame.Pixel(7, 8), kBackground);
    EXPECT_EQ(frame.Pixel(12, 11), kBackground);
  }
  // "TransparentType" 2 cuts "TransparentColor" instead: the Windows value 0xC81E28 is
  // red 40, green 30, blue 200, the colour of the picture's pixel (0, 0).
  auto objects = Load(dir_ / "k.bmp", {{"TransparentType", "2"}, {"TransparentColor", std::to_string(0xC81E28)}}, 10, 10);
  const Bitmap32 frame = Drawn(*objects);
  EXPECT_EQ(frame.Pixel(8, 8), kBackground);          // (0, 0) is the chosen colour
  EXPECT_EQ(frame.Pixel(8, 11), key);                 // the bottom-left colour now shows
}

TEST_F(ImageDrawingTest, AJpegLosesItsPureWhiteOnlyWhenTransparent) {
  // Left half white, right half grey, in whole 8 x 8 blocks so the decoder gives them back exactly.
  Bitmap32 picture(16, 16, Rgb(255, 255, 255));
  for (int y = 0; y < 16; ++y)
    for (int x = 8; x < 16; ++x) picture.SetPixel(x, y, Rgb(128, 128, 128));
  std::vector<uint8_t> jpeg;
  std::string error;
  ASSERT_TRUE(EncodeJpeg(picture, 95, jpeg, error)) << error;
  testing::WriteBytes(dir_ / "w.jpg", jpeg);
  Bitmap32 decoded;
  ASSERT_TRUE(DecodePictureFile(dir_ / "w.jpg", decoded, error));
  ASSERT_EQ(decoded.Pixel(0, 15), Rgb(255, 255, 255));
  ASSERT_EQ(decoded.Pixel(3, 3), Rgb(255, 255, 255));

  for (const char* transparent : {"1", "0"}) {
    auto objects = Load(dir_ / "w.jpg", {{"Transparent", transparent}}, 32, 24);
    const Bitmap32 frame = Drawn(*objects);
    int white = 0, background = 0;
    for (int y = 16; y < 32; ++y) {
      for (int x = 24; x < 32; ++x) {
        white += frame.Pixel(x, y) == Rgb(255, 255, 255);
        background += frame.Pixel(x, y) == kBackground;
      }
    }
    if (transparent[0] == '1') {
      EXPECT_EQ(white, 0);
      EXPECT_EQ(background, 128);
    } else {
      EXPECT_EQ(white, 128);
      EXPECT_EQ(background, 0);
    }
    EXPECT_EQ(frame.Pixel(36, 24), decoded.Pixel(12, 8)) << transparent;  // the grey half always shows
  }
}

TEST_F(ImageDrawingTest, APngKeepsItsSoftEdgesAndTheOpacityShowsOnEveryType) {
  // A soft horizontal ramp of alpha over one colour; the bottom-left pixel's colour appears
  // fully opaque elsewhere and must stay.
  Bitmap32 png(8, 2);
  for (int x = 0; x < 8; ++x) {
    png.SetPixel(x, 0, Argb(x * 36, 250, 100, 0));
    png.SetPixel(x, 1, Argb(255, 250, 100, 0));
  }
  testing::WritePng(dir_ / "soft.png", png);
  const struct {
    const char* type;
    const char* opacity;
    bool pngAlpha;
  } cases[] = {{"0", "10", true}, {"0", "5", true}, {"1", "5", false}, {"2", "5", false}};
  for (const auto& c : cases) {
    auto objects = Load(dir_ / "soft.png", {{"TransparentType", c.type}, {"Opacity", c.opacity}}, 8, 5);
    const Bitmap32 frame = Drawn(*objects);
    const uint32_t overall = c.opacity[0] == '5' ? 128 : 255;
    for (int x = 0; x < 8; ++x) {
      for (int y = 0; y < 2; ++y) {
        const uint32_t s = png.Pixel(x, y);
        uint32_t a = c.pngAlpha ? AlphaOf(s) * overall / 255 : overall;
        if (c.type[0] == '1' && y == 1) a = 0;  // type 1: the bottom-left colour is the key
        auto mix = [&](uint32_t sc, uint32_t dc) { return (sc * a + dc * (255 - a)) / 255; };
        const uint32_t d = kBackground;
        const uint32_t expected = Rgb(mix(RedOf(s), RedOf(d)), mix(GreenOf(s), GreenOf(d)), mix(BlueOf(s), BlueOf(d)));
        EXPECT_EQ(frame.Pixel(4 + x, 4 + y), expected) << "type " << c.type << " opacity " << c.opacity << " x " << x
                                                        << " y " << y;
      }
    }
  }
}

TEST_F(ImageDrawingTest, ScaledWithTheFrameAndMirroredWhenFlipped) {
  Bitmap32 picture(4, 2);
  for (int x = 0; x < 4; ++x) {
    picture.SetPixel(x, 0, Rgb(10 + 60 * x, 0, 0));
    picture.SetPixel(x, 1, Rgb(0, 10 + 60 * x, 0));
  }
  testing::WriteBmp(dir_ / "s.bmp", picture);
  // Design 32 x 24 shown in a 64 x 48 frame: every pixel becomes 2 x 2.
  auto objects = std::make_unique<TAnimObjects>(testing::HandDriven(clock_));
  objects->LoadFromText(Section(0, {{"ObjType", "IMG"}, {"Filename", dir_ / "s.bmp"}, {"Transparent", "0"},
                                    {"PosLeft", "10"}, {"PosTop", "10"}}));
  TAnimObject& o = objects->Item(0);
  o.DesignWidth = 32;
  o.DesignHeight = 24;
  o.FrameRect = {0, 0, 64, 48};
  o.Start();
  EXPECT_EQ(o.DrawRect(), (TRect{16, 18, 24, 22}));
  Bitmap32 frame = Drawn(*objects);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(frame.Pixel(16 + x, 18 + y), picture.Pixel(x / 2, y / 2)) << x << "," << y;
  o.Flipped = true;
  frame = Drawn(*objects);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(frame.Pixel(16 + x, 18 + y), picture.Pixel(3 - x / 2, y / 2)) << x << "," << y;
}

TEST(DraftScale, ShrinkingAveragesOnlyWhatShows) {
  // Two shown pixels of different colours and two that do not show, into one pixel.
  Bitmap32 image(2, 2, 0);
  image.SetPixel(0, 0, 0xFF0000FF);
  image.SetPixel(1, 1, 0xFF00FF00);
  const Bitmap32 one = DraftScale(image, 1, 1);
  EXPECT_EQ(one.Pixel(0, 0), 0x80008080u);  // half covered; blue and green halves, no black
  // Clipping: a rectangle far outside the frame draws nothing and touches nothing.
  Bitmap32 frame(8, 8, kBackground);
  DrawCoverageImage(frame, image, {-2000000000, 5, 2000000000, 7}, false, 255);
  DrawCoverageImage(frame, image, {100, 100, 200, 200}, true, 255);
  // The huge rectangle shows the middle of the image: its right column, rows 0 and 1.
  EXPECT_EQ(frame.Pixel(0, 0), kBackground);
  EXPECT_EQ(frame.Pixel(3, 5), kBackground);
  EXPECT_EQ(frame.Pixel(3, 6), 0xFF00FF00u);
}

TEST(CoverageDrawing, TheFastBlendMatchesThePlainOne) {
  // Seeded images of every coverage over a noisy frame, in rectangles that scale, mirror,
  // cross the frame's edges and have widths that are not multiples of four.
  uint32_t seed = 7;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  for (int n = 0; n < 200; ++n) {
    const int w = 1 + int(next() % 23), h = 1 + int(next() % 9);
    Bitmap32 image(w, h);
    for (size_t i = 0; i < image.PixelCount(); ++i) {
      const uint32_t v = next();
      const uint32_t c = (v >> 29) == 0 ? 0 : (v >> 29) == 1 ? 255 : (v >> 24);
      image.Data()[i] = (c << 24) | (next() & 0x00FFFFFFu);
    }
    Bitmap32 fast(37, 21), plain(37, 21);
    for (size_t i = 0; i < fast.PixelCount(); ++i) fast.Data()[i] = plain.Data()[i] = next() | 0xFF000000u;
    const int left = int(next() % 50) - 10, top = int(next() % 30) - 5;
    const TRect rect{left, top, left + 1 + int(next() % 40), top + 1 + int(next() % 20)};
    const bool mirror = next() & 1;
    const int alpha = (n % 4 == 0) ? 255 : int(next() % 256);
    DrawCoverageImage(fast, image, rect, mirror, alpha);
    DrawCoverageImageReference(plain, image, rect, mirror, alpha);
    ASSERT_EQ(fast, plain) << "case " << n << ": " << testing::FirstDifference(fast, plain);
  }
}

TEST_F(ImageDrawingTest, MissingOrBrokenFilesDrawNothingAndTheRestGoesOn) {
  testing::WriteBytes(dir_ / "broken.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
  testing::WriteBmp(dir_ / "ok.bmp", Bitmap32(2, 2, Rgb(9, 9, 9)));
  auto objects = std::make_unique<TAnimObjects>(testing::HandDriven(clock_));
  objects->LoadFromText(Section(0, {{"ObjType", "IMG"}, {"Filename", dir_ / "missing.bmp"}}) +
                        Section(1, {{"ObjType", "IMG"}, {"Filename", dir_ / "broken.png"}}) +
                        Section(2, {{"ObjType", "GIF"}, {"Filename", dir_ / "broken.png"}}) +
                        Section(3, {{"ObjType", "IMG"}, {"Filename", dir_ / "ok.bmp"}, {"PosLeft", "5"}, {"PosTop", "5"},
                                    {"Transparent", "0"}}));
  ASSERT_EQ(objects->Count(), 4);
  for (int i = 0; i < 4; ++i) {
    TAnimObject& o = objects->Item(i);
    o.DesignWidth = 64;
    o.DesignHeight = 48;
    o.FrameRect = {0, 0, 64, 48};
    o.Start();
    EXPECT_EQ(o.Prepared(), i == 3) << i;
  }
  objects->StepAll();
  EXPECT_FALSE(objects->Item(0).Visible);
  const Bitmap32 frame = Drawn(*objects);
  int drawn = 0;
  for (size_t i = 0; i < frame.PixelCount(); ++i) drawn += frame.Data()[i] != kBackground;
  EXPECT_EQ(drawn, 4);
  EXPECT_EQ(frame.Pixel(4, 4), Rgb(9, 9, 9));
}

TEST_F(ImageDrawingTest, TheEngineDrawsObjectsOverTheWater) {
  testing::WriteBmp(dir_ / "ok.bmp", Bitmap32(4, 4, Rgb(200, 10, 10)));
  TProject project;
  testing::MakeScene(project, 64, 48);
  TAnimObjects objects(testing::HandDriven(clock_));
  objects.LoadFromText(Section(0, {{"ObjType", "IMG"}, {"Filename", dir_ / "ok.bmp"}, {"Transparent", "0"},
                                   {"PosLeft", "20"}, {"PosTop", "20"}, {"Opacity", "5"}}));
  TAnimEngine engine(clock_);
  engine.SetProject(project, &objects);
  engine.SetWeather(false);
  engine.Start();
  clock_.now += 33;
  objects.StepAll();
  engine.RenderFrame();
  const Bitmap32& frame = engine.GetFrame();
  const uint32_t under = project.Picture->Pixel(19, 19);
  EXPECT_EQ(RedOf(frame.Pixel(19, 19)), (200u * 128 + RedOf(under) * 127) / 255);
  EXPECT_EQ(AlphaOf(frame.Pixel(19, 19)), 255u);  // the frame stays opaque
  EXPECT_EQ(frame.Pixel(30, 30), project.Picture->Pixel(30, 30));
}

// ---- GIF ----

const std::vector<uint32_t> kPalette = {Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255),
                                        Rgb(255, 255, 0), Rgb(255, 255, 255), Rgb(9, 9, 9), Rgb(90, 90, 90)};

class GifDrawingTest : public ImageDrawingTest {
 protected:
  TGifObject& Gif(TAnimObjects& objects) { return dynamic_cast<TGifObject&>(objects.Item(0)); }
};

TEST_F(GifDrawingTest, AnimSpeedScalesTheDelaysAndTheFramesLoop) {
  // Three 2 x 2 frames of 10, 20 and 0 hundredths (0 counts as 10).
  testing::WriteGif(dir_ / "a.gif", 2, 2, kPalette,
                    {testing::IndexedFrame(0, 0, 2, 2, {1, 1, 1, 1}, 10), testing::IndexedFrame(0, 0, 2, 2, {2, 2, 2, 2}, 20),
                     testing::IndexedFrame(0, 0, 2, 2, {3, 3, 3, 3}, 0)});
  const struct {
    const char* speed;
    int percent;
    double firstMs;
  } cases[] = {{"1", 10, 1000}, {"10", 100, 100}, {"11", 150, 100 / 1.5}, {"20", 600, 100 / 6.0}, {"0", 10, 1000}};
  for (const auto& c : cases) {
    auto objects = Load(dir_ / "a.gif", {{"AnimSpeed", c.speed}}, 10, 10, 64, 48, "GIF");
    TGifObject& gif = Gif(*objects);
    ASSERT_EQ(gif.FrameCount(), 3);
    EXPECT_EQ(gif.SpeedPercent(), c.percent) << c.speed;
    EXPECT_NEAR(gif.FrameDurationMs(0), c.firstMs, 1e-9);
    EXPECT_NEAR(gif.FrameDurationMs(1), 2 * c.firstMs, 1e-9);
    EXPECT_NEAR(gif.FrameDurationMs(2), c.firstMs, 1e-9);
    const uint32_t t0 = clock_.now;
    auto at = [&](double ms) { return gif.FrameIndexAt(t0 + static_cast<uint32_t>(ms)); };
    EXPECT_EQ(at(0), 0);
    EXPECT_EQ(at(c.firstMs - 1), 0);
    EXPECT_EQ(at(c.firstMs + 1), 1);
    EXPECT_EQ(at(3 * c.firstMs + 1), 2);
    EXPECT_EQ(at(4 * c.firstMs + 1), 0);  // looped
  }
  // Drawing follows the frames, and Stop holds the animation where it is.
  auto objects = Load(dir_ / "a.gif", {}, 10, 10, 64, 48, "GIF");
  TGifObject& gif = Gif(*objects);
  clock_.now += 150;
  Bitmap32 frame = Drawn(*objects);
  EXPECT_EQ(frame.Pixel(10, 10), Rgb(0, 255, 0));
  gif.Stop();
  clock_.now += 1000;
  frame = Drawn(*objects);
  EXPECT_EQ(frame.Pixel(10, 10), Rgb(0, 255, 0));
  gif.Resume();
  clock_.now += 200;  // 350 ms of animation: the third frame
  frame = Drawn(*objects);
  EXPECT_EQ(frame.Pixel(10, 10), Rgb(0, 0, 255));
}

TEST_F(GifDrawingTest, AOneFrameGifIsDrawnOnceAtPrepare) {
  testing::WriteGif(dir_ / "one.gif", 2, 2, kPalette, {testing::IndexedFrame(0, 0, 2, 2, {5, 5, 5, 5}, 10)});
  auto objects = Load(dir_ / "one.gif", {}, 10, 10, 64, 48, "GIF");
  TGifObject& gif = Gif(*objects);
  EXPECT_EQ(gif.FrameCount(), 1);
  EXPECT_EQ(gif.FrameDraws(), 1);
  for (int i = 0; i < 20; ++i) {
    clock_.now += 250;
    const Bitmap32 frame = Drawn(*objects);
    ASSERT_EQ(frame.Pixel(10, 10), Rgb(255, 255, 255));
  }
  EXPECT_EQ(gif.FrameDraws(), 1);
}

TEST_F(GifDrawingTest, TransparencyTypesAndThePureYellowKey) {
  // 3 x 3: index 6 at the bottom-left, 7 in the centre, 4 (pure yellow) at top-left, the
  // rest red; the file marks index 1 (red) as transparent.
  const std::vector<uint8_t> indices = {4, 1, 1, 1, 7, 1, 6, 1, 1};
  testing::WriteGif(dir_ / "t.gif", 3, 3, kPalette, {testing::IndexedFrame(0, 0, 3, 3, indices, 10, 1)});
  const uint32_t B = kBackground, red = Rgb(255, 0, 0), grey = Rgb(90, 90, 90), dark = Rgb(9, 9, 9);
  const struct {
    const char* name;
    Keys keys;
    std::vector<uint32_t> expected;  // row by row
  } cases[] = {
      {"own transparent colour", {}, {B, B, B, B, grey, B, dark, B, B}},
      {"not transparent", {{"Transparent", "0"}}, {B, red, red, red, grey, red, dark, red, red}},
      {"bottom-left colour", {{"TransparentType", "1"}}, {B, red, red, red, grey, red, B, red, red}},
      {"TransparentColor", {{"TransparentType", "2"}, {"TransparentColor", std::to_string(0x5A5A5A)}},
       {B, red, red, red, B, red, dark, red, red}},
      {"TransparentColor not in the table", {{"TransparentType", "2"}, {"TransparentColor", "1234567"}},
       {B, red, red, red, grey, red, dark, red, red}},
  };
  for (const auto& c : cases) {
    auto objects = Load(dir_ / "t.gif", c.keys, 10, 10, 64, 48, "GIF");
    const Bitmap32 frame = Drawn(*objects);
    // Centred on (10, 10), the 3 x 3 image starts at round(8.5) = 8.
    for (int i = 0; i < 9; ++i) EXPECT_EQ(frame.Pixel(8 + i % 3, 8 + i / 3), c.expected[static_cast<size_t>(i)]) << c.name << " " << i;
  }
}

TEST_F(GifDrawingTest, RefreshFrameClearsEachFrameBeforeTheNext) {
  // Frame 1 fills the screen; frame 2 only its left column and asks to keep what is there.
  testing::WriteGif(dir_ / "r.gif", 2, 2, kPalette,
                    {testing::IndexedFrame(0, 0, 2, 2, {1, 1, 1, 1}, 10, -1, kGifDisposeKeep),
                     testing::IndexedFrame(0, 0, 1, 2, {2, 2}, 10, -1, kGifDisposeKeep)});
  for (const char* refresh : {"0", "1"}) {
    auto objects = Load(dir_ / "r.gif", {{"RefreshFrame", refresh}}, 10, 10, 64, 48, "GIF");
    clock_.now += 150;
    const Bitmap32 frame = Drawn(*objects);
    EXPECT_EQ(frame.Pixel(9, 9), Rgb(0, 255, 0)) << refresh;
    EXPECT_EQ(frame.Pixel(10, 9), refresh[0] == '1' ? kBackground : Rgb(255, 0, 0)) << refresh;
  }
}

TEST_F(GifDrawingTest, OddFilesAreDrawnSafely) {
  // A frame that reaches past the logical screen, and 1200 frames of which 1000 are kept.
  std::vector<GifFrame> frames = {testing::IndexedFrame(1, 1, 4, 4, std::vector<uint8_t>(16, 2), 10)};
  testing::WriteGif(dir_ / "outside.gif", 2, 2, kPalette, frames);
  auto objects = Load(dir_ / "outside.gif", {}, 10, 10, 64, 48, "GIF");
  Bitmap32 frame = Drawn(*objects);
  EXPECT_EQ(frame.Pixel(10, 10), Rgb(0, 255, 0));
  EXPECT_EQ(frame.Pixel(9, 9), kBackground);

  std::vector<GifFrame> many;
  for (int i = 0; i < 1200; ++i) many.push_back(testing::IndexedFrame(0, 0, 1, 1, {static_cast<uint8_t>(i % 8)}, 0));
  testing::WriteGif(dir_ / "many.gif", 1, 1, kPalette, many);
  objects = Load(dir_ / "many.gif", {}, 10, 10, 64, 48, "GIF");
  EXPECT_EQ(Gif(*objects).FrameCount(), kMaxGifObjectFrames);
  clock_.now += 999 * 100 + 50;  // zero delays count as 100 ms: the last frame kept
  EXPECT_EQ(Gif(*objects).FrameIndexAt(clock_.now), 999);

  // A file cut off inside its third frame shows the two before it.
  std::vector<uint8_t> bytes;
  std::string error;
  GifAnimation a;
  a.width = a.height = 2;
  a.globalColorTable = kPalette;
  for (int i = 0; i < 3; ++i) a.frames.push_back(testing::IndexedFrame(0, 0, 2, 2, std::vector<uint8_t>(4, 1 + i), 10));
  ASSERT_TRUE(EncodeGif(a, bytes, error));
  bytes.resize(bytes.size() - 8);
  testing::WriteBytes(dir_ / "cut.gif", bytes);
  objects = Load(dir_ / "cut.gif", {}, 10, 10, 64, 48, "GIF");
  ASSERT_TRUE(objects->Item(0).Prepared());
  EXPECT_EQ(Gif(*objects).FrameCount(), 2);
}

}  // namespace
}  // namespace kx
