// BMP: every supported bit count and header form, both row orders, the refused kinds, and
// the 24-bit writer.
#include <gtest/gtest.h>

#include <string>

#include "imaging/PictureCodec.h"
#include "tests/imaging/Fixtures.h"

namespace kx {
namespace {

using test::Bytes;

// 5 x 3: rows of 5 pixels need padding at every bit count.
constexpr int kW = 5, kH = 3;

std::vector<uint32_t> Palette(int count) {
  std::vector<uint32_t> p;
  for (int i = 0; i < count; ++i) p.push_back((0x102030u + 0x0A1B2Cu * i) & 0xFFFFFF);
  return p;
}

uint32_t Expand5(uint32_t v) { return (v * 255 + 15) / 31; }
uint32_t Expand6(uint32_t v) { return (v * 255 + 31) / 63; }

struct BmpCase {
  const char* name;
  int headerSize;
  int bitCount;
  uint32_t compression;
  bool topDown;
};

// Fills the layout's pixel values and returns the picture the decoder must produce.
Bitmap32 Fill(const BmpCase& c, test::BmpLayout& layout) {
  layout.headerSize = c.headerSize;
  layout.width = kW;
  layout.height = c.topDown ? -kH : kH;
  layout.bitCount = c.bitCount;
  layout.compression = c.compression;
  Bitmap32 expected(kW, kH);
  if (c.bitCount <= 8) {
    const int colors = c.bitCount == 8 ? 20 : 1 << c.bitCount;
    layout.palette = Palette(colors);
    if (c.bitCount == 8) layout.colorsUsed = colors;
  }
  if (c.bitCount == 16 && c.compression == 3) layout.masks[0] = 0xF800, layout.masks[1] = 0x07E0, layout.masks[2] = 0x001F;
  if (c.bitCount == 32 && c.compression == 3)
    layout.masks[0] = 0x000000FF, layout.masks[1] = 0x0000FF00, layout.masks[2] = 0x00FF0000;  // red lowest
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const uint32_t k = static_cast<uint32_t>(x * 3 + y * 5);
      uint32_t value = 0, color = 0;
      switch (c.bitCount) {
        case 1: case 4: case 8:
          value = k % layout.palette.size();
          color = layout.palette[value];
          break;
        case 16: {
          const uint32_t r = (k * 7) % 32, b = (k * 11) % 32;
          if (c.compression == 3) {
            const uint32_t g = (k * 5) % 64;
            value = (r << 11) | (g << 5) | b;
            color = (Expand5(r) << 16) | (Expand6(g) << 8) | Expand5(b);
          } else {
            const uint32_t g = (k * 5) % 32;
            value = 0x8000 | (r << 10) | (g << 5) | b;  // the unused top bit is set: ignored
            color = (Expand5(r) << 16) | (Expand5(g) << 8) | Expand5(b);
          }
          break;
        }
        case 24:
          value = color = (k * 0x0F1E2D) & 0xFFFFFF;
          break;
        case 32: {
          const uint32_t rgb = (k * 0x0F1E2D) & 0xFFFFFF;
          if (c.compression == 3) {
            value = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
          } else {
            value = 0x7F000000 | rgb;  // the fourth byte is not alpha in BI_RGB files
          }
          color = rgb;
          break;
        }
      }
      layout.values.push_back(value);
      expected.SetPixel(x, y, test::Opaque(color));
    }
  return expected;
}

TEST(BmpDecode, EveryBitCountAndHeader) {
  const BmpCase cases[] = {
      {"bpp1_bottom_up", 40, 1, 0, false},
      {"bpp1_top_down", 40, 1, 0, true},
      {"bpp4_bottom_up", 40, 4, 0, false},
      {"bpp4_top_down", 40, 4, 0, true},
      {"bpp8_colors_used", 40, 8, 0, false},
      {"bpp8_top_down", 40, 8, 0, true},
      {"bpp16_555", 40, 16, 0, false},
      {"bpp16_565_bitfields", 40, 16, 3, false},
      {"bpp24_bottom_up", 40, 24, 0, false},
      {"bpp24_top_down", 40, 24, 0, true},
      {"bpp32_rgb", 40, 32, 0, false},
      {"bpp32_bitfields_v4", 108, 32, 3, true},
      {"bpp16_565_bitfields_v5", 124, 16, 3, false},
      {"bpp24_v5", 124, 24, 0, false},
      {"os2_bpp24", 12, 24, 0, false},
      {"os2_bpp8", 12, 8, 0, false},
      {"os2_bpp1", 12, 1, 0, false},
  };
  for (const BmpCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::BmpLayout layout;
    const Bitmap32 expected = Fill(c, layout);
    const Bytes file = test::WriteBmp(layout);
    Bitmap32 picture;
    std::string error;
    ASSERT_TRUE(DecodePicture(file, picture, error)) << error;
    ASSERT_EQ(picture.Width(), kW);
    ASSERT_EQ(picture.Height(), kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        ASSERT_EQ(picture.Pixel(x, y), expected.Pixel(x, y)) << "at (" << x << ", " << y << ")";
  }
}

TEST(BmpDecode, RefusesOtherKindsWithAClearMessage) {
  struct Case {
    const char* name;
    int headerSize, bitCount;
    uint32_t compression;
    int width;
    const char* message;
  } cases[] = {
      {"rle8", 40, 8, 1, kW, "Unsupported BMP format (RLE compression)"},
      {"rle4", 40, 4, 2, kW, "Unsupported BMP format (RLE compression)"},
      {"jpeg", 40, 24, 4, kW, "Unsupported BMP format (embedded JPEG or PNG)"},
      {"png", 40, 32, 5, kW, "Unsupported BMP format (embedded JPEG or PNG)"},
      {"two_bits", 40, 2, 0, kW, "Unsupported BMP format (2 bits per pixel)"},
      {"zero_bits", 40, 0, 0, kW, "Unsupported BMP format (0 bits per pixel)"},
      {"bitfields_24", 40, 24, 3, kW, "Unsupported BMP format (bit fields with this bit count)"},
      {"unknown_compression", 40, 24, 9, kW, "Unsupported BMP format (compression 9)"},
      {"os2_v2_header", 64, 24, 0, kW, "Unsupported BMP format (header of 64 bytes)"},
      {"zero_width", 40, 24, 0, 0, "Picture has an invalid size (0 x 3)"},
      {"negative_width", 40, 24, 0, -4, "Picture has an invalid size (-4 x 3)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::BmpLayout layout;
    layout.headerSize = c.headerSize;
    layout.width = std::max(c.width, 0);
    layout.height = kH;
    layout.bitCount = c.bitCount == 0 || c.bitCount == 2 ? 8 : c.bitCount;  // lay out some pixel bytes
    layout.compression = c.compression;
    layout.values.assign(static_cast<size_t>(layout.width) * kH, 0);
    Bytes file = test::WriteBmp(layout);
    file[28] = static_cast<uint8_t>(c.bitCount);
    const uint32_t w = static_cast<uint32_t>(c.width);
    for (int i = 0; i < 4; ++i) file[18 + i] = static_cast<uint8_t>(w >> (8 * i));
    Bitmap32 picture(2, 2, 7);
    std::string error;
    EXPECT_FALSE(DecodePicture(file, picture, error));
    EXPECT_EQ(error, c.message);
    EXPECT_EQ(picture, Bitmap32(2, 2, 7));
  }
}

TEST(BmpDecode, IndicesPastAShortPaletteAreBlack) {
  test::BmpLayout layout;
  layout.width = 4;
  layout.height = 1;
  layout.bitCount = 8;
  layout.palette = {0xFF0000, 0x00FF00};
  layout.colorsUsed = 2;
  layout.values = {0, 1, 2, 255};
  const Bytes file = test::WriteBmp(layout);
  Bitmap32 picture;
  std::string error;
  ASSERT_TRUE(DecodePicture(file, picture, error)) << error;
  EXPECT_EQ(picture.Pixel(0, 0), Rgb(255, 0, 0));
  EXPECT_EQ(picture.Pixel(1, 0), Rgb(0, 255, 0));
  EXPECT_EQ(picture.Pixel(2, 0), Rgb(0, 0, 0));
  EXPECT_EQ(picture.Pixel(3, 0), Rgb(0, 0, 0));
}

TEST(BmpEncode, Writes24BitBottomUp) {
  Bitmap32 picture = test::PatternPicture(kW, kH);
  picture.SetPixel(1, 1, Argb(0x20, 1, 2, 3));  // alpha is dropped
  Bytes file;
  ASSERT_TRUE(EncodeBmp24(picture, file));
  const size_t stride = 16;  // 5 x 3 bytes padded to 4
  ASSERT_EQ(file.size(), 54 + stride * kH);
  EXPECT_EQ(file[28], 24);
  // The first row in the file is the picture's bottom row; bytes are blue, green, red.
  const uint32_t bottomLeft = picture.Pixel(0, kH - 1);
  EXPECT_EQ(file[54], BlueOf(bottomLeft));
  EXPECT_EQ(file[55], GreenOf(bottomLeft));
  EXPECT_EQ(file[56], RedOf(bottomLeft));

  Bitmap32 back;
  std::string error;
  ASSERT_TRUE(DecodePicture(file, back, error)) << error;
  picture.SetPixel(1, 1, Rgb(1, 2, 3));
  EXPECT_EQ(back, picture);

  EXPECT_FALSE(EncodeBmp24(Bitmap32(), file));
}

}  // namespace
}  // namespace kx
