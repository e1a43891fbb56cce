// JPEG decoding of every kind of file libjpeg-turbo writes, and the JPEG encoder.
//
// Fixtures are pictures of four flat quadrants split at x = 16 and y = 16, so every 8 x 8
// block is flat and the lossy coding leaves each pixel within a few levels of its colour.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "imaging/PictureCodec.h"
#include "tests/imaging/Fixtures.h"

namespace kx {
namespace {

using test::Bytes;

constexpr int kWidth = 37, kHeight = 21, kSplit = 16;

int Quadrant(int x, int y) { return (x < kSplit ? 0 : 1) + (y < kSplit ? 0 : 2); }

int MaxChannelDiff(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift = 0; shift < 32; shift += 8)
    d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  return d;
}

// Checks every pixel against its quadrant's colour; `margin` pixels next to the splits are
// left out (for chroma that was subsampled and smoothed back).
void ExpectQuadrants(const Bitmap32& picture, const uint32_t (&colors)[4], int tolerance, int margin = 0) {
  ASSERT_EQ(picture.Width(), kWidth);
  ASSERT_EQ(picture.Height(), kHeight);
  int worst = 0, badX = -1, badY = -1;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      if (std::abs(x - kSplit + 0.5) < margin || std::abs(y - kSplit + 0.5) < margin) continue;
      const int d = MaxChannelDiff(picture.Pixel(x, y), colors[Quadrant(x, y)]);
      if (d > worst) worst = d, badX = x, badY = y;
    }
  EXPECT_LE(worst, tolerance) << "at (" << badX << ", " << badY << ")";
}

test::JpegLayout QuadrantLayout(J_COLOR_SPACE input, int components, const uint8_t (&values)[4][4]) {
  test::JpegLayout layout;
  layout.width = kWidth;
  layout.height = kHeight;
  layout.inputSpace = input;
  layout.components = components;
  layout.fileSpace = input == JCS_RGB ? JCS_YCbCr : input;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      for (int c = 0; c < components; ++c) layout.samples.push_back(values[Quadrant(x, y)][c]);
  return layout;
}

struct HeaderInfo {
  J_COLOR_SPACE space;
  int components;
  bool progressive;
  bool adobe;
};

HeaderInfo ReadHeader(const Bytes& file) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data(), file.size());
  jpeg_read_header(&cinfo, TRUE);
  HeaderInfo info{cinfo.jpeg_color_space, cinfo.num_components, cinfo.progressive_mode != 0, cinfo.saw_Adobe_marker != 0};
  jpeg_destroy_decompress(&cinfo);
  return info;
}

const uint8_t kRgbValues[4][4] = {{200, 30, 40}, {20, 180, 60}, {40, 50, 220}, {230, 230, 20}};
const uint32_t kRgbColors[4] = {Rgb(200, 30, 40), Rgb(20, 180, 60), Rgb(40, 50, 220), Rgb(230, 230, 20)};

TEST(JpegDecode, BaselineAndProgressiveColour) {
  for (const bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    test::JpegLayout layout = QuadrantLayout(JCS_RGB, 3, kRgbValues);
    layout.progressive = progressive;
    const Bytes file = test::WriteJpeg(layout);
    EXPECT_EQ(ReadHeader(file).progressive, progressive);
    Bitmap32 picture;
    std::string error;
    ASSERT_TRUE(DecodePicture(file, picture, error)) << error;
    ExpectQuadrants(picture, kRgbColors, 3);
  }
}

TEST(JpegDecode, Greyscale) {
  const uint8_t grey[4][4] = {{0}, {90}, {170}, {255}};
  const Bytes file = test::WriteJpeg(QuadrantLayout(JCS_GRAYSCALE, 1, grey));
  ASSERT_EQ(ReadHeader(file).space, JCS_GRAYSCALE);
  Bitmap32 picture;
  std::string error;
  ASSERT_TRUE(DecodeJpeg(file.data(), file.size(), picture, error)) << error;
  const uint32_t expected[4] = {Rgb(0, 0, 0), Rgb(90, 90, 90), Rgb(170, 170, 170), Rgb(255, 255, 255)};
  ExpectQuadrants(picture, expected, 1);
}

// Inks 0..255 in the order C, M, Y, K: each of red, green and blue keeps
// (255 - its ink) x (255 - K) / 255 of the light.
const uint8_t kInks[4][4] = {{0, 255, 255, 0}, {255, 0, 255, 0}, {0, 0, 0, 128}, {64, 0, 0, 64}};
const uint32_t kInkColors[4] = {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(127, 127, 127), Rgb(143, 191, 191)};

