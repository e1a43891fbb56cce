#include "imaging/ChangedRows.h"

#include <algorithm>

namespace kx {

void ChangedRows::Reset(int32_t height) {
  height_ = std::max(0, height);
  marked_ = 0;
  marks_.assign(static_cast<size_t>(height_), 0);
}

void ChangedRows::Mark(int32_t first, int32_t last) {
  first = std::max(first, 0);
  last = std::min(last, height_ - 1);
  if (first > last || marked_ == height_) return;
  for (int32_t row = first; row <= last; ++row) {
    uint8_t& mark = marks_[static_cast<size_t>(row)];
    marked_ += mark ^ 1;
    mark = 1;
  }
}

void ChangedRows::MarkAll() {
  std::fill(marks_.begin(), marks_.end(), uint8_t{1});
  marked_ = height_;
}

std::vector<RowRange> ChangedRows::Ranges(int32_t joinGap) const {
  std::vector<RowRange> ranges;
  if (marked_ == height_) {
    if (height_ > 0) ranges.push_back({0, height_ - 1});
    return ranges;
  }
  int32_t row = 0;
  while (marked_ > 0 && row < height_) {
    if (marks_[static_cast<size_t>(row)] == 0) {
      ++row;
      continue;
    }
    int32_t last = row;
    while (last + 1 < height_ && marks_[static_cast<size_t>(last + 1)] != 0) ++last;
    if (!ranges.empty() && row - ranges.back().Last - 1 <= joinGap) {
      ranges.back().Last = last;
    } else {
      ranges.push_back({row, last});
    }
    row = last + 1;
  }
  return ranges;
}

}  // namespace kx
