// GIF: the still first frame, the animation (frames, timing, disposal, transparency, local
// tables, interlace, composition) and the two writers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "imaging/GifCodec.h"
#include "imaging/PictureCodec.h"
#include "tests/imaging/Fixtures.h"

namespace kx {
namespace {

using test::Bytes;

// Expected screens are drawn as text, one character per pixel: R red, G green, B blue,
// W white, Y yellow, K black, '.' transparent (0x00000000).
Bitmap32 Screen(std::initializer_list<const char*> rows) {
  const int h = static_cast<int>(rows.size());
  const int w = static_cast<int>(std::strlen(*rows.begin()));
  Bitmap32 out(w, h);
  int y = 0;
  for (const char* row : rows) {
    for (int x = 0; x < w; ++x) {
      uint32_t c = 0;
      switch (row[x]) {
        case 'R': c = Rgb(255, 0, 0); break;
        case 'G': c = Rgb(0, 255, 0); break;
        case 'B': c = Rgb(0, 0, 255); break;
        case 'W': c = Rgb(255, 255, 255); break;
        case 'Y': c = Rgb(255, 255, 0); break;
        case 'K': c = Rgb(0, 0, 0); break;
        default: c = 0; break;
      }
      out.SetPixel(x, y, c);
    }
    ++y;
  }
  return out;
}

std::string Draw(const Bitmap32& b) {
  std::string s;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) {
      switch (b.Pixel(x, y)) {
        case Rgb(255, 0, 0): s += 'R'; break;
        case Rgb(0, 255, 0): s += 'G'; break;
        case Rgb(0, 0, 255): s += 'B'; break;
        case Rgb(255, 255, 255): s += 'W'; break;
        case Rgb(255, 255, 0): s += 'Y'; break;
        case Rgb(0, 0, 0): s += 'K'; break;
        case 0: s += '.'; break;
        default: s += '?'; break;
      }
    }
    s += '\n';
  }
  return s;
}

// Global table: 0 black, 1 red, 2 green, 3 blue. Five frames on a 6 x 4 screen that use
// every disposal method, a local table, a transparent index, a frame without a control
// extension and a frame reaching past the screen.
test::GifLayout AnimationLayout() {
  test::GifLayout layout;
  layout.width = 6;
  layout.height = 4;
  layout.globalTable = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  layout.loopCount = 3;
  test::GifFrameLayout f0;
  f0.width = 6, f0.height = 4, f0.indices.assign(24, 1), f0.disposal = 1, f0.delayCs = 10;
  test::GifFrameLayout f1;
  f1.left = 1, f1.top = 1, f1.width = 3, f1.height = 2;
  f1.localTable = {0xFFFFFF, 0xFFFF00};
  f1.indices = {0, 1, 0, 1, 0, 1};
  f1.transparentIndex = 1, f1.disposal = 2, f1.delayCs = 20;
  test::GifFrameLayout f2;
  f2.width = 2, f2.height = 2, f2.indices.assign(4, 2), f2.disposal = 3, f2.delayCs = 30;
  test::GifFrameLayout f3;
  f3.left = 4, f3.top = 2, f3.width = 2, f3.height = 2, f3.indices.assign(4, 3), f3.writeControl = false;
  test::GifFrameLayout f4;
  f4.left = 5, f4.top = 3, f4.width = 3, f4.height = 3, f4.indices.assign(9, 2), f4.delayCs = 50;
  layout.frames = {f0, f1, f2, f3, f4};
  return layout;
}

const std::vector<Bitmap32>& AnimationScreens() {
  static const std::vector<Bitmap32> screens = {
      Screen({"RRRRRR", "RRRRRR", "RRRRRR", "RRRRRR"}),
      Screen({"RRRRRR", "RWRWRR", "RRWRRR", "RRRRRR"}),  // yellow (index 1) is transparent
      Screen({"GGRRRR", "GG..RR", "R...RR", "RRRRRR"}),  // frame 1's rectangle cleared first
      Screen({"RRRRRR", "R...RR", "R...BB", "RRRRBB"}),  // frame 2 undone: back to before it
      Screen({"RRRRRR", "R...RR", "R...BB", "RRRRBG"}),  // clipped to the screen
  };
  return screens;
}

