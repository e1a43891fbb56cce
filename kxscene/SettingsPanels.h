#pragma once
// The settings of the scene in plain controls, one tab per part of the package: the scene's
// texts, the wave record of each water region, rain or snow, the eight sound slots and the
// animated objects.
//
// Every edit becomes one step of the document's history (texts when their field is left,
// numbers at once) and is then announced through onChanged; Refresh shows the document's
// settings again after an undo, a redo or an open.
#include <QTabWidget>
#include <functional>
#include <memory>

#include "kxscene/SceneSettings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QSpinBox;
class QTableWidget;

namespace kx {
class AudioService;
}

namespace kx::kxscene {

class SceneDocument;

class SettingsPanels : public QTabWidget {
 public:
  explicit SettingsPanels(SceneDocument& document, QWidget* parent = nullptr);
  ~SettingsPanels() override;

  void Refresh();
  // The water region whose wave record is shown, 1 .. 6.
  void ShowRegion(int region);
  // The selected object, or -1.
  int SelectedObject() const;
  // Moves the selected object to design position (x, y).
  void PlaceSelectedObject(int x, int y);

  std::function<void()> onChanged;

  // The controls, by name, for tests and the screenshot script.
  QSpinBox* AmplitudeBox() const { return amplitude_; }
  QComboBox* WeatherKindBox() const { return weatherKind_; }

 private:
  QWidget* BuildSceneTab();
  QWidget* BuildWaterTab();
  QWidget* BuildWeatherTab();
  QWidget* BuildSoundsTab();
  QWidget* BuildObjectsTab();
  void Commit(const std::function<void(SceneSettings&)>& change);
  void ShowObject();
  void PlaySound(int slot);

  SceneDocument& document_;
  bool loading_ = false;
  int region_ = 1;

  QLineEdit* title_ = nullptr;
  QLineEdit* extraText_ = nullptr;

  QComboBox* regionBox_ = nullptr;
  QSpinBox* amplitude_ = nullptr;
  QSpinBox* waves_ = nullptr;
  QSpinBox* speed_ = nullptr;
  QComboBox* style_ = nullptr;
  QSpinBox* period_ = nullptr;
  QSpinBox* jitter_ = nullptr;
  QCheckBox* sway_ = nullptr;
  QCheckBox* perspective_ = nullptr;
  QCheckBox* reflection_ = nullptr;
  QCheckBox* animated_ = nullptr;

  QComboBox* weatherKind_ = nullptr;
  QSpinBox* weatherCount_ = nullptr;
  QSpinBox* weatherSpeed_ = nullptr;
  QSpinBox* weatherSize_ = nullptr;
  QSpinBox* weatherStreak_ = nullptr;
  QSpinBox* weatherOpacity_ = nullptr;

  QTableWidget* sounds_ = nullptr;

  QListWidget* objects_ = nullptr;
  QPlainTextEdit* objectText_ = nullptr;
  QTableWidget* objectKeys_ = nullptr;

  std::unique_ptr<AudioService> audio_;
};

}  // namespace kx::kxscene
