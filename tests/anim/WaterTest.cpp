// The water pass: region map, reflections, column offsets and the row renderer.
//
// The engine's renderer takes shortcuts (whole runs of one region, rows that move as one,
// dry land four map entries at a time); ReferenceWater below is the plain one-pixel-at-a-
// time form of the same rules, and the two must agree on every pixel of every frame.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "AnimFixtures.h"
#include "anim/AnimEngine.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using testing::DifferingPixels;
using testing::FirstDifference;
using testing::MakeScene;
using testing::PaintRegion;
using testing::PaintRows;

// The water rules pixel by pixel, with nothing precomputed but the region map.
class ReferenceWater {
 public:
  ReferenceWater(const Bitmap32& mask, const std::array<TWaveParam, 8>& params) : params_(params) {
    w_ = mask.Width();
    h_ = mask.Height();
    map_.assign(static_cast<size_t>(w_) * h_, -1);
    top_.fill(50000);
    bottom_.fill(0);
    for (int y = 0; y < h_; ++y) {
      for (int x = 0; x < w_; ++x) {
        const int r = RegionOfMaskPixel(mask.Pixel(x, y));
        if (r == 0) continue;
        top_[r - 1] = std::min(top_[r - 1], y);
        bottom_[r - 1] = std::max(bottom_[r - 1], y);
        map_[static_cast<size_t>(y) * w_ + x] = r - 1;
      }
    }
  }

  // The picture with every reflecting region mirrored about the line above its top row.
  static Bitmap32 Reflect(const Bitmap32& picture, const Bitmap32& mask, const std::array<TWaveParam, 8>& params) {
    Bitmap32 out = picture;
    int top[7] = {-1, -1, -1, -1, -1, -1, -1};
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width(); ++x) {
        const int r = RegionOfMaskPixel(mask.Pixel(x, y));
        if (r == 0 || !params[r - 1].Reflection) continue;
        if (top[r] == -1) top[r] = y;
        const int sy = 2 * top[r] - y - 1;
        if (sy >= 0) out.SetPixel(x, y, picture.Pixel(x, sy));
      }
    }
    return out;
  }

  void Render(Bitmap32& frame, const Bitmap32& source, const std::array<std::vector<int32_t>, 8>& offsets,
              std::array<int32_t, 8>& phase, int speed, uint32_t dt) const {
    double amp[8], freq[8], ampStep[8] = {}, freqStep[8] = {};
    int64_t rowShift[8] = {}, sway[8] = {};
    for (int k = 0; k < 8; ++k) {
      const TWaveParam& p = params_[k];
      amp[k] = p.Amplitude;
      freq[k] = p.Waves / (360.0 / p.Period);
      if (p.Perspective) {
        amp[k] = 0;
        const int rows = bottom_[k] - top_[k];
        ampStep[k] = rows != 0 ? static_cast<double>(p.Amplitude) / rows : p.Amplitude;
        freqStep[k] = rows != 0 ? freq[k] / rows : freq[k];
      }
    }
    for (int y = 0; y < h_; ++y) {
      for (int k = 0; k < 8; ++k) {
        if (y < top_[k] || y > bottom_[k]) continue;
        if (params_[k].Perspective) {
          amp[k] += ampStep[k];
          freq[k] -= 0.8 * freqStep[k];
        }
        const double t = (h_ - y) * freq[k] * 360 / h_ + phase[k];
        rowShift[k] = Round(CosTable(Mod(Round(t), params_[k].Period)) * amp[k]);
        sway[k] = Round(CosExact(Round(t) % 360) * amp[k]);
      }
      for (int x = 0; x < w_; ++x) {
        const int k = Map(x, y);
        if (k < 0) continue;
        const TWaveParam& p = params_[k];
        const int64_t off = offsets[k][x];
        int64_t srcY;
        if (p.Animated) {
          if (p.Style == 3 || p.Style == 4 || p.Style == 2 || p.Style == 5) {
            const double xs = (p.Style == 3 || p.Style == 4) ? x : w_ - 1 - x;
            rowShift[k] = Round(CosTable(Mod(Round(xs * freq[k] / 2 * (h_ - y / 2.0) / h_ + phase[k]), p.Period)) * amp[k]);
          }
          srcY = y + rowShift[k] - (p.Style < 2 ? off : 0);
        } else {
          srcY = y - off;
        }
        int64_t dstY = y - (p.Style < 2 ? off : 0);
        srcY = std::clamp<int64_t>(srcY, 0, h_ - 1);
        dstY = std::clamp<int64_t>(dstY, 0, h_ - 1);
        int64_t srcX = x;
        if (p.Sway) srcX = std::clamp<int64_t>(x - sway[k], 0, w_ - 1);
        if (Map(srcX, dstY) == k && Map(srcX, srcY) == k && Map(x, dstY) == k) {
          frame.SetPixel(x, static_cast<int>(dstY), source.Pixel(static_cast<int>(srcX), static_cast<int>(srcY)));
        }
      }
    }
    for (int k = 0; k < 8; ++k) {
      const int64_t delta = Round(static_cast<double>(params_[k].Speed) * dt / 50 * speed / 100);
      const int style = params_[k].Style;
      phase[k] += static_cast<int32_t>(style == 0 || style == 4 || style == 5 ? -delta : delta);
    }
  }

 private:
  static int64_t Round(double v) { return static_cast<int64_t>(std::nearbyint(v)); }
  static int64_t Mod(int64_t v, int32_t period) { return period != 0 ? v % period : v; }
  static double CosTable(int64_t v) { return std::cos(static_cast<double>(std::llabs(v % 360)) * std::numbers::pi / 180.0); }
  static double CosExact(int64_t v) { return std::cos(static_cast<double>(v % 360) * std::numbers::pi / 180.0); }
  int Map(int64_t x, int64_t y) const { return map_[static_cast<size_t>(y) * w_ + static_cast<size_t>(x)]; }

  std::array<TWaveParam, 8> params_;
  int w_ = 0, h_ = 0;
  std::vector<int> map_;
  std::array<int, 8> top_, bottom_;
};

