#include "transitions/EffectTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "TestPictures.h"
#include "transitions/TransitionStep.h"

namespace kx {
namespace {

TEST(Effects, RowsCarryTheirNames) {
  EXPECT_STREQ(Effects[1].Name, "Fade");
  EXPECT_STREQ(Effects[136].Name, "Push and sqeeze down");
  EXPECT_STREQ(Effects[169].Name, "Random Bars Vertical");
  EXPECT_STREQ(Effects[60].Name, "Quarters Slide in to middle");
  EXPECT_STREQ(Effects[121].Name, "Pivot from top left");
  std::set<std::string> names;
  for (int i = 1; i <= kEffectCount; ++i) {
    ASSERT_NE(Effects[i].Name, nullptr) << i;
    EXPECT_GT(std::string(Effects[i].Name).size(), 3u) << i;
    EXPECT_NE(Effects[i].Proc, nullptr) << i;
    names.insert(Effects[i].Name);
  }
  EXPECT_EQ(names.size(), 169u) << "every name is different";
  EXPECT_FALSE(IsEffectIndex(0));
  EXPECT_FALSE(IsEffectIndex(170));
}

TEST(Effects, RowsStillDrawingTheNewPictureWholeAreExactlyThoseNotBuiltYet) {
  // Bars, criss-cross, shreds and speckles; curved, elliptic and polygon reveals; grids,
  // blinds, rectangles and rotating shapes.
  std::set<int> pending;
  for (int i = 61; i <= 120; ++i) pending.insert(i);
  for (int i = 125; i <= 129; ++i) pending.insert(i);
  for (int i = 138; i <= 167; ++i) pending.insert(i);
  EXPECT_EQ(pending.size(), 95u);
  const Bitmap32 old = testing::OldPicture(16, 12), fresh = testing::NewPicture(16, 12);
  for (int i = 1; i <= kEffectCount; ++i) {
    EXPECT_EQ(Effects[i].Proc == &DrawNewPictureWhole, pending.count(i) == 1) << "row " << i;
    if (pending.count(i)) {
      Bitmap32 target;
      ASSERT_TRUE(TransitionStep(i, old, fresh, 50, target));
      EXPECT_EQ(target, fresh) << "row " << i;
    }
  }
}

TEST(DeriveDone, ScalesTheLongerSideFirst) {
  const struct {
    const char* name;
    int32_t w, h, p;
    DoneXY expected;
  } cases[] = {
      {"start", 1024, 768, 0, {0, 0}},
      {"end", 1024, 768, 100, {1024, 768}},
      {"end tall", 600, 800, 100, {600, 800}},
      {"a third, 253.5 rounds away from zero", 1024, 768, 33, {338, 254}},
      {"taller than wide", 600, 800, 50, {300, 400}},
      {"square", 500, 500, 37, {185, 185}},
      {"one pixel", 1, 1, 50, {1, 1}},
  };
  for (const auto& c : cases) EXPECT_EQ(DeriveDone(c.w, c.h, c.p), c.expected) << c.name;
}

TEST(TransitionStep, RestoresTheOldPictureBeforeEveryStep) {
  const Bitmap32 old = testing::OldPicture(30, 20), fresh = testing::NewPicture(30, 20);
  Bitmap32 target(30, 20, 0xDEADBEEF);  // whatever the last step left
  ASSERT_TRUE(TransitionStep(8, old, fresh, 0, target));
  EXPECT_EQ(target, old);
  ASSERT_TRUE(TransitionStep(8, old, fresh, 100, target));
  EXPECT_EQ(target, fresh);
  ASSERT_TRUE(TransitionStep(8, old, fresh, 50, target));  // not built on the step before
  EXPECT_EQ(target.Pixel(14, 3), fresh.Pixel(14, 3));
  EXPECT_EQ(target.Pixel(15, 3), old.Pixel(15, 3));
}

TEST(TransitionStep, RefusesBadIndicesAndMismatchedPictures) {
  const Bitmap32 old = testing::OldPicture(30, 20), fresh = testing::NewPicture(30, 20);
  Bitmap32 target(5, 5, 7);
  const Bitmap32 untouched = target;
  EXPECT_FALSE(TransitionStep(0, old, fresh, 50, target));
  EXPECT_FALSE(TransitionStep(170, old, fresh, 50, target));
  EXPECT_FALSE(TransitionStep(5, old, testing::NewPicture(31, 20), 50, target));
  EXPECT_FALSE(TransitionStep(5, Bitmap32(), Bitmap32(), 50, target));
  EXPECT_EQ(target, untouched);
}

}  // namespace
}  // namespace kx
