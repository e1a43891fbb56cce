#include "configui/SettingWindow.h"

#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QValidator>

#include "configui/ConfigWindow.h"
#include "configui/SettingValues.h"
#include "platform/MessageBox.h"
#include "project/IniText.h"

namespace kx {
namespace {

constexpr int kPageLeft = 4, kPageTop = 24;

QCheckBox* CheckBox(QWidget* parent, const char* name, const char* caption, int x, int y, int w) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(QString::fromUtf8(name));
  box->setGeometry(x, y, w, 17);
  return box;
}

QComboBox* DropDown(QWidget* parent, const char* name, std::initializer_list<const char*> items, int x, int y) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::fromUtf8(name));
  for (const char* item : items) combo->addItem(QString::fromUtf8(item));
  combo->setGeometry(x, y, 185, 21);
  // The list opens wide enough for its longest item.
  combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 8);
  return combo;
}

QLabel* Caption(QWidget* parent, const char* text, int x, int y) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setGeometry(x, y, 105, 17);
  return label;
}

// Limits what is typed to three characters; a text set by the program may be longer.
class AtMostThree final : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override { return input.size() <= 3 ? Acceptable : Invalid; }
};

// A label that reports a left click, for the link-styled "Reset".
class LinkLabel final : public QLabel {
 public:
  LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}
  std::function<void()> OnClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick) OnClick();
  }
};

}  // namespace

QString ToolkitFileFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    filters << parts[i] + " (" + patterns + ")";
  }
  return filters.join(";;");
}

// ---- TSettingPages ----

TSettingPages::TSettingPages(QWidget* parent, const QRect& geometry)
    : QWidget(parent), tabs_(new QTabBar(this)), stack_(new QStackedWidget(this)) {
  tabs_->setDrawBase(false);
  tabs_->setExpanding(false);
  QObject::connect(tabs_, &QTabBar::currentChanged, stack_, &QStackedWidget::setCurrentIndex);
  setGeometry(geometry);
  LayOut();
}

QWidget* TSettingPages::AddPage(const QString& caption) {
  auto* page = new QWidget(stack_);
  stack_->addWidget(page);
  tabs_->addTab(caption);
  return page;
}

void TSettingPages::SetCurrentPage(int index) { tabs_->setCurrentIndex(index); }

void TSettingPages::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

void TSettingPages::LayOut() {
  tabs_->setGeometry(2, 0, width() - 4, kPageTop - 2);
  stack_->setGeometry(kPageLeft, kPageTop, width() - 2 * kPageLeft, height() - kPageTop - kPageLeft);
}

void TSettingPages::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionTabWidgetFrame frame;
  frame.initFrom(this);
  frame.rect = QRect(0, kPageTop - 3, width(), height() - (kPageTop - 3));
  frame.shape = QTabBar::RoundedNorth;
  frame.tabBarSize = tabs_->sizeHint();
  frame.tabBarRect = tabs_->geometry();
  painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

// ---- TUpDown ----

TUpDown::TUpDown(QWidget* parent, QLineEdit* associate)
    : QWidget(parent), associate_(associate), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up_, down_}) {
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
  }
  QObject::connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
  QObject::connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
  associate_->installEventFilter(this);
}

void TUpDown::SetPosition(int position) {
  position_ = position;
  associate_->setText(QString::number(position));
}

void TUpDown::Step(int delta) {
  if (const auto typed = ParseInteger(associate_->text().toStdString())) position_ = *typed;
  const int64_t next = static_cast<int64_t>(position_) + delta;
  SetPosition(static_cast<int>(std::clamp<int64_t>(next, Min, Max)));
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == associate_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? +1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int half = height() / 2;
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
}

// ---- TfmSettingWindow ----

