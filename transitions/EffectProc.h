#pragma once
// The contract of an effect procedure.
//
// Proc(Target, NewImage, Width, Height, DoneX, DoneY, Percent) draws one step of a transition:
//  - Target: the work bitmap, W x H. On entry it holds the whole old picture; the procedure
//    draws the step onto it (push effects also read it as a source).
//  - NewImage: the new picture, W x H, only read.
//  - DoneX, DoneY: the progress in pixels along each axis, 0 .. W and 0 .. H.
//  - Percent: the progress, 0 .. 100.
// A procedure keeps nothing from one call to the next and leaves no clip behind.
#include <cstdint>

#include "imaging/Bitmap32.h"

namespace kx {

using TEffectProc = void (*)(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width,
                             int32_t Height, int32_t DoneX, int32_t DoneY, int32_t Percent);

}  // namespace kx
