// Format detection, the decoding entry points and the whole-file helpers.
#include "imaging/PictureCodec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace kx {
namespace {

uint32_t Be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

// ISO media brands of the "ftyp" box that name a still-picture file (HEIF with HEVC or
// any coding; AVIF with AV1), and which of the two it is.
struct Brand {
  char code[5];
  PictureFormat format;
};
constexpr std::array<Brand, 10> kBrands = {{
    {"avif", PictureFormat::Avif},
    {"avis", PictureFormat::Avif},
    {"heic", PictureFormat::Heif},
    {"heix", PictureFormat::Heif},
    {"heim", PictureFormat::Heif},
    {"heis", PictureFormat::Heif},
    {"hevc", PictureFormat::Heif},
    {"hevx", PictureFormat::Heif},
    {"mif1", PictureFormat::Heif},
    {"msf1", PictureFormat::Heif},
}};

PictureFormat BrandFormat(const uint8_t* code) {
  for (const Brand& b : kBrands)
    if (std::memcmp(code, b.code, 4) == 0) return b.format;
  return PictureFormat::Unknown;
}

// The ftyp box opens the file: size, "ftyp", major brand, minor version, compatible brands.
// The generic brands mif1/msf1 say only "HEIF"; an AVIF brand among the compatible ones
// makes it AVIF (the coding inside decides in the end, libheif reads both alike).
PictureFormat DetectIsoMedia(const uint8_t* data, size_t size) {
  if (size < 16 || std::memcmp(data + 4, "ftyp", 4) != 0) return PictureFormat::Unknown;
  const size_t boxEnd = std::min<size_t>(size, Be32(data));
  PictureFormat found = BrandFormat(data + 8);
  if (found == PictureFormat::Avif) return found;
  for (size_t at = 16; at + 4 <= boxEnd; at += 4) {
    const PictureFormat f = BrandFormat(data + at);
    if (f == PictureFormat::Avif && (found == PictureFormat::Unknown || std::memcmp(data + 8, "mif1", 4) == 0 ||
                                     std::memcmp(data + 8, "msf1", 4) == 0))
      return f;
    if (found == PictureFormat::Unknown) found = f;
  }
  return found;
}

}  // namespace

PictureFormat DetectPictureFormat(const uint8_t* data, size_t size) {
  if (data == nullptr) return PictureFormat::Unknown;
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return PictureFormat::Jpeg;
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size >= 8 && std::memcmp(data, kPngSignature, 8) == 0) return PictureFormat::Png;
  if (size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0))
    return PictureFormat::Gif;
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return PictureFormat::Bmp;
  if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0)
    return PictureFormat::Webp;
  // Classic TIFF (42) and BigTIFF (43), little- and big-endian.
  if (size >= 4 && ((data[0] == 'I' && data[1] == 'I' && (data[2] == 42 || data[2] == 43) && data[3] == 0) ||
                    (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && (data[3] == 42 || data[3] == 43))))
    return PictureFormat::Tiff;
  return DetectIsoMedia(data, size);
}

const char* PictureFormatName(PictureFormat format) {
  switch (format) {
    case PictureFormat::Jpeg: return "JPEG";
    case PictureFormat::Png: return "PNG";
    case PictureFormat::Gif: return "GIF";
    case PictureFormat::Bmp: return "BMP";
    case PictureFormat::Webp: return "WebP";
    case PictureFormat::Heif: return "HEIF";
    case PictureFormat::Avif: return "AVIF";
    case PictureFormat::Tiff: return "TIFF";
    case PictureFormat::Unknown: break;
  }
  return "unknown";
}

// Decodes into a picture of its own and turns it upright there, so that `out` changes only
// when everything has worked. The rotation happens once, on the decoded picture.
bool DecodePicture(const uint8_t* data, size_t size, Bitmap32& out, std::string& error) {
  Bitmap32 picture;
  int orientation = 1;
  bool ok = false;
  switch (DetectPictureFormat(data, size)) {
    case PictureFormat::Jpeg:
      ok = DecodeJpeg(data, size, picture, error);
      if (ok) orientation = JpegExifOrientation(data, size);
      break;
    case PictureFormat::Png: ok = DecodePng(data, size, picture, nullptr, error); break;
    case PictureFormat::Gif: ok = DecodeGif(data, size, picture, error); break;
    case PictureFormat::Bmp: ok = DecodeBmp(data, size, picture, error); break;
    case PictureFormat::Webp: ok = DecodeWebp(data, size, picture, error); break;
    case PictureFormat::Heif:
    case PictureFormat::Avif: ok = DecodeHeif(data, size, picture, error); break;
    case PictureFormat::Tiff: ok = DecodeTiff(data, size, picture, &orientation, error); break;
    case PictureFormat::Unknown:
      error = size == 0 ? "Picture data is empty" : "Unknown picture format";
      return false;
  }
  if (!ok || !ApplyOrientation(picture, orientation, error)) return false;
  out = std::move(picture);
  return true;
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
