#include "kxscene/SettingsPanels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "audio/WaveFile.h"
#include "kxscene/SceneDocument.h"
#include "scene/IniSections.h"
#include "platform/audio/SdlAudioService.h"

namespace kx::kxscene {

namespace {

QString FromLatin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
// Package texts are 8-bit: characters above U+00FF become '?'.
std::string ToLatin1(const QString& s) { return s.toLatin1().toStdString(); }

QSpinBox* Spin(int low, int high, const QString& suffix = {}) {
  auto* box = new QSpinBox;
  box->setRange(low, high);
  box->setSuffix(suffix);
  return box;
}

// Sound slot columns.
enum SoundColumn { kFile, kBrowse, kMode, kMin, kMax, kPlay, kSoundColumns };

}  // namespace

SettingsPanels::SettingsPanels(SceneDocument& document, QWidget* parent) : QTabWidget(parent), document_(document) {
  addTab(BuildSceneTab(), tr("Scene"));
  addTab(BuildWaterTab(), tr("Water"));
  addTab(BuildWeatherTab(), tr("Weather"));
  addTab(BuildSoundsTab(), tr("Sounds"));
  addTab(BuildObjectsTab(), tr("Objects"));
  setCurrentIndex(1);
  Refresh();
}

SettingsPanels::~SettingsPanels() = default;

void SettingsPanels::Commit(const std::function<void(SceneSettings&)>& change) {
  if (loading_) return;
  SceneSettings next = document_.Settings();
  change(next);
  document_.SetSettings(next);
  if (onChanged) onChanged();
}

QWidget* SettingsPanels::BuildSceneTab() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  title_ = new QLineEdit;
  extraText_ = new QLineEdit;
  form->addRow(tr("Title"), title_);
  form->addRow(tr("Extra text"), extraText_);
  connect(title_, &QLineEdit::editingFinished, this, [this] { Commit([&](SceneSettings& s) { s.title = ToLatin1(title_->text()); }); });
  connect(extraText_, &QLineEdit::editingFinished, this,
          [this] { Commit([&](SceneSettings& s) { s.extraText = ToLatin1(extraText_->text()); }); });
  return page;
}

QWidget* SettingsPanels::BuildWaterTab() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  regionBox_ = new QComboBox;
  for (int r = 1; r <= 6; ++r) regionBox_->addItem(tr("Region %1").arg(r));
  form->addRow(tr("Region"), regionBox_);
  connect(regionBox_, &QComboBox::currentIndexChanged, this, [this](int i) { ShowRegion(i + 1); });

  amplitude_ = Spin(0, 200, tr(" px"));
  waves_ = Spin(0, 400);
  speed_ = Spin(0, 360);
  style_ = new QComboBox;
  for (const char* name : WaveStyleNames()) style_->addItem(tr(name));
  period_ = Spin(1, 3600, tr("°"));
  jitter_ = Spin(0, 100, tr(" px"));
  sway_ = new QCheckBox(tr("Rows also sway sideways"));
  perspective_ = new QCheckBox(tr("Waves grow towards the bottom"));
  reflection_ = new QCheckBox(tr("Mirrors the picture above it"));
  animated_ = new QCheckBox(tr("Waves move"));
  amplitude_->setObjectName("amplitude");
  form->addRow(tr("Amplitude"), amplitude_);
  form->addRow(tr("Waves"), waves_);
  form->addRow(tr("Speed"), speed_);
  form->addRow(tr("Style"), style_);
  form->addRow(tr("Period"), period_);
  form->addRow(tr("Jitter"), jitter_);
  form->addRow(sway_);
  form->addRow(perspective_);
  form->addRow(reflection_);
  form->addRow(animated_);

  // One table row per numeric field of the wave record.
  const std::pair<QSpinBox*, int32_t TWaveParam::*> numbers[] = {{amplitude_, &TWaveParam::Amplitude},
                                                                 {waves_, &TWaveParam::Waves},
                                                                 {speed_, &TWaveParam::Speed},
                                                                 {period_, &TWaveParam::Period},
                                                                 {jitter_, &TWaveParam::Jitter}};
  for (const auto& [box, field] : numbers) {
    connect(box, &QSpinBox::valueChanged, this, [this, field](int v) {
      Commit([&](SceneSettings& s) { s.waves[static_cast<size_t>(region_ - 1)].*field = v; });
    });
  }
  connect(style_, &QComboBox::currentIndexChanged, this,
          [this](int v) { Commit([&](SceneSettings& s) { s.waves[static_cast<size_t>(region_ - 1)].Style = v; }); });
  const std::pair<QCheckBox*, uint8_t TWaveParam::*> flags[] = {{sway_, &TWaveParam::Sway},
                                                                {perspective_, &TWaveParam::Perspective},
                                                                {reflection_, &TWaveParam::Reflection},
                                                                {animated_, &TWaveParam::Animated}};
  for (const auto& [box, field] : flags) {
    connect(box, &QCheckBox::toggled, this, [this, field](bool on) {
      Commit([&](SceneSettings& s) { s.waves[static_cast<size_t>(region_ - 1)].*field = on ? 1 : 0; });
    });
  }
  return page;
}

