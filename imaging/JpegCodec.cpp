// JPEG decoding and encoding through libjpeg-turbo.
//
// libjpeg reports fatal errors through error_exit, which must not return: ours formats the
// message and longjmps back to the function that set the jump point. The functions that call
// setjmp keep every C++ object with a destructor in their caller, so a longjmp never skips
// one. libjpeg reports damaged entropy data and a premature end of data only as warnings and
// goes on with grey filler; we treat those warnings as errors, so a cut or damaged file is
// refused instead of shown half grey.
//
// Output is written straight into the Bitmap32 rows: libjpeg-turbo's extended colour spaces
// produce the bytes blue, green, red, alpha (0xFF) of a little-endian 0xAARRGGBB pixel.
#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

#include "imaging/CodecInternal.h"
#include "imaging/PictureCodec.h"

namespace kx {
namespace {

constexpr J_COLOR_SPACE kPixelSpace = std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;
constexpr J_COLOR_SPACE kPixelSpaceNoAlpha =
    std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool unsupported;  // the data is valid but of a kind that this build cannot decode
};

bool IsUnsupportedCode(int code) {
  switch (code) {
    case JERR_BAD_PRECISION:
    case JERR_ARITH_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_CCIR601_NOTIMPL:
      return true;
    default:
      return false;
  }
}

// Warnings that mean the pixel data is damaged or cut short; other warnings (extraneous
// bytes between markers, an unknown JFIF revision and the like) are harmless.
bool IsDamageWarning(int code) {
  switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
      return true;
    default:
      return false;
  }
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  err->unsupported = IsUnsupportedCode(cinfo->err->msg_code);
  std::longjmp(err->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && IsDamageWarning(cinfo->err->msg_code)) ErrorExit(cinfo);
  // Trace messages and harmless warnings are dropped: there is no log.
}

void InitErrorManager(ErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.emit_message = EmitMessage;
  err.message[0] = '\0';
  err.unsupported = false;
}

std::string JpegMessage(const ErrorManager& err) {
  if (err.unsupported) return std::string("Unsupported JPEG format (") + err.message + ")";
  return std::string("Damaged or truncated JPEG data (") + err.message + ")";
}

// Adobe CMYK: with an Adobe marker the samples are stored inverted (0 = full ink), as
// Photoshop writes them; without it 0 means no ink. R = (1 - C)(1 - K) in ink terms.
void CmykRowToPixels(const uint8_t* cmyk, int width, bool inverted, uint32_t* out) {
  for (int x = 0; x < width; ++x, cmyk += 4) {
    uint32_t c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    // Here c, m, y, k are "amount of light left" (255 - ink).
    const uint32_t r = (c * k + 127) / 255;
    const uint32_t g = (m * k + 127) / 255;
    const uint32_t b = (y * k + 127) / 255;
    out[x] = Rgb(r, g, b);
  }
}

struct DecodeState {
  Bitmap32 picture;
  std::vector<uint8_t> cmykRow;
  std::string error;
};

// Allocation failures are caught here so that the caller can still free libjpeg's state.
bool Allocate(DecodeState& state, int width, int height, bool cmyk) {
  try {
    state.picture.SetSize(width, height);
    if (cmyk) state.cmykRow.resize(static_cast<size_t>(width) * 4);
    return true;
  } catch (const std::bad_alloc&) {
    state.error = codec::kOutOfMemory;
    return false;
  }
}

