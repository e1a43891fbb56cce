#pragma once
// The runners of the show on the real services: the process clock, SDL2_mixer sound, Qt
// message boxes and the folders of this process. A QApplication must exist.
#include <string>

#include "payload/SaverFolders.h"
#include "project/KXCProject.h"

namespace kx {

// The shared media folder: the user's documents folder + "/KXMedia/".
std::string CommonMediaFolder();

// Shows the saver window modally for a prepared project and returns when it has closed.
void RunSaverWindow(TKXCProject& project, const SaverFolders& folders);

// "Preview selected file": shows one item of the running project full-screen, with the
// user's settings file of this program applied.
void PreviewItem(const TKXCProject& running, const std::string& itemPath);

}  // namespace kx