class WaterTest : public ::testing::Test {
 protected:
  // The engine on `project_`, started at the fake clock's tick.
  void StartEngine() {
    engine_.SetProject(project_);
    engine_.SetWeather(false);
    engine_.Start();
  }
  std::array<TWaveParam, 8> Params() const {
    std::array<TWaveParam, 8> params;
    for (int k = 0; k < 8; ++k) params[k] = *project_.WaveParams[k];
    return params;
  }
  // Advances the clock by dt and renders one frame.
  void Frame(uint32_t dt) {
    clock_.now += dt;
    engine_.RenderFrame();
  }

  test::FakeClock clock_;
  TProject project_;
  TAnimEngine engine_{clock_};
};

// ---------------------------------------------------------------------------------------
// The renderer against the reference, over a table of wave records and several frames.

struct WaveCase {
  const char* name;
  int style;
  int amplitude;
  int waves;
  int period;
  int jitter;
  bool sway, perspective, animated, reflection;
  bool moves = true;  // some pixel differs from the picture after the frames
  bool wholeRows = false;  // the lower rows are water of one region from edge to edge
};

class WaterAgainstReference : public WaterTest, public ::testing::WithParamInterface<WaveCase> {};

TEST_P(WaterAgainstReference, EveryPixelOfEveryFrameAgrees) {
  const WaveCase& c = GetParam();
  const int w = 96, h = 80;
  MakeScene(project_, w, h);
  if (c.wholeRows) {
    // Region 1: rows 50 .. 79 from edge to edge, and a strip of rows 30 .. 49 with land on
    // both sides, so that shifted rows come from whole rows, mixed rows and dry land.
    PaintRegion(project_, 1, [](int x, int y) { return y >= 50 || (y >= 30 && x >= 10 && x < 70); });
  } else {
    // Region 1: the lower part, with a slanted shore on the left and a dry island; region 2:
    // a pond in the upper left; region 3 touches region 1 on its right.
    PaintRegion(project_, 1, [](int x, int y) {
      const bool island = (x - 60) * (x - 60) + (y - 62) * (y - 62) < 36;
      return y >= 40 && x > 20 + (80 - y) / 2 && x < 80 && !island;
    });
    PaintRegion(project_, 2, [](int x, int y) { return x >= 4 && x < 30 && y >= 6 && y < 22; });
    PaintRegion(project_, 3, [](int x, int y) { return x >= 80 && y >= 50; });
  }
  for (int k : {0, 1, 2}) {
    TWaveParam& p = *project_.WaveParams[k];
    p.Style = c.style;
    p.Amplitude = c.amplitude + k;
    p.Waves = c.waves;
    p.Period = c.period;
    p.Jitter = c.jitter;
    p.Sway = c.sway;
    p.Perspective = c.perspective;
    p.Animated = c.animated;
    p.Reflection = c.reflection && k != 1;
    p.Speed = 15 + 4 * k;
  }
  project_.Speed = 120;
  StartEngine();

  const std::array<TWaveParam, 8> params = Params();
  const ReferenceWater reference(*project_.WaterMask, params);
  const Bitmap32 source = c.reflection ? ReferenceWater::Reflect(*project_.Picture, *project_.WaterMask, params)
                                       : *project_.Picture;
  if (c.reflection) {
    ASSERT_EQ(engine_.ReflectedPicture, source);
  }
  Bitmap32 expected = *project_.Picture;
  ASSERT_EQ(engine_.WaterFrame, expected);
  std::array<int32_t, 8> phase = engine_.Phase;
  int frame = 0;
  for (uint32_t dt : {33u, 47u, 0u, 120u, 33u, 5000u}) {
    reference.Render(expected, source, engine_.ColumnOffset, phase, project_.Speed, dt);
    Frame(dt);
    ++frame;
    ASSERT_EQ(engine_.Phase, phase) << "frame " << frame;
    ASSERT_EQ(DifferingPixels(engine_.WaterFrame, expected), 0)
        << "frame " << frame << ", first difference " << FirstDifference(engine_.WaterFrame, expected);
  }
  // A case that should move water must, or it shows nothing.
  if (c.moves) {
    EXPECT_GT(DifferingPixels(engine_.WaterFrame, *project_.Picture), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Styles, WaterAgainstReference,
    ::testing::Values(
        //        name                   style amp waves period jitter sway  persp  anim   refl
        WaveCase{"Style0", 0, 5, 7, 360, 0, false, false, true, false},
        WaveCase{"Style1", 1, 5, 7, 360, 0, false, false, true, false},
        WaveCase{"Style2MirroredSlant", 2, 5, 7, 360, 0, false, false, true, false},
        WaveCase{"Style3Slant", 3, 5, 7, 360, 0, false, false, true, false},
        WaveCase{"Style4Slant", 4, 5, 7, 360, 0, false, false, true, false},
        WaveCase{"Style5MirroredSlant", 5, 5, 7, 360, 0, false, false, true, false},
        WaveCase{"SwayAndPerspective", 1, 6, 9, 360, 0, true, true, true, false},
        WaveCase{"SlantWithSwayAndPerspective", 3, 6, 9, 360, 0, true, true, true, false},
        WaveCase{"JitterStyle1", 1, 3, 5, 360, 4, false, false, true, false},
        WaveCase{"JitterStyle4", 4, 3, 5, 360, 4, false, false, true, false},
        WaveCase{"JitterWithSwayStyle0", 0, 4, 5, 360, 3, true, false, true, false},
        // Without motion, styles below 2 move both rows by the column offset: no change.
        WaveCase{"NotAnimatedJitter", 1, 4, 5, 360, 5, false, false, false, false, false},
        WaveCase{"NotAnimatedSway", 3, 4, 5, 360, 0, true, false, false, false},
        WaveCase{"SawPeriod100", 1, 5, 11, 100, 0, false, false, true, false},
        WaveCase{"SawPeriod100Slant", 2, 5, 11, 100, 0, true, false, true, false},
        WaveCase{"Period0", 1, 5, 7, 0, 0, true, false, true, false},
        WaveCase{"ReflectionWithSway", 1, 4, 8, 360, 0, true, true, true, true},
        WaveCase{"ReflectionJitterSlant", 5, 4, 8, 360, 2, false, false, true, true},
        // Every source lies far outside the region: nothing is written.
        WaveCase{"HugeAmplitude", 1, 5000, 3, 360, 0, true, false, true, false, false},
        WaveCase{"StyleOutOfRange", 7, 5, 7, 360, 3, false, false, true, false},
        // Rows wholly of one region, which are copied without a look at the map.
        WaveCase{"WholeRowsStyle1", 1, 6, 9, 360, 0, false, false, true, false, true, true},
        WaveCase{"WholeRowsSwayAndPerspective", 1, 6, 9, 360, 0, true, true, true, false, true, true},
        WaveCase{"WholeRowsReflectionWithSway", 0, 9, 8, 360, 0, true, false, true, true, true, true},
        WaveCase{"WholeRowsSlant", 3, 6, 9, 360, 0, true, false, true, false, true, true}),
    [](const ::testing::TestParamInfo<WaveCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// The region map.

TEST_F(WaterTest, RegionMapHoldsEachPixelsRegionAndTheRegionsRowBounds) {
  MakeScene(project_, 8, 6);
  project_.WaterMask->SetPixel(1, 2, MaskPixelOfRegion(1));
  project_.WaterMask->SetPixel(7, 4, MaskPixelOfRegion(1));
  project_.WaterMask->SetPixel(3, 5, MaskPixelOfRegion(6));
  project_.WaterMask->SetPixel(4, 0, 0x00123456);                            // not a region value
  project_.WaterMask->SetPixel(5, 0, MaskPixelOfRegion(1) | 0xFF000000u);  // alpha set: no match
  StartEngine();
  EXPECT_EQ(engine_.RegionMap[2 * 8 + 1], 0);
  EXPECT_EQ(engine_.RegionMap[4 * 8 + 7], 0);
  EXPECT_EQ(engine_.RegionMap[5 * 8 + 3], 5);
  EXPECT_EQ(engine_.RegionMap[0 * 8 + 4], -1);
  EXPECT_EQ(engine_.RegionMap[0 * 8 + 5], -1);
  EXPECT_EQ(std::count(engine_.RegionMap.begin(), engine_.RegionMap.end(), -1), 48 - 3);
  EXPECT_EQ(engine_.RegionTop[0], 2);
  EXPECT_EQ(engine_.RegionBottom[0], 4);
  EXPECT_EQ(engine_.RegionTop[5], 5);
  EXPECT_EQ(engine_.RegionBottom[5], 5);
  for (int k : {1, 2, 3, 4, 6, 7}) {
    EXPECT_EQ(engine_.RegionTop[k], 50000) << k;
    EXPECT_EQ(engine_.RegionBottom[k], 0) << k;
  }
}

TEST_F(WaterTest, AMaskOfAnotherSizeIsFittedToThePicture) {
  MakeScene(project_, 8, 8);
  project_.WaterMask->SetSize(4, 4, 0);
  for (int x = 0; x < 4; ++x) project_.WaterMask->SetPixel(x, 3, MaskPixelOfRegion(2));
  StartEngine();
  EXPECT_EQ(engine_.RegionTop[1], 6);
  EXPECT_EQ(engine_.RegionBottom[1], 7);
  EXPECT_EQ(std::count(engine_.RegionMap.begin(), engine_.RegionMap.end(), 1), 16);
}

TEST_F(WaterTest, ColumnOffsetsLieBelowTheJitter) {
  MakeScene(project_, 200, 10);
  project_.WaveParams[0]->Jitter = 5;
  project_.WaveParams[3]->Jitter = 1;
  project_.WaveParams[4]->Jitter = -3;
  StartEngine();
  const auto& offsets = engine_.ColumnOffset[0];
  ASSERT_EQ(offsets.size(), 200u);
  EXPECT_EQ(*std::min_element(offsets.begin(), offsets.end()), 0);
  EXPECT_EQ(*std::max_element(offsets.begin(), offsets.end()), 4);
  for (int k : {1, 3, 4}) {
    EXPECT_EQ(std::count(engine_.ColumnOffset[k].begin(), engine_.ColumnOffset[k].end(), 0), 200) << k;
  }
}

// ---------------------------------------------------------------------------------------
// Pictures that must not change.

TEST_F(WaterTest, AMaskWithoutWaterLeavesThePictureUnchanged) {
  MakeScene(project_, 40, 30);
  for (auto& p : project_.WaveParams) *p = TWaveParam::Defaults();  // would ripple if there were water
  project_.WaveParams[0]->Sway = 1;
  project_.WaveParams[0]->Jitter = 4;
  project_.WaveParams[0]->Reflection = 1;
  StartEngine();
  for (int i = 0; i < 5; ++i) {
    Frame(33);
    ASSERT_EQ(engine_.WaterFrame, *project_.Picture) << "frame " << i;
  }
}

struct StillCase {
  const char* name;
  int style;
  int amplitude;
  int jitter;
  bool sway;
  bool animated;
  bool perspective;
};

class WaterStill : public WaterTest, public ::testing::WithParamInterface<StillCase> {};

TEST_P(WaterStill, CopiesEveryPixelOntoItself) {
  const StillCase& c = GetParam();
  MakeScene(project_, 48, 40);
  PaintRows(project_, 1, 10, 39);
  TWaveParam& p = *project_.WaveParams[0];
  p.Style = c.style;
  p.Amplitude = c.amplitude;
  p.Jitter = c.jitter;
  p.Sway = c.sway;
  p.Animated = c.animated;
  p.Perspective = c.perspective;
  p.Waves = 13;
  p.Speed = 40;
  StartEngine();
  for (int i = 0; i < 4; ++i) {
    Frame(33);
    ASSERT_EQ(DifferingPixels(engine_.WaterFrame, *project_.Picture), 0)
        << "frame " << i << ": " << FirstDifference(engine_.WaterFrame, *project_.Picture);
  }
}

INSTANTIATE_TEST_SUITE_P(
    NoMotion, WaterStill,
    ::testing::Values(StillCase{"Amplitude0Style0", 0, 0, 0, false, true, false},
                      StillCase{"Amplitude0Style1", 1, 0, 0, false, true, false},
                      StillCase{"Amplitude0Style3", 3, 0, 0, false, true, false},
                      StillCase{"Amplitude0Style5Perspective", 5, 0, 0, false, true, true},
                      StillCase{"NotAnimatedJitter0Style1", 1, 6, 0, false, false, false},
                      StillCase{"NotAnimatedJitter0Style3", 3, 6, 0, false, false, true},
                      // Without motion the column offset moves both rows alike.
                      StillCase{"NotAnimatedJitter5Style0", 0, 6, 5, false, false, false}),
    [](const ::testing::TestParamInfo<StillCase>& info) { return std::string(info.param.name); });

TEST_F(WaterTest, NotAnimatedSlantedJitterTearsTheRegionButNeverMoves) {
  MakeScene(project_, 64, 40);
  PaintRows(project_, 1, 10, 39);
  TWaveParam& p = *project_.WaveParams[0];
  p.Animated = 0;
  p.Style = 3;
  p.Jitter = 5;
  p.Amplitude = 6;
  p.Speed = 30;
  StartEngine();
  Frame(33);
  const Bitmap32 first = engine_.WaterFrame;
  // Each column of the region is the picture moved down by its offset (0 .. 4 rows); where
  // the source row lies above the region, the pixel keeps its own value.
  int torn = 0;
  for (int x = 0; x < 64; ++x) {
    const int offset = engine_.ColumnOffset[0][x];
    ASSERT_GE(offset, 0);
    ASSERT_LE(offset, 4);
    torn += offset > 0;
    for (int y = 10; y < 40; ++y) {
      const int sy = y - offset >= 10 ? y - offset : y;
      ASSERT_EQ(first.Pixel(x, y), project_.Picture->Pixel(x, sy)) << x << "," << y;
    }
  }
  EXPECT_GT(torn, 32);
  for (int i = 0; i < 4; ++i) {
    Frame(33);
    ASSERT_EQ(engine_.WaterFrame, first) << "frame " << i;
  }
}

// ---------------------------------------------------------------------------------------
// The worked examples.

TEST_F(WaterTest, Row384OfA768RowPictureTakesThePixelsAmplitudeRowsAbove) {
  // Waves 1, Period 360: in row 384, t = (768 - 384) x 1 x 360 / 768 = 180, cos = -1.
  MakeScene(project_, 16, 768);
  PaintRows(project_, 1, 300, 500);
  TWaveParam& p = *project_.WaveParams[0];
  p.Waves = 1;
  p.Period = 360;
  p.Perspective = 0;
  p.Style = 1;
  p.Jitter = 0;
  p.Amplitude = 6;
  StartEngine();
  engine_.RenderWater(0);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(engine_.WaterFrame.Pixel(x, 384), project_.Picture->Pixel(x, 378)) << x;
  // The top row of the region would take rows above it, which are land: it keeps its pixels.
  for (int x = 0; x < 16; ++x) EXPECT_EQ(engine_.WaterFrame.Pixel(x, 300), project_.Picture->Pixel(x, 300)) << x;
}

TEST_F(WaterTest, PhaseMovesBySpeedTimesFrameTimeOver50) {
  // 15 x 33 / 50 = 9.9 degrees, rounded to 10; styles 0, 4 and 5 turn the other way.
  MakeScene(project_, 8, 8);
  const int styles[8] = {0, 1, 2, 3, 4, 5, 1, 1};
  for (int k = 0; k < 8; ++k) {
    project_.WaveParams[k]->Style = styles[k];
    project_.WaveParams[k]->Speed = 15;
  }
  project_.WaveParams[6]->Speed = 5;  // 3.3 -> 3
  project_.WaveParams[7]->Speed = 25;  // 16.5 -> 16 (halves to even)
  StartEngine();
  Frame(33);
  EXPECT_EQ(engine_.Phase, (std::array<int32_t, 8>{-10, 10, 10, 10, -10, -10, 3, 16}));
  project_.Speed = 200;  // the project's speed counts only when handed over again
  Frame(33);
  EXPECT_EQ(engine_.Phase[1], 20);
}

TEST_F(WaterTest, AnimationSpeedScalesThePhase) {
  MakeScene(project_, 8, 8);
  project_.WaveParams[0]->Speed = 15;
  project_.WaveParams[0]->Style = 1;
  project_.Speed = 50;  // 9.9 x 0.5 = 4.95 -> 5
  StartEngine();
  Frame(33);
  EXPECT_EQ(engine_.Phase[0], 5);
}

TEST_F(WaterTest, OneRowPerspectiveRegionHasFullAmplitudeAndAFifthOfItsFrequency) {
  // Row 900 of 1000, Waves 5: with a fifth of the frequency t = 100 x 1 x 360 / 1000 = 36
  // and the sway is round(cos 36 x 10) = 8; at the full frequency it would be cos 180: -10.
  MakeScene(project_, 64, 1000);
  PaintRows(project_, 1, 900, 900);
  TWaveParam& p = *project_.WaveParams[0];
  p.Perspective = 1;
  p.Waves = 5;
  p.Period = 360;
  p.Amplitude = 10;
  p.Sway = 1;
  p.Animated = 0;  // rows stay; only the sway moves the row sideways
  StartEngine();
  engine_.RenderWater(0);
  for (int x = 0; x < 64; ++x) {
    EXPECT_EQ(engine_.WaterFrame.Pixel(x, 900), project_.Picture->Pixel(std::max(0, x - 8), 900)) << x;
  }
}

TEST_F(WaterTest, ReflectionMirrorsAboutTheLineAboveTheRegionsTopRow) {
  MakeScene(project_, 12, 400);
  PaintRows(project_, 1, 300, 399);
  PaintRows(project_, 2, 5, 20);
  project_.WaveParams[0]->Reflection = 1;
  project_.WaveParams[1]->Reflection = 1;
  StartEngine();
  ASSERT_TRUE(engine_.UseReflection);
  const Bitmap32& picture = *project_.Picture;
  for (int x = 0; x < 12; ++x) {
    EXPECT_EQ(engine_.ReflectedPicture.Pixel(x, 310), picture.Pixel(x, 289)) << x;
    EXPECT_EQ(engine_.ReflectedPicture.Pixel(x, 300), picture.Pixel(x, 299)) << x;
    // Top row 5: rows 5 .. 9 mirror rows 4 .. 0; from row 10 the mirror row would lie above
    // the picture, so those rows keep their own pixels.
    EXPECT_EQ(engine_.ReflectedPicture.Pixel(x, 5), picture.Pixel(x, 4)) << x;
    EXPECT_EQ(engine_.ReflectedPicture.Pixel(x, 9), picture.Pixel(x, 0)) << x;
    for (int y = 10; y <= 20; ++y) EXPECT_EQ(engine_.ReflectedPicture.Pixel(x, y), picture.Pixel(x, y)) << x << "," << y;
    // Land is never mirrored.
    EXPECT_EQ(engine_.ReflectedPicture.Pixel(x, 100), picture.Pixel(x, 100)) << x;
  }
}

TEST_F(WaterTest, OnlyRegionsWithReflectionAreMirrored) {
  MakeScene(project_, 6, 60);
  PaintRows(project_, 1, 30, 39);
  PaintRows(project_, 2, 40, 59);
  project_.WaveParams[1]->Reflection = 1;
  StartEngine();
  for (int x = 0; x < 6; ++x) {
    EXPECT_EQ(engine_.ReflectedPicture.Pixel(x, 35), project_.Picture->Pixel(x, 35));
    EXPECT_EQ(engine_.ReflectedPicture.Pixel(x, 45), project_.Picture->Pixel(x, 34));
  }
}

TEST_F(WaterTest, LandIsNeverCopiedIntoWaterAndWaterNeverOntoLand) {
  // Land is pure red, water any other colour. Big waves, sway and jitter near a ragged
  // shore, for many frames: no water pixel turns red and no land pixel changes.
  const int w = 80, h = 60;
  MakeScene(project_, w, h);
  auto water = [](int x, int y) { return y >= 20 + (x * 7 % 11) && !(x > 30 && x < 36 && y > 40); };
  PaintRegion(project_, 1, water);
  PaintRegion(project_, 2, [](int x, int y) { return y < 10 && x > 50; });
  Bitmap32& picture = *project_.Picture;
  const uint32_t land = Rgb(255, 0, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (RegionOfMaskPixel(project_.WaterMask->Pixel(x, y)) == 0) picture.SetPixel(x, y, land);
    }
  }
  for (int k : {0, 1}) {
    TWaveParam& p = *project_.WaveParams[k];
    p.Amplitude = 9;
    p.Waves = 17;
    p.Speed = 25;
    p.Sway = 1;
    p.Jitter = 4;
    p.Style = k == 0 ? 0 : 3;
  }
  StartEngine();
  for (int i = 0; i < 40; ++i) {
    Frame(33);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const bool isLand = RegionOfMaskPixel(project_.WaterMask->Pixel(x, y)) == 0;
        if (isLand) {
          ASSERT_EQ(engine_.WaterFrame.Pixel(x, y), land) << "land changed at " << x << "," << y << " frame " << i;
        } else {
          ASSERT_NE(engine_.WaterFrame.Pixel(x, y), land) << "land leaked to " << x << "," << y << " frame " << i;
        }
      }
    }
  }
}

TEST_F(WaterTest, ARegionNeverTakesPixelsOfAnotherRegion) {
  // Two regions side by side, each of one colour: their colours never mix.
  const int w = 60, h = 40;
  MakeScene(project_, w, h);
  PaintRegion(project_, 1, [](int x, int y) { return y >= 10 && x < 30; });
  PaintRegion(project_, 4, [](int x, int y) { return y >= 10 && x >= 30; });
  Bitmap32& picture = *project_.Picture;
  for (int y = 10; y < h; ++y) {
    for (int x = 0; x < w; ++x) picture.SetPixel(x, y, x < 30 ? Rgb(0, 0, 200) : Rgb(0, 200, 0));
  }
  for (int k : {0, 3}) {
    TWaveParam& p = *project_.WaveParams[k];
    p.Amplitude = 5;
    p.Sway = 1;
    p.Style = 1;
    p.Speed = 30;
  }
  StartEngine();
  for (int i = 0; i < 20; ++i) {
    Frame(33);
    for (int y = 10; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        ASSERT_EQ(engine_.WaterFrame.Pixel(x, y), x < 30 ? Rgb(0, 0, 200) : Rgb(0, 200, 0)) << x << "," << y;
      }
    }
  }
}

