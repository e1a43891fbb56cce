#pragma once
// Drawing of image and GIF objects into the frame.
//
// Both kinds are drawn from a *coverage image*: a Bitmap32 whose pixels hold the colour to
// show in their low 24 bits and, in the alpha byte, how much of it shows (0 nothing, 255 all):
// the kind's transparency rules (key colours, a PNG's alpha plane, a GIF's transparent
// colour) are worked into it once when the image is loaded, so that drawing a frame is one
// pass of plain blends. A frame pixel D under an image pixel S of coverage c, drawn with the
// object's alpha A, takes a = c x A div 255 and becomes
//   each of red, green, blue: (S x a + D x (255 - a)) div 255
//   alpha: a + D.alpha x (255 - a) / 255 (so an opaque frame stays opaque).
// A pixel with a = 0 is left alone.
#include <cstdint>

#include "anim/AnimObjects.h"
#include "imaging/Bitmap32.h"

namespace kx {

// Draws `image` over `rect` of `frame` (clipped to the frame), mirrored left to right when
// `mirror`. When the rectangle's size differs from the image's, every frame pixel shows the
// image pixel under its centre (nearest-neighbour).
void DrawCoverageImage(Bitmap32& frame, const Bitmap32& image, const TRect& rect, bool mirror, int32_t alpha);
// The same, one pixel at a time with plain arithmetic: the reference the fast one is tested
// against.
void DrawCoverageImageReference(Bitmap32& frame, const Bitmap32& image, const TRect& rect, bool mirror,
                                int32_t alpha);

// The draft scaling of a coverage image to width x height: each target pixel averages the
// block of source pixels it covers (at least one), colours weighted by their coverage, so
// that pixels that do not show never tint the ones that do. Enlarging repeats pixels.
Bitmap32 DraftScale(const Bitmap32& image, int32_t width, int32_t height);

}  // namespace kx
