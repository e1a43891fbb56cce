#pragma once
// Where the engine runs: its own file, its process, the user's folders.
#include <string>

namespace kx {

// The user's temporary folder with a trailing '/': $TMPDIR when set and not empty, else /tmp.
std::string TempFolder();

// The canonical absolute path of the running executable (/proc/self/exe).
std::string ExecutablePath();

int CurrentProcessId();

// True when a process with this id exists (also when it belongs to another user).
bool ProcessIsRunning(int pid);

// The folder where the platform keeps its system libraries, with a trailing '/'.
std::string SystemDirectory();

// The system reports itself as NT-class: branches meant for the old consumer systems
// (their password check, their "screensaver running" announcement) never run.
constexpr bool IsNtClassSystem() { return true; }

}  // namespace kx
