#pragma once
// The pixel effects: "Fade", "Pixelate", "Dissolve", the four pivots and the random bars.
// They walk the pixel rows of Target and NewImage directly, in integer arithmetic, without
// allocating. Where an effect draws one random number per pixel, row or column, it visits
// them in the memory order of the transition bitmaps: rows from the bottom row up, each row
// from left to right.
#include <cstdint>

#include "imaging/Bitmap32.h"
#include "transitions/EffectProc.h"

namespace kx {

// Moves the block (Left, Top, Cols, Rows) of Target toward NewImage by Weight percent: with
// k = MulDiv(256, Weight, 100), each blue, green and red byte t becomes
// t + floor((n - t) * k / 256); the fourth byte is kept. Limited to the bitmap.
void BlendRect(Bitmap32& Target, const Bitmap32& NewImage, int32_t Weight, int32_t Left,
               int32_t Top, int32_t Cols, int32_t Rows);

// Draws NewImage turned by Angle radians about a pivot onto Target, in 16.16 fixed point.
// Rows are counted from the bottom here (row m is y = H - 1 - m), PivotRow too; target pixels
// whose source falls outside NewImage keep what they had.
void RotateBitmap(Bitmap32& Target, const Bitmap32& NewImage, int32_t PivotX, long double Angle,
                  int32_t PivotRow);

void Fade(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
          int32_t DoneX, int32_t DoneY, int32_t Percent);
void Pixelate(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
              int32_t DoneX, int32_t DoneY, int32_t Percent);
void Dissolve(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
              int32_t DoneX, int32_t DoneY, int32_t Percent);

// A pivot turning about the column just right of the bitmap (PivotX = W) or just left of it
// (-1), and about the row just above the top (PivotRow = H) or just below the bottom (-1).
void PivotSteps(bool rightColumn, bool topRow, Bitmap32& Target, const Bitmap32& NewImage,
                int32_t Width, int32_t Height, int32_t Percent);

template <bool RightColumn, bool TopRow>
void PivotEffect(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
                 int32_t /*DoneX*/, int32_t /*DoneY*/, int32_t Percent) {
  PivotSteps(RightColumn, TopRow, Target, NewImage, Width, Height, Percent);
}

// Whole rows (Vertical false) or whole columns of the new picture, each shown when its draw
// from the generator seeded with W + H is below Percent. RandomSeed is unchanged afterwards.
void RandomBarsSteps(bool vertical, Bitmap32& Target, const Bitmap32& NewImage, int32_t Width,
                     int32_t Height, int32_t Percent);

template <bool Vertical>
void RandomBarsEffect(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
                      int32_t /*DoneX*/, int32_t /*DoneY*/, int32_t Percent) {
  RandomBarsSteps(Vertical, Target, NewImage, Width, Height, Percent);
}

}  // namespace kx
