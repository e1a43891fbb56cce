// kxrender scene: frames of a scene package written as PNGs, driven by its own clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "AnimFixtures.h"
#include "imaging/PictureCodec.h"
#include "scene/ScenePackageWriter.h"
#include "scene/WaterMask.h"
#include "tools/demo/scenes/SceneMedia.h"
#include "tools/kxpack/SceneCommands.h"
#include "tools/kxrender/Commands.h"

namespace kx {
namespace {

class SceneCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("kx-anim-scene-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  // An 80 x 40 scene whose lower half is water with ripples; `weather` 0, 1 or 2.
  std::string WritePackage(int32_t weather = kWeatherNone, int jitter = 0) {
    ScenePackage p;
    p.Title = "Test scene";
    const Bitmap32 picture = testing::PositionPicture(80, 40);
    std::string error;
    EXPECT_TRUE(EncodeJpeg(picture, 95, p.PictureJpeg, error)) << error;
    EXPECT_TRUE(EncodeJpeg(Bitmap32(8, 4, Rgb(1, 2, 3)), 80, p.ThumbnailJpeg, error)) << error;
    Bitmap32 mask(80, 40, 0);
    for (int y = 20; y < 40; ++y) {
      for (int x = 0; x < 80; ++x) mask.SetPixel(x, y, MaskPixelOfRegion(1));
    }
    p.MaskCodes = EncodeMaskRuns(mask);
    p.Waves[0].Amplitude = 3;
    p.Waves[0].Waves = 9;
    p.Waves[0].Speed = 20;
    p.Waves[0].Perspective = 0;
    p.Waves[0].Jitter = jitter;
    p.Weather.Kind = weather;
    p.Weather.Count = 60;
    p.Weather.SpeedIndex = 10;
    p.Weather.SizeOrWind = weather == kWeatherSnow ? 4 : 80;
    p.Weather.StreakLength = 10;
    p.Weather.Opacity = 8;
    const std::string path = (dir_ / "scene.kxp").string();
    EXPECT_TRUE(WriteScenePackageFile(path, p, error)) << error;
    return path;
  }

  std::string Out(const std::string& name) const { return (dir_ / name).string(); }

  static Bitmap32 Read(const std::string& path) {
    Bitmap32 b;
    std::string error;
    EXPECT_TRUE(DecodePictureFile(path, b, error)) << error;
    return b;
  }
  static std::vector<uint8_t> Bytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(ReadWholeFile(path, bytes, error)) << error;
    return bytes;
  }

  std::filesystem::path dir_;
};

TEST_F(SceneCommandTest, WritesNumberedFramesInWhichOnlyTheWaterMoves) {
  const std::string package = WritePackage();
  ASSERT_EQ(kxrender::RunScene({package, "--frames", "3", "--dt", "100", "--out", Out("frames")}), 0);
  const Bitmap32 first = Read(Out("frames/frame-0001.png"));
  const Bitmap32 last = Read(Out("frames/frame-0003.png"));
  EXPECT_TRUE(std::filesystem::exists(Out("frames/frame-0002.png")));
  EXPECT_FALSE(std::filesystem::exists(Out("frames/frame-0004.png")));
  ASSERT_EQ(first.Width(), 80);
  ASSERT_EQ(first.Height(), 40);
  int landChanged = 0, waterChanged = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 80; ++x) (y < 20 ? landChanged : waterChanged) += first.Pixel(x, y) != last.Pixel(x, y);
  }
  EXPECT_EQ(landChanged, 0);
  EXPECT_GT(waterChanged, 100);
}

TEST_F(SceneCommandTest, ResizeFitsTheSceneIntoTheDisplaySize) {
  const std::string package = WritePackage();
  ASSERT_EQ(kxrender::RunScene({package, "--frames", "1", "--dt", "33", "--out", Out("fit"), "--size", "60x60", "--resize"}), 0);
  const Bitmap32 fitted = Read(Out("fit/frame-0001.png"));
  EXPECT_EQ(fitted.Width(), 60);
  EXPECT_EQ(fitted.Height(), 30);
  ASSERT_EQ(kxrender::RunScene({package, "--frames", "1", "--dt", "33", "--out", Out("stretch"), "--size", "60x60", "--stretch"}), 0);
  const Bitmap32 stretched = Read(Out("stretch/frame-0001.png"));
  EXPECT_EQ(stretched.Width(), 60);
  EXPECT_EQ(stretched.Height(), 60);
}

TEST_F(SceneCommandTest, TheSeedFixesJitterAndWeather) {
  const std::string package = WritePackage(kWeatherSnow, 3);
  for (const char* name : {"a", "b"}) {
    ASSERT_EQ(kxrender::RunScene({package, "--frames", "2", "--dt", "40", "--out", Out(name), "--seed", "77"}), 0);
  }
  ASSERT_EQ(kxrender::RunScene({package, "--frames", "2", "--dt", "40", "--out", Out("c"), "--seed", "78"}), 0);
  EXPECT_EQ(Bytes(Out("a/frame-0002.png")), Bytes(Out("b/frame-0002.png")));
  EXPECT_NE(Bytes(Out("a/frame-0002.png")), Bytes(Out("c/frame-0002.png")));
}

