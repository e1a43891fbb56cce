// The kinds of items, their fit to the screen or the render size, where frames land on the
// display, and what a bad item does.
#include <gtest/gtest.h>

#include "anim/ImageObject.h"
#include "saver/ItemFit.h"
#include "tests/saver/SaverFixtures.h"

namespace kx::test {
namespace {

constexpr uint32_t kBlack = Rgb(0, 0, 0);

TEST(ItemFit, TheKindFollowsTheUpperCasedExtension) {
  const std::pair<const char*, bool> cases[] = {
      {"photo.Jpg", true},   {"a.JPG", true},          {"b.bmp", true},          {"c.GiF", true},
      {"photo.jpeg", true},  {"p.JPE", true},          {"p.jfif", true},         {"photo.png", true},
      {"p.webp", true},      {"p.HEIC", true},         {"p.heif", true},         {"p.avif", true},
      {"p.tif", true},       {"p.TIFF", true},         {"p.jp2", false},         {"p.svg", false},
      {"scene.kxp", false},  {"noextension", false},   {"pictures.jpg/scene", false},
      {"C:\\Pics\\Sea.JPG", true}, {"archive.jpg.kxp", false}, {"scene.png.kxp", false},
  };
  for (const auto& [name, picture] : cases) EXPECT_EQ(IsStillPictureItem(name), picture) << name;
}

TEST(ItemFit, FitByAspectRatio) {
  struct Case {
    int32_t w, h, boxW, boxH;
    ItemSize fit;
  };
  const Case cases[] = {
      {1600, 1200, 1280, 1024, {1280, 960}},  // wider than the box: 1500 < 1600
      {800, 1200, 1280, 1024, {683, 1024}},   // 1024 * 2 / 3 = 682.67
      {1280, 1024, 1280, 1024, {1280, 1024}},
      {640, 480, 1920, 1080, {1440, 1080}},
      {3, 2, 100, 100, {100, 67}},            // 66.67
      {100, 3, 10, 100, {10, 0}},             // 0.3 rounds to 0
      {0, 0, 1280, 1024, {1280, 1024}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FitByAspect(c.w, c.h, c.boxW, c.boxH), c.fit) << c.w << "x" << c.h << " in " << c.boxW << "x" << c.boxH;
}

TEST(ItemFit, QualityRenderSizes) {
  EXPECT_EQ(QualityRenderSize(0), (ItemSize{1024, 768}));
  EXPECT_EQ(QualityRenderSize(1), (ItemSize{800, 600}));
  EXPECT_EQ(QualityRenderSize(2), (ItemSize{640, 480}));
  EXPECT_FALSE(QualityRenderSize(3).has_value());
  EXPECT_FALSE(QualityRenderSize(-1).has_value());
}

// One picture shown on a 1280 x 1024 screen; the surface tells where it landed.
struct PlacedPicture {
  ShowHarness h;
  const Bitmap32& surface() { return *h.window.lastSurface; }
  TSaverShow& show() { return *h.show; }
};

void ShowPicture(PlacedPicture& p, const Bitmap32& picture, bool stretch, bool proportional) {
  p.h.project.Setting.Stretch = stretch;
  p.h.project.Setting.Proportional = proportional;
  p.h.AddItem(WriteBmp(p.h.dir, "picture.bmp", picture));
  p.h.Start().AppIdle();
  ASSERT_NE(p.h.window.lastSurface, nullptr);
}

// The bounding box of the non-black pixels of the surface.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Box&) const = default;
};
Box PictureBox(const Bitmap32& s) {
  Box b{s.Width(), s.Height(), 0, 0};
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      if (s.Pixel(x, y) != kBlack) {
        b.left = std::min(b.left, x);
        b.top = std::min(b.top, y);
        b.right = std::max(b.right, x + 1);
        b.bottom = std::max(b.bottom, y + 1);
      }
  return b;
}

TEST(Placement, AnUnstretchedPictureIsCentred) {
  PlacedPicture p;
  ShowPicture(p, Solid(640, 480, Rgb(200, 10, 10)), false, false);
  EXPECT_EQ(PictureBox(p.surface()), (Box{320, 272, 960, 752}));
  EXPECT_FALSE(p.h.window.lastScaled);
}

TEST(Placement, AnUnstretchedPictureLargerThanTheScreenIsCroppedOnBothSides) {
  PlacedPicture p;
  const Bitmap32 picture = PositionPicture(2000, 1000);
  ShowPicture(p, picture, false, false);
  // Drawn at (-360, 12): the screen's column 0 is the picture's column 360.
  const Bitmap32& s = p.surface();
  EXPECT_EQ(s.Pixel(0, 12), picture.Pixel(360, 0));
  EXPECT_EQ(s.Pixel(1279, 1011), picture.Pixel(1639, 999));
  EXPECT_EQ(s.Pixel(640, 11), kBlack);
  EXPECT_EQ(s.Pixel(640, 1012), kBlack);
  EXPECT_EQ(p.show().PictureFrame.Width(), 2000);
}

TEST(Placement, StretchedFitsTheWholeScreen) {
  PlacedPicture p;
  ShowPicture(p, Solid(300, 100, Rgb(10, 200, 10)), true, false);
  EXPECT_EQ(p.show().PictureFrame.Width(), 1280);
  EXPECT_EQ(p.show().PictureFrame.Height(), 1024);
  EXPECT_EQ(PictureBox(p.surface()), (Box{0, 0, 1280, 1024}));
}

TEST(Placement, StretchedProportionalKeepsTheAspectRatioAndCentres) {
  struct Case {
    int w, h;
    ItemSize fit;
    Box box;
  };
  const Case cases[] = {
      {1600, 1200, {1280, 960}, {0, 32, 1280, 992}},
      {800, 1200, {683, 1024}, {298, 0, 981, 1024}},
  };
  for (const Case& c : cases) {
    PlacedPicture p;
    ShowPicture(p, Solid(c.w, c.h, Rgb(10, 10, 200)), true, true);
    EXPECT_EQ((ItemSize{p.show().FitWidth, p.show().FitHeight}), c.fit) << c.w;
    EXPECT_EQ((ItemSize{p.show().PictureFrame.Width(), p.show().PictureFrame.Height()}), c.fit) << c.w;
    EXPECT_EQ(PictureBox(p.surface()), c.box) << c.w;
  }
}

TEST(Placement, ScaledPresentationRendersEveryPictureAtTheQualitySize) {
  for (const auto& [quality, size] : {std::pair{2, ItemSize{640, 480}}, std::pair{1, ItemSize{800, 600}}}) {
    ShowHarness h;
    h.project.Setting.DirectX = true;
    h.project.Setting.DirectXQuality = quality;
    h.project.Setting.Duration = 1;
    h.AddItem(WriteBmp(h.dir, "wide.bmp", Solid(1600, 1200, Rgb(200, 10, 10))));
    h.AddItem(WriteBmp(h.dir, "tall.bmp", Solid(800, 1200, Rgb(10, 200, 10))));
    TSaverShow& show = h.Start();
    ASSERT_TRUE(show.DirectXActive);
    for (int item = 0; item < 2; ++item) {
      show.AppIdle();
      EXPECT_EQ((ItemSize{show.PictureFrame.Width(), show.PictureFrame.Height()}), size) << item;
      EXPECT_TRUE(h.window.lastScaled);
      EXPECT_EQ((ItemSize{h.window.lastSurface->Width(), h.window.lastSurface->Height()}), size);
      EXPECT_EQ(PictureBox(*h.window.lastSurface), (Box{0, 0, size.Width, size.Height}));
      h.RunFor(1000);
    }
  }
}

TEST(Placement, ScaledPresentationWithAnotherQualityKeepsThePreviousSize) {
  ShowHarness h;
  h.project.Setting.DirectX = true;
  h.project.Setting.DirectXQuality = 7;
  h.project.Setting.Duration = 1;
  h.AddItem(WriteBmp(h.dir, "first.bmp", Solid(300, 200, Rgb(200, 10, 10))));
  h.AddItem(WriteBmp(h.dir, "second.bmp", Solid(100, 100, Rgb(10, 200, 10))));
  TSaverShow& show = h.Start();
  EXPECT_EQ((ItemSize{show.PictureFrame.Width(), show.PictureFrame.Height()}), (ItemSize{300, 200}));
  h.RunFor(1100);
  ASSERT_EQ(show.ItemIndex, 1);
  EXPECT_EQ((ItemSize{show.PictureFrame.Width(), show.PictureFrame.Height()}), (ItemSize{300, 200}));
  EXPECT_EQ(show.PictureFrame.Pixel(150, 100), Rgb(10, 200, 10));
}

TEST(Placement, TheUnscaledWayIsUsedWhenTheScaledOneCannotStart) {
  ShowHarness h;
  h.window.scaledAvailable = false;
  h.project.Setting.DirectX = true;
  h.AddItem(WriteBmp(h.dir, "a.bmp", Solid(64, 48, Rgb(200, 10, 10))));
  TSaverShow& show = h.Start();
  show.AppIdle();
  EXPECT_FALSE(show.DirectXActive);
  EXPECT_FALSE(h.window.lastScaled);
  EXPECT_EQ(h.window.lastSurface->Width(), 1280);
}

TEST(Placement, AFrameIsSkippedWhileTheScaledDisplayCannotDraw) {
  ShowHarness h;
  h.project.Setting.DirectX = true;
  h.AddItem(WriteBmp(h.dir, "a.bmp", Solid(64, 48, Rgb(200, 10, 10))));
  TSaverShow& show = h.Start();
  h.window.canDraw = false;
  show.AppIdle();
  EXPECT_EQ(h.window.presents, 0);
  h.window.canDraw = true;
  show.AppIdle();
  EXPECT_EQ(h.window.presents, 1);
}

TEST(ItemKinds, JpegBmpAndGifPicturesDecode) {
  ShowHarness h;
  h.project.Setting.Duration = 1;
  h.AddItem(WriteJpeg(h.dir, "a.Jpg", Solid(40, 30, Rgb(250, 250, 250))));
  h.AddItem(WriteBmp(h.dir, "b.BMP", Solid(50, 20, Rgb(0, 0, 255))));
  h.AddItem(WriteGif(h.dir, "c.gif", Solid(30, 60, Rgb(255, 0, 0))));
  TSaverShow& show = h.Start();
  const ItemSize sizes[] = {{40, 30}, {50, 20}, {30, 60}};
  for (const ItemSize& size : sizes) {
    show.AppIdle();
    EXPECT_TRUE(show.IsPicture);
    EXPECT_EQ((ItemSize{show.PictureFrame.Width(), show.PictureFrame.Height()}), size);
    const int32_t index = show.ItemIndex;
    while (show.ItemIndex == index) show.AppIdle();
  }
}

TEST(ItemKinds, EveryPhotoExtensionIsAPictureAndOthersAreScenePackages) {
  // The data is JPEG in every case: the decoder goes by the content, the kind by the name.
  const std::pair<const char*, bool> cases[] = {
      {"photo.jpeg", true}, {"photo.JFIF", true}, {"photo.png", true}, {"photo.jp2", false}, {"photo.txt", false},
  };
  for (const auto& [name, picture] : cases) {
    ShowHarness h;
    h.AddItem(WriteJpeg(h.dir, name, Solid(40, 30, Rgb(250, 250, 250))));
    TSaverShow& show = h.Start();
    show.AppIdle();
    EXPECT_EQ(show.IsPicture, picture) << name;
    if (picture) {
      EXPECT_EQ(PictureBox(*h.window.lastSurface), (Box{620, 497, 660, 527})) << name;  // centred
    } else {
      EXPECT_FALSE(show.Scene->LastError().empty()) << name;
      EXPECT_EQ(PictureBox(*h.window.lastSurface), (Box{1280, 1024, 0, 0})) << name;  // all black
    }
  }
}

TEST(ItemKinds, AScenePackageIsFittedAndHandedToTheEngine) {
  struct Case {
    bool directX;
    int quality;
    bool stretch, proportional;
    ItemSize picture;  // the scene's picture after the fit
  };
  const Case cases[] = {
      {false, 0, false, false, {320, 200}},
      {false, 0, true, false, {1280, 1024}},
      {false, 0, true, true, {1280, 800}},
      {true, 2, false, false, {640, 480}},
      {true, 2, false, true, {640, 400}},
      {true, 9, false, false, {320, 200}},
  };
  for (const Case& c : cases) {
    ShowHarness h;
    h.project.Setting.DirectX = c.directX;
    h.project.Setting.DirectXQuality = c.quality;
    h.project.Setting.Stretch = c.stretch;
    h.project.Setting.Proportional = c.proportional;
    h.project.Setting.ShowClock = true;
    h.project.Setting.ClockPos = 3;
    h.project.Setting.Speed = 140;
    ScenePackage p = ScenePackageOf(Solid(320, 200, Rgb(10, 80, 160)));
    p.Weather.Kind = kWeatherSnow;
    p.Weather.Count = 50;
    p.Weather.SizeOrWind = 3;
    p.Weather.Opacity = 5;
    h.AddItem(WriteScene(h.dir, "snow.kxp", p));
    TSaverShow& show = h.Start();
    show.AppIdle();
    const std::string trace = std::to_string(c.directX) + " " + std::to_string(c.quality) + " " +
                              std::to_string(c.stretch) + std::to_string(c.proportional);
    ASSERT_TRUE(show.Scene->Picture) << trace;
    EXPECT_EQ((ItemSize{show.Scene->Picture->Width(), show.Scene->Picture->Height()}), c.picture) << trace;
    EXPECT_EQ(show.Engine->Picture, show.Scene->Picture.get()) << trace;
    EXPECT_EQ(show.Engine->Speed, 140);
    EXPECT_TRUE(show.Engine->WeatherOn) << trace;
    EXPECT_NE(show.Engine->Snow, nullptr) << trace;
    EXPECT_TRUE(show.Engine->ShowClock);
    EXPECT_EQ(show.Engine->Clock.Corner, 3);
    // The presented frame is the engine's, with the clock drawn over the water.
    EXPECT_EQ(h.window.lastScaled, c.directX) << trace;
    if (c.directX) {
      EXPECT_EQ((ItemSize{h.window.lastSurface->Width(), h.window.lastSurface->Height()}), c.picture) << trace;
    }
  }
}

TEST(ItemKinds, TheObjectsOfASceneAreLoadedAndTheirFilesFoundInTheExtractionFolder) {
  ShowHarness h;
  WriteBmp(h.dir, "star.bmp", Solid(8, 8, Rgb(250, 250, 0)));
  ScenePackage p = ScenePackageOf(Solid(64, 48, Rgb(10, 80, 160)));
  p.ObjectList =
      "[Obj0]\r\nObjType=IMG\r\nFilename=C:\\Art\\star.bmp\r\n"
      "[Obj1]\r\nObjType=TXT\r\nText=Hello\r\n";
  h.AddItem(WriteScene(h.dir, "objects.kxp", p));
  TSaverShow& show = h.Start();
  show.AppIdle();
  ASSERT_EQ(show.Objects->Count(), 2);
  EXPECT_EQ(show.Engine->Objects, show.Objects.get());
  const auto* image = dynamic_cast<const TAnimImgObject*>(&show.Objects->Item(0));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->FileName, h.dir / "star.bmp");
  show.FormClose();  // the workers end with the show
  EXPECT_EQ(show.Objects, nullptr);
}

TEST(BadItems, AFirstPictureThatDoesNotDecodeLeavesTheScreenBlackUntilTheNextChange) {
  ShowHarness h;
  h.window.screen = {200, 150};
  h.project.Setting.Duration = 2;
  h.project.Setting.Transition = true;
  h.project.Setting.TransitionTime = 300;
  WriteText(h.dir / "broken.jpg", "\xFF\xD8\xFF\xE0 not really a JPEG");
  h.AddItem(h.dir / "broken.jpg");
  h.AddItem(WriteBmp(h.dir, "good.bmp", Solid(64, 48, Rgb(200, 10, 10))));
  TSaverShow& show = h.Start();
  EXPECT_EQ(show.LastLoaded, "");
  h.RunFor(1500);
  EXPECT_GT(h.window.presents, 20);
  EXPECT_EQ(PictureBox(*h.window.lastSurface), (Box{200, 150, 0, 0}));  // all black
  h.RunFor(1000);
  EXPECT_EQ(show.LastLoaded, h.dir / "good.bmp");
  EXPECT_EQ(PictureBox(*h.window.lastSurface), (Box{68, 51, 132, 99}));
  EXPECT_TRUE(h.messages.shown.empty());
}

TEST(BadItems, ALaterItemThatCannotBeLoadedKeepsTheCurrentOneForAnotherDuration) {
  struct Case {
    const char* name;
    const char* content;  // nullptr: the file is missing
  };
  const Case cases[] = {
      {"broken.bmp", "BM this is no bitmap"},
      {"empty.gif", ""},
      {"missing.kxp", nullptr},
      {"missing.jpg", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShowHarness h;
    h.window.screen = {200, 150};
    h.project.Setting.Duration = 1;
    h.project.Setting.Transition = true;
    h.project.Setting.TransitionTime = 50;
    h.AddItem(WriteBmp(h.dir, "good.bmp", Solid(64, 48, Rgb(200, 10, 10))));
    if (c.content != nullptr) WriteText(h.dir / c.name, c.content);
    h.AddItem(h.dir / c.name);
    h.AddItem(WriteBmp(h.dir, "next.bmp", Solid(32, 32, Rgb(10, 200, 10))));
    TSaverShow& show = h.Start();
    show.AppIdle();
    const Bitmap32 before = *h.window.lastSurface;
    h.RunFor(1100);
    EXPECT_EQ(show.ItemIndex, 1);
    EXPECT_EQ(show.LastLoaded, h.dir / "good.bmp");
    EXPECT_TRUE(show.IsPicture);
    EXPECT_TRUE(*h.window.lastSurface == before);
    h.RunFor(1000);
    EXPECT_EQ(show.ItemIndex, 2);
    EXPECT_EQ(show.LastLoaded, h.dir / "next.bmp");
    EXPECT_TRUE(h.messages.shown.empty());
  }
}

TEST(BadItems, ADamagedScenePackageIsShownAsFarAsItWasRead) {
  ShowHarness h;
  ScenePackage p = ScenePackageOf(Solid(64, 48, Rgb(10, 80, 160)));
  std::vector<uint8_t> bytes = WriteScenePackage(p);
  bytes.resize(400);  // inside the header: the picture is never reached
  WriteBytes(h.dir / "damaged.kxp", bytes);
  h.AddItem(h.dir / "damaged.kxp");
  TSaverShow& show = h.Start();
  h.RunFor(2000);
  EXPECT_FALSE(show.IsPicture);
  EXPECT_EQ(show.LastLoaded, h.dir / "damaged.kxp");
  EXPECT_FALSE(show.Scene->LastError().empty());
  EXPECT_GT(h.window.presents, 50);
}

}  // namespace
}  // namespace kx::test
