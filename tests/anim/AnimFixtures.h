#pragma once
// Fixtures of the animation tests: scenes built in memory (picture, mask, wave records,
// weather) and small helpers to look at frames.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "imaging/Bitmap32.h"
#include "scene/Project.h"
#include "scene/WaterMask.h"

namespace kx::testing {

// A picture whose pixels tell their position: red = x, green = y (both mod 256), blue =
// (x + y) / 256 mixed with a seed, so that no two pixels of a small picture are equal.
inline Bitmap32 PositionPicture(int width, int height, uint8_t seed = 0x40) {
  Bitmap32 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture.SetPixel(x, y, Rgb(x & 0xFF, y & 0xFF, (seed + ((x >> 8) << 4) + (y >> 8)) & 0xFF));
    }
  }
  return picture;
}

// A still wave record: the defaults of a package, but moving nothing until a test says so.
inline TWaveParam StillWave() {
  TWaveParam p = TWaveParam::Defaults();
  p.Amplitude = 0;
  p.Jitter = 0;
  p.Sway = 0;
  p.Perspective = 0;
  p.Reflection = 0;
  return p;
}

// A scene of width x height with an all-dry mask and eight still wave records.
inline void MakeScene(TProject& project, int width, int height) {
  project.Reset();
  *project.Picture = PositionPicture(width, height);
  project.WaterMask->SetSize(width, height, 0);
  for (auto& p : project.WaveParams) *p = StillWave();
  *project.Weather = TWeatherParam{};
  project.PictureWidth = width;
  project.PictureHeight = height;
  project.Speed = 100;
}

// Marks the pixels for which `inside(x, y)` holds as mask region `region` (1 .. 6).
inline void PaintRegion(TProject& project, int region, const std::function<bool(int, int)>& inside) {
  Bitmap32& mask = *project.WaterMask;
  for (int y = 0; y < mask.Height(); ++y) {
    for (int x = 0; x < mask.Width(); ++x) {
      if (inside(x, y)) mask.SetPixel(x, y, MaskPixelOfRegion(region));
    }
  }
}

inline void PaintRows(TProject& project, int region, int firstRow, int lastRow) {
  PaintRegion(project, region, [&](int, int y) { return y >= firstRow && y <= lastRow; });
}

// The number of pixels in which two bitmaps of one size differ (-1 for different sizes).
inline int64_t DifferingPixels(const Bitmap32& a, const Bitmap32& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
  int64_t n = 0;
  for (size_t i = 0; i < a.PixelCount(); ++i) n += a.Data()[i] != b.Data()[i];
  return n;
}

// The first pixel in which two bitmaps differ, for failure messages.
inline std::string FirstDifference(const Bitmap32& a, const Bitmap32& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return "sizes differ";
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      if (a.Pixel(x, y) != b.Pixel(x, y)) {
        char text[96];
        std::snprintf(text, sizeof text, "(%d, %d): %08X vs %08X", x, y, a.Pixel(x, y), b.Pixel(x, y));
        return text;
      }
    }
  }
  return "none";
}

inline uint32_t Grey(uint32_t level) { return Rgb(level, level, level); }

}  // namespace kx::testing
