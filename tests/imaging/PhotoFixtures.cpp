// Writers of WebP, HEIF/AVIF, TIFF and EXIF-tagged JPEG fixtures, through libwebp's, libheif's
// and libtiff's own encoders (the engine only decodes these kinds), and the quarter-coloured
// picture that shows where each corner of a photo ended up.
#include <libheif/heif.h>
#include <tiffio.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string>

#include "imaging/PictureCodec.h"
#include "tests/imaging/Fixtures.h"

namespace kx::test {

Bitmap32 Quadrants(int w, int h, uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight) {
  Bitmap32 picture(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      picture.SetPixel(x, y, y < h / 2 ? (x < w / 2 ? topLeft : topRight) : (x < w / 2 ? bottomLeft : bottomRight));
  return picture;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8)
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

// ---- WebP ----

Bytes WriteWebp(const Bitmap32& picture, bool lossless, int quality) {
  uint8_t* output = nullptr;
  const auto* bgra = reinterpret_cast<const uint8_t*>(picture.Data());
  const int stride = static_cast<int>(picture.StrideBytes());
  const size_t size = lossless ? WebPEncodeLosslessBGRA(bgra, picture.Width(), picture.Height(), stride, &output)
                               : WebPEncodeBGRA(bgra, picture.Width(), picture.Height(), stride, float(quality), &output);
  if (size == 0) throw std::runtime_error("WebP encoding failed");
  Bytes file(output, output + size);
  WebPFree(output);
  return file;
}

Bytes WriteAnimatedWebp(const std::vector<Bitmap32>& frames) {
  const int w = frames.at(0).Width(), h = frames.at(0).Height();
  WebPAnimEncoderOptions options;
  WebPAnimEncoderOptionsInit(&options);
  WebPAnimEncoder* encoder = WebPAnimEncoderNew(w, h, &options);
  WebPConfig config;
  WebPConfigInit(&config);
  config.lossless = 1;
  int timestamp = 0;
  for (const Bitmap32& frame : frames) {
    WebPPicture pic;
    WebPPictureInit(&pic);
    pic.use_argb = 1;
    pic.width = w;
    pic.height = h;
    WebPPictureImportBGRA(&pic, reinterpret_cast<const uint8_t*>(frame.Data()), static_cast<int>(frame.StrideBytes()));
    WebPAnimEncoderAdd(encoder, &pic, timestamp, &config);
    WebPPictureFree(&pic);
    timestamp += 100;
  }
  WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr);
  WebPData data;
  WebPDataInit(&data);
  if (!WebPAnimEncoderAssemble(encoder, &data)) throw std::runtime_error("WebP animation failed");
  Bytes file(data.bytes, data.bytes + data.size);
  WebPDataClear(&data);
  WebPAnimEncoderDelete(encoder);
  return file;
}

// ---- HEIF / AVIF ----

bool CanWriteHeif(bool avif) {
  return heif_have_encoder_for_format(avif ? heif_compression_AV1 : heif_compression_HEVC) != 0;
}

namespace {
void CheckHeif(const heif_error& err) {
  if (err.code != heif_error_Ok) throw std::runtime_error(std::string("libheif: ") + err.message);
}
heif_error AppendHeif(heif_context*, const void* data, size_t size, void* user) {
  auto* out = static_cast<Bytes*>(user);
  out->insert(out->end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
  return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}
}  // namespace

Bytes WriteHeif(const Bitmap32& picture, bool avif, int orientation) {
  bool alpha = false;
  for (size_t i = 0; i < picture.PixelCount(); ++i) alpha = alpha || AlphaOf(picture.Data()[i]) != 0xFF;
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  CheckHeif(heif_context_get_encoder_for_format(context, avif ? heif_compression_AV1 : heif_compression_HEVC, &encoder));
  CheckHeif(heif_encoder_set_lossy_quality(encoder, 90));
  heif_image* image = nullptr;
  const int w = picture.Width(), h = picture.Height();
  CheckHeif(heif_image_create(w, h, heif_colorspace_RGB, alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                              &image));
  CheckHeif(heif_image_add_plane(image, heif_channel_interleaved, w, h, 8));
  int stride = 0;
  uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = plane + static_cast<size_t>(y) * stride;
    for (int x = 0; x < w; ++x) {
      const uint32_t c = picture.Pixel(x, y);
      *row++ = uint8_t(RedOf(c)), *row++ = uint8_t(GreenOf(c)), *row++ = uint8_t(BlueOf(c));
      if (alpha) *row++ = uint8_t(AlphaOf(c));
    }
  }
  heif_encoding_options* options = heif_encoding_options_alloc();
  options->image_orientation = static_cast<heif_orientation>(orientation);
  CheckHeif(heif_context_encode_image(context, image, encoder, options, nullptr));
  Bytes file;
  heif_writer writer{1, AppendHeif};
  CheckHeif(heif_context_write(context, &writer, &file));
  heif_encoding_options_free(options);
  heif_image_release(image);
  heif_encoder_release(encoder);
  heif_context_free(context);
  return file;
}

// ---- TIFF ----

Bytes WriteTiff(const Bitmap32& picture, const TiffLayout& layout) {
  static int serial = 0;
  const std::string path = TempPath("fixture" + std::to_string(++serial) + ".tif");
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (tif == nullptr) throw std::runtime_error("cannot write " + path);
  const int w = picture.Width(), h = picture.Height(), n = layout.samples, bits = layout.bitsPerSample;
  const size_t bytesPerSample = bits / 8;
  for (int page = 0; page < layout.pages; ++page) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(w));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(h));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(n));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(bits));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, n >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(layout.compression));
    if (layout.orientation != 0) TIFFSetField(tif, TIFFTAG_ORIENTATION, uint16_t(layout.orientation));
    if (n == 4) {
      const uint16_t extra = layout.associatedAlpha ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
      TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, uint16_t(1), &extra);
    }
    if (layout.pages > 1) TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    // One row of samples, as the file holds them.
    auto rowSamples = [&](int y, uint8_t* out) {
      for (int x = 0; x < w; ++x) {
        const uint32_t c = page == 0 ? picture.Pixel(x, y) : 0xFF000000u;
        uint32_t v[4] = {RedOf(c), GreenOf(c), BlueOf(c), AlphaOf(c)};
        if (n == 4 && layout.associatedAlpha)
          for (int i = 0; i < 3; ++i) v[i] = (v[i] * v[3] + 127) / 255;
        for (int i = 0; i < n; ++i, out += bytesPerSample) {
          if (bits == 16) {
            const uint16_t s = uint16_t(v[i] * 257);
            std::memcpy(out, &s, 2);
          } else {
            *out = uint8_t(v[i]);
          }
        }
      }
    };
    const size_t rowBytes = size_t(w) * n * bytesPerSample;
    if (layout.tile > 0) {
      const int t = layout.tile;
      TIFFSetField(tif, TIFFTAG_TILEWIDTH, uint32_t(t));
      TIFFSetField(tif, TIFFTAG_TILELENGTH, uint32_t(t));
      Bytes full(rowBytes * h), tile(TIFFTileSize(tif));
      for (int y = 0; y < h; ++y) rowSamples(y, full.data() + rowBytes * y);
      const size_t pixelBytes = n * bytesPerSample;
      for (int ty = 0; ty < h; ty += t)
        for (int tx = 0; tx < w; tx += t) {
          std::fill(tile.begin(), tile.end(), 0);
          for (int y = ty; y < std::min(h, ty + t); ++y)
            std::memcpy(tile.data() + size_t(y - ty) * t * pixelBytes, full.data() + rowBytes * y + tx * pixelBytes,
                        size_t(std::min(t, w - tx)) * pixelBytes);
          TIFFWriteTile(tif, tile.data(), uint32_t(tx), uint32_t(ty), 0, 0);
        }
    } else {
      TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(std::max(1, h / 3)));
      Bytes row(rowBytes);
      for (int y = 0; y < h; ++y) {
        rowSamples(y, row.data());
        TIFFWriteScanline(tif, row.data(), uint32_t(y), 0);
      }
    }
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
  Bytes file;
  std::string error;
  if (!ReadWholeFile(path, file, error)) throw std::runtime_error(error);
  return file;
}

