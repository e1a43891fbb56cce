// The step of an animated object: when it shows, how it fades, and how it moves.
//
// Timing. A display cycle begins at CycleStart (a millisecond tick). The object appears
// CurrentDelay seconds into the cycle; with DisplayDurationType 1 it hides again after
// DisplayDurationSec more seconds, with type 2 once it has left the screen, with type 0
// never. An appear fade runs from alpha 0 up to the opacity's alpha over AppearEffectDur
// seconds after it appears, a disappear fade back down over the last DisappearEffectDur
// seconds of a type-1 display. Once hidden, the object comes back after RedisplayDelay
// seconds (a new cycle, its motion reset when ResetPos is set) or, without Redisplay, never.
// It comes back at the alpha of its "Opacity" (an appear fade then starts again from 0).
//
// Motion. Every step advances two states whatever the motion is, so that switching the
// motion never jumps: a bouncing position (BounceX, BounceY), which steps a random 0 to
// 0.999 x StepSpeed / 100 design pixels per axis and turns at the bounds MinX .. MaxX,
// MinY .. MaxY; and an aimless position, which walks with random ranges and directions that
// change every 50 to 349 steps or at a bound. "Motion" only picks which state sets X and Y:
//   0, 8 still; 1 aimless; 2 bounce on both axes; 3 bounce on x; 4 bounce on y;
//   5, 6 one direction on x or y, jumping from one bound to the other (the mirror image of
//     the bounce on its way back); 7 an ellipse around the middle of the bounds, starting at
//     its bottom, StepSpeed / 1000 degrees per step, clockwise on screen; 9 jitter of up to
//     4 x StepSpeed / 1000 pixels per axis around the current position. Others: still.
// Off-screen test: an object may leave through the edges that OffScreenOpt allows, which
// is only possible when its centre may pass the picture's edge (RestrictArea off, or a move
// area reaching outside the picture); with DisplayDurationType 2 that hides it.
//
// Facing. With DirFlip, an image that looks right (ObjFacing 1) is mirrored while it moves
// left, one that looks left (ObjFacing 0) while it moves right; standing still keeps the
// facing it had.
#include <cmath>
#include <numbers>

#include "anim/AnimObjects.h"
#include "anim/ObjectRandom.h"
#include "base/Random.h"
#include "platform/Clock.h"

