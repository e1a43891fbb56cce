// kxgallery: a page that shows every transition effect, so that a screensaver author can pick
// effects by looking at them.
//
//   kxgallery OUTDIR OLD NEW [--size WxH] [--steps N]
//
// Writes OUTDIR/index.html and, for each of the 169 effects, OUTDIR/effect-NNN.gif: an
// animation that loops for ever from the OLD picture to the NEW one in N steps (12 unless
// told), at P = 0, 100 / (N - 1), ..., 100 percent, drawn by the engine's own transition step
// at the given size (160 x 120 unless told; both pictures are fitted to it). The first frame
// is held for a moment, the steps follow at 12 frames a second, and the last frame, the new
// picture, is held longer before the loop starts again.
//
// Effects that draw from the shared random generator start from a seed made from their
// number, so the page comes out the same at every run. Frames are written in the fixed
// palette of the GIF writer; after the first, each frame holds only the rectangle of pixels
// that changed since the frame before, which keeps the files small.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>
#include <string>
#include <vector>

#include "base/MulDiv.h"
#include "base/Random.h"
#include "imaging/GifCodec.h"
#include "imaging/PictureCodec.h"
#include "tools/kxrender/TransitionInputs.h"
#include "transitions/EffectTable.h"
#include "transitions/TransitionStep.h"

