#include "transitions/Raster.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "transitions/PixelOps.h"

namespace kx {

namespace {

// The rectangle of rows and columns [Left, Right) x [Top, Bottom) in 64-bit, so that blocks
// given near the ends of the 32-bit range cannot overflow while they are limited.
struct Area {
  int64_t Left, Top, Right, Bottom;
  bool IsEmpty() const { return Left >= Right || Top >= Bottom; }
};

// Calls f(row, firstColumn, endColumn) for every run of pixels of `area` that lies inside the
// clip (all of `area` without one), rows in falling order when bottomUp and runs of a row from
// right to left when rightToLeft.
template <typename F>
void ForEachRun(const Region* clip, const Area& area, bool bottomUp, bool rightToLeft, F&& f) {
  if (area.IsEmpty()) return;
  const int32_t l = static_cast<int32_t>(area.Left), t = static_cast<int32_t>(area.Top);
  const int32_t r = static_cast<int32_t>(area.Right), b = static_cast<int32_t>(area.Bottom);
  if (!clip) {
    if (bottomUp) {
      for (int32_t y = b - 1; y >= t; --y) f(y, l, r);
    } else {
      for (int32_t y = t; y < b; ++y) f(y, l, r);
    }
    return;
  }
  const auto bands = clip->Bands();
  auto runsOfRow = [&](const Region::Band& band, int32_t y) {
    const auto spans = clip->SpansOf(band);
    const size_t n = spans.size();
    for (size_t k = 0; k < n; ++k) {
      const Region::Span& s = spans[rightToLeft ? n - 1 - k : k];
      const int32_t c0 = std::max(s.Left, l), c1 = std::min(s.Right, r);
      if (c0 < c1) f(y, c0, c1);
    }
  };
  const size_t n = bands.size();
  for (size_t k = 0; k < n; ++k) {
    const Region::Band& band = bands[bottomUp ? n - 1 - k : k];
    if (band.Bottom <= t || band.Top >= b) continue;
    const int32_t y0 = std::max(band.Top, t), y1 = std::min(band.Bottom, b);
    if (bottomUp) {
      for (int32_t y = y1 - 1; y >= y0; --y) runsOfRow(band, y);
    } else {
      for (int32_t y = y0; y < y1; ++y) runsOfRow(band, y);
    }
  }
}

bool SameBitmap(const Bitmap32& a, const Bitmap32& b) { return &a == &b || a.Data() == b.Data(); }

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__)) && \
    !defined(KX_TRANSITIONS_PLAIN)
#define KX_RASTER_X86 1
#include <immintrin.h>
#endif

// How the rows of one scaled copy are read. For every visible destination column the source
// column; for enlargements of 8 times or more the columns as runs that show one source pixel
// each; and, where the processor has AVX2 (or else SSSE3), for every group of eight (four)
// destination columns counted from the first visible one whose sources lie close together, the
// permutation that picks them out of one or two vector loads of the source row.
class RowScaler {
 public:
  struct Run {
    int32_t start, end, source;  // destination columns [start, end) show source column `source`
  };

  void Prepare(int64_t c0, int64_t c1, bool byRuns) {
    first_ = c0;
    cols_ = columns.data() - c0;
    runs_.clear();
    byRuns_ = byRuns;
    if (byRuns) {
      for (int64_t c = c0; c < c1; ++c) {
        if (!runs_.empty() && runs_.back().source == cols_[c]) ++runs_.back().end;
        else runs_.push_back({static_cast<int32_t>(c), static_cast<int32_t>(c + 1), cols_[c]});
      }
      return;
    }
#if KX_RASTER_X86
    groups_.clear();
    tier_ = BestTier();
    const int size = GroupSize();
    if (size == 0) return;
    for (int64_t g = c0; g + size <= c1; g += size) {
      Group group{};
      int32_t lo = cols_[g], hi = cols_[g];
      for (int j = 1; j < size; ++j) lo = std::min(lo, cols_[g + j]), hi = std::max(hi, cols_[g + j]);
      group.base = lo;
      // Vector loads hold `size` pixels; the group needs the loads that cover lo .. hi.
      group.loads = hi - lo < size ? 1 : hi - lo < 2 * size ? 2 : 0;
      for (int j = 0; j < size; ++j) {
        const int o = cols_[g + j] - lo;
        if (tier_ == Tier::Avx2) {
          group.index[j] = o;  // lanes 8 .. 15 come from the second load
        } else {
          for (int byte = 0; byte < 4; ++byte) {
            group.bytes0[4 * j + byte] = o < 4 ? static_cast<uint8_t>(4 * o + byte) : 0x80;
            group.bytes1[4 * j + byte] = o >= 4 && o < 8 ? static_cast<uint8_t>(4 * (o - 4) + byte) : 0x80;
          }
        }
      }
      groups_.push_back(group);
    }
#endif
  }

