// Format detection, the decoding entry points and the whole-file helpers.
#include "imaging/PictureCodec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace kx {

PictureFormat DetectPictureFormat(const uint8_t* data, size_t size) {
  if (data == nullptr) return PictureFormat::Unknown;
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return PictureFormat::Jpeg;
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size >= 8 && std::memcmp(data, kPngSignature, 8) == 0) return PictureFormat::Png;
  if (size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0))
    return PictureFormat::Gif;
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return PictureFormat::Bmp;
  return PictureFormat::Unknown;
}

const char* PictureFormatName(PictureFormat format) {
  switch (format) {
    case PictureFormat::Jpeg: return "JPEG";
    case PictureFormat::Png: return "PNG";
    case PictureFormat::Gif: return "GIF";
    case PictureFormat::Bmp: return "BMP";
    case PictureFormat::Unknown: break;
  }
  return "unknown";
}

bool DecodePicture(const uint8_t* data, size_t size, Bitmap32& out, std::string& error) {
  switch (DetectPictureFormat(data, size)) {
    case PictureFormat::Jpeg: return DecodeJpeg(data, size, out, error);
    case PictureFormat::Png: return DecodePng(data, size, out, nullptr, error);
    case PictureFormat::Gif: return DecodeGif(data, size, out, error);
    case PictureFormat::Bmp: return DecodeBmp(data, size, out, error);
    case PictureFormat::Unknown: break;
  }
  error = size == 0 ? "Picture data is empty" : "Unknown picture format";
  return false;
}

bool DecodePicture(const std::vector<uint8_t>& data, Bitmap32& out, std::string& error) {
  return DecodePicture(data.data(), data.size(), out, error);
}

bool DecodePictureFile(const std::string& path, Bitmap32& out, std::string& error) {
  std::vector<uint8_t> data;
  if (!ReadWholeFile(path, data, error)) return false;
  if (!DecodePicture(data, out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

namespace {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, std::string& error) {
  // O_NONBLOCK: opening a FIFO or a terminal must not wait; only regular files are read.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = "Cannot open " + path + " (" + std::strerror(errno) + ")";
    return false;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxPictureFileBytes) {
    close(fd);
    error = "Cannot read " + path + " (not a regular file, or larger than " +
            std::to_string(kMaxPictureFileBytes >> 20) + " MB)";
    return false;
  }
  const int64_t size = st.st_size;
  std::vector<uint8_t> data;
  bool ok = true;
  try {
    data.resize(static_cast<size_t>(size));
    size_t done = 0;
    while (done < data.size()) {
      const ssize_t n = read(fd, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // the file shrank: keep what is there
      done += static_cast<size_t>(n);
    }
    ok = done == data.size() || done > 0 || size == 0;
    data.resize(done);
  } catch (const std::bad_alloc&) {
    close(fd);
    error = "Not enough memory to read " + path;
    return false;
  }
  close(fd);
  if (!ok) {
    error = "Cannot read " + path;
    return false;
  }
  out = std::move(data);
  return true;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& data, std::string& error) {
  FilePtr file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    error = "Cannot create " + path + " (" + std::strerror(errno) + ")";
    return false;
  }
  if (!data.empty() && std::fwrite(data.data(), 1, data.size(), file.get()) != data.size()) {
    error = "Cannot write " + path;
    return false;
  }
  if (std::fclose(file.release()) != 0) {
    error = "Cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace kx
