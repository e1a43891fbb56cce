// Format detection and the whole-file helpers.
#include <gtest/gtest.h>

#include <string>

#include "imaging/PictureCodec.h"
#include "tests/imaging/Fixtures.h"

namespace kx {
namespace {

TEST(PictureFormat, DetectedFromTheDataAlone) {
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    PictureFormat format;
  } cases[] = {
      {"jpeg", {0xFF, 0xD8, 0xFF, 0xE0}, PictureFormat::Jpeg},
      {"jpeg_two_bytes", {0xFF, 0xD8}, PictureFormat::Unknown},
      {"png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, PictureFormat::Png},
      {"png_mangled_line_end", {0x89, 'P', 'N', 'G', '\n', '\n', 0x1A, '\n'}, PictureFormat::Unknown},
      {"gif87a", {'G', 'I', 'F', '8', '7', 'a'}, PictureFormat::Gif},
      {"gif89a", {'G', 'I', 'F', '8', '9', 'a'}, PictureFormat::Gif},
      {"gif88a", {'G', 'I', 'F', '8', '8', 'a'}, PictureFormat::Unknown},
      {"bmp", {'B', 'M'}, PictureFormat::Bmp},
      {"bmp_lower_case", {'b', 'm'}, PictureFormat::Unknown},
      {"empty", {}, PictureFormat::Unknown},
      {"webp", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'}, PictureFormat::Webp},
      {"riff_wave", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, PictureFormat::Unknown},
      {"tiff_little_endian", {'I', 'I', 42, 0}, PictureFormat::Tiff},
      {"tiff_big_endian", {'M', 'M', 0, 42}, PictureFormat::Tiff},
      {"bigtiff", {'I', 'I', 43, 0}, PictureFormat::Tiff},
      {"tiff_mixed_order", {'I', 'I', 0, 42}, PictureFormat::Unknown},
      {"heic", {0, 0, 0, 24, 'f', 't', 'y', 'p', 'h', 'e', 'i', 'c', 0, 0, 0, 0, 'm', 'i', 'f', '1', 'h', 'e', 'i', 'c'},
       PictureFormat::Heif},
      {"heix", {0, 0, 0, 16, 'f', 't', 'y', 'p', 'h', 'e', 'i', 'x', 0, 0, 0, 0}, PictureFormat::Heif},
      {"avif", {0, 0, 0, 20, 'f', 't', 'y', 'p', 'a', 'v', 'i', 'f', 0, 0, 0, 0, 'm', 'i', 'f', '1'}, PictureFormat::Avif},
      {"mif1_with_avif_brand",
       {0, 0, 0, 24, 'f', 't', 'y', 'p', 'm', 'i', 'f', '1', 0, 0, 0, 0, 'm', 'i', 'f', '1', 'a', 'v', 'i', 'f'},
       PictureFormat::Avif},
      {"msf1", {0, 0, 0, 16, 'f', 't', 'y', 'p', 'm', 's', 'f', '1', 0, 0, 0, 0}, PictureFormat::Heif},
      {"mp4_video", {0, 0, 0, 20, 'f', 't', 'y', 'p', 'i', 's', 'o', 'm', 0, 0, 0, 0, 'm', 'p', '4', '1'},
       PictureFormat::Unknown},
      // A brand after the box's end does not count.
      {"brand_beyond_the_box", {0, 0, 0, 16, 'f', 't', 'y', 'p', 'i', 's', 'o', 'm', 0, 0, 0, 0, 'a', 'v', 'i', 'f'},
       PictureFormat::Unknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DetectPictureFormat(c.data.data(), c.data.size()), c.format);
  }
}

TEST(PictureFiles, WriteReadAndDecode) {
  const std::string path = test::TempPath("picture.bmp");
  const Bitmap32 picture = test::PatternPicture(6, 4);
  std::vector<uint8_t> bmp;
  ASSERT_TRUE(EncodeBmp24(picture, bmp));
  std::string error;
  ASSERT_TRUE(WriteWholeFile(path, bmp, error)) << error;
  std::vector<uint8_t> back;
  ASSERT_TRUE(ReadWholeFile(path, back, error)) << error;
  EXPECT_EQ(back, bmp);
  Bitmap32 decoded;
  ASSERT_TRUE(DecodePictureFile(path, decoded, error)) << error;
  EXPECT_EQ(decoded, picture);

  // An empty file is written and read as empty.
  const std::string empty = test::TempPath("empty.bin");
  ASSERT_TRUE(WriteWholeFile(empty, {}, error)) << error;
  back = {1, 2};
  ASSERT_TRUE(ReadWholeFile(empty, back, error)) << error;
  EXPECT_TRUE(back.empty());
}

TEST(PictureFiles, ErrorsNameTheFile) {
  const std::string missing = test::TempPath("no-such-picture.jpg");
  std::vector<uint8_t> data;
  std::string error;
  EXPECT_FALSE(ReadWholeFile(missing, data, error));
  EXPECT_NE(error.find(missing), std::string::npos) << error;

  Bitmap32 picture;
  EXPECT_FALSE(DecodePictureFile(missing, picture, error));
  EXPECT_NE(error.find(missing), std::string::npos) << error;

  const std::string damaged = test::TempPath("damaged.gif");
  ASSERT_TRUE(WriteWholeFile(damaged, {'G', 'I', 'F', '8', '9', 'a', 1}, error));
  EXPECT_FALSE(DecodePictureFile(damaged, picture, error));
  EXPECT_EQ(error.rfind(damaged + ": Damaged or truncated GIF data", 0), 0u) << error;

  EXPECT_FALSE(WriteWholeFile(test::TempPath("no-such-folder/x.png"), {1}, error));
  EXPECT_NE(error.find("no-such-folder"), std::string::npos) << error;
}

}  // namespace
}  // namespace kx
