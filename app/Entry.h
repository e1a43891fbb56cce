#pragma once
// The program entry: classifies the command line, clears what earlier runs left in the
// temporary folder, prepares the run (payload extraction, project load), runs exactly one
// mode and cleans up again. Every mode ends with exit code 0, also when a stop signal ends
// it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "payload/SaverFolders.h"
#include "platform/Clock.h"
#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"
#include "platform/PreviewWindow.h"
#include "project/KXCProject.h"

namespace kx {

// How long /P waits for its window to become visible.
inline constexpr uint32_t kPreviewWaitMs = 5000;

// The services a run uses; tests give fakes.
struct EntryServices {
  SaverFolders folders;
  MessageBoxService* messages = nullptr;
  PreviewWindowFactory* previews = nullptr;
  LibraryLoader* libraries = nullptr;
  Clock* clock = nullptr;
  std::string systemDirectory;
  // Initialises the windowing application (title " "); false when there is no display.
  std::function<bool()> initWindowing;
  // The saver window, shown modally for a prepared project.
  std::function<void(TKXCProject&)> runSaverWindow;
  // The configuration window built from the skin, shown modally.
  std::function<void(TKXCProject&, const CommandLine&)> runConfigWindow;
  // The hack mode: the show in the daemon's window `windowId` (0: the root window), until a
  // stop signal or the window's end.
  std::function<void(TKXCProject&, uint64_t windowId)> runHackWindow;
  // Where the hack mode says what it cannot do (it opens no window of its own).
  MessageBoxService* consoleMessages = nullptr;
  // The value of XSCREENSAVER_WINDOW ("" when unset).
  std::string environmentWindow;
  // Standard output and error of the program (usage, reports).
  std::function<void(const std::string&)> printOut;
  std::function<void(const std::string&)> printError;
};

class Entry {
 public:
  explicit Entry(EntryServices services) : s_(std::move(services)) {}

  // Runs the program for these arguments (without the program name); returns the exit code.
  int Run(const std::vector<std::string>& arguments);

  void PrepareRun();
  void RunSaver();
  void RunConfig();
  void DrawPreview();
  void ChangeSaverPassword();
  void RunHack();

  TKXCProject Project;

 private:
  EntryServices s_;
  CommandLine line_;
};

}  // namespace kx
