#pragma once
// Fixtures of the scene tests: small JPEG pictures made here, packages written with the
// package writer, and a temporary folder for the files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/PictureCodec.h"
#include "scene/ScenePackageWriter.h"

namespace kx::testing {

// A picture whose pixels tell their position: red = x, green = y (both mod 256), blue = seed.
inline Bitmap32 GradientPicture(int width, int height, uint8_t seed = 0x40) {
  Bitmap32 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, Rgb(x & 0xFF, y & 0xFF, seed));
  }
  return picture;
}

inline std::vector<uint8_t> JpegOf(const Bitmap32& picture, int quality = 90) {
  std::vector<uint8_t> jpeg;
  std::string error;
  EXPECT_TRUE(EncodeJpeg(picture, quality, jpeg, error)) << error;
  return jpeg;
}

// A complete package of a small scene: a w x h picture, a 4 x 3 thumbnail, an all-dry mask.
inline ScenePackage SmallPackage(int width = 16, int height = 12) {
  ScenePackage p;
  p.Title = "Harbour";
  p.ExtraText = "second text";
  p.ThumbnailJpeg = JpegOf(GradientPicture(4, 3, 0x10));
  p.PictureJpeg = JpegOf(GradientPicture(width, height));
  p.MaskCodes = {width, height};
  return p;
}

// A folder of its own under the system's temporary folder, removed with its files.
class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("kx-scene-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // An existing file is removed first: rewriting it in place makes the file system flush
  // the old data, which is slow.
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::error_code ec;
    std::filesystem::remove(File(name), ec);
    std::string error;
    EXPECT_TRUE(WriteWholeFile(File(name), bytes, error)) << error;
    return File(name);
  }
  std::string Write(const std::string& name, const std::string& text) const {
    return Write(name, std::vector<uint8_t>(text.begin(), text.end()));
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace kx::testing