TEST_F(WaterTest, ALongPauseAdvancesTheWavesByTheWholePauseAtOnce) {
  MakeScene(project_, 8, 8);
  project_.WaveParams[0]->Speed = 15;
  project_.WaveParams[0]->Style = 1;
  project_.WaveParams[1]->Speed = 15;
  project_.WaveParams[1]->Style = 0;
  StartEngine();
  EXPECT_EQ(engine_.Phase[0], 0);  // Start renders once at no elapsed time
  Frame(100000);
  EXPECT_EQ(engine_.Phase[0], 30000);
  EXPECT_EQ(engine_.Phase[1], -30000);
}

TEST_F(WaterTest, TheFirstFrameAfterStartAdvancesByTheTimeSinceStart) {
  MakeScene(project_, 8, 8);
  project_.WaveParams[0]->Speed = 10;
  project_.WaveParams[0]->Style = 1;
  StartEngine();
  clock_.now += 250;  // the show loaded sounds, drew a transition step, ...
  engine_.RenderFrame();
  EXPECT_EQ(engine_.Phase[0], 50);
}

TEST_F(WaterTest, ResetWithReflectionsShowsThePlainPictureAgain) {
  // Amplitude 0: every frame copies the reflected picture into the water unchanged.
  MakeScene(project_, 20, 40);
  PaintRows(project_, 1, 20, 39);
  TWaveParam& p = *project_.WaveParams[0];
  p.Reflection = 1;
  p.Speed = 20;
  StartEngine();
  Frame(33);
  const Bitmap32 reflected = ReferenceWater::Reflect(*project_.Picture, *project_.WaterMask, Params());
  ASSERT_EQ(engine_.WaterFrame, reflected);
  engine_.ReflectedPicture.Fill(0);  // Reset rebuilds it from the picture
  engine_.Reset();
  // Water pixels not yet rewritten show the plain picture, not its reflection.
  EXPECT_EQ(engine_.WaterFrame, *project_.Picture);
  EXPECT_EQ(engine_.ReflectedPicture, reflected);
  Frame(33);
  EXPECT_EQ(engine_.WaterFrame, reflected);
}

TEST_F(WaterTest, APictureResizedBehindTheEnginesBackIsNotReadPastItsEnd) {
  MakeScene(project_, 30, 30);
  PaintRows(project_, 1, 10, 29);
  project_.WaveParams[0]->Amplitude = 4;
  StartEngine();
  Frame(33);
  project_.Resize(false, 60, 45);  // the engine still holds the water data of 30 x 30
  Frame(33);
  EXPECT_EQ(engine_.WaterFrame.Width(), 30);
  // A new Start picks the new size up.
  engine_.Start();
  Frame(33);
  EXPECT_EQ(engine_.WaterFrame.Width(), 60);
  EXPECT_EQ(engine_.WaterFrame.Height(), 45);
}

}  // namespace
}  // namespace kx
