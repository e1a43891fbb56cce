#include "payload/MediaStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "payload/Marker.h"
#include "payload/SaverFolders.h"
#include "platform/Files.h"

namespace kx {
namespace {

constexpr size_t kCopyBuffer = 1 << 16;

// The executable, open for the store's lifetime and for copies still under way when it
// closes. Reading through one descriptor keeps every copy on the file the index was made
// from, even when the program file is replaced during the run.
struct Source {
  int fd = -1;
  ~Source() {
    if (fd >= 0) close(fd);
  }
};

bool PreadFully(int fd, void* buffer, size_t size, int64_t offset) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = pread(fd, static_cast<char*>(buffer) + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool WriteFully(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

int32_t Int32At(const uint8_t* b) {
  return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
}

}  // namespace

struct TMediaStore::Entry {
  std::string path;             // where the member is written
  int64_t offset = 0;           // of its first byte in the executable
  int64_t size = 0;             // bytes present (less than declared when the file ends early)
  std::shared_ptr<Source> source;
  std::mutex lock;              // held while the member is copied
  bool available = false;       // written and not released
  bool kept = false;            // asked for outside a lease: stays until released
  int leases = 0;
  bool closed = false;          // the store closed: nothing more is written
};

TMediaStore::~TMediaStore() { Close(); }

bool TMediaStore::Open(const std::string& exePath, int64_t markerOffset, const std::vector<std::string>& names,
                       const std::string& folder) {
  Close();
  auto source = std::make_shared<Source>();
  source->fd = open(exePath.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (source->fd < 0 || fstat(source->fd, &st) != 0) return false;
  const Marker marker = ContainerMarker();
  uint8_t head[kMarkerSize + 4];
  if (markerOffset < 0 || !PreadFully(source->fd, head, sizeof head, markerOffset) ||
      !std::equal(marker.begin(), marker.end(), head))
    return false;

  // Walk the member headers only. The rules for damaged containers are those of
  // ExtractContainer: a negative size ends the container, and so does a member that runs past
  // the end of the file (the member itself keeps the bytes that are there).
  std::unordered_map<std::string, std::shared_ptr<Entry>> index;
  const int32_t count = Int32At(head + kMarkerSize);
  int64_t at = markerOffset + static_cast<int64_t>(sizeof head);
  for (int32_t i = 0; i < count; ++i) {
    uint8_t sizeBytes[4];
    if (!PreadFully(source->fd, sizeBytes, 4, at)) break;
    const int32_t size = Int32At(sizeBytes);
    if (size < 0) break;
    const int64_t start = at + 4;
    const int64_t present = std::max<int64_t>(0, std::min<int64_t>(size, st.st_size - start));
    const std::string name = static_cast<size_t>(i) < names.size() ? names[static_cast<size_t>(i)] : std::string();
    if (!name.empty() && IsSafeMemberName(name)) {
      auto entry = std::make_shared<Entry>();
      entry->path = folder + name;
      entry->offset = start;
      entry->size = present;
      entry->source = source;
      index[name] = std::move(entry);  // the later member wins
    } else if (present < size) {
      break;  // an unnamed member is read past; one that runs past the end ends the container
    }
    if (present < size) break;
    at = start + size;
  }

  std::lock_guard<std::mutex> guard(mutex_);
  index_ = std::move(index);
  folder_ = folder;
  tempCounter_ = 0;
  return true;
}

void TMediaStore::Close() {
  std::unordered_map<std::string, std::shared_ptr<Entry>> index;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    index.swap(index_);
    folder_.clear();
  }
  for (auto& [name, entry] : index) {
    std::lock_guard<std::mutex> wait(entry->lock);  // a copy under way ends first
    entry->closed = true;
  }
}

std::string TMediaStore::Folder() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return folder_;
}

size_t TMediaStore::FileCount() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return index_.size();
}

std::shared_ptr<TMediaStore::Entry> TMediaStore::Find(const std::string& path) const {
  std::lock_guard<std::mutex> guard(mutex_);
  if (folder_.empty() || path.size() <= folder_.size() || path.compare(0, folder_.size(), folder_) != 0)
    return nullptr;
  const std::string name = path.substr(folder_.size());
  const auto it = index_.find(name);
  return it == index_.end() ? nullptr : it->second;
}

std::string TMediaStore::EnsureFile(const std::string& fileName) {
  const std::string folder = Folder();
  const std::string path = folder + fileName;
  return !folder.empty() && EnsurePath(path) ? path : std::string();
}

bool TMediaStore::EnsurePath(const std::string& path) {
  const auto entry = Find(path);
  if (!entry) return false;
  std::lock_guard<std::mutex> guard(entry->lock);
  entry->kept = true;
  return Provide(*entry);
}

void TMediaStore::Release(const std::string& path) {
  const auto entry = Find(path);
  if (!entry) return;
  std::lock_guard<std::mutex> guard(entry->lock);
  entry->kept = false;
  if (entry->leases == 0 && entry->available && !entry->closed) {
    DeleteFileNoFollow(entry->path);
    entry->available = false;
  }
}

std::vector<std::string> TMediaStore::AvailableFiles() const {
  std::vector<std::shared_ptr<Entry>> entries;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& [name, entry] : index_) entries.push_back(entry);
  }
  std::vector<std::string> paths;
  for (const auto& entry : entries) {
    std::lock_guard<std::mutex> guard(entry->lock);
    if (entry->available) paths.push_back(entry->path);
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

bool TMediaStore::Provide(Entry& entry) {
  if (entry.closed) return false;
  // A file that went (deleted from outside) is written again.
  if (entry.available && FileExists(entry.path)) return true;
  entry.available = CopyOut(entry);
  return entry.available;
}

bool TMediaStore::CopyOut(const Entry& entry) {
  const std::string folder = FolderOf(entry.path);
  // A temporary name that no member has, created exclusively so that nothing planted there is
  // written through.
  std::string temp;
  int out = -1;
  for (int attempt = 0; attempt < 100 && out < 0; ++attempt) {
    uint64_t n;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      n = ++tempCounter_;
      temp = "KXpart~" + std::to_string(n) + ".tmp";
      if (index_.count(temp) != 0) continue;
    }
    temp = folder + temp;
    out = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0 && errno != EEXIST) return false;
  }
  if (out < 0) return false;

  std::vector<char> buffer(kCopyBuffer);
  bool ok = true;
  for (int64_t done = 0; ok && done < entry.size;) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(entry.size - done, kCopyBuffer));
    ok = PreadFully(entry.source->fd, buffer.data(), want, entry.offset + done) && WriteFully(out, buffer.data(), want);
    done += static_cast<int64_t>(want);
  }
  ok = close(out) == 0 && ok;
  if (ok && rename(temp.c_str(), entry.path.c_str()) == 0) return true;
  unlink(temp.c_str());
  return false;
}

TMediaStore& ProcessMediaStore() {
  static TMediaStore store;
  return store;
}

bool MediaFileExists(const std::string& path, int64_t maxBytes) {
  // A member of the payload is written from it; any other file counts only when it is a
  // regular file within the limit, never a device, a FIFO or a folder.
  return ProcessMediaStore().EnsurePath(path) || IsRegularFileUpTo(path, maxBytes);
}

void ReleaseMediaFile(const std::string& path) { ProcessMediaStore().Release(path); }

TMediaLease::TMediaLease(const std::string& path) : entry_(ProcessMediaStore().Find(path)) {
  if (entry_) {
    std::lock_guard<std::mutex> guard(entry_->lock);
    ++entry_->leases;
    exists_ = ProcessMediaStore().Provide(*entry_);
  }
  if (!exists_) exists_ = FileExists(path);
}

TMediaLease::~TMediaLease() {
  if (!entry_) return;
  std::lock_guard<std::mutex> guard(entry_->lock);
  if (--entry_->leases == 0 && !entry_->kept && entry_->available && !entry_->closed) {
    DeleteFileNoFollow(entry_->path);
    entry_->available = false;
  }
}

}  // namespace kx
