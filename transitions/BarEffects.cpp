// Bars, criss-cross, shreds and speckles: three rectangle-region builders and the step that
// copies the new picture through their region.
//
// Every builder collects its rectangles in a TComplexRegion, horizontal pass first, in the
// order written below; rectangles that stick out of the bitmap, are empty or inverted are
// added like any other and cover what they cover (nothing, for the empty ones). The shreds and
// speckles draw from the shared generator in its current state, one draw per band or cell in
// the order the rectangles are added, so their edges change from step to step and the draws
// move the generator on for the rest of the program.
#include "transitions/BarEffects.h"

#include <algorithm>

#include "base/Random.h"
#include "transitions/ComplexRegion.h"
#include "transitions/Raster.h"

namespace kx {

std::optional<Region> BarsRegion(int32_t A, int32_t B, int32_t Width, int32_t Height, int32_t HorzMode,
                                 int32_t VertMode) {
  const int32_t W = Width, H = Height;
  const int32_t e = std::min(W, H) / 50 + 1;
  TComplexRegion rects;

  // Rows. Past the full width (A > W) the even bars are complete and the odd bars grow by
  // A - W; before it the even bars grow (mode 3: the even ones from the right and the odd ones
  // from the left at once).
  if (A > W) {
    for (int32_t f = e; f < H + e; f += 2 * e) {
      if (HorzMode == 1 || HorzMode == 4) rects.AddRect(2 * W - A, f, W, f + e);
      if (HorzMode == 2 || HorzMode == 5) rects.AddRect(0, f, A - W, f + e);
      rects.AddRect(0, f - e, W, f);
    }
  } else {
    for (int32_t f = 0; f < H + e; f += 2 * e) {
      switch (HorzMode) {
        case 1: case 5: rects.AddRect(W - A, f, W, f + e); break;
        case 2: case 4: rects.AddRect(0, f, A, f + e); break;
        case 3:
          rects.AddRect(0, f + e, A, f + 2 * e);
          rects.AddRect(W - A, f, W, f + e);
          break;
        default: break;
      }
    }
  }

  // Columns, the same along y: mode 1 grows up from the bottom, mode 2 down from the top.
  if (B > H) {
    for (int32_t c = e; c < W + e; c += 2 * e) {
      if (VertMode == 1 || VertMode == 4) rects.AddRect(c, 2 * H - B, c + e, H);
      if (VertMode == 2 || VertMode == 5) rects.AddRect(c, 0, c + e, B - H);
      rects.AddRect(c - e, 0, c, H);
    }
  } else {
    for (int32_t c = 0; c < W + e; c += 2 * e) {
      switch (VertMode) {
        case 1: case 5: rects.AddRect(c, H - B, c + e, H); break;
        case 2: case 4: rects.AddRect(c, 0, c + e, B); break;
        case 3:
          rects.AddRect(c, H - B, c + e, H);
          rects.AddRect(c + e, 0, c + 2 * e, B);
          break;
        default: break;
      }
    }
  }
  return rects.CreateRegion();
}

std::optional<Region> ShredRegion(int32_t A, int32_t B, int32_t Width, int32_t Height, int32_t HorzMode,
                                  int32_t VertMode) {
  const int32_t W = Width, H = Height;
  const int32_t e = std::min(W, H) / 200 + 1;
  // Each band is thicker than its pitch by the remainder of the side, so that the last band
  // reaches the edge; neighbours overlap by that remainder.
  const int32_t gH = H % e, gW = W % e;
  TComplexRegion rects;

  if (HorzMode != 0) {
    // The scatter: lengths from A - l to A + l - 1, none once the reach has crossed the screen.
    const int32_t l = A < W ? W / 10 : 0;
    for (int32_t o = 0; o < H; o += e) {
      const int32_t r = RandomBelow(2 * l) + A - l;
      const int32_t b = o + e + gH;
      const int32_t half = r / 2;
      switch (HorzMode) {
        case 1: rects.AddRect(W - r, o, W, b); break;
        case 2: rects.AddRect(0, o, r, b); break;
        case 3:
          rects.AddRect(W / 2 - half, o, W / 2, b);
          rects.AddRect(W / 2, o, W / 2 + half, b);
          break;
        case 4:
          rects.AddRect(W - half, o, W, b);
          rects.AddRect(0, o, half, b);
          break;
        default: break;
      }
    }
  }

  if (VertMode != 0) {
    const int32_t l = B < H ? H / 10 : 0;
    for (int32_t o = 0; o < W; o += e) {
      const int32_t r = RandomBelow(2 * l) + B - l;
      const int32_t R = o + e + gW;
      const int32_t half = r / 2;
      switch (VertMode) {
        case 1: rects.AddRect(o, H - r, R, H); break;
        case 2: rects.AddRect(o, 0, R, r); break;
        case 3:
          rects.AddRect(o, H / 2 - half, R, H / 2);
          rects.AddRect(o, H / 2, R, H / 2 + half);
          break;
        case 4:
          rects.AddRect(o, H - half, R, H);
          rects.AddRect(o, 0, R, half);
          break;
        default: break;
      }
    }
  }
  return rects.CreateRegion();
}

namespace {

// The speckled zone ahead of a front: g pixels deep (0 once the reach has crossed the side),
// cells s pixels square, n cells per row, and the first lim cells twice as likely.
struct SpeckleZone {
  int32_t s, n, lim;
  explicit SpeckleZone(int32_t g) : s(std::max(g / 20, 2)), n(g / s), lim((3 * g) / (4 * s)) {}
  // Cell j ahead of the front shows with probability 2/j up to lim and 1/j beyond (cells 1
  // and 2 always); one draw per cell, from the farthest cell to the nearest.
  static bool Shows(int32_t j, int32_t lim) { return RandomBelow(j) <= (j <= lim ? 1 : 0); }
};

}  // namespace

std::optional<Region> SpeckleRegion(int32_t A, int32_t B, int32_t Width, int32_t Height, int32_t HorzMode,
                                    int32_t VertMode) {
  const int32_t W = Width, H = Height;
  TComplexRegion rects;

  if (HorzMode != 0) {
    const SpeckleZone z(A < W ? W / 10 : 0);
    // Rows s high, half a row apart, so that they overlap by half.
    for (int32_t t = 0; t < H; t += z.s / 2) {
      if (HorzMode == 1) {
        rects.AddRect(W - A, t, W, t + z.s);
        for (int32_t j = z.n; j >= 1; --j)
          if (SpeckleZone::Shows(j, z.lim)) rects.AddRect(W - A - j * z.s, t, W - A - j * z.s + z.s, t + z.s);
      } else if (HorzMode == 2) {
        rects.AddRect(0, t, A, t + z.s);
        for (int32_t j = z.n; j >= 1; --j)
          if (SpeckleZone::Shows(j, z.lim)) rects.AddRect(A + j * z.s - z.s, t, A + j * z.s, t + z.s);
      }
    }
  }

  if (VertMode != 0) {
    const SpeckleZone z(B < H ? H / 10 : 0);
    for (int32_t c = 0; c < W; c += z.s / 2) {
      if (VertMode == 1) {
        rects.AddRect(c, H - B, c + z.s, H);
        for (int32_t j = z.n; j >= 1; --j)
          if (SpeckleZone::Shows(j, z.lim)) rects.AddRect(c, H - B - j * z.s, c + z.s, H - B - j * z.s + z.s);
      } else if (VertMode == 2) {
        rects.AddRect(c, 0, c + z.s, B);
        for (int32_t j = z.n; j >= 1; --j)
          if (SpeckleZone::Shows(j, z.lim)) rects.AddRect(c, B + j * z.s - z.s, c + z.s, B + j * z.s);
      }
    }
  }
  return rects.CreateRegion();
}

void BarEffectSteps(BarBuilder builder, int32_t reachX, int32_t reachY, int32_t horzMode, int32_t vertMode,
                    Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height, int32_t DoneX,
                    int32_t DoneY) {
  const int32_t A = reachX * DoneX, B = reachY * DoneY;
  std::optional<Region> region;
  switch (builder) {
    case BarBuilder::Bars: region = BarsRegion(A, B, Width, Height, horzMode, vertMode); break;
    case BarBuilder::Shred: region = ShredRegion(A, B, Width, Height, horzMode, vertMode); break;
    case BarBuilder::Speckle: region = SpeckleRegion(A, B, Width, Height, horzMode, vertMode); break;
  }
  if (region) CopyThroughRegion(Target, NewImage, *region);
}

void CrissCrossFromBottomLeftTopRight(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width,
                                      int32_t Height, int32_t DoneX, int32_t DoneY, int32_t /*Percent*/) {
  std::optional<Region> fromBottomRight = BarsRegion(2 * DoneX, 2 * DoneY, Width, Height, 1, 1);
  const std::optional<Region> fromTopLeft = BarsRegion(2 * DoneX, 2 * DoneY, Width, Height, 2, 2);
  if (!fromBottomRight || !fromTopLeft) return;
  CombineRgn(*fromBottomRight, *fromBottomRight, *fromTopLeft, CombineMode::And);
  CopyThroughRegion(Target, NewImage, *fromBottomRight);
}

}  // namespace kx
