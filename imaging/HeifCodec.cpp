// HEIF (HEIC) and AVIF decoding through libheif.
//
// libheif reads the container, finds the primary image and hands its coded data to the
// decoder built into it for the coding (libde265 for HEVC, dav1d or libaom for AV1). The
// primary image's size is checked before it is decoded; libheif itself is told a limit for
// each side of every image in the file, so that tiles and hidden images are bounded too.
// Rotation, mirroring and crop of the file are applied by libheif (in HEIF they are part of
// the picture, and the EXIF orientation some cameras write beside them must not be applied
// on top). Alpha is kept; libheif hands it over straight unless the file says premultiplied.
#include <algorithm>
#include <memory>
#include <new>

#include <libheif/heif.h>

#include "imaging/CodecInternal.h"
#include "imaging/PictureCodec.h"

namespace kx {
namespace {

// The largest side libheif accepts for any image in the file. Beyond any camera or scanner;
// a side this long fits the pixel limit only as a thin strip.
constexpr int kMaxSide = 65535;

struct ContextFree {
  void operator()(heif_context* p) const { heif_context_free(p); }
};
struct HandleRelease {
  void operator()(heif_image_handle* p) const { heif_image_handle_release(p); }
};
struct ImageRelease {
  void operator()(heif_image* p) const { heif_image_release(p); }
};
struct OptionsFree {
  void operator()(heif_decoding_options* p) const { heif_decoding_options_free(p); }
};

bool Fail(std::string& error, const char* kind, const heif_error& err) {
  const std::string message = err.message != nullptr && *err.message != '\0' ? err.message : "unknown error";
  if (err.subcode == heif_suberror_Security_limit_exceeded) {
    error = "Picture is too large (" + message + ")";
    return false;
  }
  switch (err.code) {
    case heif_error_Memory_allocation_error:
      error = codec::kOutOfMemory;
      break;
    case heif_error_Unsupported_filetype:
    case heif_error_Unsupported_feature:
      error = std::string("Unsupported ") + kind + " format (" + message + ")";
      break;
    default:
      error = std::string("Damaged or truncated ") + kind + " data (" + message + ")";
      break;
  }
  return false;
}

// 8-bit RGB or RGBA rows into 0xAARRGGBB pixels.
void CopyRows(const uint8_t* plane, int stride, bool alpha, bool premultiplied, Bitmap32& picture) {
  const int channels = alpha ? 4 : 3;
  for (int y = 0; y < picture.Height(); ++y) {
    const uint8_t* src = plane + static_cast<size_t>(y) * stride;
    uint32_t* dst = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x, src += channels) {
      uint32_t r = src[0], g = src[1], b = src[2];
      const uint32_t a = alpha ? src[3] : 0xFF;
      if (premultiplied && a != 0 && a != 0xFF) {
        r = std::min<uint32_t>(255, (r * 255 + a / 2) / a);
        g = std::min<uint32_t>(255, (g * 255 + a / 2) / a);
        b = std::min<uint32_t>(255, (b * 255 + a / 2) / a);
      }
      dst[x] = Argb(a, r, g, b);
    }
  }
}

}  // namespace

bool DecodeHeif(const uint8_t* data, size_t size, Bitmap32& out, std::string& error) {
  const PictureFormat format = DetectPictureFormat(data, size);
  if (format != PictureFormat::Heif && format != PictureFormat::Avif) {
    error = "Not HEIF or AVIF data";
    return false;
  }
  const char* kind = PictureFormatName(format);
  try {
    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (!context) {
      error = codec::kOutOfMemory;
      return false;
    }
    heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
    heif_error err = heif_context_read_from_memory_without_copy(context.get(), data, size, nullptr);
    if (err.code != heif_error_Ok) return Fail(error, kind, err);

    heif_image_handle* rawHandle = nullptr;
    err = heif_context_get_primary_image_handle(context.get(), &rawHandle);
    if (err.code != heif_error_Ok) return Fail(error, kind, err);
    std::unique_ptr<heif_image_handle, HandleRelease> handle(rawHandle);
    if (!codec::CheckPictureSize(heif_image_handle_get_width(handle.get()),
                                 heif_image_handle_get_height(handle.get()), error))
      return false;

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    if (!options) {
      error = codec::kOutOfMemory;
      return false;
    }
    options->ignore_transformations = 0;
    options->convert_hdr_to_8bit = 1;
    options->strict_decoding = 1;  // damage is an error, not a picture patched up with warnings
    heif_image* rawImage = nullptr;
    err = heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    if (err.code != heif_error_Ok) return Fail(error, kind, err);
    std::unique_ptr<heif_image, ImageRelease> image(rawImage);

    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (plane == nullptr || heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) != 8) {
      error = std::string("Unsupported ") + kind + " format (no 8-bit RGB output)";
      return false;
    }
    if (!codec::CheckPictureSize(width, height, error)) return false;
    if (stride < width * (alpha ? 4 : 3)) {
      error = std::string("Damaged or truncated ") + kind + " data (short rows)";
      return false;
    }
    Bitmap32 picture(width, height);
    CopyRows(plane, stride, alpha, alpha && heif_image_is_premultiplied_alpha(image.get()) != 0, picture);
    out = std::move(picture);
    return true;
  } catch (const std::bad_alloc&) {
    error = codec::kOutOfMemory;
    return false;
  }
}

}  // namespace kx