  // d[c] = s[cols[c]] for c in [a, b); s may be read at indices lo .. hi - 1 only.
  void Scale(uint32_t* d, const uint32_t* s, int32_t a, int32_t b, [[maybe_unused]] int32_t lo,
             [[maybe_unused]] int32_t hi) const {
    if (byRuns_) {
      auto run = std::upper_bound(runs_.begin(), runs_.end(), a, [](int32_t v, const Run& r) { return v < r.end; });
      for (; run != runs_.end() && run->start < b; ++run) {
        const int32_t from = std::max(run->start, a), to = std::min(run->end, b);
        pixelops::FillSpan(d + from, static_cast<size_t>(to - from), s[run->source]);
      }
      return;
    }
    int32_t c = a;
#if KX_RASTER_X86
    if (!groups_.empty()) {
      const int size = GroupSize();
      while (c < b && (c - first_) % size != 0) d[c] = s[cols_[c]], ++c;
      const size_t first = static_cast<size_t>((c - first_) / size);
      const size_t count = static_cast<size_t>(std::max(b - c, 0) / size);
      if (tier_ == Tier::Avx2) ScaleGroupsAvx2(d, s, c, first, count, lo, hi);
      else ScaleGroupsSsse3(d, s, c, first, count, lo, hi);
      c += static_cast<int32_t>(count) * size;
    }
#endif
    for (; c < b; ++c) d[c] = s[cols_[c]];
  }

  std::vector<int32_t> columns;  // source column of each visible destination column

 private:
#if KX_RASTER_X86
  enum class Tier { None, Ssse3, Avx2 };
  struct Group {
    alignas(32) int32_t index[8];  // AVX2: source offset of each lane
    alignas(16) uint8_t bytes0[16];  // SSSE3: byte shuffles of the first and second load
    alignas(16) uint8_t bytes1[16];
    int32_t base;   // lowest source column of the group
    int32_t loads;  // vector loads it needs: 1, 2, or 0 for none (looked up one by one)
  };

  static Tier BestTier() {
    static const Tier tier = __builtin_cpu_supports("avx2")    ? Tier::Avx2
                             : __builtin_cpu_supports("ssse3") ? Tier::Ssse3
                                                               : Tier::None;
    return tier;
  }
  int GroupSize() const { return tier_ == Tier::Avx2 ? 8 : tier_ == Tier::Ssse3 ? 4 : 0; }

