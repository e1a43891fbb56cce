#include "kxscene/MaskTools.h"

#include <algorithm>
#include <cmath>

#include "scene/WaterMask.h"

namespace kx::kxscene {

void MaskBox::Add(const MaskBox& other) {
  if (other.Empty()) return;
  if (Empty()) {
    *this = other;
    return;
  }
  Left = std::min(Left, other.Left);
  Top = std::min(Top, other.Top);
  Right = std::max(Right, other.Right);
  Bottom = std::max(Bottom, other.Bottom);
}

namespace {

// Rows first..last - 1 of the mask whose centres can lie between y0 and y1.
void RowRange(const Bitmap32& mask, double y0, double y1, int& first, int& last) {
  first = std::max(0, static_cast<int>(std::floor(y0 - 0.5)));
  last = std::min(mask.Height(), static_cast<int>(std::ceil(y1 + 0.5)));
}

// Writes columns [from, to) of row y and grows the box.
void Span(Bitmap32& mask, int y, int from, int to, uint32_t value, MaskBox& box) {
  from = std::max(from, 0);
  to = std::min(to, mask.Width());
  if (to <= from) return;
  std::fill(mask.Row(y) + from, mask.Row(y) + to, value);
  box.Add({from, y, to, y + 1});
}

// The first column whose centre is at or right of `x`, and the first whose centre is right of
// `x` (for the closed end of a span).
int FirstColumnAtOrAfter(double x) { return static_cast<int>(std::ceil(x - 0.5)); }
int FirstColumnAfter(double x) { return static_cast<int>(std::floor(x - 0.5)) + 1; }

}  // namespace

MaskBox PaintStroke(Bitmap32& mask, MaskPoint from, MaskPoint to, double radius, int region) {
  MaskBox box;
  if (mask.Empty() || radius <= 0) return box;
  const uint32_t value = MaskPixelOfRegion(region);
  int first = 0, last = 0;
  RowRange(mask, std::min(from.y, to.y) - radius, std::max(from.y, to.y) + radius, first, last);
  const double dx = to.x - from.x, dy = to.y - from.y;
  const double length2 = dx * dx + dy * dy;
  const double r2 = radius * radius;
  for (int y = first; y < last; ++y) {
    const double cy = y + 0.5;
    // The pixels of this row within `radius` of the segment form one run (the capsule is
    // convex); find it by its left and right ends over the row's columns.
    int left = mask.Width(), right = -1;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min(from.x, to.x) - radius - 1)));
    const int x1 = std::min(mask.Width() - 1, static_cast<int>(std::ceil(std::max(from.x, to.x) + radius + 1)));
    for (int x = x0; x <= x1; ++x) {
      const double cx = x + 0.5;
      double t = length2 > 0 ? ((cx - from.x) * dx + (cy - from.y) * dy) / length2 : 0;
      t = std::clamp(t, 0.0, 1.0);
      const double ex = from.x + t * dx - cx, ey = from.y + t * dy - cy;
      if (ex * ex + ey * ey <= r2) {
        left = std::min(left, x);
        right = x;
      }
    }
    if (right >= left) Span(mask, y, left, right + 1, value, box);
  }
  return box;
}

MaskBox PaintDisc(Bitmap32& mask, MaskPoint centre, double radius, int region) {
  return PaintStroke(mask, centre, centre, radius, region);
}

MaskBox FillPolygon(Bitmap32& mask, const std::vector<MaskPoint>& corners, int region) {
  MaskBox box;
  if (mask.Empty() || corners.size() < 3) return box;
  const uint32_t value = MaskPixelOfRegion(region);
  double top = corners[0].y, bottom = corners[0].y;
  for (const MaskPoint& p : corners) {
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  int first = 0, last = 0;
  RowRange(mask, top, bottom, first, last);
  std::vector<double> crossings;
  for (int y = first; y < last; ++y) {
    const double cy = y + 0.5;
    crossings.clear();
    // Edges count with their upper end included and their lower end left out, so a row
    // through a corner crosses the two edges that meet there once in all.
    for (size_t i = 0; i < corners.size(); ++i) {
      const MaskPoint& a = corners[i];
      const MaskPoint& b = corners[(i + 1) % corners.size()];
      if ((a.y <= cy && cy < b.y) || (b.y <= cy && cy < a.y)) {
        crossings.push_back(a.x + (cy - a.y) * (b.x - a.x) / (b.y - a.y));
      }
    }
    std::sort(crossings.begin(), crossings.end());
    for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
      Span(mask, y, FirstColumnAtOrAfter(crossings[i]), FirstColumnAtOrAfter(crossings[i + 1]), value, box);
    }
  }
  return box;
}

MaskBox FillBelowLine(Bitmap32& mask, MaskPoint a, MaskPoint b, int region) {
  MaskBox box;
  if (mask.Empty() || a.x == b.x) return box;
  const uint32_t value = MaskPixelOfRegion(region);
  const double slope = (b.y - a.y) / (b.x - a.x);
  for (int x = 0; x < mask.Width(); ++x) {
    const double lineY = a.y + (x + 0.5 - a.x) * slope;
    // Rows whose centre lies below the line (greater y: rows grow downwards).
    const int from = std::max(0, FirstColumnAfter(lineY));
    if (from >= mask.Height()) continue;
    for (int y = from; y < mask.Height(); ++y) mask.SetPixel(x, y, value);
    box.Add({x, from, x + 1, mask.Height()});
  }
  return box;
}

MaskBox FillSimilar(Bitmap32& mask, const Bitmap32& picture, int seedX, int seedY, int tolerance, int region) {
  MaskBox box;
  if (!mask.Contains(seedX, seedY) || picture.Width() != mask.Width() || picture.Height() != mask.Height()) return box;
  const uint32_t value = MaskPixelOfRegion(region);
  const uint32_t seed = picture.Pixel(seedX, seedY);
  auto similar = [&](uint32_t c) {
    auto near = [&](uint32_t p, uint32_t q) { return static_cast<int>(p > q ? p - q : q - p) <= tolerance; };
    return near(RedOf(c), RedOf(seed)) && near(GreenOf(c), GreenOf(seed)) && near(BlueOf(c), BlueOf(seed));
  };
  const int w = mask.Width();
  std::vector<uint8_t> seen(mask.PixelCount(), 0);
  std::vector<int> stack{seedY * w + seedX};
  seen[static_cast<size_t>(stack.back())] = 1;
  while (!stack.empty()) {
    const int at = stack.back();
    stack.pop_back();
    const int x = at % w, y = at / w;
    mask.SetPixel(x, y, value);
    box.Add({x, y, x + 1, y + 1});
    const int next[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
    for (const auto& n : next) {
      if (!mask.Contains(n[0], n[1])) continue;
      const size_t i = static_cast<size_t>(n[1]) * w + n[0];
      if (seen[i] || !similar(picture.Pixel(n[0], n[1]))) continue;
      seen[i] = 1;
      stack.push_back(static_cast<int>(i));
    }
  }
  return box;
}

std::vector<int64_t> CountRegions(const Bitmap32& mask) {
  std::vector<int64_t> counts(kMaskWaterRegions + 1, 0);
  for (size_t i = 0; i < mask.PixelCount(); ++i) ++counts[static_cast<size_t>(RegionOfMaskPixel(mask.Data()[i]))];
  return counts;
}

}  // namespace kx::kxscene
