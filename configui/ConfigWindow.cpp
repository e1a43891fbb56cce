#include "configui/ConfigWindow.h"

#include <algorithm>

#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QUrl>

#include "configui/KXPreview.h"
#include "configui/KXThumbnail2.h"
#include "configui/SettingValues.h"
#include "configui/SettingWindow.h"
#include "configui/WallpaperFile.h"
#include "configui/SkinControls.h"
#include "configui/SkinError.h"
#include "configui/WindowText.h"
#include "platform/Files.h"
#include "project/IniText.h"
#include "project/SpeedTable.h"
#include "platform/desktop/LinuxDesktopService.h"
#include "saver/ShowProject.h"
#include "saver/qt/RunSaverWindow.h"

namespace kx {
namespace {

bool EndsWithScr(const std::string& path) {
  const std::string name = FileNamePart(path);
  const auto dot = name.find_last_of('.');
  return dot != std::string::npos && UpperAscii(name.substr(dot)) == ".SCR";
}

// Sets a grid's marks from the [Files] keys: all on, then off for each key that is exactly
// the decimal text of an item's index ("03" matches nothing).
void ReadCheckMarks(TKXThumbnail2& grid, const UserSettingsFile& settings) {
  const int count = grid.ItemCount();
  for (int i = 0; i < count; ++i) grid.SetChecked(i, true);
  for (const std::string& key : settings.ReadExcludedItems()) {
    const auto index = ParseInteger(key);
    if (index && *index >= 0 && *index < count && std::to_string(*index) == key) grid.SetChecked(*index, false);
  }
}

}  // namespace

std::string ApplicationTitle() {
  if (QCoreApplication::instance() == nullptr) return kApplicationTitle;
  return QGuiApplication::applicationDisplayName().toStdString();
}

TfmKXCOnfigWindow::TfmKXCOnfigWindow(QWidget* parent) : QDialog(parent) {}

TfmKXCOnfigWindow::~TfmKXCOnfigWindow() = default;

const SkinComponent* TfmKXCOnfigWindow::FindComponent(const std::string& name) const {
  const std::string upper = UpperAscii(name);
  for (const auto& c : Components)
    if (UpperAscii(c.Name) == upper) return &c;
  return nullptr;
}

const SkinComponent* TfmKXCOnfigWindow::FindComponent(const QObject* object) const {
  for (const auto& c : Components)
    if (c.Object == object) return &c;
  return nullptr;
}

void TfmKXCOnfigWindow::ReportError(const std::string& text) {
  if (Services != nullptr && Services->messages != nullptr) Services->messages->Show(MessageKind::Error, ApplicationTitle(), text);
}

void TfmKXCOnfigWindow::SetVisibilityFromTags() {
  for (const auto& c : Components)
    if (c.Class != SkinClass::TabSheet && c.Class != SkinClass::Timer) c.Widget()->setVisible((c.Tag & 1) != 0);
}

void TfmKXCOnfigWindow::FormShow() {
  inShowHandler_ = true;
  const std::vector<std::string>& names = Project->FileList.Names;
  const int n = static_cast<int>(names.size());
  const bool inUse = Services != nullptr && Services->SettingsInUse();
  if (inUse) {
    const std::string stored = Services->settings->ReadSelectedIndex();
    for (int i = 0; i < n; ++i) {
      if (std::to_string(i) == stored) {
        CurrentIndex = i;
        break;
      }
    }
  }
  for (const auto& c : Components) {
    try {
      switch (c.Class) {
        case SkinClass::Label:
        case SkinClass::MyShape:
        case SkinClass::Panel:
        case SkinClass::MyBevel:
        case SkinClass::Image:
        case SkinClass::Preview:
        case SkinClass::MyButton: {
          QObject* sender = c.Object;
          static_cast<TSkinControl*>(c.Object)->OnClick = [this, sender] { RunAction(sender); };
          break;
        }
        case SkinClass::BitBtn: {
          auto* button = static_cast<TBitBtn*>(c.Object);
          QObject::connect(button, &QPushButton::clicked, this, [this, button] { RunAction(button); });
          break;
        }
        default:
          break;
      }
      if (c.Class == SkinClass::PageControl) {
        if (QWidget* page = static_cast<TPageControl*>(c.Object)->currentWidget()) page->update();
      }
      if (c.Class == SkinClass::Thumbnail) {
        auto* grid = static_cast<TKXThumbnail2*>(c.Object);
        grid->SetMessages(Services != nullptr ? Services->messages : nullptr);
        grid->SetItems(&names);
        if (inUse) ReadCheckMarks(*grid, *Services->settings);
        grid->OnSelectItem = [this](int index) { SelectPicture(index); };
        grid->viewport()->update();
        grid->SelectIndex(CurrentIndex);
      }
      if (c.Class == SkinClass::Preview && n > 0) static_cast<TKXPreview*>(c.Object)->LoadFile(names[0]);
      // Controls that take no typed text pass characters on to the accelerators, as the
      // window itself does; edits and memos keep theirs.
      if (c.Class == SkinClass::Thumbnail || c.Class == SkinClass::Button || c.Class == SkinClass::BitBtn ||
          c.Class == SkinClass::CheckBox || c.Class == SkinClass::PageControl)
        c.Widget()->installEventFilter(this);
      if (c.Class != SkinClass::TabSheet && c.Class != SkinClass::Timer) c.Widget()->setVisible((c.Tag & 1) != 0);
    } catch (...) {
      // One control that cannot be set up stays as the skin made it.
    }
  }
  for (const auto& c : Components) {
    try {
      if (c.Class == SkinClass::Thumbnail) static_cast<TKXThumbnail2*>(c.Object)->viewport()->update();
      if (c.Class == SkinClass::Preview && n > 0) static_cast<TKXPreview*>(c.Object)->LoadFile(names[static_cast<size_t>(CurrentIndex)]);
    } catch (...) {
    }
  }
  SetVisibilityFromTags();
  SelectPicture(CurrentIndex);
  inShowHandler_ = false;
}

void TfmKXCOnfigWindow::SelectPicture(int index) {
  const int n = Project == nullptr ? 0 : Project->FileList.Count();
  if (index >= n) index = n - 1;
  if (index < 0) index = 0;
  CurrentIndex = index;
  if (n == 0) return;
  const std::string& path = Project->FileList.Names[static_cast<size_t>(CurrentIndex)];
  for (const auto& c : Components) {
    if (c.Class != SkinClass::Preview) continue;
    try {
      static_cast<TKXPreview*>(c.Object)->LoadFile(path);
    } catch (const std::exception& e) {
      if (!inShowHandler_) {
        ReportError(e.what());
        return;
      }
    }
  }
}

void TfmKXCOnfigWindow::RunAction(QObject* sender) {
  try {
    if (Forms == nullptr || Project == nullptr) return;
    const TKXForm& form = Forms->FindForm(Name());
    const SkinComponent* component = FindComponent(sender);
    const std::string name = component != nullptr ? component->Name : sender->objectName().toStdString();
    const TAction* action = form.Actions.FindAction(name);
    if (action == nullptr) return;
    const std::string p1 = ReplacePlaceholders(action->Param1, *Project);
    const int n = Project->FileList.Count();
    switch (static_cast<ActionKind>(action->Kind)) {
      case ActionKind::OpenUrl: {
        // An unused parameter is a single blank: there is nothing to open. Failures to open
        // are not reported.
        const std::string target = TrimBlanks(p1);
        if (target.empty()) break;
        if (Services != nullptr && Services->openUrl) {
          Services->openUrl(target);
        } else {
          QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(target), QDir::currentPath()));
        }
        break;
      }
      case ActionKind::ShowWindow: {
        static ConfigServices none;
        ShowSkinWindow(*Forms, *Project, p1, true, Services != nullptr ? *Services : none, this);
        break;
      }
      case ActionKind::NextPicture: SelectPicture(CurrentIndex + 1); break;
      case ActionKind::PreviousPicture: SelectPicture(CurrentIndex - 1); break;
      case ActionKind::PreviewSelectedFile:
        if (n > 0 && Services != nullptr && Services->previewItem)
          Services->previewItem(*this, Project->FileList.Names[static_cast<size_t>(CurrentIndex)]);
        break;
      case ActionKind::OpenSetting:
        RunSettingDialog(this, *Project, Services != nullptr ? Services->settings : nullptr,
                         Services != nullptr ? Services->messages : nullptr);
        break;
      case ActionKind::CloseWindow: close(); break;
      case ActionKind::SetAsWallpaper: SetAsWallpaper(); break;
      default:
        break;
    }
  } catch (const std::exception& e) {
    ReportError(e.what());
  }
}

