#include "transitions/EffectTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

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

TEST(Effects, EveryRowDrawsItsOwnRuleNoneDrawsTheNewPictureWhole) {
  // The list of rows that drew the new picture whole while their families were not built is
  // empty: half way through, every effect shows a mix of both pictures, on a small size with
  // even sides and on one with odd sides (large enough that a blind's slats are wider than a
  // pixel).
  const std::set<int> drawingTheNewPictureWhole;
  for (const auto& [w, h] : {std::pair{96, 64}, std::pair{97, 65}}) {
    const Bitmap32 old = testing::OldPicture(w, h), fresh = testing::NewPicture(w, h);
    for (int i = 1; i <= kEffectCount; ++i) {
      Bitmap32 target;
      ASSERT_TRUE(TransitionStep(i, old, fresh, 50, target));
      EXPECT_EQ(target == fresh, drawingTheNewPictureWhole.count(i) == 1)
          << "row " << i << ", " << w << "x" << h;
      EXPECT_NE(target, old) << "row " << i << ", " << w << "x" << h;
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
