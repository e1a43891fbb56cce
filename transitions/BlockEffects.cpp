// Expand, slide, reveal, build-up, corner, quarter, roll and push effects.
//
// Every step here is a handful of block copies, so its cost is the cost of copying the pixels
// it covers: plain copies go through memcpy, scaled copies through a column lookup per pixel
// (rows that repeat are copied whole). Copies that reach beyond the bitmap are clipped, which
// is how the slides bring a whole picture in from outside.
#include "transitions/BlockEffects.h"

#include <algorithm>
#include <vector>

#include "transitions/PixelOps.h"
#include "transitions/Raster.h"

namespace kx {

namespace {

// One copy along one axis: `dstLen` destination pixels from `dst` take `srcLen` source pixels
// from `src`, scaled when the lengths differ.
struct AxisCopy {
  int32_t dst, dstLen, src, srcLen;
};

int AxisCopies(AxisRule rule, int32_t L, int32_t D, AxisCopy out[2]) {
  const int32_t hD = D / 2, hL = L / 2;
  switch (rule) {
    case AxisRule::Whole: out[0] = {0, L, 0, L}; return 1;
    case AxisRule::ExpandFromEnd: out[0] = {L - D, D, 0, L}; return 1;
    case AxisRule::ExpandFromStart: out[0] = {0, D, 0, L}; return 1;
    case AxisRule::SlideFromEnd: out[0] = {L - D, L, 0, L}; return 1;
    case AxisRule::SlideFromStart: out[0] = {D - L, L, 0, L}; return 1;
    case AxisRule::RevealFromStart: out[0] = {0, D, 0, D}; return 1;
    case AxisRule::RevealFromEnd: out[0] = {L - D, D, L - D, D}; return 1;
    case AxisRule::ExpandInFromEnd: out[0] = {0, 2 * L - D, 0, D}; return 1;
    case AxisRule::ExpandInFromStart: out[0] = {D - L, 2 * L - D, L - D, D}; return 1;
    case AxisRule::ExpandInToMiddle: out[0] = {D - L, 3 * L - 2 * D, (L - D) / 2, D}; return 1;
    case AxisRule::ExpandOutFromMiddle: out[0] = {(L - D) / 2, D, 0, L}; return 1;
    case AxisRule::RevealOutFromMiddle: out[0] = {(L - D) / 2, D, (L - D) / 2, D}; return 1;
    case AxisRule::RevealInFromSides:
      out[0] = {0, hD, 0, hD};
      out[1] = {L - hD, hD, L - hD, hD};
      return 2;
    case AxisRule::ExpandInFromSides:
      out[0] = {0, hD, 0, hL};
      out[1] = {L - hD, hD, hL, hL};
      return 2;
    case AxisRule::BuildUpFromEnd:
      // The part passed shows flat; the rest of the screen is filled with the next tenth
      // of the picture, stretched.
      out[0] = {0, D, 0, D};
      out[1] = {D, L - D, D, std::min(L - D, L / 10)};
      return 2;
    case AxisRule::BuildUpFromStart: {
      const int32_t d = L - D, s = std::max(d - L / 10, 0);
      out[0] = {d, D, d, D};
      out[1] = {0, d, s, d - s};
      return 2;
    }
  }
  return 0;
}

constexpr int kShadeDepth = 48;

}  // namespace

void BlockEffectSteps(AxisRule alongX, AxisRule alongY, Bitmap32& Target, const Bitmap32& NewImage,
                      int32_t Width, int32_t Height, int32_t DoneX, int32_t DoneY) {
  AxisCopy xs[2], ys[2];
  const int nx = AxisCopies(alongX, Width, DoneX, xs);
  const int ny = AxisCopies(alongY, Height, DoneY, ys);
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) {
      const AxisCopy& cx = xs[i];
      const AxisCopy& cy = ys[j];
      // Blocks never mirror here: a block with no (or a negative) size draws nothing.
      if (cx.dstLen <= 0 || cy.dstLen <= 0 || cx.srcLen <= 0 || cy.srcLen <= 0) continue;
      if (cx.dstLen == cx.srcLen && cy.dstLen == cy.srcLen) {
        BitBlt(Target, cx.dst, cy.dst, cx.dstLen, cy.dstLen, NewImage, cx.src, cy.src);
      } else {
        StretchBlt(Target, cx.dst, cy.dst, cx.dstLen, cy.dstLen, NewImage, cx.src, cy.src,
                   cx.srcLen, cy.srcLen);
      }
    }
  }
}

void RollSteps(bool vertical, bool fromEnd, Bitmap32& Target, const Bitmap32& NewImage,
               int32_t Width, int32_t Height, int32_t DoneX, int32_t DoneY) {
  const int32_t L = vertical ? Height : Width, D = vertical ? DoneY : DoneX;
  // The strip is a tenth of the side, no wider than the part already unrolled, and at most
  // half of what is left.
  int32_t r = L / 10;
  if (D < r) r = D;
  else if (L - D < 2 * r) r = (L - D) / 2;

  auto scale = [&](int32_t pos, int32_t len, int32_t spos, int32_t slen) {
    if (vertical) StretchBlt(Target, 0, pos, Width, len, NewImage, 0, spos, Width, slen);
    else StretchBlt(Target, pos, 0, len, Height, NewImage, spos, 0, slen, Height);
  };
  auto copy = [&](int32_t pos, int32_t len) {
    if (vertical) BitBlt(Target, 0, pos, Width, len, NewImage, 0, pos);
    else BitBlt(Target, pos, 0, len, Height, NewImage, pos, 0);
  };
  auto shade = [&](int32_t first, int32_t count) {
    if (vertical) ShadeRows(Target, first, count);
    else ShadeColumns(Target, first, count);
  };
  if (!fromEnd) {
    // Strip D .. D + r - 1 shows the next r lines D + r .. D + 2r - 1, mirrored.
    scale(D + r - 1, -r, D + r, r);
    copy(0, D);
    shade(D, r);
  } else {
    // Strip e - r .. e - 1 shows lines e - 2r - 1 .. e - r - 2, mirrored.
    const int32_t e = L - D;
    scale(e - 1, -r, e - 2 * r - 1, r);
    copy(e, D);
    shade(e - r, r);
  }
}

