#pragma once
// TTextObject: lines of text anchored to one of nine places of the frame.
//
// Keys: "Text" (the lines joined with CR LF, in the object text encoding), "TextColor"
// (Windows colour value, default white), "FontSize" (points at a frame height of 768,
// default 20), "Position" (anchor 0 to 8, below), "Font" (face name, default "Arial").
//
// Layout in a frame of W x H pixels: the font is round(FontSize x H / 768) points (its em
// height in pixels is that at 96 dots per inch); lines follow one another by that point size
// taken as pixels plus round(2 x H / 768). The block of n lines starts at 15 for the top
// anchors, at (H - n x step) div 2 for the middle ones and at H - n x step - 15 for the bottom
// ones; a line's left edge is 15, (W - its width) div 2 or W - its width - 15.
//
//   Position  0 centre/top  1 centre/bottom  2 centre/middle  3 left/middle  4 right/middle
//             5 left/top    6 right/top      7 left/bottom    8 right/bottom
//   (other values: centre/top)
//
// A text object does not move: its motion runs but only its timing and fades show. Prepare
// forces "Opacity" to 10 and the text alpha to 255; the fades change the alpha.
#include <string>
#include <vector>

#include "anim/AnimObjects.h"
#include "anim/TextPainter.h"

namespace kx {

class TTextObject : public TAnimObject {
 public:
  explicit TTextObject(const TObjectServices& services = {});
  ~TTextObject() override;

  void Prepare() override;
  std::string SaveToText() override;
  void Draw(Bitmap32& frame) override;
  // Reads its own keys, then the shared ones.
  virtual void LoadFromText(const IniSections& keys);

  // The lines placed in a frame of `width` x `height`, measured with `painter`.
  std::vector<TTextLine> Layout(int32_t width, int32_t height, TTextPainter& painter) const;

  std::vector<std::string> Lines;
  std::string FontName = "Arial";
  int32_t Position = 0;
  int32_t FontSize = 20;         // points at a frame height of 768
  int32_t TextColor = 0xFFFFFF;  // Windows colour value
};

// round(fontSize x frameHeight / 768): the font's size in points.
int32_t TextPointSize(int32_t fontSize, int32_t frameHeight);
// The line step in pixels: the point size plus round(2 x frameHeight / 768).
int32_t TextLineStep(int32_t pointSize, int32_t frameHeight);
// The em height in pixels of a font of `points` at 96 dots per inch.
int32_t TextPixelSize(int32_t points);
// A text split into lines at CR LF, CR or LF; a final line break ends the last line.
std::vector<std::string> SplitTextLines(const std::string& text);

}  // namespace kx
