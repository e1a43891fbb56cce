#include "payload/Container.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "payload/Marker.h"
#include "platform/Files.h"

namespace kx {
namespace {

constexpr size_t kSearchBlock = 1001;   // block size of the marker search
constexpr size_t kCopyBuffer = 1 << 16;  // one fixed buffer for streaming members

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads up to `size` bytes, retrying short reads; returns the bytes read (0 at the end).
size_t ReadFully(int fd, void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = read(fd, static_cast<char*>(buffer) + done, size - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

bool WriteFully(int fd, const void* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd, static_cast<const char*>(data) + done, size - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool ReadInt32(int fd, int32_t& value) {
  uint8_t b[4];
  if (ReadFully(fd, b, 4) != 4) return false;
  value = static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 |
                               uint32_t{b[3]} << 24);
  return true;
}

// Knuth-Morris-Pratt failure table of the marker, so that a partial match that fails
// resumes at the longest prefix that is still matched.
std::array<size_t, kMarkerSize> FailureTable(const Marker& m) {
  std::array<size_t, kMarkerSize> fail{};
  size_t k = 0;
  for (size_t i = 1; i < kMarkerSize; ++i) {
    while (k > 0 && m[i] != m[k]) k = fail[k - 1];
    if (m[i] == m[k]) ++k;
    fail[i] = k;
  }
  return fail;
}

}  // namespace

ContainerLocation FindContainer(const std::string& path) {
  ContainerLocation location;
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return location;
  const Marker marker = ContainerMarker();
  const auto fail = FailureTable(marker);
  uint8_t block[kSearchBlock];
  size_t matched = 0;  // kept across blocks
  int64_t position = 0;
  size_t n;
  while ((n = ReadFully(file.get(), block, kSearchBlock)) > 0) {
    for (size_t i = 0; i < n; ++i) {
      while (matched > 0 && block[i] != marker[matched]) matched = fail[matched - 1];
      if (block[i] == marker[matched]) ++matched;
      if (matched == kMarkerSize) {
        location.offset = position + static_cast<int64_t>(i) + 1;
        if (lseek(file.get(), location.offset, SEEK_SET) != location.offset) return location;
        int32_t count = 0;
        if (!ReadInt32(file.get(), count)) return location;
        location.found = true;
        location.count = count;
        return location;
      }
    }
    position += static_cast<int64_t>(n);
  }
  return location;
}

namespace {

// Extracts the members that follow the member count at `countOffset`.
ExtractReport ExtractMembers(int fd, int64_t countOffset, const std::vector<std::string>& targets) {
  ExtractReport report;
  int32_t count = 0;
  if (lseek(fd, countOffset, SEEK_SET) != countOffset || !ReadInt32(fd, count) || count <= 0) return report;
  std::vector<char> buffer(kCopyBuffer);
  for (int32_t i = 0; i < count; ++i) {
    int32_t size = 0;
    if (!ReadInt32(fd, size) || size < 0) break;
    ++report.members;
    const std::string target = static_cast<size_t>(i) < targets.size() ? targets[i] : std::string();
    const int out = target.empty() ? -1 : OpenForWriteNoFollow(target);
    int64_t remaining = size;
    bool ended = false;
    if (out < 0) {
      // Read past the member; a member that runs past the end of the file ends the container.
      const off_t here = lseek(fd, 0, SEEK_CUR);
      struct stat st;
      if (fstat(fd, &st) != 0 || here + remaining > st.st_size) break;
      lseek(fd, remaining, SEEK_CUR);
      continue;
    }
    bool writeFailed = false;
    while (remaining > 0) {
      const size_t want = static_cast<size_t>(std::min<int64_t>(remaining, kCopyBuffer));
      const size_t got = ReadFully(fd, buffer.data(), want);
      if (got == 0) {
        ended = true;
        break;
      }
      if (!writeFailed && !WriteFully(out, buffer.data(), got)) writeFailed = true;
      remaining -= static_cast<int64_t>(got);
      if (got < want) {
        ended = true;
        break;
      }
    }
    close(out);
    if (!writeFailed) ++report.written;
    if (ended) break;
  }
  return report;
}

}  // namespace

ExtractReport ExtractContainer(const std::string& path, const std::vector<std::string>& targets) {
  const ContainerLocation location = FindContainer(path);
  if (!location.found || location.count <= 0) return ExtractReport();
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return ExtractReport();
  return ExtractMembers(file.get(), location.offset, targets);
}

ExtractReport ExtractNestedContainer(const std::string& path, int64_t markerOffset,
                                     const std::vector<std::string>& targets) {
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  uint8_t head[kMarkerSize];
  const Marker marker = ContainerMarker();
  if (file.get() < 0 || lseek(file.get(), markerOffset, SEEK_SET) != markerOffset ||
      ReadFully(file.get(), head, kMarkerSize) != kMarkerSize || !std::equal(marker.begin(), marker.end(), head))
    return ExtractReport();
  return ExtractMembers(file.get(), markerOffset + static_cast<int64_t>(kMarkerSize), targets);
}

// ---------------------------------------------------------------------------------------
// ContainerReader

ContainerReader::~ContainerReader() {
  if (fd_ >= 0) close(fd_);
}

bool ContainerReader::Open(const std::string& path) {
  const ContainerLocation location = FindContainer(path);
  return location.found && OpenAt(path, location.offset - static_cast<int64_t>(kMarkerSize));
}

bool ContainerReader::OpenAt(const std::string& path, int64_t markerOffset) {
  if (fd_ >= 0) close(fd_);
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  struct stat st;
  uint8_t head[kMarkerSize];
  if (fstat(fd_, &st) != 0 || lseek(fd_, markerOffset, SEEK_SET) != markerOffset ||
      ReadFully(fd_, head, kMarkerSize) != kMarkerSize) {
    return false;
  }
  const Marker marker = ContainerMarker();
  if (!std::equal(marker.begin(), marker.end(), head)) return false;
  int32_t count = 0;
  if (!ReadInt32(fd_, count)) return false;
  fileSize_ = st.st_size;
  countOffset_ = markerOffset + static_cast<int64_t>(kMarkerSize);
  count_ = count;
  memberStart_ = countOffset_ + 4;
  memberSize_ = 0;
  index_ = -1;
  return true;
}

int64_t ContainerReader::NextMember() {
  if (fd_ < 0 || index_ + 1 >= count_) return -1;
  const int64_t next = memberStart_ + memberSize_;
  if (lseek(fd_, next, SEEK_SET) != next) return -1;
  int32_t size = 0;
  if (!ReadInt32(fd_, size) || size < 0) {
    count_ = index_ + 1;  // the container ends here
    return -1;
  }
  ++index_;
  memberStart_ = next + 4;
  memberSize_ = size;
  return size;
}

int64_t ContainerReader::AvailableOfMember() {
  return std::max<int64_t>(0, std::min(memberSize_, fileSize_ - memberStart_));
}

bool ContainerReader::ReadMember(std::string& out, int64_t limit) {
  out.clear();
  if (index_ < 0 || memberSize_ > limit) return false;
  const int64_t available = AvailableOfMember();
  out.resize(static_cast<size_t>(available));
  if (lseek(fd_, memberStart_, SEEK_SET) != memberStart_) return false;
  out.resize(ReadFully(fd_, out.data(), out.size()));
  return static_cast<int64_t>(out.size()) == memberSize_;
}

bool ParseContainerBytes(const std::string& bytes, std::vector<std::string>& members) {
  members.clear();
  const Marker marker = ContainerMarker();
  if (bytes.size() < kMarkerSize + 4 || !std::equal(marker.begin(), marker.end(), bytes.begin(),
                                                    [](uint8_t m, char b) { return m == static_cast<uint8_t>(b); }))
    return false;
  auto int32At = [&](size_t at) {
    return static_cast<int32_t>(uint32_t{static_cast<uint8_t>(bytes[at])} |
                                uint32_t{static_cast<uint8_t>(bytes[at + 1])} << 8 |
                                uint32_t{static_cast<uint8_t>(bytes[at + 2])} << 16 |
                                uint32_t{static_cast<uint8_t>(bytes[at + 3])} << 24);
  };
  const int32_t count = int32At(kMarkerSize);
  size_t at = kMarkerSize + 4;
  for (int32_t i = 0; i < count; ++i) {
    if (at + 4 > bytes.size()) break;
    const int32_t size = int32At(at);
    at += 4;
    if (size < 0) break;
    const size_t take = std::min(static_cast<size_t>(size), bytes.size() - at);
    members.push_back(bytes.substr(at, take));
    at += take;
    if (take < static_cast<size_t>(size)) break;
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// Writing

void AppendInt32(std::string& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  const char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                     static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
  out.append(b, 4);
}

ContainerMember ContainerMember::FromBytes(std::string data) {
  ContainerMember m;
  m.kind = Kind::Bytes;
  m.bytes = std::move(data);
  return m;
}

ContainerMember ContainerMember::FromFile(std::string filePath) {
  ContainerMember m;
  m.kind = Kind::File;
  m.path = std::move(filePath);
  return m;
}

ContainerMember ContainerMember::FromContainer(std::vector<ContainerMember> members) {
  ContainerMember m;
  m.kind = Kind::Nested;
  m.nested = std::move(members);
  return m;
}

int64_t MemberSize(const ContainerMember& member) {
  switch (member.kind) {
    case ContainerMember::Kind::Bytes:
      return static_cast<int64_t>(member.bytes.size());
    case ContainerMember::Kind::File: {
      struct stat st;
      if (stat(member.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
      return st.st_size;
    }
    case ContainerMember::Kind::Nested: {
      int64_t total = static_cast<int64_t>(kMarkerSize) + 4;
      for (const auto& inner : member.nested) {
        const int64_t size = MemberSize(inner);
        if (size < 0) return -1;
        total += 4 + size;
      }
      return total;
    }
  }
  return -1;
}

static bool WriteMemberBody(int outFd, const ContainerMember& member, int64_t size, std::string& error);

bool WriteContainer(int outFd, const std::vector<ContainerMember>& members, std::string& error) {
  const Marker marker = ContainerMarker();
  std::string head(reinterpret_cast<const char*>(marker.data()), marker.size());
  if (members.size() > INT32_MAX) {
    error = "Too many members";
    return false;
  }
  AppendInt32(head, static_cast<int32_t>(members.size()));
  if (!WriteFully(outFd, head.data(), head.size())) {
    error = "Cannot write the container";
    return false;
  }
  for (const auto& member : members) {
    const int64_t size = MemberSize(member);
    if (size < 0) {
      error = "Cannot read " + (member.path.empty() ? std::string("a member") : member.path);
      return false;
    }
    if (size > INT32_MAX) {
      error = "Member too large for a container (over 2 GiB): " + member.path;
      return false;
    }
    std::string sizeBytes;
    AppendInt32(sizeBytes, static_cast<int32_t>(size));
    if (!WriteFully(outFd, sizeBytes.data(), 4) || !WriteMemberBody(outFd, member, size, error)) {
      if (error.empty()) error = "Cannot write the container";
      return false;
    }
  }
  return true;
}

static bool WriteMemberBody(int outFd, const ContainerMember& member, int64_t size, std::string& error) {
  switch (member.kind) {
    case ContainerMember::Kind::Bytes:
      return WriteFully(outFd, member.bytes.data(), member.bytes.size());
    case ContainerMember::Kind::Nested:
      return WriteContainer(outFd, member.nested, error);
    case ContainerMember::Kind::File: {
      FileDescriptor in(open(member.path.c_str(), O_RDONLY | O_CLOEXEC));
      if (in.get() < 0) {
        error = "Cannot read " + member.path;
        return false;
      }
      std::vector<char> buffer(kCopyBuffer);
      int64_t remaining = size;
      while (remaining > 0) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(remaining, kCopyBuffer));
        const size_t got = ReadFully(in.get(), buffer.data(), want);
        if (got != want) {
          error = "File changed while it was read: " + member.path;
          return false;
        }
        if (!WriteFully(outFd, buffer.data(), got)) return false;
        remaining -= static_cast<int64_t>(got);
      }
      return true;
    }
  }
  return false;
}

std::string ContainerBytes(const std::vector<std::string>& members) {
  const Marker marker = ContainerMarker();
  std::string out(reinterpret_cast<const char*>(marker.data()), marker.size());
  AppendInt32(out, static_cast<int32_t>(members.size()));
  for (const auto& m : members) {
    AppendInt32(out, static_cast<int32_t>(m.size()));
    out += m;
  }
  return out;
}

}  // namespace kx
