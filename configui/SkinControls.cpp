#include "configui/SkinControls.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "project/IniText.h"

namespace kx {

// ---- TMyButton ----

TMyButton::TMyButton(QWidget* parent) : TSkinControl(parent) {}

void TMyButton::SetButtonUp(const SkinImage& picture) {
  upFace_ = picture;
  ApplyAutoSize();
  update();
}
void TMyButton::SetButtonDown(const SkinImage& picture) {
  downFace_ = picture;
  update();
}
void TMyButton::SetButtonOver(const SkinImage& picture) {
  overFace_ = picture;
  update();
}
void TMyButton::SetButtonDisable(const SkinImage& picture) {
  disableFace_ = picture;
  update();
}
void TMyButton::SetCaption(const QString& caption) {
  caption_ = caption;
  update();
}
void TMyButton::SetAutoSize(bool on) {
  autoSize_ = on;
  ApplyAutoSize();
  update();
}
void TMyButton::SetShowCaption(bool on) {
  showCaption_ = on;
  update();
}
void TMyButton::SetTransparent(bool on) {
  transparent_ = on;
  update();
}
void TMyButton::SetDown(bool on) {
  if (!allowDown_) return;
  down_ = on;
  update();
}
void TMyButton::SetAllowDown(bool on) {
  allowDown_ = on;
  if (!on && down_) {
    down_ = false;
    update();
  }
}

void TMyButton::ApplyAutoSize() {
  if (autoSize_ && !upFace_.Empty() && size() != upFace_.Size()) resize(upFace_.Size());
}

TMyButton::Face TMyButton::CurrentFace() const {
  if (!isEnabled()) return disableFace_.Empty() ? Face::StandardFace : Face::DisablePicture;
  if (down_ || (mouseInControl_ && pressed_)) {
    if (!downFace_.Empty()) return Face::DownPicture;
    return upFace_.Empty() ? Face::SunkenEdge : Face::UpPicture;
  }
  if (mouseInControl_) {
    if (!overFace_.Empty()) return Face::OverPicture;
    return upFace_.Empty() ? Face::StandardFace : Face::UpPicture;
  }
  return upFace_.Empty() ? Face::StandardFace : Face::UpPicture;
}

void TMyButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  switch (CurrentFace()) {
    case Face::UpPicture: painter.drawImage(0, 0, upFace_.Get(transparent_)); break;
    case Face::OverPicture: painter.drawImage(0, 0, overFace_.Get(transparent_)); break;
    case Face::DownPicture: painter.drawImage(0, 0, downFace_.Get(transparent_)); break;
    case Face::DisablePicture: painter.drawImage(0, 0, disableFace_.Get(transparent_)); break;
    case Face::StandardFace: DrawStandardButtonFace(painter, this, rect()); break;
    case Face::SunkenEdge: DrawSunkenEdge(painter, rect(), palette()); break;
  }
  if (!isEnabled() || !showCaption_) return;
  // The caption is centred as it shows, without its accelerator mark.
  const QFontMetrics metrics(font());
  const QString shown = CaptionDisplayText(caption_);
  const int textWidth = metrics.horizontalAdvance(shown), textHeight = metrics.height();
  const QRect box((width() - textWidth) / 2, (height() - textHeight) / 2, textWidth, textHeight);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextDontClip, caption_);
}

void TMyButton::MouseEnter() {
  if (mouseInControl_) return;
  if (pressed_ && repeatTimer_ != nullptr) repeatTimer_->start();
  mouseInControl_ = true;
  update();
}

void TMyButton::MouseLeave() {
  if (!mouseInControl_) return;
  if (repeatTimer_ != nullptr) repeatTimer_->stop();
  mouseInControl_ = false;
  update();
}

void TMyButton::RepeatTick() {
  repeatTimer_->setInterval(50);
  if (OnMousePressed) OnMousePressed(repeatTimer_);
}

void TMyButton::mousePressEvent(QMouseEvent* event) {
  if (!mouseInControl_) {
    mouseInControl_ = true;
    update();
  }
  if (event->button() == Qt::LeftButton && !pressed_) {
    if (repeatTimer_ == nullptr) {
      repeatTimer_ = new QTimer(this);
      QObject::connect(repeatTimer_, &QTimer::timeout, this, [this] { RepeatTick(); });
    }
    repeatTimer_->setInterval(500);
    repeatTimer_->start();
    if (OnMousePressed) OnMousePressed(this);
    pressed_ = true;
    update();
  }
  TSkinControl::mousePressEvent(event);
}

void TMyButton::mouseMoveEvent(QMouseEvent* event) {
  // While a button is held the mouse stays with this control; whether it is over the button
  // is decided here, not by enter and leave events.
  if (rect().contains(event->position().toPoint())) {
    MouseEnter();
  } else {
    MouseLeave();
  }
  TSkinControl::mouseMoveEvent(event);
}

void TMyButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && pressed_) {
    if (repeatTimer_ != nullptr) repeatTimer_->stop();
    if (allowDown_) down_ = !down_;
    pressed_ = false;
    update();
  }
  TSkinControl::mouseReleaseEvent(event);
}

void TMyButton::enterEvent(QEnterEvent* event) {
  TSkinControl::enterEvent(event);
  MouseEnter();
}

void TMyButton::leaveEvent(QEvent* event) {
  TSkinControl::leaveEvent(event);
  MouseLeave();
}

void TMyButton::changeEvent(QEvent* event) {
  TSkinControl::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange) update();
}

