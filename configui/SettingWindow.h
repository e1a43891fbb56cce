#pragma once
// TfmSettingWindow: the settings dialog that the "Open setting" action of a skin opens. It
// is built here, not taken from the skin: a fixed dialog "Settings" of 364 x 324 with two
// pages, "General Settings" and "Background Music", and OK and Cancel.
//
// Every control stands at a fixed position in its page (the pages' client areas start at
// (12, 32) of the dialog). Two more controls lie below the client area, where they are never
// seen: cbTransition, which carries the Transition setting through the dialog unchanged, and
// the group "Play Mode" with the link "Reset" (Label3Click sets the speed slider to 10).
//
// The duration box takes at most 3 typed characters, and its arrows step its number within
// 10 .. 999; a value set from the settings is shown as it is, also outside that range. The
// music list keeps each file's path as bytes, exactly as it will be written.
//
// RunSettingDialog is the action: it reads the values (SettingValues.h), shows the dialog
// modally with OK enabled only while the settings are in use, and on OK writes the controls'
// values and the music list to the user settings file. A duration text that is not a number
// is reported in an error box with the conversion's own text, and nothing is written.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableWidget>
#include <QToolButton>

#include <functional>
#include <string>
#include <vector>

#include "project/KXCProject.h"
#include "project/UserSettings.h"

namespace kx {

class MessageBoxService;

// The filter of the music file dialog, as the program gives it.
inline constexpr const char* kMusicFileFilter = "Music Files|*.mp3;*.wma;*.mid;*.wav";
// "Name|*.a;*.b" as the toolkit writes it: "Name (*.a *.b)"; pairs separated by "|" become
// separate filters (";;").
QString ToolkitFileFilter(const std::string& filter);

// A page control whose pages have a fixed client area: the tab bar above, each page at
// (4, 24) of the control and 8 x 28 smaller than it.
class TSettingPages : public QWidget {
 public:
  TSettingPages(QWidget* parent, const QRect& geometry);
  QWidget* AddPage(const QString& caption);
  void SetCurrentPage(int index);
  int CurrentPage() const { return stack_->currentIndex(); }
  QTabBar* Tabs() const { return tabs_; }
  QWidget* Page(int index) const { return stack_->widget(index); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void LayOut();
  QTabBar* tabs_;
  QStackedWidget* stack_;
};

// Up and down arrows that step the number of a text box within Min .. Max. An arrow takes
// the box's number when it holds one (else the last position), steps it by one and clamps
// it; Up and Down keys in the box do the same.
class TUpDown : public QWidget {
 public:
  TUpDown(QWidget* parent, QLineEdit* associate);
  int Min = 10;
  int Max = 999;
  int Position() const { return position_; }
  // Shows the value in the box as it is, even outside Min .. Max.
  void SetPosition(int position);
  void Step(int delta);
  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLineEdit* associate_;
  QToolButton* up_;
  QToolButton* down_;
  int position_ = 10;
};

class TfmSettingWindow : public QDialog {
 public:
  explicit TfmSettingWindow(QWidget* owner = nullptr);

  // The published handlers.
  void FormShow();     // fills lstMusic from MusicList
  void Button1Click(); // OK: MusicList becomes the rows of lstMusic, in order
  void Button3Click(); // Add: a chosen file becomes a new last row
  void Button4Click(); // Remove: deletes the selected row, if any
  void Label3Click();  // Reset: the speed slider to 10

  std::vector<std::string> MusicList;

  // Sets the controls from values (combo indexes outside their lists leave them empty).
  void SetValues(const UserSettingValues& values);
  // The controls' values; false with the conversion's message when the duration text is
  // not a number.
  bool GetValues(UserSettingValues& values, std::string& error) const;

  // Asks for one existing music file; "" when none was chosen. Tests replace it.
  std::function<std::string(QWidget* parent)> ChooseMusicFile;

  TSettingPages* PageControl1;
  QWidget* TabSheet1;
  QWidget* TabSheet2;
  QCheckBox* cbMusic;
  QCheckBox* cbSound;
  QCheckBox* cbDirectX;
  QComboBox* cbImageQuality;
  QComboBox* cbImageSize;
  QComboBox* cbShowImageMode;
  QLineEdit* txtDuration;
  TUpDown* UpDown1;
  QSlider* tbSpeed;
  QCheckBox* cbShowClock;
  QComboBox* cbClockPos;
  QCheckBox* cbCustomMusic;
  QCheckBox* cbShuffleMusic;
  QTableWidget* lstMusic;
  QPushButton* Button1;  // OK
  QPushButton* Button2;  // Cancel
  QPushButton* Button3;  // Add
  QPushButton* Button4;  // Remove
  QCheckBox* cbTransition;
  QGroupBox* GroupBox1;  // "Play Mode"
  QLabel* Label3;        // "Reset"

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void AddMusicRow(const std::string& path);
  bool shown_ = false;
};

// The "Open setting" action. The dialog is made as a child of `owner`, which frees it when
// it goes. `settings` may be null (nothing read or written); `messages` may be null (no box).
void RunSettingDialog(QWidget* owner, const TKXCProject& project, const UserSettingsFile* settings,
                      MessageBoxService* messages);

}  // namespace kx
