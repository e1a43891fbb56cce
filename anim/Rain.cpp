#include "anim/Rain.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "anim/Canvas.h"
#include "anim/WeatherSpeed.h"
#include "anim/FastRound.h"
#include "base/Random.h"

namespace kx {

void TRain::SetCount(int32_t n) {
  Count = std::clamp<int32_t>(n, 0, kMaxCount);
  Drops.resize(static_cast<size_t>(Count));
}

void TRain::Scatter() {
  const int32_t w = Target ? Target->Width() : 0;
  const int32_t h = Target ? Target->Height() : 0;
  for (TRainDrop& d : Drops) {
    d.X = RandomBelow(w);
    d.Y = RandomBelow(h);
    d.Depth = 2 + RandomBelow(3);
    d.DropLength = 1 + RandomBelow(4);
  }
}

double TRain::Velocity() const {
  return weather::EffectiveFrameTime(FrameTime) / 50.0 * weather::SpeedPercent(SpeedIndex) / 100.0 * Speed / 100.0;
}

void TRain::Animate() {
  Move();
  Draw();
}

void TRain::Move() {
  if (!Target) return;
  const double w = Target->Width();
  const double h = Target->Height();
  const double v = Velocity();
  const double drift = std::cos(Angle * std::numbers::pi / 180.0);
  for (TRainDrop& d : Drops) {
    const double y0 = d.Y;
    d.Y += d.Depth * v * 3;
    d.X += drift * (d.Y - y0);
    // A drop blown off one side comes back in from the other.
    if (d.X < -20) d.X = w + RandomBelow(100);
    if (d.X > w + 20) d.X = -RandomBelow(100);
    d.Depth = std::clamp<int32_t>(d.Depth, 2, 4);
    if (d.Y > h) d.Y = -RandomBelow(100);
  }
}

void TRain::Draw() {
  if (!Target || Target->Empty()) return;
  const double drift = std::cos(Angle * std::numbers::pi / 180.0);
  // What depends only on the depth, 2 to 4: the grey and the alphas of tail and head.
  struct DepthLook {
    uint32_t rgb;
    int tailAlpha, headAlpha;
  } looks[3];
  for (int32_t depth = 2; depth <= 4; ++depth) {
    const int32_t far = 5 - depth;
    const uint32_t grey = static_cast<uint32_t>(55 / far + 200);  // 218, 227, 255
    looks[depth - 2] = {(grey << 16) | (grey << 8) | grey, RoundEven((150.0 - 20 * far) * Opacity * 10 / 100.0),
                        RoundEven((255.0 - 20 * far) * Opacity * 10 / 100.0)};
  }
  for (const TRainDrop& d : Drops) {
    if (std::fabs(d.X) > weather::kFarAway || std::fabs(d.Y) > weather::kFarAway) continue;
    const int32_t depth = std::clamp<int32_t>(d.Depth, 2, 4);
    const DepthLook& look = looks[depth - 2];
    // The streak runs from (xa, ya) down to (xb, yb); its last quarter is the head.
    const int32_t ya = RoundEven(d.Y);
    // A stored streak length can be anything; a streak longer than kMaxStreak pixels (far
    // beyond any screen) is drawn kMaxStreak long, so no coordinate below can overflow.
    constexpr double kMaxStreak = 1 << 16;
    const double length = std::clamp(static_cast<double>(depth) * d.DropLength * LengthFactor / 10.0, -kMaxStreak, kMaxStreak);
    const int32_t yb = RoundEven(length + ya);
    const int32_t xa = RoundEven(d.X);
    const int32_t xb = RoundEven(std::clamp(drift * length, -kMaxStreak, kMaxStreak) + xa);
    if (Under != nullptr) Under->Keep({std::min(xa, xb), std::min(ya, yb), std::max(xa, xb) + 1, std::max(ya, yb) + 1});
    const int32_t xm = RoundEven(xa + (6.0 * xb - 6.0 * xa) / 8.0);
    const int32_t ym = RoundEven(ya + (6.0 * yb - 6.0 * ya) / 8.0);
    // The tail stops short of the point where the head begins, so that point is blended once.
    BlendLine(*Target, xa, ya, xm, ym, look.rgb, look.tailAlpha, /*includeEnd=*/false);
    BlendLine(*Target, xm, ym, xb, yb, look.rgb, look.headAlpha, /*includeEnd=*/true);
  }
}

}  // namespace kx
