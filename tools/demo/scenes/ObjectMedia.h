#pragma once
// The images of the demo scenes' animated objects, drawn from formulas:
//
//   glow-orb.png   a warm lantern light with soft edges (an alpha plane that fades out)
//   swallow.gif    a swallow flapping its wings, 8 frames, facing right, on a transparent
//                  background
#include <string>

#include "imaging/Bitmap32.h"
#include "imaging/GifCodec.h"

namespace kx::demo {

Bitmap32 DrawGlowOrb(int size);
GifAnimation DrawSwallow();

// Writes both files into `folder`. False with `error` when a file cannot be written.
bool WriteDemoObjectMedia(const std::string& folder, std::string& error);

}  // namespace kx::demo
