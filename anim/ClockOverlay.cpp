#include "anim/ClockOverlay.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "anim/BlendPlan.h"
#include "anim/Canvas.h"
#include "base/MulDiv.h"

namespace kx {

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kCapOutline = 0x707070;
constexpr int kTickShadow = 100;
constexpr int kMinuteShadow = 80;
constexpr int kHourShadow = 100;
constexpr int kSecondShadow = 80;

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// A line about three pixels thick at any angle, from two anti-aliased quadrilaterals: one
// widened across x, one across y. `d` moves it (the shadow lies one pixel right and down).
void Bar(TBlendPlan& face, TPoint a, TPoint b, int d, uint32_t rgb, int alpha) {
  const double x0 = a.X + d, y0 = a.Y + d, x1 = b.X + d, y1 = b.Y + d;
  const PointD across[4] = {{x0 - 1, y0}, {x0 + 1, y0}, {x1 + 1, y1}, {x1 - 1, y1}};
  const PointD down[4] = {{x0, y0 + 1}, {x0, y0 - 1}, {x1, y1 - 1}, {x1, y1 + 1}};
  face.PolygonAA(across, 4, rgb, alpha);
  face.PolygonAA(down, 4, rgb, alpha);
}

void ShadowedBar(TBlendPlan& face, TPoint a, TPoint b, int shadow, uint32_t ink, int alpha) {
  Bar(face, a, b, 1, kBlack, shadow);
  Bar(face, a, b, 0, ink, alpha);
}

void ShadowedLine(TBlendPlan& face, TPoint a, TPoint b, int shadow, uint32_t ink, int alpha) {
  face.Line(a.X + 1, a.Y + 1, b.X + 1, b.Y + 1, kBlack, shadow);
  face.Line(a.X, a.Y, b.X, b.Y, ink, alpha);
}

// A circle 8 pixels across in the box (cx - 4, cy - 4) .. (cx + 4, cy + 4), right and bottom
// edges excluded, drawn opaque: a one-pixel ring in `outline` around a disc in `fill`.
void CentreCap(TBlendPlan& face, int cx, int cy, uint32_t outline, uint32_t fill) {
  for (int py = cy - 4; py < cy + 4; ++py) {
    for (int px = cx - 4; px < cx + 4; ++px) {
      const double dx = px + 0.5 - cx, dy = py + 0.5 - cy;
      const double d2 = dx * dx + dy * dy;
      if (d2 > 16) continue;
      face.OpaquePixel(px, py, d2 > 9 ? outline : fill);
    }
  }
}

}  // namespace

TClock::TClock(Clock& clock) : clock_(clock) { SetSize(100, 100); }

void TClock::SetSize(int32_t width, int32_t height) {
  ClockWidth = std::max(0, width);
  ClockHeight = std::max(0, height);
  Face.SetSize(ClockWidth, ClockHeight);
  const int32_t cx = ClockWidth / 2;
  const int32_t cy = ClockHeight / 2;
  const int32_t r = cy - 10;
  const int32_t r19 = RoundHalfEven(r * 19 / 20.0);
  const int32_t r85 = RoundHalfEven(r * 8.5 / 10);
  for (int i = 1; i <= 60; ++i) {
    const double a = Radians(i * 6);
    const int32_t q = i % 5 == 0 ? r85 : r19;
    TickOuter[i - 1] = {RoundHalfEven(std::sin(a) * r) + cx, cy - RoundHalfEven(std::cos(a) * r)};
    TickInner[i - 1] = {RoundHalfEven(std::sin(a) * q) + cx, cy - RoundHalfEven(std::cos(a) * q)};
  }
}

TPoint TClock::Origin(int32_t frameWidth, int32_t frameHeight) const {
  const int32_t right = frameWidth - ClockWidth - 10;
  const int32_t bottom = frameHeight - ClockHeight - 10;
  switch (Corner) {
    case 1: return {right, 10};
    case 2: return {10, bottom};
    case 3: return {right, bottom};
    default: return {10, 10};
  }
}