TEST(GifAnimationDecode, FramesAndTheirComposition) {
  const Bytes file = test::WriteGif(AnimationLayout());
  GifAnimation anim;
  std::string error;
  ASSERT_TRUE(DecodeGifAnimation(file, anim, error)) << error;
  EXPECT_EQ(anim.width, 6);
  EXPECT_EQ(anim.height, 4);
  EXPECT_EQ(anim.loopCount, 3);
  ASSERT_EQ(anim.globalColorTable.size(), 4u);
  EXPECT_EQ(anim.globalColorTable[3], Rgb(0, 0, 255));
  ASSERT_EQ(anim.frames.size(), 5u);

  struct Expected {
    int left, top, width, height, delay, disposal, transparent;
    bool local;
  } expected[] = {
      {0, 0, 6, 4, 10, 1, -1, false}, {1, 1, 3, 2, 20, 2, 1, true}, {0, 0, 2, 2, 30, 3, -1, false},
      {4, 2, 2, 2, 0, 0, -1, false},  {5, 3, 3, 3, 50, 0, -1, false},
  };
  for (size_t i = 0; i < anim.frames.size(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const GifFrame& f = anim.frames[i];
    const Expected& e = expected[i];
    EXPECT_EQ(f.left, e.left);
    EXPECT_EQ(f.top, e.top);
    EXPECT_EQ(f.width, e.width);
    EXPECT_EQ(f.height, e.height);
    EXPECT_EQ(f.delayCs, e.delay);
    EXPECT_EQ(f.disposal, e.disposal);
    EXPECT_EQ(f.transparentIndex, e.transparent);
    EXPECT_EQ(f.localColorTable, e.local);
    EXPECT_EQ(f.indices.size(), static_cast<size_t>(e.width * e.height));
    EXPECT_EQ(Draw(f.composed), Draw(AnimationScreens()[i]));
  }
  EXPECT_EQ(anim.frames[1].colorTable, (std::vector<uint32_t>{Rgb(255, 255, 255), Rgb(255, 255, 0)}));
  EXPECT_EQ(anim.frames[2].colorTable, anim.globalColorTable);
}

TEST(GifAnimationDecode, RecomposesAfterTheCallerChangesTransparencyAndDisposal) {
  const Bytes file = test::WriteGif(AnimationLayout());
  GifAnimation anim;
  std::string error;
  ASSERT_TRUE(DecodeGifAnimation(file, anim, error)) << error;
  anim.frames[1].transparentIndex = -1;                  // yellow shows
  anim.frames[1].disposal = kGifDisposeKeep;             // and stays
  anim.frames[0].disposal = kGifDisposeBackground;       // frame 0 is cleared before frame 1
  ComposeGifFrames(anim);
  EXPECT_EQ(Draw(anim.frames[1].composed), Draw(Screen({"......", ".WYW..", ".YWY..", "......"})));
  EXPECT_EQ(Draw(anim.frames[2].composed), Draw(Screen({"GG....", "GGYW..", ".YWY..", "......"})));
}

TEST(GifAnimationDecode, InterlacedRowsComeOutInDisplayOrder) {
  test::GifLayout layout;
  layout.width = 2;
  layout.height = 11;  // every pass of the interlace is used, the last ones unevenly
  layout.globalTable = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  test::GifFrameLayout f;
  f.width = 2, f.height = 11, f.interlaced = true;
  const char* rows = "KRGBBGRKRGB";
  for (int y = 0; y < 11; ++y) {
    const uint8_t index = static_cast<uint8_t>(std::string("KRGB").find(rows[y]));
    f.indices.push_back(index);
    f.indices.push_back(index);
  }
  layout.frames = {f};
  const Bytes file = test::WriteGif(layout);
  GifAnimation anim;
  std::string error;
  ASSERT_TRUE(DecodeGifAnimation(file, anim, error)) << error;
  ASSERT_EQ(anim.frames.size(), 1u);
  EXPECT_TRUE(anim.frames[0].interlaced);
  EXPECT_EQ(anim.frames[0].indices, f.indices);
  Bitmap32 still;
  ASSERT_TRUE(DecodePicture(file, still, error)) << error;
  EXPECT_EQ(Draw(still), "KK\nRR\nGG\nBB\nBB\nGG\nRR\nKK\nRR\nGG\nBB\n");
}

TEST(GifDecode, FirstFrameOnItsLogicalScreen) {
  test::GifLayout layout;
  layout.width = 4;
  layout.height = 3;
  layout.globalTable = {0x000000, 0x0000FF};
  test::GifFrameLayout f;
  f.left = 1, f.top = 1, f.width = 2, f.height = 1, f.indices = {1, 0}, f.transparentIndex = 0;
  test::GifFrameLayout second;
  second.width = 4, second.height = 3, second.indices.assign(12, 1);
  layout.frames = {f, second};
  const Bytes file = test::WriteGif(layout);
  Bitmap32 picture;
  std::string error;
  ASSERT_TRUE(DecodeGif(file.data(), file.size(), picture, error)) << error;
  EXPECT_EQ(Draw(picture), "....\n.B..\n....\n");
}

TEST(GifDecode, StillPictureDoesNotNeedTheFramesAfterTheFirst) {
  const Bytes whole = test::WriteGif(AnimationLayout());
  const Bytes cut(whole.begin(), whole.end() - 12);  // inside the last frames
  Bitmap32 picture;
  std::string error;
  ASSERT_TRUE(DecodePicture(cut, picture, error)) << error;
  EXPECT_EQ(picture, AnimationScreens()[0]);

  GifAnimation anim;
  EXPECT_FALSE(DecodeGifAnimation(cut, anim, error));
  EXPECT_NE(error.find("Damaged or truncated GIF data"), std::string::npos) << error;
  ASSERT_GE(anim.frames.size(), 1u) << "the frames read before the damage are kept";
  ASSERT_LT(anim.frames.size(), 5u);
  for (size_t i = 0; i < anim.frames.size(); ++i) EXPECT_EQ(anim.frames[i].composed, AnimationScreens()[i]);
}

TEST(GifEncode, IndexedFramesRoundTrip) {
  GifAnimation original;
  std::string error;
  ASSERT_TRUE(DecodeGifAnimation(test::WriteGif(AnimationLayout()), original, error)) << error;
  original.frames[3].interlaced = true;
  Bytes file;
  ASSERT_TRUE(EncodeGif(original, file, error)) << error;
  GifAnimation back;
  ASSERT_TRUE(DecodeGifAnimation(file, back, error)) << error;
  EXPECT_EQ(back.loopCount, original.loopCount);
  EXPECT_EQ(back.globalColorTable, original.globalColorTable);
  ASSERT_EQ(back.frames.size(), original.frames.size());
  for (size_t i = 0; i < back.frames.size(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const GifFrame &a = original.frames[i], &b = back.frames[i];
    EXPECT_EQ(std::tie(a.left, a.top, a.width, a.height, a.delayCs, a.disposal, a.transparentIndex, a.interlaced,
                       a.localColorTable),
              std::tie(b.left, b.top, b.width, b.height, b.delayCs, b.disposal, b.transparentIndex, b.interlaced,
                       b.localColorTable));
    EXPECT_EQ(b.indices, a.indices);
    EXPECT_EQ(b.composed, a.composed);
  }
}

TEST(GifEncode, TrueColourFramesUseTheFixedPalette) {
  std::vector<Bitmap32> frames;
  for (int i = 0; i < 3; ++i) {
    Bitmap32 frame(7, 5);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) frame.SetPixel(x, y, Rgb((x + i) * 51 % 306, y * 51, (x * y * 51) % 306));
    frame.SetPixel(0, 0, Rgb(100, 100, 100));  // a grey off the cube
    frames.push_back(frame);
  }
  Bytes file;
  std::string error;
  ASSERT_TRUE(EncodeGifAnimation(frames, 7, file, error)) << error;
  GifAnimation anim;
  ASSERT_TRUE(DecodeGifAnimation(file, anim, error)) << error;
  EXPECT_EQ(anim.loopCount, 0);
  ASSERT_EQ(anim.frames.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(anim.frames[i].delayCs, 7);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) {
        if (x == 0 && y == 0) continue;
        ASSERT_EQ(anim.frames[i].composed.Pixel(x, y), frames[i].Pixel(x, y)) << "cube colours are exact";
      }
    // Grey 100 is off the cube (nearest 102) but on the grey ramp (16 * 255 / 41 = 99.5).
    EXPECT_EQ(anim.frames[i].composed.Pixel(0, 0), Rgb(100, 100, 100));
  }

  std::vector<Bitmap32> mixed = {Bitmap32(4, 4), Bitmap32(4, 5)};
  EXPECT_FALSE(EncodeGifAnimation(mixed, 5, file, error));
  EXPECT_FALSE(EncodeGifAnimation({}, 5, file, error));
}

