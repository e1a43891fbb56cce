// WebP decoding through libwebp.
//
// The size comes from WebPGetFeatures (the VP8/VP8L header, or the canvas of a VP8X file)
// and is checked before anything is allocated. A still picture is decoded straight into the
// Bitmap32 rows: libwebp's MODE_BGRA writes the bytes blue, green, red, alpha of a
// little-endian 0xAARRGGBB pixel, with straight alpha. An animation goes through libwebp's
// animation decoder, which composes the first frame onto the canvas; the canvas is copied out.
// libwebp reports status codes only; they are turned into words here.
#include <bit>
#include <cstring>
#include <new>

#include <webp/decode.h>
#include <webp/demux.h>

#include "imaging/CodecInternal.h"
#include "imaging/PictureCodec.h"

namespace kx {
namespace {

static_assert(std::endian::native == std::endian::little, "MODE_BGRA is the pixel layout on little-endian");

const char* StatusText(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OK: return "no error";
    case VP8_STATUS_OUT_OF_MEMORY: return "out of memory";
    case VP8_STATUS_INVALID_PARAM: return "invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR: return "bitstream error";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "unsupported feature";
    case VP8_STATUS_SUSPENDED: return "suspended";
    case VP8_STATUS_USER_ABORT: return "aborted";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "not enough data";
  }
  return "unknown error";
}

bool Fail(std::string& error, VP8StatusCode status) {
  if (status == VP8_STATUS_OUT_OF_MEMORY) {
    error = codec::kOutOfMemory;
  } else if (status == VP8_STATUS_UNSUPPORTED_FEATURE) {
    error = std::string("Unsupported WebP format (") + StatusText(status) + ")";
  } else {
    error = std::string("Damaged or truncated WebP data (") + StatusText(status) + ")";
  }
  return false;
}

// Into the picture's own rows (external memory: libwebp allocates no output of its own).
bool DecodeStill(const uint8_t* data, size_t size, Bitmap32& picture, std::string& error) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) return Fail(error, VP8_STATUS_INVALID_PARAM);
  config.output.colorspace = MODE_BGRA;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = reinterpret_cast<uint8_t*>(picture.Data());
  config.output.u.RGBA.stride = static_cast<int>(picture.StrideBytes());
  config.output.u.RGBA.size = picture.PixelCount() * 4;
  const VP8StatusCode status = WebPDecode(data, size, &config);
  WebPFreeDecBuffer(&config.output);
  return status == VP8_STATUS_OK || Fail(error, status);
}

bool DecodeFirstFrame(const uint8_t* data, size_t size, Bitmap32& picture, std::string& error) {
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options)) return Fail(error, VP8_STATUS_INVALID_PARAM);
  options.color_mode = MODE_BGRA;
  options.use_threads = 0;
  const WebPData webp = {data, size};
  WebPAnimDecoder* decoder = WebPAnimDecoderNew(&webp, &options);
  if (decoder == nullptr) return Fail(error, VP8_STATUS_BITSTREAM_ERROR);
  WebPAnimInfo info;
  uint8_t* canvas = nullptr;
  int timestamp = 0;
  const bool ok = WebPAnimDecoderGetInfo(decoder, &info) && info.canvas_width == uint32_t(picture.Width()) &&
                  info.canvas_height == uint32_t(picture.Height()) &&
                  WebPAnimDecoderGetNext(decoder, &canvas, &timestamp) && canvas != nullptr;
  if (ok) std::memcpy(picture.Data(), canvas, picture.PixelCount() * 4);
  WebPAnimDecoderDelete(decoder);
  return ok || Fail(error, VP8_STATUS_BITSTREAM_ERROR);
}

}  // namespace

bool DecodeWebp(const uint8_t* data, size_t size, Bitmap32& out, std::string& error) {
  if (DetectPictureFormat(data, size) != PictureFormat::Webp) {
    error = "Not WebP data";
    return false;
  }
  WebPBitstreamFeatures features;
  const VP8StatusCode status = WebPGetFeatures(data, size, &features);
  if (status != VP8_STATUS_OK) return Fail(error, status);
  if (!codec::CheckPictureSize(features.width, features.height, error)) return false;
  try {
    Bitmap32 picture(features.width, features.height);
    const bool ok = features.has_animation ? DecodeFirstFrame(data, size, picture, error)
                                           : DecodeStill(data, size, picture, error);
    if (!ok) return false;
    out = std::move(picture);
    return true;
  } catch (const std::bad_alloc&) {
    error = codec::kOutOfMemory;
    return false;
  }
}

}  // namespace kx
