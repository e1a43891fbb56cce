#include "anim/Snow.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "anim/Canvas.h"
#include "anim/WeatherSpeed.h"
#include "anim/FastRound.h"
#include "base/Random.h"

namespace kx {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

}  // namespace

void TSnow::SetCount(int32_t n) {
  Count = std::clamp<int32_t>(n, 0, kMaxCount);
  Flakes.resize(static_cast<size_t>(Count));
}

void TSnow::Scatter() {
  const int32_t w = Target ? Target->Width() : 0;
  const int32_t h = Target ? Target->Height() : 0;
  for (TSnowFlake& f : Flakes) {
    f.X = RandomBelow(w);
    f.Y = RandomBelow(h);
    f.Drift = 1 - RandomBelow(3);
    f.Size = MaxSize - RandomBelow(3);
  }
}

double TSnow::Velocity() const {
  return weather::EffectiveFrameTime(FrameTime) / 70.0 * weather::SpeedPercent(SpeedIndex) / 100.0 * Speed / 100.0;
}

void TSnow::Animate() {
  Move();
  Draw();
}

void TSnow::Move() {
  if (!Target) return;
  const double w = Target->Width();
  const double h = Target->Height();
  const double v = Velocity();
  for (TSnowFlake& f : Flakes) {
    f.Y += v * f.Size;
    f.X += v * f.Drift;
    if (RandomBelow(20) == 0) f.Size += RandomBelow(3) - 1;
    if (f.X < 0) f.X = w + RandomBelow(50);
    if (f.X > w) f.X = -RandomBelow(50);
    if (f.Size < MaxSize - 2) f.Size = MaxSize - 2;
    if (f.Size > MaxSize) f.Size = MaxSize;
    if (f.Y > h - 1) f.Y = -RandomBelow(100);
  }
}

void TSnow::Draw() {
  if (!Target || Target->Empty()) return;
  Bitmap32& t = *Target;
  const int32_t o = Opacity;
  for (const TSnowFlake& f : Flakes) {
    if (std::fabs(f.X) > weather::kFarAway || std::fabs(f.Y) > weather::kFarAway) continue;
    const int x = RoundEven(f.X);
    const int y = RoundEven(f.Y);
    const int s = f.Size;
    // How far the flake reaches from its centre: the outer disc's radius, the blob's two
    // pixels down and right, the halo's one.
    const int reach = s >= 5 ? s / 2 : s == 4 ? 2 : s >= 2 ? 1 : 0;
    if (Under != nullptr) Under->Keep({x - reach, y - reach, x + reach + 1, y + reach + 1});
    // Flakes smaller than the largest are fainter, by 60 of 255 per size step.
    const double fade = static_cast<double>(MaxSize - s) * 60;
    const int inner = RoundEven((250 - fade) * o * 10 / 100.0);
    const int outer = RoundEven((180 - fade) * o * 10 / 100.0);
    BlendPixel(t, x, y, kWhite, inner);
    if (s == 2) {
      BlendPixel(t, x + 1, y, kWhite, 8 * o);
      BlendPixel(t, x, y + 1, kWhite, 8 * o);
    } else if (s == 3) {
      for (const auto& [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) BlendPixel(t, x + dx, y + dy, kWhite, 20 * o);
      for (const auto& [dx, dy] : {std::pair{-1, -1}, {1, -1}, {-1, 1}, {1, 1}}) BlendPixel(t, x + dx, y + dy, kWhite, 6 * o);
    } else if (s == 4) {
      // With the centre: columns x - 1 .. x + 2, rows y - 1 .. y + 2, without the corners.
      static constexpr int kBlob[11][2] = {{-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {0, 2}, {1, -1},
                                           {1, 0},  {1, 1},  {1, 2},  {2, 0}, {2, 1}};
      for (const auto& d : kBlob) BlendPixel(t, x + d[0], y + d[1], kWhite, inner);
    } else if (s >= 5) {
      BlendDisc(t, x, y, s / 2, kWhite, outer);
      BlendDisc(t, x, y, s / 2 - 1, kWhite, inner);
    }
  }
}

}  // namespace kx
