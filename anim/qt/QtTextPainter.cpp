#include "anim/qt/QtTextPainter.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cstdlib>

namespace kx {

namespace {

QFont MakeFont(const std::string& face, int32_t pixelSize) {
  QFont font(QString::fromLatin1(face.data(), static_cast<qsizetype>(face.size())));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(pixelSize, 1));
  return font;
}

QString Latin1(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

int32_t TQtTextPainter::LineWidth(const std::string& face, int32_t pixelSize, const std::string& line) {
  if (QGuiApplication::instance() == nullptr || pixelSize <= 0) return 0;
  return QFontMetrics(MakeFont(face, pixelSize)).horizontalAdvance(Latin1(line));
}

void TQtTextPainter::DrawLines(Bitmap32& frame, const std::string& face, int32_t pixelSize,
                               const std::vector<TTextLine>& lines, uint32_t rgb, int32_t alpha) {
  alpha = std::clamp(alpha, 0, 255);
  if (QGuiApplication::instance() == nullptr || frame.Empty() || lines.empty() || alpha == 0 || pixelSize <= 0) return;
  QImage image(reinterpret_cast<uchar*>(frame.Data()), frame.Width(), frame.Height(),
               static_cast<qsizetype>(frame.StrideBytes()), QImage::Format_RGB32);
  QPainter painter(&image);
  const QFont font = MakeFont(face, pixelSize);
  painter.setFont(font);
  painter.setPen(QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                        static_cast<int>(rgb & 0xFF), alpha));
  const int ascent = QFontMetrics(font).ascent();
  for (const TTextLine& line : lines) painter.drawText(QPoint(line.Left, line.Top + ascent), Latin1(line.Text));
}

std::unique_ptr<QGuiApplication> StartOffscreenGui() {
  if (QCoreApplication::instance() != nullptr) return nullptr;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "kxsaver";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace kx
