#pragma once
// TSnow: falling snow drawn over a scene frame, at most 1000 flakes.
//
// A flake of Size s falls s times as fast as the base speed and drifts sideways by its
// Drift (-1, 0 or +1). Sizes keep within MaxSize - 2 .. MaxSize and change now and then by
// one. Smaller flakes are fainter. Every frame the engine sets FrameTime, Speed, SpeedIndex,
// Opacity and MaxSize, then calls Animate: move all flakes, then draw them, blended into
// the target and clipped to it: size 1 and below one pixel, 2 and 3 a pixel with a faint
// halo, 4 a four-by-four blob without corners, 5 and above two discs, a fainter outer one
// of radius s div 2 under an inner one of radius s div 2 - 1.
#include <cstdint>
#include <vector>

#include "anim/SaveUnder.h"
#include "imaging/Bitmap32.h"

namespace kx {

struct TSnowFlake {
  double X = 0;  // frame pixels
  double Y = 0;
  int32_t Size = 0;
  double Drift = 0;  // -1, 0 or +1: sideways pixels per unit of fall
};

class TSnow {
 public:
  static constexpr int32_t kMaxCount = 1000;

  // Draws into `target` (the engine's frame), which must outlive the snow.
  explicit TSnow(Bitmap32* target = nullptr) : Target(target) {}

  // n flakes, at most kMaxCount (a negative n gives none).
  void SetCount(int32_t n);
  // Places every flake at random over the target, with a random drift and a size from
  // MaxSize - 2 to MaxSize.
  void Scatter();
  // Moves every flake by FrameTime, then draws them all.
  void Animate();
  void Move();
  void Draw();

  // The fall speed of this frame per unit of size: FrameTime / 70 x the speed table's
  // percent / 100 x Speed / 100, a FrameTime above 1000 ms counting as 10 ms.
  double Velocity() const;

  int32_t Count = 0;
  Bitmap32* Target = nullptr;
  std::vector<TSnowFlake> Flakes;
  int32_t SpeedIndex = 2;  // index into the speed table, 0 .. 20 (clamped)
  int32_t Speed = 0;       // the scene's animation speed, percent
  int32_t FrameTime = 0;   // ms since the previous frame
  int32_t Opacity = 0;     // 1 .. 10
  int32_t MaxSize = 8;     // largest flake size
  // When set, the box of every particle is kept there before the particle is drawn, so
  // that the engine can undo the drawing cheaply.
  TSaveUnder* Under = nullptr;
};

}  // namespace kx
