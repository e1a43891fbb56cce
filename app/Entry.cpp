#include "app/Entry.h"

#include "imaging/PictureCodec.h"
#include "payload/ExtractPayload.h"
#include "payload/MediaStore.h"
#include "project/IniText.h"
#include "project/UserSettings.h"
#include "saver/ShowProject.h"

namespace kx {
namespace {

struct ModeRow {
  const char* forms[3];
  SaverMode mode;
};

// The command-line forms of each mode; only the first two characters of the first
// argument count, compared in upper case.
constexpr ModeRow kModeTable[] = {
    {{"/S", "-S", "S"}, SaverMode::Show},
    {{"/C", "-C", "C"}, SaverMode::Config},
    {{"/P", "-P", "P"}, SaverMode::Preview},
    {{"/A", "-A", "A"}, SaverMode::Password},
};

// The password provider's entry point: provider name, parent window, two reserved values.
using PwdChangePasswordFn = int (*)(const char*, uintptr_t, uint32_t, uint32_t);

}  // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  if (!arguments.empty()) {
    line.hasFirst = true;
    line.first = arguments[0];
    line.ModeArg = UpperAscii(arguments[0].substr(0, 2));
  }
  if (arguments.size() > 1) line.HandleArg = UpperAscii(arguments[1]);
  return line;
}

SaverMode ModeOf(const CommandLine& line) {
  if (!line.hasFirst) return SaverMode::Config;
  for (const auto& row : kModeTable)
    for (const char* form : row.forms)
      if (line.ModeArg == form) return row.mode;
  return SaverMode::None;
}

std::optional<uint64_t> ParseWindowHandle(const std::string& text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t next = value * 10 + static_cast<uint64_t>(c - '0');
    if (next / 10 != value) return std::nullopt;  // overflow
    value = next;
  }
  return value;
}

int Entry::Run(const std::vector<std::string>& arguments) {
  CleanSaverTempRoot(s_.folders);
  line_ = ReadCommandLine(arguments);
  Project = TKXCProject();
  const SaverMode mode = ModeOf(line_);
  if (mode == SaverMode::Password) {
    ChangeSaverPassword();
    return 0;
  }
  const bool windowed = mode == SaverMode::Show || mode == SaverMode::Config;
  const bool haveWindowing = !windowed || !s_.initWindowing || s_.initWindowing();
  if (haveWindowing) {
    if (mode == SaverMode::Show) RunSaver();
    if (mode == SaverMode::Config) RunConfig();
    if (mode == SaverMode::Preview) DrawPreview();
  }
  CleanSaverTempRoot(s_.folders);
  return 0;
}

void Entry::PrepareRun() {
  ExtractPayload(Project, s_.folders);
  // The skin forms are loaded from Project.UI.UIFile by the configuration window's builder.
}

void Entry::RunSaver() {
  PrepareRun();
  ShowProject(Project, true, UserSettingsPath(s_.folders.exePath), *s_.messages, s_.runSaverWindow);
  RemoveExtractedFiles(s_.folders);
}

void Entry::RunConfig() {
  PrepareRun();
  if (s_.runConfigWindow) s_.runConfigWindow(Project, line_);
  RemoveExtractedFiles(s_.folders);
}

void Entry::DrawPreview() {
  PrepareRun();
  const std::string previewFile = Project.Setting.PreviewFile;
  const auto handle = ParseWindowHandle(line_.HandleArg);
  if (!previewFile.empty() && handle && s_.previews != nullptr) {
    if (auto window = s_.previews->Open(*handle)) {
      // Wait, with a bound, until the window is shown.
      const uint32_t start = s_.clock->TickMs();
      bool visible = window->IsVisible();
      while (!visible && s_.clock->TickMs() - start < kPreviewWaitMs) {
        window->ProcessEvents();
        s_.clock->SleepMs(10);
        visible = window->IsVisible();
      }
      int width = 0, height = 0;
      Bitmap32 picture;
      std::string error;
      const TMediaLease lease(previewFile);
      if (visible && window->GetSize(width, height) && DecodePictureFile(previewFile, picture, error))
        window->DrawStretched(picture, width, height);
    }
  }
  RemoveExtractedFiles(s_.folders);
}

void Entry::ChangeSaverPassword() {
  std::string path = s_.systemDirectory;
  if (!path.empty() && path.back() != '/') path += '/';
  path += "MPR.DLL";
  if (s_.libraries == nullptr) return;
  auto library = s_.libraries->Load(path);
  if (!library) return;
  const auto handle = ParseWindowHandle(line_.HandleArg);
  if (!handle) return;  // not a window handle: nothing to do
  if (auto* entry = reinterpret_cast<PwdChangePasswordFn>(library->Symbol("PwdChangePasswordA")))
    entry("SCRSAVE", static_cast<uintptr_t>(*handle), 0, 0);
}

}  // namespace kx
