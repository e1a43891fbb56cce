// kxrender scene with animated objects: their timing shows in the numbered frames, image
// files are looked for beside the package (or in --media), and the demo scene's objects show.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "AnimFixtures.h"
#include "ObjectFixtures.h"
#include "imaging/PictureCodec.h"
#include "scene/ScenePackageWriter.h"
#include "scene/TextCodec.h"
#include "tools/demo/scenes/ObjectMedia.h"
#include "tools/demo/scenes/SceneMedia.h"
#include "tools/kxpack/SceneCommands.h"
#include "tools/kxrender/Commands.h"

namespace kx {
namespace {

class SceneObjectsCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = dir.path(); }

  // An 80 x 40 dry scene of one dark colour with a text that appears after 1 s at the top
  // left, and a 4 x 4 image (dot.bmp, named without a folder) at design (60, 10).
  std::string WritePackage() {
    ScenePackage p;
    std::string error;
    EXPECT_TRUE(EncodeJpeg(Bitmap32(80, 40, Rgb(0, 0, 0)), 95, p.PictureJpeg, error));
    EXPECT_TRUE(EncodeJpeg(Bitmap32(8, 4, 0), 80, p.ThumbnailJpeg, error));
    p.MaskCodes = {80, 40};
    p.ObjectList = testing::Section(0, {{"ObjType", "TXT"}, {"Text", EncodeObjectText("HI")}, {"Position", "5"},
                                        {"FontSize", "400"}, {"DisplaySec", "1"}}) +
                   testing::Section(1, {{"ObjType", "IMG"}, {"Filename", "C:\\Builder\\dot.bmp"}, {"Transparent", "0"},
                                        {"PosLeft", "60"}, {"PosTop", "10"}});
    testing::WriteBmp(dir_ + "dot.bmp", Bitmap32(4, 4, Rgb(0, 250, 0)));
    const std::string path = dir_ + "objects.kxp";
    EXPECT_TRUE(WriteScenePackageFile(path, p, error)) << error;
    return path;
  }
  static Bitmap32 Read(const std::string& path) {
    Bitmap32 b;
    std::string error;
    EXPECT_TRUE(DecodePictureFile(path, b, error)) << error;
    return b;
  }
  // Pixels of the top-left text area brighter than the dark picture.
  static int Bright(const Bitmap32& frame, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += RedOf(frame.Pixel(x, y)) > 128 && BlueOf(frame.Pixel(x, y)) > 128;
    return n;
  }

  test::TempDir dir;
  std::string dir_;
};

TEST_F(SceneObjectsCommandTest, ObjectsStepWithTheFramesClock) {
  const std::string package = WritePackage();
  ASSERT_EQ(kxrender::RunScene({package, "--frames", "3", "--dt", "500", "--out", dir_ + "f"}), 0);
  const Bitmap32 early = Read(dir_ + "f/frame-0001.png");  // 0.5 s
  const Bitmap32 late = Read(dir_ + "f/frame-0003.png");   // 1.5 s
  EXPECT_EQ(Bright(early, 0, 0, 50, 40), 0);
  EXPECT_GT(Bright(late, 0, 0, 50, 40), 10);
  for (const Bitmap32* frame : {&early, &late}) EXPECT_EQ(frame->Pixel(59, 9), Rgb(0, 250, 0));

  // Looked for in another folder, the image is not found: the rest is drawn as before.
  test::TempDir elsewhere;
  ASSERT_EQ(kxrender::RunScene({package, "--frames", "3", "--dt", "500", "--out", dir_ + "g", "--media",
                                elsewhere.path()}),
            0);
  const Bitmap32 without = Read(dir_ + "g/frame-0003.png");
  EXPECT_LT(GreenOf(without.Pixel(59, 9)), 20u);
  EXPECT_GT(Bright(without, 0, 0, 50, 40), 10);
}

TEST_F(SceneObjectsCommandTest, TheDemoLakeShowsItsTitleAndItsObjects) {
  std::string error;
  ASSERT_TRUE(demo::WriteDemoSceneMedia(dir.path(), error)) << error;
  ASSERT_TRUE(demo::WriteDemoObjectMedia(dir.path(), error)) << error;
  const std::string description = dir_ + "MirrorLake.scene";
  std::filesystem::copy_file(std::filesystem::path(KX_SOURCE_DIR) / "tools/demo/scenes/MirrorLake.scene", description);
  ASSERT_EQ(RunSceneCommand({description, dir_ + "MirrorLake.kxp"}), 0);
  // Without its object images, then with them: the title is drawn in both, the lantern and
  // the swallow only when their files are found.
  test::TempDir empty;
  ASSERT_EQ(kxrender::RunScene({dir_ + "MirrorLake.kxp", "--frames", "1", "--dt", "4000", "--out", dir_ + "bare",
                                "--media", empty.path()}),
            0);
  ASSERT_EQ(kxrender::RunScene({dir_ + "MirrorLake.kxp", "--frames", "1", "--dt", "4000", "--out", dir_ + "full"}), 0);
  const Bitmap32 bare = Read(dir_ + "bare/frame-0001.png");
  const Bitmap32 full = Read(dir_ + "full/frame-0001.png");
  // The title: white text at the top centre of the dusk sky.
  int white = 0;
  for (int y = 10; y < 70; ++y)
    for (int x = 350; x < 680; ++x) white += GreenOf(bare.Pixel(x, y)) > 230;
  EXPECT_GT(white, 200);
  // The objects: pixels in the sky that differ between the two frames, and nowhere below it.
  int sky = 0, below = 0;
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x) (y < 440 ? sky : below) += bare.Pixel(x, y) != full.Pixel(x, y);
  EXPECT_GT(sky, 500);
  EXPECT_EQ(below, 0);
}

}  // namespace
}  // namespace kx
