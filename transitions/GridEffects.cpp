// Grids of shapes, random squares, blinds, rectangle stripes and turning polygons.
//
// Notation: hX = X div 2, hY = Y div 2, hW = W div 2, hH = H div 2. Rectangle lists go through
// a TComplexRegion and its CreateRegion (none when nothing was added); shape grids unite the
// shape regions, which is the same pixel set in whatever order they are united.
#include "transitions/GridEffects.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/MulDiv.h"
#include "base/Random.h"
#include "transitions/ComplexRegion.h"
#include "transitions/Raster.h"
#include "transitions/ShapeRegions.h"

namespace kx {

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

// Puts RandomSeed back when it goes out of scope, also when building the region throws.
class SavedRandomSeed {
 public:
  explicit SavedRandomSeed(uint32_t seed) : saved_(RandomSeed) { RandomSeed = seed; }
  ~SavedRandomSeed() { RandomSeed = saved_; }
  SavedRandomSeed(const SavedRandomSeed&) = delete;
  SavedRandomSeed& operator=(const SavedRandomSeed&) = delete;

 private:
  uint32_t saved_;
};

// The union of one shape placed at the cell centres ((2i + 1) cw, (2k + 1) ch), column by
// column, while 2i cw < W and 2k ch < rowLimit; none when the grid has no cell. `shape(cx, cy)`
// makes the shape about (cx, cy).
//
// Every shape of a grid is the same shape moved by whole pixels, and a shape's pixels are
// decided at pixel centres in exact integer arithmetic, so the moved shape's region is the
// first one's moved: the shape is made once. The union is then one sweep over the rows of all
// the copies (every span of every band as a rectangle), not one walk over the growing result
// for every shape; the list is kept from step to step, so that building it touches no fresh
// memory.
template <typename Shape>
std::optional<Region> ShapeGrid(int32_t W, int32_t cw, int32_t ch, int32_t rowLimit, Shape&& shape) {
  if (W <= 0 || rowLimit <= 0) return std::nullopt;
  const Region first = shape(cw, ch);
  thread_local std::vector<Rect> rects;
  rects.clear();
  for (int32_t i = 0; 2 * i * cw < W; ++i)
    for (int32_t k = 0; 2 * k * ch < rowLimit; ++k) {
      const int32_t dx = 2 * i * cw, dy = 2 * k * ch;
      for (const Region::Band& band : first.Bands())
        for (const Region::Span& span : first.SpansOf(band))
          rects.push_back({span.Left + dx, band.Top + dy, span.Right + dx, band.Bottom + dy});
    }
  return RegionFromRects(rects);
}

// Slats `open` pixels wide at the start of every `period` pixels from 0 (fromEnd false), or
// at the end of every period counted back from the far edge (fromEnd true); whole columns, or
// whole rows when `rows`.
void AddSlats(TComplexRegion& rects, bool rows, bool fromEnd, int32_t period, int32_t open, int32_t W,
              int32_t H) {
  const int32_t side = rows ? H : W;
  auto add = [&](int32_t from, int32_t to) {
    if (rows) rects.AddRect(0, from, W, to);
    else rects.AddRect(from, 0, to, H);
  };
  if (fromEnd) {
    for (int32_t b = side; b > 0; b -= period) add(b - open, b);
  } else {
    for (int32_t s = 0; s < side; s += period) add(s, s + open);
  }
}

// The turned polygon of 149 to 151.
Region TurnedPolygon(std::span<int32_t> coords, int32_t cx, int32_t cy, int32_t percent) {
  RotatePoints(coords, cx, cy, percent * kPi / 50);
  return PolygonRgn(coords);
}

}  // namespace

void RotatePoints(std::span<int32_t> Coords, int32_t CenterX, int32_t CenterY, long double Angle) {
  const long double s = std::sin(Angle), c = std::cos(Angle);
  for (size_t i = 0; i + 1 < Coords.size(); i += 2) {
    const long double dx = static_cast<long double>(Coords[i]) - CenterX;
    const long double dy = static_cast<long double>(Coords[i + 1]) - CenterY;
    // nearbyint rounds ties to even in the default rounding mode.
    Coords[i] = CenterX + static_cast<int32_t>(std::nearbyint(dx * c - dy * s));
    Coords[i + 1] = CenterY + static_cast<int32_t>(std::nearbyint(dx * s + dy * c));
  }
}

