#pragma once
// The media of the running screensaver, written to the extraction folder one file at a time,
// when something first asks for it.
//
// At start only the member headers of the media container are read (a seek over each body),
// so start-up costs the same whatever the media weigh. The index maps each file name part of
// the name list to its member's place in the executable; a later member with the same file
// name part replaces an earlier one, as writing the members in order would. Names that may
// not be written (see IsSafeMemberName) are never indexed, so nothing outside the extraction
// folder is ever written.
//
// Rules:
//   - A member is copied from the executable into a temporary file of the extraction folder
//     and renamed into place, so a reader never sees half a file; its first copy replaces
//     whatever stood at that path.
//   - A file the store wrote stays until it is released. A lease (TMediaLease) holds a file
//     only while it lives: the thumbnails and the preview read an item and let it go again.
//     A released file is written anew when it is asked for again.
//   - Everything is thread-safe; two threads asking for one file get one copy.
//
// One store per process, as there is one extraction folder: ExtractPayload opens it and
// RemoveExtractedFiles closes it. The lookups that try the extraction folder ask through
// MediaFileExists, so they find exactly the files that a full extraction would have written.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Files.h"

namespace kx {

class TMediaStore {
 public:
  TMediaStore() = default;
  ~TMediaStore();
  TMediaStore(const TMediaStore&) = delete;
  TMediaStore& operator=(const TMediaStore&) = delete;

  // Indexes the media container whose marker starts at `markerOffset` in `exePath`. Member i
  // is named by `names[i]` ("" for a member that is never written). `folder` is the extraction
  // folder with its trailing '/'. False when there is no container there.
  bool Open(const std::string& exePath, int64_t markerOffset, const std::vector<std::string>& names,
            const std::string& folder);
  // Forgets the index; waits for copies under way. The files stay (RemoveExtractedFiles
  // deletes them by the name list).
  void Close();

  // The extraction folder of the open index, "" when closed.
  std::string Folder() const;
  size_t FileCount() const;

  // The path of the member with this file name part, written now when it is not there yet;
  // "" when no member has this name or it cannot be written.
  std::string EnsureFile(const std::string& fileName);
  // The same for a full path; false when the path is not a member's path in the folder or
  // the member cannot be written.
  bool EnsurePath(const std::string& path);
  // Deletes a file the store wrote once no lease holds it (at once when none does).
  void Release(const std::string& path);

  // Files the store has written and not released, with their paths.
  std::vector<std::string> AvailableFiles() const;

 private:
  friend class TMediaLease;
  struct Entry;
  std::shared_ptr<Entry> Find(const std::string& path) const;
  bool Provide(Entry& entry);  // with entry's lock held
  bool CopyOut(const Entry& entry);

  mutable std::mutex mutex_;  // guards the index; each entry has its own lock for its copy
  std::unordered_map<std::string, std::shared_ptr<Entry>> index_;
  std::string folder_;
  uint64_t tempCounter_ = 0;
};

// The store of this process.
TMediaStore& ProcessMediaStore();

// True when a usable media file is at `path`. A path in the extraction folder that names a
// media member is written first when it is not there yet, and then stays until released;
// any other path counts only as a regular file of at most `maxBytes`.
bool MediaFileExists(const std::string& path, int64_t maxBytes = kMaxMediaFileBytes);
// Lets a media file go: it is deleted once no lease holds it. Paths the store did not write
// are left alone.
void ReleaseMediaFile(const std::string& path);

// Holds a media file for one read: the file is written if needed and, when it was not there
// before the lease, deleted again when the last lease ends. Other paths pass through.
class TMediaLease {
 public:
  explicit TMediaLease(const std::string& path);
  ~TMediaLease();
  TMediaLease(const TMediaLease&) = delete;
  TMediaLease& operator=(const TMediaLease&) = delete;
  // True when a file exists at the path.
  bool Exists() const { return exists_; }

 private:
  std::shared_ptr<TMediaStore::Entry> entry_;  // null for a path that is no member
  bool exists_ = false;
};

}  // namespace kx
