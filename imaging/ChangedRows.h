#pragma once
// ChangedRows: which rows of a frame differ from the frame shown before it.
//
// A scene's frame usually changes in a few bands only (the water, the clock, whatever moved
// over the picture). The renderer marks the rows it touched; the display then copies and
// sends just those rows instead of the whole frame. "All" stands for a frame with no known
// relation to the one before (the first frame, a new size, a whole copy).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kx {

struct RowRange {
  int32_t First = 0;  // inclusive
  int32_t Last = -1;  // inclusive
  int32_t Count() const { return Last - First + 1; }
};

class ChangedRows {
 public:
  // No row of a frame of `height` rows has changed.
  void Reset(int32_t height);
  // Rows first .. last (inclusive) have changed; the part outside the frame is ignored.
  void Mark(int32_t first, int32_t last);
  // Every row has changed.
  void MarkAll();

  int32_t Height() const { return height_; }
  // Every row is marked.
  bool All() const { return height_ > 0 && marked_ == height_; }
  bool None() const { return marked_ == 0; }
  int32_t MarkedRows() const { return marked_; }
  bool IsMarked(int32_t row) const {
    return row >= 0 && row < height_ && marks_[static_cast<size_t>(row)] != 0;
  }
  // The marked rows as ranges in top-to-bottom order. Two ranges with at most `joinGap`
  // unmarked rows between them come out as one (sending a few unchanged rows costs less
  // than one more request to the display).
  std::vector<RowRange> Ranges(int32_t joinGap = 0) const;

 private:
  int32_t height_ = 0;
  int32_t marked_ = 0;
  std::vector<uint8_t> marks_;
};

}  // namespace kx
