// Draws the pictures of the demo skin KXGUI.kxu into a folder: the main window's background,
// the faces of its picture buttons (up, over, down and disabled), the arrow buttons, a logo
// and a glyph. Everything is drawn here from shapes and gradients.
//
//   kxdemo_skin_pictures OUTDIR
//
// Picture buttons come in two kinds on purpose: the wide "pill" faces are PNG pictures with
// an alpha channel, the arrow faces are bitmaps whose bottom-left colour (magenta) is
// see-through, as the skin format's transparent bitmaps are.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imaging/PictureCodec.h"

namespace {

const QColor kNavy(0x0D, 0x1B, 0x2A);
const QColor kDeep(0x1B, 0x3A, 0x5A);
const QColor kAqua(0x5C, 0xE1, 0xE6);
const QColor kKey(255, 0, 255);  // the see-through colour of the bitmaps

kx::Bitmap32 ToBitmap(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  kx::Bitmap32 b(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) b.SetPixel(x, y, row[x]);
  }
  return b;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string error;
  if (!kx::WriteWholeFile(path, bytes, error)) {
    std::fprintf(stderr, "kxdemo_skin_pictures: %s\n", error.c_str());
    return false;
  }
  return true;
}

bool SaveJpeg(const QImage& image, const std::string& path) {
  std::vector<uint8_t> out;
  std::string error;
  return kx::EncodeJpeg(ToBitmap(image), 92, out, error) && Write(path, out);
}

bool SavePng(const QImage& image, const std::string& path) {
  std::vector<uint8_t> out;
  std::string error;
  return kx::EncodePng(ToBitmap(image), out, error) && Write(path, out);
}

bool SaveBmp(const QImage& image, const std::string& path) {
  std::vector<uint8_t> out;
  return kx::EncodeBmp24(ToBitmap(image), out) && Write(path, out);
}

// The main window: a night-blue gradient with a header, a bezel for the preview, a lighter
// column behind the buttons and waves along the bottom.
QImage MainBackground() {
  const int w = 600, h = 420;
  QImage image(w, h, QImage::Format_ARGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, h);
  sky.setColorAt(0, kNavy);
  sky.setColorAt(1, kDeep);
  p.fillRect(image.rect(), sky);
  // Soft glow at the top right.
  QRadialGradient glow(QPointF(520, 20), 260);
  glow.setColorAt(0, QColor(92, 225, 230, 70));
  glow.setColorAt(1, QColor(92, 225, 230, 0));
  p.fillRect(image.rect(), glow);
  // Waves along the bottom.
  for (int band = 0; band < 4; ++band) {
    QPainterPath wave;
    const double base = 392 + band * 7;
    wave.moveTo(0, h);
    for (int x = 0; x <= w; x += 4) wave.lineTo(x, base + 5 * std::sin(x * 0.025 + band * 1.3));
    wave.lineTo(w, h);
    wave.closeSubpath();
    p.fillPath(wave, QColor(92, 225, 230, 22 + band * 10));
  }
  // Header rule.
  p.setPen(QPen(QColor(92, 225, 230, 120), 1));
  p.drawLine(24, 68, 576, 68);
  // The bezel around the preview (the preview sits at 36, 88, 320 x 240).
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 90));
  p.drawRoundedRect(QRectF(30, 84, 340, 256), 10, 10);
  QLinearGradient bezel(0, 80, 0, 338);
  bezel.setColorAt(0, QColor(0x3A, 0x55, 0x72));
  bezel.setColorAt(1, QColor(0x16, 0x26, 0x38));
  p.setBrush(bezel);
  p.drawRoundedRect(QRectF(28, 80, 336, 256), 10, 10);
  p.setBrush(QColor(0x05, 0x0B, 0x12));
  p.drawRect(QRectF(35, 87, 322, 242));
  // The column behind the buttons.
  p.setBrush(QColor(255, 255, 255, 18));
  p.setPen(QPen(QColor(92, 225, 230, 60), 1));
  p.drawRoundedRect(QRectF(380.5, 78.5, 208, 312), 12, 12);
  return image;
}

// A wide rounded button face in one of its states.
enum class State { Up, Over, Down, Disabled };

