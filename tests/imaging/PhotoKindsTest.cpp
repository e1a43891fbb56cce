// The photo kinds beyond the classic four (WebP, HEIF, AVIF, TIFF) and photos coming out
// upright: each kind decodes to its colours and keeps its alpha, and every orientation a JPEG
// (EXIF), a TIFF (Orientation tag) or a HEIF file (its own transforms) can record gives the
// same upright picture.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <functional>
#include <string>

#include "imaging/PictureCodec.h"
#include "tests/imaging/Fixtures.h"

namespace kx {
namespace {

using test::Bytes;

constexpr uint32_t kRed = 0xFFE01010, kGreen = 0xFF10C020, kBlue = 0xFF2020D0, kWhite = 0xFFF0F0F0;

Bitmap32 Upright(int w, int h) { return test::Quadrants(w, h, kRed, kGreen, kBlue, kWhite); }

// The colour at the middle of each quarter, where lossy coding leaves flat colour alone.
void ExpectQuadrants(const Bitmap32& picture, int w, int h, const uint32_t (&corners)[4], int tolerance) {
  ASSERT_EQ(picture.Width(), w);
  ASSERT_EQ(picture.Height(), h);
  const int xs[2] = {w / 4, w * 3 / 4}, ys[2] = {h / 4, h * 3 / 4};
  for (int i = 0; i < 4; ++i) {
    const uint32_t got = picture.Pixel(xs[i % 2], ys[i / 2]);
    // A fully transparent pixel has no colour worth keeping.
    const uint32_t want = AlphaOf(corners[i]) == 0 ? corners[i] | (got & 0xFFFFFF) : corners[i];
    EXPECT_TRUE(test::Near(got, want, tolerance))
        << "quarter " << i << ": got " << std::hex << got << ", want " << corners[i];
  }
}

Bytes Jpeg(const Bitmap32& picture) {
  Bytes file;
  std::string error;
  EXPECT_TRUE(EncodeJpeg(picture, 95, file, error)) << error;
  return file;
}

TEST(PhotoKinds, EachKindDecodesToItsColours) {
  const int w = 64, h = 32;
  const Bitmap32 picture = Upright(w, h);
  Bitmap32 translucent = picture;
  translucent.SetPixel(w / 4, h / 4, 0x80E01010);
  translucent.SetPixel(w * 3 / 4, h / 4, 0x00000000);
  struct Case {
    std::string name;
    std::function<Bytes()> write;
    int tolerance;
    bool alpha;  // the translucent picture, whose alpha must come back
  };
  auto tiff = [&](test::TiffLayout layout, bool alpha) { return [&, layout, alpha] { return test::WriteTiff(alpha ? translucent : picture, layout); }; };
  std::vector<Case> cases = {
      {"jpeg", [&] { return Jpeg(picture); }, 12, false},
      {"webp_lossy", [&] { return test::WriteWebp(picture, false); }, 16, false},
      {"webp_lossless", [&] { return test::WriteWebp(picture, true); }, 0, false},
      {"webp_lossless_alpha", [&] { return test::WriteWebp(translucent, true); }, 0, true},
      {"webp_animated_first_frame",
       [&] { return test::WriteAnimatedWebp({picture, Bitmap32(w, h, 0xFF000000)}); }, 0, false},
      {"tiff_rgb", tiff({}, false), 0, false},
      {"tiff_rgba_straight", tiff({.samples = 4}, true), 1, true},
      {"tiff_rgba_premultiplied", tiff({.samples = 4, .associatedAlpha = true}, true), 2, true},
      {"tiff_16_bit", tiff({.bitsPerSample = 16}, false), 0, false},
      {"tiff_lzw_tiled", tiff({.compression = COMPRESSION_LZW, .tile = 16}, false), 0, false},
      {"tiff_deflate", tiff({.compression = COMPRESSION_ADOBE_DEFLATE}, false), 0, false},
      {"tiff_first_of_three_pages", tiff({.pages = 3}, false), 0, false},
  };
  for (const bool avif : {false, true}) {
    if (!test::CanWriteHeif(avif)) {
      ADD_FAILURE() << "this libheif cannot write " << (avif ? "AVIF" : "HEIC") << ": the kind is not covered";
      continue;
    }
    cases.push_back({avif ? "avif" : "heic", [&, avif] { return test::WriteHeif(picture, avif); }, 16, false});
    cases.push_back({avif ? "avif_alpha" : "heic_alpha", [&, avif] { return test::WriteHeif(translucent, avif); }, 16, true});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = c.write();
    Bitmap32 decoded;
    std::string error;
    ASSERT_TRUE(DecodePicture(file, decoded, error)) << error;
    if (c.alpha) {
      ExpectQuadrants(decoded, w, h, {0x80E01010, 0x00000000, kBlue, kWhite}, c.tolerance);
      // Away from the two marked pixels the picture is opaque.
      EXPECT_EQ(AlphaOf(decoded.Pixel(w / 4 + 4, h / 4)), 0xFFu);
    } else {
      ExpectQuadrants(decoded, w, h, {kRed, kGreen, kBlue, kWhite}, c.tolerance);
    }
  }
  // A grey TIFF: grey levels come back as they are.
  const Bitmap32 grey = test::Quadrants(w, h, 0xFF000000, 0xFF404040, 0xFFA0A0A0, 0xFFFFFFFF);
  Bitmap32 decoded;
  std::string error;
  ASSERT_TRUE(DecodePicture(test::WriteTiff(grey, {.samples = 1}), decoded, error)) << error;
  EXPECT_EQ(decoded, grey);
}

// For each orientation, the quarters as stored in the file: the stored picture that shows
// the upright red / green / blue / white quarters once turned by that orientation (EXIF: where
// the stored row 0 and column 0 belong on screen).
struct Stored {
  int orientation;
  bool swapsSides;
  uint32_t topLeft, topRight, bottomLeft, bottomRight;
};
constexpr Stored kStored[] = {
    {1, false, kRed, kGreen, kBlue, kWhite},  // as seen
    {2, false, kGreen, kRed, kWhite, kBlue},  // mirrored left-right
    {3, false, kWhite, kBlue, kGreen, kRed},  // half turn
    {4, false, kBlue, kWhite, kRed, kGreen},  // mirrored top-bottom
    {5, true, kRed, kBlue, kGreen, kWhite},   // transposed
    {6, true, kGreen, kWhite, kRed, kBlue},   // camera held turned right: a quarter turn clockwise
    {7, true, kWhite, kGreen, kBlue, kRed},   // transposed the other way
    {8, true, kBlue, kRed, kWhite, kGreen},   // a quarter turn anticlockwise
};

Bitmap32 StoredPicture(const Stored& s, int w, int h) {
  return s.swapsSides ? test::Quadrants(h, w, s.topLeft, s.topRight, s.bottomLeft, s.bottomRight)
                      : test::Quadrants(w, h, s.topLeft, s.topRight, s.bottomLeft, s.bottomRight);
}

TEST(PhotoOrientation, EveryOrientationComesOutUpright) {
  const int w = 64, h = 32;
  const uint32_t upright[4] = {kRed, kGreen, kBlue, kWhite};
  for (const Stored& s : kStored) {
    SCOPED_TRACE("orientation " + std::to_string(s.orientation));
    const Bitmap32 stored = StoredPicture(s, w, h);
    struct File {
      const char* kind;
      Bytes data;
      int tolerance;
    };
    std::vector<File> files = {
        {"jpeg_exif_little_endian", test::WithExifOrientation(Jpeg(stored), s.orientation, false), 12},
        {"jpeg_exif_big_endian", test::WithExifOrientation(Jpeg(stored), s.orientation, true), 12},
        {"tiff", test::WriteTiff(stored, {.orientation = s.orientation}), 0},
    };
    if (test::CanWriteHeif(false)) files.push_back({"heic", test::WriteHeif(stored, false, s.orientation), 16});
    for (const File& f : files) {
      SCOPED_TRACE(f.kind);
      Bitmap32 decoded;
      std::string error;
      ASSERT_TRUE(DecodePicture(f.data, decoded, error)) << error;
      ExpectQuadrants(decoded, w, h, upright, f.tolerance);
    }
  }
}

TEST(PhotoOrientation, DecodersOfOneKindKeepTheStoredOrder) {
  // Scene packages place their JPEG pictures themselves: DecodeJpeg must not turn them.
  const Bitmap32 stored = StoredPicture(kStored[5], 64, 32);
  const Bytes jpeg = test::WithExifOrientation(Jpeg(stored), 6, false);
  Bitmap32 decoded;
  std::string error;
  ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), decoded, error)) << error;
  ExpectQuadrants(decoded, 32, 64, {kGreen, kWhite, kRed, kBlue}, 12);

  const Bytes tiff = test::WriteTiff(stored, {.orientation = 6});
  int orientation = 0;
  ASSERT_TRUE(DecodeTiff(tiff.data(), tiff.size(), decoded, &orientation, error)) << error;
  EXPECT_EQ(orientation, 6);
  EXPECT_EQ(decoded, stored);
}

