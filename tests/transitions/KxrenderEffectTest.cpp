// The kxrender effect and sheet commands, run as the program: two generated pictures in, the
// step (or the sheet of steps) out as PNG; bad arguments give a non-zero exit and a message.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "TestPictures.h"
#include "imaging/PictureCodec.h"
#include "tests/support/TestSupport.h"
#include "imaging/Resample.h"
#include "transitions/TransitionStep.h"

namespace kx {
namespace {

std::string TempPath(const std::string& name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/kx_transitions_kxrender_" + std::to_string(getpid()) + "_" + name;
}

int RunKxrender(const std::string& arguments, std::string& stderrText) {
  return test::RunProgram(std::string(KXRENDER_EXE) + " " + arguments, stderrText);
}

// Opaque pictures, written losslessly as BMP.
Bitmap32 Opaque(Bitmap32 b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, b.Pixel(x, y) | 0xFF000000u);
  return b;
}

std::string WriteBmp(const Bitmap32& picture, const std::string& name) {
  std::vector<uint8_t> bmp;
  EXPECT_TRUE(EncodeBmp24(picture, bmp));
  std::string error;
  const std::string path = TempPath(name);
  EXPECT_TRUE(WriteWholeFile(path, bmp, error)) << error;
  return path;
}

Bitmap32 ReadPng(const std::string& path) {
  Bitmap32 b;
  std::string error;
  EXPECT_TRUE(DecodePictureFile(path, b, error)) << error;
  return b;
}

class KxrenderTransitions : public ::testing::Test {
 protected:
  const Bitmap32 old_ = Opaque(testing::OldPicture(64, 48));
  const Bitmap32 new_ = Opaque(testing::NewPicture(64, 48));
  const std::string oldPath_ = WriteBmp(old_, "old.bmp");
  const std::string newPath_ = WriteBmp(new_, "new.bmp");
};

TEST_F(KxrenderTransitions, EffectWritesTheStepThatTheEngineDraws) {
  for (const auto& [effect, percent] : {std::pair{17, 40}, std::pair{3, 50}, std::pair{136, 75}, std::pair{1, 33}}) {
    const std::string out = TempPath("step.png");
    std::string err;
    ASSERT_EQ(RunKxrender("effect " + std::to_string(effect) + " " + std::to_string(percent) + " " + oldPath_ + " " +
                              newPath_ + " " + out, err), 0) << err;
    Bitmap32 expected;
    ASSERT_TRUE(TransitionStep(effect, old_, new_, percent, expected));
    EXPECT_EQ(ReadPng(out), expected) << "effect " << effect;
  }
}

TEST_F(KxrenderTransitions, SizeOptionScalesBothPictures) {
  const std::string out = TempPath("sized.png");
  std::string err;
  ASSERT_EQ(RunKxrender("effect 8 50 " + oldPath_ + " " + newPath_ + " " + out + " --size 30x20", err), 0) << err;
  const Bitmap32 frame = ReadPng(out);
  ASSERT_EQ(frame.Width(), 30);
  ASSERT_EQ(frame.Height(), 20);
  // "Reveal from left" at half way: the left half is the new picture, scaled to 30 x 20.
  const Bitmap32 scaledNew = Resample(new_, 30, 20, ResampleFilter::Lanczos3);
  const Bitmap32 scaledOld = Resample(old_, 30, 20, ResampleFilter::Lanczos3);
  EXPECT_EQ(frame.Pixel(14, 10), scaledNew.Pixel(14, 10));
  EXPECT_EQ(frame.Pixel(15, 10), scaledOld.Pixel(15, 10));
}

TEST_F(KxrenderTransitions, SheetShowsElevenLabelledSteps) {
  const std::string out = TempPath("sheet.png");
  std::string err;
  ASSERT_EQ(RunKxrender("sheet 4 " + oldPath_ + " " + newPath_ + " " + out, err), 0) << err;
  const Bitmap32 sheet = ReadPng(out);
  // Four cells of 64 + 8 across, three rows of 48 + 20 + 8 under a 30-pixel title.
  ASSERT_EQ(sheet.Width(), 8 + 4 * 72);
  ASSERT_EQ(sheet.Height(), 30 + 3 * 76 + 8);
  // The first cell is the old picture (0 percent), the eleventh the new one (100 percent).
  for (int y = 0; y < 48; y += 5)
    for (int x = 0; x < 64; x += 5) {
      ASSERT_EQ(sheet.Pixel(8 + x, 30 + y), old_.Pixel(x, y)) << x << "," << y;
      ASSERT_EQ(sheet.Pixel(8 + 2 * 72 + x, 30 + 2 * 76 + y), new_.Pixel(x, y)) << x << "," << y;
    }
  // Text was drawn in the title bar and under a cell: some pixels there are not background.
  const uint32_t background = sheet.Pixel(sheet.Width() - 1, sheet.Height() - 1);
  int titleInk = 0, labelInk = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 200; ++x) titleInk += sheet.Pixel(x, y) != background;
  for (int y = 30 + 48; y < 30 + 48 + 20; ++y)
    for (int x = 8; x < 8 + 64; ++x) labelInk += sheet.Pixel(x, y) != background;
  EXPECT_GT(titleInk, 30);
  EXPECT_GT(labelInk, 10);
}

TEST_F(KxrenderTransitions, BadArgumentsExitNonZeroWithAMessage) {
  const std::string out = TempPath("bad.png");
  const struct {
    const char* name;
    std::string arguments;
    const char* message;
  } cases[] = {
      {"effect 0", "effect 0 50 " + oldPath_ + " " + newPath_ + " " + out, "from 1 to 169"},
      {"effect 170", "sheet 170 " + oldPath_ + " " + newPath_ + " " + out, "from 1 to 169"},
      {"percent 101", "effect 5 101 " + oldPath_ + " " + newPath_ + " " + out, "from 0 to 100"},
      {"percent not a number", "effect 5 5x " + oldPath_ + " " + newPath_ + " " + out, "from 0 to 100"},
      {"bad size", "effect 5 50 " + oldPath_ + " " + newPath_ + " " + out + " --size 0x20", "--size"},
      {"size without value", "sheet 5 " + oldPath_ + " " + newPath_ + " " + out + " --size", "--size"},
      {"missing picture", "effect 5 50 " + TempPath("none.jpg") + " " + newPath_ + " " + out, "none.jpg"},
      {"too few arguments", "effect 5 50 " + oldPath_, "expected N PERCENT"},
  };
  for (const auto& c : cases) {
    std::string err;
    EXPECT_NE(RunKxrender(c.arguments, err), 0) << c.name;
    EXPECT_NE(err.find(c.message), std::string::npos) << c.name << ": " << err;
  }
}

}  // namespace
}  // namespace kx