TEST(JpegDecode, CmykAndYcck) {
  struct Case {
    const char* name;
    J_COLOR_SPACE fileSpace;
    bool adobe;     // an Adobe marker means the samples are stored inverted
  } cases[] = {
      {"cmyk_adobe_inverted", JCS_CMYK, true},
      {"cmyk_plain", JCS_CMYK, false},
      {"ycck_adobe_inverted", JCS_YCCK, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint8_t stored[4][4];
    for (int q = 0; q < 4; ++q)
      for (int k = 0; k < 4; ++k) stored[q][k] = c.adobe ? 255 - kInks[q][k] : kInks[q][k];
    test::JpegLayout layout = QuadrantLayout(JCS_CMYK, 4, stored);
    layout.fileSpace = c.fileSpace;
    layout.adobeMarker = c.adobe;
    const Bytes file = test::WriteJpeg(layout);
    const HeaderInfo info = ReadHeader(file);
    ASSERT_EQ(info.space, c.fileSpace);
    ASSERT_EQ(info.adobe, c.adobe);
    Bitmap32 picture;
    std::string error;
    ASSERT_TRUE(DecodePicture(file, picture, error)) << error;
    ExpectQuadrants(picture, kInkColors, 4);
  }
}

TEST(JpegDecode, RefusesOtherFormats) {
  test::PngLayout pngLayout;
  pngLayout.width = pngLayout.height = 1;
  pngLayout.samples = {0};
  const Bytes png = test::WritePng(pngLayout);
  Bitmap32 picture(3, 3, 0x12345678);
  std::string error;
  EXPECT_FALSE(DecodeJpeg(png.data(), png.size(), picture, error));
  EXPECT_EQ(error, "Not JPEG data");
  EXPECT_EQ(picture, Bitmap32(3, 3, 0x12345678)) << "a failed decode leaves the output as it was";
}

Bitmap32 QuadrantPicture() {
  Bitmap32 picture(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) picture.SetPixel(x, y, kRgbColors[Quadrant(x, y)]);
  return picture;
}

TEST(JpegEncode, RoundTripsWithItsOptions) {
  struct Case {
    const char* name;
    JpegOptions options;
    J_COLOR_SPACE space;
    bool progressive;
  } cases[] = {
      {"baseline", {95, false, false}, JCS_YCbCr, false},
      {"progressive", {95, true, false}, JCS_YCbCr, true},
      {"greyscale", {95, false, true}, JCS_GRAYSCALE, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file;
    std::string error;
    ASSERT_TRUE(EncodeJpeg(QuadrantPicture(), c.options, file, error)) << error;
    const HeaderInfo info = ReadHeader(file);
    EXPECT_EQ(info.space, c.space);
    EXPECT_EQ(info.progressive, c.progressive);
    Bitmap32 back;
    ASSERT_TRUE(DecodePicture(file, back, error)) << error;
    if (c.options.greyscale) {
      uint32_t greys[4];
      for (int q = 0; q < 4; ++q) {
        const uint32_t v = (RedOf(kRgbColors[q]) * 299 + GreenOf(kRgbColors[q]) * 587 + BlueOf(kRgbColors[q]) * 114 + 500) / 1000;
        greys[q] = Rgb(v, v, v);
      }
      ExpectQuadrants(back, greys, 3);
    } else {
      // Chroma is subsampled 2 x 2 and smoothed back, so pixels next to a split blend.
      ExpectQuadrants(back, kRgbColors, 8, 2);
    }
  }
}

TEST(JpegEncode, IgnoresAlphaAndRefusesEmptyPictures) {
  Bitmap32 translucent(16, 16, Argb(0x40, 10, 200, 30));
  Bytes file;
  std::string error;
  ASSERT_TRUE(EncodeJpeg(translucent, 90, file, error)) << error;
  Bitmap32 back;
  ASSERT_TRUE(DecodePicture(file, back, error)) << error;
  EXPECT_EQ(AlphaOf(back.Pixel(5, 5)), 0xFFu);
  EXPECT_LE(MaxChannelDiff(back.Pixel(5, 5), Rgb(10, 200, 30)), 3);

  EXPECT_FALSE(EncodeJpeg(Bitmap32(), 90, file, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace kx
