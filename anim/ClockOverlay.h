#pragma once
// TClock: the small analogue clock drawn in one corner of every scene frame.
//
// The face holds sixty tick marks (every fifth one a longer, thicker bar), an hour, a minute
// and a second hand and a centre cap, drawn in Color at Alpha over the part of the frame
// under the clock, each element first as a soft black shadow one pixel right and one pixel
// down. Per frame the engine does: p = Origin(frame size); CaptureBackground(frame, p);
// Render(); CopyTo(frame, p). Because the background is captured anew every frame, the
// translucent drawing always shows what lies under it.
//
// The time comes from the clock service's local time, so a fake clock fixes it.
#include <array>
#include <cstdint>
#include <vector>

#include "anim/BlendPlan.h"
#include "anim/SaveUnder.h"
#include "imaging/Bitmap32.h"
#include "platform/Clock.h"

namespace kx {

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;

  bool operator==(const TPoint&) const = default;
};

// The directions of the hands at a time of day, in degrees clockwise from twelve o'clock.
struct THandAngles {
  double Hour = 0;
  double Minute = 0;
  double Second = 0;

  bool operator==(const THandAngles&) const = default;
};

class TClock {
 public:
  // Corner 0, a 100 x 100 face; local time read from `clock`, which must outlive the clock.
  explicit TClock(Clock& clock);

  // Sizes the face and places the tick marks.
  void SetSize(int32_t width, int32_t height);
  // The top-left corner of the clock in a frame of width x height: 10 pixels in from the
  // corner named by Corner (0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right; any
  // other value counts as 0).
  TPoint Origin(int32_t frameWidth, int32_t frameHeight) const;
  // Copies the frame's pixels under the clock at (x, y) into Face; parts outside the frame
  // become transparent black.
  void CaptureBackground(const Bitmap32& frame, int32_t x, int32_t y);
  // Draws the tick marks, then the hands and the cap, onto Face, and returns it. The
  // drawing is recorded and played again over the next backgrounds until what it shows
  // changes (the time, the size, Color, Alpha or the tick marks).
  const Bitmap32& Render();
  // Copies Face onto the frame at (x, y), replacing the pixels (clipped to the frame).
  void CopyTo(Bitmap32& frame, int32_t x, int32_t y) const;
  // The frame as CaptureBackground, Render and CopyTo at (x, y) leave it, drawn straight
  // into the frame (Face is not used): only the pixels the marks and hands cover are
  // touched. When `under` is given, those pixels are kept there first.
  void DrawOver(Bitmap32& frame, int32_t x, int32_t y, TSaveUnder* under = nullptr);

  // The hour in its 12-hour form (15:00 and 3:00 alike), the minute and the second.
  static THandAngles HandAngles(const TimeOfDay& time);
  // The lengths of the minute and second hands (round(h div 2 x 0.8)) and of the hour hand
  // (round(h div 2 x 0.5)), h the face's height.
  int32_t LongHand() const;
  int32_t ShortHand() const;
  // The end of a hand of length `length` at `degrees` from the centre (cx, cy).
  static TPoint HandEnd(int32_t cx, int32_t cy, double degrees, int32_t length);

  Bitmap32 Face;
  // Index i - 1 holds tick mark i, i = 1 .. 60 (mark 60 at twelve o'clock).
  std::array<TPoint, 60> TickOuter{};
  std::array<TPoint, 60> TickInner{};
  int32_t Alpha = 180;       // 0 .. 255
  int32_t Color = 0xFFFFFF;  // 0x00RRGGBB
  uint8_t Corner = 0;
  int32_t ClockHeight = 0;
  int32_t ClockWidth = 0;

 private:
  // What the recorded drawing shows.
  struct FaceDrawing {
    int32_t Width = 0;
    int32_t Height = 0;
    uint32_t Ink = 0;
    int32_t Alpha = 0;
    THandAngles Angles;
    std::array<TPoint, 60> TickOuter{};
    std::array<TPoint, 60> TickInner{};

    bool operator==(const FaceDrawing&) const = default;
  };
  // Records the drawing of the face at the current time unless the recording shows it.
  void UpdatePlan();
  // Records the drawing of the face at `angles`.
  void Plan(const THandAngles& angles);

  Clock& clock_;
  TBlendPlan plan_;
  std::vector<TBlendPlan::RowSpan> planRows_;  // the pixels plan_ writes to, row by row
  FaceDrawing plannedDrawing_;
  bool planned_ = false;
};

}  // namespace kx
