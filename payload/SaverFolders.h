#pragma once
// The temporary folders of one screensaver and their clean-up.
//
//   temporary folder   per user: $XDG_RUNTIME_DIR when it is a private folder of this user,
//                      else $TMPDIR (or /tmp) + "kxsaver-UID/"; with a trailing '/'
//   base name          the executable's file name cut before its first dot (Sea.Life.scr: Sea)
//   saver temp root    temporary folder + Base64 of the base name
//   extraction folder  saver temp root + '/' + decimal process id + '/'
//
// Two processes of one screensaver share the saver temp root and have separate extraction
// folders. The clean-up never touches the folder of another process that is still running,
// never follows a symbolic link, and does nothing at all when the base name is empty (the
// root would then be the temporary folder itself). A root that is not a private folder of
// this user (another user's, or mode wider than 0700) is neither used nor cleaned: no other
// user can plant a file in a run's folders or make a run stop. Folder names that are numbers
// too large for a process id are left-overs like any other entry.
#include <string>

namespace kx {

struct SaverFolders {
  std::string tempFolder;   // with a trailing '/'
  std::string exePath;      // long path of the running executable
  int pid = 0;

  // The folders of the running process.
  static SaverFolders ForThisProcess();

  std::string BaseName() const;
  // "" when the base name is empty.
  std::string TempRoot() const;
  // With a trailing '/'.
  std::string ExtractionFolder() const;
};

// Base64 name of the saver temp root for a base name. Each character of the name counts as
// the low 8 bits of its UTF-16 code unit. A "/" of the encoding, which no folder name can
// hold, is written as "_".
std::string TempRootName(const std::string& baseName);

// The long form of a path: the canonical absolute path, or "" when the path holds a wildcard
// ("*", "?") or does not exist.
std::string LongPathName(const std::string& path);

// Creates the saver temp root and the extraction folder (mode 0700; an existing root must
// be a private directory of this user, an existing extraction folder a real directory of
// this user). Returns the extraction folder, or "" when it cannot be
// made safely.
std::string GetExtractionFolder(const SaverFolders& folders);

// Deletes what runs left in the saver temp root: every entry except the extraction folders
// of other processes that are still running (this process's own folder is deleted too);
// then the root itself when it is empty.
void CleanSaverTempRoot(const SaverFolders& folders);

// True when the temporary folder is the per-user folder "kxsaver-UID" that the runs made in
// the shared temporary folder (not $XDG_RUNTIME_DIR, not the temporary folder itself).
bool IsOwnUserTempFolder(const SaverFolders& folders);

// True when a name-list line gives a file name that may be written in the extraction folder:
// not empty, not "." or "..", no separator, and not one of the extraction's own files.
bool IsSafeMemberName(const std::string& fileName);

}  // namespace kx
