#include "scene/Project.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SceneFixtures.h"
#include "platform/MessageBox.h"
#include "scene/WaterMask.h"

namespace kx {
namespace {

using testing::GradientPicture;
using testing::JpegOf;
using testing::SmallPackage;
using testing::TempFolder;

class RecordingMessageBox : public MessageBoxService {
 public:
  struct Shown {
    MessageKind kind;
    std::string caption, text;
  };
  void Show(MessageKind kind, const std::string& caption, const std::string& text) override {
    shown.push_back({kind, caption, text});
  }
  bool Ask(const std::string&, const std::string&) override { return false; }
  std::vector<Shown> shown;
};

std::string WritePackage(const TempFolder& folder, const std::string& name, const ScenePackage& p) {
  return folder.Write(name, WriteScenePackage(p));
}

// A 1024 x 768 scene whose lower half is water: region 1 on the left half, region 2 on the
// right half.
ScenePackage HarbourPackage() {
  ScenePackage p = SmallPackage(1024, 768);
  Bitmap32 mask(1024, 768, 0);
  for (int y = 384; y < 768; ++y) {
    for (int x = 0; x < 1024; ++x) mask.SetPixel(x, y, MaskPixelOfRegion(x < 512 ? 1 : 2));
  }
  p.MaskCodes = EncodeMaskRuns(mask);
  const int32_t amplitudes[8] = {8, 4, 6, 2, 1, 0, 10, 3};
  for (int k = 0; k < 8; ++k) {
    p.Waves[k].Amplitude = amplitudes[k];
    p.Waves[k].Jitter = 10;
  }
  return p;
}

TEST(Project, CreateGivesEmptyPartsAndTheDefaultSpeed) {
  TProject project;
  EXPECT_EQ(project.Speed, 100);
  ASSERT_TRUE(project.Picture && project.Thumbnail && project.WaterMask && project.Weather &&
              project.ExtraInfo);
  EXPECT_TRUE(project.Picture->Empty());
  for (int k = 0; k < 8; ++k) {
    ASSERT_NE(project.WaveParam(k), nullptr);
    EXPECT_EQ(*project.WaveParam(k), TWaveParam{});  // zero-filled until a package is loaded
  }
  EXPECT_EQ(*project.Weather, TWeatherParam{});
  project.SetSpeed(240);
  EXPECT_EQ(project.Speed, 240);
  project.Clear();
  EXPECT_EQ(project.Picture, nullptr);
  EXPECT_EQ(project.WaveParam(3), nullptr);
  EXPECT_EQ(project.Weather, nullptr);
}

TEST(Project, LoadFromFileHandsEveryPartOver) {
  TempFolder folder;
  ScenePackage p = HarbourPackage();
  p.Weather = {kWeatherRain, 250, 10, 80, 12, 4};
  p.Sounds[0].SetFileName("gulls.wav");
  p.Sounds[0].Mode = kSoundRandomInterval;
  p.ObjectList = "[Obj0]\r\nObjType=TXT\r\nText=YWJj\r\n";
  p.BuilderSettings = "[BuildScr],Filename=sea.scr,Music=1,,[BuildExe],Sound=0";
  const std::string path = WritePackage(folder, "harbour.kxp", p);

  TProject project;
  ASSERT_TRUE(project.LoadFromFile(path)) << project.LastError();
  EXPECT_EQ(project.FileName, path);
  EXPECT_EQ(project.Title, "Harbour");
  EXPECT_EQ(project.ExtraText, "second text");
  EXPECT_EQ(project.Picture->Width(), 1024);
  EXPECT_EQ(project.Picture->Height(), 768);
  EXPECT_EQ(project.PictureWidth, 1024);
  EXPECT_EQ(project.PictureHeight, 768);
  EXPECT_EQ(project.Thumbnail->Width(), 4);
  EXPECT_EQ(project.WaterMask->Pixel(0, 383), 0u);
  EXPECT_EQ(project.WaterMask->Pixel(511, 384), MaskPixelOfRegion(1));
  EXPECT_EQ(project.WaterMask->Pixel(512, 767), MaskPixelOfRegion(2));
  for (int k = 0; k < 8; ++k) EXPECT_EQ(*project.WaveParam(k), p.Waves[k]) << k;
  EXPECT_EQ(*project.Weather, p.Weather);
  EXPECT_EQ(project.Sounds, p.Sounds);
  EXPECT_EQ(project.SoundCount(), 1);
  EXPECT_EQ(project.ObjectListText, p.ObjectList);
  EXPECT_EQ(project.ExtraInfo->ScrFileName, "sea.scr");
  EXPECT_TRUE(project.ExtraInfo->ScrMusic);
  EXPECT_TRUE(project.ExtraInfo->ScrSound);  // missing: default 1
  EXPECT_FALSE(project.ExtraInfo->ExeSound);
  // The picture is the package's JPEG, decoded: a gradient of red with x and green with y.
  const uint32_t px = project.Picture->Pixel(200, 100);
  EXPECT_NEAR(static_cast<int>(RedOf(px)), 200, 4);
  EXPECT_NEAR(static_cast<int>(GreenOf(px)), 100, 4);
}

TEST(Project, PackageThatEndsAfterTheWeatherRecordLoads) {
  TempFolder folder;
  ScenePackage p = HarbourPackage();
  p.WriteLaterFields = false;
  p.LegacySound = "surf.wav";
  p.Weather = {kWeatherSnow, 100, 10, 3, 0, 5};
  TProject project;
  ASSERT_TRUE(project.LoadFromFile(WritePackage(folder, "old.kxp", p))) << project.LastError();
  EXPECT_EQ(project.Picture->Width(), 1024);
  EXPECT_EQ(*project.Weather, p.Weather);
  // The sound of the first format plays looped from the start, in slot 0.
  EXPECT_EQ(project.SoundCount(), 1);
  EXPECT_EQ(project.Sounds[0].FileName(), "surf.wav");
  EXPECT_EQ(project.Sounds[0].Mode, kSoundLooped);
  EXPECT_EQ(project.ObjectListText, "");
  for (int k = 0; k < 4; ++k) EXPECT_EQ(*project.WaveParam(k), p.Waves[k]) << k;
  for (int k = 4; k < 8; ++k) EXPECT_EQ(*project.WaveParam(k), TWaveParam::Defaults()) << k;
  TExtraInfo defaults;
  defaults.ExeSound = defaults.ScrSound = true;
  EXPECT_EQ(*project.ExtraInfo, defaults);
}

TEST(Project, WrongMagicOrDamagedMaskOnlyMakesTheResultFalse) {
  TempFolder folder;
  RecordingMessageBox box;
  TProject project(&box);

  ScenePackage wrongMagic = SmallPackage();
  wrongMagic.Magic = "KX060698";
  EXPECT_FALSE(project.LoadFromFile(WritePackage(folder, "magic.kxp", wrongMagic)));
  EXPECT_EQ(project.LastError(), "Incorrect Project File!");

  ScenePackage overflow = SmallPackage(16, 12);
  overflow.MaskCodes = {16, 12, 1921, 11};  // 193 pixels for a mask of 192
  EXPECT_FALSE(project.LoadFromFile(WritePackage(folder, "overflow.kxp", overflow)));

  EXPECT_FALSE(project.LoadFromFile(folder.File("missing.kxp")));
  EXPECT_TRUE(box.shown.empty());  // the full load never shows a message
}

TEST(Project, ReloadLeavesNothingOfThePreviousScene) {
  TempFolder folder;
  ScenePackage first = SmallPackage();
  first.Sounds[0].SetFileName("a.wav");
  first.ObjectList = "[Obj0]\r\nObjType=IMG\r\n";
  first.Weather.Kind = kWeatherSnow;
  TProject project;
  ASSERT_TRUE(project.LoadFromFile(WritePackage(folder, "first.kxp", first)));

  ScenePackage damaged = SmallPackage();
  damaged.PictureJpeg.resize(20);  // the picture cannot be decoded
  EXPECT_FALSE(project.LoadFromFile(WritePackage(folder, "damaged.kxp", damaged)));
  EXPECT_TRUE(project.Picture->Empty());
  EXPECT_TRUE(project.WaterMask->Empty());
  EXPECT_EQ(project.SoundCount(), 0);
  EXPECT_EQ(project.ObjectListText, "");
  EXPECT_EQ(*project.Weather, TWeatherParam{});
  EXPECT_EQ(project.PictureWidth, 0);
}

TEST(Project, WeatherDefaultsForSnowAndRain) {
  TempFolder folder;
  struct Case {
    const char* name;
    TWeatherParam stored;
    TWeatherParam expected;
  };
  const Case cases[] = {
      {"snow with opacity 0 and size 0", {1, 200, 10, 0, 0, 0}, {1, 200, 10, 4, 0, 9}},
      {"snow keeps what it states", {1, 200, 10, 7, 0, 3}, {1, 200, 10, 7, 0, 3}},
      {"rain with opacity 0", {2, 300, 12, 0, 15, 0}, {2, 300, 12, 0, 15, 6}},
      {"rain keeps its wind angle", {2, 300, 12, 90, 15, 0}, {2, 300, 12, 90, 15, 6}},
      {"no weather keeps its zeros", {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    ScenePackage p = SmallPackage();
    p.Weather = c.stored;
    TProject project;
    ASSERT_TRUE(project.LoadFromFile(WritePackage(folder, "w.kxp", p))) << c.name;
    EXPECT_EQ(*project.Weather, c.expected) << c.name;
  }
}

TEST(Project, LegacySoundGoesIntoTheFirstFreeSlotUnlessItSaysNoSound) {
  TempFolder folder;
  struct Case {
    const char* name;
    std::string legacy;
    int slotsInUse;
    int expectedCount;  // SoundCount() after loading
  };
  const Case cases[] = {
      {"no sound, upper case", "<NO SOUND>", 0, 0},
      {"no sound, lower case", "<no sound>", 0, 0},
      {"no sound, mixed case", "<No Sound>", 2, 2},
      {"empty", "", 1, 1},
      {"a name after two slots lands in slot 2", "surf.wav", 2, 3},
      {"a name in a package without slots", "surf.wav", 0, 1},
      {"all eight slots in use: dropped", "surf.wav", 8, 8},
  };
  for (const auto& c : cases) {
    ScenePackage p = SmallPackage();
    p.LegacySound = c.legacy;
    for (int i = 0; i < c.slotsInUse; ++i) {
      p.Sounds[i].SetFileName("slot" + std::to_string(i) + ".wav");
      p.Sounds[i].Mode = kSoundFixedInterval;
      p.Sounds[i].MinTime = 30;
    }
    TProject project;
    ASSERT_TRUE(project.LoadFromFile(WritePackage(folder, "s.kxp", p))) << c.name;
    EXPECT_EQ(project.SoundCount(), c.expectedCount) << c.name;
    EXPECT_EQ(project.LegacySound, "") << c.name;
    for (int i = 0; i < 8; ++i) {
      if (i < c.slotsInUse) {
        EXPECT_EQ(project.Sounds[i], p.Sounds[i]) << c.name << " slot " << i;
      } else if (i == c.slotsInUse && c.expectedCount > c.slotsInUse) {
        EXPECT_EQ(project.Sounds[i].FileName(), c.legacy) << c.name;
        EXPECT_EQ(project.Sounds[i].Mode, kSoundLooped) << c.name;
      } else {
        EXPECT_TRUE(project.Sounds[i].Empty()) << c.name << " slot " << i;
      }
    }
  }
}

TEST(Project, LegacySoundNameIsCutTo255Bytes) {
  TempFolder folder;
  ScenePackage p = SmallPackage();
  p.LegacySound = std::string(300, 'w');
  TProject project;
  ASSERT_TRUE(project.LoadFromFile(WritePackage(folder, "long.kxp", p)));
  EXPECT_EQ(project.Sounds[0].FileName(), std::string(255, 'w'));
}

TEST(Project, SoundCountStopsAtTheFirstEmptySlot) {
  TProject project;
  project.Sounds[1].SetFileName("second.wav");
  EXPECT_EQ(project.SoundCount(), 0);  // slot 1 is never used
  project.Sounds[0].SetFileName("first.wav");
  EXPECT_EQ(project.SoundCount(), 2);
  for (auto& s : project.Sounds) s.SetFileName("x.wav");
  EXPECT_EQ(project.SoundCount(), 8);
}

TEST(Project, MaskOfAnotherSizeIsFittedToThePictureByNearestNeighbour) {
  TempFolder folder;
  ScenePackage p = SmallPackage(16, 12);
  p.MaskCodes = {4, 3, 21, 22, 43, 30, 14};  // rows "1122", "3333", "0004"
  TProject project;
  ASSERT_TRUE(project.LoadFromFile(WritePackage(folder, "fit.kxp", p)));
  ASSERT_EQ(project.WaterMask->Width(), 16);
  ASSERT_EQ(project.WaterMask->Height(), 12);
  EXPECT_EQ(project.WaterMask->Pixel(7, 3), MaskPixelOfRegion(1));
  EXPECT_EQ(project.WaterMask->Pixel(8, 0), MaskPixelOfRegion(2));
  EXPECT_EQ(project.WaterMask->Pixel(0, 4), MaskPixelOfRegion(3));
  EXPECT_EQ(project.WaterMask->Pixel(11, 11), 0u);
  EXPECT_EQ(project.WaterMask->Pixel(12, 8), MaskPixelOfRegion(4));

  ScenePackage empty = SmallPackage(16, 12);
  empty.MaskCodes = {};  // no size at all: all dry land of the picture's size
  ASSERT_TRUE(project.LoadFromFile(WritePackage(folder, "nomask.kxp", empty)));
  EXPECT_EQ(*project.WaterMask, Bitmap32(16, 12, 0));
}

TEST(Project, ResizeProportionalFitsTheWiderPictureAndScalesAmplitude) {
  TempFolder folder;
  TProject project;
  ASSERT_TRUE(project.LoadFromFile(WritePackage(folder, "h.kxp", HarbourPackage())));
  TWaveParam* wave0 = project.WaveParam(0);
  project.Resize(true, 1280, 1024);
  EXPECT_EQ(project.Picture->Width(), 1280);
  EXPECT_EQ(project.Picture->Height(), 960);
  EXPECT_EQ(project.WaterMask->Width(), 1280);
  EXPECT_EQ(project.WaterMask->Height(), 960);
  // Every Amplitude grows by 1.25, rounded half to even: 8 10, 4 5, 6 7.5 -> 8, 2 2.5 -> 2.
  const int32_t amplitudes[8] = {10, 5, 8, 2, 1, 0, 12, 4};
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(project.WaveParam(k)->Amplitude, amplitudes[k]) << k;
    EXPECT_EQ(project.WaveParam(k)->Jitter, 12) << k;  // 10 * 960 / 768 = 12.5 -> 12
  }
  EXPECT_EQ(project.WaveParam(0), wave0);  // the same record: the engine sees the change
  EXPECT_EQ(project.PictureWidth, 1024);
  EXPECT_EQ(project.PictureHeight, 768);
  // The mask holds exact region values only, with the water line at 960 / 2.
  for (int y = 0; y < 960; ++y) {
    for (int x = 0; x < 1280; x += 7) {
      const uint32_t v = project.WaterMask->Pixel(x, y);
      const uint32_t expected = y < 480 ? 0u : MaskPixelOfRegion(x < 640 ? 1 : 2);
      ASSERT_EQ(v, expected) << x << "," << y;
    }
  }
}

TEST(Project, ResizeToAnExactSizeScalesAmplitudeByWidthAndJitterByHeight) {
  TempFolder folder;
  ScenePackage p = HarbourPackage();
  p.Waves[0].Amplitude = 6;
  p.Waves[0].Jitter = 10;
  TProject project;
  ASSERT_TRUE(project.LoadFromFile(WritePackage(folder, "h.kxp", p)));
  project.Resize(false, 800, 600);
  EXPECT_EQ(project.Picture->Width(), 800);
  EXPECT_EQ(project.Picture->Height(), 600);
  EXPECT_EQ(project.WaveParam(0)->Amplitude, 5);  // round(4.6875)
  EXPECT_EQ(project.WaveParam(0)->Jitter, 8);     // round(7.8125)
  EXPECT_EQ(project.WaveParam(0)->Waves, p.Waves[0].Waves);  // nothing else changes
  // The picture is resampled, not cropped: the far corner keeps the far corner's colour.
  const uint32_t corner = project.Picture->Pixel(799, 599);
  EXPECT_NEAR(static_cast<int>(RedOf(corner)), 1023 & 0xFF, 8);
  EXPECT_NEAR(static_cast<int>(GreenOf(corner)), 767 & 0xFF, 8);
}

// Stored amplitudes and jitters at the ends of the int32 range saturate when scaled up
// (INT32_MAX scaled by 1.25 became INT32_MIN).
TEST(Project, ResizeSaturatesHugeAmplitudesAndJitters) {
  TempFolder folder;
  ScenePackage p = HarbourPackage();
  p.Waves[0].Amplitude = INT32_MAX, p.Waves[0].Jitter = INT32_MIN;
  p.Waves[1].Amplitude = INT32_MIN, p.Waves[1].Jitter = INT32_MAX;
  TProject project;
  ASSERT_TRUE(project.LoadFromFile(WritePackage(folder, "h.kxp", p)));
  project.Resize(false, project.Picture->Width() * 2, project.Picture->Height() * 2);
  EXPECT_EQ(project.WaveParam(0)->Amplitude, INT32_MAX);
  EXPECT_EQ(project.WaveParam(0)->Jitter, INT32_MIN);
  EXPECT_EQ(project.WaveParam(1)->Amplitude, INT32_MIN);
  EXPECT_EQ(project.WaveParam(1)->Jitter, INT32_MAX);
}

TEST(Project, ResizeOfATallPictureKeepsTheHeight) {
  TempFolder folder;
  TProject project;
  ASSERT_TRUE(project.LoadFromFile(WritePackage(folder, "tall.kxp", SmallPackage(800, 1200))));
  project.Resize(true, 1280, 1024);
  EXPECT_EQ(project.Picture->Width(), 683);  // 1024 * 2 / 3 = 682.67
  EXPECT_EQ(project.Picture->Height(), 1024);
}

TEST(Project, ResizeOfAnEmptySceneChangesNothing) {
  TProject project;
  project.WaveParam(0)->Amplitude = 6;
  project.Resize(true, 1280, 1024);
  project.Resize(false, 0, 0);
  EXPECT_TRUE(project.Picture->Empty());
  EXPECT_EQ(project.WaveParam(0)->Amplitude, 6);
}

TEST(Project, LoadThumbnailReadsTheHeaderOnly) {
  TempFolder folder;
  ScenePackage p = SmallPackage();
  p.Title = "Cove";
  std::vector<uint8_t> bytes = WriteScenePackage(p);
  bytes.resize(8 + 4 + 4 + 4 + 11 + 4 + p.ThumbnailJpeg.size());  // "Cove", "second text", thumbnail
  const std::string path = folder.Write("cove.kxp", bytes);
  RecordingMessageBox box;
  TProject project(&box);
  ASSERT_TRUE(project.LoadThumbnail(path));
  EXPECT_EQ(project.Title, "Cove");
  EXPECT_EQ(project.FileName, path);
  EXPECT_EQ(project.Thumbnail->Width(), 4);
  EXPECT_EQ(project.Thumbnail->Height(), 3);
  EXPECT_TRUE(box.shown.empty());
}

TEST(Project, LoadThumbnailOfADamagedPackageShowsTheFileAndTheMessage) {
  TempFolder folder;
  RecordingMessageBox box;
  TProject project(&box);
  ASSERT_TRUE(project.LoadThumbnail(WritePackage(folder, "good.kxp", SmallPackage())));

  ScenePackage p = SmallPackage();
  p.Title = "Damaged";
  std::vector<uint8_t> bytes = WriteScenePackage(p);
  bytes.resize(8 + 4 + 7 + 4 + 11 + 4 + 10);  // the thumbnail is cut after 10 bytes
  const std::string path = folder.Write("damaged.kxp", bytes);
  EXPECT_FALSE(project.LoadThumbnail(path));
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(box.shown[0].text, "File: " + path + "\r\n" + project.LastError());
  EXPECT_NE(project.LastError(), "");
  EXPECT_TRUE(project.Thumbnail->Empty());
  // The title of the package read before stays, as the thumbnail grid shows it.
  EXPECT_EQ(project.Title, "Harbour");

  // A file that cannot be opened is reported the same way.
  EXPECT_FALSE(project.LoadThumbnail(folder.File("none.kxp")));
  ASSERT_EQ(box.shown.size(), 2u);
  EXPECT_EQ(box.shown[1].text.rfind("File: " + folder.File("none.kxp") + "\r\n", 0), 0u);
}

}  // namespace
}  // namespace kx
