#include "configui/WallpaperFile.h"

#include <cerrno>
#include <cstring>

#include "imaging/PictureCodec.h"
#include "payload/MediaStore.h"
#include "platform/Files.h"
#include "project/IniText.h"
#include "scene/Project.h"

namespace kx {
namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool IsScenePackage(const std::string& path) {
  const std::string name = FileNamePart(path);
  const auto dot = name.find_last_of('.');
  return dot != std::string::npos && UpperAscii(name.substr(dot)) == ".KXP";
}

}  // namespace

std::string WallpaperPath(const std::string& exeLongPath) { return exeLongPath + ".bmp"; }

bool LoadWallpaperPicture(const std::string& itemPath, Bitmap32& out, std::string& error) {
  const TMediaLease lease(itemPath);  // a payload item is there while it is read
  if (IsScenePackage(itemPath)) {
    TProject scene;
    if (!scene.LoadFromFile(itemPath) || !scene.Picture || scene.Picture->Empty()) {
      error = "File: " + itemPath + "\r\n" + (scene.LastError().empty() ? "the package holds no picture" : scene.LastError());
      return false;
    }
    out = *scene.Picture;
    return true;
  }
  return DecodePictureFile(itemPath, out, error);
}

bool EncodeBmp32(const Bitmap32& picture, std::vector<uint8_t>& out) {
  if (picture.Empty()) return false;
  const uint64_t imageBytes = static_cast<uint64_t>(picture.Width()) * static_cast<uint64_t>(picture.Height()) * 4;
  if (imageBytes > 0xFFFFFFFFu - 54) return false;
  out.clear();
  out.reserve(static_cast<size_t>(imageBytes) + 54);
  out.push_back('B');
  out.push_back('M');
  PutLe(out, static_cast<uint32_t>(54 + imageBytes), 4);
  PutLe(out, 0, 4);
  PutLe(out, 54, 4);
  PutLe(out, 40, 4);                                      // BITMAPINFOHEADER
  PutLe(out, static_cast<uint32_t>(picture.Width()), 4);
  PutLe(out, static_cast<uint32_t>(picture.Height()), 4);  // positive: bottom-up rows
  PutLe(out, 1, 2);                                       // planes
  PutLe(out, 32, 2);                                      // bits per pixel
  PutLe(out, 0, 4);                                       // BI_RGB
  PutLe(out, static_cast<uint32_t>(imageBytes), 4);
  PutLe(out, 2835, 4);                                    // 72 dpi
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  for (int y = picture.Height() - 1; y >= 0; --y) {
    const uint32_t* row = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x) PutLe(out, row[x] | 0xFF000000u, 4);
  }
  return true;
}

bool WriteWallpaperFile(const std::string& path, const Bitmap32& picture, std::string& error) {
  std::vector<uint8_t> bmp;
  if (!EncodeBmp32(picture, bmp)) {
    error = "Cannot write " + path + ": the picture is empty or too large";
    return false;
  }
  errno = 0;
  // The picture file is the program's own: a link planted in its place is replaced, never
  // written through to the file it names.
  if (!WriteFileReplacing(path, std::string(bmp.begin(), bmp.end()), /*throughLink=*/false)) {
    error = "Cannot write " + path + (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string());
    return false;
  }
  return true;
}

}  // namespace kx
