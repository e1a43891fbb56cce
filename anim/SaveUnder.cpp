#include "anim/SaveUnder.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kx {

namespace {

// Copies n pixels between two places that do not overlap. Boxes are a few dozen pixels
// wide: copied in groups of four (the last group may overlap the one before it) rather
// than by a library call per row.
inline void CopyPixels(uint32_t* dst, const uint32_t* src, int32_t n) {
#if defined(__SSE2__)
  if (n >= 4) {
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)));
    }
    if (i < n) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + n - 4), _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + n - 4)));
    }
    return;
  }
#endif
  for (int32_t i = 0; i < n; ++i) dst[i] = src[i];
}

#if defined(__SSE2__)
// Narrow boxes (rain streaks are one to three pixels wide) move four pixels at a time where
// four lie inside the frame's pixels: the kept side takes the extra pixels along (the next
// row's copy overwrites them), the frame side writes them back with the values they have.
const __m128i kFirstLanes[4] = {_mm_setzero_si128(), _mm_set_epi32(0, 0, 0, -1), _mm_set_epi32(0, 0, -1, -1),
                                _mm_set_epi32(0, -1, -1, -1)};

inline void KeepNarrow(uint32_t* kept, const uint32_t* frame) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(kept), _mm_loadu_si128(reinterpret_cast<const __m128i*>(frame)));
}

inline void RestoreNarrow(uint32_t* frame, const uint32_t* kept, int32_t n) {
  const __m128i mask = kFirstLanes[n];
  const __m128i now = _mm_loadu_si128(reinterpret_cast<const __m128i*>(frame));
  const __m128i back = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kept));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(frame), _mm_or_si128(_mm_and_si128(mask, back), _mm_andnot_si128(mask, now)));
}
#endif

}  // namespace

void TSaveUnder::Begin(Bitmap32& frame, int32_t skipTop, int32_t skipBottom) {
  Clear();
  frame_ = &frame;
  width_ = frame.Width();
  height_ = frame.Height();
  skipTop_ = skipTop;
  skipBottom_ = skipBottom;
}

void TSaveUnder::Stop() {
  Clear();
  frame_ = nullptr;
}

void TSaveUnder::Clear() {
  boxes_.clear();
  used_ = 0;
}

void TSaveUnder::Keep(const PixelRect& box) {
  if (frame_ == nullptr) return;
  const int32_t x0 = std::max(box.Left, 0), x1 = std::min(box.Right, frame_->Width());
  const int32_t y0 = std::max(box.Top, 0), y1 = std::min(box.Bottom, frame_->Height());
  if (x0 >= x1 || y0 >= y1) return;
  if (skipTop_ > skipBottom_) {
    KeepRows(x0, x1, y0, y1);
    return;
  }
  // The rows above the skipped band, then those below it.
  KeepRows(x0, x1, y0, std::min(y1, skipTop_));
  KeepRows(x0, x1, std::max(y0, skipBottom_ + 1), y1);
}

void TSaveUnder::KeepRows(int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
  if (y0 >= y1) return;
  boxes_.push_back({x0, y0, x1, y1});
  const int32_t n = x1 - x0;
  size_t at = used_;
  used_ += static_cast<size_t>(n) * static_cast<size_t>(y1 - y0);
  // The buffer only grows (twice over, so that it seldom has to): the next frames keep about
  // as many pixels, and its contents need no clearing. Four pixels more leave room for a
  // narrow box's last group.
  if (used_ + 4 > pixels_.size()) pixels_.resize(std::max(used_ + 4, 2 * pixels_.size()));
#if defined(__SSE2__)
  if (n < 4 && width_ >= 4 && y1 - 1 < height_ - 1) {  // the last row's group stays within the next row
    for (int32_t y = y0; y < y1; ++y, at += static_cast<size_t>(n)) KeepNarrow(pixels_.data() + at, frame_->Row(y) + x0);
    return;
  }
#endif
  for (int32_t y = y0; y < y1; ++y, at += static_cast<size_t>(n)) CopyPixels(pixels_.data() + at, frame_->Row(y) + x0, n);
}

void TSaveUnder::Restore() {
  if (frame_ != nullptr && frame_->Width() == width_ && frame_->Height() == height_) {
    size_t end = used_;
    for (auto box = boxes_.rbegin(); box != boxes_.rend(); ++box) {
      const int32_t n = box->Right - box->Left;
      end -= static_cast<size_t>(n) * static_cast<size_t>(box->Bottom - box->Top);
      size_t at = end;
#if defined(__SSE2__)
      if (n < 4 && width_ >= 4 && box->Bottom - 1 < height_ - 1) {
        for (int32_t y = box->Top; y < box->Bottom; ++y, at += static_cast<size_t>(n)) {
          RestoreNarrow(frame_->Row(y) + box->Left, pixels_.data() + at, n);
        }
        continue;
      }
#endif
      for (int32_t y = box->Top; y < box->Bottom; ++y, at += static_cast<size_t>(n)) {
        CopyPixels(frame_->Row(y) + box->Left, pixels_.data() + at, n);
      }
    }
  }
  Clear();
}

void TSaveUnder::MarkRows(ChangedRows& rows) const {
  for (const Box& box : boxes_) rows.Mark(box.Top, box.Bottom - 1);
}

}  // namespace kx
