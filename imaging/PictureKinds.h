#pragma once
// Which show items are still pictures. The kind of an item follows from the upper-cased
// extension of its file name part: the extensions people's photos come with (JPEG in all its
// spellings, PNG, BMP, GIF, WebP, HEIC/HEIF, AVIF, TIFF) are still pictures; every other name
// (".kxp" and anything unknown) is a scene package. The decoders themselves look at the data,
// never at the name.
#include <string>

namespace kx {

// The upper-cased extension of the file name part (after the last '/', '\' or ':'),
// including its dot (".JPG"); "" when the name has no dot.
std::string UpperExtension(const std::string& path);

// True when the upper-cased extension is one of the still-picture extensions.
bool IsStillPictureName(const std::string& path);

}  // namespace kx