QWidget* SettingsPanels::BuildWeatherTab() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  weatherKind_ = new QComboBox;
  weatherKind_->addItems({tr("None"), tr("Snow"), tr("Rain")});
  weatherCount_ = Spin(0, 1000);
  weatherSpeed_ = Spin(0, 20);
  weatherSize_ = Spin(0, 360);
  weatherStreak_ = Spin(0, 100);
  weatherOpacity_ = Spin(0, 10);
  form->addRow(tr("Weather"), weatherKind_);
  form->addRow(tr("Flakes or drops"), weatherCount_);
  form->addRow(tr("Speed (0-20)"), weatherSpeed_);
  form->addRow(tr("Flake size (snow) or wind angle (rain, 90 = straight down)"), weatherSize_);
  form->addRow(tr("Streak length (rain, tenths)"), weatherStreak_);
  form->addRow(tr("Opacity (1-10; 0 = the default)"), weatherOpacity_);
  connect(weatherKind_, &QComboBox::currentIndexChanged, this,
          [this](int v) { Commit([&](SceneSettings& s) { s.weather.Kind = v; }); });
  const std::pair<QSpinBox*, int32_t TWeatherParam::*> numbers[] = {{weatherCount_, &TWeatherParam::Count},
                                                                    {weatherSpeed_, &TWeatherParam::SpeedIndex},
                                                                    {weatherSize_, &TWeatherParam::SizeOrWind},
                                                                    {weatherStreak_, &TWeatherParam::StreakLength},
                                                                    {weatherOpacity_, &TWeatherParam::Opacity}};
  for (const auto& [box, field] : numbers) {
    connect(box, &QSpinBox::valueChanged, this, [this, field](int v) { Commit([&](SceneSettings& s) { s.weather.*field = v; }); });
  }
  return page;
}

QWidget* SettingsPanels::BuildSoundsTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  sounds_ = new QTableWidget(kSoundSlotCount, kSoundColumns);
  sounds_->setHorizontalHeaderLabels({tr("Sound file"), "", tr("Mode"), tr("Min s"), tr("Max s"), ""});
  sounds_->horizontalHeader()->setSectionResizeMode(kFile, QHeaderView::Stretch);
  for (int row = 0; row < kSoundSlotCount; ++row) {
    auto* file = new QLineEdit;
    auto* browse = new QPushButton(tr("…"));
    auto* mode = new QComboBox;
    mode->addItems({tr("Looped"), tr("Random interval"), tr("Fixed interval")});
    auto* minTime = Spin(0, 86400);
    auto* maxTime = Spin(0, 86400);
    auto* play = new QPushButton(tr("Play"));
    sounds_->setCellWidget(row, kFile, file);
    sounds_->setCellWidget(row, kBrowse, browse);
    sounds_->setCellWidget(row, kMode, mode);
    sounds_->setCellWidget(row, kMin, minTime);
    sounds_->setCellWidget(row, kMax, maxTime);
    sounds_->setCellWidget(row, kPlay, play);
    auto slot = [row](SceneSettings& s) -> TSoundSlot& { return s.sounds[static_cast<size_t>(row)]; };
    connect(file, &QLineEdit::editingFinished, this,
            [this, file, slot] { Commit([&](SceneSettings& s) { slot(s).SetFileName(ToLatin1(file->text())); }); });
    connect(browse, &QPushButton::clicked, this, [this, file, slot] {
      const QString path = QFileDialog::getOpenFileName(this, tr("Sound"), {}, tr("Sounds (*.wav);;All files (*)"));
      if (path.isEmpty()) return;
      file->setText(path);
      Commit([&](SceneSettings& s) { slot(s).SetFileName(ToLatin1(path)); });
    });
    connect(mode, &QComboBox::currentIndexChanged, this, [this, slot](int v) { Commit([&](SceneSettings& s) { slot(s).Mode = v; }); });
    connect(minTime, &QSpinBox::valueChanged, this, [this, slot](int v) { Commit([&](SceneSettings& s) { slot(s).MinTime = v; }); });
    connect(maxTime, &QSpinBox::valueChanged, this, [this, slot](int v) { Commit([&](SceneSettings& s) { slot(s).MaxTime = v; }); });
    connect(play, &QPushButton::clicked, this, [this, row] { PlaySound(row); });
  }
  layout->addWidget(sounds_);
  auto* note = new QLabel(tr("The show plays the slots from the first one up to the first empty slot."));
  note->setWordWrap(true);
  layout->addWidget(note);
  return page;
}

