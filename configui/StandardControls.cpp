#include "configui/StandardControls.h"

#include <QApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace kx {
namespace {

constexpr const char* kAlignProperty = "kxAlign";

QColor FromRgb(uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The palette role that stands for a system colour, where the toolkit has one.
bool PaletteRoleOf(int index, QPalette::ColorGroup& group, QPalette::ColorRole& role) {
  group = QPalette::Active;
  switch (index) {
    case 4: case 15: case 22: case 30: role = index == 22 ? QPalette::Midlight : QPalette::Button; return true;
    case 5: role = QPalette::Base; return true;
    case 7: case 8: role = QPalette::WindowText; return true;
    case 13: case 29: role = QPalette::Highlight; return true;
    case 14: role = QPalette::HighlightedText; return true;
    case 16: role = QPalette::Dark; return true;
    case 17: group = QPalette::Disabled; role = QPalette::WindowText; return true;
    case 18: role = QPalette::ButtonText; return true;
    case 20: role = QPalette::Light; return true;
    case 21: role = QPalette::Shadow; return true;
    case 23: role = QPalette::ToolTipText; return true;
    case 24: role = QPalette::ToolTipBase; return true;
    case 26: role = QPalette::Link; return true;
    default: return false;
  }
}

}  // namespace

QColor ResolveColor(TColor color, const QPalette& palette) {
  if (color == clNone || color == clDefault) return QColor(Qt::transparent);
  if (IsSystemColor(color)) {
    const int index = SystemColorIndex(color);
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    if (PaletteRoleOf(index, group, role)) return palette.color(group, role);
    return FromRgb(ClassicSystemColor(index));
  }
  return QColor(RedOfColor(color), GreenOfColor(color), BlueOfColor(color));
}

QColor ResolveColor(TColor color) { return ResolveColor(color, QApplication::palette()); }

// ---- SkinImage ----

namespace {

QImage ToQImage(const Bitmap32& bitmap) {
  if (bitmap.Empty()) return QImage();
  QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_ARGB32);
  for (int y = 0; y < bitmap.Height(); ++y)
    std::copy(bitmap.Row(y), bitmap.Row(y) + bitmap.Width(), reinterpret_cast<uint32_t*>(image.scanLine(y)));
  return image;
}

}  // namespace

SkinImage::SkinImage(const SkinPicture& picture)
    : image_(ToQImage(picture.image)), isBitmap_(picture.format == PictureFormat::Bmp) {}

SkinImage::SkinImage(const QImage& image, bool isBitmap)
    : image_(image.convertToFormat(QImage::Format_ARGB32)), isBitmap_(isBitmap) {}

const QImage& SkinImage::Get(bool transparent) const {
  if (!transparent || !isBitmap_ || image_.isNull()) return image_;
  if (keyed_.isNull()) {
    keyed_ = image_;
    const QRgb key = image_.pixel(0, image_.height() - 1) | 0xFF000000u;
    for (int y = 0; y < keyed_.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(keyed_.scanLine(y));
      for (int x = 0; x < keyed_.width(); ++x)
        if ((row[x] | 0xFF000000u) == key) row[x] = 0;
    }
  }
  return keyed_;
}

// ---- alignment ----

void SetSkinAlign(QWidget* control, SkinAlign align) { control->setProperty(kAlignProperty, static_cast<int>(align)); }

SkinAlign SkinAlignOf(const QWidget* control) {
  const QVariant v = control->property(kAlignProperty);
  return v.isValid() ? static_cast<SkinAlign>(v.toInt()) : SkinAlign::None;
}

void AlignChildControls(QWidget* container, QRect r) {
  const SkinAlign order[] = {SkinAlign::Top, SkinAlign::Bottom, SkinAlign::Left, SkinAlign::Right, SkinAlign::Client};
  for (SkinAlign kind : order) {
    for (QObject* object : container->children()) {
      auto* w = qobject_cast<QWidget*>(object);
      if (w == nullptr || w->isWindow() || w->isHidden() || SkinAlignOf(w) != kind) continue;
      switch (kind) {
        case SkinAlign::Top:
          w->setGeometry(r.left(), r.top(), r.width(), w->height());
          r.setTop(r.top() + w->height());
          break;
        case SkinAlign::Bottom:
          w->setGeometry(r.left(), r.bottom() + 1 - w->height(), r.width(), w->height());
          r.setBottom(r.bottom() - w->height());
          break;
        case SkinAlign::Left:
          w->setGeometry(r.left(), r.top(), w->width(), r.height());
          r.setLeft(r.left() + w->width());
          break;
        case SkinAlign::Right:
          w->setGeometry(r.right() + 1 - w->width(), r.top(), w->width(), r.height());
          r.setRight(r.right() - w->width());
          break;
        default:
          w->setGeometry(r);
          break;
      }
    }
  }
}

// ---- captions ----

QString CaptionDisplayText(const QString& caption) {
  QString out;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    else if (caption[i] == '&') continue;
    out += caption[i];
  }
  return out;
}

