#pragma once
// The smooth resize of the preview picture: a bilinear blend in 15-bit fixed point.
//
// Positions walk the source in steps of ((source size - 1) x 32768) div (target size), so
// the last target pixel never reaches past the second-to-last source column or row, and the
// neighbours c + 1 and r + 1 always exist. Each target pixel mixes the four source pixels
// around its position:
//
//   h = fx (32768 - fy) div 32768,  l = 32768 - fy - h,  m = fx fy div 32768
//   channel = (p0 l + p1 h + q0 (fy - m) + q1 m) div 32768
//
// with p0, p1 the pixels (c, r), (c + 1, r) and q0, q1 the two below them (row r again for a
// source one pixel high). The weights add up to 32768, so a flat colour stays flat. A source
// one pixel wide is sampled by nearest neighbour instead; equal sizes copy.
//
// Pixels are 24-bit: the alpha byte of the source is dropped and the result is opaque.
#include "imaging/Bitmap32.h"

namespace kx {

// The source resized to width x height; empty when either is below 1 or the source is empty.
Bitmap32 SmoothResize(const Bitmap32& source, int width, int height);

}  // namespace kx
