#include "saver/qt/RunHackWindow.h"

#include <cinttypes>
#include <cstdio>
#include <memory>

#include "anim/qt/QtTextPainter.h"
#include "platform/ConsoleMessageBox.h"
#include "platform/Files.h"
#include "platform/SilentAudioService.h"
#include "platform/SoundOwner.h"
#include "platform/audio/SdlAudioService.h"
#include "platform/x11/X11DaemonWindow.h"
#include "saver/HackWindow.h"
#include "saver/qt/RunSaverWindow.h"

namespace kx {

void RunHackWindow(TKXCProject& project, const SaverFolders& folders, uint64_t windowId) {
  const std::string program = FileNamePart(folders.exePath);
  X11DaemonWindowFactory windows;
  const std::unique_ptr<DaemonWindow> window = windows.Open(windowId);
  if (!window) {
    std::fprintf(stderr, "%s: cannot draw into window 0x%" PRIx64 "\n", program.c_str(), windowId);
    return;
  }

  // A settings dialog's small preview plays silent, and so does every instance but the one
  // that owns the sound.
  std::unique_ptr<SoundOwner> owner;
  bool audible = (project.Setting.Music || project.Setting.Sound) &&
                 !IsSmallPreviewWindow(window->Width(), window->Height(), window->ScreenWidth(), window->ScreenHeight());
  if (audible) {
    owner = std::make_unique<SoundOwner>();
    audible = owner->Owns();
  }
  std::unique_ptr<AudioService> audio;
  if (audible) {
    audio = std::make_unique<SdlAudioService>();
  } else {
    project.Setting.Music = false;
    project.Setting.Sound = false;
    audio = std::make_unique<SilentAudioService>();
  }

  ConsoleMessageBox messages(program);
  TQtTextPainter textPainter;
  SaverEnvironment environment;
  environment.clock = &DefaultClock();
  environment.audio = audio.get();
  environment.messages = &messages;
  environment.extractionFolder = folders.ExtractionFolder();
  environment.commonFolder = CommonMediaFolder();
  environment.executableFolder = FolderOf(folders.exePath);
  environment.textPainter = &textPainter;
  TKXHackWindow hack(project, *window, environment);
  hack.Run();
}

}  // namespace kx