void TClock::CaptureBackground(const Bitmap32& frame, int32_t x, int32_t y) {
  if (Face.Empty()) return;
  const int32_t x0 = std::max(0, x), x1 = std::min(frame.Width(), x + ClockWidth);
  if (x0 != x || x1 != x + ClockWidth || y < 0 || y + ClockHeight > frame.Height()) Face.Fill(0);
  if (x0 >= x1) return;
  for (int32_t fy = 0; fy < ClockHeight; ++fy) {
    const int32_t sy = y + fy;
    if (sy < 0 || sy >= frame.Height()) continue;
    std::memcpy(Face.Row(fy) + (x0 - x), frame.Row(sy) + x0, static_cast<size_t>(x1 - x0) * 4);
  }
}

void TClock::CopyTo(Bitmap32& frame, int32_t x, int32_t y) const {
  const int32_t x0 = std::max(0, x), x1 = std::min(frame.Width(), x + ClockWidth);
  if (x0 >= x1) return;
  for (int32_t fy = 0; fy < ClockHeight; ++fy) {
    const int32_t dy = y + fy;
    if (dy < 0 || dy >= frame.Height()) continue;
    std::memcpy(frame.Row(dy) + x0, Face.Row(fy) + (x0 - x), static_cast<size_t>(x1 - x0) * 4);
  }
}

THandAngles TClock::HandAngles(const TimeOfDay& time) {
  int hour = time.Hour % 12;
  if (hour == 0) hour = 12;
  return {hour * 30 + time.Minute / 2.0, time.Minute * 6.0, time.Second * 6.0};
}

int32_t TClock::LongHand() const { return RoundHalfEven((Face.Height() / 2) * 8 / 10.0); }
int32_t TClock::ShortHand() const { return RoundHalfEven((Face.Height() / 2) * 5 / 10.0); }

TPoint TClock::HandEnd(int32_t cx, int32_t cy, double degrees, int32_t length) {
  const double a = Radians(degrees);
  return {cx + RoundHalfEven(std::sin(a) * length), cy - RoundHalfEven(std::cos(a) * length)};
}

const Bitmap32& TClock::Render() {
  if (Face.Empty()) return Face;
  UpdatePlan();
  plan_.PlayOver(Face);
  return Face;
}

void TClock::DrawOver(Bitmap32& frame, int32_t x, int32_t y, TSaveUnder* under) {
  if (Face.Empty()) return;
  UpdatePlan();
  if (under != nullptr) {
    for (const TBlendPlan::RowSpan& r : planRows_) under->Keep({x + r.Left, y + r.Y, x + r.Right, y + r.Y + 1});
  }
  plan_.PlayOver(frame, x, y);
}

void TClock::UpdatePlan() {
  const THandAngles angles = HandAngles(clock_.LocalTimeOfDay());
  // The drawing only changes with the time shown, the size, the ink and the tick marks;
  // the coverage of its bars is worked out again only then.
  const FaceDrawing drawing{Face.Width(), Face.Height(), static_cast<uint32_t>(Color) & 0xFFFFFF, Alpha, angles, TickOuter, TickInner};
  if (planned_ && drawing == plannedDrawing_) return;
  Plan(angles);
  // Kept pixels are copied in small groups: gaps of a few pixels cost less to copy along
  // than to start a new span for.
  planRows_ = plan_.RowSpans(8);
  plannedDrawing_ = drawing;
  planned_ = true;
}

void TClock::Plan(const THandAngles& angles) {
  plan_.Begin(Face.Width(), Face.Height());
  const uint32_t ink = static_cast<uint32_t>(Color) & 0xFFFFFF;
  for (int i = 0; i < 60; ++i) {
    if ((i + 1) % 5 == 0) {
      ShadowedBar(plan_, TickOuter[i], TickInner[i], kTickShadow, ink, Alpha);
    } else {
      ShadowedLine(plan_, TickOuter[i], TickInner[i], kTickShadow, ink, Alpha);
    }
  }
  const int32_t cx = Face.Width() / 2;
  const int32_t cy = Face.Height() / 2;
  const int32_t longHand = LongHand();
  const int32_t shortHand = ShortHand();
  const TPoint centre{cx, cy};
  ShadowedBar(plan_, centre, HandEnd(cx, cy, angles.Minute, longHand), kMinuteShadow, ink, Alpha);
  ShadowedBar(plan_, centre, HandEnd(cx, cy, angles.Hour, shortHand), kHourShadow, ink, Alpha);
  ShadowedLine(plan_, centre, HandEnd(cx, cy, angles.Second, longHand), kSecondShadow, ink, Alpha);
  CentreCap(plan_, cx, cy, kCapOutline, ink);
}

}  // namespace kx