void PushSteps(bool vertical, bool forward, bool squeeze, Bitmap32& Target,
               const Bitmap32& NewImage, int32_t Width, int32_t Height, int32_t DoneX,
               int32_t DoneY) {
  const int32_t L = vertical ? Height : Width, D = vertical ? DoneY : DoneX;
  // Moves or squeezes the old picture on Target; the copy reads the whole source block first.
  auto moveOld = [&](int32_t pos, int32_t len, int32_t spos, int32_t slen) {
    if (len <= 0 || slen <= 0) return;
    if (vertical) {
      if (len == slen) BitBlt(Target, 0, pos, Width, len, Target, 0, spos);
      else StretchBlt(Target, 0, pos, Width, len, Target, 0, spos, Width, slen);
    } else {
      if (len == slen) BitBlt(Target, pos, 0, len, Height, Target, spos, 0);
      else StretchBlt(Target, pos, 0, len, Height, Target, spos, 0, slen, Height);
    }
  };
  auto copyNew = [&](int32_t pos, int32_t len, int32_t spos) {
    if (vertical) BitBlt(Target, 0, pos, Width, len, NewImage, 0, spos);
    else BitBlt(Target, pos, 0, len, Height, NewImage, spos, 0);
  };
  if (forward) {
    moveOld(D, L - D, 0, squeeze ? L : L - D);
    copyNew(0, D, L - D);
  } else {
    moveOld(0, L - D, squeeze ? 0 : D, squeeze ? L : L - D);
    copyNew(L - D, D, 0);
  }
}

void RevealInToCentre(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width, int32_t Height,
                      int32_t DoneX, int32_t DoneY, int32_t /*Percent*/) {
  const int32_t hX = DoneX / 2, hY = DoneY / 2;
  Canvas canvas(Target);
  canvas.ExcludeClipRect(hX, hY, Width - hX, Height - hY);
  canvas.BitBlt(0, 0, Width, Height, NewImage, 0, 0);
}

void QuartersSlideInToMiddle(Bitmap32& Target, const Bitmap32& NewImage, int32_t Width,
                             int32_t Height, int32_t DoneX, int32_t DoneY, int32_t /*Percent*/) {
  const int32_t hX = DoneX / 2, hY = DoneY / 2, hW = Width / 2, hH = Height / 2;
  BitBlt(Target, hX - hW, 0, hW, hH, NewImage, 0, 0);        // top left, from the left
  BitBlt(Target, hW, hY - hH, hW, hH, NewImage, hW, 0);      // top right, from the top
  BitBlt(Target, Width - hX, hH, hW, hH, NewImage, hW, hH);  // bottom right, from the right
  BitBlt(Target, 0, Height - hY, hW, hH, NewImage, 0, hH);   // bottom left, from the bottom
}

void ShadeColumns(Bitmap32& Target, int32_t first, int32_t count) {
  if (count < 2) return;
  // Profile from -48 at the strip's first column up to about 0 in its middle and back down:
  // in equal steps of 48 div half when the half strip is narrower than the depth, else by 1
  // every half div 48 columns.
  const int32_t half = count / 2;
  std::vector<int> profile(static_cast<size_t>(count));
  int v = -kShadeDepth;
  if (kShadeDepth > half) {
    int step = kShadeDepth / half;
    for (int32_t k = 1; k <= count; ++k) {
      profile[k - 1] = v;
      v += step;
      if (k == half) step = -step;
    }
  } else {
    const int32_t period = half / kShadeDepth;
    int32_t next = period;
    for (int32_t k = 1; k <= count; ++k) {
      profile[k - 1] = v;
      if (k == next) {
        next += period;
        v += k < half ? 1 : -1;
      }
    }
  }
  const int32_t c0 = std::max(first, 0), c1 = std::min(first + count, Target.Width());
  if (c0 >= c1) return;
  std::vector<pixelops::ColourStep> steps(static_cast<size_t>(c1 - c0));
  for (int32_t c = c0; c < c1; ++c) steps[c - c0] = pixelops::MakeColourStep(profile[c - first]);
  for (int32_t y = 0; y < Target.Height(); ++y)
    pixelops::AddStepsSpan(Target.Row(y) + c0, steps.data(), profile.data() + (c0 - first),
                           static_cast<size_t>(c1 - c0));
}

void ShadeRows(Bitmap32& Target, int32_t first, int32_t count) {
  if (count < 2) return;
  // From the strip's bottom row up: -48, rising by d every `every` rows until the middle,
  // then falling again.
  const int32_t c = count / 2;
  const int32_t every = c < kShadeDepth ? 1 : c / kShadeDepth;
  const int d = c < kShadeDepth ? kShadeDepth / c : 1;
  int v = -kShadeDepth;
  int32_t next = every;
  for (int32_t i = 1; i <= count; ++i) {
    const int32_t y = first + count - i;
    if (y >= 0 && y < Target.Height()) {
      pixelops::AddConstantSpan(Target.Row(y), static_cast<size_t>(Target.Width()), v);
    }
    if (i == next) {
      v += i < c ? d : -d;
      next += every;
    }
  }
}

}  // namespace kx