namespace {

constexpr int kFirstHoldCs = 60, kStepCs = 8, kLastHoldCs = 150;  // frame times, 1/100 s

std::string EffectFileName(int effect) {
  char name[32];
  std::snprintf(name, sizeof name, "effect-%03d.gif", effect);
  return name;
}

std::string EscapeHtml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// The step percentages: N steps from 0 to 100, rounded to the nearest with halves to even as
// the slideshow rounds its steps.
std::vector<int> StepPercents(int steps) {
  std::vector<int> percents;
  for (int i = 0; i < steps; ++i) percents.push_back(kx::RoundHalfEven(100.0 * i / (steps - 1)));
  return percents;
}

// One frame's colour indices in the fixed palette.
std::vector<uint8_t> Indices(const kx::Bitmap32& frame) {
  std::vector<uint8_t> indices(frame.PixelCount());
  const uint32_t* p = frame.Data();
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = kx::NearestFixedPaletteIndex(p[i]);
  return indices;
}

// The animation of one effect: the first frame whole, then for each step the rectangle that
// differs from the step before (one pixel when nothing changed, so that the frame still
// takes its time).
bool RenderEffect(int effect, const kx::Bitmap32& oldPicture, const kx::Bitmap32& newPicture, int steps,
                  std::vector<uint8_t>& gif, std::string& error) {
  const int w = oldPicture.Width(), h = oldPicture.Height();
  kx::GifAnimation animation;
  animation.width = w;
  animation.height = h;
  animation.loopCount = 0;
  animation.globalColorTable = kx::FixedGifPalette();

  kx::RandomSeed = 0x6A11E000u + static_cast<uint32_t>(effect);
  const std::vector<int> percents = StepPercents(steps);
  std::vector<uint8_t> previous;
  kx::Bitmap32 frame;
  for (size_t s = 0; s < percents.size(); ++s) {
    if (!kx::TransitionStep(effect, oldPicture, newPicture, percents[s], frame)) {
      error = "cannot draw effect " + std::to_string(effect) + " at " + std::to_string(percents[s]) + " percent";
      return false;
    }
    std::vector<uint8_t> indices = Indices(frame);
    kx::GifFrame f;
    f.disposal = kx::kGifDisposeKeep;
    f.delayCs = s == 0 ? kFirstHoldCs : s + 1 == percents.size() ? kLastHoldCs : kStepCs;
    int left = 0, top = 0, right = w, bottom = h;
    if (!previous.empty()) {
      left = w, top = h, right = 0, bottom = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          if (indices[size_t(y) * w + x] != previous[size_t(y) * w + x]) {
            left = std::min(left, x), right = std::max(right, x + 1);
            top = std::min(top, y), bottom = std::max(bottom, y + 1);
          }
      if (left >= right) left = 0, top = 0, right = 1, bottom = 1;
    }
    f.left = left, f.top = top, f.width = right - left, f.height = bottom - top;
    f.indices.reserve(size_t(f.width) * f.height);
    for (int y = top; y < bottom; ++y)
      f.indices.insert(f.indices.end(), indices.begin() + size_t(y) * w + left,
                       indices.begin() + size_t(y) * w + right);
    animation.frames.push_back(std::move(f));
    previous = std::move(indices);
  }
  return kx::EncodeGif(animation, gif, error);
}

std::string Page(int w, int h, int steps, const std::string& oldName, const std::string& newName) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>kxsaver transition effects</title>\n<style>\n"
      "body { font-family: sans-serif; background: #202024; color: #e8e8e8; margin: 24px; }\n"
      "p { max-width: 60em; }\n"
      ".effects { display: grid; grid-template-columns: repeat(auto-fill, minmax(" +
      std::to_string(w + 16) + "px, 1fr)); gap: 16px; }\n"
      "figure { margin: 0; }\n"
      "figure img { display: block; image-rendering: pixelated; background: #000; }\n"
      "figcaption { font-size: 13px; margin-top: 4px; }\n"
      "figcaption b { color: #9cf; margin-right: 0.4em; }\n"
      "</style>\n</head>\n<body>\n<h1>Transition effects</h1>\n"
      "<p>Each of the " + std::to_string(kx::kEffectCount) + " effects, drawn by the engine from " +
      EscapeHtml(oldName) + " to " + EscapeHtml(newName) + " in " + std::to_string(steps) + " steps at " +
      std::to_string(w) + " &times; " + std::to_string(h) +
      " pixels. The number is the one to list in a project's transition effects.</p>\n"
      "<div class=\"effects\">\n";
  for (int i = 1; i <= kx::kEffectCount; ++i) {
    const std::string name = EscapeHtml(kx::Effects[i].Name);
    html += "<figure id=\"effect-" + std::to_string(i) + "\"><img src=\"" + EffectFileName(i) + "\" width=\"" +
            std::to_string(w) + "\" height=\"" + std::to_string(h) + "\" alt=\"" + std::to_string(i) + " " + name +
            "\"><figcaption><b>" + std::to_string(i) + "</b>" + name + "</figcaption></figure>\n";
  }
  html += "</div>\n</body>\n</html>\n";
  return html;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int Run(std::vector<std::string> args) {
  std::string error;
  int width = 0, height = 0;
  if (!kx::kxrender::TakeSizeOption(args, width, height, error)) {
    std::fprintf(stderr, "kxgallery: %s\n", error.c_str());
    return 2;
  }
  if (width == 0) width = 160, height = 120;
  int steps = 12;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--steps") continue;
    long v = 0;
    if (i + 1 >= args.size() || !kx::kxrender::ParseWhole(args[i + 1], 2, 101, v)) {
      std::fprintf(stderr, "kxgallery: --steps needs a whole number from 2 to 101\n");
      return 2;
    }
    steps = static_cast<int>(v);
    args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
    break;
  }
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: kxgallery OUTDIR OLD NEW [--size WxH] [--steps N]\n");
    return 2;
  }
  const std::string dir = args[0] + "/";
  std::error_code made;
  std::filesystem::create_directories(args[0], made);
  if (made) {
    std::fprintf(stderr, "kxgallery: cannot make the folder %s: %s\n", args[0].c_str(), made.message().c_str());
    return 1;
  }
  kx::Bitmap32 oldPicture, newPicture;
  if (!kx::kxrender::LoadTransitionPictures(args[1], args[2], width, height, oldPicture, newPicture, error)) {
    std::fprintf(stderr, "kxgallery: %s\n", error.c_str());
    return 1;
  }
  for (int i = 1; i <= kx::kEffectCount; ++i) {
    std::vector<uint8_t> gif;
    if (!RenderEffect(i, oldPicture, newPicture, steps, gif, error) ||
        !kx::WriteWholeFile(dir + EffectFileName(i), gif, error)) {
      std::fprintf(stderr, "kxgallery: effect %d: %s\n", i, error.c_str());
      return 1;
    }
  }
  const std::string html = Page(width, height, steps, BaseName(args[1]), BaseName(args[2]));
  if (!kx::WriteWholeFile(dir + "index.html", std::vector<uint8_t>(html.begin(), html.end()), error)) {
    std::fprintf(stderr, "kxgallery: %s\n", error.c_str());
    return 1;
  }
  std::printf("kxgallery: %d effects in %sindex.html\n", kx::kEffectCount, dir.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kxgallery: %s\n", e.what());
    return 1;
  }
}
