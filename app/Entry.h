#pragma once
// The program entry: classifies the command line, clears what earlier runs left in the
// temporary folder, prepares the run (payload extraction, project load), runs exactly one
// mode and cleans up again. Every mode ends with exit code 0.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "payload/SaverFolders.h"
#include "platform/Clock.h"
#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"
#include "platform/PreviewWindow.h"
#include "project/KXCProject.h"

namespace kx {

enum class SaverMode { None, Show, Config, Preview, Password };

struct CommandLine {
  bool hasFirst = false;
  std::string first;      // the first argument as given
  std::string ModeArg;    // first argument, upper case, cut to two characters
  std::string HandleArg;  // second argument, upper case
};

CommandLine ReadCommandLine(const std::vector<std::string>& arguments);
SaverMode ModeOf(const CommandLine& line);

// A window handle given as decimal text; nullopt when the text is not a number.
std::optional<uint64_t> ParseWindowHandle(const std::string& text);

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

  TKXCProject Project;

 private:
  EntryServices s_;
  CommandLine line_;
};

}  // namespace kx
