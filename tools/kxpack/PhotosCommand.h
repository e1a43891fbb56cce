#pragma once
// kxpack photos: a finished screensaver from folders of photos in one command.
//
//   kxpack photos FOLDER|FILE... -o OUT.scr [--title TEXT] [--duration S] [--music FILE...]
//                 [--install]
//
// Folders are searched recursively for files of the still-picture kinds (PhotoSearch.h); each
// photo is decoded once as a check, and one that cannot be read or decoded is reported and
// left out. The first photo that decodes also gives the preview picture. The screensaver gets
// the project's own skin and the photo-show defaults (BuildDefaults.h); its title is --title,
// else the output file name without its extension. Photos of one name from different folders
// are packed under distinct names ("IMG_0001.JPG", "IMG_0001-2.JPG"), since the engine
// extracts every medium into one folder.
//
// Errors (exit code 1, nothing written): no photo that decodes, an output folder that cannot
// be written, a music file that cannot be read. --install then runs `kxpack install --user`
// on the result with this same kxpack.
#include <string>
#include <vector>

namespace kx {

// A name for `fileName` that is not among `taken` (compared without regard to ASCII letter
// case), with '\' and ':' (which the engine reads as path separators) made '_'. The name is
// added to `taken`.
std::string UniqueMediaName(const std::string& fileName, std::vector<std::string>& taken);

int RunPhotosCommand(const std::vector<std::string>& args);

}  // namespace kx
