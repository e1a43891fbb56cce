#pragma once
// The curved and polygon reveals: the new picture shows through one shape, or a few, that
// grow with the progress. Rounded rectangles and ellipses (curved and elliptic reveals),
// triangles (diagonal reveals, sweeps, starbursts, V shapes, bow ties, diagonal crosses), a
// zigzag band of 24 points and diamonds. Unions and xors of several shapes are combined from
// left to right as the recipes in CurvedEffects.cpp list them; polygons are filled by the
// winding rule.
//
// Effects 61, 62, 72, 73, 83 to 88, 113 to 119, 153 to 163 and 165 to 167.
#include <array>
#include <cstdint>

#include "imaging/Bitmap32.h"
#include "transitions/EffectProc.h"
#include "transitions/Region.h"

namespace kx {

// The region that shows the new picture at this step of curved or polygon effect `index`;
// empty for an index outside the family.
Region CurvedRegion(int32_t index, int32_t Width, int32_t Height, int32_t DoneX, int32_t DoneY,
                    int32_t Percent);

// The 24 points (flat x0, y0, x1, y1, ...) of the zigzag band of 162 "Zigzag Horizontal", or
// of 163 "Zigzag Vertical" when `vertical`: the upper (left) edge from the start to k = 11,
// then the lower (right) edge back, vertices step = L div 10 apart along the band.
std::array<int32_t, 48> ZigzagPoints(bool vertical, int32_t Width, int32_t Height, int32_t DoneX,
                                     int32_t DoneY, int32_t Percent);

// Clip-and-copy through CurvedRegion(index, ...).
void CurvedEffectSteps(int32_t index, Bitmap32& Target, const Bitmap32& NewImage, int32_t Width,
                       int32_t Height, int32_t DoneX, int32_t DoneY, int32_t Percent);

template <int32_t Index>
void CurvedEffect(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height, int32_t DoneX,
                  int32_t DoneY, int32_t Percent) {
  CurvedEffectSteps(Index, Target, NewImage, Width, Height, DoneX, DoneY, Percent);
}

}  // namespace kx
