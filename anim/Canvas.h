#pragma once
// Blended drawing into a Bitmap32 for the scene overlays: rain streaks, snow flakes and the
// clock face.
//
// Rules shared by every function here:
// - Coordinates are whole pixels, x to the right and y downwards; a point (x, y) names the
//   pixel whose centre it is. Polygons take real vertices in the same space, so a vertex at
//   (3, 4) lies on the centre of pixel (3, 4).
// - Everything is clipped to the bitmap; nothing outside it is read or written.
// - Colours are 0x00RRGGBB (the alpha byte of `rgb` is ignored); `alpha` is 0 .. 255 and
//   is clamped to that range. Blending is straight source-over on each colour channel,
//   c = (src x a + dst x (255 - a) + 127) / 255, and the destination alpha becomes
//   a + dstAlpha x (255 - a) / 255, so an opaque frame stays opaque. Alpha 0 draws nothing;
//   alpha 255 replaces the colour.
// - Lines and pixels are not anti-aliased; FillPolygonAA is (coverage-based).
#include <cstdint>

#include "imaging/Bitmap32.h"

namespace kx {

struct PointD {
  double X = 0;
  double Y = 0;
};

// A rectangle of frame pixels: columns Left .. Right - 1, rows Top .. Bottom - 1.
struct PixelRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
};

// The blend of one pixel value, as every function here does it.
uint32_t BlendOver(uint32_t dst, uint32_t rgb, int alpha);
// The same, channel by channel with plain divisions: the reference BlendOver is tested
// against.
uint32_t BlendOverReference(uint32_t dst, uint32_t rgb, int alpha);

void BlendPixel(Bitmap32& target, int x, int y, uint32_t rgb, int alpha);
// Pixels x0 .. x1 (both included, either order) of row y.
void BlendRun(Bitmap32& target, int y, int x0, int x1, uint32_t rgb, int alpha);
// A one-pixel line from (x0, y0) to (x1, y1) stepped along its longer axis (each pixel of
// the line once); the end pixel is drawn only with `includeEnd`, so that two lines that
// meet at a point blend that point once.
void BlendLine(Bitmap32& target, int x0, int y0, int x1, int y1, uint32_t rgb, int alpha,
               bool includeEnd = true);
// A filled disc of radius r centred on (x, y): for i = 0 .. r, w = round(sqrt(r^2 - i^2))
// (halves to even), the run x - w .. x + w on row y + i and, for i > 0, on row y - i. A
// radius below 0 draws nothing; radius 0 is the one pixel.
void BlendDisc(Bitmap32& target, int x, int y, int r, uint32_t rgb, int alpha);
// Fills a polygon (non-zero winding) with anti-aliased edges: each pixel's alpha is `alpha`
// times the part of the pixel the polygon covers (exact across a row, sampled at eight
// heights within the row). At most 16 vertices; more are ignored.
void FillPolygonAA(Bitmap32& target, const PointD* points, int count, uint32_t rgb, int alpha);

}  // namespace kx
