#include "saver/ShowProject.h"

#include "project/UserSettings.h"

namespace kx {

void ShowProject(TKXCProject& project, bool applyUserSettings, const std::string& settingsPath,
                 MessageBoxService& messages, const std::function<void(TKXCProject&)>& runWindow) {
  if (project.FileList.Names.empty()) {
    messages.Show(MessageKind::Information, kApplicationTitle, kNoImageMessage);
    return;
  }
  project.FileList.SetAllFlags(true);
  if (applyUserSettings) ApplyUserSettings(project, settingsPath);
  if (runWindow) runWindow(project);
}

TKXCProject MakePreviewProject(const TKXCProject& running, const std::string& itemPath) {
  TKXCProject preview;
  preview.FileList.Names = {itemPath};
  preview.FileList.Flags = {"TRUE"};
  const TKXCSetting& from = running.Setting;
  TKXCSetting& to = preview.Setting;
  to.Stretch = from.Stretch;
  to.Proportional = from.Proportional;
  to.DirectX = from.DirectX;
  to.DirectXQuality = from.DirectXQuality;
  to.ShowClock = from.ShowClock;
  to.ClockPos = from.ClockPos;
  to.Speed = from.Speed;
  to.Sound = true;
  to.Music = false;
  return preview;
}

void PreviewItem(const TKXCProject& running, const std::string& itemPath, const std::string& settingsPath,
                 MessageBoxService& messages, const std::function<void(TKXCProject&)>& runWindow) {
  TKXCProject preview = MakePreviewProject(running, itemPath);
  ShowProject(preview, true, settingsPath, messages, runWindow);
}

}  // namespace kx
