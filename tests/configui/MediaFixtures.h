#pragma once
// Media files for the tests of the thumbnail grid, the preview and the wallpaper, made here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/PictureCodec.h"
#include "scene/ScenePackageWriter.h"

namespace kx::test {

// A picture whose pixels all differ: red rises to the right, green downwards.
inline Bitmap32 Gradient(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, Rgb(x * 255 / std::max(1, w - 1), y * 255 / std::max(1, h - 1), 90));
  return b;
}

inline std::string WriteJpegFile(const std::string& path, const Bitmap32& picture, int quality = 95) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(EncodeJpeg(picture, quality, bytes, error)) << error;
  EXPECT_TRUE(WriteWholeFile(path, bytes, error)) << error;
  return path;
}

inline std::string WritePngFile(const std::string& path, const Bitmap32& picture) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(EncodePng(picture, bytes, error)) << error;
  EXPECT_TRUE(WriteWholeFile(path, bytes, error)) << error;
  return path;
}

inline std::string WriteBmpFile(const std::string& path, const Bitmap32& picture) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(EncodeBmp24(picture, bytes));
  EXPECT_TRUE(WriteWholeFile(path, bytes, error)) << error;
  return path;
}

// A scene package with its own picture, thumbnail and title.
inline std::string WriteScene(const std::string& path, const Bitmap32& picture, const Bitmap32& thumbnail,
                              const std::string& title) {
  ScenePackage p;
  p.Title = title;
  std::string error;
  EXPECT_TRUE(EncodeJpeg(thumbnail, 95, p.ThumbnailJpeg, error)) << error;
  EXPECT_TRUE(EncodeJpeg(picture, 95, p.PictureJpeg, error)) << error;
  p.MaskCodes = {picture.Width(), picture.Height()};
  EXPECT_TRUE(WriteScenePackageFile(path, p, error)) << error;
  return path;
}

// The largest difference of one channel between two opaque pixels.
inline int ChannelDistance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift = 0; shift <= 16; shift += 8)
    d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  return d;
}

}  // namespace kx::test
