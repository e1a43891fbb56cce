#pragma once
// TBlendPlan: blended drawing recorded once and played again over new pixels.
//
// Recording walks the same pixels, with the same colours and alphas and in the same order,
// as BlendLine, FillPolygonAA and the setting of an opaque pixel do over a bitmap of the
// plan's size; playing the plan over such a bitmap gives exactly what that drawing gives
// over it. It suits drawing that stays the same from frame to frame over a background that
// changes, such as the clock's face: the coverage of its anti-aliased bars is worked out
// once, not every frame.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "anim/Canvas.h"
#include "anim/CanvasRaster.h"
#include "imaging/Bitmap32.h"

namespace kx {

class TBlendPlan {
 public:
  // Starts an empty plan for bitmaps of width x height.
  void Begin(int width, int height);
  // As BlendLine, FillPolygonAA and setting the opaque colour rgb at (x, y) would draw.
  void Line(int x0, int y0, int x1, int y1, uint32_t rgb, int alpha, bool includeEnd = true);
  void PolygonAA(const PointD* points, int count, uint32_t rgb, int alpha);
  void OpaquePixel(int x, int y, uint32_t rgb);
  // Plays the plan over target with the plan's (0, 0) at target's (x, y); pixels that fall
  // outside target are left out.
  void PlayOver(Bitmap32& target, int x = 0, int y = 0) const;
  // Pixel writes recorded.
  size_t Steps() const { return steps_.size(); }

  // Columns Left .. Right - 1 of row Y.
  struct RowSpan {
    int32_t Y, Left, Right;
  };
  // Spans that hold every pixel the plan writes to, top row first and left to right within a
  // row; unwritten gaps shorter than `gap` pixels are taken into the spans around them.
  std::vector<RowSpan> RowSpans(int32_t gap = 1) const;

 private:
  void Add(int x, int y, uint32_t rgb, int alpha);

  struct Step {
    int32_t X, Y;
    raster::Blender Blend;
  };
  int width_ = 0;
  int height_ = 0;
  std::vector<Step> steps_;
};

}  // namespace kx
