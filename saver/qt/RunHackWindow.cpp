#include "saver/qt/RunHackWindow.h"

#include <cinttypes>
#include <cstdio>
#include <memory>

#include "anim/qt/QtTextPainter.h"
#include "platform/ConsoleMessageBox.h"
#include "platform/Files.h"
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
  const bool preview =
      IsSmallPreviewWindow(window->Width(), window->Height(), window->ScreenWidth(), window->ScreenHeight());
  const ShowSound sound = TakeShowSound(project, !preview);
  ConsoleMessageBox messages(program);
  TQtTextPainter textPainter;
  const SaverEnvironment environment = ShowEnvironment(folders, *sound.audio, messages, textPainter);
  TKXHackWindow hack(project, *window, environment);
  hack.Run();
}

}  // namespace kx
