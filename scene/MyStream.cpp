#include "scene/MyStream.h"

#include <cerrno>
#include <cstring>

#include "scene/SceneError.h"
#include "scene/SceneRecords.h"

namespace kx {

TMyStream::TMyStream(const std::string& fileName, int access) : fileName_(fileName) {
  writing_ = access == kCreate;
  file_ = std::fopen(fileName.c_str(), writing_ ? "wb" : "rb");
  if (!file_) {
    throw SceneError(SceneError::Kind::InOut,
                     "Cannot open file \"" + fileName + "\". " + std::strerror(errno));
  }
  if (!writing_) {
    if (std::fseek(file_, 0, SEEK_END) != 0 || (size_ = std::ftell(file_)) < 0 ||
        std::fseek(file_, 0, SEEK_SET) != 0) {
      std::fclose(file_);
      file_ = nullptr;
      throw SceneError(SceneError::Kind::InOut, "Cannot read file \"" + fileName + "\"");
    }
  }
}

TMyStream::~TMyStream() {
  if (file_) std::fclose(file_);
}

void TMyStream::FailReadBeyondEnd(int64_t count) const {
  throw SceneError(SceneError::Kind::InOut,
                   "Read beyond end of file (" + std::to_string(count) + " bytes at offset " +
                       std::to_string(position_) + " of " + std::to_string(size_) + ")");
}

void TMyStream::ReadBuffer(void* buffer, int64_t count) {
  if (count < 0 || count > size_ - position_) FailReadBeyondEnd(count);
  if (count == 0) return;
  const size_t got = std::fread(buffer, 1, static_cast<size_t>(count), file_);
  if (got != static_cast<size_t>(count)) {
    throw SceneError(SceneError::Kind::InOut, "Read error in file \"" + fileName_ + "\"");
  }
  position_ += count;
}

int32_t TMyStream::ReadInteger() {
  uint8_t bytes[4];
  ReadBuffer(bytes, 4);
  return ReadInt32LE(bytes);
}

std::string TMyStream::ReadMagic(int64_t count) {
  if (count < 0 || count > size_ - position_) FailReadBeyondEnd(count);
  std::string text(static_cast<size_t>(count), '\0');
  ReadBuffer(text.data(), count);
  return text;
}

void TMyStream::ReadBlob(std::vector<uint8_t>& memory, int64_t count) {
  if (count < 0 || count > size_ - position_) FailReadBeyondEnd(count);
  memory.resize(static_cast<size_t>(count));
  ReadBuffer(memory.data(), count);
}

int32_t TMyStream::ReadCount(int64_t itemSize) {
  const int64_t at = position_;
  const int32_t count = ReadInteger();
  if (count < 0 || static_cast<int64_t>(count) * itemSize > size_ - position_) {
    throw SceneError(SceneError::Kind::InOut,
                     "Read beyond end of file (a count of " + std::to_string(count) +
                         " at offset " + std::to_string(at) + " of " + std::to_string(size_) +
                         ")");
  }
  return count;
}

std::string TMyStream::ReadString() { return ReadMagic(ReadCount(1)); }

void TMyStream::ReadCountedBlob(std::vector<uint8_t>& memory) { ReadBlob(memory, ReadCount(1)); }

void TMyStream::WriteBuffer(const void* buffer, int64_t count) {
  if (!writing_ || count < 0) {
    throw SceneError(SceneError::Kind::InOut, "File \"" + fileName_ + "\" is not open for writing");
  }
  if (count == 0) return;
  if (std::fwrite(buffer, 1, static_cast<size_t>(count), file_) != static_cast<size_t>(count)) {
    throw SceneError(SceneError::Kind::InOut, "Write error in file \"" + fileName_ + "\"");
  }
  position_ += count;
  size_ = position_;
}

void TMyStream::WriteInteger(int32_t value) {
  uint8_t bytes[4];
  WriteInt32LE(bytes, value);
  WriteBuffer(bytes, 4);
}

}  // namespace kx
