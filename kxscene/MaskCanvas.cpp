#include "kxscene/MaskCanvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "kxscene/SceneDocument.h"
#include "scene/WaterMask.h"

namespace kx::kxscene {

namespace {

// The overlay colour of each region 1 .. 6 (0xAARRGGBB): the mask's own region colours,
// translucent so that the picture shows through.
constexpr uint32_t kOverlayAlpha = 0x78000000u;

uint32_t OverlayPixel(uint32_t maskValue) {
  const int region = RegionOfMaskPixel(maskValue);
  if (region == 0) return 0;
  return kOverlayAlpha | (MaskPixelOfRegion(region) & 0x00FFFFFFu);
}

}  // namespace

MaskCanvas::MaskCanvas(SceneDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
  setMinimumSize(320, 200);
  setMouseTracking(false);
  setCursor(Qt::CrossCursor);
}

void MaskCanvas::SetTool(MaskTool tool) {
  tool_ = tool;
  polygon_.clear();
  update();
}

void MaskCanvas::Reload() {
  const Bitmap32& p = document_.Picture();
  picture_ = p.Empty() ? QImage()
                       : QImage(reinterpret_cast<const uchar*>(p.Data()), p.Width(), p.Height(),
                                static_cast<qsizetype>(p.StrideBytes()), QImage::Format_RGB32)
                             .copy();
  overlay_ = p.Empty() ? QImage() : QImage(p.Width(), p.Height(), QImage::Format_ARGB32);
  polygon_.clear();
  MaskChanged({0, 0, p.Width(), p.Height()});
}

void MaskCanvas::MaskChanged(const MaskBox& box) {
  const Bitmap32& mask = document_.Mask();
  if (overlay_.isNull() || mask.Width() != overlay_.width() || mask.Height() != overlay_.height()) return update();
  for (int y = std::max(0, box.Top); y < std::min(box.Bottom, mask.Height()); ++y) {
    auto* row = reinterpret_cast<uint32_t*>(overlay_.scanLine(y));
    const uint32_t* m = mask.Row(y);
    for (int x = std::max(0, box.Left); x < std::min(box.Right, mask.Width()); ++x) row[x] = OverlayPixel(m[x]);
  }
  update();
}

QRectF MaskCanvas::PictureRect() const {
  if (picture_.isNull()) return {};
  const double scale = std::min(width() / double(picture_.width()), height() / double(picture_.height()));
  const double w = picture_.width() * scale, h = picture_.height() * scale;
  return {(width() - w) / 2, (height() - h) / 2, w, h};
}

MaskPoint MaskCanvas::ToPicture(QPointF pos) const {
  const QRectF r = PictureRect();
  if (r.isEmpty()) return {};
  return {(pos.x() - r.left()) * picture_.width() / r.width(), (pos.y() - r.top()) * picture_.height() / r.height()};
}

QPointF MaskCanvas::ToWidget(MaskPoint p) const {
  const QRectF r = PictureRect();
  if (picture_.isNull()) return {};
  return {r.left() + p.x * r.width() / picture_.width(), r.top() + p.y * r.height() / picture_.height()};
}

void MaskCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(48, 48, 48));
  if (picture_.isNull()) {
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, tr("Open a photo to start a scene"));
    return;
  }
  const QRectF r = PictureRect();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.drawImage(r, picture_);
  painter.drawImage(r, overlay_);
  if (!polygon_.empty()) {
    painter.setPen(QPen(Qt::yellow, 1.5));
    for (size_t i = 1; i < polygon_.size(); ++i) painter.drawLine(ToWidget(polygon_[i - 1]), ToWidget(polygon_[i]));
    for (const MaskPoint& p : polygon_) painter.drawEllipse(ToWidget(p), 3, 3);
  }
}

void MaskCanvas::Apply(const std::function<MaskBox(Bitmap32&)>& edit, bool endStep) {
  const MaskBox box = document_.EditMask(edit);
  if (endStep) document_.EndStroke();
  MaskChanged(box);
  if (onEdited) onEdited(box);
}

void MaskCanvas::mousePressEvent(QMouseEvent* e) {
  if (picture_.isNull()) return;
  const MaskPoint p = ToPicture(e->position());
  const int region = tool_ == MaskTool::Eraser ? 0 : region_;
  switch (tool_) {
    case MaskTool::Brush:
    case MaskTool::Eraser:
      if (e->button() != Qt::LeftButton) return;
      dragging_ = true;
      last_ = p;
      Apply([&](Bitmap32& m) { return PaintDisc(m, p, radius_, region); }, false);
      break;
    case MaskTool::Polygon:
      if (e->button() == Qt::RightButton) return ClosePolygon();
      polygon_.push_back(p);
      update();
      break;
    case MaskTool::BelowLine:
      dragging_ = true;
      last_ = p;
      break;
    case MaskTool::FillSimilar: {
      const int x = static_cast<int>(std::floor(p.x)), y = static_cast<int>(std::floor(p.y));
      Apply([&](Bitmap32& m) { return FillSimilar(m, document_.Picture(), x, y, tolerance_, region_); }, true);
      break;
    }
  }
}

void MaskCanvas::mouseMoveEvent(QMouseEvent* e) {
  if (!dragging_ || (tool_ != MaskTool::Brush && tool_ != MaskTool::Eraser)) return;
  const MaskPoint p = ToPicture(e->position());
  const MaskPoint from = last_;
  const int region = tool_ == MaskTool::Eraser ? 0 : region_;
  last_ = p;
  Apply([&](Bitmap32& m) { return PaintStroke(m, from, p, radius_, region); }, false);
}

void MaskCanvas::mouseReleaseEvent(QMouseEvent* e) {
  if (!dragging_) return;
  dragging_ = false;
  if (tool_ == MaskTool::BelowLine) {
    const MaskPoint a = last_, b = ToPicture(e->position());
    Apply([&](Bitmap32& m) { return FillBelowLine(m, a, b, region_); }, true);
    return;
  }
  document_.EndStroke();
  if (onEdited) onEdited({});
}

void MaskCanvas::mouseDoubleClickEvent(QMouseEvent*) {
  if (tool_ == MaskTool::Polygon) ClosePolygon();
}

void MaskCanvas::ClosePolygon() {
  const std::vector<MaskPoint> corners = std::move(polygon_);
  polygon_.clear();
  Apply([&](Bitmap32& m) { return FillPolygon(m, corners, region_); }, true);
}

}  // namespace kx::kxscene
