#pragma once
// TMyStream: a thin reader (or writer) over one file, used by the scene package readers.
//
// Every read either delivers exactly what was asked or raises a SceneError of kind InOut, so
// a truncated package never yields half a field. Counts read from the file (string lengths,
// blob sizes, numbers of records) are checked against what is left of the file before
// anything is allocated: a negative count, or one larger than the rest of the file, is the
// same input/output error as a file that ends early.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kx {

class TMyStream {
 public:
  // Access codes: kOpenRead opens an existing file for reading, kCreate creates (or empties)
  // the file for writing. A file that cannot be opened raises an InOut SceneError.
  static constexpr int kCreate = 0;
  static constexpr int kOpenRead = 1;

  TMyStream(const std::string& fileName, int access);
  ~TMyStream();  // closes the file
  TMyStream(const TMyStream&) = delete;
  TMyStream& operator=(const TMyStream&) = delete;

  // Reads exactly `count` bytes.
  void ReadBuffer(void* buffer, int64_t count);
  int32_t ReadInteger();
  // Reads `count` bytes and returns them as 8-bit text.
  std::string ReadMagic(int64_t count);
  // Sizes `memory` to `count` bytes and fills it from the file (the memory stream is then at
  // its start: reading it begins with its first byte).
  void ReadBlob(std::vector<uint8_t>& memory, int64_t count);

  // Reads an int32 count of items of `itemSize` bytes each and checks that they fit in the
  // rest of the file.
  int32_t ReadCount(int64_t itemSize);
  // A string or blob of the format: an int32 byte count, then the bytes.
  std::string ReadString();
  void ReadCountedBlob(std::vector<uint8_t>& memory);

  void WriteBuffer(const void* buffer, int64_t count);
  void WriteInteger(int32_t value);

  int64_t Position() const { return position_; }
  int64_t Size() const { return size_; }
  bool AtEnd() const { return position_ >= size_; }
  const std::string& FileName() const { return fileName_; }

 private:
  [[noreturn]] void FailReadBeyondEnd(int64_t count) const;

  std::string fileName_;
  std::FILE* file_ = nullptr;
  bool writing_ = false;
  int64_t position_ = 0;
  int64_t size_ = 0;
};

}  // namespace kx
