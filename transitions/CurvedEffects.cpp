// Curved and polygon reveals: one region recipe per effect.
//
// Notation of the recipes: hX = X div 2, hY = Y div 2, hW = W div 2, hH = H div 2 and C the
// point (hW, hH). A rounded rectangle's corner sizes larger than its sides count as the sides,
// so the huge corners of 61 to 86 make half ellipses or whole ellipses of the rectangles; the
// parts that lie off the screen simply do not show. Every effect, 116 included, copies the
// whole new picture through its region.
#include "transitions/CurvedEffects.h"

#include "base/MulDiv.h"
#include "transitions/Raster.h"
#include "transitions/ShapeRegions.h"

namespace kx {

std::array<int32_t, 48> ZigzagPoints(bool vertical, int32_t Width, int32_t Height, int32_t DoneX,
                                     int32_t DoneY, int32_t Percent) {
  // Along the band (x for the horizontal one) vertices sit `step` apart; across it the two
  // edges are parallel zigzags of amplitude `amp`, 2c apart about the middle line.
  const int32_t across = vertical ? Width : Height, along = vertical ? Height : Width;
  const int32_t done = vertical ? DoneX : DoneY;
  const int32_t amp = across / 10, step = along / 10, mid = across / 2;
  const int32_t c = MulDiv(amp, Percent, 100) + done / 2;
  const int32_t u0 = mid + amp - c, u1 = mid - amp - c, l0 = mid + amp + c, l1 = mid - amp + c;
  std::array<int32_t, 48> coords{};
  auto put = [&](int32_t point, int32_t k, int32_t offset) {
    coords[2 * point] = vertical ? offset : k * step;
    coords[2 * point + 1] = vertical ? k * step : offset;
  };
  for (int32_t k = 0; k <= 11; ++k) put(k, k, k % 2 == 0 ? u0 : u1);
  for (int32_t k = 11; k >= 0; --k) put(12 + (11 - k), k, k % 2 == 0 ? l0 : l1);
  return coords;
}

Region CurvedRegion(int32_t index, int32_t Width, int32_t Height, int32_t DoneX, int32_t DoneY,
                    int32_t Percent) {
  const int32_t W = Width, H = Height, X = DoneX, Y = DoneY;
  const int32_t hX = X / 2, hY = Y / 2, hW = W / 2, hH = H / 2;
  const Point C{hW, hH};
  constexpr CombineMode Or = CombineMode::Or, Xor = CombineMode::Xor;
  const Region screen = CreateRectRgn(0, 0, W, H);

  switch (index) {
    // Curved and elliptic reveals.
    case 61: return CreateRoundRectRgn(-2 * W, 0, 2 * X, H + 1, 2 * W, 2 * W);  // tip at 2X
    case 62: return CreateRoundRectRgn(W - 2 * X, 0, 3 * W, H + 1, 2 * W, 2 * W);
    case 72: return CreateRoundRectRgn(0, -2 * H, W + 1, 2 * Y, 2 * H, 2 * H);
    case 73: return CreateRoundRectRgn(0, H - 2 * Y, W + 1, 3 * H, 2 * H, 2 * H);
    case 83: return CreateRoundRectRgn(-W, -H, (3 * X) / 2, (3 * Y) / 2, 2 * W, 2 * H);
    case 84: return CreateRoundRectRgn(W - (3 * X) / 2, -H, 2 * W, (3 * Y) / 2, 2 * W, 2 * H);
    case 85: return CreateRoundRectRgn(-W, H - (3 * Y) / 2, (3 * X) / 2, 2 * H, 2 * W, 2 * H);
    case 86: return CreateRoundRectRgn(W - (3 * X) / 2, H - (3 * Y) / 2, 2 * W, 2 * H, 2 * W, 2 * H);
    case 87:  // 2X by 2Y about the centre, corners 9/10 of its width and height
      return CreateRoundRectRgn(hW - X, hH - Y, hW + X, hH + Y, (9 * X) / 5, (9 * Y) / 5);
    case 88:  // outside a like shape that shrinks from about 2W by 2H
      return Chain(Xor, screen,
                   CreateRoundRectRgn(X - hW, Y - hH, 3 * hW - X, 3 * hH - Y, (9 * (W - X)) / 5,
                                      (9 * (H - Y)) / 5));

    // Diagonal reveals, sweeps and starbursts.
    case 113: return Tri({0, 0}, {2 * X, 0}, {0, 2 * Y});
    case 114: return Tri({W, 0}, {W - 2 * X, 0}, {W, 2 * Y});
    case 115: return Tri({0, H}, {2 * X, H}, {0, H - 2 * Y});
    case 116: return Tri({W, H}, {W - 2 * X, H}, {W, H - 2 * Y});
    case 117: return Chain(Or, Tri({0, H}, {0, 0}, {X, H}), Tri({W, H}, {W, 0}, {W - X, 0}));
    case 118: return Chain(Or, Tri({W, 0}, {0, 0}, {W, Y}), Tri({W, H}, {0, H}, {0, H - Y}));
    case 119:
      return Chain(Or, Tri(C, {0, 0}, {X, 0}), Tri(C, {0, H}, {0, H - Y}), Tri(C, {W, H}, {W - X, H}),
                   Tri(C, {W, 0}, {W, Y}));
    case 161:
      return Chain(Or, Tri(C, {0, 0}, {0, Y}), Tri(C, {0, H}, {X, H}), Tri(C, {W, H}, {W, H - Y}),
                   Tri(C, {W, 0}, {W - X, 0}));

    // V shapes, bow ties and diagonal crosses.
    case 153: return Tri({0, hH - Y}, {2 * X, hH}, {0, hH + Y});
    case 154: return Tri({W, hH - Y}, {W - 2 * X, hH}, {W, hH + Y});
    case 155: return Tri({hW - X, 0}, {hW, 2 * Y}, {hW + X, 0});
    case 156: return Tri({hW - X, H}, {hW, H - 2 * Y}, {hW + X, H});
    case 157:
      return Chain(Or, Tri({0, hH - Y}, {X, hH}, {0, hH + Y}), Tri({W, hH - Y}, {W - X, hH}, {W, hH + Y}));
    case 158:
      return Chain(Or, Tri({hW - X, 0}, {hW, 2 * Y}, {hW + X, 0}), Tri({hW - X, H}, {hW, H - 2 * Y}, {hW + X, H}));
    case 159:  // four wedges from the middles of the edges that meet at the centre at the end
      return Chain(Or, Tri({0, hH - hY}, {hX, hH}, {0, hH + hY}), Tri({W, hH - hY}, {W - hX, hH}, {W, hH + hY}),
                   Tri({hW - hX, 0}, {hW, hY}, {hW + hX, 0}), Tri({hW - hX, H}, {hW, H - hY}, {hW + hX, H}));
    case 160: {  // the same wedges, full at the start, shrinking back; the rest shows
      const int32_t a = (W - X) / 2, b = (H - Y) / 2;
      return Chain(Xor, screen, Tri({0, hH - b}, {a, hH}, {0, hH + b}), Tri({W, hH - b}, {W - a, hH}, {W, hH + b}),
                   Tri({hW - a, 0}, {hW, b}, {hW + a, 0}), Tri({hW - a, H}, {hW, H - b}, {hW + a, H}));
    }

    // Zigzag bands.
    case 162:
    case 163: {
      const auto coords = ZigzagPoints(index == 163, W, H, X, Y, Percent);
      return PolygonRgn(coords);
    }

    // Diamonds.
    case 165: return Poly({{hW - X, hH}, {hW, hH - Y}, {hW + X, hH}, {hW, hH + Y}});
    case 166:  // corners start on the middles of the sides of a rectangle twice the screen
      return Chain(Xor, screen, Poly({{X - hW, hH}, {hW, Y - hH}, {3 * hW - X, hH}, {hW, 3 * hH - Y}}));
    case 167:  // a ring between two diamonds, both the inscribed diamond at the start
      return Chain(Xor, Poly({{-hX, hH}, {hW, -hY}, {2 * hW + hX, hH}, {hW, 2 * hH + hY}}),
                   Poly({{hX, hH}, {hW, hY}, {2 * hW - hX, hH}, {hW, 2 * hH - hY}}));
    default: return Region();
  }
}

void CurvedEffectSteps(int32_t index, Bitmap32& Target, const Bitmap32& NewImage, int32_t Width,
                       int32_t Height, int32_t DoneX, int32_t DoneY, int32_t Percent) {
  const Region region = CurvedRegion(index, Width, Height, DoneX, DoneY, Percent);
  CopyThroughRegion(Target, NewImage, region);
}

}  // namespace kx
