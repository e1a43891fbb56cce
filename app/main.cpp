// kxsaver: the screensaver engine. A finished screensaver is a copy of this program with a
// payload appended; its first argument selects the mode (/S show, /C configure, /P preview
// into a window, /A change password), or a screensaver daemon runs it with --root or
// --window-id to play in the daemon's window.
#include <QApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/Entry.h"
#include "configui/ConfigWindow.h"
#include "payload/ExtractPayload.h"
#include "platform/ConsoleMessageBox.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/StopSignals.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/x11/X11PreviewWindow.h"
#include "saver/qt/RunHackWindow.h"
#include "saver/qt/RunSaverWindow.h"

namespace {

// How long the windows of a mode may take to close after a stop signal before the process
// removes its files and ends without them.
constexpr int kStopGraceMs = 1000;
constexpr int kCloseRetryMs = 50;

bool DisplayAvailable() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// On a stop signal every window of the application closes, as on the key that ends a show;
// the modes then return and clean up as usual.
void CloseWindowsOnStopSignal(QCoreApplication& app) {
  const int fd = kx::StopSignalFd();
  if (fd < 0) return;
  auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &app);
  QObject::connect(notifier, &QSocketNotifier::activated, &app, [notifier, fd] {
    char buffer[64];
    while (read(fd, buffer, sizeof buffer) > 0) {
    }
    notifier->setEnabled(false);
    // A window that opens after the signal (the mode was still preparing) closes as soon as
    // it is up.
    auto* closer = new QTimer(QCoreApplication::instance());
    QObject::connect(closer, &QTimer::timeout, [] { QApplication::closeAllWindows(); });
    closer->start(kCloseRetryMs);
    QApplication::closeAllWindows();
    QTimer::singleShot(kStopGraceMs, [] { kx::EmergencyExit(); });
  });
}

}  // namespace

int main(int argc, char** argv) {
  kx::InstallStopSignalHandlers();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::unique_ptr<QGuiApplication> app;
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};

  kx::QtMessageBox messages;
  kx::X11PreviewWindowFactory previews;
  kx::DlLibraryLoader libraries;

  kx::EntryServices services;
  services.folders = kx::SaverFolders::ForThisProcess();
  kx::ConsoleMessageBox consoleMessages(kx::FileNamePart(services.folders.exePath));
  kx::SetEmergencyCleanup([folders = services.folders] {
    kx::RemoveExtractedFiles(folders);
    kx::CleanSaverTempRoot(folders);
  });
  // Without a runtime folder of the session, Qt makes one of its own in the shared temporary
  // folder and leaves it there; our private per-user folder (which stays, empty, for the
  // next run: removing it could pull it away from an instance that is starting) serves
  // instead.
  if (kx::IsOwnUserTempFolder(services.folders)) {
    const std::string& folder = services.folders.tempFolder;
    setenv("XDG_RUNTIME_DIR", folder.substr(0, folder.size() - 1).c_str(), 1);
  }
  services.messages = &messages;
  services.consoleMessages = &consoleMessages;
  services.previews = &previews;
  services.libraries = &libraries;
  services.clock = &kx::DefaultClock();
  services.systemDirectory = kx::SystemDirectory();
  if (const char* window = std::getenv("XSCREENSAVER_WINDOW")) services.environmentWindow = window;
  services.printOut = [](const std::string& text) { std::fputs(text.c_str(), stdout); };
  services.printError = [program = kx::FileNamePart(services.folders.exePath)](const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), text.c_str());
  };
  services.initWindowing = [&]() {
    if (!DisplayAvailable()) {
      std::fprintf(stderr, "kxsaver: no display to show a window on\n");
      return false;
    }
    app = std::make_unique<QApplication>(qtArgc, qtArgv);
    QApplication::setApplicationName(" ");
    QApplication::setApplicationDisplayName(" ");
    CloseWindowsOnStopSignal(*app);
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
  // The hack mode draws through Xlib into the daemon's window; Qt only draws text into
  // frames, on a platform that opens no window.
  services.runHackWindow = [&, folders = services.folders](kx::TKXCProject& project, uint64_t windowId) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
    kx::RunHackWindow(project, folders, windowId);
  };

  kx::Entry entry(std::move(services));
  // No mode ends in an abort: an exception that escapes a mode ends the run with exit code 0
  // like every other end, its text on stderr.
  try {
    entry.Run(arguments);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kxsaver: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "kxsaver: unexpected error\n");
  }
  return 0;
}
