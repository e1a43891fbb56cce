// kxrender sheet N OLD NEW OUT.png [--size WxH]: a contact sheet of transition effect N, the
// steps at 0, 10, ..., 100 percent side by side as thumbnails, with the effect's number and
// name on top and each step's percentage under it.
//
// The steps are drawn at the pictures' size and then shrunk to thumbnails at most 320 x 240.
// Text is drawn with QPainter on a QImage that wraps the sheet (the same 0xAARRGGBB layout);
// Qt runs on its offscreen platform unless another is chosen, so no display is needed.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "transitions/Raster.h"
#include "tools/kxrender/Commands.h"
#include "tools/kxrender/TransitionInputs.h"
#include "transitions/TransitionStep.h"

namespace kx::kxrender {

namespace {

constexpr int kColumns = 4;
constexpr int kMaxThumbWidth = 320, kMaxThumbHeight = 240;
constexpr int kMargin = 8, kTitleHeight = 30, kLabelHeight = 20;
constexpr uint32_t kBackground = Rgb(0x20, 0x20, 0x24);

// A QGuiApplication for the fonts, on the offscreen platform unless one was asked for; none
// when the program already has one.
std::unique_ptr<QGuiApplication> StartQt() {
  if (QCoreApplication::instance()) return nullptr;
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "kxrender";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

int RunSheet(const Args& arguments) {
  Args args = arguments;
  std::string error;
  int width = 0, height = 0, effect = 0;
  if (!TakeSizeOption(args, width, height, error)) {
    std::fprintf(stderr, "kxrender sheet: %s\n", error.c_str());
    return 2;
  }
  if (args.size() != 4) {
    std::fprintf(stderr, "kxrender sheet: expected N OLD NEW OUT.png [--size WxH]\n");
    return 2;
  }
  if (!ParseEffectIndex(args[0], effect, error)) {
    std::fprintf(stderr, "kxrender sheet: %s\n", error.c_str());
    return 2;
  }
  Bitmap32 oldPicture, newPicture;
  if (!LoadTransitionPictures(args[1], args[2], width, height, oldPicture, newPicture, error)) {
    std::fprintf(stderr, "kxrender sheet: %s\n", error.c_str());
    return 1;
  }

  // Thumbnail size: the picture shrunk to fit the cell, never enlarged.
  const double scale = std::min({1.0, double(kMaxThumbWidth) / oldPicture.Width(),
                                 double(kMaxThumbHeight) / oldPicture.Height()});
  const int tw = std::max(1, int(oldPicture.Width() * scale)), th = std::max(1, int(oldPicture.Height() * scale));
  constexpr int kSteps = 11;
  const int rows = (kSteps + kColumns - 1) / kColumns;
  const int cellW = tw + kMargin, cellH = th + kLabelHeight + kMargin;
  Bitmap32 sheet(kMargin + kColumns * cellW, kTitleHeight + rows * cellH + kMargin, kBackground);

  Bitmap32 step;
  for (int i = 0; i < kSteps; ++i) {
    if (!TransitionStep(effect, oldPicture, newPicture, i * 10, step)) {
      std::fprintf(stderr, "kxrender sheet: cannot draw the step at %d percent\n", i * 10);
      return 1;
    }
    Bitmap32 thumb = Resample(step, tw, th, ResampleFilter::Bilinear);
    for (int y = 0; y < th; ++y)  // shown opaque, whatever the pictures' fourth byte holds
      for (int x = 0; x < tw; ++x) thumb.SetPixel(x, y, thumb.Pixel(x, y) | 0xFF000000u);
    BitBlt(sheet, kMargin + (i % kColumns) * cellW, kTitleHeight + (i / kColumns) * cellH, tw, th, thumb, 0, 0);
  }

  const auto qt = StartQt();
  QImage image(reinterpret_cast<uchar*>(sheet.Data()), sheet.Width(), sheet.Height(),
               static_cast<qsizetype>(sheet.StrideBytes()), QImage::Format_ARGB32);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QColor(0xF0, 0xF0, 0xF0));
    QFont title("Liberation Sans");
    title.setPixelSize(18);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(kMargin, 0, sheet.Width() - 2 * kMargin, kTitleHeight), Qt::AlignVCenter | Qt::AlignLeft,
                     QString::number(effect) + "  " + QString::fromUtf8(Effects[effect].Name));
    QFont label("Liberation Sans");
    label.setPixelSize(13);
    painter.setFont(label);
    for (int i = 0; i < kSteps; ++i) {
      const int x = kMargin + (i % kColumns) * cellW, y = kTitleHeight + (i / kColumns) * cellH + th;
      painter.drawText(QRect(x, y, tw, kLabelHeight), Qt::AlignCenter, QString::number(i * 10) + " %");
    }
  }
  if (!WritePng(sheet, args[3], error)) {
    std::fprintf(stderr, "kxrender sheet: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace kx::kxrender
