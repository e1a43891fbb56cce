#include "transitions/Region.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <iterator>
#include <limits>

namespace kx {

// ---- Queries ------------------------------------------------------------------------------

Rect Region::Bounds() const {
  if (bands_.empty()) return Rect{};
  Rect r{std::numeric_limits<int32_t>::max(), bands_.front().Top,
         std::numeric_limits<int32_t>::min(), bands_.back().Bottom};
  for (const Band& band : bands_) {
    r.Left = std::min(r.Left, spans_[band.First].Left);
    r.Right = std::max(r.Right, spans_[band.First + band.Count - 1].Right);
  }
  return r;
}

bool Region::Contains(int32_t x, int32_t y) const {
  // The last band whose Top is at or above y, then the last span whose Left is at or left of x.
  auto band = std::upper_bound(bands_.begin(), bands_.end(), y,
                               [](int32_t v, const Band& b) { return v < b.Top; });
  if (band == bands_.begin()) return false;
  --band;
  if (y >= band->Bottom) return false;
  const auto spans = SpansOf(*band);
  auto span = std::upper_bound(spans.begin(), spans.end(), x,
                               [](int32_t v, const Span& s) { return v < s.Left; });
  if (span == spans.begin()) return false;
  --span;
  return x < span->Right;
}

int64_t Region::PixelCount() const {
  int64_t total = 0;
  for (const Band& band : bands_) {
    int64_t width = 0;
    for (const Span& s : SpansOf(band)) width += int64_t{s.Right} - s.Left;
    total += width * (int64_t{band.Bottom} - band.Top);
  }
  return total;
}

bool Region::IsCanonical() const {
  const Band* previous = nullptr;
  uint32_t expectedFirst = 0;
  for (const Band& band : bands_) {
    if (band.Top >= band.Bottom || band.Count == 0 || band.First != expectedFirst) return false;
    expectedFirst += band.Count;
    if (expectedFirst > spans_.size()) return false;
    const auto spans = SpansOf(band);
    for (size_t i = 0; i < spans.size(); ++i) {
      if (spans[i].Left >= spans[i].Right) return false;
      if (i > 0 && spans[i - 1].Right >= spans[i].Left) return false;
    }
    if (previous) {
      if (previous->Bottom > band.Top) return false;
      const auto before = SpansOf(*previous);
      if (previous->Bottom == band.Top && std::equal(before.begin(), before.end(),
                                                     spans.begin(), spans.end()))
        return false;
    }
    previous = &band;
  }
  return expectedFirst == spans_.size();
}

// ---- Building -----------------------------------------------------------------------------

void RegionBuilder::AddBand(int32_t top, int32_t bottom, std::span<const Region::Span> spans) {
  if (top >= bottom) return;
  auto& bands = region_.bands_;
  auto& all = region_.spans_;
  assert(bands.empty() || top >= bands.back().Bottom);
  const uint32_t first = static_cast<uint32_t>(all.size());
  for (const Region::Span& s : spans) {
    if (s.Left >= s.Right) continue;
    if (all.size() > first && all.back().Right >= s.Left) {
      all.back().Right = std::max(all.back().Right, s.Right);  // touching or overlapping: join
    } else {
      all.push_back(s);
    }
  }
  const uint32_t count = static_cast<uint32_t>(all.size()) - first;
  if (count == 0) return;
  if (!bands.empty()) {
    Region::Band& last = bands.back();
    if (last.Bottom == top && last.Count == count &&
        std::equal(all.begin() + last.First, all.begin() + last.First + last.Count,
                   all.begin() + first)) {
      last.Bottom = bottom;  // same spans as the band just above: extend it
      all.resize(first);
      return;
    }
  }
  bands.push_back(Region::Band{top, bottom, first, count});
}

Region RegionBuilder::Finish() {
  Region out = std::move(region_);
  region_ = Region();
  return out;
}

Region CreateRectRgn(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  RegionBuilder builder;
  if (left < right && top < bottom) {
    const Region::Span span{left, right};
    builder.AddBand(top, bottom, std::span(&span, 1));
  }
  return builder.Finish();
}

namespace {

// Sorts rectangles by Top and those with equal Tops by Left. When the Tops span a range not
// much larger than the list (as with rectangles on a screen), they are counted into buckets,
// keeping the order in which they came within a Top, and a bucket is sorted by Left only
// when it is not sorted already; rectangles are mostly added column by column or row by
// row, so most buckets are.
void SortByTopThenLeft(std::vector<Rect>& rects, std::vector<Rect>& out, int32_t minTop, int32_t maxTop) {
  const auto byLeft = [](const Rect& a, const Rect& b) { return a.Left < b.Left; };
  const int64_t range = int64_t{maxTop} - minTop + 1;
  if (range > 4 * static_cast<int64_t>(rects.size()) + 4096) {
    std::sort(rects.begin(), rects.end(), [](const Rect& a, const Rect& b) {
      return a.Top != b.Top ? a.Top < b.Top : a.Left < b.Left;
    });
    return;
  }
  thread_local std::vector<uint32_t> end;
  end.assign(static_cast<size_t>(range) + 1, 0);
  for (const Rect& r : rects) ++end[static_cast<size_t>(r.Top - minTop) + 1];
  for (size_t k = 1; k < end.size(); ++k) end[k] += end[k - 1];
  out.resize(rects.size());
  for (const Rect& r : rects) out[end[static_cast<size_t>(r.Top - minTop)]++] = r;
  // end[k] is now where bucket k ends.
  uint32_t begin = 0;
  for (size_t k = 0; k + 1 < end.size(); ++k) {
    const auto first = out.begin() + begin, last = out.begin() + end[k];
    if (end[k] - begin > 1 && !std::is_sorted(first, last, byLeft)) std::sort(first, last, byLeft);
    begin = end[k];
  }
  rects.swap(out);
}

}  // namespace

Region RegionFromRects(std::span<const Rect> rects) {
  // Sweep from top to bottom over the rows where some rectangle starts or ends; in each slice
  // between two such rows the x-intervals of the rectangles that cover it are merged. The
  // rectangles that cover the slice are kept sorted by Left: those that start are merged in
  // (they come sorted), those that end are dropped in place, so a slice costs one walk over
  // its rectangles and no sort.
  // Scratch lists kept from call to call: the effects build a region at every step, and
  // allocating these afresh each time costs more than the sweep.
  thread_local std::vector<Rect> sorted, spare, active, merged;
  thread_local std::vector<Region::Span> spans;
  sorted.clear();
  active.clear();
  int32_t minTop = std::numeric_limits<int32_t>::max(), maxTop = std::numeric_limits<int32_t>::min();
  for (const Rect& r : rects) {
    if (r.IsEmpty()) continue;
    sorted.push_back(r);
    minTop = std::min(minTop, r.Top);
    maxTop = std::max(maxTop, r.Top);
  }
  RegionBuilder builder;
  if (sorted.empty()) return builder.Finish();
  SortByTopThenLeft(sorted, spare, minTop, maxTop);

  const auto byLeft = [](const Rect& a, const Rect& b) { return a.Left < b.Left; };
  size_t next = 0;
  int32_t y = sorted[0].Top;
  while (next < sorted.size() || !active.empty()) {
    if (active.empty()) y = std::max(y, sorted[next].Top);  // skip rows that nothing covers
    const size_t first = next;
    while (next < sorted.size() && sorted[next].Top <= y) ++next;
    if (next > first) {
      merged.clear();
      std::merge(active.begin(), active.end(), sorted.begin() + static_cast<std::ptrdiff_t>(first),
                 sorted.begin() + static_cast<std::ptrdiff_t>(next), std::back_inserter(merged), byLeft);
      active.swap(merged);
    }
    // The slice ends where the next rectangle starts or the first covering one ends.
    int32_t end = next < sorted.size() ? sorted[next].Top : std::numeric_limits<int32_t>::max();
    spans.clear();
    for (const Rect& r : active) {
      spans.push_back({r.Left, r.Right});
      end = std::min(end, r.Bottom);
    }
    builder.AddBand(y, end, spans);  // joins the overlapping intervals
    y = end;
    std::erase_if(active, [y](const Rect& r) { return r.Bottom <= y; });
  }
  return builder.Finish();
}

// ---- Combining ----------------------------------------------------------------------------

namespace {

// Truth table of a mode: bit (inA + 2 * inB) tells whether such a pixel is in the result.
unsigned TruthTable(CombineMode mode) {
  switch (mode) {
    case CombineMode::And: return 0b1000;
    case CombineMode::Or: return 0b1110;
    case CombineMode::Xor: return 0b0110;
    case CombineMode::Diff: return 0b0010;
    case CombineMode::Copy: return 0b1010;
  }
  return 0;
}

// Merges two sorted span lists of one slice of rows by the truth table.
void MergeSpans(std::span<const Region::Span> a, std::span<const Region::Span> b, unsigned table,
                std::vector<Region::Span>& out) {
  constexpr int64_t kNone = std::numeric_limits<int64_t>::max();
  size_t i = 0, j = 0;
  bool inA = false, inB = false, inOut = false;
  int32_t start = 0;
  for (;;) {
    const int64_t xa = i < a.size() ? (inA ? a[i].Right : a[i].Left) : kNone;
    const int64_t xb = j < b.size() ? (inB ? b[j].Right : b[j].Left) : kNone;
    const int64_t x64 = std::min(xa, xb);
    if (x64 == kNone) break;
    const int32_t x = static_cast<int32_t>(x64);
    if (xa == x64) {
      if (inA) ++i;
      inA = !inA;
    }
    if (xb == x64) {
      if (inB) ++j;
      inB = !inB;
    }
    const bool o = (table >> (unsigned(inA) | (unsigned(inB) << 1))) & 1u;
    if (o != inOut) {
      if (o) start = x;
      else out.push_back({start, x});
      inOut = o;
    }
  }
}

}  // namespace

Region Region::Combine(const Region& a, const Region& b, CombineMode mode) {
  const unsigned table = TruthTable(mode);
  // Quick answers when one side is empty.
  if (a.IsEmpty() && b.IsEmpty()) return Region();
  if (b.IsEmpty()) return (table & 0b0010) ? a : Region();
  if (a.IsEmpty()) return (table & 0b0100) ? b : Region();

  RegionBuilder builder;
  std::vector<Span> merged;
  const std::span<const Span> none;
  size_t ia = 0, ib = 0;
  const size_t na = a.bands_.size(), nb = b.bands_.size();
  int32_t y = std::min(a.bands_[0].Top, b.bands_[0].Top);
  while (ia < na || ib < nb) {
    const Band* ba = ia < na ? &a.bands_[ia] : nullptr;
    const Band* bb = ib < nb ? &b.bands_[ib] : nullptr;
    // Skip a gap where neither region has rows.
    const bool aIn = ba && ba->Top <= y;
    const bool bIn = bb && bb->Top <= y;
    if (!aIn && !bIn) {
      y = std::min(ba ? ba->Top : std::numeric_limits<int32_t>::max(),
                   bb ? bb->Top : std::numeric_limits<int32_t>::max());
      continue;
    }
    int32_t end = std::numeric_limits<int32_t>::max();
    if (ba) end = std::min(end, aIn ? ba->Bottom : ba->Top);
    if (bb) end = std::min(end, bIn ? bb->Bottom : bb->Top);
    merged.clear();
    MergeSpans(aIn ? a.SpansOf(*ba) : none, bIn ? b.SpansOf(*bb) : none, table, merged);
    builder.AddBand(y, end, merged);
    y = end;
    if (ba && ba->Bottom <= y) ++ia;
    if (bb && bb->Bottom <= y) ++ib;
  }
  return builder.Finish();
}

void CombineRgn(Region& dest, const Region& a, const Region& b, CombineMode mode) {
  dest = Region::Combine(a, b, mode);
}

Region Region::Intersected(const Rect& rect) const {
  RegionBuilder builder;
  if (rect.IsEmpty()) return builder.Finish();
  std::vector<Span> clipped;
  for (const Band& band : bands_) {
    if (band.Bottom <= rect.Top) continue;
    if (band.Top >= rect.Bottom) break;
    clipped.clear();
    for (const Span& s : SpansOf(band)) {
      const int32_t l = std::max(s.Left, rect.Left), r = std::min(s.Right, rect.Right);
      if (l < r) clipped.push_back({l, r});
    }
    builder.AddBand(std::max(band.Top, rect.Top), std::min(band.Bottom, rect.Bottom), clipped);
  }
  return builder.Finish();
}

void Region::Offset(int32_t dx, int32_t dy) {
  for (Band& band : bands_) {
    band.Top += dy;
    band.Bottom += dy;
  }
  for (Span& s : spans_) {
    s.Left += dx;
    s.Right += dx;
  }
}

}  // namespace kx
