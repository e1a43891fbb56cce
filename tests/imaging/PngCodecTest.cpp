// PNG decoding of every colour type and bit depth, interlaced or not, with the alpha plane;
// and the PNG encoder.
#include <gtest/gtest.h>

#include <png.h>

#include <functional>
#include <string>

#include "imaging/PictureCodec.h"
#include "tests/imaging/Fixtures.h"

namespace kx {
namespace {

using test::Bytes;

// 9 x 7: odd sizes leave partial bytes in low-bit rows and uneven Adam7 passes.
constexpr int kW = 9, kH = 7;

// A sample value for pixel (x, y), channel c, within 0 .. max; 16-bit samples spread over
// the whole range.
uint16_t SampleAt(int x, int y, int c, int max) {
  const int k = x * 7 + y * 13 + c * 5;
  return static_cast<uint16_t>(max == 65535 ? (k * 2731 + 17) % 65536 : k % (max + 1));
}

uint32_t Widen(uint32_t v, int depth) {
  if (depth == 16) return (v * 255 + 32767) / 65535;
  return v * 255 / ((1u << depth) - 1);
}

struct PngCase {
  const char* name;
  int colorType;
  int depth;
  bool interlaced;
  bool paletteAlpha;  // palette: tRNS entries for the first 3 colours
  bool colorKey;      // grey / RGB: tRNS key
};

// Builds the fixture and the pixels the decoder must produce from it.
void MakeCase(const PngCase& c, test::PngLayout& layout, Bitmap32& expected) {
  layout.width = kW;
  layout.height = kH;
  layout.colorType = c.colorType;
  layout.bitDepth = c.depth;
  layout.interlaced = c.interlaced;
  const int max = (1 << c.depth) - 1;
  expected.SetSize(kW, kH);
  if (c.colorType == PNG_COLOR_TYPE_PALETTE) {
    const int colors = std::min(1 << c.depth, 20);
    for (int i = 0; i < colors; ++i) layout.palette.push_back(static_cast<uint32_t>(i * 0x0B0D11 + 0x102030) & 0xFFFFFF);
    if (c.paletteAlpha) layout.paletteAlpha = {0, 77, 200};
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const int index = (x + 3 * y) % colors;
        layout.samples.push_back(static_cast<uint16_t>(index));
        const uint32_t alpha = index < static_cast<int>(layout.paletteAlpha.size()) ? layout.paletteAlpha[index] : 255;
        expected.SetPixel(x, y, (alpha << 24) | layout.palette[index]);
      }
    return;
  }
  const bool color = (c.colorType & PNG_COLOR_MASK_COLOR) != 0;
  const bool alpha = (c.colorType & PNG_COLOR_MASK_ALPHA) != 0;
  const int channels = (color ? 3 : 1) + (alpha ? 1 : 0);
  if (c.colorKey) {
    // The key is the colour of pixel (0, 0); every pixel of that colour becomes transparent.
    layout.hasColorKey = true;
    layout.keyGrey = layout.keyRed = SampleAt(0, 0, 0, max);
    layout.keyGreen = SampleAt(0, 0, 1, max);
    layout.keyBlue = SampleAt(0, 0, 2, max);
  }
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      uint16_t s[4];
      for (int ch = 0; ch < channels; ++ch) layout.samples.push_back(s[ch] = SampleAt(x, y, ch, max));
      const uint32_t r = Widen(s[0], c.depth);
      const uint32_t g = Widen(color ? s[1] : s[0], c.depth);
      const uint32_t b = Widen(color ? s[2] : s[0], c.depth);
      uint32_t a = alpha ? Widen(s[channels - 1], c.depth) : 255;
      if (c.colorKey) {
        const bool keyed = color ? (s[0] == layout.keyRed && s[1] == layout.keyGreen && s[2] == layout.keyBlue)
                                 : s[0] == layout.keyGrey;
        if (keyed) a = 0;
      }
      expected.SetPixel(x, y, Argb(a, r, g, b));
    }
}