// Holds no C++ object with a destructor: everything lives in `state`.
bool DecodeJpegInner(const uint8_t* data, size_t size, DecodeState& state) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  InitErrorManager(err);
  cinfo.err = &err.pub;
  if (setjmp(err.jump)) {
    state.error = JpegMessage(err);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (!codec::CheckPictureSize(cinfo.image_width, cinfo.image_height, state.error)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : kPixelSpace;
  jpeg_start_decompress(&cinfo);
  const int width = static_cast<int>(cinfo.output_width);
  const int height = static_cast<int>(cinfo.output_height);
  if (!Allocate(state, width, height, cmyk)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  const bool inverted = cinfo.saw_Adobe_marker;
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = static_cast<int>(cinfo.output_scanline);
    if (cmyk) {
      JSAMPROW row = state.cmykRow.data();
      jpeg_read_scanlines(&cinfo, &row, 1);
      CmykRowToPixels(state.cmykRow.data(), width, inverted, state.picture.Row(y));
    } else {
      JSAMPROW rows[16];
      const int count = std::min(16, height - y);
      for (int i = 0; i < count; ++i) rows[i] = reinterpret_cast<JSAMPROW>(state.picture.Row(y + i));
      jpeg_read_scanlines(&cinfo, rows, static_cast<JDIMENSION>(count));
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

struct EncodeState {
  unsigned char* buffer = nullptr;  // owned by libjpeg's memory destination, freed with free()
  unsigned long size = 0;
  std::vector<uint8_t> greyRow;
  std::string error;
  ~EncodeState() { std::free(buffer); }
};

bool EncodeJpegInner(const Bitmap32& picture, const JpegOptions& options, EncodeState& state) {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  InitErrorManager(err);
  cinfo.err = &err.pub;
  if (setjmp(err.jump)) {
    state.error = std::string("Cannot write JPEG data (") + err.message + ")";
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &state.buffer, &state.size);
  cinfo.image_width = static_cast<JDIMENSION>(picture.Width());
  cinfo.image_height = static_cast<JDIMENSION>(picture.Height());
  if (options.greyscale) {
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
  } else {
    cinfo.input_components = 4;
    cinfo.in_color_space = kPixelSpaceNoAlpha;
  }
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, std::clamp(options.quality, 1, 100), TRUE);
  if (options.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint32_t* src = picture.Row(static_cast<int>(cinfo.next_scanline));
    JSAMPROW row;
    if (options.greyscale) {
      // ITU-R BT.601 luma, the weights the JPEG colour transform itself uses.
      for (int x = 0; x < picture.Width(); ++x) {
        const uint32_t c = src[x];
        state.greyRow[x] = static_cast<uint8_t>((RedOf(c) * 19595 + GreenOf(c) * 38470 + BlueOf(c) * 7471 + 32768) >> 16);
      }
      row = state.greyRow.data();
    } else {
      // libjpeg does not write through the row pointers it is given.
      row = reinterpret_cast<JSAMPROW>(const_cast<uint32_t*>(src));
    }
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, Bitmap32& out, std::string& error) {
  if (DetectPictureFormat(data, size) != PictureFormat::Jpeg) {
    error = "Not JPEG data";
    return false;
  }
  try {
    DecodeState state;
    if (!DecodeJpegInner(data, size, state)) {
      error = state.error;
      return false;
    }
    out = std::move(state.picture);
    return true;
  } catch (const std::bad_alloc&) {
    error = codec::kOutOfMemory;
    return false;
  }
}

bool EncodeJpeg(const Bitmap32& picture, const JpegOptions& options, std::vector<uint8_t>& out,
                std::string& error) {
  if (picture.Empty()) {
    error = "Cannot write an empty picture as JPEG";
    return false;
  }
  try {
    EncodeState state;
    if (options.greyscale) state.greyRow.resize(static_cast<size_t>(picture.Width()));  // before libjpeg's state
    if (!EncodeJpegInner(picture, options, state)) {
      error = state.error;
      return false;
    }
    out.assign(state.buffer, state.buffer + state.size);
    return true;
  } catch (const std::bad_alloc&) {
    error = codec::kOutOfMemory;
    return false;
  }
}

bool EncodeJpeg(const Bitmap32& picture, int quality, std::vector<uint8_t>& out, std::string& error) {
  JpegOptions options;
  options.quality = quality;
  return EncodeJpeg(picture, options, out, error);
}

}  // namespace kx
