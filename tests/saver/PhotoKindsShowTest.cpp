// A show of one item of every still-picture kind, each under its own extension: every item is
// loaded as a picture and reaches the display in its own colour, and a photo taken with the
// camera turned is shown upright.
#include <gtest/gtest.h>

#include <functional>

#include "tests/imaging/Fixtures.h"
#include "tests/saver/SaverFixtures.h"

namespace kx::test {
namespace {

std::vector<uint8_t> Jpeg(const Bitmap32& picture) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(EncodeJpeg(picture, 95, bytes, error)) << error;
  return bytes;
}

std::vector<uint8_t> Png(const Bitmap32& picture) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(EncodePng(picture, bytes, error)) << error;
  return bytes;
}

std::vector<uint8_t> Gif(const Bitmap32& picture) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(EncodeGifAnimation({picture}, 10, bytes, error)) << error;
  return bytes;
}

std::vector<uint8_t> Bmp(const Bitmap32& picture) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(EncodeBmp24(picture, bytes));
  return bytes;
}

TEST(PhotoKindsShow, EveryKindIsShownInItsColours) {
  using Writer = std::function<std::vector<uint8_t>(const Bitmap32&)>;
  struct Item {
    const char* name;
    Writer write;
    int tolerance;
  };
  const Item items[] = {
      {"a.jpg", Jpeg, 12},
      {"b.JPEG", Jpeg, 12},
      {"c.jpe", Jpeg, 12},
      {"d.jfif", Jpeg, 12},
      {"e.png", Png, 0},
      {"f.bmp", Bmp, 0},
      {"g.gif", Gif, 26},  // the GIF writer maps colours to a fixed palette in steps of 51
      {"h.webp", [](const Bitmap32& p) { return WriteWebp(p, false); }, 16},
      {"i.heic", [](const Bitmap32& p) { return WriteHeif(p, false); }, 16},
      {"j.HEIF", [](const Bitmap32& p) { return WriteHeif(p, false); }, 16},
      {"k.avif", [](const Bitmap32& p) { return WriteHeif(p, true); }, 16},
      {"l.tif", [](const Bitmap32& p) { return WriteTiff(p, {}); }, 0},
      {"m.TIFF", [](const Bitmap32& p) { return WriteTiff(p, {.compression = 5}); }, 0},
  };
  ASSERT_TRUE(CanWriteHeif(false) && CanWriteHeif(true)) << "this libheif cannot write HEIC and AVIF";
  ShowHarness h;
  h.project.Setting.Duration = 1;
  std::vector<uint32_t> colours;
  for (size_t i = 0; i < std::size(items); ++i) {
    // Distinct, saturated colours that survive chroma subsampling and a 4-bit GIF palette.
    const uint32_t colour = Rgb(i % 3 == 0 ? 220 : 30, i % 3 == 1 ? 200 : 40, i % 2 ? 210 : 20);
    colours.push_back(colour);
    const Bitmap32 picture = Quadrants(64, 48, colour, colour, colour, Rgb(240, 240, 240));
    WriteBytes(h.dir / items[i].name, items[i].write(picture));
    h.AddItem(h.dir / items[i].name);
  }
  TSaverShow& show = h.Start();
  for (size_t i = 0; i < std::size(items); ++i) {
    SCOPED_TRACE(items[i].name);
    while (show.ItemIndex < static_cast<int>(i)) show.AppIdle();  // the item's time is over
    show.AppIdle();
    ASSERT_EQ(show.ItemIndex, static_cast<int>(i));
    EXPECT_TRUE(show.IsPicture);
    ASSERT_EQ((ItemSize{show.PictureFrame.Width(), show.PictureFrame.Height()}), (ItemSize{64, 48}));
    ASSERT_NE(h.window.lastSurface, nullptr);
    // Unscaled and centred on the 1280 x 1024 screen: the picture spans (608, 488) - (672, 536).
    const Bitmap32& s = *h.window.lastSurface;
    EXPECT_TRUE(Near(s.Pixel(608 + 16, 488 + 12), colours[i], items[i].tolerance)) << std::hex << s.Pixel(624, 500);
    EXPECT_TRUE(Near(s.Pixel(608 + 48, 488 + 36), Rgb(240, 240, 240), items[i].tolerance));
    EXPECT_EQ(s.Pixel(600, 480), Rgb(0, 0, 0)) << "outside the picture";
  }
}

TEST(PhotoKindsShow, ATurnedPhotoIsShownUpright) {
  // Stored as the camera's sensor saw it: 48 wide, 64 high, the red quarter at the bottom
  // left; EXIF orientation 6 (turn a quarter clockwise) makes it 64 x 48 with red at the top
  // left.
  const uint32_t red = Rgb(220, 20, 20), grey = Rgb(128, 128, 128);
  const Bitmap32 stored = Quadrants(48, 64, grey, grey, red, grey);
  ShowHarness h;
  WriteBytes(h.dir / "portrait.jpg", WithExifOrientation(Jpeg(stored), 6, true));
  h.AddItem(h.dir / "portrait.jpg");
  TSaverShow& show = h.Start();
  show.AppIdle();
  ASSERT_EQ((ItemSize{show.PictureFrame.Width(), show.PictureFrame.Height()}), (ItemSize{64, 48}));
  EXPECT_TRUE(Near(show.PictureFrame.Pixel(16, 12), red, 12));
  EXPECT_TRUE(Near(show.PictureFrame.Pixel(48, 12), grey, 12));
}

}  // namespace
}  // namespace kx::test