void TfmKXCOnfigWindow::SetAsWallpaper() {
  MessageBoxService* messages = Services != nullptr ? Services->messages : nullptr;
  if (messages == nullptr || !messages->Ask(ApplicationTitle(), kWallpaperQuestion)) return;
  const int n = Project == nullptr ? 0 : Project->FileList.Count();
  if (n == 0) return;
  if (Services->exePath.empty()) {
    ReportError("The wallpaper cannot be written: the program's own path is not known.");
    return;
  }
  const std::string& item = Project->FileList.Names[static_cast<size_t>(std::clamp(CurrentIndex, 0, n - 1))];
  Bitmap32 picture;
  std::string error;
  const std::string bmp = WallpaperPath(Services->exePath);
  if (!LoadWallpaperPicture(item, picture, error) || !WriteWallpaperFile(bmp, picture, error)) {
    ReportError(error);
    return;
  }
  if (Services->desktop != nullptr && !Services->desktop->SetWallpaper(bmp, error)) ReportError(error);
}

void TfmKXCOnfigWindow::FormClose() {
  try {
    if (!SaveOnClose || Services == nullptr || !Services->SettingsInUse()) return;
    const UserSettingsFile& settings = *Services->settings;
    settings.WriteSelectedIndex(CurrentIndex);
    for (const auto& c : Components) {
      if (c.Class != SkinClass::Thumbnail) continue;
      const auto* grid = static_cast<const TKXThumbnail2*>(c.Object);
      std::vector<int> unticked;
      for (int i = 0; i < grid->ItemCount(); ++i)
        if (!grid->Checked(i)) unticked.push_back(i);
      settings.WriteExcludedItems(unticked);
    }
  } catch (...) {
    // The window closes whatever happens here.
  }
}

void TfmKXCOnfigWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
  AlignChildControls(this, rect());
  if (ActiveControl != nullptr) ActiveControl->setFocus();
}

void TfmKXCOnfigWindow::done(int result) {
  if (!closed_) {
    closed_ = true;
    FormClose();
  }
  QDialog::done(result);
}

void TfmKXCOnfigWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  AlignChildControls(this, rect());
}

void TfmKXCOnfigWindow::keyPressEvent(QKeyEvent* event) {
  // A skin window closes through its own controls, not on Escape.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  if (RunAccelerator(event)) return;
  QDialog::keyPressEvent(event);
}

bool TfmKXCOnfigWindow::RunAccelerator(QKeyEvent* event) {
  const QString text = event->text();
  if (text.isEmpty() || !text[0].isPrint()) return false;
  for (const auto& c : Components) {
    if (c.Class == SkinClass::MyButton && static_cast<TMyButton*>(c.Object)->DialogChar(text[0])) {
      event->accept();
      return true;
    }
  }
  return false;
}

bool TfmKXCOnfigWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && RunAccelerator(static_cast<QKeyEvent*>(event))) return true;
  return QDialog::eventFilter(watched, event);
}

void ShowSkinWindow(const TKXForms& forms, TKXCProject& project, const std::string& name, bool saveOnClose,
                    ConfigServices& services, QWidget* parent) {
  if (EndsWithScr(services.exePath) || services.firstArgument == "/C")
    QGuiApplication::setApplicationDisplayName(QString::fromStdString(SkinTextToUtf8(project.Setting.ProductName)));
  auto window = CreateSkinWindow(forms, project, name, parent);
  window->Forms = &forms;
  window->Project = &project;
  window->Services = &services;
  if (services.SettingsInUse()) {
    UserSettingValues values;
    // A project speed the table lacks reads as its nearest table value, as in the settings
    // dialog.
    values.Speed = NearestSpeedIndex(project.Setting.Speed);
    std::vector<std::string> musicList;
    if (services.settings->ReadSettings(project, values, musicList)) {
      TKXCSetting& s = project.Setting;
      s.ShowImageMode = values.ImageMode;
      s.Duration = values.Duration;
      s.Sound = values.Sound;
      s.Music = values.Music;
      s.Transition = values.Transition;
      // A stored index outside the table leaves the project's speed as it is.
      if (values.Speed >= 0 && values.Speed < static_cast<int32_t>(SpeedTable.size()))
        s.Speed = SpeedTable[static_cast<size_t>(values.Speed)];
      s.Stretch = values.ImageSize > 0;
      s.Proportional = values.ImageSize == 2;
    }
  }
  window->SaveOnClose = saveOnClose;
  window->exec();
}

void RunConfigWindow(TKXCProject& project, const std::string& exeLongPath, const std::string& firstArgument,
                     MessageBoxService& messages) {
  const UserSettingsFile settings(exeLongPath, firstArgument);
  ConfigServices services;
  services.messages = &messages;
  services.settings = &settings;
  services.exePath = exeLongPath;
  services.firstArgument = firstArgument;
  services.previewItem = [](TfmKXCOnfigWindow& window, const std::string& path) {
    PreviewItem(*window.Project, path);
  };
  LinuxDesktopService desktop;
  services.desktop = &desktop;
  TKXForms forms(&messages);
  try {
    forms.LoadSkinFile(project.UI.UIFile);
    ShowSkinWindow(forms, project, "MainWindow", true, services);
  } catch (const std::exception& e) {
    messages.Show(MessageKind::Error, ApplicationTitle(), e.what());
  }
}

}  // namespace kx