QChar CaptionAccelerator(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return caption[i + 1];
    ++i;
  }
  return QChar();
}

// ---- TSkinControl ----

TSkinControl::TSkinControl(QWidget* parent) : QWidget(parent) {}

void TSkinControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) leftDownHere_ = true;
  if (OnMouseDown) OnMouseDown(event->button(), event->position().toPoint());
}

void TSkinControl::mouseMoveEvent(QMouseEvent* event) {
  if (OnMouseMove) OnMouseMove(event->position().toPoint());
}

void TSkinControl::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = event->button() == Qt::LeftButton && leftDownHere_;
  if (event->button() == Qt::LeftButton) leftDownHere_ = false;
  if (OnMouseUp) OnMouseUp(event->button(), event->position().toPoint());
  if (click && rect().contains(event->position().toPoint()) && OnClick) OnClick();
}

void TSkinControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  AlignChildControls(this, AlignRect());
}

// ---- TLabel ----

TLabel::TLabel(QWidget* parent) : TSkinControl(parent) {}

void TLabel::SetCaption(const QString& caption) {
  caption_ = caption;
  AdjustBounds();
  update();
}
void TLabel::SetAlignment(Qt::Alignment horizontal) {
  alignment_ = horizontal;
  AdjustBounds();
  update();
}
void TLabel::SetLayout(TextLayout layout) {
  layout_ = layout;
  update();
}
void TLabel::SetAutoSize(bool on) {
  autoSize_ = on;
  AdjustBounds();
}
void TLabel::SetTransparent(bool on) {
  transparent_ = on;
  update();
}
void TLabel::SetWordWrap(bool on) {
  wordWrap_ = on;
  AdjustBounds();
  update();
}

int TLabel::TextFlags() const {
  int flags = static_cast<int>(alignment_) | Qt::TextShowMnemonic;
  flags |= layout_ == TextLayout::Top ? Qt::AlignTop : layout_ == TextLayout::Center ? Qt::AlignVCenter : Qt::AlignBottom;
  if (wordWrap_) flags |= Qt::TextWordWrap;
  return flags;
}

void TLabel::AdjustBounds() {
  if (loading_ || !autoSize_) return;
  const QFontMetrics metrics(font());
  QString text = caption_.isEmpty() ? QStringLiteral(" ") : caption_;
  QRect bounds;
  if (wordWrap_) {
    bounds = metrics.boundingRect(QRect(0, 0, std::max(1, width()), 100000),
                                  Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic, text);
    bounds.setWidth(width());
  } else {
    bounds = QRect(0, 0, metrics.horizontalAdvance(CaptionDisplayText(text)), metrics.height());
  }
  int left = x();
  if (alignment_ & Qt::AlignRight) left += width() - bounds.width();
  setGeometry(left, y(), std::max(1, bounds.width()), std::max(1, bounds.height()));
}

void TLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!transparent_) painter.fillRect(rect(), palette().color(QPalette::Window));
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  painter.drawText(rect(), TextFlags(), caption_);
}

void TLabel::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) AdjustBounds();
}

// ---- TImage ----

TImage::TImage(QWidget* parent) : TSkinControl(parent) {}

void TImage::SetPicture(const SkinImage& picture) {
  picture_ = picture;
  if (autoSize_ && !picture_.Empty()) resize(picture_.Size());
  update();
}
void TImage::SetAutoSize(bool on) {
  autoSize_ = on;
  if (autoSize_ && !picture_.Empty()) resize(picture_.Size());
}
void TImage::SetCenter(bool on) {
  center_ = on;
  update();
}
void TImage::SetStretch(bool on) {
  stretch_ = on;
  update();
}
void TImage::SetProportional(bool on) {
  proportional_ = on;
  update();
}
void TImage::SetTransparent(bool on) {
  transparent_ = on;
  update();
}