  // The groups first .. first + count - 1, written from column c on. A group is looked up
  // pixel by pixel where its loads would leave lo .. hi - 1.
  __attribute__((target("avx2"))) void ScaleGroupsAvx2(uint32_t* d, const uint32_t* s, int32_t c, size_t first,
                                                       size_t count, int32_t lo, int32_t hi) const {
    const __m256i seven = _mm256_set1_epi32(7);
    for (size_t k = first; k < first + count; ++k, c += 8) {
      const Group& g = groups_[k];
      const __m256i index = _mm256_load_si256(reinterpret_cast<const __m256i*>(g.index));
      if (g.loads == 1 && g.base >= lo && g.base + 8 <= hi) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + g.base));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + c), _mm256_permutevar8x32_epi32(v, index));
      } else if (g.loads == 2 && g.base >= lo && g.base + 16 <= hi) {
        const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + g.base));
        const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + g.base + 8));
        const __m256i fromSecond = _mm256_cmpgt_epi32(index, seven);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + c),
                            _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(v0, index),
                                               _mm256_permutevar8x32_epi32(v1, index), fromSecond));
      } else {
        for (int j = 0; j < 8; ++j) d[c + j] = s[cols_[c + j]];
      }
    }
  }

  __attribute__((target("ssse3"))) void ScaleGroupsSsse3(uint32_t* d, const uint32_t* s, int32_t c, size_t first,
                                                         size_t count, int32_t lo, int32_t hi) const {
    for (size_t k = first; k < first + count; ++k, c += 4) {
      const Group& g = groups_[k];
      if (g.loads == 1 && g.base >= lo && g.base + 4 <= hi) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + g.base));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + c),
                         _mm_shuffle_epi8(v, _mm_load_si128(reinterpret_cast<const __m128i*>(g.bytes0))));
      } else if (g.loads == 2 && g.base >= lo && g.base + 8 <= hi) {
        const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + g.base));
        const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + g.base + 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + c),
                         _mm_or_si128(_mm_shuffle_epi8(v0, _mm_load_si128(reinterpret_cast<const __m128i*>(g.bytes0))),
                                      _mm_shuffle_epi8(v1, _mm_load_si128(reinterpret_cast<const __m128i*>(g.bytes1)))));
      } else {
        for (int j = 0; j < 4; ++j) d[c + j] = s[cols_[c + j]];
      }
    }
  }

  Tier tier_ = Tier::None;
  std::vector<Group> groups_;
#endif
  int64_t first_ = 0;
  const int32_t* cols_ = nullptr;
  bool byRuns_ = false;
  std::vector<Run> runs_;
};

// Reused scratch space of the scaled copies, so that a step does not allocate once warm.
struct StretchScratch {
  RowScaler scaler;
  std::vector<int32_t> rows;      // source row of each visible destination row
  std::vector<uint32_t> pixels;   // a saved source block for self-copies
  std::vector<uint32_t> rowCopy;  // a saved source row for self-copies within a row
};
thread_local StretchScratch scratch;

// The destination steps i = 0 .. |n| - 1 of a scaled axis start at `pos` and run forward when n
// is positive, backward when negative. Returns the visible destination range [first, end)
// within 0 .. limit.
void VisibleRange(int64_t pos, int64_t n, int64_t limit, int64_t& first, int64_t& end) {
  if (n > 0) {
    first = pos, end = pos + n;
  } else {
    first = pos + n + 1, end = pos + 1;
  }
  first = std::max<int64_t>(first, 0);
  end = std::min<int64_t>(end, limit);
}

// Fills map[k] with the source index of destination index first + k and trims [first, end)
// to the destinations whose source lies inside 0 .. sourceLimit - 1 (a contiguous range,
// because the mapping is monotone).
void MapAxis(int64_t pos, int64_t n, int64_t spos, int64_t sn, int64_t sourceLimit, int64_t& first,
             int64_t& end, std::vector<int32_t>& map) {
  const int64_t an = n < 0 ? -n : n, asn = sn < 0 ? -sn : sn;
  auto sourceOf = [&](int64_t d) {
    const int64_t i = n > 0 ? d - pos : pos - d;
    const int64_t j = i * asn / an;
    return sn > 0 ? spos + j : spos - j;
  };
  while (first < end && (sourceOf(first) < 0 || sourceOf(first) >= sourceLimit)) ++first;
  while (end > first && (sourceOf(end - 1) < 0 || sourceOf(end - 1) >= sourceLimit)) --end;
  map.resize(static_cast<size_t>(std::max<int64_t>(end - first, 0)));
  if (first >= end) return;
  // Walk the destinations in step order (i rising), stepping i * asn / an without a division
  // per step: forward from `first` when n > 0, backward from end - 1 when n < 0.
  const int64_t whole = asn / an, part = asn % an;
  const int64_t i0 = n > 0 ? first - pos : pos - (end - 1);
  int64_t j = i0 * asn / an, rest = i0 * asn % an;
  for (int64_t k = 0; k < end - first; ++k) {
    const int64_t d = n > 0 ? first + k : end - 1 - k;
    map[static_cast<size_t>(d - first)] = static_cast<int32_t>(sn > 0 ? spos + j : spos - j);
    j += whole, rest += part;
    if (rest >= an) rest -= an, ++j;
  }
}

}  // namespace

