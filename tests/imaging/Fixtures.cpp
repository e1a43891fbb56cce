#include "tests/imaging/Fixtures.h"

#include <gif_lib.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace kx::test {

// ---- PNG ----

namespace {
void PngAppend(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void PngFlush(png_structp) {}
[[noreturn]] void PngFail(png_structp, png_const_charp message) { throw std::runtime_error(message); }
void PngWarn(png_structp, png_const_charp) {}

int ChannelsOf(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;  // palette
  }
}
}  // namespace

Bytes WritePng(const PngLayout& layout) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngWarn);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, PngAppend, PngFlush);
  png_set_IHDR(png, info, layout.width, layout.height, layout.bitDepth, layout.colorType,
               layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (layout.colorType == PNG_COLOR_TYPE_PALETTE) {
    std::vector<png_color> colors;
    for (uint32_t c : layout.palette)
      colors.push_back(png_color{static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)});
    png_set_PLTE(png, info, colors.data(), static_cast<int>(colors.size()));
    if (!layout.paletteAlpha.empty())
      png_set_tRNS(png, info, layout.paletteAlpha.data(), static_cast<int>(layout.paletteAlpha.size()), nullptr);
  } else if (layout.hasColorKey) {
    png_color_16 key{};
    key.gray = layout.keyGrey;
    key.red = layout.keyRed;
    key.green = layout.keyGreen;
    key.blue = layout.keyBlue;
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_write_info(png, info);
  const int channels = ChannelsOf(layout.colorType);
  const size_t rowBytes = (static_cast<size_t>(layout.width) * channels * layout.bitDepth + 7) / 8;
  std::vector<Bytes> rows(layout.height, Bytes(rowBytes, 0));
  for (int y = 0; y < layout.height; ++y) {
    for (int i = 0; i < layout.width * channels; ++i) {
      const uint16_t v = layout.samples[static_cast<size_t>(y) * layout.width * channels + i];
      Bytes& row = rows[y];
      if (layout.bitDepth == 16) {
        row[2 * i] = static_cast<uint8_t>(v >> 8);
        row[2 * i + 1] = static_cast<uint8_t>(v);
      } else if (layout.bitDepth == 8) {
        row[i] = static_cast<uint8_t>(v);
      } else {
        const int perByte = 8 / layout.bitDepth;
        const int shift = 8 - layout.bitDepth * (i % perByte + 1);
        row[i / perByte] |= static_cast<uint8_t>(v << shift);
      }
    }
  }
  std::vector<png_bytep> pointers;
  for (Bytes& r : rows) pointers.push_back(r.data());
  png_write_image(png, pointers.data());  // handles the Adam7 passes itself
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// ---- JPEG ----

namespace {
[[noreturn]] void JpegFail(j_common_ptr cinfo) {
  char message[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, message);
  throw std::runtime_error(message);
}
}  // namespace

Bytes WriteJpeg(const JpegLayout& layout) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  err.error_exit = JpegFail;
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = layout.width;
  cinfo.image_height = layout.height;
  cinfo.input_components = layout.components;
  cinfo.in_color_space = layout.inputSpace;
  jpeg_set_defaults(&cinfo);
  jpeg_set_colorspace(&cinfo, layout.fileSpace);
  if (!layout.adobeMarker) cinfo.write_Adobe_marker = FALSE;
  jpeg_set_quality(&cinfo, layout.quality, TRUE);
  if (layout.fullChroma)
    for (int c = 0; c < cinfo.num_components; ++c) cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  if (layout.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(layout.samples.data() +
                                        static_cast<size_t>(cinfo.next_scanline) * layout.width * layout.components);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// ---- GIF ----

namespace {
int GifAppend(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

ColorMapObject* MapOf(const std::vector<uint32_t>& table) {
  if (table.empty()) return nullptr;
  std::vector<GifColorType> colors;
  for (uint32_t c : table)
    colors.push_back(GifColorType{static_cast<GifByteType>(c >> 16), static_cast<GifByteType>(c >> 8), static_cast<GifByteType>(c)});
  return GifMakeMapObject(static_cast<int>(colors.size()), colors.data());
}

void Check(int result) {
  if (result == GIF_ERROR) throw std::runtime_error("giflib write failed");
}
}  // namespace

Bytes WriteGif(const GifLayout& layout) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, GifAppend, &error);
  EGifSetGifVersion(gif, true);
  ColorMapObject* global = MapOf(layout.globalTable);
  Check(EGifPutScreenDesc(gif, layout.width, layout.height, 8, 0, global));
  GifFreeMapObject(global);
  if (layout.loopCount >= 0) {
    const uint8_t loop[3] = {1, static_cast<uint8_t>(layout.loopCount), static_cast<uint8_t>(layout.loopCount >> 8)};
    Check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE));
    Check(EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0"));
    Check(EGifPutExtensionBlock(gif, 3, loop));
    Check(EGifPutExtensionTrailer(gif));
  }
  for (const GifFrameLayout& f : layout.frames) {
    if (f.writeControl) {
      const uint8_t gce[4] = {static_cast<uint8_t>((f.disposal << 2) | (f.transparentIndex >= 0 ? 1 : 0)),
                              static_cast<uint8_t>(f.delayCs), static_cast<uint8_t>(f.delayCs >> 8),
                              static_cast<uint8_t>(f.transparentIndex >= 0 ? f.transparentIndex : 0)};
      Check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce));
    }
    ColorMapObject* local = MapOf(f.localTable);
    if (local == nullptr && gif->Image.ColorMap != nullptr) {  // giflib would leak its old copy
      GifFreeMapObject(gif->Image.ColorMap);
      gif->Image.ColorMap = nullptr;
    }
    Check(EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local));
    GifFreeMapObject(local);
    // Interlaced rows go out in the four passes of the format, listed here independently.
    std::vector<int> rows;
    if (f.interlaced) {
      for (int y = 0; y < f.height; y += 8) rows.push_back(y);
      for (int y = 4; y < f.height; y += 8) rows.push_back(y);
      for (int y = 2; y < f.height; y += 4) rows.push_back(y);
      for (int y = 1; y < f.height; y += 2) rows.push_back(y);
    } else {
      for (int y = 0; y < f.height; ++y) rows.push_back(y);
    }
    for (int y : rows) {
      std::vector<GifPixelType> line(f.indices.begin() + static_cast<size_t>(y) * f.width,
                                     f.indices.begin() + static_cast<size_t>(y + 1) * f.width);
      Check(EGifPutLine(gif, line.data(), f.width));
    }
  }
  Check(EGifCloseFile(gif, &error));
  return out;
}

