#include "kxscene/PreviewView.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "kxscene/PreviewPlayer.h"

namespace kx::kxscene {

PreviewView::PreviewView(PreviewPlayer& player, QWidget* parent) : QWidget(parent), player_(player) {
  setMinimumSize(240, 135);
  timer_.setInterval(kPreviewFrameMs);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { update(); });
  timer_.start();
}

QRectF PreviewView::FrameRect(int w, int h) const {
  if (w <= 0 || h <= 0) return {};
  const double scale = std::min(width() / double(w), height() / double(h));
  return {(width() - w * scale) / 2, (height() - h * scale) / 2, w * scale, h * scale};
}

void PreviewView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  const Bitmap32& frame = player_.Frame();
  frameW_ = frame.Width();
  frameH_ = frame.Height();
  if (frame.Empty()) return;
  // The frame's 0xAARRGGBB pixels are Qt's RGB32 layout: shown without a copy.
  const QImage image(reinterpret_cast<const uchar*>(frame.Data()), frame.Width(), frame.Height(),
                     static_cast<qsizetype>(frame.StrideBytes()), QImage::Format_RGB32);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.drawImage(FrameRect(frame.Width(), frame.Height()), image);
  ++frames_;
}

void PreviewView::Place(QPointF pos) {
  const QRectF r = FrameRect(frameW_, frameH_);
  if (r.isEmpty() || !onPlace) return;
  const int x = static_cast<int>((pos.x() - r.left()) * frameW_ / r.width());
  const int y = static_cast<int>((pos.y() - r.top()) * frameH_ / r.height());
  onPlace(std::clamp(x, 0, frameW_ - 1), std::clamp(y, 0, frameH_ - 1));
}

void PreviewView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) setCursor(Qt::ClosedHandCursor);
}

// The drop places the object: one step of the history per drag, not one per mouse move.
void PreviewView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  unsetCursor();
  Place(e->position());
}

}  // namespace kx::kxscene
