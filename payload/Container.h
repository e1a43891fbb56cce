#pragma once
// Payload containers.
//
// Layout (all integers 32-bit little-endian, read as signed):
//   marker (13 bytes) | member count N | size S0 | S0 bytes | size S1 | S1 bytes | ...
// No names, checksums, alignment or padding. In a finished screensaver the container
// follows the engine's own bytes; an extracted member that is a container itself begins
// with the marker at offset 0.
//
// Reading rules for damaged containers: a count of 0 or less holds nothing; a negative
// size ends the container; a member that ends early (the file ends) keeps what was read
// and ends the container. Members are streamed through a fixed buffer, so memory use does
// not depend on the payload's size.
#include <cstdint>
#include <string>
#include <vector>

namespace kx {

struct ContainerLocation {
  bool found = false;
  int64_t offset = 0;  // just past the marker, where the member count lies
  int32_t count = 0;
};

// Searches the file from its start, in blocks of 1,001 bytes, for the first marker.
ContainerLocation FindContainer(const std::string& path);

struct ExtractReport {
  int32_t members = 0;  // members met in the container
  int32_t written = 0;  // members written to a target
};

// Writes member i to targets[i]. A member whose target is empty or missing (more members than
// names), or whose target cannot be created, is read past and nothing is written for it. A
// target that is a symbolic link is never written through. Existing files are overwritten.
ExtractReport ExtractContainer(const std::string& path, const std::vector<std::string>& targets);

// The same for a container nested in the file whose marker starts at `markerOffset` (a member
// of an outer container), so that it is extracted without first being copied out whole.
ExtractReport ExtractNestedContainer(const std::string& path, int64_t markerOffset,
                                     const std::vector<std::string>& targets);

// Reads a container member by member without writing files (for tools and for small
// members read into memory).
class ContainerReader {
 public:
  ContainerReader() = default;
  ~ContainerReader();
  ContainerReader(const ContainerReader&) = delete;
  ContainerReader& operator=(const ContainerReader&) = delete;

  bool Open(const std::string& path);
  // Opens a container whose marker starts at `markerOffset` (a nested member).
  bool OpenAt(const std::string& path, int64_t markerOffset);
  int32_t Count() const { return count_; }
  // Moves to the next member and returns its declared size, or -1 when there is none.
  int64_t NextMember();
  // Reads the current member whole into memory, refusing members above `limit` bytes.
  bool ReadMember(std::string& out, int64_t limit);
  // Bytes of the current member actually present in the file (less than declared when the
  // file ends early).
  int64_t AvailableOfMember();
  // File offset of the current member's first byte.
  int64_t MemberStart() const { return memberStart_; }
  // File offset of the member count, just past the marker.
  int64_t CountOffset() const { return countOffset_; }

 private:
  int fd_ = -1;
  int32_t count_ = 0;
  int32_t index_ = -1;
  int64_t memberStart_ = 0;
  int64_t memberSize_ = 0;
  int64_t fileSize_ = 0;
  int64_t countOffset_ = 0;
};

// Splits a container held in memory into its members. False when there is no marker at
// offset 0; a member that runs past the end is kept as far as it goes and ends the list.
bool ParseContainerBytes(const std::string& bytes, std::vector<std::string>& members);

// A container to write: each member is bytes in memory, a file streamed from disk, or a
// nested container (streamed too, so a media container of any size never sits in memory).
struct ContainerMember {
  enum class Kind { Bytes, File, Nested } kind = Kind::Bytes;
  std::string bytes;
  std::string path;
  std::vector<ContainerMember> nested;

  static ContainerMember FromBytes(std::string data);
  static ContainerMember FromFile(std::string filePath);
  static ContainerMember FromContainer(std::vector<ContainerMember> members);
};

// Size in bytes of the written member (for a nested container: marker, count, sizes and
// members); -1 when a file cannot be read.
int64_t MemberSize(const ContainerMember& member);

// Streams a container of these members to a file descriptor. False with `error` when a file
// cannot be read, changes size while it is read, or a size does not fit 32 bits.
bool WriteContainer(int outFd, const std::vector<ContainerMember>& members, std::string& error);
// The container as bytes (members from memory only; used for small containers and tests).
std::string ContainerBytes(const std::vector<std::string>& members);

// Little-endian helpers shared by the writers.
void AppendInt32(std::string& out, int32_t value);

}  // namespace kx