// ---- BMP ----

Bytes WriteBmp(const BmpLayout& layout) {
  const int h = layout.height < 0 ? -layout.height : layout.height;
  const size_t stride = (static_cast<size_t>(layout.width) * layout.bitCount + 31) / 32 * 4;
  const bool core = layout.headerSize == 12;
  const size_t entry = core ? 3 : 4;
  const bool masksAfterHeader = layout.compression == 3 && layout.headerSize == 40;
  const size_t pixelOffset = 14 + layout.headerSize + (masksAfterHeader ? 12 : 0) + layout.palette.size() * entry;
  Bytes out(pixelOffset + stride * h, 0);
  auto put16 = [&](size_t at, uint32_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  auto put32 = [&](size_t at, uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<uint32_t>(out.size()));
  put32(10, static_cast<uint32_t>(pixelOffset));
  put32(14, layout.headerSize);
  if (core) {
    put16(18, layout.width);
    put16(20, h);
    put16(22, 1);
    put16(24, layout.bitCount);
  } else {
    put32(18, static_cast<uint32_t>(layout.width));
    put32(22, static_cast<uint32_t>(layout.height));
    put16(26, 1);
    put16(28, layout.bitCount);
    put32(30, layout.compression);
    put32(34, static_cast<uint32_t>(stride * h));
    put32(46, layout.colorsUsed);
    if (layout.compression == 3)
      for (int i = 0; i < 3; ++i) put32(14 + 40 + 4 * i, layout.masks[i]);
  }
  for (size_t i = 0; i < layout.palette.size(); ++i) {
    const size_t at = 14 + layout.headerSize + (masksAfterHeader ? 12 : 0) + i * entry;
    out[at] = static_cast<uint8_t>(layout.palette[i]);
    out[at + 1] = static_cast<uint8_t>(layout.palette[i] >> 8);
    out[at + 2] = static_cast<uint8_t>(layout.palette[i] >> 16);
  }
  for (int y = 0; y < h; ++y) {
    const int fileRow = layout.height < 0 ? y : h - 1 - y;
    uint8_t* row = out.data() + pixelOffset + stride * fileRow;
    for (int x = 0; x < layout.width; ++x) {
      const uint32_t v = layout.values[static_cast<size_t>(y) * layout.width + x];
      switch (layout.bitCount) {
        case 1: row[x / 8] |= static_cast<uint8_t>((v & 1) << (7 - x % 8)); break;
        case 4: row[x / 2] |= static_cast<uint8_t>((v & 15) << (x % 2 ? 0 : 4)); break;
        case 8: row[x] = static_cast<uint8_t>(v); break;
        case 16: row[2 * x] = static_cast<uint8_t>(v); row[2 * x + 1] = static_cast<uint8_t>(v >> 8); break;
        case 24: row[3 * x] = static_cast<uint8_t>(v); row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
                 row[3 * x + 2] = static_cast<uint8_t>(v >> 16); break;
        case 32: for (int b = 0; b < 4; ++b) row[4 * x + b] = static_cast<uint8_t>(v >> (8 * b)); break;
        default: break;
      }
    }
  }
  return out;
}

Bitmap32 PatternPicture(int width, int height) {
  Bitmap32 picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, Rgb(x * 255 / std::max(width - 1, 1), y * 255 / std::max(height - 1, 1), (x * 37 + y * 91) & 0xFF));
  return picture;
}

namespace {
// The temporary folder of this test process, removed when the process ends.
struct TempFolder {
  std::filesystem::path path;
  TempFolder() : path(std::filesystem::temp_directory_path() / ("kx_imaging_test_" + std::to_string(getpid()))) {
    std::filesystem::create_directories(path);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};
}  // namespace

std::string TempPath(const std::string& name) {
  static const TempFolder folder;
  return (folder.path / name).string();
}

}  // namespace kx::test