void BitBlt(Bitmap32& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Bitmap32& src,
            int32_t sx, int32_t sy, const Region* clip) {
  if (w <= 0 || h <= 0 || dst.Empty() || src.Empty()) return;
  // Source pixel of destination (X, Y) is (X + dx, Y + dy).
  const int64_t dx = int64_t{sx} - x, dy = int64_t{sy} - y;
  Area area{std::max<int64_t>({x, 0, -dx}), std::max<int64_t>({y, 0, -dy}),
            std::min<int64_t>({int64_t{x} + w, dst.Width(), src.Width() - dx}),
            std::min<int64_t>({int64_t{y} + h, dst.Height(), src.Height() - dy})};
  if (area.IsEmpty()) return;
  const bool self = SameBitmap(dst, src);
  // For a self-copy, write first the rows and runs that no later write still needs to read:
  // with the source above (dy < 0) go bottom up, with the source to the left go right to left.
  const bool bottomUp = self && dy < 0;
  const bool rightToLeft = self && dy == 0 && dx < 0;
  ForEachRun(clip, area, bottomUp, rightToLeft, [&](int32_t row, int32_t c0, int32_t c1) {
    uint32_t* d = dst.Row(row) + c0;
    const uint32_t* s = src.Row(static_cast<int32_t>(row + dy)) + (c0 + dx);
    const size_t bytes = static_cast<size_t>(c1 - c0) * 4;
    if (self) std::memmove(d, s, bytes);
    else std::memcpy(d, s, bytes);
  });
}

