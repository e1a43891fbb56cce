#pragma once
// The controls of this program's own that skins use besides the standard ones:
//
// - TMyButton, a push button drawn from pictures: up, over, down and disabled faces, with the
//   standard push-button face (or a sunken edge while down) where pictures are missing, an
//   optional caption, auto-repeat while held (first after 500 ms, then every 50 ms) and an
//   optional latched state (AllowDown / Down).
// - TShape and TMyShape: a filled geometric shape; TMyShape publishes its mouse events.
// - TMyBevel: a bevelled box or line that takes clicks anywhere in its bounds.
// - TMyMemo: a multi-line text with its whole text as one property.
#include <QPlainTextEdit>
#include <QTimer>

#include <functional>
#include <string>

#include "configui/StandardControls.h"

namespace kx {

class TMyButton : public TSkinControl {
 public:
  explicit TMyButton(QWidget* parent);

  // What a paint draws, decided from the state (see Face()).
  enum class Face { UpPicture, OverPicture, DownPicture, DisablePicture, StandardFace, SunkenEdge };

  void SetButtonUp(const SkinImage& picture);
  void SetButtonDown(const SkinImage& picture);
  void SetButtonOver(const SkinImage& picture);
  void SetButtonDisable(const SkinImage& picture);
  const SkinImage& ButtonUp() const { return upFace_; }

  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool on);
  bool ShowCaption() const { return showCaption_; }
  void SetShowCaption(bool on);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on);
  bool Down() const { return down_; }
  void SetDown(bool on);  // ignored unless AllowDown
  bool AllowDown() const { return allowDown_; }
  void SetAllowDown(bool on);

  bool MouseInControl() const { return mouseInControl_; }
  bool Pressed() const { return pressed_; }
  QTimer* RepeatTimer() const { return repeatTimer_; }
  Face CurrentFace() const;

  // Fired on the press (sender: the button) and on each repeat tick (sender: the timer).
  std::function<void(QObject* sender)> OnMousePressed;

  // The mouse moved onto or off the button.
  void MouseEnter();
  void MouseLeave();
  // A typed character: clicks and returns true when it is the caption's accelerator and the
  // button is enabled and showing.
  bool DialogChar(QChar key);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ApplyAutoSize();
  void RepeatTick();

  SkinImage upFace_, downFace_, overFace_, disableFace_;
  QString caption_;
  bool autoSize_ = true;
  bool showCaption_ = false;
  bool transparent_ = true;
  bool down_ = false;
  bool allowDown_ = false;
  bool mouseInControl_ = false;
  bool pressed_ = false;
  QTimer* repeatTimer_ = nullptr;  // made on the first left press, a child of the button
};

class TShape : public TSkinControl {
 public:
  enum class Kind { Rectangle, Square, RoundRect, RoundSquare, Ellipse, Circle };
  explicit TShape(QWidget* parent);
  void SetShape(Kind kind);
  void SetBrushColor(TColor color);
  void SetBrushStyle(Qt::BrushStyle style);
  void SetPenColor(TColor color);
  void SetPenWidth(int width);
  void SetPenStyle(Qt::PenStyle style);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Kind kind_ = Kind::Rectangle;
  TColor brushColor_ = clWhite;
  Qt::BrushStyle brushStyle_ = Qt::SolidPattern;
  TColor penColor_ = clBlack;
  int penWidth_ = 1;
  Qt::PenStyle penStyle_ = Qt::SolidLine;
};

// A shape whose mouse events (OnClick, OnMouseDown, OnMouseMove, OnMouseUp) are published.
class TMyShape : public TShape {
 public:
  explicit TMyShape(QWidget* parent) : TShape(parent) {}
};

class TMyBevel : public TSkinControl {
 public:
  enum class Kind { Box, Frame, TopLine, BottomLine, LeftLine, RightLine, Spacer };
  explicit TMyBevel(QWidget* parent);
  void SetShape(Kind kind);
  void SetRaised(bool raised);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Kind kind_ = Kind::Box;
  bool raised_ = false;
};

class TMyMemo : public QPlainTextEdit {
 public:
  explicit TMyMemo(QWidget* parent);
  // All lines, each followed by CR LF.
  std::string Text() const;
  // Replaces the lines by the text split at its line breaks (CR LF, LF or CR); a final line
  // break adds no empty line.
  void SetText(const std::string& text);
  void SetLines(const std::vector<std::string>& lines);
  void SetWordWrap(bool on);
};

}  // namespace kx
