#pragma once
// The live preview: shows the player's frames about 30 times a second, scaled to the widget
// with the scene's aspect kept. A drag on it places the selected animated object where it is
// dropped: the position reaches `onPlace` in the picture's pixels (the objects' design coordinates).
#include <QTimer>
#include <QWidget>
#include <functional>

namespace kx::kxscene {

class PreviewPlayer;

inline constexpr int kPreviewFrameMs = 33;

class PreviewView : public QWidget {
 public:
  explicit PreviewView(PreviewPlayer& player, QWidget* parent = nullptr);

  std::function<void(int x, int y)> onPlace;
  // Frames shown so far (for tests and the status line).
  long FramesShown() const { return frames_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  QRectF FrameRect(int w, int h) const;
  void Place(QPointF pos);

  PreviewPlayer& player_;
  QTimer timer_;
  long frames_ = 0;
  int frameW_ = 0, frameH_ = 0;
};

}  // namespace kx::kxscene
