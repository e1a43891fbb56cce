#pragma once
// The pictures and water masks of the demo scenes, drawn from formulas.
//
// Each scene is one function of the pixel position that gives both the colour and the water
// region, so the picture and its mask always agree. Pictures are written as JPEG, masks as
// PNG (exact colours: black land, 0000FF region 1, FF00FF region 2).
//
//   mirror-lake.jpg, mirror-lake-mask.png   mountains at dusk over a lake (region 1) that
//                                           mirrors them
//   windy-bay.jpg, windy-bay-mask.png       a grey sea (region 1) with a headland and a
//                                           lighthouse, a beach and a lagoon (region 2)
#include <string>

#include "imaging/Bitmap32.h"

namespace kx::demo {

inline constexpr int kSceneWidth = 1024;
inline constexpr int kSceneHeight = 768;

void DrawMirrorLake(int width, int height, Bitmap32& picture, Bitmap32& mask);
void DrawWindyBay(int width, int height, Bitmap32& picture, Bitmap32& mask);

// Writes the four files into `folder`. False with `error` when a file cannot be written.
bool WriteDemoSceneMedia(const std::string& folder, std::string& error);

}  // namespace kx::demo
