// Curved and polygon shapes turned into regions, one row at a time. The coverage rules are
// stated at the top of Region.h; everything here is exact integer arithmetic on doubled
// coordinates (2x + 1 is the doubled centre of pixel column x), so there are no rounding
// differences between rows, shapes or machines.
#include <algorithm>
#include <cmath>
#include <limits>

#include "transitions/Region.h"

namespace kx {

namespace {

constexpr int32_t kCoordLimit = 1 << 27;

int32_t ClampCoord(int32_t v) { return std::clamp(v, -kCoordLimit, kCoordLimit); }

// floor(a / b) and ceil(a / b) for b > 0.
int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int64_t CeilDiv(int64_t a, int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

uint64_t ISqrt(unsigned __int128 v) {
  uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<long double>(v)));
  while (static_cast<unsigned __int128>(r) * r > v) --r;
  while (static_cast<unsigned __int128>(r + 1) * (r + 1) <= v) ++r;
  return r;
}

// For an ellipse of diameters a (across) and b (down), and a row whose doubled centre lies dy
// from the doubled centre of the ellipse (|dy| < b), the largest doubled distance m from the
// centre column that still lies inside: (m / a)^2 + (dy / b)^2 <= 1, that is
// m^2 <= a^2 (b^2 - dy^2) / b^2.
int64_t EllipseReach(int64_t a, int64_t b, int64_t dy) {
  const unsigned __int128 a2 = static_cast<unsigned __int128>(a) * a;
  const unsigned __int128 b2 = static_cast<unsigned __int128>(b) * b;
  const unsigned __int128 d2 = static_cast<unsigned __int128>(dy < 0 ? -dy : dy) * (dy < 0 ? -dy : dy);
  if (d2 > b2) return -1;
  return static_cast<int64_t>(ISqrt(a2 * (b2 - d2) / b2));
}

// Pixel columns whose doubled centre 2x + 1 lies within `reach` of the doubled centre `c2`:
// x from ceil((c2 - 1 - reach) / 2) to floor((c2 - 1 + reach) / 2).
int64_t FirstColumnWithin(int64_t c2, int64_t reach) { return CeilDiv(c2 - 1 - reach, 2); }
int64_t LastColumnWithin(int64_t c2, int64_t reach) { return FloorDiv(c2 - 1 + reach, 2); }

void AddRow(RegionBuilder& builder, int32_t y, int64_t first, int64_t last) {
  if (first > last) return;
  const Region::Span span{static_cast<int32_t>(first), static_cast<int32_t>(last + 1)};
  builder.AddBand(y, y + 1, std::span(&span, 1));
}

}  // namespace

Region CreateEllipticRgn(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  left = ClampCoord(left), top = ClampCoord(top), right = ClampCoord(right), bottom = ClampCoord(bottom);
  RegionBuilder builder;
  if (left >= right || top >= bottom) return builder.Finish();
  const int64_t a = int64_t{right} - left, b = int64_t{bottom} - top;
  const int64_t cx2 = int64_t{left} + right, cy2 = int64_t{top} + bottom;
  for (int32_t y = top; y < bottom; ++y) {
    const int64_t reach = EllipseReach(a, b, 2 * int64_t{y} + 1 - cy2);
    if (reach < 0) continue;
    AddRow(builder, y, FirstColumnWithin(cx2, reach), LastColumnWithin(cx2, reach));
  }
  return builder.Finish();
}

Region CreateRoundRectRgn(int32_t left, int32_t top, int32_t right, int32_t bottom,
                          int32_t ellipseWidth, int32_t ellipseHeight) {
  left = ClampCoord(left), top = ClampCoord(top), right = ClampCoord(right), bottom = ClampCoord(bottom);
  if (left >= right || top >= bottom) return Region();
  const int64_t ew = std::clamp<int64_t>(ellipseWidth, 0, int64_t{right} - left);
  const int64_t eh = std::clamp<int64_t>(ellipseHeight, 0, int64_t{bottom} - top);
  if (ew == 0 || eh == 0) return CreateRectRgn(left, top, right, bottom);

  RegionBuilder builder;
  // Doubled centres of the left and right corner ellipses, and of the top and bottom ones.
  const int64_t leftC2 = 2 * int64_t{left} + ew, rightC2 = 2 * int64_t{right} - ew;
  const int64_t topC2 = 2 * int64_t{top} + eh, bottomC2 = 2 * int64_t{bottom} - eh;
  const Region::Span full{left, right};
  for (int32_t y = top; y < bottom;) {
    const int64_t row2 = 2 * int64_t{y} + 1;
    int64_t dy;
    if (row2 < topC2) {
      dy = row2 - topC2;
    } else if (row2 > bottomC2) {
      dy = row2 - bottomC2;
    } else {
      // Rows between the corner zones are whole: add them as one band.
      const int32_t last = static_cast<int32_t>(std::min<int64_t>(FloorDiv(bottomC2 - 1, 2), bottom - 1));
      builder.AddBand(y, last + 1, std::span(&full, 1));
      y = last + 1;
      continue;
    }
    const int64_t reach = EllipseReach(ew, eh, dy);
    if (reach >= 0)
      AddRow(builder, y, FirstColumnWithin(leftC2, reach), LastColumnWithin(rightC2, reach));
    ++y;
  }
  return builder.Finish();
}