TEST(PngDecode, EveryColourTypeAndDepth) {
  const PngCase cases[] = {
      {"grey1", PNG_COLOR_TYPE_GRAY, 1, false, false, false},
      {"grey2", PNG_COLOR_TYPE_GRAY, 2, false, false, false},
      {"grey4", PNG_COLOR_TYPE_GRAY, 4, false, false, false},
      {"grey8", PNG_COLOR_TYPE_GRAY, 8, false, false, false},
      {"grey16", PNG_COLOR_TYPE_GRAY, 16, false, false, false},
      {"grey8_key", PNG_COLOR_TYPE_GRAY, 8, false, false, true},
      {"grey2_key", PNG_COLOR_TYPE_GRAY, 2, false, false, true},
      {"grey_alpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false, false},
      {"grey_alpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false, false},
      {"rgb8", PNG_COLOR_TYPE_RGB, 8, false, false, false},
      {"rgb16", PNG_COLOR_TYPE_RGB, 16, false, false, false},
      {"rgb8_key", PNG_COLOR_TYPE_RGB, 8, false, false, true},
      {"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, false},
      {"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false, false},
      {"palette1", PNG_COLOR_TYPE_PALETTE, 1, false, false, false},
      {"palette2", PNG_COLOR_TYPE_PALETTE, 2, false, false, false},
      {"palette4", PNG_COLOR_TYPE_PALETTE, 4, false, false, false},
      {"palette8", PNG_COLOR_TYPE_PALETTE, 8, false, false, false},
      {"palette4_trns", PNG_COLOR_TYPE_PALETTE, 4, false, true, false},
      {"palette8_trns", PNG_COLOR_TYPE_PALETTE, 8, false, true, false},
      {"interlaced_rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, true, false, false},
      {"interlaced_palette4_trns", PNG_COLOR_TYPE_PALETTE, 4, true, true, false},
      {"interlaced_grey1", PNG_COLOR_TYPE_GRAY, 1, true, false, false},
      {"interlaced_rgb16", PNG_COLOR_TYPE_RGB, 16, true, false, false},
  };
  for (const PngCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::PngLayout layout;
    Bitmap32 expected;
    MakeCase(c, layout, expected);
    const Bytes file = test::WritePng(layout);
    Bitmap32 picture;
    std::vector<uint8_t> alpha = {1, 2, 3};
    std::string error;
    ASSERT_TRUE(DecodePng(file.data(), file.size(), picture, &alpha, error)) << error;
    ASSERT_EQ(picture.Width(), kW);
    ASSERT_EQ(picture.Height(), kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        ASSERT_EQ(picture.Pixel(x, y), expected.Pixel(x, y)) << "at (" << x << ", " << y << ")";

    const bool transparency = (c.colorType & PNG_COLOR_MASK_ALPHA) != 0 || c.paletteAlpha || c.colorKey;
    if (transparency) {
      ASSERT_EQ(alpha.size(), static_cast<size_t>(kW * kH));
      for (int i = 0; i < kW * kH; ++i) ASSERT_EQ(alpha[i], AlphaOf(expected.Data()[i])) << "alpha at " << i;
    } else {
      EXPECT_TRUE(alpha.empty()) << "no transparency in the file: no alpha plane";
    }

    // The generic entry point gives the same picture.
    Bitmap32 viaPicture;
    ASSERT_TRUE(DecodePicture(file, viaPicture, error)) << error;
    EXPECT_EQ(viaPicture, picture);
  }
}

TEST(PngDecode, SixteenBitSamplesAreRoundedNotCut) {
  // 0x12FF is 18.92 in 8-bit terms: rounding gives 19, dropping the low byte would give 18.
  test::PngLayout layout;
  layout.width = layout.height = 1;
  layout.colorType = PNG_COLOR_TYPE_GRAY;
  layout.bitDepth = 16;
  layout.samples = {0x12FF};
  const Bytes file = test::WritePng(layout);
  Bitmap32 picture;
  std::string error;
  ASSERT_TRUE(DecodePicture(file, picture, error)) << error;
  EXPECT_EQ(picture.Pixel(0, 0), Rgb(19, 19, 19));
}

bool IhdrColorType(const Bytes& file, int& colorType) {
  // Signature (8), chunk length (4), "IHDR" (4), width, height (8), depth (1), colour type (1).
  if (file.size() < 26 || std::string(file.begin() + 12, file.begin() + 16) != "IHDR") return false;
  colorType = file[25];
  return true;
}

TEST(PngEncode, WritesRgbWhenOpaqueAndRgbaOtherwise) {
  Bitmap32 opaque = test::PatternPicture(13, 6);
  Bitmap32 translucent = opaque;
  translucent.SetPixel(4, 2, Argb(0, 1, 2, 3));
  translucent.SetPixel(5, 3, Argb(128, 200, 100, 50));
  struct Case {
    const char* name;
    const Bitmap32& picture;
    int colorType;
  } cases[] = {{"opaque", opaque, PNG_COLOR_TYPE_RGB}, {"translucent", translucent, PNG_COLOR_TYPE_RGB_ALPHA}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file;
    std::string error;
    ASSERT_TRUE(EncodePng(c.picture, file, error)) << error;
    int colorType = -1;
    ASSERT_TRUE(IhdrColorType(file, colorType));
    EXPECT_EQ(colorType, c.colorType);
    Bitmap32 back;
    ASSERT_TRUE(DecodePicture(file, back, error)) << error;
    EXPECT_EQ(back, c.picture);
  }
  Bytes file;
  std::string error;
  EXPECT_FALSE(EncodePng(Bitmap32(), file, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace kx
