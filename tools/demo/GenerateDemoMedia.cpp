// Writes the media of the demo screensaver into a folder: a few still pictures, the preview
// picture of the display settings, and the kxpack manifest that packs them together with the
// sounds and music that kxdemo_audio writes into the same folder.
//
//   kxdemo_media OUTDIR [EXTRA-MANIFEST-LINES-FILE]
//
// The pictures are drawn from formulas, so the demo needs no files from anywhere.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "imaging/GifCodec.h"
#include "imaging/PictureCodec.h"

namespace {

using kx::Bitmap32;
using kx::Rgb;

uint32_t Clamp(double v) { return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// An evening sky over a sea with a low sun.
Bitmap32 Sunset(int w, int h) {
  Bitmap32 b(w, h);
  const double horizon = h * 0.62;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double dx = (x - w * 0.5) / w, dy = (y - horizon * 0.9) / h;
      const double sun = std::exp(-(dx * dx + dy * dy) * 180.0);
      if (y < horizon) {
        const double t = y / horizon;
        b.SetPixel(x, y, Rgb(Clamp(40 + 200 * t + 255 * sun), Clamp(30 + 110 * t + 200 * sun), Clamp(110 - 60 * t + 120 * sun)));
      } else {
        const double t = (y - horizon) / (h - horizon);
        const double glitter = std::sin(x * 0.09 + y * 0.4) * std::sin(y * 0.73) * 25 * (1 - t);
        b.SetPixel(x, y, Rgb(Clamp(30 + 90 * (1 - t) + glitter), Clamp(40 + 60 * (1 - t) + glitter), Clamp(90 + 40 * t)));
      }
    }
  }
  return b;
}

// Rolling green hills under a pale sky.
Bitmap32 Hills(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double ridge1 = h * (0.55 + 0.08 * std::sin(x * 0.006) + 0.03 * std::sin(x * 0.021));
      const double ridge2 = h * (0.70 + 0.06 * std::sin(x * 0.004 + 2.0));
      uint32_t c;
      if (y < ridge1) {
        const double t = static_cast<double>(y) / ridge1;
        c = Rgb(Clamp(150 + 70 * t), Clamp(190 + 50 * t), Clamp(240));
      } else if (y < ridge2) {
        c = Rgb(Clamp(60 + (y - ridge1) * 0.2), Clamp(130 + std::sin(x * 0.05) * 10), 50);
      } else {
        c = Rgb(40, Clamp(100 + std::sin(x * 0.08 + y * 0.05) * 15), 30);
      }
      b.SetPixel(x, y, c);
    }
  }
  return b;
}

// Concentric rings of colour, for checking transitions.
Bitmap32 Rings(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double r = std::hypot(x - w / 2.0, y - h / 2.0);
      b.SetPixel(x, y, Rgb(Clamp(128 + 127 * std::sin(r * 0.05)), Clamp(128 + 127 * std::sin(r * 0.05 + 2.1)),
                           Clamp(128 + 127 * std::sin(r * 0.05 + 4.2))));
    }
  return b;
}

// Writes the picture in the format its name asks for: .bmp a 24-bit BMP, .gif a one-frame
// GIF, anything else a JPEG.
bool Save(const Bitmap32& picture, const std::string& path) {
  std::vector<uint8_t> bytes;
  std::string error;
  const std::string ext = path.size() > 4 ? path.substr(path.size() - 4) : "";
  bool encoded = false;
  if (ext == ".bmp") {
    encoded = kx::EncodeBmp24(picture, bytes);
    if (!encoded) error = "cannot encode BMP";
  } else if (ext == ".gif") {
    encoded = kx::EncodeGifAnimation({picture}, 10, bytes, error);
  } else {
    encoded = kx::EncodeJpeg(picture, 90, bytes, error);
  }
  if (!encoded || !kx::WriteWholeFile(path, bytes, error)) {
    std::fprintf(stderr, "kxdemo_media: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kxdemo_media OUTDIR [EXTRA-MANIFEST-LINES-FILE]\n");
    return 2;
  }
  const std::string out = std::string(argv[1]) + "/";
  const int w = 1024, h = 768;
  // The still pictures come in each format the show reads: JPEG, BMP and GIF.
  if (!Save(Sunset(w, h), out + "sunset.jpg") || !Save(Hills(w, h), out + "hills.bmp") ||
      !Save(Rings(w, h), out + "rings.gif") || !Save(Sunset(152, 112), out + "preview.jpg"))
    return 1;

  // Every one of the 169 transition effects may play.
  std::string effects;
  for (int i = 1; i <= 169; ++i) effects += (i > 1 ? "," : "") + std::to_string(i);

  std::string manifest =
      "; The demo screensaver, packed by kxpack.\n"
      "[Package]\nSkin=KXGUI.kxu\nExtra=1\n"
      "[Items]\nMirrorLake.kxp\nsunset.jpg\nWindyBay.kxp\nhills.bmp\nrings.gif\n"
      "[Media]\nsurf.wav\nbirds.wav\nglow-orb.png\nswallow.gif\n"
      "[General]\nProductName=kxsaver Demo\nPublisher=kxsaver\nWebsite=http://localhost/\n"
      // Short items in order, so that half a minute shows the scenes, the pictures and
      // several transitions; the clock over the scenes, sounds and music on.
      "[Default]\nDuration=3\nTransition=1\nTransitionTime=1500\nTransitionEffects=" + effects +
      "\nStretch=1\nProportional=1\nShowImageMode=1\nRandom=1\nShowClock=1\nClockPos=1\nSound=1\nMusic=1\n"
      "[Advance]\nPreviewFile=preview.jpg\nMusicFile=music.wav\nMusicMode=1\n";
  FILE* f = std::fopen((out + "Demo.ini").c_str(), "wb");
  if (f == nullptr) return 1;
  std::fwrite(manifest.data(), 1, manifest.size(), f);
  std::fclose(f);
  return 0;
}
