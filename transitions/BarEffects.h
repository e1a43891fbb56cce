#pragma once
// The bar, criss-cross, shred and speckle effects: the new picture shows through a set of
// rectangles that one of three region builders computes from the progress.
//
//  - BarsRegion: bars of fixed thickness e = Min(W, H) div 50 + 1 that grow across the screen.
//    With a reach of twice the screen (A = 2X) the even bars grow first and the odd bars once
//    the even ones are full; mode 3 grows both sets at once from opposite sides.
//  - ShredRegion: bands e = Min(W, H) div 200 + 1 thick whose lengths scatter by up to a tenth
//    of the screen around the reach, one draw of the shared generator per band, so the edge
//    trembles from step to step.
//  - SpeckleRegion: a solid area with loose square cells ahead of its front; cell j ahead of
//    the front is added when RandomBelow(j) <= k (k = 1 near the front, else 0).
//
// All three take the same arguments: A, the reach of horizontal bands (full rows, growing
// along x); B, the reach of vertical bands (full columns, growing along y); the bitmap size;
// and the modes of the horizontal and vertical bands (0 = none). The horizontal pass is added
// first, then the vertical one, in the order and with the random draws the comments in
// BarEffects.cpp give; the result is the builder's CreateRegion, none when no rectangle was
// added (no effect passes two zero modes).
//
// Modes, for horizontal bands (vertical bands read bottom for right and top for left):
//   1 from the right; 2 from the left;
//   3 bars: even bands from the right and odd bands from the left at once;
//     shreds: from the vertical centre line out to both sides;
//   4 bars: from the left in the first half, then from the right; shreds: from both edges in;
//   5 bars: from the right in the first half, then from the left.
// SpeckleRegion knows modes 1 and 2 only.
#include <cstdint>
#include <optional>

#include "imaging/Bitmap32.h"
#include "transitions/EffectProc.h"
#include "transitions/Region.h"

namespace kx {

std::optional<Region> BarsRegion(int32_t A, int32_t B, int32_t Width, int32_t Height, int32_t HorzMode,
                                 int32_t VertMode);
std::optional<Region> ShredRegion(int32_t A, int32_t B, int32_t Width, int32_t Height, int32_t HorzMode,
                                  int32_t VertMode);
std::optional<Region> SpeckleRegion(int32_t A, int32_t B, int32_t Width, int32_t Height, int32_t HorzMode,
                                    int32_t VertMode);

enum class BarBuilder { Bars, Shred, Speckle };

// One step of a bar-family effect: the builder's region for A = ReachX * X and
// B = ReachY * Y, then the clip-and-copy of the new picture.
void BarEffectSteps(BarBuilder builder, int32_t reachX, int32_t reachY, int32_t horzMode, int32_t vertMode,
                    Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height, int32_t DoneX,
                    int32_t DoneY);

template <BarBuilder Builder, int32_t ReachX, int32_t ReachY, int32_t HorzMode, int32_t VertMode>
void BarEffect(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height, int32_t DoneX,
               int32_t DoneY, int32_t /*Percent*/) {
  BarEffectSteps(Builder, ReachX, ReachY, HorzMode, VertMode, Target, NewImage, Width, Height, DoneX, DoneY);
}

// 102 "Criss Cross from bottom left top right": the bars from the bottom right intersected
// with the bars from the top left, both with reach 2X and 2Y.
void CrissCrossFromBottomLeftTopRight(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width,
                                      int32_t Height, int32_t DoneX, int32_t DoneY, int32_t Percent);

}  // namespace kx