void SettingsPanels::PlaySound(int slot) {
  const std::string name = document_.Settings().sounds[static_cast<size_t>(slot)].FileName();
  if (name.empty()) return;
  try {
    if (!audio_) audio_ = std::make_unique<SdlAudioService>();
    audio_->StopSimple();
    audio_->PlaySimple(ReadWaveFile(name), false);
  } catch (const std::exception& e) {
    QMessageBox::warning(this, tr("Play sound"), tr("Cannot play %1:\n%2").arg(FromLatin1(name), QString::fromUtf8(e.what())));
  }
}

QWidget* SettingsPanels::BuildObjectsTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  objects_ = new QListWidget;
  layout->addWidget(objects_);
  auto* buttons = new QHBoxLayout;
  const std::pair<const char*, QString> kinds[] = {{"TXT", tr("Add text")}, {"IMG", tr("Add image")}, {"GIF", tr("Add GIF")}};
  for (const auto& [type, label] : kinds) {
    auto* add = new QPushButton(label);
    buttons->addWidget(add);
    const std::string kind = type;
    connect(add, &QPushButton::clicked, this, [this, kind] {
      if (!document_.HasPicture()) return;
      SceneObject object = NewSceneObject(kind, document_.Picture().Width() / 2, document_.Picture().Height() / 2);
      if (kind != "TXT") {
        const QString file = QFileDialog::getOpenFileName(this, tr("Object picture"), {},
                                                          kind == "GIF" ? tr("GIF (*.gif)") : tr("Pictures (*.png *.gif *.jpg *.jpeg *.bmp)"));
        if (file.isEmpty()) return;
        object.Set("Filename", ToLatin1(file));
      }
      Commit([&](SceneSettings& s) { s.objects.push_back(object); });
      objects_->setCurrentRow(objects_->count() - 1);
    });
  }
  auto* remove = new QPushButton(tr("Remove"));
  buttons->addWidget(remove);
  connect(remove, &QPushButton::clicked, this, [this] {
    const int i = SelectedObject();
    if (i < 0) return;
    Commit([&](SceneSettings& s) { s.objects.erase(s.objects.begin() + i); });
  });
  layout->addLayout(buttons);
  layout->addWidget(new QLabel(tr("Text of a text object (drag on the preview to place the selected object):")));
  objectText_ = new QPlainTextEdit;
  objectText_->setMaximumHeight(60);
  layout->addWidget(objectText_);
  objectKeys_ = new QTableWidget(0, 2);
  objectKeys_->setHorizontalHeaderLabels({tr("Key"), tr("Value")});
  objectKeys_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  layout->addWidget(objectKeys_, 1);

  connect(objects_, &QListWidget::currentRowChanged, this, [this] { ShowObject(); });
  // Lines are joined with CR LF, as the show splits them.
  connect(objectText_, &QPlainTextEdit::textChanged, this, [this] {
    const int i = SelectedObject();
    if (loading_ || i < 0) return;
    std::string text = ToLatin1(objectText_->toPlainText());
    std::string joined;
    for (char c : text) joined += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Commit([&](SceneSettings& s) { s.objects[static_cast<size_t>(i)].SetText(joined); });
  });
  connect(objectKeys_, &QTableWidget::cellChanged, this, [this](int row, int column) {
    const int i = SelectedObject();
    if (loading_ || i < 0 || column != 1) return;
    const std::string key = ToLatin1(objectKeys_->item(row, 0)->text());
    const std::string value = ToLatin1(objectKeys_->item(row, 1)->text());
    Commit([&](SceneSettings& s) { s.objects[static_cast<size_t>(i)].Set(key, value); });
  });
  return page;
}

int SettingsPanels::SelectedObject() const {
  const int i = objects_->currentRow();
  return i >= 0 && i < static_cast<int>(document_.Settings().objects.size()) ? i : -1;
}

