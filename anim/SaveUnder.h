#pragma once
// TSaveUnder: keeps the pixels under what is drawn over a frame, so that they can be put
// back before the next frame is composed.
//
// Before an overlay draws a box of the frame, Keep copies the pixels of that box into one
// growing buffer; Restore writes every kept box back, the last kept first, so boxes that
// overlap come back in the right order and the frame is exactly as it was before the first
// Keep. Rows in a band the caller names are never kept: the water pass rewrites those rows
// of the frame every frame anyway.
//
// Reading the kept pixels back from a buffer that is walked in order costs far less than
// reading the same pixels again from the other frames, which lie far apart in memory.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "anim/Canvas.h"
#include "imaging/ChangedRows.h"
#include "imaging/Bitmap32.h"

namespace kx {

class TSaveUnder {
 public:
  // Starts keeping boxes of `frame` (which must outlive the boxes kept), except rows
  // skipTop .. skipBottom (none when skipTop > skipBottom). Drops what was kept before.
  void Begin(Bitmap32& frame, int32_t skipTop, int32_t skipBottom);
  // Drops what was kept and keeps nothing until the next Begin.
  void Stop();
  // Copies the pixels of `box`, clipped to the frame and without the skipped rows.
  void Keep(const PixelRect& box);
  // Writes every kept box back, last first, and forgets them. A frame whose size has
  // changed since Begin gets nothing back.
  void Restore();
  // Forgets the kept boxes without writing them back.
  void Clear();
  bool Empty() const { return boxes_.empty(); }
  // Pixels kept so far.
  size_t KeptPixels() const { return used_; }
  // Marks the rows of every kept box.
  void MarkRows(ChangedRows& rows) const;

 private:
  void KeepRows(int32_t x0, int32_t x1, int32_t y0, int32_t y1);

  struct Box {
    int32_t Left, Top, Right, Bottom;  // already clipped
  };
  Bitmap32* frame_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t skipTop_ = 0;
  int32_t skipBottom_ = -1;
  std::vector<Box> boxes_;
  std::vector<uint32_t> pixels_;  // the first used_ hold the kept boxes, in order
  size_t used_ = 0;
};

}  // namespace kx