QRect TImage::DestRect() const {
  int w = picture_.Size().width(), h = picture_.Size().height();
  const int cw = width(), ch = height();
  if (stretch_ || (proportional_ && (w > cw || h > ch))) {
    if (proportional_ && w > 0 && h > 0) {
      // Fit inside the control, keeping the picture's shape.
      if (static_cast<int64_t>(cw) * h > static_cast<int64_t>(ch) * w) {
        w = static_cast<int>(static_cast<int64_t>(w) * ch / h);
        h = ch;
      } else {
        h = static_cast<int>(static_cast<int64_t>(h) * cw / w);
        w = cw;
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  int x = 0, y = 0;
  if (center_) {
    x = (cw - w) / 2;
    y = (ch - h) / 2;
  }
  return QRect(x, y, w, h);
}

void TImage::paintEvent(QPaintEvent*) {
  if (picture_.Empty()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(DestRect(), picture_.Get(transparent_));
}

// ---- TPanel ----

namespace {

void Frame3D(QPainter& painter, QRect& r, const QColor& top, const QColor& bottom, int width) {
  for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
    painter.setPen(top);
    painter.drawLine(r.left(), r.top(), r.right(), r.top());
    painter.drawLine(r.left(), r.top(), r.left(), r.bottom());
    painter.setPen(bottom);
    painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
    painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    r.adjust(1, 1, -1, -1);
  }
}

}  // namespace

TPanel::TPanel(QWidget* parent) : TSkinControl(parent) {}

void TPanel::SetCaption(const QString& caption) {
  caption_ = caption;
  update();
}
void TPanel::SetBevelInner(Bevel bevel) {
  inner_ = bevel;
  update();
}
void TPanel::SetBevelOuter(Bevel bevel) {
  outer_ = bevel;
  update();
}
void TPanel::SetBevelWidth(int width) {
  bevelWidth_ = std::max(1, width);
  update();
}
void TPanel::SetBorderWidth(int width) {
  borderWidth_ = std::max(0, width);
  update();
}
void TPanel::SetAlignment(Qt::Alignment horizontal) {
  alignment_ = horizontal;
  update();
}

QRect TPanel::AlignRect() const {
  int inset = borderWidth_;
  if (outer_ != Bevel::None) inset += bevelWidth_;
  if (inner_ != Bevel::None) inset += bevelWidth_;
  return rect().adjusted(inset, inset, -inset, -inset);
}

void TPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& pal = palette();
  const QColor face = pal.color(QPalette::Window);
  painter.fillRect(rect(), face);
  QRect r = rect();
  auto bevel = [&](Bevel kind) {
    if (kind == Bevel::None) return;
    if (kind == Bevel::Space) {
      Frame3D(painter, r, face, face, bevelWidth_);
      return;
    }
    const QColor light = ResolveColor(clBtnHighlight, pal), dark = ResolveColor(clBtnShadow, pal);
    Frame3D(painter, r, kind == Bevel::Lowered ? dark : light, kind == Bevel::Lowered ? light : dark, bevelWidth_);
  };
  bevel(outer_);
  Frame3D(painter, r, face, face, borderWidth_);
  bevel(inner_);
  if (!caption_.isEmpty()) {
    painter.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(r, static_cast<int>(alignment_) | Qt::AlignVCenter | Qt::TextShowMnemonic, caption_);
  }
}

// ---- TFormControl, TTabSheet, TPageControl ----

TFormControl::TFormControl(QWidget* parent) : TSkinControl(parent) {}

void TFormControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
}

TTabSheet::TTabSheet(TPageControl* pageControl) : TSkinControl(nullptr), pageControl_(pageControl) {
  // A page is filled with its colour (the button face unless the skin says otherwise), so
  // that labels on it blend in as they do on the window.
  setAutoFillBackground(true);
  pageControl_->addTab(this, QString());
}

void TTabSheet::SetCaption(const QString& caption) {
  caption_ = caption;
  const int index = pageControl_->indexOf(this);
  if (index >= 0) pageControl_->setTabText(index, caption);
}

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent) {}

// ---- buttons, check box, edit, timer ----

TButton::TButton(QWidget* parent) : QPushButton(parent) { setAutoDefault(false); }

TBitBtn::TBitBtn(QWidget* parent) : QPushButton(parent) { setAutoDefault(false); }

void TBitBtn::SetGlyph(const SkinPicture& glyph) {
  glyph_ = glyph;
  UpdateIcon();
}

void TBitBtn::SetNumGlyphs(int count) {
  numGlyphs_ = std::clamp(count, 1, 4);
  UpdateIcon();
}

void TBitBtn::UpdateIcon() {
  if (glyph_.Empty()) {
    setIcon(QIcon());
    return;
  }
  const QImage all = SkinImage(glyph_).Get(true);
  const int w = all.width() / numGlyphs_;
  QIcon icon;
  icon.addPixmap(QPixmap::fromImage(all.copy(0, 0, w, all.height())), QIcon::Normal);
  if (numGlyphs_ >= 2) icon.addPixmap(QPixmap::fromImage(all.copy(w, 0, w, all.height())), QIcon::Disabled);
  setIcon(icon);
  setIconSize(QSize(w, all.height()));
}

TCheckBox::TCheckBox(QWidget* parent) : QCheckBox(parent) {}

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {}

TTimer::TTimer(QObject* owner) : QTimer(owner) { setInterval(1000); }

// ---- standard faces ----

void DrawStandardButtonFace(QPainter& painter, QWidget* widget, const QRect& rect) {
  QStyleOptionButton option;
  option.initFrom(widget);
  option.rect = rect;
  option.state |= QStyle::State_Raised;
  option.state &= ~(QStyle::State_Sunken | QStyle::State_MouseOver | QStyle::State_HasFocus);
  widget->style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, widget);
}

void DrawSunkenEdge(QPainter& painter, const QRect& r, const QPalette& palette) {
  painter.setPen(ResolveColor(clBtnShadow, palette));
  painter.drawLine(r.left(), r.top(), r.right(), r.top());
  painter.drawLine(r.left(), r.top(), r.left(), r.bottom());
  painter.setPen(ResolveColor(clBtnHighlight, palette));
  painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
  painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
}

}  // namespace kx
