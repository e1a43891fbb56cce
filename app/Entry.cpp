#include "app/Entry.h"

#include "imaging/PictureCodec.h"
#include "payload/ExtractPayload.h"
#include "payload/MediaStore.h"
#include "platform/Files.h"
#include "platform/StopSignals.h"
#include "project/IniText.h"
#include "project/UserSettings.h"
#include "saver/ShowProject.h"

namespace kx {
namespace {

// The password provider's entry point: provider name, parent window, two reserved values.
using PwdChangePasswordFn = int (*)(const char*, uintptr_t, uint32_t, uint32_t);

}  // namespace

int Entry::Run(const std::vector<std::string>& arguments) {
  line_ = ReadCommandLine(arguments);
  if (line_.help) {
    if (s_.printOut) s_.printOut(UsageText(FileNamePart(s_.folders.exePath)));
    return 0;
  }
  if (s_.printError)
    for (const std::string& problem : line_.problems) s_.printError(problem);
  CleanSaverTempRoot(s_.folders);
  Project = TKXCProject();
  const SaverMode mode = ModeOf(line_);
  if (mode == SaverMode::Password) {
    ChangeSaverPassword();
    return 0;
  }
  if (mode == SaverMode::Hack) {
    RunHack();
    CleanSaverTempRoot(s_.folders);
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
  ShowProject(Project, true, UserSettingsPathForRun(s_.folders.exePath), *s_.messages, [this](TKXCProject& project) {
    ApplyRunOverrides(line_.overrides, project.Setting);
    if (s_.runSaverWindow) s_.runSaverWindow(project);
  });
  RemoveExtractedFiles(s_.folders);
}

void Entry::RunHack() {
  const auto windowId = HackWindowId(line_, s_.environmentWindow);
  if (!windowId) {
    // Nothing to draw into: a quiet end, as for any window that cannot be used.
    if (s_.printError)
      s_.printError("no such window: \"" + (line_.windowIdGiven ? line_.windowIdText : s_.environmentWindow) + "\"");
    return;
  }
  PrepareRun();
  MessageBoxService* messages = s_.consoleMessages != nullptr ? s_.consoleMessages : s_.messages;
  ShowProject(Project, true, UserSettingsPathForRun(s_.folders.exePath), *messages,
              [this, id = *windowId](TKXCProject& project) {
                ApplyRunOverrides(line_.overrides, project.Setting);
                if (s_.runHackWindow) s_.runHackWindow(project, id);
              });
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
      while (!visible && !StopRequested() && s_.clock->TickMs() - start < kPreviewWaitMs) {
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