TfmSettingWindow::TfmSettingWindow(QWidget* owner) : QDialog(owner) {
  setObjectName("fmSettingWindow");
  setWindowTitle("Settings");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(364, 324);
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  setFont(font);

  PageControl1 = new TSettingPages(this, QRect(8, 8, 345, 273));
  PageControl1->setObjectName("PageControl1");
  TabSheet1 = PageControl1->AddPage("General Settings");
  TabSheet2 = PageControl1->AddPage("Background Music");
  TabSheet1->setObjectName("TabSheet1");
  TabSheet2->setObjectName("TabSheet2");

  QWidget* g = TabSheet1;
  cbMusic = CheckBox(g, "cbMusic", "Enable Music", 29, 14, 105);
  cbSound = CheckBox(g, "cbSound", "Enable Sound Effects", 142, 14, 160);
  // The settings keep their stored names DirectX and DirectXQuality; what they switch here is
  // scaled rendering: scenes drawn at 1024 x 768, 800 x 600 or 640 x 480 and scaled to the screen.
  cbDirectX = CheckBox(g, "cbDirectX", "Scaled Rendering (Faster Animation)", 29, 40, 260);
  Caption(g, "Scaled Size", 29, 70);
  cbImageQuality = DropDown(g, "cbImageQuality", {"Highest (Slower)", "Normal ", "Low (Faster)"}, 141, 67);
  Caption(g, "Image Size", 29, 100);
  cbImageSize = DropDown(g, "cbImageSize", {"Original Size", "Stretch-Full", "Stretch-Proportional"}, 141, 97);
  Caption(g, "Show Image", 29, 130);
  cbShowImageMode = DropDown(g, "cbShowImageMode",
                             {"All images - Random", "All images - Sequential",
                              "User's favorite (checked images) - Random", "Single - Selected Image"},
                             141, 127);
  Caption(g, "Image Duration", 29, 160);
  txtDuration = new QLineEdit(g);
  txtDuration->setObjectName("txtDuration");
  txtDuration->setGeometry(140, 157, 41, 21);
  txtDuration->setValidator(new AtMostThree(txtDuration));
  txtDuration->setText("10");
  UpDown1 = new TUpDown(g, txtDuration);
  UpDown1->setObjectName("UpDown1");
  UpDown1->setGeometry(181, 157, 16, 21);
  UpDown1->SetPosition(10);
  auto* seconds = new QLabel("seconds", g);
  seconds->setGeometry(203, 160, 60, 17);
  Caption(g, "Animation Speed", 29, 192);
  tbSpeed = new QSlider(Qt::Horizontal, g);
  tbSpeed->setObjectName("tbSpeed");
  tbSpeed->setGeometry(136, 189, 190, 24);
  tbSpeed->setTickPosition(QSlider::NoTicks);
  tbSpeed->setRange(0, 20);
  tbSpeed->setPageStep(3);
  tbSpeed->setValue(10);
  cbShowClock = CheckBox(g, "cbShowClock", "Show Clock", 30, 218, 100);
  cbClockPos = DropDown(g, "cbClockPos", {"Top Left", "Top Right", "Bottom Left", "Bottom Right"}, 141, 216);

  QWidget* m = TabSheet2;
  cbCustomMusic = CheckBox(m, "cbCustomMusic", "Use Custom Music", 7, 7, 125);
  cbShuffleMusic = CheckBox(m, "cbShuffleMusic", "Shuffle Playlist", 137, 7, 125);
  lstMusic = new QTableWidget(0, 1, m);
  lstMusic->setObjectName("lstMusic");
  lstMusic->setGeometry(7, 32, 324, 180);
  lstMusic->setHorizontalHeaderLabels({"File"});
  lstMusic->horizontalHeader()->setStretchLastSection(true);
  lstMusic->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  lstMusic->verticalHeader()->hide();
  lstMusic->setShowGrid(true);
  lstMusic->setSelectionBehavior(QAbstractItemView::SelectRows);
  lstMusic->setSelectionMode(QAbstractItemView::SingleSelection);
  lstMusic->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lstMusic->verticalHeader()->setDefaultSectionSize(17);
  Button3 = new QPushButton("Add", m);
  Button3->setObjectName("Button3");
  Button3->setGeometry(8, 219, 38, 21);
  Button4 = new QPushButton("Remove", m);
  Button4->setObjectName("Button4");
  Button4->setGeometry(50, 219, 49, 21);

  // Below the client area: never seen, but they hold their values.
  GroupBox1 = new QGroupBox("Play Mode", this);
  GroupBox1->setObjectName("GroupBox1");
  GroupBox1->setGeometry(13, 334, 337, 49);
  auto* reset = new LinkLabel("Reset", GroupBox1);
  reset->OnClick = [this] { Label3Click(); };
  Label3 = reset;
  Label3->setObjectName("Label3");
  Label3->setGeometry(290, 20, 40, 17);
  Label3->setStyleSheet("color: blue; text-decoration: underline;");
  Label3->setCursor(Qt::PointingHandCursor);
  cbTransition = CheckBox(this, "cbTransition", "Enable Transition", 22, 341, 130);
  cbTransition->setChecked(true);

  Button1 = new QPushButton("OK", this);
  Button1->setObjectName("Button1");
  Button1->setGeometry(198, 289, 75, 25);
  Button1->setDefault(true);
  Button2 = new QPushButton("Cancel", this);
  Button2->setObjectName("Button2");
  Button2->setGeometry(278, 289, 75, 25);

  QObject::connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  QObject::connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
  QObject::connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  QObject::connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });

  ChooseMusicFile = [](QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setNameFilter(ToolkitFileFilter(kMusicFileFilter));
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::string();
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
  };
}

void TfmSettingWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  if (QScreen* s = screen()) {
    const QRect area = s->availableGeometry();
    move(area.left() + (area.width() - frameGeometry().width()) / 2,
         area.top() + (area.height() - frameGeometry().height()) / 2);
  }
  FormShow();
}

void TfmSettingWindow::AddMusicRow(const std::string& path) {
  const int row = lstMusic->rowCount();
  lstMusic->insertRow(row);
  const QByteArray bytes = QByteArray::fromStdString(path);
  auto* item = new QTableWidgetItem(QFile::decodeName(bytes));
  item->setData(Qt::UserRole, bytes);
  lstMusic->setItem(row, 0, item);
}

void TfmSettingWindow::FormShow() {
  lstMusic->setRowCount(0);
  for (const auto& path : MusicList) AddMusicRow(path);
}

void TfmSettingWindow::Button1Click() {
  MusicList.clear();
  for (int row = 0; row < lstMusic->rowCount(); ++row)
    if (const QTableWidgetItem* item = lstMusic->item(row, 0))
      MusicList.push_back(item->data(Qt::UserRole).toByteArray().toStdString());
  accept();
}

void TfmSettingWindow::Button3Click() {
  if (!ChooseMusicFile) return;
  const std::string path = ChooseMusicFile(this);
  if (!path.empty()) AddMusicRow(path);
}

void TfmSettingWindow::Button4Click() {
  const QList<QTableWidgetItem*> selected = lstMusic->selectedItems();
  if (selected.isEmpty()) return;
  lstMusic->removeRow(selected.front()->row());
}

void TfmSettingWindow::Label3Click() { tbSpeed->setValue(10); }

void TfmSettingWindow::SetValues(const UserSettingValues& v) {
  cbImageSize->setCurrentIndex(v.ImageSize);
  cbShowImageMode->setCurrentIndex(v.ImageMode);
  cbImageQuality->setCurrentIndex(v.DirectXQuality);
  cbClockPos->setCurrentIndex(v.ClockPos);
  tbSpeed->setValue(v.Speed);
  cbSound->setChecked(v.Sound);
  cbMusic->setChecked(v.Music);
  cbTransition->setChecked(v.Transition);
  cbDirectX->setChecked(v.DirectX);
  cbCustomMusic->setChecked(v.CustomMusic);
  cbShuffleMusic->setChecked(v.ShuffleMusic);
  cbShowClock->setChecked(v.ShowClock);
  UpDown1->SetPosition(v.Duration);
}

bool TfmSettingWindow::GetValues(UserSettingValues& v, std::string& error) const {
  const auto duration = ParseDurationText(txtDuration->text().toStdString(), error);
  if (!duration) return false;
  v.ImageSize = cbImageSize->currentIndex();
  v.ImageMode = cbShowImageMode->currentIndex();
  v.Speed = tbSpeed->value();
  v.Sound = cbSound->isChecked();
  v.Music = cbMusic->isChecked();
  v.Transition = cbTransition->isChecked();
  v.Duration = *duration;
  v.DirectX = cbDirectX->isChecked();
  v.DirectXQuality = cbImageQuality->currentIndex();
  v.CustomMusic = cbCustomMusic->isChecked();
  v.ShuffleMusic = cbShuffleMusic->isChecked();
  v.ShowClock = cbShowClock->isChecked();
  v.ClockPos = cbClockPos->currentIndex();
  return true;
}

void RunSettingDialog(QWidget* owner, const TKXCProject& project, const UserSettingsFile* settings,
                      MessageBoxService* messages) {
  auto* dialog = new TfmSettingWindow(owner);
  const SettingDialogValues read = ReadSettingDialogValues(project, settings);
  dialog->MusicList = read.musicList;
  const bool inUse = settings != nullptr && settings->InUse();
  dialog->Button1->setEnabled(inUse);
  dialog->SetValues(read.values);
  const bool ok = dialog->exec() == QDialog::Accepted;
  if (owner == nullptr) dialog->deleteLater();
  if (!ok || !inUse) return;
  UserSettingValues values;
  std::string error;
  if (!dialog->GetValues(values, error)) {
    if (messages != nullptr) messages->Show(MessageKind::Error, ApplicationTitle(), error);
    return;
  }
  if (!settings->WriteSettings(values, dialog->MusicList) && messages != nullptr)
    messages->Show(MessageKind::Error, ApplicationTitle(), "Cannot write the settings file " + settings->Path());
}

}  // namespace kx
