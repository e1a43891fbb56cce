// Bad data is normal input: truncated files, headers that claim huge or empty pictures,
// and damaged bytes must all end in a clean error, never a crash or a half picture.
#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <string>

#include "imaging/GifCodec.h"
#include "imaging/PictureCodec.h"
#include "tests/imaging/Fixtures.h"

namespace kx {
namespace {

using test::Bytes;

struct Fixture {
  std::string name;
  Bytes file;
  bool trailerOptional;  // the still GIF decoder stops after the first frame: the final ';' is not needed
};

std::vector<Fixture> Fixtures() {
  std::vector<Fixture> out;
  const Bitmap32 picture = test::PatternPicture(20, 12);
  for (const bool progressive : {false, true}) {
    test::JpegLayout layout;
    layout.width = picture.Width();
    layout.height = picture.Height();
    for (size_t i = 0; i < picture.PixelCount(); ++i) {
      const uint32_t c = picture.Data()[i];
      layout.samples.insert(layout.samples.end(), {uint8_t(RedOf(c)), uint8_t(GreenOf(c)), uint8_t(BlueOf(c))});
    }
    layout.progressive = progressive;
    layout.quality = 80;
    out.push_back({progressive ? "jpeg_progressive" : "jpeg_baseline", test::WriteJpeg(layout), false});
  }
  {
    test::PngLayout layout;
    layout.width = 20, layout.height = 12, layout.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int i = 0; i < 20 * 12 * 4; ++i) layout.samples.push_back(static_cast<uint16_t>((i * 37) & 0xFF));
    out.push_back({"png_rgba", test::WritePng(layout), false});
    layout.interlaced = true;
    out.push_back({"png_rgba_interlaced", test::WritePng(layout), false});
  }
  {
    test::GifLayout layout;
    layout.width = 20, layout.height = 12;
    layout.globalTable = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    test::GifFrameLayout f;
    f.width = 20, f.height = 12;
    for (int i = 0; i < 240; ++i) f.indices.push_back(static_cast<uint8_t>((i * 7 / 5) % 4));
    layout.frames = {f};
    out.push_back({"gif", test::WriteGif(layout), true});
  }
  for (const int bits : {8, 24}) {
    test::BmpLayout layout;
    layout.width = 4;  // rows need no padding, so every cut removes pixel bytes
    layout.height = 3;
    layout.bitCount = bits;
    if (bits == 8) layout.palette = {0x112233, 0x445566};
    for (int i = 0; i < 12; ++i) layout.values.push_back(bits == 8 ? i % 2 : 0x010203u * i);
    out.push_back({"bmp" + std::to_string(bits), test::WriteBmp(layout), false});
  }
  out.push_back({"webp_lossy", test::WriteWebp(picture, false, 80), false});
  out.push_back({"webp_lossless", test::WriteWebp(picture, true), false});
  out.push_back({"webp_animated", test::WriteAnimatedWebp({picture, test::PatternPicture(20, 12)}), false});
  for (const bool avif : {false, true})
    if (test::CanWriteHeif(avif)) out.push_back({avif ? "avif" : "heic", test::WriteHeif(picture, avif), false});
  // libtiff writes the directory after the pixels; its last 4 bytes (the offset of a next
  // directory, 0) may go missing without harm.
  out.push_back({"tiff", test::WriteTiff(picture, {}), true});
  out.push_back({"tiff_tiled_lzw", test::WriteTiff(picture, {.compression = 5, .tile = 16}), true});
  return out;
}

TEST(DamagedInput, TruncatedFilesFailCleanly) {
  for (const Fixture& f : Fixtures()) {
    SCOPED_TRACE(f.name);
    const size_t size = f.file.size();
    {
      Bitmap32 whole;
      std::string error;
      ASSERT_TRUE(DecodePicture(f.file, whole, error)) << "the uncut fixture decodes: " << error;
    }
    std::vector<size_t> cuts = {0, 1, 2, 5, 7, 13, 20, 30, 40, size / 4, size / 2, size * 3 / 4, size - 8, size - 2};
    if (!f.trailerOptional) cuts.push_back(size - 1);
    for (const size_t cut : cuts) {
      SCOPED_TRACE("cut at " + std::to_string(cut) + " of " + std::to_string(size));
      const Bytes part(f.file.begin(), f.file.begin() + std::min(cut, size - 1));
      Bitmap32 picture(3, 2, 0xDEADBEEF);
      std::string error;
      EXPECT_FALSE(DecodePicture(part, picture, error));
      EXPECT_FALSE(error.empty());
      EXPECT_EQ(picture, Bitmap32(3, 2, 0xDEADBEEF)) << "a failed decode leaves the output as it was";
    }
  }
}

TEST(DamagedInput, GifAnimationNeedsItsTrailer) {
  for (const Fixture& f : Fixtures()) {
    if (DetectPictureFormat(f.file.data(), f.file.size()) != PictureFormat::Gif) continue;
    GifAnimation anim;
    std::string error;
    ASSERT_TRUE(DecodeGifAnimation(f.file, anim, error)) << error;
    const Bytes cut(f.file.begin(), f.file.end() - 1);
    EXPECT_FALSE(DecodeGifAnimation(cut, anim, error));
    EXPECT_EQ(anim.frames.size(), 1u) << "the complete frame is kept";
  }
}

// Header patches: a PNG IHDR (with its CRC made right again), the JPEG SOF, the GIF screen
// or frame descriptor and the BMP info header.
Bytes PngWithSize(uint32_t width, uint32_t height) {
  test::PngLayout layout;
  layout.width = layout.height = 1;
  layout.samples = {0};
  Bytes file = test::WritePng(layout);
  for (int i = 0; i < 4; ++i) {
    file[16 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
    file[20 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
  }
  const uint32_t crc = static_cast<uint32_t>(crc32(0, file.data() + 12, 17));  // "IHDR" + 13 data bytes
  for (int i = 0; i < 4; ++i) file[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  return file;
}

Bytes JpegWithSize(uint16_t width, uint16_t height) {
  test::JpegLayout layout;
  layout.width = layout.height = 8;
  layout.samples.assign(8 * 8 * 3, 128);
  Bytes file = test::WriteJpeg(layout);
  for (size_t i = 2; i + 9 < file.size(); ++i) {
    if (file[i] == 0xFF && file[i + 1] == 0xC0) {  // SOF0: length (2), precision (1), height (2), width (2)
      file[i + 5] = static_cast<uint8_t>(height >> 8);
      file[i + 6] = static_cast<uint8_t>(height);
      file[i + 7] = static_cast<uint8_t>(width >> 8);
      file[i + 8] = static_cast<uint8_t>(width);
      return file;
    }
  }
  ADD_FAILURE() << "no SOF0 marker";
  return file;
}

Bytes GifWithScreen(uint16_t width, uint16_t height) {
  test::GifLayout layout;
  layout.width = layout.height = 1;
  layout.globalTable = {0, 0xFFFFFF};
  test::GifFrameLayout f;
  f.width = f.height = 1, f.indices = {1};
  layout.frames = {f};
  Bytes file = test::WriteGif(layout);
  file[6] = static_cast<uint8_t>(width), file[7] = static_cast<uint8_t>(width >> 8);
  file[8] = static_cast<uint8_t>(height), file[9] = static_cast<uint8_t>(height >> 8);
  return file;
}

Bytes GifWithFrame(uint16_t width, uint16_t height) {
  test::GifLayout layout;
  layout.width = layout.height = 10;
  layout.globalTable = {0, 0xFFFFFF};
  test::GifFrameLayout f;
  f.width = f.height = 1, f.indices = {1}, f.writeControl = false;
  layout.frames = {f};
  Bytes file = test::WriteGif(layout);
  const size_t desc = 13 + 3 * 2;  // header, screen descriptor, two-entry table
  EXPECT_EQ(file[desc], 0x2C);
  file[desc + 5] = static_cast<uint8_t>(width), file[desc + 6] = static_cast<uint8_t>(width >> 8);
  file[desc + 7] = static_cast<uint8_t>(height), file[desc + 8] = static_cast<uint8_t>(height >> 8);
  return file;
}

Bytes BmpWithSize(int32_t width, int32_t height) {
  test::BmpLayout layout;
  layout.width = layout.height = 1;
  layout.values = {0};
  Bytes file = test::WriteBmp(layout);
  for (int i = 0; i < 4; ++i) {
    file[18 + i] = static_cast<uint8_t>(static_cast<uint32_t>(width) >> (8 * i));
    file[22 + i] = static_cast<uint8_t>(static_cast<uint32_t>(height) >> (8 * i));
  }
  return file;
}

// A lossless WebP whose VP8L header claims the given size (each side 1 .. 16384).
Bytes WebpWithSize(uint32_t width, uint32_t height) {
  Bytes file = test::WriteWebp(Bitmap32(1, 1, 0xFF000000), true);
  EXPECT_EQ(std::string(file.begin() + 12, file.begin() + 16), "VP8L");
  const uint32_t bits = (width - 1) | ((height - 1) << 14) | (uint32_t{file[21 + 3]} & 0xF0) << 24;
  for (int i = 0; i < 4; ++i) file[21 + i] = static_cast<uint8_t>(bits >> (8 * i));
  return file;
}

// A HEIC or AVIF file whose image spatial extent ("ispe") claims the given size.
Bytes HeifWithSize(bool avif, uint32_t width, uint32_t height) {
  Bytes file = test::WriteHeif(Bitmap32(64, 64, 0xFF808080), avif);
  const std::string text(file.begin(), file.end());
  const size_t at = text.find("ispe");
  EXPECT_NE(at, std::string::npos);
  for (int i = 0; i < 4; ++i) {
    file[at + 8 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
    file[at + 12 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
  }
  return file;
}

// A little-endian TIFF laid out by hand: one grey strip of one byte, whatever the size says.
Bytes TiffWithSize(uint32_t width, uint32_t height) {
  Bytes file = {'I', 'I', 42, 0, 8, 0, 0, 0};
  const uint16_t entries[][2] = {{256, 4}, {257, 4}, {258, 3}, {259, 3}, {262, 3}, {273, 4}, {277, 3}, {278, 4}, {279, 4}};
  const uint32_t values[] = {width, height, 8, 1, 1, 8 + 2 + 9 * 12 + 4, 1, height, 1};
  auto put = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  put(9, 2);
  for (int i = 0; i < 9; ++i) {
    put(entries[i][0], 2), put(entries[i][1], 2), put(1, 4);
    put(values[i], entries[i][1] == 3 ? 2 : 4);
    if (entries[i][1] == 3) put(0, 2);
  }
  put(0, 4);
  file.push_back(0x80);
  return file;
}

TEST(DamagedInput, SizesInHeadersAreCheckedBeforeAllocating) {
  // The exact messages show that the size check came first: allocating 10^10 pixels would
  // have failed with an out-of-memory message instead.
  struct Case {
    const char* name;
    Bytes file;
    const char* message;  // nullptr: any error
  } cases[] = {
      {"png_huge", PngWithSize(100000, 100000), "Picture is too large (100000 x 100000)"},
      {"png_wide", PngWithSize(2000000, 1), nullptr},  // beyond libpng's own width limit
      {"png_zero", PngWithSize(0, 5), nullptr},
      {"jpeg_huge", JpegWithSize(65000, 65000), "Picture is too large (65000 x 65000)"},
      {"jpeg_zero", JpegWithSize(0, 8), nullptr},
      {"gif_huge_screen", GifWithScreen(65535, 65535), "Picture is too large (65535 x 65535)"},
      {"gif_empty_screen", GifWithScreen(0, 0), "Picture has an invalid size (0 x 0)"},
      {"gif_huge_frame", GifWithFrame(9000, 9000), "GIF frame is too large (9000 x 9000)"},
      {"bmp_huge", BmpWithSize(100000, 100000), "Picture is too large (100000 x 100000)"},
      {"bmp_huge_top_down", BmpWithSize(100000, -100000), "Picture is too large (100000 x 100000)"},
      {"bmp_one_long_row", BmpWithSize(70000000, 1), "Picture is too large (70000000 x 1)"},
      {"bmp_zero_height", BmpWithSize(1, 0), "Picture has an invalid size (1 x 0)"},
      {"bmp_min_height", BmpWithSize(1, INT32_MIN), "Picture is too large (1 x 2147483648)"},
      {"webp_huge", WebpWithSize(16384, 16384), "Picture is too large (16384 x 16384)"},
      {"tiff_huge", TiffWithSize(100000, 100000), "Picture is too large (100000 x 100000)"},
      {"tiff_one_long_row", TiffWithSize(70000000, 1), "Picture is too large (70000000 x 1)"},
      {"tiff_zero_width", TiffWithSize(0, 5), nullptr},
  };
  std::vector<Case> more;
  for (const bool avif : {false, true}) {
    if (!test::CanWriteHeif(avif)) continue;
    more.push_back({avif ? "avif_huge" : "heic_huge", HeifWithSize(avif, 60000, 60000), "Picture is too large (60000 x 60000)"});
    // Beyond the side libheif is told to accept at all: its own message.
    more.push_back({avif ? "avif_beyond_side" : "heic_beyond_side", HeifWithSize(avif, 100000, 100000), nullptr});
  }
  for (const Case& c : more) {
    SCOPED_TRACE(c.name);
    Bitmap32 picture;
    std::string error;
    EXPECT_FALSE(DecodePicture(c.file, picture, error));
    if (c.message) EXPECT_EQ(error, c.message);
    else EXPECT_NE(error.find("too large"), std::string::npos) << error;
    EXPECT_TRUE(picture.Empty());
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bitmap32 picture;
    std::string error;
    EXPECT_FALSE(DecodePicture(c.file, picture, error));
    if (c.message) EXPECT_EQ(error, c.message);
    else EXPECT_FALSE(error.empty());
    EXPECT_TRUE(picture.Empty());
  }
  GifAnimation anim;
  std::string error;
  EXPECT_FALSE(DecodeGifAnimation(GifWithFrame(9000, 9000), anim, error));
  EXPECT_EQ(error, "GIF frame is too large (9000 x 9000)");
  EXPECT_TRUE(anim.frames.empty());
}

// Frames 0 pixels wide or high, placed away from the screen's corner, carry no pixels and
// draw nothing (no pixel address is ever formed from their empty data).
TEST(DamagedInput, EmptyGifFramesDrawNothing) {
  for (const auto& [w, h] : {std::pair{0, 3}, std::pair{3, 0}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    Bytes file = GifWithFrame(static_cast<uint16_t>(w), static_cast<uint16_t>(h));
    const size_t desc = 13 + 3 * 2;
    file[desc + 1] = 2, file[desc + 3] = 1;  // left 2, top 1
    GifAnimation anim;
    std::string error;
    ASSERT_TRUE(DecodeGifAnimation(file, anim, error)) << error;
    ASSERT_EQ(anim.frames.size(), 1u);
    const Bitmap32& screen = anim.frames[0].composed;
    ASSERT_EQ(screen.Width(), 10);
    for (int y = 0; y < screen.Height(); ++y)
      for (int x = 0; x < screen.Width(); ++x) ASSERT_EQ(screen.Pixel(x, y), 0u);
  }
}

TEST(DamagedInput, FlippedBytesNeverCrash) {
  // Each fixture with one byte changed at a time, at every 3rd position: the decoder either
  // refuses it or produces a picture of a sane size.
  for (const Fixture& f : Fixtures()) {
    SCOPED_TRACE(f.name);
    int refused = 0;
    for (size_t pos = 0; pos < f.file.size(); pos += 3) {
      Bytes damaged = f.file;
      damaged[pos] ^= 0x5A;
      Bitmap32 picture;
      std::string error;
      if (DecodePicture(damaged, picture, error)) {
        EXPECT_FALSE(picture.Empty());
        EXPECT_LE(static_cast<int64_t>(picture.PixelCount()), kMaxPicturePixels);
      } else {
        EXPECT_FALSE(error.empty());
        ++refused;
      }
      GifAnimation anim;
      if (DetectPictureFormat(damaged.data(), damaged.size()) == PictureFormat::Gif)
        DecodeGifAnimation(damaged, anim, error);
    }
    EXPECT_GT(refused, 0) << "some damage must be noticed";
  }
}

TEST(DamagedInput, UnknownAndEmptyData) {
  Bitmap32 picture;
  std::string error;
  EXPECT_FALSE(DecodePicture(nullptr, 0, picture, error));
  EXPECT_EQ(error, "Picture data is empty");
  const Bytes text = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_FALSE(DecodePicture(text, picture, error));
  EXPECT_EQ(error, "Unknown picture format");
}

}  // namespace
}  // namespace kx
