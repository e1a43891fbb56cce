#pragma once
// Finding the photos of kxpack photos: folders are searched recursively, files of the still
// picture kinds are taken, and everything is put in natural order ("2.jpg" before "10.jpg",
// letter case aside), the order people number their photos in. Symbolic links to folders are
// not followed, so a link loop cannot make the search endless.
#include <string>
#include <vector>

namespace kx {

// True when `a` comes before `b` in natural order: runs of digits compare by their value,
// other characters without regard to ASCII letter case; ties are broken by the plain bytes.
bool NaturalLess(const std::string& a, const std::string& b);

struct PhotoSearch {
  std::vector<std::string> photos;    // in natural order, each once
  std::vector<std::string> problems;  // paths that could not be searched or taken, and why
};

// Searches each of `inputs` (a folder or a file). A file given by name is taken when its
// name is of a still-picture kind and reported otherwise.
PhotoSearch FindPhotos(const std::vector<std::string>& inputs);

}  // namespace kx
