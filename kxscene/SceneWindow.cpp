#include "kxscene/SceneWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

#include "kxscene/MakeSaverDialog.h"
#include "kxscene/MaskCanvas.h"
#include "kxscene/PreviewView.h"
#include "kxscene/SettingsPanels.h"

namespace kx::kxscene {

namespace {

// Tools in the order of the tool chooser (the MaskTool values).
const char* const kToolNames[] = {"Brush", "Eraser", "Polygon", "Water below a line", "Fill similar colours"};

bool IsPackage(const QString& path) { return path.endsWith(".kxp", Qt::CaseInsensitive); }

}  // namespace

SceneWindow::SceneWindow(QWidget* parent) : QMainWindow(parent) {
  player_ = std::make_unique<PreviewPlayer>(DefaultClock(), &textPainter_);
  canvas_ = new MaskCanvas(document_);
  preview_ = new PreviewView(*player_);
  panels_ = new SettingsPanels(document_);

  auto* right = new QWidget;
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(preview_, 1);
  auto* controls = new QHBoxLayout;
  auto* play = new QCheckBox(tr("Play"));
  play->setChecked(true);
  auto* clock = new QCheckBox(tr("Clock"));
  controls->addWidget(play);
  controls->addWidget(clock);
  controls->addStretch();
  rightLayout->addLayout(controls);
  rightLayout->addWidget(panels_, 1);
  connect(play, &QCheckBox::toggled, this, [this](bool on) { player_->SetPlaying(on); });
  connect(clock, &QCheckBox::toggled, this, [this](bool on) { player_->SetShowClock(on); });

  auto* split = new QSplitter;
  split->addWidget(canvas_);
  split->addWidget(right);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  setCentralWidget(split);

  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(tr("&Open photo or scene…"), QKeySequence::Open, this, [this] {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Open"), {}, tr("Photos and scenes (*.jpg *.jpeg *.png *.gif *.bmp *.kxp);;All files (*)"));
    if (!path.isEmpty() && AskToSave()) OpenFile(path);
  });
  file->addAction(tr("&Save"), QKeySequence::Save, this, [this] { Save(); });
  file->addAction(tr("Save &as…"), QKeySequence::SaveAs, this, [this] { SaveAs(); });
  file->addSeparator();
  file->addAction(tr("&Make a screensaver…"), this, [this] { MakeScreensaver(); });
  file->addSeparator();
  file->addAction(tr("&Quit"), QKeySequence::Quit, this, [this] { close(); });
  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  undo_ = edit->addAction(tr("&Undo"), QKeySequence::Undo, this, [this] { Undo(); });
  redo_ = edit->addAction(tr("&Redo"), QKeySequence::Redo, this, [this] { Redo(); });

  QToolBar* tools = addToolBar(tr("Tools"));
  toolBox_ = new QComboBox;
  for (const char* name : kToolNames) toolBox_->addItem(tr(name));
  regionBox_ = new QComboBox;
  for (int r = 1; r <= 6; ++r) regionBox_->addItem(tr("Region %1").arg(r));
  radiusBox_ = new QSpinBox;
  radiusBox_->setRange(1, 400);
  radiusBox_->setValue(20);
  radiusBox_->setPrefix(tr("Size "));
  tolerance_ = new QSlider(Qt::Horizontal);
  tolerance_->setRange(0, 255);
  tolerance_->setValue(24);
  tolerance_->setMaximumWidth(160);
  tools->addWidget(toolBox_);
  tools->addWidget(regionBox_);
  tools->addWidget(radiusBox_);
  tools->addWidget(new QLabel(tr(" Tolerance ")));
  tools->addWidget(tolerance_);
  tools->addSeparator();
  tools->addAction(undo_);
  tools->addAction(redo_);
  connect(toolBox_, &QComboBox::currentIndexChanged, this, [this](int i) { canvas_->SetTool(static_cast<MaskTool>(i)); });
  connect(regionBox_, &QComboBox::currentIndexChanged, this, [this](int i) {
    canvas_->SetRegion(i + 1);
    panels_->ShowRegion(i + 1);
  });
  connect(radiusBox_, &QSpinBox::valueChanged, this, [this](int v) { canvas_->SetBrushRadius(v); });
  connect(tolerance_, &QSlider::valueChanged, this, [this](int v) { canvas_->SetTolerance(v); });

  canvas_->onEdited = [this](const MaskBox& box) {
    player_->MaskChanged(document_, box);
    UpdateTitle();
  };
  panels_->onChanged = [this] {
    player_->SettingsChanged(document_);
    UpdateTitle();
  };
  preview_->onPlace = [this](int x, int y) { panels_->PlaceSelectedObject(x, y); };
  resize(1280, 760);
  UpdateTitle();
}

SceneWindow::~SceneWindow() = default;

void SceneWindow::SelectTool(int tool) { toolBox_->setCurrentIndex(tool); }
void SceneWindow::SelectRegion(int region) { regionBox_->setCurrentIndex(region - 1); }
void SceneWindow::SetBrushRadius(int radius) { radiusBox_->setValue(radius); }
void SceneWindow::SetTolerance(int tolerance) { tolerance_->setValue(tolerance); }

bool SceneWindow::OpenFile(const QString& path) {
  // Decoding a large photo takes a moment: say so.
  QProgressDialog progress(tr("Opening %1…").arg(QFileInfo(path).fileName()), QString(), 0, 0, this);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(300);
  QApplication::processEvents();
  SceneDocument next;
  std::string error;
  const std::string file = path.toStdString();
  const bool ok = IsPackage(path) ? next.Open(file, error) : next.NewFromPhoto(file, error);
  progress.close();
  if (!ok) {
    QMessageBox::critical(this, tr("Open"), QString::fromStdString(error));
    return false;
  }
  document_ = std::move(next);
  player_->SetMediaFolder((QFileInfo(path).absolutePath() + "/").toStdString());
  DocumentReplaced();
  return true;
}

void SceneWindow::DocumentReplaced() {
  canvas_->Reload();
  panels_->Refresh();
  player_->Load(document_);
  UpdateTitle();
}

void SceneWindow::Undo() {
  const MaskBox box = document_.Undo();
  canvas_->MaskChanged(box);
  player_->MaskChanged(document_, box);
  panels_->Refresh();
  player_->SettingsChanged(document_);
  UpdateTitle();
}

void SceneWindow::Redo() {
  const MaskBox box = document_.Redo();
  canvas_->MaskChanged(box);
  player_->MaskChanged(document_, box);
  panels_->Refresh();
  player_->SettingsChanged(document_);
  UpdateTitle();
}

void SceneWindow::UpdateTitle() {
  const QString name = document_.Path().empty() ? tr("New scene") : QFileInfo(QString::fromStdString(document_.Path())).fileName();
  setWindowTitle(tr("%1%2 - kxscene").arg(name, document_.Modified() && document_.HasPicture() ? "*" : ""));
  undo_->setEnabled(document_.CanUndo());
  redo_->setEnabled(document_.CanRedo());
}

bool SceneWindow::SaveTo(const QString& path) {
  std::string error;
  if (!document_.Save(path.toStdString(), error)) {
    QMessageBox::critical(this, tr("Save"), QString::fromStdString(error));
    return false;
  }
  UpdateTitle();
  return true;
}

bool SceneWindow::Save() {
  if (document_.Path().empty()) return SaveAs();
  return SaveTo(QString::fromStdString(document_.Path()));
}

bool SceneWindow::SaveAs() {
  if (!document_.HasPicture()) return false;
  QString path = QFileDialog::getSaveFileName(this, tr("Save scene"), QString::fromStdString(document_.Path()),
                                              tr("Scenes (*.kxp)"));
  if (path.isEmpty()) return false;
  if (!IsPackage(path)) path += ".kxp";
  return SaveTo(path);
}

bool SceneWindow::AskToSave() {
  if (!document_.HasPicture() || !document_.Modified()) return true;
  const auto answer = QMessageBox::question(this, tr("kxscene"), tr("Save the changes to this scene?"),
                                            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
  if (answer == QMessageBox::Save) return Save();
  return answer == QMessageBox::Discard;
}

void SceneWindow::closeEvent(QCloseEvent* e) {
  if (AskToSave()) {
    e->accept();
  } else {
    e->ignore();
  }
}

void SceneWindow::MakeScreensaver() {
  // The show plays saved packages: the scene goes in as it is on disk.
  if (document_.HasPicture() && (document_.Modified() || document_.Path().empty())) {
    const auto answer = QMessageBox::question(this, tr("Make a screensaver"),
                                              tr("The scene must be saved before it goes into a screensaver. Save it now?"),
                                              QMessageBox::Save | QMessageBox::Cancel);
    if (answer != QMessageBox::Save || !Save()) return;
  }
  MakeSaverDialog dialog(document_.Path(), this);
  dialog.exec();
}

}  // namespace kx::kxscene
