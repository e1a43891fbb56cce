#pragma once
// The pieces the blended drawing of Canvas.cpp is built from, shared with TBlendPlan, which
// records the same drawing to play it again: the one-colour blend and the walks over the
// pixels of a line and of an anti-aliased polygon. The walks only name pixels (and, for
// polygons, their alpha), inside a width x height bitmap, in the order the drawing blends
// them; what happens to each pixel is the caller's.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "anim/Canvas.h"

namespace kx::raster {

inline int ClampAlpha(int alpha) { return std::clamp(alpha, 0, 255); }

// Source-over of one colour at one alpha, on all four channels at once (the source's alpha
// byte counts as 255, so the destination alpha becomes a + dstAlpha x (255 - a) / 255).
// Red and blue, and alpha and green, share one 32-bit product each: every channel's
// s x a + d x (255 - a) + 128 stays below 2^16, and (t + (t >> 8)) >> 8 is that sum divided
// by 255 and rounded, exactly.
class Blender {
 public:
  Blender(uint32_t rgb, int alpha) {
    const uint32_t a = static_cast<uint32_t>(ClampAlpha(alpha));
    const uint32_t s = 0xFF000000u | (rgb & 0x00FFFFFFu);
    inverse_ = 255 - a;
    redBlue_ = (s & 0x00FF00FFu) * a + 0x00800080u;
    alphaGreen_ = ((s >> 8) & 0x00FF00FFu) * a + 0x00800080u;
  }
  uint32_t operator()(uint32_t d) const {
    uint32_t rb = (d & 0x00FF00FFu) * inverse_ + redBlue_;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t ag = ((d >> 8) & 0x00FF00FFu) * inverse_ + alphaGreen_;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return rb | ag;
  }

