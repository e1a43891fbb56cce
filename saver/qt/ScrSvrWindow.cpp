#include "saver/qt/ScrSvrWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

#include "platform/StopSignals.h"

namespace kx {

namespace {
// Changed rows this close together are painted as one band: a few unchanged rows cost less
// than another rectangle to compose and send.
constexpr int32_t kJoinRows = 8;
}  // namespace

bool KeyProducesCharacter(int key, const QString& text) {
  switch (key) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Backspace:
    case Qt::Key_Tab:
    case Qt::Key_Space:
      return true;
    case Qt::Key_Delete:
      return false;
    default:
      return !text.isEmpty() && text != QString(QChar(0x7F));
  }
}

TKXfmScrSvr::TKXfmScrSvr(TKXCProject& project, SaverEnvironment environment)
    : QWidget(nullptr, Qt::FramelessWindowHint), project_(project), show_(*this, std::move(environment)) {
  // Task lists and window managers show the screensaver by its product name. Settings texts
  // are UTF-8 from kxpack, or Latin-1 from older builders.
  QString title = QString::fromUtf8(project_.Setting.ProductName);
  if (title.contains(QChar::ReplacementCharacter)) title = QString::fromLatin1(project_.Setting.ProductName);
  setWindowTitle(title.isEmpty() ? QStringLiteral("kxsaver") : title);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  idle_.setInterval(0);
  connect(&idle_, &QTimer::timeout, this, [this] { RunIdle(); });
  show_.SetProject(project_);
}

TKXfmScrSvr::~TKXfmScrSvr() {
  idle_.stop();
  if (show_.Running()) show_.FormClose();
  if (cursorHidden_) SetCursorHidden(false);
}

void TKXfmScrSvr::Open() {
  setWindowModality(Qt::ApplicationModal);
  if (QScreen* primary = QGuiApplication::primaryScreen()) setGeometry(primary->geometry());
  BlankOtherScreens();
  showFullScreen();
  activateWindow();
  setFocus();
  show_.FormShow();
}

void TKXfmScrSvr::ShowModal() {
  Open();
  if (closed_) return;
  QEventLoop loop;
  loop_ = &loop;
  loop.exec(QEventLoop::DialogExec);
  loop_ = nullptr;
}

void TKXfmScrSvr::BlankOtherScreens() {
  QScreen* primary = QGuiApplication::primaryScreen();
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen == primary) continue;
    auto blank = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
    QPalette black = blank->palette();
    black.setColor(QPalette::Window, Qt::black);
    blank->setPalette(black);
    blank->setAutoFillBackground(true);
    blank->setMouseTracking(true);
    blank->setGeometry(screen->geometry());
    blank->installEventFilter(this);
    blank->winId();
    if (QWindow* handle = blank->windowHandle()) handle->setScreen(screen);
    blank->showFullScreen();
    blankScreens_.push_back(std::move(blank));
  }
}

ItemSize TKXfmScrSvr::ScreenSize() {
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    const QRect r = primary->geometry();
    return {r.width(), r.height()};
  }
  return {width(), height()};
}

bool TKXfmScrSvr::StartScaledPresentation() {
  // The window scales every frame to its whole area when it paints; nothing needs starting.
  return true;
}

bool TKXfmScrSvr::CanDraw() {
  const QWindow* handle = windowHandle();
  return isVisible() && handle != nullptr && handle->isExposed();
}

void TKXfmScrSvr::Present(const Bitmap32& surface, bool scaled, const ChangedRows* changed) {
  const bool again = surface_ == &surface && scaled_ == scaled;
  surface_ = &surface;
  scaled_ = scaled;
  if (!again || changed == nullptr || changed->All() || surface.Empty()) {
    repaint();
    return;
  }
  // Only the bands of the window that show changed rows are painted and sent to the
  // display. A scaled row covers window rows from its top edge to its bottom edge, rounded
  // outwards.
  const int windowHeight = height();
  const double rowHeight = scaled ? static_cast<double>(windowHeight) / surface.Height() : 1.0;
  QRegion region;
  for (const RowRange& r : changed->Ranges(kJoinRows)) {
    const int top = static_cast<int>(std::floor(r.First * rowHeight));
    const int bottom = static_cast<int>(std::ceil((r.Last + 1) * rowHeight));
    region += QRect(0, top, width(), std::min(bottom, windowHeight) - top);
  }
  if (!region.isEmpty()) repaint(region);
}

