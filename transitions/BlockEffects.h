#pragma once
// The block-copy effects: expands, slides, reveals, build-ups, corners, quarters, rolls and
// pushes. Each step is a few plain or scaled copies of the new picture (and, for pushes, of the
// work bitmap onto itself) into blocks that grow with the progress.
//
// Most of them are the product of two one-axis rules: a rule along x applied to the columns
// and a rule along y applied to the rows. "Expand from right" is ExpandFromEnd along x with
// the whole height along y; its twin "Expand from bottom" is the same rule along y; "Expand
// from bottom right" is ExpandFromEnd along both. The templates below only bind the family
// parameters to the procedure signature of the effect table.
#include <cstdint>

#include "imaging/Bitmap32.h"
#include "transitions/EffectProc.h"

namespace kx {

// One-axis rules, with L the side length (W or H) and D the progress (X or Y) on that axis;
// "Start" is the left or top edge, "End" the right or bottom edge. Each gives one or two
// copies: (destination, length) <- (source, length), scaled when the lengths differ.
enum class AxisRule {
  Whole,               // (0, L) <- (0, L)
  ExpandFromEnd,       // (L - D, D) <- (0, L)
  ExpandFromStart,     // (0, D) <- (0, L)
  SlideFromEnd,        // (L - D, L) <- (0, L)
  SlideFromStart,      // (D - L, L) <- (0, L)
  RevealFromStart,     // (0, D) <- (0, D)
  RevealFromEnd,       // (L - D, D) <- (L - D, D)
  ExpandInFromEnd,     // (0, 2L - D) <- (0, D)
  ExpandInFromStart,   // (D - L, 2L - D) <- (L - D, D)
  ExpandInToMiddle,    // (D - L, 3L - 2D) <- (half(L - D), D)
  ExpandOutFromMiddle, // (half(L - D), D) <- (0, L)
  RevealOutFromMiddle, // (half(L - D), D) <- (half(L - D), D)
  RevealInFromSides,   // (0, hD) <- (0, hD); (L - hD, hD) <- (L - hD, hD)
  ExpandInFromSides,   // (0, hD) <- (0, hL); (L - hD, hD) <- (hL, hL)
  BuildUpFromEnd,      // (0, D) <- (0, D); (D, L - D) <- (D, Min(L - D, L div 10))
  BuildUpFromStart,    // d = L - D, s = Max(d - L div 10, 0): (d, D) <- (d, D); (0, d) <- (s, d - s)
};

void BlockEffectSteps(AxisRule alongX, AxisRule alongY, Bitmap32& Target,
                      const Bitmap32& NewImage, int32_t Width, int32_t Height, int32_t DoneX,
                      int32_t DoneY);

template <AxisRule AlongX, AxisRule AlongY>
void BlockEffect(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
                 int32_t DoneX, int32_t DoneY, int32_t /*Percent*/) {
  BlockEffectSteps(AlongX, AlongY, Target, NewImage, Width, Height, DoneX, DoneY);
}

// The unrolls: the passed part flat, then a mirrored strip of the next columns (rows), shaded
// like the back of a roll. Vertical selects rows; FromEnd unrolls from the right (bottom).
void RollSteps(bool vertical, bool fromEnd, Bitmap32& Target, const Bitmap32& NewImage,
               int32_t Width, int32_t Height, int32_t DoneX, int32_t DoneY);

template <bool Vertical, bool FromEnd>
void RollEffect(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
                int32_t DoneX, int32_t DoneY, int32_t /*Percent*/) {
  RollSteps(Vertical, FromEnd, Target, NewImage, Width, Height, DoneX, DoneY);
}

// The pushes: the old picture moves (or is squeezed) toward the rising coordinate when Forward
// ("Push right", "Push down") or the falling one, and the new picture follows behind it.
void PushSteps(bool vertical, bool forward, bool squeeze, Bitmap32& Target,
               const Bitmap32& NewImage, int32_t Width, int32_t Height, int32_t DoneX,
               int32_t DoneY);

template <bool Vertical, bool Forward, bool Squeeze>
void PushEffect(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
                int32_t DoneX, int32_t DoneY, int32_t /*Percent*/) {
  PushSteps(Vertical, Forward, Squeeze, Target, NewImage, Width, Height, DoneX, DoneY);
}

// 57 "Reveal in to centre": the new picture outside a centred rectangle that shrinks away.
void RevealInToCentre(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
                      int32_t DoneX, int32_t DoneY, int32_t Percent);
// 60 "Quarters Slide in to middle": each quarter slides in from its own side.
void QuartersSlideInToMiddle(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width,
                             int32_t Height, int32_t DoneX, int32_t DoneY, int32_t Percent);

// Darkens columns first .. first + count - 1 of every row toward both edges of the strip (the
// back of a roll), depth 48; nothing when count < 2.
void ShadeColumns(Bitmap32& Target, int32_t first, int32_t count);
// The same across rows first .. first + count - 1, with its own step rule.
void ShadeRows(Bitmap32& Target, int32_t first, int32_t count);

}  // namespace kx
