#pragma once
// What the tests of the region effects share: their rows by family, one step drawn with the
// generated pictures of TestPictures.h, and the step read back as the set of pixels that show
// the new picture. A clip-and-copy effect takes every pixel from the same place of one of the
// two pictures, so each pixel of a frame must be either the old or the new pixel there.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "TestPictures.h"
#include "imaging/Bitmap32.h"
#include "transitions/Region.h"
#include "transitions/TransitionStep.h"

namespace kx::testing {

inline std::vector<int> Rows(std::initializer_list<std::pair<int, int>> ranges) {
  std::vector<int> rows;
  for (const auto& [first, last] : ranges)
    for (int i = first; i <= last; ++i) rows.push_back(i);
  return rows;
}
inline std::vector<int> BarRows() { return Rows({{63, 67}, {74, 78}, {89, 102}}); }
inline std::vector<int> ShredRows() { return Rows({{68, 71}, {79, 82}, {103, 112}}); }
inline std::vector<int> SpeckleRows() { return Rows({{125, 128}}); }
inline std::vector<int> CurvedRows() {
  return Rows({{61, 62}, {72, 73}, {83, 88}, {113, 119}, {153, 163}, {165, 167}});
}
inline std::vector<int> GridRows() { return Rows({{120, 120}, {129, 129}, {138, 152}, {164, 164}}); }
inline std::vector<int> RegionEffectRows() {
  std::vector<int> rows;
  for (const auto& family : {BarRows(), ShredRows(), SpeckleRows(), CurvedRows(), GridRows()})
    rows.insert(rows.end(), family.begin(), family.end());
  return rows;
}

// Which pixels of a frame show the new picture: one flag per pixel, rows top first.
struct NewMask {
  int w = 0, h = 0;
  std::vector<uint8_t> shows;
  bool At(int x, int y) const { return shows[static_cast<size_t>(y) * w + x] != 0; }
  int64_t Count() const {
    int64_t n = 0;
    for (uint8_t s : shows) n += s;
    return n;
  }
  bool operator==(const NewMask&) const = default;
};

// The mask of a frame; a pixel that is neither picture's own pixel at its place fails the test.
inline NewMask MaskOf(const Bitmap32& frame, const Bitmap32& old, const Bitmap32& fresh,
                      const std::string& what) {
  NewMask m{frame.Width(), frame.Height(), {}};
  m.shows.resize(static_cast<size_t>(m.w) * m.h);
  for (int y = 0; y < m.h; ++y)
    for (int x = 0; x < m.w; ++x) {
      const uint32_t p = frame.Pixel(x, y);
      EXPECT_TRUE(p == old.Pixel(x, y) || p == fresh.Pixel(x, y)) << what << " at " << x << "," << y;
      m.shows[static_cast<size_t>(y) * m.w + x] = p == fresh.Pixel(x, y);
    }
  return m;
}

// The mask of one step of `effect` at `percent` on W x H.
inline NewMask StepMask(int effect, int w, int h, int percent) {
  const Bitmap32 old = OldPicture(w, h), fresh = NewPicture(w, h);
  Bitmap32 frame;
  EXPECT_TRUE(TransitionStep(effect, old, fresh, percent, frame));
  return MaskOf(frame, old, fresh,
                "effect " + std::to_string(effect) + " at " + std::to_string(percent) + "% on " +
                    std::to_string(w) + "x" + std::to_string(h));
}

// The mask of a region over W x H.
inline NewMask RegionMask(const Region& region, int w, int h) {
  NewMask m{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) m.shows[static_cast<size_t>(y) * w + x] = region.Contains(x, y);
  return m;
}

}  // namespace kx::testing
