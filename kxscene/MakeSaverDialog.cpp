#include "kxscene/MakeSaverDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kx::kxscene {

std::string SiblingProgram(const char* name) {
  return (QCoreApplication::applicationDirPath() + "/" + QString::fromUtf8(name)).toStdString();
}

MakeSaverDialog::MakeSaverDialog(const std::string& firstItem, QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Make a screensaver"));
  auto* layout = new QVBoxLayout(this);
  auto* itemsRow = new QHBoxLayout;
  items_ = new QListWidget;
  items_->setDragDropMode(QAbstractItemView::InternalMove);  // reorder by dragging too
  itemsRow->addWidget(items_, 1);
  auto* itemButtons = new QVBoxLayout;
  auto* add = new QPushButton(tr("Add…"));
  auto* remove = new QPushButton(tr("Remove"));
  auto* up = new QPushButton(tr("Up"));
  auto* down = new QPushButton(tr("Down"));
  for (QPushButton* b : {add, remove, up, down}) itemButtons->addWidget(b);
  itemButtons->addStretch();
  itemsRow->addLayout(itemButtons);
  layout->addWidget(new QLabel(tr("Items, in the order the show plays them:")));
  layout->addLayout(itemsRow);
  connect(add, &QPushButton::clicked, this, [this] {
    const QStringList files = QFileDialog::getOpenFileNames(
        this, tr("Add items"), {}, tr("Scenes and photos (*.kxp *.jpg *.jpeg *.png *.gif *.bmp);;All files (*)"));
    for (const QString& f : files) AddItem(f);
  });
  connect(remove, &QPushButton::clicked, this, [this] { delete items_->currentItem(); });
  auto move = [this](int by) {
    const int row = items_->currentRow();
    if (row < 0 || row + by < 0 || row + by >= items_->count()) return;
    QListWidgetItem* item = items_->takeItem(row);
    items_->insertItem(row + by, item);
    items_->setCurrentRow(row + by);
  };
  connect(up, &QPushButton::clicked, this, [move] { move(-1); });
  connect(down, &QPushButton::clicked, this, [move] { move(1); });

  auto* form = new QFormLayout;
  name_ = new QLineEdit(tr("My scenes"));
  duration_ = new QSpinBox;
  duration_->setRange(1, 3600);
  duration_->setValue(20);
  duration_->setSuffix(tr(" s"));
  transition_ = new QSpinBox;
  transition_->setRange(0, 20000);
  transition_->setValue(2000);
  transition_->setSuffix(tr(" ms"));
  stretch_ = new QCheckBox(tr("Fit the items to the screen"));
  stretch_->setChecked(true);
  clock_ = new QCheckBox(tr("Show the clock"));
  music_ = new QLineEdit;
  auto* musicBrowse = new QPushButton(tr("…"));
  auto* musicRow = new QHBoxLayout;
  musicRow->addWidget(music_);
  musicRow->addWidget(musicBrowse);
  out_ = new QLineEdit;
  auto* outBrowse = new QPushButton(tr("…"));
  auto* outRow = new QHBoxLayout;
  outRow->addWidget(out_);
  outRow->addWidget(outBrowse);
  install_ = new QCheckBox(tr("Install as my screensaver"));
  form->addRow(tr("Name"), name_);
  form->addRow(tr("Time per item"), duration_);
  form->addRow(tr("Change between items"), transition_);
  form->addRow(stretch_);
  form->addRow(clock_);
  form->addRow(tr("Music"), musicRow);
  form->addRow(tr("Write to"), outRow);
  form->addRow(install_);
  layout->addLayout(form);
  connect(musicBrowse, &QPushButton::clicked, this, [this] {
    const QString f = QFileDialog::getOpenFileName(this, tr("Music"), {}, tr("Music (*.mp3 *.ogg *.wav *.mid);;All files (*)"));
    if (!f.isEmpty()) music_->setText(f);
  });
  connect(outBrowse, &QPushButton::clicked, this, [this] {
    const QString f = QFileDialog::getSaveFileName(this, tr("Write the screensaver"), out_->text(), tr("Screensavers (*.scr)"));
    if (!f.isEmpty()) SetOutPath(f);
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
  QPushButton* make = buttons->addButton(tr("Make"), QDialogButtonBox::AcceptRole);
  make->setObjectName("make");
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(make, &QPushButton::clicked, this, [this] {
    if (Make()) accept();
  });
  layout->addWidget(buttons);
  if (!firstItem.empty()) {
    AddItem(QString::fromStdString(firstItem));
    SetOutPath(QFileInfo(QString::fromStdString(firstItem)).absolutePath() + "/" +
               QFileInfo(QString::fromStdString(firstItem)).completeBaseName() + ".scr");
  }
}

void MakeSaverDialog::AddItem(const QString& path) { items_->addItem(path); }
void MakeSaverDialog::SetOutPath(const QString& path) { out_->setText(path); }

SaverChoices MakeSaverDialog::Choices() const {
  SaverChoices c;
  for (int i = 0; i < items_->count(); ++i) c.items.push_back(items_->item(i)->text().toStdString());
  c.productName = name_->text().toStdString();
  c.durationSeconds = duration_->value();
  c.transitionMs = transition_->value();
  c.stretch = stretch_->isChecked();
  c.showClock = clock_->isChecked();
  c.musicFile = music_->text().toStdString();
  c.outPath = out_->text().toStdString();
  return c;
}

bool MakeSaverDialog::Make() {
  QProgressDialog progress(tr("Writing the screensaver…"), QString(), 0, 100, this);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  std::string error;
  const SaverChoices choices = Choices();
  const bool made = MakeScreensaver(choices, SiblingProgram("kxsaver"), error, [&](int percent) {
    progress.setValue(percent);
    QCoreApplication::processEvents();
  });
  progress.close();
  if (!made) {
    QMessageBox::critical(this, tr("Make a screensaver"), QString::fromStdString(error));
    return false;
  }
  if (!install_->isChecked()) return true;
  QProcess kxpack;
  kxpack.setProcessChannelMode(QProcess::MergedChannels);
  kxpack.start(QString::fromStdString(SiblingProgram("kxpack")),
               {"install", "--user", QString::fromStdString(choices.outPath)});
  const bool ran = kxpack.waitForFinished(60000);
  const QString output = QString::fromLocal8Bit(kxpack.readAll()).trimmed();
  if (!ran || kxpack.exitStatus() != QProcess::NormalExit || kxpack.exitCode() != 0) {
    QMessageBox::critical(this, tr("Install as my screensaver"),
                          tr("The screensaver was written to %1, but installing it failed:\n%2")
                              .arg(out_->text(), output.isEmpty() ? kxpack.errorString() : output));
    return false;
  }
  QMessageBox::information(this, tr("Install as my screensaver"), output.isEmpty() ? tr("Installed.") : output);
  return true;
}

}  // namespace kx::kxscene
