#include "imaging/PictureKinds.h"

#include <array>
#include <string_view>

namespace kx {
namespace {

constexpr std::array<std::string_view, 13> kStillPictureExtensions = {
    ".JPG", ".JPEG", ".JPE", ".JFIF", ".PNG", ".BMP", ".GIF",
    ".WEBP", ".HEIC", ".HEIF", ".AVIF", ".TIF", ".TIFF",
};

}  // namespace

std::string UpperExtension(const std::string& path) {
  const size_t cut = path.find_last_of("/\\:");
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return "";
  std::string ext = name.substr(dot);
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return ext;
}

bool IsStillPictureName(const std::string& path) {
  const std::string ext = UpperExtension(path);
  for (std::string_view known : kStillPictureExtensions)
    if (ext == known) return true;
  return false;
}

}  // namespace kx