TEST_F(SceneCommandTest, TheClockShowsTheGivenTimeAndRunsWithTheFrames) {
  // A 400-wide scene: a 50-pixel clock. With --time 00:59:59 and 500 ms per frame, the first
  // frame is at 00:59:59.5 and the second at 01:00:00: every hand has moved.
  ScenePackage p;
  std::string error;
  ASSERT_TRUE(EncodeJpeg(Bitmap32(400, 100, Rgb(0, 0, 0)), 90, p.PictureJpeg, error));
  ASSERT_TRUE(EncodeJpeg(Bitmap32(8, 4, 0), 80, p.ThumbnailJpeg, error));
  p.MaskCodes = {400, 100};
  const std::string package = (dir_ / "dark.kxp").string();
  ASSERT_TRUE(WriteScenePackageFile(package, p, error)) << error;
  ASSERT_EQ(kxrender::RunScene({package, "--frames", "2", "--dt", "500", "--out", Out("clock"), "--clock", "1",
                                "--time", "00:59:59"}),
            0);
  const Bitmap32 before = Read(Out("clock/frame-0001.png"));
  const Bitmap32 after = Read(Out("clock/frame-0002.png"));
  int changed = 0, outside = 0;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 400; ++x) {
      const bool inClock = x >= 340 && x < 390 && y >= 10 && y < 60;
      (inClock ? changed : outside) += before.Pixel(x, y) != after.Pixel(x, y);
    }
  }
  EXPECT_GT(changed, 10);
  EXPECT_EQ(outside, 0);
  // The centre cap is white.
  EXPECT_GT(GreenOf(after.Pixel(364, 34)), 240u);
}

TEST_F(SceneCommandTest, BadArgumentsAndMissingFilesFail) {
  const std::string package = WritePackage();
  const std::string out = Out("x");
  EXPECT_EQ(kxrender::RunScene({}), 2);
  EXPECT_EQ(kxrender::RunScene({package, "--frames", "2", "--out", out}), 2);  // no --dt
  EXPECT_EQ(kxrender::RunScene({package, "--frames", "0", "--dt", "33", "--out", out}), 2);
  EXPECT_EQ(kxrender::RunScene({package, "--frames", "2", "--dt", "33", "--out", out, "--bogus"}), 2);
  EXPECT_EQ(kxrender::RunScene({package, "--frames", "2", "--dt", "33", "--out", out, "--time", "25:00:00"}), 2);
  EXPECT_EQ(kxrender::RunScene({package, "--frames", "2", "--dt", "33", "--out", out, "--clock", "4"}), 2);
  EXPECT_EQ(kxrender::RunScene({package, "--frames", "2", "--dt", "33", "--out", out, "--resize"}), 2);
  EXPECT_EQ(kxrender::RunScene({package, "--frames", "2", "--dt", "33", "--out", out, "--size", "10x"}), 2);
  EXPECT_EQ(kxrender::RunScene({Out("missing.kxp"), "--frames", "2", "--dt", "33", "--out", out}), 1);
  EXPECT_FALSE(std::filesystem::exists(out + "/frame-0001.png"));
}

TEST_F(SceneCommandTest, RendersTheDemoScenesWithMovingWater) {
  std::string error;
  ASSERT_TRUE(demo::WriteDemoSceneMedia(dir_.string(), error)) << error;
  for (const char* name : {"MirrorLake", "WindyBay"}) {
    const std::filesystem::path source = std::filesystem::path(KX_SOURCE_DIR) / "tools/demo/scenes" / (std::string(name) + ".scene");
    const std::string description = Out(std::string(name) + ".scene");
    std::filesystem::copy_file(source, description, std::filesystem::copy_options::overwrite_existing);
    const std::string package = Out(std::string(name) + ".kxp");
    ASSERT_EQ(RunSceneCommand({description, package}), 0) << name;
    const std::string out = Out(std::string(name) + "-frames");
    ASSERT_EQ(kxrender::RunScene({package, "--frames", "2", "--dt", "200", "--out", out, "--size", "512x384", "--resize"}), 0)
        << name;
    const Bitmap32 first = Read(out + "/frame-0001.png");
    const Bitmap32 second = Read(out + "/frame-0002.png");
    ASSERT_EQ(first.Width(), 512) << name;
    ASSERT_EQ(first.Height(), 384) << name;
    // The lower third of both scenes is water; it moves between the frames.
    int moved = 0;
    for (int y = 300; y < 384; ++y) {
      for (int x = 0; x < 200; ++x) moved += first.Pixel(x, y) != second.Pixel(x, y);
    }
    EXPECT_GT(moved, 1000) << name;
  }
}

}  // namespace
}  // namespace kx
