#pragma once
// The scene maker's main window: the painting canvas and the live preview side by side, the
// settings in tabs, the tools on a tool bar, and the File and Edit menus.
//
// The window owns the document and the preview player and keeps them in step: every mask
// edit and every settings edit reaches the player at once; undo and redo reach the canvas,
// the controls and the player. Closing, opening and starting a new scene ask first when the
// scene has unsaved changes.
#include <QMainWindow>
#include <memory>

#include "anim/qt/QtTextPainter.h"
#include "kxscene/PreviewPlayer.h"
#include "kxscene/SceneDocument.h"

class QAction;
class QComboBox;
class QSpinBox;
class QSlider;

namespace kx::kxscene {

class MaskCanvas;
class PreviewView;
class SettingsPanels;

class SceneWindow : public QMainWindow {
 public:
  explicit SceneWindow(QWidget* parent = nullptr);
  ~SceneWindow() override;

  // Opens a photo (a new scene) or a .kxp; errors in a message box. True when opened.
  bool OpenFile(const QString& path);
  bool SaveTo(const QString& path);

  SceneDocument& Document() { return document_; }
  PreviewPlayer& Player() { return *player_; }
  MaskCanvas& Canvas() { return *canvas_; }
  PreviewView& Preview() { return *preview_; }
  SettingsPanels& Panels() { return *panels_; }
  void Undo();
  void Redo();
  void SelectTool(int tool);  // a MaskTool
  void SelectRegion(int region);
  void SetBrushRadius(int radius);
  void SetTolerance(int tolerance);

 protected:
  void closeEvent(QCloseEvent*) override;

 private:
  bool AskToSave();  // false: the user cancelled
  bool Save();
  bool SaveAs();
  void MakeScreensaver();
  void DocumentReplaced();
  void UpdateTitle();

  SceneDocument document_;
  TQtTextPainter textPainter_;
  std::unique_ptr<PreviewPlayer> player_;
  MaskCanvas* canvas_ = nullptr;
  PreviewView* preview_ = nullptr;
  SettingsPanels* panels_ = nullptr;
  QAction* undo_ = nullptr;
  QAction* redo_ = nullptr;
  QComboBox* toolBox_ = nullptr;
  QComboBox* regionBox_ = nullptr;
  QSpinBox* radiusBox_ = nullptr;
  QSlider* tolerance_ = nullptr;
};

}  // namespace kx::kxscene
