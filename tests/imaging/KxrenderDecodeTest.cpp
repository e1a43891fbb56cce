// The kxrender decode command, run as a program: a picture in, the same pixels out as PNG;
// failures give a non-zero exit code and a message on stderr.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "imaging/PictureCodec.h"
#include "tests/imaging/Fixtures.h"

namespace kx {
namespace {

int RunKxrender(const std::string& arguments, std::string& stderrText) {
  const std::string errPath = test::TempPath("kxrender.err");
  const std::string command = std::string(KXRENDER_EXE) + " " + arguments + " 2>" + errPath;
  const int status = std::system(command.c_str());
  std::vector<uint8_t> err;
  std::string ignored;
  ReadWholeFile(errPath, err, ignored);
  stderrText.assign(err.begin(), err.end());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(KxrenderDecode, WritesThePicturesPixelsAsPng) {
  const Bitmap32 picture = test::PatternPicture(11, 7);
  std::vector<uint8_t> bmp;
  ASSERT_TRUE(EncodeBmp24(picture, bmp));
  std::string error;
  const std::string in = test::TempPath("in.bmp"), out = test::TempPath("out.png");
  ASSERT_TRUE(WriteWholeFile(in, bmp, error)) << error;
  std::string err;
  ASSERT_EQ(RunKxrender("decode " + in + " " + out, err), 0) << err;
  std::vector<uint8_t> png;
  ASSERT_TRUE(ReadWholeFile(out, png, error)) << error;
  ASSERT_EQ(DetectPictureFormat(png.data(), png.size()), PictureFormat::Png);
  Bitmap32 back;
  ASSERT_TRUE(DecodePicture(png, back, error)) << error;
  EXPECT_EQ(back, picture);
}

TEST(KxrenderDecode, PhotoKindsComeOutUprightWithTheirAlpha) {
  // Upright: red, green / blue, white quarters. Stored for orientation 8 (a quarter turn
  // anticlockwise to be upright): blue, red / white, green, the sides swapped.
  const Bitmap32 upright = test::Quadrants(40, 20, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF);
  const Bitmap32 stored = test::Quadrants(20, 40, 0xFF0000FF, 0xFFFF0000, 0xFFFFFFFF, 0xFF00FF00);
  Bitmap32 translucent = upright;
  translucent.SetPixel(3, 3, 0x40123456);
  struct Case {
    const char* name;
    test::Bytes file;
    const Bitmap32& expected;
  } cases[] = {
      {"in.tif", test::WriteTiff(stored, {.orientation = 8}), upright},
      {"in.webp", test::WriteWebp(translucent, true), translucent},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error, err;
    const std::string in = test::TempPath(c.name), out = test::TempPath(std::string(c.name) + ".png");
    ASSERT_TRUE(WriteWholeFile(in, c.file, error)) << error;
    ASSERT_EQ(RunKxrender("decode " + in + " " + out, err), 0) << err;
    EXPECT_EQ(err, "") << "nothing on stderr";
    Bitmap32 back;
    ASSERT_TRUE(DecodePictureFile(out, back, error)) << error;
    EXPECT_EQ(back, c.expected);
  }
}

TEST(KxrenderDecode, FailuresExitNonZeroWithAMessage) {
  std::string error;
  const std::string damaged = test::TempPath("damaged.bmp");
  ASSERT_TRUE(WriteWholeFile(damaged, {'B', 'M', 1, 2, 3}, error));
  const std::string cutTiff = test::TempPath("cut.tif");
  const test::Bytes tiff = test::WriteTiff(test::PatternPicture(30, 20), {});
  ASSERT_TRUE(WriteWholeFile(cutTiff, test::Bytes(tiff.begin(), tiff.begin() + tiff.size() / 2), error));
  struct Case {
    const char* name;
    std::string arguments;
    const char* message;
  } cases[] = {
      {"missing_file", "decode " + test::TempPath("none.jpg") + " " + test::TempPath("x.png"), "Cannot open"},
      {"damaged_file", "decode " + damaged + " " + test::TempPath("y.png"), "Damaged or truncated BMP data"},
      {"truncated_tiff", "decode " + cutTiff + " " + test::TempPath("z.png"), "Damaged or truncated TIFF data"},
      {"missing_argument", "decode " + damaged, "expected IN and OUT.png"},
      {"unknown_command", "frobnicate", "unknown command"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string err;
    EXPECT_NE(RunKxrender(c.arguments, err), 0);
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
  }
}

}  // namespace
}  // namespace kx
