#pragma once
// The signals that ask the program to end: SIGTERM (what every screensaver daemon sends on
// unblank), SIGINT and SIGHUP. The handler only records the request and writes one byte to a
// pipe, so that an event loop can wake up on it; everything else (closing windows, stopping
// the sound, removing the extracted files) happens on the program's own thread, as after a key
// press.
#include <functional>

namespace kx {

// Installs the handlers (once per process; later calls do nothing).
void InstallStopSignalHandlers();

// True once one of the signals has arrived.
bool StopRequested();

// The read end of the wake-up pipe (non-blocking; -1 before the handlers are installed).
// It becomes readable when a signal arrives.
int StopSignalFd();

// Records a stop request as a signal would.
void RequestStop();

// What must happen before the process ends when it cannot end the normal way (the display
// connection is lost inside the window system's library, or a mode does not close in time):
// the removal of the extracted files. Set once by the program's entry.
void SetEmergencyCleanup(std::function<void()> cleanup);
// Runs the emergency clean-up (once) and ends the process with exit code 0.
[[noreturn]] void EmergencyExit();

}  // namespace kx