Region CreatePolygonRgn(std::span<const Point> points) {
  RegionBuilder builder;
  const size_t n = points.size();
  if (n < 3) return builder.Finish();

  // Non-horizontal edges, each from its upper end (x0, y0) to its lower end (x1, y1), with the
  // direction +1 for edges that run downward in the point order and -1 for upward ones.
  struct Edge {
    int64_t x0, y0, x1, y1;
    int dir;
  };
  std::vector<Edge> edges;
  edges.reserve(n);
  int64_t yMin = std::numeric_limits<int64_t>::max(), yMax = std::numeric_limits<int64_t>::min();
  for (size_t i = 0; i < n; ++i) {
    const Point p{ClampCoord(points[i].X), ClampCoord(points[i].Y)};
    const Point q{ClampCoord(points[(i + 1) % n].X), ClampCoord(points[(i + 1) % n].Y)};
    if (p.Y == q.Y) continue;
    if (p.Y < q.Y) edges.push_back({p.X, p.Y, q.X, q.Y, +1});
    else edges.push_back({q.X, q.Y, p.X, p.Y, -1});
    yMin = std::min<int64_t>(yMin, std::min(p.Y, q.Y));
    yMax = std::max<int64_t>(yMax, std::max(p.Y, q.Y));
  }
  if (edges.empty()) return builder.Finish();
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });

  // On row y an edge with y0 <= y < y1 crosses the centre line y + 0.5 at
  //   xc = x0 + (2y + 1 - 2 y0) (x1 - x0) / (2 (y1 - y0)).
  // Its winding counts for pixel x when xc <= x + 0.5, i.e. from the first column
  //   x = x0 + ceil((ceil(K / dy) - 1) / 2), K = (2y + 1 - 2 y0) (x1 - x0), dy = y1 - y0.
  struct Crossing {
    int64_t x;
    int dir;
  };
  std::vector<Crossing> crossings;
  std::vector<Region::Span> spans;
  for (int64_t y = yMin; y < yMax; ++y) {
    crossings.clear();
    for (const Edge& e : edges) {
      if (e.y0 > y) break;
      if (y >= e.y1) continue;
      const int64_t dy = e.y1 - e.y0;
      const int64_t k = (2 * y + 1 - 2 * e.y0) * (e.x1 - e.x0);
      crossings.push_back({e.x0 + CeilDiv(CeilDiv(k, dy) - 1, 2), e.dir});
    }
    std::sort(crossings.begin(), crossings.end(),
              [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
    spans.clear();
    int winding = 0;
    int64_t start = 0;
    for (size_t i = 0; i < crossings.size();) {
      const int64_t x = crossings[i].x;
      const bool wasIn = winding != 0;
      for (; i < crossings.size() && crossings[i].x == x; ++i) winding += crossings[i].dir;
      const bool isIn = winding != 0;
      if (isIn && !wasIn) start = x;
      if (!isIn && wasIn) spans.push_back({static_cast<int32_t>(start), static_cast<int32_t>(x)});
    }
    builder.AddBand(static_cast<int32_t>(y), static_cast<int32_t>(y + 1), spans);
  }
  return builder.Finish();
}

Region PolygonRgn(std::span<const int32_t> coords) {
  std::vector<Point> points(coords.size() / 2);
  for (size_t i = 0; i < points.size(); ++i) points[i] = {coords[2 * i], coords[2 * i + 1]};
  return CreatePolygonRgn(points);
}

}  // namespace kx
