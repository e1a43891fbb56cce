#pragma once
// The picture file of the "Set as a Wallpaper" action.
//
// The file sits next to the program: its full path with ".bmp" appended
// ("/opt/Sea.scr" writes "/opt/Sea.scr.bmp"). It is a 32-bit BMP (BITMAPINFOHEADER, BI_RGB,
// rows bottom-up, bytes blue, green, red and a fourth byte of 255), written through a
// temporary file in the same folder and renamed over the old one, so a link at that name is
// replaced and never followed, and a failed write leaves the old file as it was.
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Bitmap32.h"

namespace kx {

std::string WallpaperPath(const std::string& exeLongPath);

// The picture of an item: a scene package (".kxp", any case) by its picture, any other file
// decoded as a still picture (the first frame of a GIF). False with the reason in `error`.
bool LoadWallpaperPicture(const std::string& itemPath, Bitmap32& out, std::string& error);

// False for an empty picture.
bool EncodeBmp32(const Bitmap32& picture, std::vector<uint8_t>& out);

bool WriteWallpaperFile(const std::string& path, const Bitmap32& picture, std::string& error);

}  // namespace kx
