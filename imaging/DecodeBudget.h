#pragma once
// The decode budget: what decoding one picture may allocate, whatever its file says.
//
// A picture file can declare sizes far beyond what its bytes hold (a 43-byte GIF may claim an
// 8192 x 8192 screen, a 66-byte one two such frames). Every decoder charges what it is about
// to allocate for pixels (bitmaps at 4 bytes a pixel, index and sample buffers at their size)
// to one DecodeBudget before it allocates, and refuses the picture with a clear error once
// the budget is spent. So a hostile file of any size costs at most kDecodeBudgetBytes of
// pixel memory (plus the decoder's own small state) and the time to fill it once.
#include <cstdint>
#include <string>

namespace kx {

// 320 MiB: one picture of the largest accepted size (64 megapixels, 256 MiB) and its
// working buffers fit; two such frames of an animation do not.
inline constexpr int64_t kDecodeBudgetBytes = 320ll << 20;

class DecodeBudget {
 public:
  explicit DecodeBudget(int64_t bytes = kDecodeBudgetBytes) : left_(bytes) {}

  // Charges `bytes` for `what`. False, with an error naming what did not fit, when the budget
  // cannot pay; nothing is charged then.
  bool Take(int64_t bytes, const std::string& what, std::string& error) {
    if (bytes < 0 || bytes > left_) {
      error = "Picture needs too much memory: " + what + " exceeds the decode budget of " +
              std::to_string(kDecodeBudgetBytes >> 20) + " MB";
      return false;
    }
    left_ -= bytes;
    return true;
  }
  int64_t Left() const { return left_; }

 private:
  int64_t left_;
};

}  // namespace kx