namespace kx {

namespace {

// Milliseconds from `start` to `now` on the wrapping 32-bit tick.
int64_t Elapsed(uint32_t now, int64_t start) {
  return static_cast<int64_t>(static_cast<uint32_t>(now - static_cast<uint32_t>(start)));
}

}  // namespace

void TAnimObject::Step() {
  std::lock_guard<std::mutex> lock(stateMutex_);
  if (!prepared_) return;
  ObjectRandomScope random(RandomState);
  StepLocked();
}

void TAnimObject::StepLocked() {
  const uint32_t now = clock_->TickMs();

  // Appearance.
  if (!Visible && CycleStart != -1 && Elapsed(now, CycleStart) >= static_cast<int64_t>(CurrentDelay) * 1000) {
    Visible = true;
  }

  // Display timing and fades.
  if (Visible && CycleStart != -1) {
    const int64_t e = Elapsed(now, CycleStart);
    const int64_t start = static_cast<int64_t>(CurrentDelay) * 1000;
    const int64_t end = (static_cast<int64_t>(CurrentDelay) + DisplayDurationSec) * 1000;
    if (DisplayDurationType == 1) {
      if (e >= end) Visible = false;
      if (DisappearEffect == 1 && e >= end - static_cast<int64_t>(DisappearEffectDur) * 1000) {
        Alpha = FadeAlpha(end - e, DisappearEffectDur, Opacity);
      }
    }
    if (AppearEffect == 1 && e <= start + static_cast<int64_t>(AppearEffectDur) * 1000) {
      Alpha = FadeAlpha(e - start, AppearEffectDur, Opacity);
    }
    if (DisplayDurationType == 2 && OffScreenHit) Visible = false;
    if (!Visible) {
      if (Redisplay) {
        if (ResetPos) ResetMotionLocked();
        CurrentDelay = RedisplayDelay;
        CycleStart = now;
        OffScreenHit = false;
      } else {
        CycleStart = -1;
      }
      Alpha = OpacityAlpha();
    }
  }

  if (!Visible) return;
  const int32_t oldLeft = ScreenLeft;
  UpdateStates();
  PlaceByMotion();
  UpdateFacing(oldLeft);
}

bool TAnimObject::OffScreenX(double x, int32_t dir) const {
  return (x <= MinX && x < 0 && dir == -1 && (OffScreenOpt & kOffScreenLeft)) ||
         (x >= MaxX && x > DesignWidth && dir == 1 && (OffScreenOpt & kOffScreenRight));
}

bool TAnimObject::OffScreenY(double y, int32_t dir) const {
  return (y <= MinY && y < 0 && dir == -1 && (OffScreenOpt & kOffScreenTop)) ||
         (y >= MaxY && y > DesignHeight && dir == 1 && (OffScreenOpt & kOffScreenBottom));
}

void TAnimObject::UpdateStates() {
  const double k = StepSpeed / 1000.0;

  BounceX += RandomBelow(1000) * k * DirX / 100.0;
  BounceY += RandomBelow(1000) * k * DirY / 100.0;
  bool hitX = false;
  if (Motion == 2 || Motion == 3 || Motion == 5) {
    hitX = OffScreenX(BounceX, DirX);
    OffScreenHit = hitX;
  }
  if ((Motion == 2 && !hitX) || Motion == 4 || Motion == 6) OffScreenHit = OffScreenY(BounceY, DirY);
  if (BounceX <= MinX) DirX = 1;
  if (BounceY <= MinY) DirY = 1;
  if (BounceX >= MaxX) DirX = -1;
  if (BounceY >= MaxY) DirY = -1;

  AimlessX += RandomBelow(AimlessRangeX) * k * AimlessDirX / 100.0;
  AimlessY += RandomBelow(AimlessRangeY) * k * AimlessDirY / 100.0;
  ++AimlessSteps;
  if (AimlessX <= MinX || AimlessX >= MaxX || AimlessY <= MinY || AimlessY >= MaxY) AimlessSteps = AimlessStepLimit;
  if (AimlessSteps >= AimlessStepLimit) {
    if (Motion == 1) OffScreenHit = OffScreenY(AimlessY, AimlessDirY) || OffScreenX(AimlessX, AimlessDirX);
    if (RandomBelow(10) == 0) AimlessDirX = RandomBelow(2) == 0 ? -1 : 1;
    AimlessDirY = RandomBelow(3) - 1;
    if (AimlessX <= MinX) AimlessDirX = 1;
    if (AimlessX >= MaxX) AimlessDirX = -1;
    if (AimlessY <= MinY) AimlessDirY = 1;
    if (AimlessY >= MaxY) AimlessDirY = -1;
    AimlessStepLimit = 50 + RandomBelow(300);
    AimlessRangeX = 200 + RandomBelow(800);
    AimlessRangeY = RandomBelow(1000);
    AimlessSteps = 0;
  }
  ++StepCount;
}

void TAnimObject::PlaceByMotion() {
  const int64_t spanX = static_cast<int64_t>(MaxX) - MinX, spanY = static_cast<int64_t>(MaxY) - MinY;
  const double cx = static_cast<double>(MinX + spanX / 2), cy = static_cast<double>(MinY + spanY / 2);
  switch (Motion) {
    case 1:
      X = AimlessX;
      Y = AimlessY;
      break;
    case 2:
      X = BounceX;
      Y = BounceY;
      break;
    case 3:
      X = BounceX;
      break;
    case 4:
      Y = BounceY;
      break;
    case 5: {
      const double m = static_cast<double>(MinX) + MaxX - BounceX;
      if (WrapDirX < 0) {
        X = DirX > 0 ? m : BounceX;
      } else {
        X = DirX > 0 ? BounceX : m;
      }
      break;
    }
    case 6: {
      const double m = static_cast<double>(MinY) + MaxY - BounceY;
      if (WrapDirY < 0) {
        Y = DirY > 0 ? m : BounceY;
      } else {
        Y = DirY > 0 ? BounceY : m;
      }
      break;
    }
    case 7: {
      const double degrees = -static_cast<double>(StepCount) * StepSpeed / 1000.0;
      const double a = degrees * std::numbers::pi / 180.0;
      X = std::sin(a) * static_cast<double>(spanX / 2 - ObjWidth / 2) + cx;
      Y = std::cos(a) * static_cast<double>(spanY / 2 - ObjHeight / 2) + cy;
      break;
    }
    case 9:
      X += (RandomBelow(9) - 4) * StepSpeed / 1000.0;
      Y += (RandomBelow(9) - 4) * StepSpeed / 1000.0;
      break;
    default:
      break;
  }
  UpdateScreenPosition();
}

void TAnimObject::UpdateFacing(int32_t oldLeft) {
  const int32_t newLeft = ScreenLeft;
  if (ObjFacing == 1) {
    Flipped = DirFlip && (newLeft < oldLeft || (newLeft == oldLeft && Flipped));
  } else if (ObjFacing == 0) {
    Flipped = DirFlip && (newLeft > oldLeft || (newLeft == oldLeft && Flipped));
  }
}

}  // namespace kx
