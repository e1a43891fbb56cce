#pragma once
// TRain: falling rain drawn over a scene frame, at most 1000 drops.
//
// Each drop is a streak whose top end is (X, Y). Nearer drops (Depth 4) fall faster, are
// longer and brighter than far ones (Depth 2). The wind angle tilts the fall: Angle 90 is
// straight down, below 90 the drops drift right as they fall, above 90 left, by
// cos(Angle) pixels per pixel of fall. Every frame the engine sets FrameTime, Speed,
// SpeedIndex, LengthFactor, Opacity and Angle, then calls Animate: move all drops by the
// frame time, then draw them, each as a faint tail and a brighter head, blended into the
// target and clipped to it.
#include <cstdint>
#include <vector>

#include "anim/SaveUnder.h"
#include "imaging/Bitmap32.h"

namespace kx {

struct TRainDrop {
  double X = 0;            // frame pixels, top end of the streak
  double Y = 0;
  int32_t Depth = 2;       // 2 .. 4
  int32_t DropLength = 1;  // 1 .. 4
};

class TRain {
 public:
  static constexpr int32_t kMaxCount = 1000;

  // Draws into `target` (the engine's frame), which must outlive the rain.
  explicit TRain(Bitmap32* target = nullptr) : Target(target) {}

  // n drops, at most kMaxCount (a negative n gives none). New drops lie at (0, 0) until
  // Scatter places them.
  void SetCount(int32_t n);
  // Places every drop at random over the target.
  void Scatter();
  // Moves every drop by FrameTime, then draws them all.
  void Animate();
  void Move();
  void Draw();

  // The fall speed of this frame in pixels per unit of depth: FrameTime / 50 x the speed
  // table's percent / 100 x Speed / 100. A FrameTime above 1000 ms (a long pause) counts
  // as 10 ms, so that drops do not jump.
  double Velocity() const;

  int32_t Count = 0;
  Bitmap32* Target = nullptr;
  std::vector<TRainDrop> Drops;
  int32_t SpeedIndex = 2;    // index into the speed table, 0 .. 20 (clamped)
  int32_t FrameTime = 0;     // ms since the previous frame
  int32_t Angle = 0;         // degrees
  int32_t Speed = 0;         // the scene's animation speed, percent
  int32_t LengthFactor = 0;  // streak length, tenths
  int32_t Opacity = 0;       // 1 .. 10
  // When set, the box of every particle is kept there before the particle is drawn, so
  // that the engine can undo the drawing cheaply.
  TSaveUnder* Under = nullptr;
};

}  // namespace kx
