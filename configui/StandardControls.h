#pragma once
// The standard controls of skin windows, on Qt Widgets.
//
// Every control is a QWidget placed at its exact position and size in its parent's client
// area. Colours and fonts follow the parent unless the skin sets them (ParentColor,
// ParentFont): the builder sets a palette role or a font only for what the skin gave, and Qt
// passes the rest down from the parent. The background colour of a control is its palette's
// Window role (Base for edits, memos and grids); the text colour is WindowText, Text and
// ButtonText alike.
//
// Controls that skins make clickable carry `OnClick`: it fires when the left button is
// released over the control after it went down on it.
#include <QCheckBox>
#include <QFrame>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

#include "configui/SkinColors.h"
#include "configui/SkinPicture.h"

class QPainter;

namespace kx {

// A colour value as a Qt colour; system colours come from `palette` where it has a role for
// them, else from their classic values.
QColor ResolveColor(TColor color, const QPalette& palette);
QColor ResolveColor(TColor color);  // against the application palette

// A picture of a skin with the see-through rule of its kind: a bitmap drawn transparent
// treats the colour of its bottom-left pixel as see-through; JPEG pictures are opaque; PNG
// and GIF pictures keep their own alpha.
class SkinImage {
 public:
  SkinImage() = default;
  explicit SkinImage(const SkinPicture& picture);
  explicit SkinImage(const QImage& image, bool isBitmap = false);
  bool Empty() const { return image_.isNull(); }
  QSize Size() const { return image_.size(); }
  const QImage& Get(bool transparent) const;

 private:
  QImage image_;
  bool isBitmap_ = false;
  mutable QImage keyed_;
};

// Aligned children (alTop, alBottom, alLeft, alRight, alClient; others keep their bounds)
// are laid out inside `client`, in that order of kinds and in text order within each kind.
// The kind of a child is kept in its "kxAlign" property (an int of SkinAlign).
enum class SkinAlign { None, Top, Bottom, Left, Right, Client, Custom };
void AlignChildControls(QWidget* container, QRect client);
void SetSkinAlign(QWidget* control, SkinAlign align);
SkinAlign SkinAlignOf(const QWidget* control);

// The text of a caption without its accelerator marks ("&&" stands for "&"), and the
// accelerator character (0 when there is none).
QString CaptionDisplayText(const QString& caption);
QChar CaptionAccelerator(const QString& caption);

// The base of the controls this program paints itself. Mouse events are published as
// callbacks; a container lays out its aligned children when it is resized.
class TSkinControl : public QWidget {
 public:
  explicit TSkinControl(QWidget* parent);

  std::function<void()> OnClick;
  std::function<void(Qt::MouseButton, QPoint)> OnMouseDown;
  std::function<void(QPoint)> OnMouseMove;
  std::function<void(Qt::MouseButton, QPoint)> OnMouseUp;

  // The area aligned children fill.
  virtual QRect AlignRect() const { return rect(); }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

  bool leftDownHere_ = false;  // a left press on this control awaits its release
};

// Static text.
class TLabel : public TSkinControl {
 public:
  explicit TLabel(QWidget* parent);
  enum class TextLayout { Top, Center, Bottom };

  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  void SetAlignment(Qt::Alignment horizontal);
  void SetLayout(TextLayout layout);
  void SetAutoSize(bool on);
  void SetTransparent(bool on);
  void SetWordWrap(bool on);
  bool AutoSize() const { return autoSize_; }
  bool Transparent() const { return transparent_; }
  // Sizes the label to its text when AutoSize is on (a right-justified label keeps its right
  // edge). The builder holds this back until the label is complete.
  void AdjustBounds();
  void SetLoading(bool loading) { loading_ = loading; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  int TextFlags() const;
  QString caption_;
  Qt::Alignment alignment_ = Qt::AlignLeft;
  TextLayout layout_ = TextLayout::Top;
  bool autoSize_ = true;
  bool transparent_ = false;
  bool wordWrap_ = false;
  bool loading_ = false;
};

// A picture, drawn at its size from the top left, centred, or stretched over the control.
class TImage : public TSkinControl {
 public:
  explicit TImage(QWidget* parent);
  void SetPicture(const SkinImage& picture);
  const SkinImage& Picture() const { return picture_; }
  void SetAutoSize(bool on);
  void SetCenter(bool on);
  void SetStretch(bool on);
  void SetProportional(bool on);
  void SetTransparent(bool on);
  bool Stretch() const { return stretch_; }
  // Where the picture is drawn in the control.
  QRect DestRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

  SkinImage picture_;
  bool autoSize_ = false;
  bool center_ = false;
  bool stretch_ = false;
  bool proportional_ = false;
  bool transparent_ = false;
};

// A container with up to two bevels and a centred caption.
class TPanel : public TSkinControl {
 public:
  enum class Bevel { None, Lowered, Raised, Space };
  explicit TPanel(QWidget* parent);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  void SetBevelInner(Bevel bevel);
  void SetBevelOuter(Bevel bevel);
  void SetBevelWidth(int width);
  void SetBorderWidth(int width);
  void SetAlignment(Qt::Alignment horizontal);
  QRect AlignRect() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
  Bevel inner_ = Bevel::None;
  Bevel outer_ = Bevel::Raised;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
  Qt::Alignment alignment_ = Qt::AlignHCenter;
};

// A TForm placed inside a window: a plain container in its colour.
class TFormControl : public TSkinControl {
 public:
  explicit TFormControl(QWidget* parent);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption) { caption_ = caption; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
};

class TPageControl;

// One page of a page control; its caption is the tab's text.
class TTabSheet : public TSkinControl {
 public:
  TTabSheet(TPageControl* pageControl);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  TPageControl* PageControl() const { return pageControl_; }

 private:
  TPageControl* pageControl_;
  QString caption_;
};

class TPageControl : public QTabWidget {
 public:
  explicit TPageControl(QWidget* parent);
};

class TButton : public QPushButton {
 public:
  explicit TButton(QWidget* parent);
};

// A push button with an optional glyph: the glyph picture holds NumGlyphs images side by
// side (normal, disabled, ...), its bottom-left colour see-through.
class TBitBtn : public QPushButton {
 public:
  explicit TBitBtn(QWidget* parent);
  void SetGlyph(const SkinPicture& glyph);
  void SetNumGlyphs(int count);

 private:
  void UpdateIcon();
  SkinPicture glyph_;
  int numGlyphs_ = 1;
};

class TCheckBox : public QCheckBox {
 public:
  explicit TCheckBox(QWidget* parent);
};

class TEdit : public QLineEdit {
 public:
  explicit TEdit(QWidget* parent);
};

// A timer of a skin window: it keeps its settings and has no handler, so it never runs.
class TTimer : public QTimer {
 public:
  explicit TTimer(QObject* owner);
  bool Enabled = true;
};

// Draws the standard push-button face, or its 1-pixel sunken edge, over `rect`.
void DrawStandardButtonFace(QPainter& painter, QWidget* widget, const QRect& rect);
void DrawSunkenEdge(QPainter& painter, const QRect& rect, const QPalette& palette);

}  // namespace kx
