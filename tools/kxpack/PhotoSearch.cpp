#include "tools/kxpack/PhotoSearch.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "imaging/PictureKinds.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void SearchFolder(const fs::path& folder, PhotoSearch& found) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) {
    found.problems.push_back(folder.string() + ": " + ec.message());
    return;
  }
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) {
      found.problems.push_back(folder.string() + ": " + ec.message());
      return;
    }
    const fs::path path = it->path();
    std::error_code kindError;
    if (it->is_symlink(kindError)) {
      // A link to a picture is taken; a link to a folder is not searched.
      if (it->is_regular_file(kindError) && IsStillPictureName(path.string())) found.photos.push_back(path.string());
    } else if (it->is_directory(kindError)) {
      SearchFolder(path, found);
    } else if (it->is_regular_file(kindError) && IsStillPictureName(path.string())) {
      found.photos.push_back(path.string());
    }
  }
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // Compare the values of both digit runs: skip leading zeros, then the longer run is
      // the larger number, and runs of one length compare digit by digit.
      size_t ia = i, jb = j;
      while (ia < a.size() && a[ia] == '0') ++ia;
      while (jb < b.size() && b[jb] == '0') ++jb;
      size_t ea = ia, eb = jb;
      while (ea < a.size() && IsDigit(a[ea])) ++ea;
      while (eb < b.size() && IsDigit(b[eb])) ++eb;
      if (ea - ia != eb - jb) return ea - ia < eb - jb;
      const int order = a.compare(ia, ea - ia, b, jb, eb - jb);
      if (order != 0) return order < 0;
      i = ea;
      j = eb;
      continue;
    }
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[j]));
    if (ca != cb) return ca < cb;
    ++i;
    ++j;
  }
  if (i < a.size() || j < b.size()) return j < b.size();
  return a < b;
}

PhotoSearch FindPhotos(const std::vector<std::string>& inputs) {
  PhotoSearch found;
  for (const auto& input : inputs) {
    std::error_code ec;
    const auto status = fs::status(input, ec);
    if (ec) {
      found.problems.push_back(input + ": " + ec.message());
    } else if (fs::is_directory(status)) {
      SearchFolder(input, found);
    } else if (!IsStillPictureName(input)) {
      found.problems.push_back(input + ": not a picture name (.jpg, .png, .webp, .heic, .tif, ...)");
    } else {
      found.photos.push_back(input);
    }
  }
  std::sort(found.photos.begin(), found.photos.end(), NaturalLess);
  found.photos.erase(std::unique(found.photos.begin(), found.photos.end()), found.photos.end());
  return found;
}

}  // namespace kx
