#include <gtest/gtest.h>

#include <algorithm>

#include "configui/FormText.h"
#include "configui/SkinError.h"
#include "configui/SkinPicture.h"
#include "tests/configui/SkinFixtures.h"

namespace kx {
namespace {

using Bytes = std::vector<uint8_t>;

Bitmap32 TwoByTwo() {
  Bitmap32 b(2, 2);
  b.SetPixel(0, 0, Rgb(255, 0, 0));
  b.SetPixel(1, 0, Rgb(0, 255, 0));
  b.SetPixel(0, 1, Rgb(0, 0, 255));
  b.SetPixel(1, 1, Rgb(255, 255, 255));
  return b;
}

Bytes Bmp() {
  Bytes bmp;
  EncodeBmp24(TwoByTwo(), bmp);
  return bmp;
}

Bytes Hex(const std::string& hex) {
  Bytes out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

TEST(SkinPicture, ReadsEveryGraphicClass) {
  Bytes png, jpeg;
  std::string error;
  ASSERT_TRUE(EncodePng(TwoByTwo(), png, error));
  ASSERT_TRUE(EncodeJpeg(Bitmap32(8, 8, Rgb(200, 100, 50)), 95, jpeg, error));

  const SkinPicture bitmap = DecodePictureData(EncodePictureData("TBitmap", Bmp()));
  EXPECT_EQ(bitmap.format, PictureFormat::Bmp);
  EXPECT_EQ(bitmap.image, TwoByTwo());

  const SkinPicture fromJpeg = DecodePictureData(EncodePictureData("TJPEGImage", jpeg));
  EXPECT_EQ(fromJpeg.format, PictureFormat::Jpeg);
  EXPECT_EQ(fromJpeg.image.Width(), 8);
  EXPECT_NEAR(static_cast<int>(RedOf(fromJpeg.image.Pixel(3, 3))), 200, 4);

  // PNG and GIF with or without the size before the file.
  EXPECT_EQ(DecodePictureData(EncodePictureData("TPngImage", png)).image, TwoByTwo());
  const std::string name = "TPNGObject";
  Bytes bare(1 + name.size() + png.size());
  bare[0] = static_cast<uint8_t>(name.size());
  std::copy(name.begin(), name.end(), bare.begin() + 1);
  std::copy(png.begin(), png.end(), bare.begin() + 1 + static_cast<std::ptrdiff_t>(name.size()));
  EXPECT_EQ(DecodePictureData(bare).image, TwoByTwo());
  const SkinPicture gif = DecodePictureData(EncodePictureData("TGIFImage", test::RedPixelGif()));
  EXPECT_EQ(gif.format, PictureFormat::Gif);
  EXPECT_EQ(gif.image.Pixel(0, 0), Rgb(255, 0, 0));
}

TEST(SkinPicture, EmptyPicturesAreEmpty) {
  EXPECT_TRUE(DecodePictureData(Hex("07544269746D617000000000")).Empty());
  EXPECT_TRUE(DecodePictureData({}).Empty());
  EXPECT_TRUE(DecodeGlyphData(Hex("00000000")).Empty());
}

TEST(SkinPicture, GlyphsHoldASizeAndABitmap) {
  EXPECT_EQ(DecodeGlyphData(EncodeGlyphData(Bmp())).image, TwoByTwo());
}

TEST(SkinPicture, DamagedPicturesRaise) {
  Bytes truncated = EncodePictureData("TBitmap", Bmp());
  truncated.resize(truncated.size() - 10);
  Bytes junkJpeg = EncodePictureData("TJPEGImage", {0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3});
  struct Case {
    const char* name;
    Bytes data;
    const char* message;
  } cases[] = {
      {"name past the end", {20, 'T', 'B'}, "ends inside its graphic class name"},
      {"unknown class", EncodePictureData("TIcon", {1, 2, 3}), "\"TIcon\", which is not supported"},
      {"size past the end", truncated, "ends early"},
      {"no size", Hex("07544269746D6170"), "ends before its size"},
      {"not a JPEG", junkJpeg, "TJPEGImage picture cannot be read"},
      {"bitmap holding a PNG", EncodePictureData("TBitmap", {0x89, 'P', 'N', 'G'}), "TBitmap picture cannot be read"},
  };
  for (const auto& c : cases) {
    try {
      DecodePictureData(c.data);
      ADD_FAILURE() << c.name;
    } catch (const SkinError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.name << ": " << e.what();
    }
  }
}

TEST(SkinPicture, BinaryValuesReadBackThroughTheParser) {
  Bytes data(100);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37);
  const auto lines = FormatBinaryValue(data, "    ");
  ASSERT_EQ(lines.size(), 5u);  // "{" and four lines of 32 bytes at most
  EXPECT_EQ(lines[1].size(), 4u + 64u);
  std::string text = "object A: B\r\n  Picture.Data = " + lines[0] + "\r\n";
  for (size_t i = 1; i < lines.size(); ++i) text += lines[i] + "\r\n";
  text += "end\r\n";
  EXPECT_EQ(ParseFormText(text)->properties[0].value.bytes, data);
  EXPECT_EQ(FormatBinaryValue({}, "  "), (std::vector<std::string>{"{}"}));
}

}  // namespace
}  // namespace kx
