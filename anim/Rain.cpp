#include "anim/Rain.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "anim/Canvas.h"
#include "anim/CanvasRaster.h"
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
  Bitmap32& t = *Target;
  const int w = t.Width(), h = t.Height();
  const double drift = std::cos(Angle * std::numbers::pi / 180.0);
  // What depends only on the depth, 2 to 4: the grey, the alphas of tail and head and their
  // blends. A streak whose alpha is 0 or below is not drawn, as BlendLine would not draw it.
  struct DepthLook {
    uint32_t rgb;
    int tailAlpha, headAlpha;
    raster::Blender tail, head;
  };
  auto look = [&](int32_t depth) {
    const int32_t far = 5 - depth;
    const uint32_t grey = static_cast<uint32_t>(55 / far + 200);  // 218, 227, 255
    const uint32_t rgb = (grey << 16) | (grey << 8) | grey;
    const int tail = RoundEven((150.0 - 20 * far) * Opacity * 10 / 100.0);
    const int head = RoundEven((255.0 - 20 * far) * Opacity * 10 / 100.0);
    return DepthLook{rgb, tail, head, raster::Blender(rgb, tail), raster::Blender(rgb, head)};
  };
  const DepthLook looks[3] = {look(2), look(3), look(4)};
  for (const TRainDrop& d : Drops) {
    if (std::fabs(d.X) > weather::kFarAway || std::fabs(d.Y) > weather::kFarAway) continue;
    const int32_t depth = std::clamp<int32_t>(d.Depth, 2, 4);
    const DepthLook& l = looks[depth - 2];
    // The streak runs from (xa, ya) down to (xb, yb); its last quarter is the head.
    const int32_t ya = RoundEven(d.Y);
    const int32_t yb = RoundEven(static_cast<double>(depth) * d.DropLength * LengthFactor / 10.0 + ya);
    const int32_t xa = RoundEven(d.X);
    const int32_t xb = RoundEven(drift * (yb - ya) + xa);
    const PixelRect box{std::min(xa, xb), std::min(ya, yb), std::max(xa, xb) + 1, std::max(ya, yb) + 1};
    if (Under != nullptr) Under->Keep(box);
    const int32_t xm = RoundEven(xa + (6.0 * xb - 6.0 * xa) / 8.0);
    const int32_t ym = RoundEven(ya + (6.0 * yb - 6.0 * ya) / 8.0);
    // The tail stops short of the point where the head begins, so that point is blended once.
    if (box.Left >= 0 && box.Top >= 0 && box.Right <= w && box.Bottom <= h) {
      // Most streaks lie wholly inside the frame: walked by address, without a check per pixel.
      const ptrdiff_t stride = w;
      if (l.tailAlpha > 0) raster::BlendLineInside(t.Row(ya) + xa, stride, xa, ya, xm, ym, /*includeEnd=*/false, l.tail);
      if (l.headAlpha > 0) raster::BlendLineInside(t.Row(ym) + xm, stride, xm, ym, xb, yb, /*includeEnd=*/true, l.head);
    } else {
      BlendLine(t, xa, ya, xm, ym, l.rgb, l.tailAlpha, /*includeEnd=*/false);
      BlendLine(t, xm, ym, xb, yb, l.rgb, l.headAlpha, /*includeEnd=*/true);
    }
  }
}

}  // namespace kx
