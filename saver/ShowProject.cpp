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

}  // namespace kx
