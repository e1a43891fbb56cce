// The clock overlay: its size and place, the tick marks, the hands at a fixed time, and the
// drawing over the captured background.
#include <gtest/gtest.h>

#include "AnimFixtures.h"
#include "anim/AnimEngine.h"
#include "anim/Canvas.h"
#include "anim/ClockOverlay.h"
#include "anim/SaveUnder.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using testing::Grey;
using testing::MakeScene;

constexpr uint32_t kBlack = 0xFF000000u;

// The face rendered at `time` over a uniform background.
Bitmap32 FaceAt(test::FakeClock& clock, TimeOfDay time, int size = 128, uint32_t background = kBlack) {
  TClock face(clock);
  face.SetSize(size, size);
  face.Alpha = 180;
  face.Color = 0xFFFFFF;
  clock.timeOfDay = time;
  const Bitmap32 frame(size, size, background);
  face.CaptureBackground(frame, 0, 0);
  return face.Render();
}

bool Lit(const Bitmap32& face, int x, int y) { return GreenOf(face.Pixel(x, y)) >= 90; }

TEST(ClockOverlayTest, A1024WideSceneGetsA128ClockInTheTopRightCornerAt886) {
  test::FakeClock clock;
  TProject project;
  MakeScene(project, 1024, 768);
  TAnimEngine engine(clock);
  engine.ShowClock = true;
  engine.Clock.Corner = 1;
  engine.SetProject(project);
  engine.Start();
  EXPECT_EQ(engine.Clock.ClockWidth, 128);
  EXPECT_EQ(engine.Clock.ClockHeight, 128);
  EXPECT_EQ(engine.Clock.Alpha, 180);
  EXPECT_EQ(engine.Clock.Color, 0xFFFFFF);
  EXPECT_EQ(engine.Clock.Origin(1024, 768), (TPoint{886, 10}));
  // r = 64 - 10 = 54; the 12 o'clock mark (mark 60) runs from r down to round(54 x .85) = 46,
  // the one-minute mark to round(54 x .95) = 51.
  const TClock& c = engine.Clock;
  EXPECT_EQ(c.TickOuter[59], (TPoint{64, 10}));
  EXPECT_EQ(c.TickInner[59], (TPoint{64, 18}));
  EXPECT_EQ(c.TickOuter[14], (TPoint{118, 64}));  // mark 15: three o'clock
  EXPECT_EQ(c.TickInner[14], (TPoint{110, 64}));
  EXPECT_EQ(c.TickOuter[0], (TPoint{64 + 6, 64 - 54}));  // sin 6 x 54 = 5.64, cos 6 x 54 = 53.7
  EXPECT_EQ(c.TickInner[0], (TPoint{64 + 5, 64 - 51}));
  // Hands: long round(64 x .8) = 51, short round(64 x .5) = 32.
  EXPECT_EQ(c.LongHand(), 51);
  EXPECT_EQ(c.ShortHand(), 32);
  EXPECT_EQ(TClock::HandEnd(64, 64, 0, 51), (TPoint{64, 13}));
  EXPECT_EQ(TClock::HandEnd(64, 64, 90, 32), (TPoint{96, 64}));
}

TEST(ClockOverlayTest, OriginByCorner) {
  test::FakeClock clock;
  TClock face(clock);
  face.SetSize(50, 40);
  const struct {
    uint8_t corner;
    TPoint origin;
  } cases[] = {{0, {10, 10}}, {1, {340, 10}}, {2, {10, 250}}, {3, {340, 250}}, {4, {10, 10}}, {255, {10, 10}}};
  for (const auto& c : cases) {
    face.Corner = c.corner;
    EXPECT_EQ(face.Origin(400, 300), c.origin) << int(c.corner);
  }
}

TEST(ClockOverlayTest, HandAngles) {
  const struct {
    TimeOfDay time;
    double hour, minute, second;
  } cases[] = {
      {{3, 30, 0}, 105, 180, 0},  // between the 3 and the 4
      {{15, 30, 0}, 105, 180, 0},
      {{12, 0, 0}, 360, 0, 0},  // all straight up
      {{0, 0, 0}, 360, 0, 0},   // midnight is twelve too
      {{9, 45, 15}, 292.5, 270, 90},
  };
  for (const auto& c : cases) {
    const THandAngles a = TClock::HandAngles(c.time);
    EXPECT_DOUBLE_EQ(a.Hour, c.hour) << c.time.Hour << ":" << c.time.Minute;
    EXPECT_DOUBLE_EQ(a.Minute, c.minute);
    EXPECT_DOUBLE_EQ(a.Second, c.second);
  }
}

