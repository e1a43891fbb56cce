#pragma once
// Small helpers of the shape effects: triangles and four-point polygons by their points, and
// chains of combinations taken from left to right.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "transitions/Region.h"

namespace kx {

// A polygon through these points in this order, winding fill.
inline Region Poly(std::initializer_list<Point> points) {
  return CreatePolygonRgn(std::span<const Point>(points.begin(), points.size()));
}
inline Region Tri(Point a, Point b, Point c) { return Poly({a, b, c}); }

// ((first op r1) op r2) op ...: each result replaces the first region.
template <typename... Rest>
Region Chain(CombineMode mode, Region first, const Rest&... rest) {
  ((first = Region::Combine(first, rest, mode)), ...);
  return first;
}

}  // namespace kx
