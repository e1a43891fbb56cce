// The wallpaper file: where it goes, what it holds and how it is written.
#include <gtest/gtest.h>
#include <unistd.h>

#include "configui/WallpaperFile.h"
#include "tests/configui/MediaFixtures.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<size_t>(i)];
  return v;
}

TEST(WallpaperFile, ItsNameIsTheProgramsWithBmpAppended) {
  EXPECT_EQ(WallpaperPath("/opt/sea/Sample.scr"), "/opt/sea/Sample.scr.bmp");
  EXPECT_EQ(WallpaperPath("/opt/sea/kxsaver"), "/opt/sea/kxsaver.bmp");
}

TEST(WallpaperFile, IsA32BitBottomUpBmp) {
  Bitmap32 picture(3, 2, Rgb(0, 0, 0));
  picture.SetPixel(0, 0, Argb(0x10, 200, 100, 50));  // the alpha byte is written as 255
  picture.SetPixel(2, 1, Rgb(1, 2, 3));
  std::vector<uint8_t> bmp;
  ASSERT_TRUE(EncodeBmp32(picture, bmp));
  ASSERT_EQ(bmp.size(), 54u + 3 * 2 * 4);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(Le(bmp, 2, 4), bmp.size());
  EXPECT_EQ(Le(bmp, 10, 4), 54u);
  EXPECT_EQ(Le(bmp, 14, 4), 40u);
  EXPECT_EQ(Le(bmp, 18, 4), 3u);
  EXPECT_EQ(Le(bmp, 22, 4), 2u);  // positive height: the bottom row comes first
  EXPECT_EQ(Le(bmp, 28, 2), 32u);
  EXPECT_EQ(Le(bmp, 30, 4), 0u);  // BI_RGB
  EXPECT_EQ(Le(bmp, 54 + 2 * 4, 4), Rgb(1, 2, 3));            // bottom row, last pixel
  EXPECT_EQ(Le(bmp, 54 + 3 * 4, 4), Rgb(200, 100, 50));       // top row, first pixel
  Bitmap32 back;
  std::string error;
  ASSERT_TRUE(DecodePicture(bmp, back, error)) << error;
  picture.SetPixel(0, 0, Rgb(200, 100, 50));
  EXPECT_EQ(back, picture);
  EXPECT_FALSE(EncodeBmp32(Bitmap32(), bmp));
}

TEST(WallpaperFile, AScenePackageGivesItsPictureAndAnyOtherFileIsDecoded) {
  test::TempDir dir;
  const std::string scene = test::WriteScene(dir / "Bay.KXP", Bitmap32(40, 30, Rgb(20, 140, 220)),
                                             Bitmap32(8, 6, Rgb(250, 0, 0)), "Bay");
  Bitmap32 picture;
  std::string error;
  ASSERT_TRUE(LoadWallpaperPicture(scene, picture, error)) << error;
  EXPECT_EQ(picture.Width(), 40);  // the picture, not the thumbnail
  EXPECT_LE(test::ChannelDistance(picture.Pixel(20, 15), Rgb(20, 140, 220)), 3);

  // Any other name is a picture, whatever its extension says.
  test::WritePngFile(dir / "leaf.png", Bitmap32(5, 4, Rgb(0, 200, 0)));
  ASSERT_TRUE(LoadWallpaperPicture(dir / "leaf.png", picture, error)) << error;
  EXPECT_EQ(picture, Bitmap32(5, 4, Rgb(0, 200, 0)));

  test::WriteText(dir / "broken.kxp", "KX060697 and then nothing");
  EXPECT_FALSE(LoadWallpaperPicture(dir / "broken.kxp", picture, error));
  EXPECT_NE(error.find("broken.kxp"), std::string::npos) << error;
  EXPECT_FALSE(LoadWallpaperPicture(dir / "missing.jpg", picture, error));
  EXPECT_NE(error.find("missing.jpg"), std::string::npos) << error;
}

TEST(WallpaperFile, ReplacesALinkInsteadOfWritingThroughIt) {
  test::TempDir dir;
  test::WriteText(dir / "elsewhere.txt", "keep me");
  ASSERT_EQ(symlink((dir / "elsewhere.txt").c_str(), (dir / "Sea.scr.bmp").c_str()), 0);
  std::string error;
  ASSERT_TRUE(WriteWallpaperFile(dir / "Sea.scr.bmp", Bitmap32(2, 2, Rgb(9, 9, 9)), error)) << error;
  EXPECT_EQ(test::ReadText(dir / "elsewhere.txt"), "keep me");
  Bitmap32 back;
  ASSERT_TRUE(DecodePictureFile(dir / "Sea.scr.bmp", back, error)) << error;
  EXPECT_EQ(back, Bitmap32(2, 2, Rgb(9, 9, 9)));
  EXPECT_EQ(ListDirectory(dir.path()).size(), 2u);  // no temporary file left behind
}

TEST(WallpaperFile, AFileThatCannotBeWrittenIsReportedByName) {
  test::TempDir dir;
  std::string error;
  EXPECT_FALSE(WriteWallpaperFile(dir / "no-such-folder/Sea.scr.bmp", Bitmap32(2, 2), error));
  EXPECT_NE(error.find("no-such-folder/Sea.scr.bmp"), std::string::npos) << error;
  EXPECT_FALSE(WriteWallpaperFile(dir / "Sea.scr.bmp", Bitmap32(), error));
  EXPECT_FALSE(FileExists(dir / "Sea.scr.bmp"));
}

}  // namespace
}  // namespace kx
