// PNG decoding and encoding through libpng.
//
// libpng reports errors by calling our error function, which records the message and
// longjmps to the jump point set in the function that drives the reader; as in the JPEG
// codec, that function keeps its C++ objects in a state struct owned by its caller. Gamma,
// colour profiles and background chunks are ignored: samples are taken as they are stored.
//
// Decoding asks libpng for 8-bit BGRA whatever the colour type: palettes are expanded (tRNS
// becomes alpha), grey becomes RGB, 16-bit samples are scaled to 8 bits with rounding, and a
// filler alpha of 0xFF is added when the picture has no alpha. Reading goes on to IEND, so a
// file cut anywhere is refused.
#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <png.h>

#include "imaging/CodecInternal.h"
#include "imaging/PictureCodec.h"

namespace kx {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the PNG codec writes BGRA bytes as 0xAARRGGBB pixels");

struct ReadSource {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

struct PngErrorInfo {
  char message[200];
};

[[noreturn]] void ErrorFn(png_structp png, png_const_charp message) {
  auto* info = static_cast<PngErrorInfo*>(png_get_error_ptr(png));
  std::snprintf(info->message, sizeof info->message, "%s", message ? message : "");
  png_longjmp(png, 1);
}

void WarningFn(png_structp, png_const_charp) {}  // warnings are dropped: there is no log

void ReadFn(png_structp png, png_bytep out, png_size_t length) {
  auto* src = static_cast<ReadSource*>(png_get_io_ptr(png));
  if (length > src->size - src->pos) png_error(png, "unexpected end of data");
  std::memcpy(out, src->data + src->pos, length);
  src->pos += length;
}

struct DecodeState {
  Bitmap32 picture;
  std::vector<png_bytep> rows;
  bool hasAlpha = false;
  std::string error;
};

// Allocation failures are caught here so that the caller can still free libpng's state.
bool Allocate(DecodeState& state, png_uint_32 width, png_uint_32 height) {
  try {
    state.picture.SetSize(static_cast<int>(width), static_cast<int>(height));
    state.rows.resize(height);
    return true;
  } catch (const std::bad_alloc&) {
    state.error = codec::kOutOfMemory;
    return false;
  }
}

bool DecodePngInner(const uint8_t* data, size_t size, DecodeState& state) {
  PngErrorInfo errorInfo{};
  ReadSource source{data, size, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &errorInfo, ErrorFn, WarningFn);
  if (png == nullptr) {
    state.error = codec::kOutOfMemory;
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    state.error = codec::kOutOfMemory;
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    state.error = std::string("Damaged or truncated PNG data (") + errorInfo.message + ")";
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &source, ReadFn);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (!codec::CheckPictureSize(width, height, state.error)) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  const int colorType = png_get_color_type(png, info);
  state.hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;

  png_set_expand(png);  // palette to RGB, low-bit grey to 8 bits, tRNS to alpha
  png_set_scale_16(png);
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!state.hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) png_error(png, "unexpected row layout");

  if (!Allocate(state, width, height)) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  for (png_uint_32 y = 0; y < height; ++y)
    state.rows[y] = reinterpret_cast<png_bytep>(state.picture.Row(static_cast<int>(y)));
  png_read_image(png, state.rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

struct EncodeState {
  std::vector<uint8_t> bytes;
  std::vector<png_bytep> rows;
  std::string error;
};

void WriteFn(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  bool stored = true;
  try {
    out->insert(out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    stored = false;
  }
  if (!stored) png_error(png, "out of memory");  // outside the handler: png_error longjmps
}

void FlushFn(png_structp) {}

bool EncodePngInner(const Bitmap32& picture, bool withAlpha, EncodeState& state) {
  PngErrorInfo errorInfo{};
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &errorInfo, ErrorFn, WarningFn);
  if (png == nullptr) {
    state.error = codec::kOutOfMemory;
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    state.error = codec::kOutOfMemory;
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    state.error = std::string("Cannot write PNG data (") + errorInfo.message + ")";
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &state.bytes, WriteFn, FlushFn);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.Width()), static_cast<png_uint_32>(picture.Height()), 8,
               withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  if (!withAlpha) png_set_filler(png, 0, PNG_FILLER_AFTER);  // on writing: drop the 4th byte
  for (int y = 0; y < picture.Height(); ++y)
    state.rows[y] = reinterpret_cast<png_bytep>(const_cast<uint32_t*>(picture.Row(y)));  // not written to
  png_write_image(png, state.rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, Bitmap32& out, std::vector<uint8_t>* alphaPlane,
               std::string& error) {
  if (DetectPictureFormat(data, size) != PictureFormat::Png) {
    error = "Not PNG data";
    return false;
  }
  try {
    DecodeState state;
    if (!DecodePngInner(data, size, state)) {
      error = state.error;
      return false;
    }
    if (alphaPlane != nullptr) {
      alphaPlane->clear();
      if (state.hasAlpha) {
        alphaPlane->resize(state.picture.PixelCount());
        const uint32_t* p = state.picture.Data();
        for (size_t i = 0; i < state.picture.PixelCount(); ++i) (*alphaPlane)[i] = static_cast<uint8_t>(p[i] >> 24);
      }
    }
    out = std::move(state.picture);
    return true;
  } catch (const std::bad_alloc&) {
    error = codec::kOutOfMemory;
    return false;
  }
}

bool EncodePng(const Bitmap32& picture, std::vector<uint8_t>& out, std::string& error) {
  if (picture.Empty()) {
    error = "Cannot write an empty picture as PNG";
    return false;
  }
  const uint32_t* p = picture.Data();
  const bool withAlpha = std::any_of(p, p + picture.PixelCount(), [](uint32_t c) { return AlphaOf(c) != 0xFF; });
  try {
    EncodeState state;
    state.rows.resize(static_cast<size_t>(picture.Height()));  // before libpng's state exists
    if (!EncodePngInner(picture, withAlpha, state)) {
      error = state.error;
      return false;
    }
    out = std::move(state.bytes);
    return true;
  } catch (const std::bad_alloc&) {
    error = codec::kOutOfMemory;
    return false;
  }
}

}  // namespace kx
