#pragma once
// TKXfmScrSvr: the full-screen saver window on Qt Widgets.
//
// The window only forwards: its events go to the show's handlers (TSaverShow), its idle
// timer (zero interval, so it fires whenever the event queue is empty) calls AppIdle, and
// it puts the show's display surface on the screen, wrapped in a QImage without a copy.
// Every other screen is covered by a black window of its own while the show runs; input
// there counts as input to the show.
//
// Closing is deferred while an idle call runs: a request made from inside one (input handled
// in the middle of a transition) closes the window right after that call returns.
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

#include "project/KXCProject.h"
#include "saver/SaverShow.h"
#include "saver/SaverWindowPort.h"

namespace kx {

// Whether a key press produces a character (and so ends the show): letters, digits,
// punctuation, space, Enter, Escape, Backspace, Tab and control characters do; arrows,
// function keys, modifiers and Delete do not.
bool KeyProducesCharacter(int key, const QString& text);

class TKXfmScrSvr final : public QWidget, public SaverWindowPort {
 public:
  TKXfmScrSvr(TKXCProject& project, SaverEnvironment environment);
  ~TKXfmScrSvr() override;

  // Shows the window over the primary screen, blanks the other screens and sets the show up.
  void Open();
  // Open, then runs a modal loop until the window has closed.
  void ShowModal();
  bool Closed() const { return closed_; }
  TSaverShow& Show() { return show_; }
  // The black windows over the other screens.
  const std::vector<std::unique_ptr<QWidget>>& BlankScreens() const { return blankScreens_; }

  // SaverWindowPort.
  ItemSize ScreenSize() override;
  bool StartScaledPresentation() override;
  bool CanDraw() override;
  void Present(const Bitmap32& surface, bool scaled, const ChangedRows* changed) override;
  void Retarget(const Bitmap32& surface) override { surface_ = &surface; }
  void ProcessPendingMessages() override;
  void RequestClose() override;
  bool Stopping() override;
  void SetCursorHidden(bool hidden) override;
  void SetIdleHandler(bool installed) override;
  void WakeForMusic() override;
  bool IdleAgainAfter(uint32_t ms) override;
  double RefreshRateHz() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void RunIdle();
  void BlankOtherScreens();
  void HandleKey(QKeyEvent* event);
  void HandleMouseMove(QMouseEvent* event);

  TKXCProject& project_;
  TSaverShow show_;
  QTimer idle_;
  QEventLoop* loop_ = nullptr;
  std::vector<std::unique_ptr<QWidget>> blankScreens_;
  const Bitmap32* surface_ = nullptr;  // what the display shows; owned by the show
  bool scaled_ = false;
  bool inIdle_ = false;
  bool resting_ = false;  // the idle call that runs asked for a later next call
  bool closePending_ = false;
  bool closed_ = false;
  bool cursorHidden_ = false;
};

}  // namespace kx
