#pragma once
// Seeded shapes for the region and raster tests. ShapeCase(n) turns a case number into one
// shape, biased toward the cases that break rasterisers: edges on whole coordinates, shapes
// partly or wholly outside the test window, zero sizes, inverted rectangles, repeated and
// collinear points, self-crossing polygons. Each shape carries its own point-in-shape test,
// written straight from the coverage rules, so a failing case can be replayed by its number.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "transitions/Region.h"

namespace kx::testing {

// The window that every case of ShapeCase stays inside; tests compare whole pixel sets over it.
inline constexpr Rect kWindow{-50, -50, 90, 90};

struct Shape {
  std::string description;
  Region region;
  std::function<bool(int32_t, int32_t)> contains;  // the brute-force reference
};

// Doubled-coordinate helpers of the reference tests: 2x + 1 is the doubled centre of column x.
inline bool EllipseHolds(int64_t l, int64_t t, int64_t r, int64_t b, int64_t x, int64_t y) {
  if (l >= r || t >= b) return false;
  const __int128 a = r - l, bb = b - t;
  const __int128 dx = 2 * x + 1 - (l + r), dy = 2 * y + 1 - (t + b);
  return dx * dx * bb * bb + dy * dy * a * a <= a * a * bb * bb;
}

inline bool RoundRectHolds(int64_t l, int64_t t, int64_t r, int64_t b, int64_t ew, int64_t eh,
                           int64_t x, int64_t y) {
  if (l >= r || t >= b) return false;
  if (x < l || x >= r || y < t || y >= b) return false;
  ew = std::clamp<int64_t>(ew, 0, r - l);
  eh = std::clamp<int64_t>(eh, 0, b - t);
  if (ew == 0 || eh == 0) return true;
  const int64_t cx2 = 2 * x + 1, cy2 = 2 * y + 1;
  const bool nearLeft = cx2 - 2 * l < ew, nearRight = 2 * r - cx2 < ew;
  const bool nearTop = cy2 - 2 * t < eh, nearBottom = 2 * b - cy2 < eh;
  if (!(nearLeft || nearRight) || !(nearTop || nearBottom)) return true;
  const int64_t el = nearLeft ? l : r - ew, et = nearTop ? t : b - eh;
  return EllipseHolds(el, et, el + ew, et + eh, x, y);
}

// Winding number just to the right of the centre of pixel (x, y).
inline int WindingAt(const std::vector<Point>& pts, int64_t x, int64_t y) {
  if (pts.size() < 3) return 0;
  int winding = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    Point p = pts[i], q = pts[(i + 1) % pts.size()];
    if (p.Y == q.Y) continue;
    const int dir = p.Y < q.Y ? 1 : -1;
    if (p.Y > q.Y) std::swap(p, q);
    if (!(p.Y <= y && y < q.Y)) continue;
    // The edge crosses row centre y + 0.5 at xc; it counts when xc <= x + 0.5.
    const int64_t dy = int64_t{q.Y} - p.Y;
    if ((2 * x + 1 - 2 * int64_t{p.X}) * dy >= (2 * y + 1 - 2 * int64_t{p.Y}) * (int64_t{q.X} - p.X))
      winding += dir;
  }
  return winding;
}

inline Shape ShapeCase(int n) {
  std::mt19937 rng(static_cast<uint32_t>(n) * 2654435761u + 17u);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  // Coordinates cluster on a few values so that edges meet and coincide.
  auto coord = [&]() {
    switch (pick(0, 5)) {
      case 0: return pick(-45, 85);
      case 1: return pick(0, 4) * 10;
      case 2: return pick(-3, 3);
      case 3: return 40 + pick(-2, 2);
      default: return pick(-20, 60);
    }
  };
  Shape s;
  const int kind = n % 5;
  if (kind == 0) {
    const int l = coord(), t = coord(), r = coord(), b = coord();
    s.description = "rect " + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," + std::to_string(b);
    s.region = CreateRectRgn(l, t, r, b);
    s.contains = [=](int32_t x, int32_t y) { return x >= l && x < r && y >= t && y < b; };
  } else if (kind == 1) {
    int l = coord(), t = coord(), r = coord(), b = coord();
    if (pick(0, 3) > 0 && l > r) std::swap(l, r);  // mostly upright, sometimes inverted
    if (pick(0, 3) > 0 && t > b) std::swap(t, b);
    if (pick(0, 5) == 0) r = l + pick(0, 2);        // thin
    s.description = "ellipse " + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," + std::to_string(b);
    s.region = CreateEllipticRgn(l, t, r, b);
    s.contains = [=](int32_t x, int32_t y) { return EllipseHolds(l, t, r, b, x, y); };
  } else if (kind == 2) {
    int l = coord(), t = coord(), r = coord(), b = coord();
    if (pick(0, 3) > 0 && l > r) std::swap(l, r);
    if (pick(0, 3) > 0 && t > b) std::swap(t, b);
    const int ew = pick(0, 3) == 0 ? pick(-5, 200) : pick(0, 40);
    const int eh = pick(0, 3) == 0 ? pick(-5, 200) : pick(0, 40);
    s.description = "roundrect " + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," +
                    std::to_string(b) + " " + std::to_string(ew) + "x" + std::to_string(eh);
    s.region = CreateRoundRectRgn(l, t, r, b, ew, eh);
    s.contains = [=](int32_t x, int32_t y) { return RoundRectHolds(l, t, r, b, ew, eh, x, y); };
  } else {
    std::vector<Point> pts(static_cast<size_t>(pick(kind == 3 ? 3 : 1, kind == 3 ? 4 : 9)));
    for (Point& p : pts) p = {coord(), coord()};
    if (pts.size() > 2 && pick(0, 4) == 0) pts[1] = pts[0];                        // repeated point
    if (pts.size() > 2 && pick(0, 4) == 0) {  // three collinear points
      const Point d{pick(-12, 12), pick(-12, 12)};
      pts[0] = {std::clamp(pts[0].X, -20, 60), std::clamp(pts[0].Y, -20, 60)};
      pts[1] = {pts[0].X + d.X, pts[0].Y + d.Y};
      pts[2] = {pts[0].X + 2 * d.X, pts[0].Y + 2 * d.Y};
    }
    s.description = "polygon";
    for (const Point& p : pts) s.description += " (" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")";
    s.region = CreatePolygonRgn(pts);
    s.contains = [pts](int32_t x, int32_t y) { return WindingAt(pts, x, y) != 0; };
  }
  return s;
}

}  // namespace kx::testing