TEST(ClockOverlayTest, FifteenHundredAndThreeOClockDrawTheSame) {
  test::FakeClock clock;
  EXPECT_EQ(FaceAt(clock, {15, 0, 0}), FaceAt(clock, {3, 0, 0}));
  EXPECT_EQ(FaceAt(clock, {0, 20, 40}), FaceAt(clock, {12, 20, 40}));
  EXPECT_NE(FaceAt(clock, {3, 0, 0}), FaceAt(clock, {3, 0, 1}));  // the second hand jumps
}

TEST(ClockOverlayTest, TheHandsPointWhereTheTimeSays) {
  test::FakeClock clock;
  // 12:00:00: every hand straight up; nothing to the right of the centre but the ticks.
  const Bitmap32 noon = FaceAt(clock, {12, 0, 0});
  for (int y = 20; y < 60; ++y) EXPECT_TRUE(Lit(noon, 64, y)) << y;
  for (int x = 70; x < 105; ++x) EXPECT_FALSE(Lit(noon, x, 64)) << x;
  // 3:30:00: the hour hand at 105 degrees, a little below three o'clock, the minute hand down.
  const Bitmap32 halfPastThree = FaceAt(clock, {3, 30, 0});
  const TPoint hourEnd = TClock::HandEnd(64, 64, 105, 32);
  EXPECT_EQ(hourEnd, (TPoint{95, 72}));
  for (int l : {12, 20, 28}) {
    const TPoint p = TClock::HandEnd(64, 64, 105, l);
    EXPECT_TRUE(Lit(halfPastThree, p.X, p.Y)) << l;
  }
  for (int y = 75; y < 110; ++y) EXPECT_TRUE(Lit(halfPastThree, 64, y)) << y;
  // At 3:00 that part of the face is dark: the hour hand lies at 90 degrees.
  const Bitmap32 three = FaceAt(clock, {3, 0, 0});
  EXPECT_FALSE(Lit(three, TClock::HandEnd(64, 64, 105, 28).X, TClock::HandEnd(64, 64, 105, 28).Y));
  EXPECT_TRUE(Lit(three, 90, 64));
}

TEST(ClockOverlayTest, TheDrawingIsTranslucentOverTheCapturedBackground) {
  test::FakeClock clock;
  // 3:30:45 keeps every hand away from twelve o'clock. The middle of the 12 o'clock bar is
  // the ink at alpha 180; its shadow lies one pixel right and down.
  const Bitmap32 dark = FaceAt(clock, {3, 30, 45});
  EXPECT_EQ(dark.Pixel(64, 14), BlendOverReference(kBlack, 0xFFFFFF, 180));
  // The bar is three pixels wide: its side columns are half covered, so half the alpha.
  EXPECT_EQ(dark.Pixel(63, 14), BlendOverReference(kBlack, 0xFFFFFF, 90));
  const uint32_t blue = Rgb(20, 40, 200);
  const Bitmap32 onBlue = FaceAt(clock, {3, 30, 45}, 128, blue);
  EXPECT_EQ(onBlue.Pixel(63, 14), BlendOverReference(blue, 0xFFFFFF, 90));  // no shadow left of the bar
  EXPECT_EQ(onBlue.Pixel(64, 14), BlendOverReference(BlendOverReference(blue, 0, 50), 0xFFFFFF, 180));
  // Away from every mark the background shows unchanged.
  EXPECT_EQ(onBlue.Pixel(40, 40), blue);
  EXPECT_EQ(onBlue.Pixel(2, 2), blue);
  // The one-pixel mark 1 (6 degrees) is an unsmoothed line in ink over its shadow.
  EXPECT_EQ(dark.Pixel(70, 10), BlendOverReference(kBlack, 0xFFFFFF, 180));
}

