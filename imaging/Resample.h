#pragma once
// Resampling of whole bitmaps: the whole source rectangle onto the whole target rectangle.
//
// - Nearest: every target pixel is exactly one source pixel, the one under the target
//   pixel's centre (source column floor((x + 0.5) * sw / w), rows alike). Used where values
//   are labels, not colours: water masks keep exact region values.
// - Bilinear: a separable triangle filter; when shrinking, the triangle widens with the
//   scale so that every source pixel contributes (no aliasing from skipped pixels).
// - Lanczos3: a separable windowed sinc with a = 3, widened with the scale when shrinking.
//   Used to fit still pictures.
//
// Bilinear and Lanczos use fixed-point weights that add up exactly to one for each target
// pixel (taps outside the source are dropped and the rest renormalised), so a flat colour
// stays exactly flat, also at the edges. Results are clamped to 0..255. Pictures with any
// alpha below 255 are filtered premultiplied and divided back, so colours of transparent
// pixels do not bleed into visible ones; fully opaque pictures skip that work.
//
// A target size <= 0 or an empty source gives an empty bitmap.
#include <cstdint>
#include <vector>

#include "imaging/Bitmap32.h"
#include "imaging/ChangedRows.h"

namespace kx {

enum class ResampleFilter { Nearest, Bilinear, Lanczos3 };

Bitmap32 Resample(const Bitmap32& source, int width, int height, ResampleFilter filter);
// Resamples into `target` at its present size (for frames that are reused); an empty
// source or target leaves `target` unchanged.
void ResampleInto(const Bitmap32& source, Bitmap32& target, ResampleFilter filter);
// After a nearest-neighbour ResampleInto of an earlier `source` into `target`: scales again
// only the target rows taken from rows marked in `sourceRows`, and marks them in
// `targetRows`.
void NearestChangedRowsInto(const Bitmap32& source, Bitmap32& target, const ChangedRows& sourceRows,
                            ChangedRows& targetRows);

inline Bitmap32 ResizeNearest(const Bitmap32& source, int width, int height) {
  return Resample(source, width, height, ResampleFilter::Nearest);
}
inline Bitmap32 ResizeBilinear(const Bitmap32& source, int width, int height) {
  return Resample(source, width, height, ResampleFilter::Bilinear);
}
inline Bitmap32 ResizeLanczos(const Bitmap32& source, int width, int height) {
  return Resample(source, width, height, ResampleFilter::Lanczos3);
}

// Nearest-neighbour for a plane of one byte per pixel (a region map), rows top first,
// `sourceWidth` bytes each. Gives an empty plane for a target size <= 0 or when the plane's
// length is not sourceWidth x sourceHeight.
std::vector<uint8_t> ResizeNearestPlane(const std::vector<uint8_t>& plane, int sourceWidth, int sourceHeight,
                                        int width, int height);

}  // namespace kx
