// The step of an object, driven by hand on a fake clock: display timing, fades, redisplay,
// the motions, the off-screen test, the facing, and the start position.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "ObjectFixtures.h"
#include "anim/TextObject.h"
#include "base/Random.h"

namespace kx {
namespace {

using testing::Configure;
using testing::Keys;
using testing::RunFor;
using testing::SizedObject;

class ObjectMotionTest : public ::testing::Test {
 protected:
  // A 40 x 40 object in a 1000 x 800 picture shown in a frame of the same size.
  SizedObject& Make(const Keys& keys, int w = 40, int h = 40) {
    object_ = std::make_unique<SizedObject>(testing::HandDriven(clock_), w, h);
    Configure(*object_, keys);
    start_ = clock_.now;
    object_->Start();
    return *object_;
  }
  // Steps the object at `ms` after its start (times must rise from call to call).
  void StepAt(uint32_t ms) {
    clock_.now = start_ + ms;
    object_->Step();
  }

  test::FakeClock clock_;
  uint32_t start_ = clock_.now;
  std::unique_ptr<SizedObject> object_;
};

TEST_F(ObjectMotionTest, DisplaySecDelaysTheFirstAppearance) {
  Make({{"DisplaySec", "0"}});
  EXPECT_TRUE(object_->Visible);
  Make({{"DisplaySec", "4"}});
  EXPECT_FALSE(object_->Visible);
  StepAt(3999);
  EXPECT_FALSE(object_->Visible);
  StepAt(4000);
  EXPECT_TRUE(object_->Visible);
}

TEST_F(ObjectMotionTest, TimedDisplayHidesAndComesBackAfterTheRedisplayDelay) {
  const Keys timed = {{"DisplayDurationType", "1"}, {"DisplayDurationSec", "8"}, {"RedisplayDelay", "30"}};
  const struct {
    uint32_t ms;
    bool visible;
  } cycle[] = {{5, true},       {7999, true},   {8000, false}, {20000, false}, {37999, false},
               {38000, true},   {45999, true},  {46000, false}, {75999, false}, {76000, true}};
  Make(timed);
  for (const auto& c : cycle) {
    StepAt(c.ms);
    EXPECT_EQ(object_->Visible, c.visible) << c.ms << " ms";
  }
  // Without "Redisplay" it is hidden for good after 8 s.
  Keys once = timed;
  once.push_back({"Redisplay", "0"});
  Make(once);
  for (const uint32_t ms : {7999u, 8000u, 38000u, 100000u, 4000000u}) {
    StepAt(ms);
    EXPECT_EQ(object_->Visible, ms < 8000) << ms << " ms";
  }
  EXPECT_EQ(object_->CycleStart, -1);
}

TEST_F(ObjectMotionTest, AppearFadeRisesToTheAlphaOfTheOpacity) {
  const struct {
    const char* opacity;
    uint32_t ms;
    int32_t alpha;
  } cases[] = {
      {"10", 0, 0}, {"10", 1000, 128}, {"10", 2000, 255}, {"10", 9000, 255},
      {"5", 0, 0},  {"5", 1000, 64},   {"5", 2000, 128},  {"5", 9000, 128},
  };
  for (const auto& c : cases) {
    Make({{"AppearEffect", "1"}, {"AppearEffectDur", "2"}, {"Opacity", c.opacity}});
    StepAt(c.ms);
    EXPECT_EQ(object_->Alpha, c.alpha) << "Opacity " << c.opacity << " at " << c.ms;
  }
  // A text object is always faded up to 255: its opacity is forced to 10.
  TTextObject text(testing::HandDriven(clock_));
  Configure(text, {{"AppearEffect", "1"}, {"AppearEffectDur", "2"}, {"Opacity", "5"}});
  text.Start();
  RunFor(text, clock_, 2500);
  EXPECT_EQ(text.Alpha, 255);
}

TEST_F(ObjectMotionTest, AfterADisappearFadeTheObjectComesBackAtItsOpacity) {
  Make({{"DisplayDurationType", "1"}, {"DisplayDurationSec", "8"}, {"RedisplayDelay", "3"}, {"DisappearEffect", "1"},
        {"DisappearEffectDur", "2"}, {"Opacity", "8"}});
  const struct {
    uint32_t ms;
    bool visible;
    int32_t alpha;
  } steps[] = {
      {1000, true, 204},   // round(80 x 255 / 100)
      {7000, true, 102},   // half way down
      {7995, true, 0},     // 5 ms before the end
      {8000, false, 204},  // hidden: it will come back at its opacity, not at a wrapped fade value
      {11000, true, 204},
  };
  for (const auto& s : steps) {
    StepAt(s.ms);
    EXPECT_EQ(object_->Visible, s.visible) << s.ms;
    EXPECT_EQ(object_->Alpha, s.alpha) << s.ms;
  }
}

TEST_F(ObjectMotionTest, FadeFormula) {
  EXPECT_EQ(FadeAlpha(2000, 2, 10), 255);
  EXPECT_EQ(FadeAlpha(2000, 2, 5), 128);
  EXPECT_EQ(FadeAlpha(-5, 2, 10), 0);     // past the end of a disappear fade
  EXPECT_EQ(FadeAlpha(500, 0, 10), 255);  // no fade time: at once
  EXPECT_EQ(FadeAlpha(4000, 2, 10), 255);
}

TEST_F(ObjectMotionTest, ARestrictedObjectNeverLeavesThePicture) {
  // Half size 20 > the largest step of 0.999 design pixels: the centre turns before the edge.
  Make({{"Motion", "2"}, {"DisplayDurationType", "2"}, {"MotionSpeed", "10"}});
  for (int i = 0; i < 40000; ++i) {
    clock_.now += 5;
    object_->Step();
    ASSERT_FALSE(object_->OffScreenHit) << "step " << i;
    ASSERT_TRUE(object_->Visible);
    ASSERT_GE(object_->X, object_->MinX - 1.0);
    ASSERT_LE(object_->X, object_->MaxX + 1.0);
    ASSERT_GE(object_->Y, object_->MinY - 1.0);
    ASSERT_LE(object_->Y, object_->MaxY + 1.0);
  }
}

TEST_F(ObjectMotionTest, AnUnrestrictedObjectLeavesOnlyThroughAllowedEdges) {
  const struct {
    const char* name;
    const char* motion;
    const char* dir;
    const char* edges;
    bool leaves;
  } cases[] = {
      {"left, allowed", "3", "1", "L", true},     {"sides closed", "3", "1", "TB", false},
      {"right, allowed", "3", "2", "R", true},    {"up, allowed", "4", "3", "T", true},
      {"top and bottom closed", "4", "4", "LR", false}, {"wrapping left", "5", "1", "L", true},
  };
  for (const auto& c : cases) {
    Make({{"Motion", c.motion}, {"InitialDir", c.dir}, {"RestrictArea", "0"}, {"OffScreenOpt", c.edges},
          {"DisplayDurationType", "2"}, {"MotionSpeed", "100"}, {"Redisplay", "0"}, {"PosLeft", "500"},
          {"PosTop", "400"}});
    bool hidden = false;
    for (int i = 0; i < 20000 && !hidden; ++i) {
      clock_.now += 5;
      object_->Step();
      hidden = !object_->Visible;
    }
    EXPECT_EQ(hidden, c.leaves) << c.name;
  }
}

TEST_F(ObjectMotionTest, WrappingMotionMovesOneWayAndJumpsFromMinToMax) {
  Make({{"Motion", "5"}, {"InitialDir", "1"}, {"MotionSpeed", "100"}, {"PosLeft", "200"}});
  double previous = object_->X;
  int jumps = 0;
  for (int i = 0; i < 6000; ++i) {
    clock_.now += 5;
    object_->Step();
    const double x = object_->X;
    if (x > previous) {
      // The only way right is the jump from the left bound to the right one.
      EXPECT_LE(previous, object_->MinX + 10.0) << "step " << i;
      EXPECT_GE(x, object_->MaxX - 10.0) << "step " << i;
      ++jumps;
    }
    previous = x;
  }
  EXPECT_GE(jumps, 1);
}

TEST_F(ObjectMotionTest, MotionSpeedSetsTheStepOfBounceAndEllipse) {
  Make({{"Motion", "7"}, {"Speed", "55"}, {"MotionSpeed", "10"}});
  EXPECT_EQ(object_->StepSpeed, 100);
  // The bouncing state moves 0 .. 0.999 design pixels per step on each axis.
  double bx = object_->BounceX;
  for (int i = 0; i < 500; ++i) {
    clock_.now += 5;
    object_->Step();
    EXPECT_LE(std::abs(object_->BounceX - bx), 0.999 + 1e-9);
    bx = object_->BounceX;
  }
  // The ellipse: 0.1 degree per step, clockwise from its bottom.
  Make({{"Motion", "7"}, {"MotionSpeed", "10"}});
  const double cx = object_->MinX + (object_->MaxX - object_->MinX) / 2;
  const double cy = object_->MinY + (object_->MaxY - object_->MinY) / 2;
  const double rx = (object_->MaxX - object_->MinX) / 2 - 20, ry = (object_->MaxY - object_->MinY) / 2 - 20;
  for (int n = 1; n <= 900; ++n) {
    clock_.now += 5;
    object_->Step();
    const double degrees = std::atan2((object_->X - cx) / rx, (object_->Y - cy) / ry) * 180 / std::numbers::pi;
    ASSERT_NEAR(degrees, -0.1 * n, 1e-9) << "step " << n;
  }
}

TEST_F(ObjectMotionTest, FacingFollowsTheDirectionOnlyWithDirFlip) {
  const struct {
    const char* name;
    const char* facing;
    const char* flip;
    const char* dir;  // InitialDir: 1 left, 2 right
    bool mirrored;
  } cases[] = {
      {"looks right, moves left", "1", "1", "1", true},  {"looks right, moves right", "1", "1", "2", false},
      {"looks left, moves right", "0", "1", "2", true},  {"looks left, moves left", "0", "1", "1", false},
      {"no DirFlip, looks right", "1", "0", "1", false}, {"no DirFlip, looks left", "0", "0", "2", false},
  };
  for (const auto& c : cases) {
    // 100 steps of 0 to 5 pixels from the middle never reach a bound.
    Make({{"Motion", "3"}, {"ObjFacing", c.facing}, {"DirFlip", c.flip}, {"InitialDir", c.dir}, {"MotionSpeed", "50"},
          {"PosLeft", "500"}});
    bool ever = false;
    for (int i = 0; i < 100; ++i) {
      clock_.now += 5;
      object_->Step();
      ever |= object_->Flipped;
    }
    EXPECT_EQ(ever, c.mirrored) << c.name;
    // Steps too small to move a pixel keep the facing: once mirrored, it stays so.
    EXPECT_EQ(object_->Flipped, c.mirrored) << c.name;
  }
  // DirFlip 0 never mirrors, whatever way the object wanders.
  Make({{"Motion", "1"}, {"DirFlip", "0"}, {"MotionSpeed", "200"}});
  for (int i = 0; i < 5000; ++i) {
    clock_.now += 5;
    object_->Step();
    ASSERT_FALSE(object_->Flipped);
  }
}

TEST_F(ObjectMotionTest, StillMotionsAndUnknownCodesKeepThePosition) {
  for (const char* motion : {"0", "8", "10", "200"}) {
    Make({{"Motion", motion}, {"PosLeft", "300"}, {"PosTop", "200"}, {"MotionSpeed", "100"}});
    RunFor(*object_, clock_, 1000);
    EXPECT_EQ(object_->X, 300) << motion;
    EXPECT_EQ(object_->Y, 200) << motion;
    EXPECT_GT(object_->StepCount, 0);  // the states still advance
  }
  // Jitter stays within 4 x StepSpeed / 1000 per step.
  Make({{"Motion", "9"}, {"MotionSpeed", "50"}});
  for (int i = 0; i < 300; ++i) {
    const double x = object_->X, y = object_->Y;
    clock_.now += 5;
    object_->Step();
    ASSERT_LE(std::abs(object_->X - x), 2.0);
    ASSERT_LE(std::abs(object_->Y - y), 2.0);
  }
}

TEST_F(ObjectMotionTest, StartPositionTypes) {
  const struct {
    uint8_t type;
    int32_t r;
    int32_t expected;
  } cases[] = {{0, 0, 77}, {1, 0, 0}, {2, 0, 1000}, {3, 0, 500}, {4, 421, 421},
               {5, 300, -300}, {5, 700, 1300}, {5, 499, -499}, {5, 500, 1500}, {9, 0, 77}};
  for (const auto& c : cases) {
    EXPECT_EQ(StartCoordinate(c.type, 77, 0, 1000, c.r), c.expected) << int(c.type) << " r=" << c.r;
  }
  // With the object's own bounds: restricted, the centre lies half the image inside.
  Make({{"PosLeftType", "2"}, {"PosTopType", "1"}});
  EXPECT_EQ(object_->MaxX, 1000 - 20);
  EXPECT_EQ(object_->X, 980);
  EXPECT_EQ(object_->Y, 20);
  Make({{"PosLeftType", "5"}, {"PosTopType", "4"}});
  EXPECT_TRUE(object_->X < object_->MinX || object_->X > object_->MaxX) << object_->X;
  EXPECT_GE(object_->Y, object_->MinY);
  EXPECT_LT(object_->Y, object_->MaxY);
}

TEST_F(ObjectMotionTest, ScreenGeometryScalesDesignToFrame) {
  object_ = std::make_unique<SizedObject>(testing::HandDriven(clock_), 40, 20);
  Configure(*object_, {{"PosLeft", "100"}, {"PosTop", "50"}, {"WidthSize", "50"}, {"HeightSize", "200"}}, 1000, 800, 2000,
            400);
  object_->Start();
  EXPECT_DOUBLE_EQ(object_->ScaleX, 2.0);
  EXPECT_DOUBLE_EQ(object_->ScaleY, 0.5);
  EXPECT_EQ(object_->ScreenLeft, 160);  // 2 x (100 - 20)
  EXPECT_EQ(object_->ScreenTop, 20);    // 0.5 x (50 - 10)
  EXPECT_EQ(object_->DrawRect(), (TRect{160, 20, 160 + 40, 20 + 20}));
}

TEST_F(ObjectMotionTest, ObjectsDrawFromTheirOwnGenerator) {
  RandomSeed = 12345;
  Make({{"Motion", "1"}, {"PosLeftType", "4"}});
  RunFor(*object_, clock_, 500);
  EXPECT_EQ(RandomSeed, 12345u);
  // Two objects prepared in the same millisecond still move differently.
  SizedObject a(testing::HandDriven(clock_), 10, 10), b(testing::HandDriven(clock_), 10, 10);
  b.Index = 1;
  Configure(a, {{"Motion", "2"}});
  Configure(b, {{"Motion", "2"}});
  a.Start();
  b.Start();
  for (int i = 0; i < 50; ++i) {
    a.Step();
    b.Step();
  }
  EXPECT_NE(a.X, b.X);
}

}  // namespace
}  // namespace kx