void StretchBlt(Bitmap32& dst, int32_t x, int32_t y, int32_t w, int32_t h, const Bitmap32& src,
                int32_t sx, int32_t sy, int32_t sw, int32_t sh, const Region* clip) {
  if (w == 0 || h == 0 || sw == 0 || sh == 0 || dst.Empty() || src.Empty()) return;
  if (SameBitmap(dst, src) && x == sx && y == sy && w == sw && h == sh) return;  // onto itself
  int64_t c0, c1, r0, r1;
  VisibleRange(x, w, dst.Width(), c0, c1);
  VisibleRange(y, h, dst.Height(), r0, r1);
  if (c0 >= c1 || r0 >= r1) return;
  StretchScratch& s = scratch;
  MapAxis(x, w, sx, sw, src.Width(), c0, c1, s.scaler.columns);
  MapAxis(y, h, sy, sh, src.Height(), r0, r1, s.rows);
  if (c0 >= c1 || r0 >= r1) return;

  const int32_t* cols = s.scaler.columns.data() - c0;  // indexed by destination column
  const int32_t* rows = s.rows.data() - r0;             // indexed by destination row
  const int64_t aw = w < 0 ? -int64_t{w} : w, asw = sw < 0 ? -int64_t{sw} : sw;
  // A plain shift along x lets runs be copied whole.
  const bool shiftOnly = (w > 0) == (sw > 0) && aw == asw;
  const int64_t shift = cols[c0] - c0;  // source column minus destination column, when shiftOnly
  if (!shiftOnly) s.scaler.Prepare(c0, c1, aw >= 8 * asw);

  // Where the source is read from: src itself, or a saved copy of its block.
  const uint32_t* block = nullptr;
  int32_t blockLeft = 0, blockTop = 0;
  size_t blockStride = 0;
  const bool self = SameBitmap(dst, src);
  bool bottomUp = false;
  if (self) {
    bool allAtOrAbove = true, allAtOrBelow = true;  // source row <= destination row, or >=
    for (int64_t d = r0; d < r1; ++d) {
      allAtOrAbove &= rows[d] <= d;
      allAtOrBelow &= rows[d] >= d;
    }
    // Each row reading only rows at or above itself is written from the bottom up, each row
    // reading only rows at or below itself from the top down; rows that read their own row
    // save it first. Where rows are read from both sides of where they are written, the source
    // block is saved before anything is written.
    bottomUp = allAtOrAbove;
    if (!allAtOrAbove && !allAtOrBelow) {
      const auto [colMin, colMax] = std::minmax_element(s.scaler.columns.begin(), s.scaler.columns.end());
      const auto [rowMin, rowMax] = std::minmax_element(s.rows.begin(), s.rows.end());
      blockLeft = *colMin, blockTop = *rowMin;
      blockStride = static_cast<size_t>(*colMax - blockLeft + 1);
      s.pixels.resize(blockStride * static_cast<size_t>(*rowMax - blockTop + 1));
      for (int32_t r = blockTop; r <= *rowMax; ++r)
        std::memcpy(s.pixels.data() + (r - blockTop) * blockStride, src.Row(r) + blockLeft, blockStride * 4);
      block = s.pixels.data();
      bottomUp = false;
    }
  }

  // Unclipped copies repeat a destination row that has the same source row as the row written
  // just before it.
  int64_t previousRow = -1;
  const int32_t sourceWidth = src.Width();
  ForEachRun(clip, Area{c0, r0, c1, r1}, bottomUp, false, [&](int32_t row, int32_t a, int32_t b) {
    uint32_t* d = dst.Row(row);
    const int32_t srcRow = rows[row];
    if (!clip && previousRow >= 0 && rows[previousRow] == srcRow) {
      std::memcpy(d + a, dst.Row(static_cast<int32_t>(previousRow)) + a, static_cast<size_t>(b - a) * 4);
      previousRow = row;
      return;
    }
    previousRow = row;
    const bool sameRow = self && !block && srcRow == row;
    const uint32_t* sr = src.Row(srcRow);
    int32_t lo = 0, hi = sourceWidth;  // the source indices that may be read
    if (block) {
      sr = block + static_cast<size_t>(srcRow - blockTop) * blockStride - blockLeft;
      lo = blockLeft, hi = blockLeft + static_cast<int32_t>(blockStride);
    }
    if (shiftOnly) {
      if (sameRow) std::memmove(d + a, sr + (a + shift), static_cast<size_t>(b - a) * 4);
      else std::memcpy(d + a, sr + (a + shift), static_cast<size_t>(b - a) * 4);
      return;
    }
    if (sameRow) {
      // Scaling within one row: save the part of the row that this run reads first.
      lo = std::min(cols[a], cols[b - 1]), hi = std::max(cols[a], cols[b - 1]) + 1;
      s.rowCopy.assign(sr + lo, sr + hi);
      sr = s.rowCopy.data() - lo;
    }
    s.scaler.Scale(d, sr, a, b, lo, hi);
  });
}

void CopyThroughRegion(Bitmap32& target, const Bitmap32& source, const Region& region) {
  BitBlt(target, 0, 0, target.Width(), target.Height(), source, 0, 0, &region);
}

void Canvas::SelectClipRgn(const Region* region) {
  if (!region) {
    clip_.reset();
    return;
  }
  clip_ = region->Intersected(Rect{0, 0, target_.Width(), target_.Height()});
}

void Canvas::ExcludeClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  const Region base = clip_ ? *clip_ : CreateRectRgn(0, 0, target_.Width(), target_.Height());
  clip_ = Region::Combine(base, CreateRectRgn(left, top, right, bottom), CombineMode::Diff);
}

}  // namespace kx