// ---- EXIF ----

Bytes WithExifOrientation(const Bytes& jpeg, int orientation, bool bigEndian) {
  auto put16 = [&](Bytes& b, uint32_t v) {
    if (bigEndian) b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)});
    else b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)});
  };
  auto put32 = [&](Bytes& b, uint32_t v) {
    if (bigEndian) b.insert(b.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    else b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
  };
  Bytes segment = {'E', 'x', 'i', 'f', 0, 0};
  segment.insert(segment.end(), bigEndian ? std::initializer_list<uint8_t>{'M', 'M'} : std::initializer_list<uint8_t>{'I', 'I'});
  put16(segment, 42);
  put32(segment, 8);
  put16(segment, 2);  // two entries: the reader has to pass the first
  put16(segment, 0x011A), put16(segment, 5), put32(segment, 1), put32(segment, 38);  // XResolution, RATIONAL
  put16(segment, 0x0112), put16(segment, 3), put32(segment, 1), put16(segment, uint32_t(orientation)), put16(segment, 0);
  put32(segment, 0);  // no next IFD
  put32(segment, 72), put32(segment, 1);  // the resolution's value
  Bytes app1 = {0xFF, 0xE1, uint8_t((segment.size() + 2) >> 8), uint8_t(segment.size() + 2)};
  app1.insert(app1.end(), segment.begin(), segment.end());
  // After SOI and, when there is one, the JFIF segment.
  size_t at = 2;
  if (jpeg.size() > 6 && jpeg[2] == 0xFF && jpeg[3] == 0xE0) at = 4 + ((size_t{jpeg[4]} << 8) | jpeg[5]);
  Bytes out(jpeg.begin(), jpeg.begin() + at);
  out.insert(out.end(), app1.begin(), app1.end());
  out.insert(out.end(), jpeg.begin() + at, jpeg.end());
  return out;
}

}  // namespace kx::test
