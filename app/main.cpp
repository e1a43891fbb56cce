// kxsaver: the screensaver engine. A finished screensaver is a copy of this program with a
// payload appended; its first argument selects the mode (/S show, /C configure, /P preview
// into a window, /A change password).
#include <QApplication>

#include <cstdlib>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/Entry.h"
#include "configui/ConfigWindow.h"
#include "platform/Paths.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/x11/X11PreviewWindow.h"
#include "saver/qt/RunSaverWindow.h"

namespace {

bool DisplayAvailable() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::unique_ptr<QApplication> app;
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};

  kx::QtMessageBox messages;
  kx::X11PreviewWindowFactory previews;
  kx::DlLibraryLoader libraries;

  kx::EntryServices services;
  services.folders = kx::SaverFolders::ForThisProcess();
  services.messages = &messages;
  services.previews = &previews;
  services.libraries = &libraries;
  services.clock = &kx::DefaultClock();
  services.systemDirectory = kx::SystemDirectory();
  services.initWindowing = [&]() {
    if (!DisplayAvailable()) {
      std::fprintf(stderr, "kxsaver: no display to show a window on\n");
      return false;
    }
    app = std::make_unique<QApplication>(qtArgc, qtArgv);
    QApplication::setApplicationName(" ");
    QApplication::setApplicationDisplayName(" ");
    return true;
  };
  // The saver window and the configuration window are built on this application.
  services.runSaverWindow = [folders = services.folders](kx::TKXCProject& project) {
    kx::RunSaverWindow(project, folders);
  };
  services.runConfigWindow = [&messages, exePath = services.folders.exePath](kx::TKXCProject& project,
                                                                              const kx::CommandLine& line) {
    kx::RunConfigWindow(project, exePath, line.first, messages);
  };

  kx::Entry entry(std::move(services));
  // No mode ends in an abort: an exception that escapes a mode ends the run with exit code 0
  // like every other end, its text on stderr.
  try {
    return entry.Run(arguments);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kxsaver: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "kxsaver: unexpected error\n");
  }
  return 0;
}
