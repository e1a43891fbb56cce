#pragma once
// The drawing interface through which text objects put their lines into a frame. The engine
// itself has no fonts: the show gives its objects a painter (anim/qt/QtTextPainter.h draws
// with the toolkit's fonts, found through fontconfig), tests give them a recording one.
//
// Text is 8-bit, one byte per character, drawn as the characters of those codes (Latin-1).
// Sizes are pixels: the em height of the font. A line is placed by the top-left corner of its
// character cell: the baseline lies one ascent below `top`.
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"

namespace kx {

struct TTextLine {
  std::string Text;
  int32_t Left = 0;
  int32_t Top = 0;
};

class TTextPainter {
 public:
  virtual ~TTextPainter() = default;
  // The advance width in pixels of `line` in font `face` at `pixelSize`.
  virtual int32_t LineWidth(const std::string& face, int32_t pixelSize, const std::string& line) = 0;
  // Draws every line in colour `rgb` (0x00RRGGBB), blended into `frame` with `alpha`
  // (0 .. 255), clipped to the frame.
  virtual void DrawLines(Bitmap32& frame, const std::string& face, int32_t pixelSize,
                         const std::vector<TTextLine>& lines, uint32_t rgb, int32_t alpha) = 0;
};

}  // namespace kx
