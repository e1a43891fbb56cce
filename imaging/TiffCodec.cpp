// TIFF decoding through libtiff's RGBA reader.
//
// The file is read from memory through libtiff's client procedures (read, seek, size, and a
// read-only map of the same bytes). libtiff reports through error and warning handlers that
// print to stderr unless told otherwise; each decode passes its own handlers with the open
// options, so the message lands in that decode's error text and two decodes on two threads
// never mix their messages. Warnings are dropped: there is no log. The same options cap every
// single allocation libtiff makes, so a header cannot make it reserve more than a picture of
// the size limit could need.
//
// Size is checked from the first directory before the picture is allocated. The RGBA reader
// is asked for the rows in stored order (requested orientation = the file's own), so the
// Orientation tag is left to the caller, which handles all eight values; libtiff's own
// reorientation knows only flips. Its output is packed A, B, G, R with alpha premultiplied;
// it is turned into straight 0xAARRGGBB here.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include <tiffio.h>

#include "imaging/CodecInternal.h"
#include "imaging/PictureCodec.h"

namespace kx {
namespace {

struct MemoryFile {
  const uint8_t* data;
  size_t size;
  uint64_t position = 0;
  std::string message;  // the first error libtiff reported
};

tmsize_t Read(thandle_t handle, void* buffer, tmsize_t count) {
  auto* file = static_cast<MemoryFile*>(handle);
  if (count <= 0 || file->position >= file->size) return 0;
  const size_t n = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(count), file->size - file->position));
  std::memcpy(buffer, file->data + file->position, n);
  file->position += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t Write(thandle_t, void*, tmsize_t) { return 0; }

toff_t Seek(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<MemoryFile*>(handle);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = file->position;
  else if (whence == SEEK_END) base = file->size;
  else if (whence != SEEK_SET) return static_cast<toff_t>(-1);
  if (offset > UINT64_MAX - base) return static_cast<toff_t>(-1);
  file->position = base + offset;
  return file->position;
}

int Close(thandle_t) { return 0; }
toff_t Size(thandle_t handle) { return static_cast<MemoryFile*>(handle)->size; }

int Map(thandle_t handle, void** base, toff_t* size) {
  auto* file = static_cast<MemoryFile*>(handle);
  *base = const_cast<uint8_t*>(file->data);  // opened for reading only: libtiff never writes here
  *size = file->size;
  return 1;
}
void Unmap(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* user, const char* module, const char* format, va_list args) {
  auto* file = static_cast<MemoryFile*>(user);
  if (file->message.empty()) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    file->message = (module != nullptr && *module != '\0' && std::strcmp(module, "picture") != 0)
                        ? std::string(module) + ": " + text
                        : std::string(text);
  }
  return 1;  // handled: libtiff's default handler stays silent
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// Messages that reach libtiff's process-wide handlers (there should be none: every open has
// its own) must not reach stderr either.
void SilenceProcessHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
}

struct TiffClose {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
struct OptionsFree {
  void operator()(TIFFOpenOptions* p) const { TIFFOpenOptionsFree(p); }
};

bool Fail(std::string& error, const char* what, const MemoryFile& file, const char* fallback) {
  error = std::string(what) + " (" + (file.message.empty() ? fallback : file.message) + ")";
  return false;
}

// Packed A, B, G, R with premultiplied alpha into straight 0xAARRGGBB, in place.
void ToPixels(Bitmap32& picture, bool alpha) {
  uint32_t* p = picture.Data();
  for (size_t i = 0, n = picture.PixelCount(); i < n; ++i) {
    const uint32_t v = p[i];
    uint32_t r = TIFFGetR(v), g = TIFFGetG(v), b = TIFFGetB(v);
    const uint32_t a = alpha ? TIFFGetA(v) : 0xFF;
    if (a != 0xFF && a != 0) {
      r = std::min<uint32_t>(255, (r * 255 + a / 2) / a);
      g = std::min<uint32_t>(255, (g * 255 + a / 2) / a);
      b = std::min<uint32_t>(255, (b * 255 + a / 2) / a);
    }
    p[i] = Argb(a, r, g, b);
  }
}

}  // namespace

bool DecodeTiff(const uint8_t* data, size_t size, Bitmap32& out, int* orientation, std::string& error) {
  if (DetectPictureFormat(data, size) != PictureFormat::Tiff) {
    error = "Not TIFF data";
    return false;
  }
  SilenceProcessHandlers();
  constexpr const char* kDamaged = "Damaged or truncated TIFF data";
  try {
    MemoryFile file{data, size, 0, {}};
    std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
    if (!options) {
      error = codec::kOutOfMemory;
      return false;
    }
    // The largest strip or tile a picture of the size limit can have: 4 samples of 16 bits.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxPicturePixels * 8));
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, &file);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, &file);
    std::unique_ptr<TIFF, TiffClose> tif(
        TIFFClientOpenExt("picture", "r", &file, Read, Write, Seek, Close, Size, Map, Unmap, options.get()));
    if (!tif) return Fail(error, kDamaged, file, "cannot read the header");

    uint32_t width = 0, height = 0;
    if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height))
      return Fail(error, kDamaged, file, "no picture size");
    if (!codec::CheckPictureSize(width, height, error)) return false;

    char message[1024] = "";
    if (!TIFFRGBAImageOK(tif.get(), message)) {
      error = std::string("Unsupported TIFF format (") + message + ")";
      return false;
    }
    TIFFRGBAImage image;
    if (!TIFFRGBAImageBegin(&image, tif.get(), 1, message))
      return Fail(error, kDamaged, file, *message != '\0' ? message : "cannot start reading");
    const int stored = image.orientation >= 1 && image.orientation <= 8 ? image.orientation : 1;
    image.req_orientation = static_cast<uint16_t>(stored);
    Bitmap32 picture;
    try {
      picture.SetSize(static_cast<int>(width), static_cast<int>(height));
    } catch (const std::bad_alloc&) {
      TIFFRGBAImageEnd(&image);
      throw;
    }
    const int ok = TIFFRGBAImageGet(&image, picture.Data(), width, height);
    const bool alpha = image.alpha != 0;
    TIFFRGBAImageEnd(&image);
    if (!ok) return Fail(error, kDamaged, file, "cannot read the pixels");
    ToPixels(picture, alpha);
    if (orientation != nullptr) *orientation = stored;
    out = std::move(picture);
    return true;
  } catch (const std::bad_alloc&) {
    error = codec::kOutOfMemory;
    return false;
  }
}

}  // namespace kx
