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

// The project that shows one item of the running project on its own: its file list holds
// only `itemPath` (ticked); Stretch, Proportional, DirectX, DirectXQuality, ShowClock,
// ClockPos and Speed come from the running project; sound is on and music off; every other
// setting has its default.
TKXCProject MakePreviewProject(const TKXCProject& running, const std::string& itemPath);

// Shows one item full-screen: ShowProject on MakePreviewProject with the user settings
// applied, so that the user's file (when it exists) overrides the copied values, music
// included.
void PreviewItem(const TKXCProject& running, const std::string& itemPath, const std::string& settingsPath,
                 MessageBoxService& messages, const std::function<void(TKXCProject&)>& runWindow);

}  // namespace kx
