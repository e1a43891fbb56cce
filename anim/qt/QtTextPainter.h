#pragma once
// TQtTextPainter: draws the lines of text objects with QtGui's fonts.
//
// The frame is wrapped by a QImage without a copy (the frame's 0xAARRGGBB pixels are the
// memory layout Qt calls RGB32 when every pixel is opaque, as scene frames are) and drawn on
// with a QPainter: the face named by the object (fontconfig finds a stand-in, "Arial" gives
// Liberation Sans; a face it cannot place falls back to a sans-serif one), at the em height
// asked for, with the toolkit's normal glyph smoothing, in the colour and alpha asked for.
//
// Fonts need a QGuiApplication: without one the painter measures 0 and draws nothing
// (StartOffscreenGui makes one for programs that have none). Use it on the thread that owns
// the application.
#include <memory>

#include "anim/TextPainter.h"

class QGuiApplication;

namespace kx {

class TQtTextPainter final : public TTextPainter {
 public:
  int32_t LineWidth(const std::string& face, int32_t pixelSize, const std::string& line) override;
  void DrawLines(Bitmap32& frame, const std::string& face, int32_t pixelSize, const std::vector<TTextLine>& lines,
                 uint32_t rgb, int32_t alpha) override;
};

// A QGuiApplication for fonts, on the offscreen platform unless QT_QPA_PLATFORM names
// another; null when the program already has an application.
std::unique_ptr<QGuiApplication> StartOffscreenGui();

}  // namespace kx
