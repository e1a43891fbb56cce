#pragma once
// The runner of the hack mode on the real services: the window of a screensaver daemon on
// X11, SDL2_mixer sound (or none, for a small preview or when another instance owns the
// sound), text drawn with Qt (a QGuiApplication must exist; it opens no window).
#include <cstdint>

#include "payload/SaverFolders.h"
#include "project/KXCProject.h"

namespace kx {

// Plays the show in the window `windowId` (0: the root window) until a stop signal or the
// window's end. A window that cannot be opened ends the run quietly, with a line on
// standard error.
void RunHackWindow(TKXCProject& project, const SaverFolders& folders, uint64_t windowId);

}  // namespace kx