void SettingsPanels::PlaceSelectedObject(int x, int y) {
  const int i = SelectedObject();
  if (i < 0) return;
  Commit([&](SceneSettings& s) {
    SceneObject& o = s.objects[static_cast<size_t>(i)];
    o.Set("PosLeftType", "0");
    o.Set("PosTopType", "0");
    o.Set("PosLeft", std::to_string(x));
    o.Set("PosTop", std::to_string(y));
  });
  ShowObject();
}

void SettingsPanels::ShowObject() {
  const bool was = loading_;
  loading_ = true;
  const int i = SelectedObject();
  objectKeys_->setRowCount(0);
  objectText_->clear();
  if (i >= 0) {
    const SceneObject& o = document_.Settings().objects[static_cast<size_t>(i)];
    objectText_->setEnabled(o.type == "TXT");
    std::string text = o.type == "TXT" ? o.Text() : std::string();
    std::string shown;
    for (char c : text)
      if (c != '\r') shown += c;
    objectText_->setPlainText(FromLatin1(shown));
    for (const SceneObjectKey& k : o.keys) {
      if (EqualsIgnoreCase(k.key, "Text")) continue;
      const int row = objectKeys_->rowCount();
      objectKeys_->insertRow(row);
      auto* key = new QTableWidgetItem(FromLatin1(k.key));
      key->setFlags(key->flags() & ~Qt::ItemIsEditable);
      objectKeys_->setItem(row, 0, key);
      objectKeys_->setItem(row, 1, new QTableWidgetItem(FromLatin1(k.value)));
    }
  }
  loading_ = was;
}

void SettingsPanels::ShowRegion(int region) {
  region_ = std::clamp(region, 1, 6);
  const bool was = loading_;
  loading_ = true;
  regionBox_->setCurrentIndex(region_ - 1);
  const TWaveParam& w = document_.Settings().waves[static_cast<size_t>(region_ - 1)];
  amplitude_->setValue(w.Amplitude);
  waves_->setValue(w.Waves);
  speed_->setValue(w.Speed);
  style_->setCurrentIndex(std::clamp(w.Style, 0, 5));
  period_->setValue(w.Period);
  jitter_->setValue(w.Jitter);
  sway_->setChecked(w.Sway != 0);
  perspective_->setChecked(w.Perspective != 0);
  reflection_->setChecked(w.Reflection != 0);
  animated_->setChecked(w.Animated != 0);
  loading_ = was;
}

void SettingsPanels::Refresh() {
  loading_ = true;
  const SceneSettings& s = document_.Settings();
  title_->setText(FromLatin1(s.title));
  extraText_->setText(FromLatin1(s.extraText));
  ShowRegion(region_);
  weatherKind_->setCurrentIndex(std::clamp(s.weather.Kind, 0, 2));
  weatherCount_->setValue(s.weather.Count);
  weatherSpeed_->setValue(s.weather.SpeedIndex);
  weatherSize_->setValue(s.weather.SizeOrWind);
  weatherStreak_->setValue(s.weather.StreakLength);
  weatherOpacity_->setValue(s.weather.Opacity);
  for (int row = 0; row < kSoundSlotCount; ++row) {
    const TSoundSlot& slot = s.sounds[static_cast<size_t>(row)];
    static_cast<QLineEdit*>(sounds_->cellWidget(row, kFile))->setText(FromLatin1(slot.FileName()));
    static_cast<QComboBox*>(sounds_->cellWidget(row, kMode))->setCurrentIndex(std::clamp(slot.Mode, 0, 2));
    static_cast<QSpinBox*>(sounds_->cellWidget(row, kMin))->setValue(slot.MinTime);
    static_cast<QSpinBox*>(sounds_->cellWidget(row, kMax))->setValue(slot.MaxTime);
  }
  const int selected = objects_->currentRow();
  objects_->clear();
  for (size_t i = 0; i < s.objects.size(); ++i) {
    const SceneObject& o = s.objects[i];
    const QString kind = o.type == "TXT" ? tr("Text") : o.type == "GIF" ? tr("GIF") : tr("Image");
    const QString what = o.type == "TXT" ? FromLatin1(o.Text()).left(30) : FromLatin1(o.Get("Filename"));
    objects_->addItem(QStringLiteral("%1. %2: %3").arg(i + 1).arg(kind, what));
  }
  objects_->setCurrentRow(std::min(selected, objects_->count() - 1));
  loading_ = false;
  ShowObject();
}

}  // namespace kx::kxscene
