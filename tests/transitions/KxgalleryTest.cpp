// kxgallery, run as the program: two generated pictures in, the page and one animation per
// effect out. The frames must be the engine's own steps; the page must name every effect.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "RegionEffectCases.h"
#include "TestPictures.h"
#include "imaging/GifCodec.h"
#include "imaging/PictureCodec.h"
#include "tests/support/TestSupport.h"
#include "transitions/EffectTable.h"
#include "transitions/TransitionStep.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

std::string TempDir(const std::string& name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/kx_kxgallery_" + std::to_string(getpid()) + "_" + name;
}

int RunKxgallery(const std::string& arguments, std::string& stderrText) {
  return test::RunProgram(std::string(KXGALLERY_EXE) + " " + arguments, stderrText);
}

std::string ReadText(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(ReadWholeFile(path, bytes, error)) << error;
  return std::string(bytes.begin(), bytes.end());
}

Bitmap32 Opaque(Bitmap32 b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, b.Pixel(x, y) | 0xFF000000u);
  return b;
}

// A frame as the fixed GIF palette shows it.
Bitmap32 InPalette(const Bitmap32& frame) {
  const auto& palette = FixedGifPalette();
  Bitmap32 out(frame.Width(), frame.Height());
  for (int y = 0; y < frame.Height(); ++y)
    for (int x = 0; x < frame.Width(); ++x)
      out.SetPixel(x, y, palette[NearestFixedPaletteIndex(frame.Pixel(x, y))]);
  return out;
}

class Kxgallery : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(TempDir("in"));
    oldPath_ = Write(old_, "in/old.bmp");
    newPath_ = Write(new_, "in/new.bmp");
  }
  void TearDown() override {
    std::error_code ignored;
    for (const char* d : {"in", "out", "again", "stderr.txt"}) fs::remove_all(TempDir(d), ignored);
  }
  std::string Write(const Bitmap32& picture, const std::string& name) {
    std::vector<uint8_t> bmp;
    EXPECT_TRUE(EncodeBmp24(picture, bmp));
    std::string error;
    EXPECT_TRUE(WriteWholeFile(TempDir(name), bmp, error)) << error;
    return TempDir(name);
  }

  const Bitmap32 old_ = Opaque(testing::OldPicture(32, 24));
  const Bitmap32 new_ = Opaque(testing::NewPicture(32, 24));
  std::string oldPath_, newPath_;
};

TEST_F(Kxgallery, WritesAPageAndTheEngineStepsOfEveryEffect) {
  std::string err;
  const std::string out = TempDir("out");
  ASSERT_EQ(RunKxgallery(out + " " + oldPath_ + " " + newPath_ + " --size 32x24 --steps 5", err), 0) << err;

  const std::string page = ReadText(out + "/index.html");
  size_t figures = 0;
  for (size_t at = page.find("<figure"); at != std::string::npos; at = page.find("<figure", at + 1))
    ++figures;
  EXPECT_EQ(figures, 169u);
  EXPECT_NE(page.find("<b>136</b>Push and sqeeze down</figcaption>"), std::string::npos);
  EXPECT_NE(page.find("<b>32</b>Slide in from top / bottom</figcaption>"), std::string::npos);
  EXPECT_NE(page.find("src=\"effect-007.gif\""), std::string::npos);

  // Five steps: 0, 25, 50, 75 and 100 percent. The jittering effects draw on the generator,
  // so their frames are only checked for size and count here.
  std::set<int> jittering;
  for (int i : testing::ShredRows()) jittering.insert(i);
  for (int i : testing::SpeckleRows()) jittering.insert(i);
  for (int effect = 1; effect <= kEffectCount; ++effect) {
    char name[32];
    std::snprintf(name, sizeof name, "/effect-%03d.gif", effect);
    std::vector<uint8_t> gif;
    ASSERT_TRUE(ReadWholeFile(out + name, gif, err)) << err;
    GifAnimation animation;
    ASSERT_TRUE(DecodeGifAnimation(gif, animation, err)) << effect << ": " << err;
    ASSERT_EQ(animation.width, 32);
    ASSERT_EQ(animation.height, 24);
    ASSERT_EQ(animation.frames.size(), 5u) << effect;
    EXPECT_EQ(animation.loopCount, 0);
    EXPECT_GT(animation.frames.back().delayCs, animation.frames[1].delayCs) << "the end is held";
    if (jittering.count(effect)) continue;
    Bitmap32 step;
    for (int i = 0; i < 5; ++i) {
      ASSERT_TRUE(TransitionStep(effect, old_, new_, 25 * i, step));
      ASSERT_EQ(animation.frames[i].composed, InPalette(step)) << "effect " << effect << " step " << i;
    }
  }
}

TEST_F(Kxgallery, IsTheSameAtEveryRun) {
  std::string err;
  const std::string a = TempDir("out"), b = TempDir("again");
  ASSERT_EQ(RunKxgallery(a + " " + oldPath_ + " " + newPath_ + " --size 32x24 --steps 4", err), 0) << err;
  ASSERT_EQ(RunKxgallery(b + " " + oldPath_ + " " + newPath_ + " --size 32x24 --steps 4", err), 0) << err;
  for (int effect : {68, 111, 125, 129}) {  // shreds and speckles too
    char name[32];
    std::snprintf(name, sizeof name, "/effect-%03d.gif", effect);
    EXPECT_EQ(ReadText(a + name), ReadText(b + name)) << effect;
  }
}

TEST_F(Kxgallery, BadArgumentsExitNonZeroWithAMessage) {
  const struct {
    const char* name;
    std::string arguments;
    int code;
    const char* message;
  } cases[] = {
      {"missing picture", TempDir("out") + " " + TempDir("in/none.bmp") + " " + newPath_, 1, "none.bmp"},
      {"steps out of range", TempDir("out") + " " + oldPath_ + " " + newPath_ + " --steps 1", 2, "--steps"},
      {"bad size", TempDir("out") + " " + oldPath_ + " " + newPath_ + " --size 0x5", 2, "--size"},
      {"too few arguments", TempDir("out") + " " + oldPath_, 2, "usage"},
  };
  for (const auto& c : cases) {
    std::string err;
    EXPECT_EQ(RunKxgallery(c.arguments, err), c.code) << c.name;
    EXPECT_NE(err.find(c.message), std::string::npos) << c.name << ": " << err;
  }
}

}  // namespace
}  // namespace kx