TEST(PhotoOrientation, UnreadableExifLeavesThePictureAsStored) {
  const Bytes jpeg = Jpeg(Upright(64, 32));
  const Bytes tagged = test::WithExifOrientation(jpeg, 6, false);
  const size_t app1 = 2 + 2 + ((size_t{jpeg[4]} << 8) | jpeg[5]);  // after SOI and JFIF
  ASSERT_EQ(tagged[app1 + 1], 0xE1);
  const size_t tiff = app1 + 4 + 6;  // marker, length, "Exif\0\0"
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
  } cases[] = {
      {"orientation_out_of_range", [&](Bytes& b) { b[tiff + 8 + 2 + 12 + 8] = 9; }},
      {"orientation_zero", [&](Bytes& b) { b[tiff + 8 + 2 + 12 + 8] = 0; }},
      {"orientation_not_a_short", [&](Bytes& b) { b[tiff + 8 + 2 + 12 + 2] = 4; }},
      {"ifd_beyond_the_segment", [&](Bytes& b) { b[tiff + 7] = 0x7F; }},
      {"ifd_inside_the_header", [&](Bytes& b) { b[tiff + 4] = 2; }},
      {"no_entries", [&](Bytes& b) { b[tiff + 8] = 0; }},
      {"orientation_entry_beyond_the_segment", [&](Bytes& b) { b[app1 + 3] = uint8_t(b[app1 + 3] - 16); }},
      {"no_byte_order_mark", [&](Bytes& b) { b[tiff] = 'X'; }},
      {"not_42", [&](Bytes& b) { b[tiff + 2] = 43; }},
      {"segment_length_beyond_the_file", [&](Bytes& b) { b[app1 + 2] = 0xFF; }},
      {"segment_length_below_two", [&](Bytes& b) { b[app1 + 2] = 0, b[app1 + 3] = 1; }},
      {"not_exif", [&](Bytes& b) { b[app1 + 4] = 'X'; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = tagged;
    c.damage(file);
    EXPECT_EQ(JpegExifOrientation(file.data(), file.size()), 1);
  }
  EXPECT_EQ(JpegExifOrientation(tagged.data(), tagged.size()), 6) << "the undamaged segment is read";
  // The segment itself cut short: the picture data after it is gone too, so only the reader
  // is asked.
  for (size_t cut = app1; cut < app1 + 50; ++cut) EXPECT_EQ(JpegExifOrientation(tagged.data(), cut), 1);
}

TEST(PhotoKinds, EachDecoderRefusesOtherKinds) {
  const Bytes jpeg = Jpeg(Upright(16, 16));
  const Bytes webp = test::WriteWebp(Upright(16, 16), true);
  const Bytes tiff = test::WriteTiff(Upright(16, 16), {});
  Bitmap32 picture(2, 2, 0x12345678);
  std::string error;
  EXPECT_FALSE(DecodeWebp(jpeg.data(), jpeg.size(), picture, error));
  EXPECT_EQ(error, "Not WebP data");
  EXPECT_FALSE(DecodeHeif(webp.data(), webp.size(), picture, error));
  EXPECT_EQ(error, "Not HEIF or AVIF data");
  EXPECT_FALSE(DecodeTiff(webp.data(), webp.size(), picture, nullptr, error));
  EXPECT_EQ(error, "Not TIFF data");
  EXPECT_FALSE(DecodeJpeg(tiff.data(), tiff.size(), picture, error));
  EXPECT_EQ(picture, Bitmap32(2, 2, 0x12345678));
  // A text file named like a photo.
  const std::string text = "not a picture at all, only words\n";
  EXPECT_FALSE(DecodePicture(Bytes(text.begin(), text.end()), picture, error));
  EXPECT_EQ(error, "Unknown picture format");
}

}  // namespace
}  // namespace kx
