#pragma once
// The grid, blind, rectangle and rotating-shape effects: the new picture shows through many
// small shapes on a grid (triangles, squares, circles, diamonds, randomly chosen squares),
// through strips (blinds and the rectangle effects), or through one polygon that turns as it
// grows (rectangle, star, spiral).
//
//  - Grids: cell centres ((2i + 1) c, (2k + 1) c) for a cell size c, visited column by column;
//    rectangle grids are collected in a TComplexRegion, shape grids united.
//  - 129 "Random squares appear" draws one number per square from the shared generator
//    seeded with (W + H) * u, u = Min(W, H) div 50 + 1, and puts RandomSeed back afterwards, so
//    the squares are the same at every step and a square once shown stays shown.
//  - The rotating shapes turn by P * pi / 50 (a full turn over the transition), clockwise on
//    the screen.
// An effect whose rectangle or shape list is empty draws nothing for that step.
//
// Effects 120, 129, 138 to 152 and 164.
#include <cstdint>
#include <optional>
#include <span>

#include "imaging/Bitmap32.h"
#include "transitions/EffectProc.h"
#include "transitions/Region.h"

namespace kx {

// Turns each point of a flat list x0, y0, x1, y1, ... about (CenterX, CenterY) by Angle
// radians: x becomes CenterX + nearest(dx cos - dy sin) and y CenterY + nearest(dx sin +
// dy cos), nearest rounding ties to even; sine and cosine are taken once, in extended
// precision. With y growing downward a positive angle turns clockwise.
void RotatePoints(std::span<int32_t> Coords, int32_t CenterX, int32_t CenterY, long double Angle);

// The region that shows the new picture at this step of grid effect `index`; none when the
// effect draws nothing (no rectangle or shape made) or the index is outside the family.
std::optional<Region> GridRegion(int32_t index, int32_t Width, int32_t Height, int32_t DoneX, int32_t DoneY,
                                 int32_t Percent);

// Clip-and-copy through GridRegion(index, ...) when there is one.
void GridEffectSteps(int32_t index, Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
                     int32_t DoneX, int32_t DoneY, int32_t Percent);

template <int32_t Index>
void GridEffect(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height, int32_t DoneX,
                int32_t DoneY, int32_t Percent) {
  GridEffectSteps(Index, Target, NewImage, Width, Height, DoneX, DoneY, Percent);
}

}  // namespace kx