std::optional<Region> GridRegion(int32_t index, int32_t Width, int32_t Height, int32_t DoneX, int32_t DoneY,
                                 int32_t Percent) {
  const int32_t W = Width, H = Height, X = DoneX, Y = DoneY, P = Percent;
  const int32_t hX = X / 2, hY = Y / 2, hW = W / 2, hH = H / 2;
  const int32_t cell = std::min(W, H) / 10 + 1;  // the cell of the square grids
  TComplexRegion rects;

  switch (index) {
    case 120: {  // triangles pointing down; one more row below the bottom edge may be built
      const int32_t cw = W / 10 + 1, ch = H / 10 + 1;
      const int32_t bw = MulDiv(cw, P, 50), bh = MulDiv(ch, P, 50);
      return ShapeGrid(W, cw, ch, H + ch, [&](int32_t cx, int32_t cy) {
        return Tri({cx - bw, cy - bh}, {cx, cy + bh}, {cx + bw, cy - bh});
      });
    }
    case 144: {  // squares growing from the cell centres
      const int32_t n = cell, a = MulDiv(n, P, 100);
      for (int32_t sx = 0; sx < W; sx += 2 * n)
        for (int32_t sy = 0; sy < H; sy += 2 * n) rects.AddRect(sx + n - a, sy + n - a, sx + n + a, sy + n + a);
      return rects.CreateRegion();
    }
    case 152: {  // circles that reach 1.5 cells at the end
      const int32_t a = cell, r = MulDiv(3 * a, P, 200);
      return ShapeGrid(W, a, a, H, [&](int32_t cx, int32_t cy) {
        return CreateEllipticRgn(cx - r, cy - r, cx + r, cy + r);
      });
    }
    case 164: {  // diamonds that reach a half-diagonal of two cells at the end
      const int32_t c = cell, b = MulDiv(c, P, 50);
      return ShapeGrid(W, c, c, H, [&](int32_t cx, int32_t cy) {
        return Poly({{cx - b, cy}, {cx, cy - b}, {cx + b, cy}, {cx, cy + b}});
      });
    }
    case 129: {
      const int32_t u = std::min(W, H) / 50 + 1;
      const SavedRandomSeed seeded(static_cast<uint32_t>(W + H) * static_cast<uint32_t>(u));
      for (int32_t x = 0; x < W; x += 2 * u)
        for (int32_t y = 0; y < H; y += 2 * u)
          if (RandomBelow(100) < P) rects.AddRect(x, y, x + 2 * u, y + 2 * u);
      return rects.CreateRegion();
    }

    // Blinds: slats that open from their middle lines, or uneven slats whose period is the
    // progress itself (many narrow ones early, one at the end).
    case 138:
    case 139: {
      const bool rows = index == 139;  // "Blind horizontally": slats are rows
      const int32_t n = (rows ? H : W) / 40 + 1, a = MulDiv(n, P, 100);
      for (int32_t s = 0; s < (rows ? H : W); s += 2 * n) {
        if (rows) rects.AddRect(0, s + n - a, W, s + n + a);
        else rects.AddRect(s + n - a, 0, s + n + a, H);
      }
      return rects.CreateRegion();
    }
    case 140:
    case 141: {
      if (X == 0) return std::nullopt;
      AddSlats(rects, false, index == 141, X, MulDiv(X, P, 100), W, H);
      return rects.CreateRegion();
    }
    case 142:
    case 143: {
      if (Y == 0) return std::nullopt;
      AddSlats(rects, true, index == 143, Y, MulDiv(Y, P, 100), W, H);
      return rects.CreateRegion();
    }

    // Rectangles: thin stripes every 3g across the screen, then uneven slats the other way.
    case 145:
    case 146: {
      const int32_t g = H / 20;
      if (X == 0 || g == 0) return std::nullopt;
      const int32_t a = MulDiv(g, P, 100);
      for (int32_t b = -g; b < H; b += 3 * g) rects.AddRect(0, b - a, W, b + a);
      AddSlats(rects, false, index == 146, X, MulDiv(X, P, 100), W, H);
      return rects.CreateRegion();
    }
    case 147:
    case 148: {
      const int32_t g = W / 20;
      if (g == 0 || Y == 0) return std::nullopt;
      const int32_t a = MulDiv(g, P, 100);
      for (int32_t b = -g; b < W; b += 3 * g) rects.AddRect(b - a, 0, b + a, H);
      AddSlats(rects, true, index == 148, Y, MulDiv(Y, P, 100), W, H);
      return rects.CreateRegion();
    }

    // Turning shapes.
    case 149:
    case 151: {  // the rectangle about the centre, or (151) about (X, Y)
      int32_t coords[] = {hW - hX, hH - hY, hW + hX, hH - hY, hW + hX, hH + hY, hW - hX, hH + hY};
      return index == 149 ? TurnedPolygon(coords, hW, hH, P) : TurnedPolygon(coords, X, Y, P);
    }
    case 150: {  // a star with its tips 2X and 2Y from the centre, inner corners at (hX, hY)
      int32_t coords[] = {hW - 2 * X, hH,      hW - hX, hH - hY, hW,      hH - 2 * Y, hW + hX, hH - hY,
                          hW + 2 * X, hH,      hW + hX, hH + hY, hW,      hH + 2 * Y, hW - hX, hH + hY};
      return TurnedPolygon(coords, hW, hH, P);
    }
    default: return std::nullopt;
  }
}

void GridEffectSteps(int32_t index, Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
                     int32_t DoneX, int32_t DoneY, int32_t Percent) {
  const std::optional<Region> region = GridRegion(index, Width, Height, DoneX, DoneY, Percent);
  if (region) CopyThroughRegion(Target, NewImage, *region);
}

}  // namespace kx
