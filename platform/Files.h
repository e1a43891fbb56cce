#pragma once
// Files and folders, with the safety rules the engine needs for its temporary folders:
// nothing here follows a symbolic link when it creates, writes or deletes, and folders the
// engine creates are readable by the user only.
#include <cstdint>
#include <string>
#include <vector>

namespace kx {

bool FileExists(const std::string& path);       // any kind of entry, links not followed
bool IsRealDirectory(const std::string& path);  // a directory, not a link to one
// A real directory owned by this user that neither group nor others may use (mode 0700 or
// narrower).
bool IsPrivateDirectory(const std::string& path);
// A regular file (links followed) of at most `maxBytes` bytes.
bool IsRegularFileUpTo(const std::string& path, int64_t maxBytes);

// Creates a folder with mode 0700. An existing folder is accepted only when it is a real
// directory owned by this user; it is then narrowed to 0700. False otherwise.
bool CreatePrivateDirectory(const std::string& path);

// Opens a file for writing (created with mode 0600 or truncated), refusing a symbolic link
// at the final component. Returns a file descriptor or -1.
int OpenForWriteNoFollow(const std::string& path);

bool DeleteFileNoFollow(const std::string& path);  // removes a file or a link itself
bool RemoveEmptyDirectory(const std::string& path);
// Removes a directory tree. Links inside are removed as links, never followed. A path that
// is itself a link is removed as a link.
void RemoveTreeNoFollow(const std::string& path);

// Names of the entries of a folder, without "." and "..".
std::vector<std::string> ListDirectory(const std::string& path);

// Limits of what the engine reads from files that come with a screensaver or a scene: text
// files (INI texts, name lists, skins) and media files (pictures, sounds). A larger file, or
// anything that is not a regular file (a device, a FIFO, a folder), is treated as unreadable.
inline constexpr int64_t kMaxTextFileBytes = 64ll << 20;
inline constexpr int64_t kMaxMediaFileBytes = 256ll << 20;

// Opens a regular file of at most `maxBytes` bytes for reading without ever blocking on the
// open; returns the descriptor and the size, or -1 (errno EINVAL for a refused kind or size).
int OpenRegularForRead(const std::string& path, int64_t maxBytes, int64_t& size);
// A whole text file; false (and `out` empty) for a file refused above or a read error.
bool ReadFileBytes(const std::string& path, std::string& out);
// Writes through a temporary file in the same folder and renames it over the target, so a
// failed or killed write never leaves a half-written file behind. A symbolic link at `path`
// is written through to the file it names (with `throughLink` false the link itself is
// replaced, for files the program owns outright); the file keeps its mode (a new one: 0644
// less the umask); the folder is synced after the rename. The temporary file is unique to the
// write (PATH.kxtmpPID.XXXXXX), removed on failure, and one left by a killed process is
// removed by the next write.
bool WriteFileReplacing(const std::string& path, const std::string& data, bool throughLink = true);

// The folder part of a path including its trailing separator ("" when there is none).
std::string FolderOf(const std::string& path);
// The text after the last '\', '/' or drive colon.
std::string FileNamePart(const std::string& path);

}  // namespace kx
