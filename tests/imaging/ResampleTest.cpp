// Resampling: nearest keeps exact values, the filters keep flat colours flat and block
// pictures blocky, alpha does not bleed, results clamp, and Lanczos matches a slow
// two-dimensional reference.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "imaging/Resample.h"

namespace kx {
namespace {

// Source pixel (x, y) carries its own coordinates, so a target pixel tells where it came from.
Bitmap32 CoordinatePicture(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, Argb(0x80 + x % 7, x, y, 0x5A));
  return b;
}

TEST(ResampleNearest, EveryPixelIsTheSourcePixelUnderItsCentre) {
  const struct {
    int sw, sh, tw, th;
  } sizes[] = {{3, 2, 6, 4}, {9, 6, 3, 2}, {7, 5, 3, 4}, {5, 5, 13, 2}, {1, 1, 4, 3}, {4, 3, 1, 1}, {250, 3, 7, 200}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(std::to_string(s.sw) + "x" + std::to_string(s.sh) + " -> " + std::to_string(s.tw) + "x" +
                 std::to_string(s.th));
    const Bitmap32 source = CoordinatePicture(s.sw, s.sh);
    const Bitmap32 out = ResizeNearest(source, s.tw, s.th);
    ASSERT_EQ(out.Width(), s.tw);
    ASSERT_EQ(out.Height(), s.th);
    for (int y = 0; y < s.th; ++y)
      for (int x = 0; x < s.tw; ++x) {
        const uint32_t p = out.Pixel(x, y);
        const int sx = static_cast<int>(RedOf(p)), sy = static_cast<int>(GreenOf(p));
        ASSERT_EQ(p, source.Pixel(sx, sy)) << "a value that no source pixel has";
        // The source pixel covers the target pixel's centre.
        const double cx = (x + 0.5) * s.sw / s.tw, cy = (y + 0.5) * s.sh / s.th;
        ASSERT_TRUE(sx <= cx && cx < sx + 1) << "column " << x << " took " << sx;
        ASSERT_TRUE(sy <= cy && cy < sy + 1) << "row " << y << " took " << sy;
      }
  }
  // Whole multiples, spelled out.
  const Bitmap32 source = CoordinatePicture(3, 2);
  const Bitmap32 doubled = ResizeNearest(source, 6, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(doubled.Pixel(x, y), source.Pixel(x / 2, y / 2));
}

TEST(ResampleNearest, BytePlane) {
  // A 4 x 3 region map of values 0..11.
  std::vector<uint8_t> plane(12);
  for (int i = 0; i < 12; ++i) plane[i] = static_cast<uint8_t>(i);
  const std::vector<uint8_t> up = ResizeNearestPlane(plane, 4, 3, 8, 6);
  ASSERT_EQ(up.size(), 48u);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(up[y * 8 + x], plane[(y / 2) * 4 + x / 2]);
  const std::vector<uint8_t> down = ResizeNearestPlane(plane, 4, 3, 2, 1);
  EXPECT_EQ(down, (std::vector<uint8_t>{5, 7}));  // centres at (1, 1) and (3, 1)

  EXPECT_TRUE(ResizeNearestPlane(plane, 4, 3, 0, 5).empty());
  EXPECT_TRUE(ResizeNearestPlane(plane, 5, 3, 2, 2).empty()) << "plane length does not match its size";
  EXPECT_TRUE(ResizeNearestPlane({}, 0, 0, 2, 2).empty());
}

struct SizeCase {
  int sw, sh, tw, th;
};
const SizeCase kSizes[] = {{1, 1, 1, 1},  {1, 1, 5, 3},   {5, 3, 1, 1},   {10, 10, 3, 7}, {7, 5, 7, 5},
                           {100, 1, 1, 1}, {3, 40, 17, 2}, {64, 48, 123, 77}, {640, 480, 123, 77}};

std::string Name(ResampleFilter f) { return f == ResampleFilter::Bilinear ? "bilinear" : "lanczos"; }

TEST(ResampleFilters, FlatColourStaysFlat) {
  for (const ResampleFilter filter : {ResampleFilter::Bilinear, ResampleFilter::Lanczos3})
    for (const SizeCase& s : kSizes) {
      SCOPED_TRACE(Name(filter) + " " + std::to_string(s.sw) + "x" + std::to_string(s.sh) + " -> " +
                   std::to_string(s.tw) + "x" + std::to_string(s.th));
      const uint32_t opaque = Rgb(201, 13, 77);
      const Bitmap32 out = Resample(Bitmap32(s.sw, s.sh, opaque), s.tw, s.th, filter);
      ASSERT_EQ(out.Width(), s.tw);
      ASSERT_EQ(out.Height(), s.th);
      for (size_t i = 0; i < out.PixelCount(); ++i) ASSERT_EQ(out.Data()[i], opaque) << "pixel " << i;

      // Translucent: filtered premultiplied, so the colour may move by one level.
      const uint32_t translucent = Argb(100, 201, 13, 77);
      const Bitmap32 soft = Resample(Bitmap32(s.sw, s.sh, translucent), s.tw, s.th, filter);
      for (size_t i = 0; i < soft.PixelCount(); ++i) {
        const uint32_t p = soft.Data()[i];
        ASSERT_EQ(AlphaOf(p), 100u);
        ASSERT_NEAR(RedOf(p), 201, 1);
        ASSERT_NEAR(GreenOf(p), 13, 1);
        ASSERT_NEAR(BlueOf(p), 77, 1);
      }
    }
}

Bitmap32 Checker(int size, int block, uint32_t a, uint32_t b) {
  Bitmap32 out(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) out.SetPixel(x, y, ((x / block) + (y / block)) % 2 ? b : a);
  return out;
}

TEST(ResampleFilters, BigBlocksKeepTheirColours) {
  const uint32_t a = Rgb(10, 200, 30), b = Rgb(250, 20, 180);
  struct Case {
    const char* name;
    int size, block, target;
  } cases[] = {{"down_64_to_16", 64, 32, 16}, {"up_16_to_40", 16, 8, 40}, {"down_odd_90_to_25", 90, 45, 25}};
  for (const ResampleFilter filter : {ResampleFilter::Bilinear, ResampleFilter::Lanczos3})
    for (const Case& c : cases) {
      SCOPED_TRACE(Name(filter) + " " + c.name);
      const Bitmap32 out = Resample(Checker(c.size, c.block, a, b), c.target, c.target, filter);
      const double scale = static_cast<double>(c.size) / c.target;
      const double reach = 3.0 * std::max(scale, 1.0);  // kernel support in source pixels
      int checked = 0;
      for (int y = 0; y < c.target; ++y)
        for (int x = 0; x < c.target; ++x) {
          const double sx = (x + 0.5) * scale, sy = (y + 0.5) * scale;
          // Only pixels whose kernel stays inside one block are certain.
          if (std::abs(sx - c.block) < reach || std::abs(sy - c.block) < reach) continue;
          const uint32_t expected = ((static_cast<int>(sx) / c.block) + (static_cast<int>(sy) / c.block)) % 2 ? b : a;
          ASSERT_EQ(out.Pixel(x, y), expected) << "at (" << x << ", " << y << ")";
          ++checked;
        }
      EXPECT_GT(checked, c.target * c.target / 4);
    }
}

TEST(ResampleFilters, OvershootIsClampedNotWrapped) {
  // A hard step, enlarged: Lanczos rings above 255 next to the step on the bright side and
  // below 0 on the dark side. Wrapped bytes would show as dark pixels among bright ones.
  Bitmap32 step(8, 1);
  for (int x = 0; x < 8; ++x) step.SetPixel(x, 0, x < 4 ? Rgb(0, 0, 0) : Rgb(255, 255, 255));
  const Bitmap32 out = ResizeLanczos(step, 64, 1);
  for (int x = 0; x < 64; ++x) {
    const uint32_t v = RedOf(out.Pixel(x, 0));
    if (x < 28) {
      EXPECT_LE(v, 40u) << "at " << x;
    }
    if (x >= 36) {
      EXPECT_GE(v, 215u) << "at " << x;
    }
  }
}

TEST(ResampleFilters, TransparentColourDoesNotBleed) {
  // Left half opaque red, right half fully transparent green.
  Bitmap32 source(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) source.SetPixel(x, y, x < 4 ? Rgb(255, 0, 0) : Argb(0, 0, 255, 0));
  for (const ResampleFilter filter : {ResampleFilter::Bilinear, ResampleFilter::Lanczos3})
    for (const int size : {4, 13}) {
      SCOPED_TRACE(Name(filter) + " " + std::to_string(size));
      const Bitmap32 out = Resample(source, size, size, filter);
      for (size_t i = 0; i < out.PixelCount(); ++i) {
        const uint32_t p = out.Data()[i];
        if (AlphaOf(p) == 0) {
          EXPECT_EQ(p, 0u);
          continue;
        }
        EXPECT_EQ(GreenOf(p), 0u) << "pixel " << i << " took colour from transparent pixels";
        EXPECT_GE(RedOf(p), 250u) << "pixel " << i;
      }
    }
}

TEST(ResampleFilters, EmptySizesGiveEmptyBitmaps) {
  const Bitmap32 source(4, 4, Rgb(1, 2, 3));
  for (const ResampleFilter filter : {ResampleFilter::Nearest, ResampleFilter::Bilinear, ResampleFilter::Lanczos3}) {
    EXPECT_TRUE(Resample(source, 0, 5, filter).Empty());
    EXPECT_TRUE(Resample(source, 5, 0, filter).Empty());
    EXPECT_TRUE(Resample(source, -3, 5, filter).Empty());
    EXPECT_TRUE(Resample(Bitmap32(), 5, 5, filter).Empty());
    Bitmap32 target(3, 3, 9);
    ResampleInto(Bitmap32(), target, filter);
    EXPECT_EQ(target, Bitmap32(3, 3, 9));
  }
}

// Slow reference: the same kernel, applied in two dimensions at once in double precision.
Bitmap32 ReferenceLanczos(const Bitmap32& src, int tw, int th) {
  auto kernel = [](double x) {
    auto sinc = [](double v) { return v == 0 ? 1.0 : std::sin(std::numbers::pi * v) / (std::numbers::pi * v); };
    return std::abs(x) < 3 ? sinc(x) * sinc(x / 3) : 0.0;
  };
  auto weights = [&](int s, int t, int i) {
    const double scale = static_cast<double>(s) / t, stretch = std::max(scale, 1.0), c = (i + 0.5) * scale;
    std::vector<double> w(s);
    double sum = 0;
    for (int j = 0; j < s; ++j) sum += w[j] = kernel((j + 0.5 - c) / stretch);
    for (double& v : w) v /= sum;
    return w;
  };
  Bitmap32 out(tw, th);
  for (int y = 0; y < th; ++y) {
    const std::vector<double> wy = weights(src.Height(), th, y);
    for (int x = 0; x < tw; ++x) {
      const std::vector<double> wx = weights(src.Width(), tw, x);
      double ch[3] = {0, 0, 0};
      for (int j = 0; j < src.Height(); ++j)
        for (int i = 0; i < src.Width(); ++i) {
          const double w = wx[i] * wy[j];
          if (w == 0) continue;
          const uint32_t p = src.Pixel(i, j);
          ch[0] += w * RedOf(p), ch[1] += w * GreenOf(p), ch[2] += w * BlueOf(p);
        }
      auto byte = [](double v) { return static_cast<uint32_t>(std::clamp(std::lround(v), 0l, 255l)); };
      out.SetPixel(x, y, Rgb(byte(ch[0]), byte(ch[1]), byte(ch[2])));
    }
  }
  return out;
}

TEST(ResampleFilters, LanczosMatchesTheSlowReference) {
  Bitmap32 smooth(40, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      smooth.SetPixel(x, y, Rgb(128 + 100 * std::sin(x * 0.3), 128 + 100 * std::cos(y * 0.4), (x * 3 + y * 4) % 200 + 20));
  for (const auto& [tw, th] : {std::pair{17, 13}, std::pair{71, 53}, std::pair{40, 11}}) {
    SCOPED_TRACE(std::to_string(tw) + "x" + std::to_string(th));
    const Bitmap32 fast = ResizeLanczos(smooth, tw, th);
    const Bitmap32 slow = ReferenceLanczos(smooth, tw, th);
    int worst = 0;
    for (size_t i = 0; i < fast.PixelCount(); ++i)
      for (int shift = 0; shift < 24; shift += 8)
        worst = std::max(worst, std::abs(static_cast<int>((fast.Data()[i] >> shift) & 0xFF) -
                                         static_cast<int>((slow.Data()[i] >> shift) & 0xFF)));
    EXPECT_LE(worst, 2);
  }
}

}  // namespace
}  // namespace kx
