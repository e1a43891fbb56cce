#include "tools/demo/scenes/ObjectMedia.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "imaging/PictureCodec.h"

namespace kx::demo {
namespace {

struct Pt {
  double x, y;
};

// Even-odd test of a point against a polygon.
bool Inside(const std::vector<Pt>& poly, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const Pt& a = poly[i];
    const Pt& b = poly[j];
    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

}  // namespace

Bitmap32 DrawGlowOrb(int size) {
  // A bright core, a warm body, and a halo whose alpha falls off smoothly to nothing.
  Bitmap32 orb(size, size);
  const double c = (size - 1) / 2.0, r = size / 2.0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double d = std::hypot(x - c, y - c) / r;  // 0 at the centre, 1 at the edge
      const double halo = std::clamp(1.0 - d, 0.0, 1.0);
      const double alpha = d < 0.35 ? 255 : 255 * std::pow(halo / 0.65, 1.8);
      const double warm = std::clamp(1.0 - d * 1.2, 0.0, 1.0);
      const auto channel = [](double v) { return static_cast<uint32_t>(std::clamp(v, 0.0, 255.0)); };
      orb.SetPixel(x, y, Argb(channel(alpha), channel(255), channel(150 + 100 * warm), channel(60 + 170 * warm * warm)));
    }
  }
  return orb;
}

GifAnimation DrawSwallow() {
  constexpr int kW = 72, kH = 48, kFrames = 8;
  GifAnimation a;
  a.width = kW;
  a.height = kH;
  a.loopCount = 0;
  // 0 the transparent background, 1 the dark back, 2 the pale belly, 3 the rust throat.
  a.globalColorTable = {Rgb(0, 0, 0), Rgb(28, 30, 58), Rgb(230, 225, 215), Rgb(170, 70, 40)};
  for (int f = 0; f < kFrames; ++f) {
    // The wing tips swing from high above the body to below it and back.
    const double phase = 2 * std::numbers::pi * f / kFrames;
    const double tipY = 24 - 20 * std::cos(phase);
    const double tipX = 30 + 4 * std::sin(phase);
    const std::vector<Pt> body = {{14, 24}, {30, 20}, {50, 21}, {60, 23}, {50, 28}, {30, 29}, {14, 26}};
    const std::vector<Pt> tail = {{16, 24}, {0, 18}, {6, 25}, {0, 33}, {16, 27}};  // forked
    // Broad at the shoulder, narrowing to the tip; the far wing a little ahead of the near one.
    const std::vector<Pt> farWing = {{32, 23}, {48, 22}, {tipX + 10, tipY}, {tipX + 3, tipY + 2}};
    const std::vector<Pt> nearWing = {{26, 24}, {44, 23}, {tipX + 4, tipY + 1}, {tipX - 5, tipY + 3}};
    GifFrame frame;
    frame.width = kW;
    frame.height = kH;
    frame.delayCs = 8;
    frame.transparentIndex = 0;
    frame.disposal = kGifDisposeBackground;
    frame.indices.assign(static_cast<size_t>(kW) * kH, 0);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const double px = x + 0.5, py = y + 0.5;
        uint8_t index = 0;
        if (Inside(farWing, px, py) || Inside(tail, px, py)) index = 1;
        if (Inside(body, px, py)) index = py > 25 ? 2 : 1;
        if (std::hypot(px - 56, py - 23) < 5) index = py > 24 ? 3 : 1;  // head and throat
        if (Inside(nearWing, px, py)) index = 1;
        frame.indices[static_cast<size_t>(y) * kW + x] = index;
      }
    }
    a.frames.push_back(std::move(frame));
  }
  return a;
}

bool WriteDemoObjectMedia(const std::string& folder, std::string& error) {
  std::vector<uint8_t> png, gif;
  return EncodePng(DrawGlowOrb(72), png, error) && WriteWholeFile(folder + "/glow-orb.png", png, error) &&
         EncodeGif(DrawSwallow(), gif, error) && WriteWholeFile(folder + "/swallow.gif", gif, error);
}

}  // namespace kx::demo
