#pragma once
// Running the show of a project in the saver window.
#include <functional>
#include <string>

#include "platform/MessageBox.h"
#include "project/KXCProject.h"

namespace kx {

inline constexpr const char* kNoImageMessage = "This screensaver does not contain any image.";
inline constexpr const char* kPleaseConfigureMessage = "Unable to run screensaver.\r\nPlease configure!";
// Message boxes take the application title, which the engine sets to a single space.
inline constexpr const char* kApplicationTitle = " ";

// Shows the saver window modally for the project (through `runWindow`). An empty file list is
// reported with kNoImageMessage instead. Otherwise every item takes part, and with
// `applyUserSettings` the user's settings file at `settingsPath` narrows the items and
// overrides the settings first.
void ShowProject(TKXCProject& project, bool applyUserSettings, const std::string& settingsPath,
                 MessageBoxService& messages, const std::function<void(TKXCProject&)>& runWindow);

}  // namespace kx