// One clock drawn frame after frame, over a new background each time and with something
// changed before some frames, always gives what a new clock draws over the same background.
TEST(ClockOverlayTest, EveryFrameEqualsAFreshDrawingOverItsBackground) {
  struct Change {
    const char* name;
    void (*apply)(TClock&, test::FakeClock&);
  };
  const Change changes[] = {
      {"nothing", [](TClock&, test::FakeClock&) {}},
      {"the second", [](TClock&, test::FakeClock& c) { c.timeOfDay.Second = 46; }},
      {"nothing again", [](TClock&, test::FakeClock&) {}},
      {"the hour", [](TClock&, test::FakeClock& c) { c.timeOfDay.Hour = 11; }},
      {"the colour", [](TClock& f, test::FakeClock&) { f.Color = 0x3060F0; }},
      {"the colour's unused byte", [](TClock& f, test::FakeClock&) { f.Color = 0x7F3060F0; }},
      {"the alpha", [](TClock& f, test::FakeClock&) { f.Alpha = 90; }},
      {"the size", [](TClock& f, test::FakeClock&) { f.SetSize(96, 96); }},
      {"a tick mark", [](TClock& f, test::FakeClock&) { f.TickInner[14] = {60, 50}; }},
  };
  test::FakeClock clock;
  clock.timeOfDay = {3, 30, 45};
  TClock reused(clock);
  reused.SetSize(128, 128);
  uint32_t seed = 1;
  for (const Change& change : changes) {
    change.apply(reused, clock);
    Bitmap32 background(reused.ClockWidth + 20, reused.ClockHeight + 20);
    for (size_t i = 0; i < background.PixelCount(); ++i) background.Data()[i] = (seed = seed * 1664525u + 1013904223u);
    reused.CaptureBackground(background, 10, 10);
    const Bitmap32 drawn = reused.Render();

    TClock fresh(clock);
    fresh.SetSize(reused.ClockWidth, reused.ClockHeight);
    fresh.Color = reused.Color;
    fresh.Alpha = reused.Alpha;
    fresh.TickInner = reused.TickInner;
    fresh.CaptureBackground(background, 10, 10);
    EXPECT_EQ(testing::DifferingPixels(drawn, fresh.Render()), 0) << "after changing " << change.name;
  }
}

TEST(ClockOverlayTest, TheCentreCapIsOpaque) {
  test::FakeClock clock;
  const Bitmap32 face = FaceAt(clock, {7, 10, 20}, 128, Rgb(10, 10, 10));
  // The box (60, 60) .. (68, 68): a grey ring around a white disc.
  EXPECT_EQ(face.Pixel(63, 63), 0xFFFFFFFFu);
  EXPECT_EQ(face.Pixel(64, 64), 0xFFFFFFFFu);
  EXPECT_EQ(face.Pixel(60, 63), 0xFF707070u);
  EXPECT_EQ(face.Pixel(67, 64), 0xFF707070u);
  EXPECT_EQ(face.Pixel(63, 60), 0xFF707070u);
  EXPECT_NE(face.Pixel(68, 64), 0xFF707070u);
}

TEST(ClockOverlayTest, TheFaceIsCopiedOverTheFrameAndClippedToIt) {
  test::FakeClock clock;
  TClock face(clock);
  face.SetSize(40, 40);
  Bitmap32 frame(30, 25, Rgb(1, 2, 3));
  face.Corner = 3;
  const TPoint p = face.Origin(30, 25);  // (-20, -25): mostly outside
  face.CaptureBackground(frame, p.X, p.Y);
  EXPECT_EQ(face.Face.Pixel(0, 0), 0u);  // outside the frame
  EXPECT_EQ(face.Face.Pixel(39, 39), Rgb(1, 2, 3));
  face.Face.Fill(Rgb(9, 9, 9));
  face.CopyTo(frame, p.X, p.Y);
  EXPECT_EQ(frame.Pixel(19, 14), Rgb(9, 9, 9));
  EXPECT_EQ(frame.Pixel(20, 14), Rgb(1, 2, 3));
  EXPECT_EQ(frame.Pixel(19, 15), Rgb(1, 2, 3));
  face.Render();  // draws clipped to the face
}

// Drawing straight into the frame gives the frame that capturing, rendering and copying the
// face give, wherever the clock lies; the pixels kept before it drew bring the frame back.
TEST(ClockOverlayTest, DrawingStraightIntoTheFrameEqualsGoingThroughTheFace) {
  test::FakeClock clock;
  clock.timeOfDay = {9, 41, 17};
  Bitmap32 background(120, 90);
  uint32_t seed = 5;
  for (size_t i = 0; i < background.PixelCount(); ++i) background.Data()[i] = (seed = seed * 1664525u + 1013904223u);
  for (const TPoint at : {TPoint{10, 10}, TPoint{70, 40}, TPoint{-25, -3}, TPoint{100, 75}, TPoint{-60, 0}, TPoint{200, 10}}) {
    TClock viaFace(clock), straight(clock);
    viaFace.SetSize(60, 60);
    straight.SetSize(60, 60);
    Bitmap32 expected = background;
    viaFace.CaptureBackground(expected, at.X, at.Y);
    viaFace.Render();
    viaFace.CopyTo(expected, at.X, at.Y);

    Bitmap32 frame = background;
    TSaveUnder under;
    under.Begin(frame, 0, -1);
    straight.DrawOver(frame, at.X, at.Y, &under);
    EXPECT_EQ(testing::DifferingPixels(frame, expected), 0) << at.X << "," << at.Y;
    under.Restore();
    EXPECT_EQ(testing::DifferingPixels(frame, background), 0) << at.X << "," << at.Y;
  }
}

}  // namespace
}  // namespace kx
