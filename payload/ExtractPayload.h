#pragma once
// The extraction of one run: the payload's small members into the extraction folder ("KXC.res",
// "KXFilenames.res", "KXGUI.kxu"), the index of the media container for the process's media
// store (each medium is written when first asked for, MediaStore.h), then the project model.
#include <string>
#include <vector>

#include "payload/SaverFolders.h"
#include "project/KXCProject.h"

namespace kx {

// Extracts the payload of `exePath` (the running executable's long path) and loads `project`.
// File references of the project then point into the extraction folder. Returns the
// extraction folder, or "" when it could not be made (the project then stays empty).
std::string ExtractPayload(TKXCProject& project, const SaverFolders& folders);

// The names of the media files, one per line of the name list (its file name parts). An
// unsafe name (empty, ".", "..", or one of the extraction's own files) gives "" so that its
// member is read past and nothing is written.
std::vector<std::string> MediaFileNames(const std::string& nameListPath);

// Closes the media store and deletes what this process wrote in its extraction folder (the
// small members and every medium made available), then the folder.
void RemoveExtractedFiles(const SaverFolders& folders);

}  // namespace kx
