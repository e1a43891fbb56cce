#include "tools/demo/scenes/SceneMedia.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/PictureCodec.h"

namespace kx::demo {
namespace {

constexpr uint32_t kLand = 0xFF000000u;     // black
constexpr uint32_t kRegion1 = 0xFF0000FFu;  // 0000FF
constexpr uint32_t kRegion2 = 0xFFFF00FFu;  // FF00FF

uint32_t Clamp(double v) { return static_cast<uint32_t>(std::clamp(v, 0.0, 255.0)); }
uint32_t Mix(double r, double g, double b) { return Rgb(Clamp(r), Clamp(g), Clamp(b)); }
double Lerp(double a, double b, double t) { return a + (b - a) * t; }

// Cheap smooth noise from a few sines, -1 .. 1.
double Ripple(double x, double y) {
  return (std::sin(x * 0.013 + y * 0.021) + std::sin(x * 0.031 - y * 0.017 + 1.7) +
          std::sin(x * 0.007 + y * 0.043 + 4.1)) / 3.0;
}

}  // namespace

void DrawMirrorLake(int w, int h, Bitmap32& picture, Bitmap32& mask) {
  picture.SetSize(w, h);
  mask.SetSize(w, h);
  const double shore = h * 0.6;  // first row of the lake
  const double moonX = w * 0.7, moonY = h * 0.22, moonR = h * 0.05;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (y >= shore) {
        // The lake: its own colour shows only where the mirror image cannot reach.
        const double t = (y - shore) / (h - shore);
        picture.SetPixel(x, y, Mix(20 + 10 * t, 30 + 15 * t, 70 + 20 * t));
        mask.SetPixel(x, y, kRegion1);
        continue;
      }
      mask.SetPixel(x, y, kLand);
      // Far range, near range, and a dark line of trees along the shore.
      const double far = shore - h * (0.22 + 0.07 * std::sin(x * 0.009 + 0.5) + 0.04 * std::sin(x * 0.023));
      const double nearRange = shore - h * (0.12 + 0.05 * std::sin(x * 0.014 + 2.3) + 0.02 * std::sin(x * 0.051));
      const double trees = shore - h * (0.025 + 0.012 * std::fabs(std::sin(x * 0.35)));
      uint32_t c;
      if (y >= trees) {
        c = Mix(15, 35 + 10 * Ripple(x, y), 25);
      } else if (y >= nearRange) {
        const double t = (y - nearRange) / (trees - nearRange + 1);
        c = Mix(Lerp(70, 40, t), Lerp(60, 45, t), Lerp(110, 70, t));
      } else if (y >= far) {
        const double t = (y - far) / (nearRange - far + 1);
        const bool snow = y < far + h * 0.02 + 6 * std::sin(x * 0.2);
        c = snow ? Mix(235, 225, 240) : Mix(Lerp(120, 90, t), Lerp(100, 80, t), Lerp(160, 130, t));
      } else {
        // Dusk: deep blue above, rose and orange near the mountains, and a pale moon.
        const double t = y / far;
        const double d = std::hypot(x - moonX, y - moonY);
        const double glow = std::exp(-d / (moonR * 2.5)) * 60;
        c = d < moonR ? Mix(250, 245, 215)
                      : Mix(Lerp(25, 245, t * t) + glow, Lerp(35, 150, t * t) + glow,
                            Lerp(90, 120, t) + glow);
      }
      picture.SetPixel(x, y, c);
    }
  }
}

void DrawWindyBay(int w, int h, Bitmap32& picture, Bitmap32& mask) {
  picture.SetSize(w, h);
  mask.SetSize(w, h);
  const double horizon = h * 0.45;
  const double lagoonX = w * 0.2, lagoonY = h * 0.92, lagoonRX = w * 0.12, lagoonRY = h * 0.04;
  const double towerLeft = w * 0.83, towerRight = w * 0.855;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      // The headland: a plateau on the right whose rocky slope falls into the sea towards the
      // left.
      const double slope = std::max(0.0, w * 0.78 - x);
      const bool onHeadland =
          y > horizon - h * 0.12 + slope * 1.1 + (slope > 0 ? 10 * std::sin(x * 0.05) : 0.0);
      // The beach along the bottom left, with the lagoon inside it.
      const double beachTop = h * (0.78 + 0.01 * std::sin(x * 0.02)) + x * 0.2;
      const bool onBeach = y >= beachTop;
      const double lx = (x - lagoonX) / lagoonRX, ly = (y - lagoonY) / lagoonRY;
      const bool inLagoon = lx * lx + ly * ly < 1.0;
      const bool inTower = x >= towerLeft && x < towerRight && y >= horizon - h * 0.31 &&
                           y < horizon - h * 0.1;

      uint32_t c;
      uint32_t region = kLand;
      if (inTower) {
        const bool band = static_cast<int>((y - (horizon - h * 0.31)) / (h * 0.035)) % 2 == 0;
        const bool lamp = y < horizon - h * 0.29;
        c = lamp ? Mix(255, 240, 160) : band ? Mix(200, 40, 35) : Mix(235, 235, 230);
      } else if (inLagoon) {
        const double t = lx * lx + ly * ly;
        c = Mix(40 + 30 * t, 110 + 30 * t, 120 + 10 * t + 10 * Ripple(x * 3, y * 3));
        region = kRegion2;
      } else if (onHeadland) {
        const double rock = Ripple(x * 2.5, y * 2.5);
        c = Mix(70 + 25 * rock, 68 + 20 * rock, 62 + 15 * rock);
        if (y < horizon - h * 0.1 + 4 && x > towerLeft - 30 && x < towerRight + 30) c = Mix(60, 90, 50);
      } else if (onBeach) {
        c = Mix(200 + 15 * Ripple(x * 4, y * 4), 180 + 12 * Ripple(x * 4, y * 4), 130);
      } else if (y >= horizon) {
        // The sea: darker far away, lighter crests that widen towards the viewer.
        const double t = (y - horizon) / (h - horizon);
        const double crest = std::max(0.0, std::sin(y * (0.6 - 0.45 * t) + Ripple(x, y) * 3)) * (20 + 40 * t);
        c = Mix(35 + crest, 70 + 20 * t + crest, 85 + 25 * t + crest);
        region = kRegion1;
      } else {
        // A low, stormy sky.
        const double t = y / horizon;
        const double cloud = Ripple(x * 0.8, y * 2.0) * 30 + Ripple(x * 2.1 + 40, y * 3.3) * 15;
        c = Mix(95 + 60 * t + cloud, 100 + 60 * t + cloud, 115 + 55 * t + cloud);
      }
      picture.SetPixel(x, y, c);
      mask.SetPixel(x, y, region);
    }
  }
}

bool WriteDemoSceneMedia(const std::string& folder, std::string& error) {
  struct Scene {
    const char* name;
    void (*draw)(int, int, Bitmap32&, Bitmap32&);
  };
  const Scene scenes[] = {{"mirror-lake", DrawMirrorLake}, {"windy-bay", DrawWindyBay}};
  for (const auto& scene : scenes) {
    Bitmap32 picture, mask;
    scene.draw(kSceneWidth, kSceneHeight, picture, mask);
    std::vector<uint8_t> jpeg, png;
    const std::string base = folder + "/" + scene.name;
    if (!EncodeJpeg(picture, 90, jpeg, error) || !WriteWholeFile(base + ".jpg", jpeg, error) ||
        !EncodePng(mask, png, error) || !WriteWholeFile(base + "-mask.png", png, error)) {
      return false;
    }
  }
  return true;
}

}  // namespace kx::demo
