#pragma once
// The region tools of the scene maker: what each one does to a water mask.
//
// The mask is a Bitmap32 of the picture's size whose pixels hold region values (WaterMask.h);
// every tool writes the pixel value of one region (0 erases: dry land). Coordinates are
// picture pixels; a pixel belongs to a shape when its centre (x + 0.5, y + 0.5) lies inside
// it, so that shapes which meet along an edge share no pixel and leave none out. Shapes are
// clipped to the mask; a shape wholly outside changes nothing.
//
// Each tool returns the box of the pixels it wrote (empty when it wrote none), so that the
// history and the preview only handle that box.
#include <cstdint>
#include <vector>

#include "imaging/Bitmap32.h"

namespace kx::kxscene {

struct MaskPoint {
  double x = 0;
  double y = 0;
};

// Columns Left .. Right - 1, rows Top .. Bottom - 1.
struct MaskBox {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Empty() const { return Right <= Left || Bottom <= Top; }
  void Add(const MaskBox& other);
  bool operator==(const MaskBox&) const = default;
};

// A round brush of `radius` pixels centred on `centre`.
MaskBox PaintDisc(Bitmap32& mask, MaskPoint centre, double radius, int region);
// A brush dragged from `from` to `to`: every pixel within `radius` of the segment.
MaskBox PaintStroke(Bitmap32& mask, MaskPoint from, MaskPoint to, double radius, int region);
// The inside of a closed polygon (even-odd rule); fewer than three corners fill nothing.
MaskBox FillPolygon(Bitmap32& mask, const std::vector<MaskPoint>& corners, int region);
// "Water below this line": every pixel below the straight line through `a` and `b`,
// extended over the whole width. A vertical line (same x) fills nothing.
MaskBox FillBelowLine(Bitmap32& mask, MaskPoint a, MaskPoint b, int region);
// Fill of similar colours: the pixels joined to `seed` through their four neighbours whose
// colour differs from the seed pixel's by at most `tolerance` (0 .. 255) in each of red,
// green and blue. `picture` and `mask` have the same size.
MaskBox FillSimilar(Bitmap32& mask, const Bitmap32& picture, int seedX, int seedY, int tolerance, int region);

// Pixels of each region number 0 .. 6 (unknown values count as 0).
std::vector<int64_t> CountRegions(const Bitmap32& mask);

}  // namespace kx::kxscene
