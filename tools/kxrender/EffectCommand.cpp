// kxrender effect N PERCENT OLD NEW OUT.png [--size WxH]: draws one step of transition
// effect N at PERCENT from the two pictures, as the show does (the old picture restored on
// the work bitmap, the progress in pixels derived from the percentage, the effect drawn), and
// writes the work bitmap as PNG.
#include <cstdio>

#include "tools/kxrender/Commands.h"
#include "tools/kxrender/TransitionInputs.h"
#include "transitions/TransitionStep.h"

namespace kx::kxrender {

int RunEffect(const Args& arguments) {
  Args args = arguments;
  std::string error;
  int width = 0, height = 0, effect = 0;
  long percent = 0;
  if (!TakeSizeOption(args, width, height, error)) {
    std::fprintf(stderr, "kxrender effect: %s\n", error.c_str());
    return 2;
  }
  if (args.size() != 5) {
    std::fprintf(stderr, "kxrender effect: expected N PERCENT OLD NEW OUT.png [--size WxH]\n");
    return 2;
  }
  if (!ParseEffectIndex(args[0], effect, error)) {
    std::fprintf(stderr, "kxrender effect: %s\n", error.c_str());
    return 2;
  }
  if (!ParseWhole(args[1], 0, 100, percent)) {
    std::fprintf(stderr, "kxrender effect: the percentage must be from 0 to 100, got \"%s\"\n", args[1].c_str());
    return 2;
  }
  Bitmap32 oldPicture, newPicture, target;
  if (!LoadTransitionPictures(args[2], args[3], width, height, oldPicture, newPicture, error) ||
      !TransitionStep(effect, oldPicture, newPicture, static_cast<int32_t>(percent), target) ||
      !WritePng(target, args[4], error)) {
    std::fprintf(stderr, "kxrender effect: %s\n", error.empty() ? "cannot draw the step" : error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace kx::kxrender