TEST(GifEncode, NearestPaletteIndexMatchesBruteForce) {
  const std::vector<uint32_t>& palette = FixedGifPalette();
  ASSERT_EQ(palette.size(), 256u);
  auto distance = [](uint32_t a, uint32_t b) {
    const int dr = int(RedOf(a)) - int(RedOf(b)), dg = int(GreenOf(a)) - int(GreenOf(b)),
              db = int(BlueOf(a)) - int(BlueOf(b));
    return dr * dr + dg * dg + db * db;
  };
  for (int r = 0; r < 256; r += 15)
    for (int g = 0; g < 256; g += 15)
      for (int b = 0; b < 256; b += 15) {
        for (const uint32_t color : {Rgb(r, g, b), Rgb(r, r, std::min(r + 3, 255))}) {
          int best = INT32_MAX;
          for (uint32_t entry : palette) best = std::min(best, distance(color, entry));
          ASSERT_EQ(distance(color, palette[NearestFixedPaletteIndex(color)]), best)
              << std::hex << color;
        }
      }
}

}  // namespace
}  // namespace kx

namespace kx {
namespace {

// Tiny files that declare huge screens: every composed frame is paid from the decode
// budget before it is allocated, so the second 8192 x 6000 frame (two would hold 393 MB)
// is refused with a clear error, and the first frame read stays.
TEST(GifDecodeBudget, FramesOnAHugeScreenStopAtTheBudget) {
  test::GifLayout layout;
  layout.width = 8192, layout.height = 6000;
  layout.globalTable = {0x000000, 0xFF0000};
  test::GifFrameLayout dot;
  dot.width = 1, dot.height = 1, dot.indices = {1};
  layout.frames = {dot, dot};
  const Bytes file = test::WriteGif(layout);
  ASSERT_LT(file.size(), 100u);

  GifAnimation anim;
  std::string error;
  EXPECT_FALSE(DecodeGifAnimation(file, anim, error));
  EXPECT_NE(error.find("decode budget"), std::string::npos) << error;
  ASSERT_EQ(anim.frames.size(), 1u);
  EXPECT_EQ(anim.frames[0].composed.Pixel(0, 0), Rgb(255, 0, 0));

  // The still picture needs the first frame only: one screen, within the budget.
  Bitmap32 still;
  ASSERT_TRUE(DecodePicture(file, still, error)) << error;
  EXPECT_EQ(still.Width(), 8192);
}

}  // namespace
}  // namespace kx