 private:
  uint32_t inverse_;
  uint32_t redBlue_;
  uint32_t alphaGreen_;
};

// Lines longer than this many steps lie mostly far outside any frame; they are not drawn
// rather than walked pixel by pixel.
inline constexpr int64_t kLongestLine = 1 << 16;

// The pixels of BlendLine's line inside w x h: plot(x, y) for each, from (x0, y0) on.
template <typename Plot>
void WalkLine(int w, int h, int x0, int y0, int x1, int y1, bool includeEnd, Plot&& plot) {
  if (w <= 0 || h <= 0) return;
  // Wholly on one side of the bitmap: nothing to draw.
  if ((x0 < 0 && x1 < 0) || (y0 < 0 && y1 < 0) || (x0 >= w && x1 >= w) || (y0 >= h && y1 >= h)) return;
  const int64_t dx = std::llabs(int64_t{x1} - x0);
  const int64_t dy = std::llabs(int64_t{y1} - y0);
  const int64_t steps = std::max(dx, dy);
  if (steps > kLongestLine) return;
  // From here every difference and error term fits in an int.
  const int ax = static_cast<int>(dx), ay = static_cast<int>(dy);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  const int count = static_cast<int>(includeEnd ? steps + 1 : steps);
  // Every pixel of the line lies in the box of its ends: with both ends inside the bitmap,
  // no pixel needs checking.
  const bool inside = x0 >= 0 && x1 >= 0 && y0 >= 0 && y1 >= 0 && x0 < w && x1 < w && y0 < h && y1 < h;
  // Bresenham: one pixel per step along the longer axis.
  int err = (ax > ay ? ax : -ay) / 2;
  int x = x0, y = y0;
  for (int i = 0; i < count; ++i) {
    if (inside || (x >= 0 && y >= 0 && x < w && y < h)) {
      plot(x, y);
    } else if ((sx > 0 ? x >= w : x < 0) || (sy > 0 ? y >= h : y < 0)) {
      // Past an edge in the direction of travel: x and y only move further away, so no later
      // pixel is inside (a streak from the frame to far outside costs its visible part only).
      break;
    }
    const int e = err;
    if (e > -ax) {
      err -= ay;
      x += sx;
    }
    if (e < ay) {
      err += ax;
      y += sy;
    }
  }
}

// A coverage buffer per thread, kept between calls: the clock fills dozens of small
// polygons every frame.
std::vector<double>& CoverageScratch();

// The pixels of FillPolygonAA's polygon inside w x h with their alpha (alpha times the
// covered part, rounded; only those above 0): cover(x, y, a), row by row, left to right.
template <typename Cover>
void WalkPolygonAA(int w, int h, const PointD* points, int count, int alpha, Cover&& cover) {
  constexpr int kMaxPoints = 16;
  constexpr int kSubRows = 8;
  count = std::min(count, kMaxPoints);
  if (count < 3 || alpha <= 0 || w <= 0 || h <= 0) return;
  // Pixel (px, py) covers [px - 0.5, px + 0.5) x [py - 0.5, py + 0.5); shifting by a half
  // pixel puts the pixel edges on whole numbers.
  PointD p[kMaxPoints];
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  for (int i = 0; i < count; ++i) {
    p[i] = {points[i].X + 0.5, points[i].Y + 0.5};
    if (!std::isfinite(p[i].X) || !std::isfinite(p[i].Y)) return;
    minX = std::min(minX, p[i].X);
    maxX = std::max(maxX, p[i].X);
    minY = std::min(minY, p[i].Y);
    maxY = std::max(maxY, p[i].Y);
  }
  const int col0 = static_cast<int>(std::max(0.0, std::floor(minX)));
  const int col1 = static_cast<int>(std::min<double>(w, std::ceil(maxX)));  // exclusive
  const int row0 = static_cast<int>(std::max(0.0, std::floor(minY)));
  const int row1 = static_cast<int>(std::min<double>(h, std::ceil(maxY)));
  if (col0 >= col1 || row0 >= row1) return;

  std::vector<double>& coverage = CoverageScratch();
  coverage.resize(static_cast<size_t>(col1 - col0) + 1);
  // The edges that are not horizontal, each as its top, bottom, x at the top and slope.
  struct Edge {
    double top, bottom, x, slope;
    int winding;
  } edges[kMaxPoints];
  int edgeCount = 0;
  for (int i = 0; i < count; ++i) {
    const PointD& a = p[i];
    const PointD& b = p[(i + 1) % count];
    if (a.Y == b.Y) continue;
    const bool down = a.Y < b.Y;
    const PointD& t = down ? a : b;
    const PointD& u = down ? b : a;
    edges[edgeCount++] = {t.Y, u.Y, t.X, (u.X - t.X) / (u.Y - t.Y), down ? 1 : -1};
  }

  const double weight = 1.0 / kSubRows;
  std::fill(coverage.begin(), coverage.end(), 0.0);
  for (int py = row0; py < row1; ++py) {
    // Columns touched in this row; only they are handed on and cleared again.
    int touched0 = col1, touched1 = col0 - 1;
    for (int s = 0; s < kSubRows; ++s) {
      const double sy = py + (s + 0.5) * weight;
      if (sy < minY || sy >= maxY) continue;
      struct Crossing {
        double x;
        int winding;
      } crossings[kMaxPoints];
      int n = 0;
      for (int i = 0; i < edgeCount; ++i) {
        const Edge& e = edges[i];
        if (sy < e.top || sy >= e.bottom) continue;
        const double x = e.x + (sy - e.top) * e.slope;
        int j = n++;
        while (j > 0 && crossings[j - 1].x > x) {
          crossings[j] = crossings[j - 1];
          --j;
        }
        crossings[j] = {x, e.winding};
      }
      int winding = 0;
      for (int i = 0; i + 1 < n; ++i) {
        winding += crossings[i].winding;
        if (winding == 0) continue;
        // Coverage of the span [xl, xr) on this sub-row, exact across the row.
        const double xl = std::max(crossings[i].x, static_cast<double>(col0));
        const double xr = std::min(crossings[i + 1].x, static_cast<double>(col1));
        if (xl >= xr) continue;
        // Both are at least col0 >= 0, so truncation is the floor.
        const int il = static_cast<int>(xl);
        const int ir = std::min(static_cast<int>(xr), col1 - 1);
        touched0 = std::min(touched0, il);
        touched1 = std::max(touched1, ir);
        if (il == ir) {
          coverage[il - col0] += (xr - xl) * weight;
          continue;
        }
        coverage[il - col0] += (il + 1 - xl) * weight;
        for (int c = il + 1; c < ir; ++c) coverage[c - col0] += weight;
        coverage[ir - col0] += (xr - ir) * weight;
      }
    }
    if (touched0 > touched1) continue;
    const int full = std::min(alpha, 255);
    for (int c = touched0; c <= touched1; ++c) {
      double& covered = coverage[c - col0];
      const int a = static_cast<int>(full * std::min(1.0, covered) + 0.5);
      covered = 0;
      if (a > 0) cover(c, py, a);
    }
  }
}

}  // namespace kx::raster