bool TMyButton::DialogChar(QChar key) {
  const QChar accelerator = CaptionAccelerator(caption_);
  if (accelerator.isNull() || accelerator.toUpper() != key.toUpper() || !isEnabled() || !isVisible()) return false;
  if (OnClick) OnClick();
  return true;
}

// ---- TShape ----

TShape::TShape(QWidget* parent) : TSkinControl(parent) {}

void TShape::SetShape(Kind kind) {
  kind_ = kind;
  update();
}
void TShape::SetBrushColor(TColor color) {
  brushColor_ = color;
  update();
}
void TShape::SetBrushStyle(Qt::BrushStyle style) {
  brushStyle_ = style;
  update();
}
void TShape::SetPenColor(TColor color) {
  penColor_ = color;
  update();
}
void TShape::SetPenWidth(int width) {
  penWidth_ = std::max(0, width);
  update();
}
void TShape::SetPenStyle(Qt::PenStyle style) {
  penStyle_ = style;
  update();
}

void TShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // The outline's centre line runs half a pen inside the bounds, so a wide pen stays inside.
  const int pw = penStyle_ == Qt::NoPen ? 0 : std::max(1, penWidth_);
  int x = pw / 2, y = x;
  int w = width() - pw, h = height() - pw;
  const int s = std::min(w, h);
  if (kind_ == Kind::Square || kind_ == Kind::RoundSquare || kind_ == Kind::Circle) {
    x += (w - s) / 2;
    y += (h - s) / 2;
    w = h = s;
  }
  if (w < 0 || h < 0) return;
  const QRectF box(x + (pw % 2 ? 0.5 : 0.0), y + (pw % 2 ? 0.5 : 0.0), w, h);
  if (pw == 0) {
    painter.setPen(Qt::NoPen);
  } else {
    QPen pen(ResolveColor(penColor_, palette()), pw, penStyle_);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
  }
  painter.setBrush(brushStyle_ == Qt::NoBrush ? QBrush(Qt::NoBrush) : QBrush(ResolveColor(brushColor_, palette()), brushStyle_));
  const QRectF area = pw == 0 ? QRectF(x, y, w + 1, h + 1) : box;
  switch (kind_) {
    case Kind::Rectangle:
    case Kind::Square:
      painter.drawRect(area);
      break;
    case Kind::RoundRect:
    case Kind::RoundSquare: {
      painter.setRenderHint(QPainter::Antialiasing);
      const double radius = std::min(w, h) / 8.0;  // GDI's corner ellipse is a quarter of the side
      painter.drawRoundedRect(area, radius, radius);
      break;
    }
    case Kind::Ellipse:
    case Kind::Circle:
      painter.setRenderHint(QPainter::Antialiasing);
      painter.drawEllipse(area);
      break;
  }
}

// ---- TMyBevel ----

TMyBevel::TMyBevel(QWidget* parent) : TSkinControl(parent) {}

void TMyBevel::SetShape(Kind kind) {
  kind_ = kind;
  update();
}
void TMyBevel::SetRaised(bool raised) {
  raised_ = raised;
  update();
}

void TMyBevel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor shadow = ResolveColor(clBtnShadow, palette()), light = ResolveColor(clBtnHighlight, palette());
  QColor c1 = raised_ ? light : shadow, c2 = raised_ ? shadow : light;
  const int w = width(), h = height();
  auto line = [&](const QColor& c, int x1, int y1, int x2, int y2) {
    painter.setPen(c);
    painter.drawLine(x1, y1, x2, y2);
  };
  // The top and left sides in the first colour, the bottom and right in the second.
  auto box = [&](int l, int t, int r, int b) {
    line(c1, l, b, l, t);
    line(c1, l, t, r, t);
    line(c2, r, t, r, b);
    line(c2, r, b, l, b);
  };
  switch (kind_) {
    case Kind::Box: box(0, 0, w - 1, h - 1); break;
    case Kind::Frame: {
      // An etched frame: the outer box in the first colour over the inner one in the second.
      const QColor first = c1, second = c2;
      c1 = c2 = second;
      box(1, 1, w - 1, h - 1);
      c1 = c2 = first;
      box(0, 0, w - 2, h - 2);
      break;
    }
    case Kind::TopLine:
      line(c1, 0, 0, w - 1, 0);
      line(c2, 0, 1, w - 1, 1);
      break;
    case Kind::BottomLine:
      line(c1, 0, h - 2, w - 1, h - 2);
      line(c2, 0, h - 1, w - 1, h - 1);
      break;
    case Kind::LeftLine:
      line(c1, 0, 0, 0, h - 1);
      line(c2, 1, 0, 1, h - 1);
      break;
    case Kind::RightLine:
      line(c1, w - 2, 0, w - 2, h - 1);
      line(c2, w - 1, 0, w - 1, h - 1);
      break;
    case Kind::Spacer: break;
  }
}

// ---- TMyMemo ----

TMyMemo::TMyMemo(QWidget* parent) : QPlainTextEdit(parent) {}

std::string TMyMemo::Text() const {
  const QString plain = toPlainText();
  if (plain.isEmpty()) return std::string();
  std::string out;
  for (const QString& line : plain.split(QLatin1Char('\n'))) out += line.toStdString() + "\r\n";
  return out;
}

void TMyMemo::SetText(const std::string& text) { SetLines(SplitLines(text)); }

void TMyMemo::SetLines(const std::vector<std::string>& lines) {
  QStringList list;
  for (const auto& line : lines) list << QString::fromStdString(line);
  setPlainText(list.join(QLatin1Char('\n')));
}

void TMyMemo::SetWordWrap(bool on) { setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap); }

}  // namespace kx