QImage Pill(int w, int h, State state) {
  QImage image(w, h, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QColor top(0x2B, 0x8C, 0xA8), bottom(0x16, 0x5A, 0x78), rim = kAqua;
  if (state == State::Over) {
    top = QColor(0x3F, 0xB2, 0xCC);
    bottom = QColor(0x1F, 0x78, 0x98);
    rim = QColor(0xB8, 0xF6, 0xF8);
  } else if (state == State::Down) {
    top = QColor(0x0F, 0x45, 0x5E);
    bottom = QColor(0x1C, 0x66, 0x84);
    rim = QColor(0x3A, 0xA8, 0xB8);
  } else if (state == State::Disabled) {
    top = QColor(0x5A, 0x66, 0x72);
    bottom = QColor(0x44, 0x4E, 0x58);
    rim = QColor(0x80, 0x8A, 0x94);
  }
  const QRectF box(1, 1, w - 2, h - 2);
  const double r = (h - 2) / 2.0;
  QLinearGradient fill(0, 0, 0, h);
  fill.setColorAt(0, top);
  fill.setColorAt(1, bottom);
  p.setPen(QPen(rim, 1.5));
  p.setBrush(fill);
  p.drawRoundedRect(box, r, r);
  if (state != State::Down) {
    // A highlight over the upper half.
    QLinearGradient shine(0, 2, 0, h / 2.0);
    shine.setColorAt(0, QColor(255, 255, 255, state == State::Disabled ? 30 : 70));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawRoundedRect(QRectF(4, 3, w - 8, h / 2.0 - 2), r - 3, r - 3);
  }
  return image;
}

// A square arrow button on the see-through colour. Its edge is drawn without smoothing so
// that no pixel mixes with the key colour.
QImage Arrow(bool right, State state) {
  const int w = 40, h = 32;
  QImage image(w, h, QImage::Format_ARGB32);
  image.fill(kKey);
  QPainter p(&image);
  QColor face = state == State::Over ? QColor(0x3F, 0xB2, 0xCC) : state == State::Down ? QColor(0x0F, 0x45, 0x5E)
                                                                                       : QColor(0x22, 0x7A, 0x98);
  p.setPen(QPen(state == State::Over ? QColor(0xB8, 0xF6, 0xF8) : kAqua, 1));
  p.setBrush(face);
  p.drawRoundedRect(QRect(0, 0, w - 1, h - 1), 5, 5);
  p.setRenderHint(QPainter::Antialiasing);
  const double cx = w / 2.0 + (state == State::Down ? 1 : 0), cy = h / 2.0 + (state == State::Down ? 1 : 0);
  QPainterPath arrow;
  if (right) {
    arrow.moveTo(cx - 5, cy - 8);
    arrow.lineTo(cx + 7, cy);
    arrow.lineTo(cx - 5, cy + 8);
  } else {
    arrow.moveTo(cx + 5, cy - 8);
    arrow.lineTo(cx - 7, cy);
    arrow.lineTo(cx + 5, cy + 8);
  }
  arrow.closeSubpath();
  p.fillPath(arrow, Qt::white);
  return image;
}

// A sun over two waves, on a transparent background.
QImage Logo() {
  QImage image(64, 64, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient disc(0, 0, 0, 64);
  disc.setColorAt(0, kDeep.lighter(130));
  disc.setColorAt(1, kNavy);
  p.setPen(QPen(kAqua, 2));
  p.setBrush(disc);
  p.drawEllipse(QRectF(2, 2, 60, 60));
  QRadialGradient sun(QPointF(32, 30), 14);
  sun.setColorAt(0, QColor(255, 236, 150));
  sun.setColorAt(1, QColor(255, 170, 60));
  p.setPen(Qt::NoPen);
  p.setBrush(sun);
  p.drawEllipse(QRectF(19, 17, 26, 26));
  for (int i = 0; i < 2; ++i) {
    QPainterPath wave;
    const double y = 40 + i * 8;
    wave.moveTo(8, y);
    for (int x = 8; x <= 56; x += 2) wave.lineTo(x, y + 3 * std::sin(x * 0.3 + i));
    p.setPen(QPen(i == 0 ? kAqua : QColor(0x2B, 0x8C, 0xA8), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
  }
  return image;
}

// A check mark glyph on the see-through colour.
QImage CheckGlyph() {
  QImage image(16, 16, QImage::Format_ARGB32);
  image.fill(kKey);
  QPainter p(&image);
  p.setPen(QPen(QColor(0x1E, 0x8C, 0x3C), 2.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawPolyline(QPolygon({QPoint(3, 8), QPoint(6, 11), QPoint(12, 4)}));
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kxdemo_skin_pictures OUTDIR\n");
    return 2;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  const std::string out = std::string(argv[1]) + "/";
  bool ok = SaveJpeg(MainBackground(), out + "main-back.jpg");
  const struct {
    State state;
    const char* name;
  } states[] = {{State::Up, "up"}, {State::Over, "over"}, {State::Down, "down"}, {State::Disabled, "disabled"}};
  for (const auto& s : states) {
    ok = ok && SavePng(Pill(184, 36, s.state), out + "pill-" + s.name + ".png");
    ok = ok && SavePng(Pill(120, 32, s.state), out + "pill-small-" + s.name + ".png");
    if (s.state == State::Disabled) continue;
    ok = ok && SaveBmp(Arrow(false, s.state), out + "arrow-left-" + s.name + ".bmp");
    ok = ok && SaveBmp(Arrow(true, s.state), out + "arrow-right-" + s.name + ".bmp");
  }
  ok = ok && SavePng(Logo(), out + "logo.png") && SaveBmp(CheckGlyph(), out + "ok.bmp");
  return ok ? 0 : 1;
}
