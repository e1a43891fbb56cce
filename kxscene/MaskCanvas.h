#pragma once
// The painting surface: the scene picture with its water mask over it, one translucent
// colour per region, and the region tools on the mouse.
//
//   Brush, Eraser   press and drag; the whole drag is one step of the history
//   Polygon         a click per corner; a double click or a right click closes it
//   Below line      press at one end of the line and release at the other
//   Fill similar    a click: the joined pixels of similar colour (tolerance 0 .. 255)
//
// The picture is shown whole, scaled to the widget with its aspect kept; mouse positions are
// turned back into picture pixels.
#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

#include "kxscene/MaskTools.h"

namespace kx::kxscene {

class SceneDocument;

enum class MaskTool { Brush, Eraser, Polygon, BelowLine, FillSimilar };

class MaskCanvas : public QWidget {
 public:
  explicit MaskCanvas(SceneDocument& document, QWidget* parent = nullptr);

  void SetTool(MaskTool tool);
  void SetRegion(int region) { region_ = region; }
  void SetBrushRadius(int pixels) { radius_ = pixels; }
  void SetTolerance(int tolerance) { tolerance_ = tolerance; }
  MaskTool Tool() const { return tool_; }

  // The document has a new picture: rebuild everything shown.
  void Reload();
  // The mask changed inside `box` (undo, redo): redraw that part.
  void MaskChanged(const MaskBox& box);
  // Told after every mask edit the canvas makes.
  std::function<void(const MaskBox&)> onEdited;

  // Picture pixel of a widget position, and back.
  MaskPoint ToPicture(QPointF widgetPos) const;
  QPointF ToWidget(MaskPoint p) const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;

 private:
  QRectF PictureRect() const;
  void Apply(const std::function<MaskBox(Bitmap32&)>& edit, bool endStep);
  void ClosePolygon();

  SceneDocument& document_;
  QImage picture_;
  QImage overlay_;  // the mask in region colours, alpha for translucency
  MaskTool tool_ = MaskTool::Brush;
  int region_ = 1;
  int radius_ = 20;
  int tolerance_ = 24;
  bool dragging_ = false;
  MaskPoint last_;
  std::vector<MaskPoint> polygon_;
};

}  // namespace kx::kxscene
