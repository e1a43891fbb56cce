#pragma once
// The configuration window: a skin form built as a modal window, its show and close
// handlers, the current picture, and the runner that shows such a window.
//
// A window owns every object made from its text; `Components` lists them in text order
// (depth first), the order in which the show handler walks them. A control is shown only when
// bit 0 of its Tag is set (tab sheets and timers excepted). Clicks on labels, images
// (previews too), shapes of class TMyShape, panels, bevels, bitmap buttons and picture buttons
// run the action the skin binds to the control's name (RunAction).
//
// The user settings file is read and written only while it is "in use" (UserSettings.h);
// without a settings file service nothing is read or written at all.
#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "configui/KXForms.h"
#include "configui/SkinClasses.h"
#include "platform/DesktopService.h"
#include "platform/MessageBox.h"
#include "project/KXCProject.h"
#include "project/UserSettings.h"

namespace kx {

class TfmKXCOnfigWindow;

// What the windows of one run share besides the skin and the project.
struct ConfigServices {
  MessageBoxService* messages = nullptr;        // error boxes and questions; may be null in tests
  const UserSettingsFile* settings = nullptr;   // null: the settings are not in use
  std::string exePath;                          // the program file as started (long, absolute)
  std::string firstArgument;                    // as typed; "" when there is none
  // Opens an address or file with the desktop's handler; empty: the desktop services.
  std::function<void(const std::string&)> openUrl;
  // Plays one item full-screen and returns when the user has ended it; nothing happens
  // while it is not given.
  std::function<void(TfmKXCOnfigWindow&, const std::string& path)> previewItem;
  // Sets the wallpaper file as the desktop's wallpaper; null: the file is written only.
  DesktopService* desktop = nullptr;

  bool SettingsInUse() const { return settings != nullptr && settings->InUse(); }
};

// The question of the "Set as a Wallpaper" action.
inline constexpr const char* kWallpaperQuestion =
    "You are about to set the selected picture as wallpaper.\r\nDo you want to proceed?";

// One object made from the window's text.
struct SkinComponent {
  std::string Name;
  SkinClass Class;
  QObject* Object;   // the control (a QWidget), or the timer
  QWidget* Parent;   // the control of the enclosing block; null for a timer
  int Tag = 0;
  QWidget* Widget() const { return Class == SkinClass::Timer ? nullptr : static_cast<QWidget*>(Object); }
};

class TfmKXCOnfigWindow : public QDialog {
 public:
  explicit TfmKXCOnfigWindow(QWidget* parent = nullptr);
  ~TfmKXCOnfigWindow() override;

  // The form name ("MainWindow").
  std::string Name() const { return objectName().toStdString(); }

  int CurrentIndex = 0;
  bool SaveOnClose = false;
  const TKXForms* Forms = nullptr;
  TKXCProject* Project = nullptr;
  ConfigServices* Services = nullptr;
  std::vector<SkinComponent> Components;

  // The frame properties of skin windows.
  bool NoFrame = false;
  bool Sizeable = false;
  bool ShowButtons = false;
  bool MinimizeButton = false;
  bool MaximizeButton = false;
  bool MaximizeOnShow = false;

  // Sets the current picture (clamped to the file list; 0 with none) and shows it in the
  // previews. A picture that fails to load is reported in an error box; the window stays.
  void SelectPicture(int index);
  // The click handler of clickable controls: runs the action bound to the sender's name.
  void RunAction(QObject* sender);
  // "Set as a Wallpaper": asks first; on Yes writes the current picture as the wallpaper
  // file next to the program and hands it to the desktop. With no pictures Yes does nothing.
  // A picture that cannot be read, a file that cannot be written and a desktop that cannot
  // be told are reported in an error box.
  void SetAsWallpaper();
  // The show and close handlers; Qt calls them when the window is first shown and whenever it
  // is asked to close.
  void FormShow();
  void FormClose();

  // The first component with this name (letter case ignored), or null.
  const SkinComponent* FindComponent(const std::string& name) const;
  const SkinComponent* FindComponent(const QObject* object) const;

  // The control that gets the focus when the window shows (the skin's ActiveControl).
  QWidget* ActiveControl = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // True when a typed character clicked a picture button through its accelerator.
  bool RunAccelerator(QKeyEvent* event);
  void ShowPictureInPreviews();
  void SetVisibilityFromTags();
  void ReportError(const std::string& text);
  bool shown_ = false;
  bool closed_ = false;
  bool inShowHandler_ = false;
};

// Builds the named form of the skin as a window, not yet shown. Raises a SkinError that names
// the form and the line when the form is missing or its text cannot be built.
std::unique_ptr<TfmKXCOnfigWindow> CreateSkinWindow(const TKXForms& forms, const TKXCProject& project,
                                                    const std::string& name, QWidget* parent = nullptr);
// Replaces the placeholders in the window's caption and in the texts of the labels, bitmap
// buttons, picture buttons and memos that lie on the window itself or on its panels (to any
// depth); no other container is entered.
void ApplyPlaceholdersToControls(TfmKXCOnfigWindow& window, const TKXCProject& project);

// Builds the named window, adjusts the project from the user settings, shows the window
// modally and frees it when it closes. Raises a SkinError when the window cannot be built.
void ShowSkinWindow(const TKXForms& forms, TKXCProject& project, const std::string& name, bool saveOnClose,
                    ConfigServices& services, QWidget* parent = nullptr);

// The configuration mode: loads the skin named by the project's UIFile and shows its form
// "MainWindow", saving on close. A skin that cannot be read or built is reported in an error
// box with the error's own text, and the mode ends normally. "Preview selected file" plays
// the item in the saver window, and the wallpaper goes to this session's desktop.
void RunConfigWindow(TKXCProject& project, const std::string& exeLongPath, const std::string& firstArgument,
                     MessageBoxService& messages);

// The application title: the text of message boxes and of the taskbar.
std::string ApplicationTitle();

}  // namespace kx
