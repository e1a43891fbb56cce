#include "anim/BlendPlan.h"

#include <algorithm>

namespace kx {

void TBlendPlan::Begin(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  steps_.clear();
}

void TBlendPlan::Add(int x, int y, uint32_t rgb, int alpha) {
  steps_.push_back({x, y, raster::Blender(rgb, alpha)});
}

void TBlendPlan::Line(int x0, int y0, int x1, int y1, uint32_t rgb, int alpha, bool includeEnd) {
  if (alpha <= 0) return;
  raster::WalkLine(width_, height_, x0, y0, x1, y1, includeEnd, [&](int x, int y) { Add(x, y, rgb, alpha); });
}

void TBlendPlan::PolygonAA(const PointD* points, int count, uint32_t rgb, int alpha) {
  raster::WalkPolygonAA(width_, height_, points, count, alpha, [&](int x, int y, int a) { Add(x, y, rgb, a); });
}

void TBlendPlan::OpaquePixel(int x, int y, uint32_t rgb) {
  // A blend at alpha 255 gives the opaque colour exactly.
  if (x >= 0 && y >= 0 && x < width_ && y < height_) Add(x, y, rgb, 255);
}

void TBlendPlan::PlayOver(Bitmap32& target, int x, int y) const {
  const int64_t w = target.Width(), h = target.Height();
  if (x >= 0 && y >= 0 && x + int64_t{width_} <= w && y + int64_t{height_} <= h) {
    // Wholly inside: no pixel needs checking.
    uint32_t* const origin = target.Row(y) + x;
    const ptrdiff_t stride = target.Width();
    for (const Step& step : steps_) {
      uint32_t& p = origin[step.Y * stride + step.X];
      p = step.Blend(p);
    }
    return;
  }
  for (const Step& step : steps_) {
    const int64_t tx = x + int64_t{step.X}, ty = y + int64_t{step.Y};
    if (tx < 0 || ty < 0 || tx >= w || ty >= h) continue;
    uint32_t& p = target.Row(static_cast<int>(ty))[tx];
    p = step.Blend(p);
  }
}

std::vector<TBlendPlan::RowSpan> TBlendPlan::RowSpans(int32_t gap) const {
  std::vector<RowSpan> points;
  points.reserve(steps_.size());
  for (const Step& step : steps_) points.push_back({step.Y, step.X, step.X + 1});
  std::sort(points.begin(), points.end(),
            [](const RowSpan& a, const RowSpan& b) { return a.Y != b.Y ? a.Y < b.Y : a.Left < b.Left; });
  std::vector<RowSpan> spans;
  for (const RowSpan& p : points) {
    if (!spans.empty() && spans.back().Y == p.Y && p.Left < spans.back().Right + std::max(gap, 1)) {
      spans.back().Right = std::max(spans.back().Right, p.Right);
    } else {
      spans.push_back(p);
    }
  }
  return spans;
}

}  // namespace kx