void TKXfmScrSvr::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (surface_ == nullptr || surface_->Empty()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  // Frames are opaque: as RGB32 the frame is copied into the backing store as it is, without
  // the per-pixel alpha conversion that ARGB32 would cost.
  const QImage image(reinterpret_cast<const uchar*>(surface_->Data()), surface_->Width(), surface_->Height(),
                     static_cast<qsizetype>(surface_->StrideBytes()), QImage::Format_RGB32);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  if (scaled_) {
    painter.drawImage(rect(), image);
    return;
  }
  painter.drawImage(0, 0, image);
  // A window larger than the surface shows black beyond it.
  if (width() > image.width()) painter.fillRect(image.width(), 0, width() - image.width(), height(), Qt::black);
  if (height() > image.height()) painter.fillRect(0, image.height(), image.width(), height() - image.height(), Qt::black);
}

void TKXfmScrSvr::ProcessPendingMessages() { QCoreApplication::processEvents(); }

void TKXfmScrSvr::RequestClose() {
  if (inIdle_) {
    closePending_ = true;
    return;
  }
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (inIdle_) {
          closePending_ = true;
        } else if (!closed_) {
          close();
        }
      },
      Qt::QueuedConnection);
}

bool TKXfmScrSvr::Stopping() { return StopRequested(); }

void TKXfmScrSvr::SetCursorHidden(bool hidden) {
  if (hidden == cursorHidden_) return;
  cursorHidden_ = hidden;
  if (hidden) {
    QGuiApplication::setOverrideCursor(Qt::BlankCursor);
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
}

void TKXfmScrSvr::SetIdleHandler(bool installed) {
  if (installed) {
    idle_.start(0);
  } else {
    idle_.stop();
  }
}

void TKXfmScrSvr::WakeForMusic() {
  // Runs on the audio output's thread: only post the delivery to the window's thread.
  QMetaObject::invokeMethod(this, [this] { show_.DeliverMusicNotification(); }, Qt::QueuedConnection);
}

bool TKXfmScrSvr::IdleAgainAfter(uint32_t ms) {
  if (!idle_.isActive()) return false;
  // The event loop sleeps until input or the timer: nothing is drawn meanwhile.
  idle_.start(static_cast<int>(std::min<uint32_t>(ms, 60000)));
  resting_ = true;
  return true;
}

double TKXfmScrSvr::RefreshRateHz() {
  const QWindow* handle = windowHandle();
  const QScreen* screen = handle != nullptr ? handle->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->refreshRate() : 0;
}

void TKXfmScrSvr::RunIdle() {
  if (inIdle_ || closed_) return;
  inIdle_ = true;
  resting_ = false;
  show_.AppIdle();
  // After a rest the idle calls come as soon as the queue is empty again.
  if (!resting_ && idle_.isActive() && idle_.interval() != 0) idle_.start(0);
  inIdle_ = false;
  if (closePending_) {
    closePending_ = false;
    close();
  }
}

void TKXfmScrSvr::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  if (inIdle_) {
    // Closed from inside an idle call (a transition handling its messages): after it.
    closePending_ = true;
    event->ignore();
    return;
  }
  if (!show_.FormCloseQuery()) {
    event->ignore();
    return;
  }
  show_.FormClose();
  closed_ = true;
  for (auto& blank : blankScreens_) blank->hide();
  event->accept();
  if (loop_ != nullptr) loop_->quit();
}

void TKXfmScrSvr::HandleKey(QKeyEvent* event) {
  show_.FormKeyDown(event->key() == Qt::Key_F1 ? SaverKey::F1 : SaverKey::Other);
  if (KeyProducesCharacter(event->key(), event->text())) show_.FormKeyPress();
}

void TKXfmScrSvr::HandleMouseMove(QMouseEvent* event) {
  const QPoint p = event->globalPosition().toPoint();
  show_.FormMouseMove(p.x(), p.y());
}

void TKXfmScrSvr::keyPressEvent(QKeyEvent* event) { HandleKey(event); }
void TKXfmScrSvr::mousePressEvent(QMouseEvent*) { show_.FormMouseDown(); }
void TKXfmScrSvr::mouseReleaseEvent(QMouseEvent*) { show_.FormMouseUp(); }
void TKXfmScrSvr::mouseMoveEvent(QMouseEvent* event) { HandleMouseMove(event); }

bool TKXfmScrSvr::eventFilter(QObject* watched, QEvent* event) {
  // Input on the blanked screens counts as input to the show.
  switch (event->type()) {
    case QEvent::KeyPress:
      HandleKey(static_cast<QKeyEvent*>(event));
      return true;
    case QEvent::MouseButtonPress:
      show_.FormMouseDown();
      return true;
    case QEvent::MouseMove:
      HandleMouseMove(static_cast<QMouseEvent*>(event));
      return true;
    case QEvent::Close:
      // The blank windows go with the show, not on their own.
      if (!closed_) {
        event->ignore();
        return true;
      }
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kx
