#include "scene/FileLoader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SceneFixtures.h"
#include "scene/SceneError.h"

namespace kx {
namespace {

using testing::JpegOf;
using testing::SmallPackage;
using testing::TempFolder;

// Eight wave records that differ from each other and from the defaults in every field.
std::vector<TWaveParam> DistinctWaves(int count = kWaveParamCount) {
  std::vector<TWaveParam> waves;
  for (int k = 0; k < count; ++k) {
    TWaveParam w;
    w.Amplitude = 10 + k;
    w.Waves = 20 + k;
    w.Speed = 30 + k;
    w.Style = k % 6;
    w.Sway = static_cast<uint8_t>(k & 1);
    w.Animated = static_cast<uint8_t>((k >> 1) & 1);
    w.Perspective = static_cast<uint8_t>((k >> 2) & 1);
    w.Period = 100 + k;
    w.Jitter = k;
    w.Reserved28 = static_cast<uint8_t>(k);
    w.Reflection = static_cast<uint8_t>(k == 3);
    waves.push_back(w);
  }
  return waves;
}

ScenePackage FullPackage() {
  ScenePackage p = SmallPackage();
  p.Waves = DistinctWaves();
  p.MaskCodes = {16, 12, 1001, 921};  // 100 pixels of region 1, then 92 of region 1
  p.LegacySound = "surf.wav";
  p.Weather = {kWeatherRain, 300, 12, 80, 15, 7};
  for (int i = 0; i < 3; ++i) {
    p.Sounds[i].SetFileName("sound" + std::to_string(i) + ".wav");
    p.Sounds[i].Mode = i;
    p.Sounds[i].MinTime = 5 + i;
    p.Sounds[i].MaxTime = 50 + i;
  }
  p.ObjectList = "[Obj0]\r\nObjType=TXT\r\nText=YWJj\r\n";
  p.BuilderSettings = "[BuildScr],Filename=a.scr,MusicFile=,Music=1,Sound=0";
  return p;
}

// The size of a package up to the end of field 10.
size_t SizeThroughWeather(ScenePackage p) {
  p.WriteLaterFields = false;
  return WriteScenePackage(p).size();
}

SceneError::Kind LoadFailure(const std::string& path) {
  TFileLoader loader;
  try {
    loader.LoadFromFile(path);
  } catch (const SceneError& e) {
    return e.kind();
  }
  ADD_FAILURE() << "loading " << path << " did not fail";
  return SceneError::Kind::InOut;
}

TEST(FileLoader, CompletePackageIsConsumedToItsLastByte) {
  TempFolder folder;
  const ScenePackage p = FullPackage();
  const std::vector<uint8_t> bytes = WriteScenePackage(p);
  const std::string path = folder.Write("full.kxp", bytes);

  TFileLoader loader;
  loader.LoadFromFile(path);
  EXPECT_EQ(loader.BytesRead(), static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(loader.FileSize(), static_cast<int64_t>(bytes.size()));
  EXPECT_FALSE(loader.EndedAfterWeather());
  EXPECT_EQ(loader.MoreWaveCount(), 4);

  EXPECT_EQ(loader.Title(), "Harbour");
  EXPECT_EQ(loader.ExtraText(), "second text");
  EXPECT_EQ(loader.Thumbnail().Width(), 4);
  EXPECT_EQ(loader.Thumbnail().Height(), 3);
  EXPECT_EQ(loader.Picture().Width(), 16);
  EXPECT_EQ(loader.Picture().Height(), 12);
  for (int k = 0; k < kWaveParamCount; ++k) EXPECT_EQ(loader.WaveParams()[k], p.Waves[k]) << k;
  EXPECT_EQ(loader.MaskCodes(), p.MaskCodes);
  EXPECT_EQ(loader.LegacySound(), "surf.wav");
  EXPECT_EQ(loader.Weather(), p.Weather);
  EXPECT_EQ(loader.Sounds(), p.Sounds);
  EXPECT_EQ(loader.ObjectList(), p.ObjectList);
  EXPECT_EQ(loader.BuilderSettings(), p.BuilderSettings);

  // The hand-over gives the same values to a project's parts.
  std::array<TWaveParam, kWaveParamCount> waves;
  std::array<TWaveParam*, kWaveParamCount> targets;
  for (int k = 0; k < kWaveParamCount; ++k) targets[k] = &waves[k];
  loader.AssignWaveParams(targets);
  for (int k = 0; k < kWaveParamCount; ++k) EXPECT_EQ(waves[k], p.Waves[k]) << k;
  Bitmap32 mask;
  loader.AssignWaterMask(mask);
  EXPECT_EQ(mask, Bitmap32(16, 12, 0x000000FFu));
}

TEST(FileLoader, RecordsAreLaidOutByteForByte) {
  // One wave record, one weather record and one sound slot at known offsets of the file.
  TempFolder folder;
  ScenePackage p = FullPackage();
  p.Title = "";
  p.ExtraText = "";
  const std::vector<uint8_t> bytes = WriteScenePackage(p);
  const size_t wave3 = 8 + 4 + 4 + 4 + p.ThumbnailJpeg.size() + 4 + 3 * kWaveRecordSize;
  const uint8_t expectedWave3[kWaveRecordSize] = {13, 0, 0, 0, 23, 0, 0, 0, 33, 0, 0, 0, 3, 0, 0, 0,
                                                  1,  1, 0, 0, 103, 0, 0, 0, 3, 0, 0, 0, 3, 1, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + wave3, bytes.begin() + wave3 + 32),
            std::vector<uint8_t>(expectedWave3, expectedWave3 + 32));
  const size_t weather = SizeThroughWeather(p) - kWeatherRecordSize;
  EXPECT_EQ(bytes[weather], 2);       // Kind rain
  EXPECT_EQ(bytes[weather + 4], 44);  // Count 300 = 0x12C
  EXPECT_EQ(bytes[weather + 5], 1);
  EXPECT_EQ(bytes[weather + 20], 7);  // Opacity
  const size_t slot1 = weather + kWeatherRecordSize + kSoundSlotSize;
  EXPECT_EQ(bytes[slot1], 10);  // "sound1.wav"
  EXPECT_EQ(std::string(bytes.begin() + slot1 + 1, bytes.begin() + slot1 + 11), "sound1.wav");
  EXPECT_EQ(bytes[slot1 + 256], 1);  // Mode
  EXPECT_EQ(bytes[slot1 + 260], 6);  // MinTime
  EXPECT_EQ(bytes[slot1 + 264], 51);  // MaxTime
}

TEST(FileLoader, EveryByteOfAWrongMagicIsRejected) {
  TempFolder folder;
  const std::vector<uint8_t> good = WriteScenePackage(SmallPackage());
  for (int i = 0; i < kScenePackageMagicSize; ++i) {
    std::vector<uint8_t> bytes = good;
    // Letters change case; digits become the next digit.
    const char c = static_cast<char>(bytes[i]);
    bytes[i] = static_cast<uint8_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : (c == '9' ? '0' : c + 1));
    const std::string path = folder.Write("magic" + std::to_string(i) + ".kxp", bytes);
    TFileLoader loader;
    try {
      loader.LoadFromFile(path);
      ADD_FAILURE() << "byte " << i << " accepted";
    } catch (const SceneError& e) {
      EXPECT_EQ(e.kind(), SceneError::Kind::WrongMagic) << i;
      EXPECT_STREQ(e.what(), "Incorrect Project File!") << i;
    }
  }
  // All in lower case.
  std::vector<uint8_t> lower = good;
  lower[0] = 'k';
  lower[1] = 'x';
  EXPECT_EQ(LoadFailure(folder.Write("lower.kxp", lower)), SceneError::Kind::WrongMagic);
}

TEST(FileLoader, FileThatEndsAfterTheWeatherRecordLoadsCompletely) {
  TempFolder folder;
  ScenePackage p = FullPackage();
  p.WriteLaterFields = false;
  const std::vector<uint8_t> bytes = WriteScenePackage(p);
  TFileLoader loader;
  loader.LoadFromFile(folder.Write("old.kxp", bytes));
  EXPECT_TRUE(loader.EndedAfterWeather());
  EXPECT_EQ(loader.BytesRead(), static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(loader.Weather(), p.Weather);
  for (const auto& slot : loader.Sounds()) EXPECT_TRUE(slot.Empty());
  EXPECT_EQ(loader.ObjectList(), "");
  EXPECT_EQ(loader.BuilderSettings(), "");
  for (int k = 0; k < 4; ++k) EXPECT_EQ(loader.WaveParams()[k], p.Waves[k]);
  for (int k = 4; k < 8; ++k) EXPECT_EQ(loader.WaveParams()[k], TWaveParam::Defaults());
}

TEST(FileLoader, FileCutAnywhereBeforeTheEndOfTheWeatherRecordIsAnInputOutputError) {
  TempFolder folder;
  const ScenePackage p = FullPackage();
  const std::vector<uint8_t> bytes = WriteScenePackage(p);
  const size_t end = SizeThroughWeather(p);
  for (size_t length = 0; length < end; ++length) {
    const std::string path =
        folder.Write("cut.kxp", std::vector<uint8_t>(bytes.begin(), bytes.begin() + length));
    ASSERT_EQ(LoadFailure(path), SceneError::Kind::InOut) << "cut at " << length;
  }
}

TEST(FileLoader, FaultsAfterTheWeatherRecordOnlyStopReading) {
  TempFolder folder;
  const ScenePackage p = FullPackage();
  const std::vector<uint8_t> bytes = WriteScenePackage(p);
  const size_t slots = SizeThroughWeather(p);
  const size_t objects = slots + kSoundSlotCount * kSoundSlotSize;
  const size_t moreWaves = bytes.size() - 4 - 4 * kWaveRecordSize;

  struct Case {
    const char* name;
    size_t length;
    int slotsRead;
    bool objectsRead;
    int moreWavesRead;
  };
  const Case cases[] = {
      {"cut inside slot 2", slots + 2 * kSoundSlotSize + 100, 2, false, 0},
      {"cut inside the object list", objects + 6, 8, false, 0},
      {"cut before m", moreWaves, 8, true, 0},
      {"cut inside record 6", moreWaves + 4 + 2 * kWaveRecordSize + 31, 8, true, 2},
  };
  for (const auto& c : cases) {
    TFileLoader loader;
    ASSERT_NO_THROW(loader.LoadFromFile(folder.Write(
        "cut.kxp", std::vector<uint8_t>(bytes.begin(), bytes.begin() + c.length))))
        << c.name;
    EXPECT_FALSE(loader.EndedAfterWeather()) << c.name;
    for (int i = 0; i < kSoundSlotCount; ++i) {
      EXPECT_EQ(loader.Sounds()[i], i < c.slotsRead ? p.Sounds[i] : TSoundSlot{}) << c.name << i;
    }
    EXPECT_EQ(loader.ObjectList(), c.objectsRead ? p.ObjectList : "") << c.name;
    EXPECT_EQ(loader.BuilderSettings(), c.objectsRead ? p.BuilderSettings : "") << c.name;
    for (int k = 4; k < 8; ++k) {
      EXPECT_EQ(loader.WaveParams()[k], k - 4 < c.moreWavesRead ? p.Waves[k] : TWaveParam::Defaults())
          << c.name << k;
    }
  }
}

TEST(FileLoader, FieldFourteenFillsAtMostTheEightWaveRecords) {
  TempFolder folder;
  for (int m : {0, 2, 4, 6}) {
    ScenePackage p = FullPackage();
    p.Waves = DistinctWaves(4 + m);
    const std::vector<uint8_t> bytes = WriteScenePackage(p);
    TFileLoader loader;
    loader.LoadFromFile(folder.Write("m.kxp", bytes));
    EXPECT_EQ(loader.MoreWaveCount(), m);
    for (int k = 0; k < kWaveParamCount; ++k) {
      EXPECT_EQ(loader.WaveParams()[k], k < 4 + m ? p.Waves[k] : TWaveParam::Defaults())
          << "m " << m << " record " << k;
    }
    // Records past the eighth are left unread.
    const int64_t unread = m > 4 ? int64_t{m - 4} * kWaveRecordSize : 0;
    EXPECT_EQ(loader.BytesRead(), static_cast<int64_t>(bytes.size()) - unread) << m;
  }
}

TEST(FileLoader, ImpossibleCountsAreInputOutputErrorsNotAllocations) {
  TempFolder folder;
  const ScenePackage p = FullPackage();
  const std::vector<uint8_t> good = WriteScenePackage(p);
  const size_t title = 8;
  const size_t mask = 8 + 4 + p.Title.size() + 4 + p.ExtraText.size() + 4 + p.ThumbnailJpeg.size() +
                      4 + 4 * kWaveRecordSize;
  struct Case {
    const char* name;
    size_t offset;
    int32_t count;
  };
  const Case cases[] = {
      {"negative title length", title, -1},
      {"title longer than the file", title, 0x7FFFFFFF},
      {"title one byte past the end", title, static_cast<int32_t>(good.size() - title - 4 + 1)},
      {"negative thumbnail size", title + 4 + p.Title.size() + 4 + p.ExtraText.size(), -1},
      {"negative mask count", mask, -5},
      {"mask count beyond the file", mask, 0x40000000},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes = good;
    WriteInt32LE(bytes.data() + c.offset, c.count);
    EXPECT_EQ(LoadFailure(folder.Write("count.kxp", bytes)), SceneError::Kind::InOut) << c.name;
  }
}

TEST(FileLoader, ThumbnailOrPictureThatIsNotAJpegFailsTheLoad) {
  TempFolder folder;
  std::vector<uint8_t> png;
  std::string error;
  ASSERT_TRUE(EncodePng(testing::GradientPicture(4, 3), png, error)) << error;
  ScenePackage badThumbnail = FullPackage();
  badThumbnail.ThumbnailJpeg = png;
  EXPECT_EQ(LoadFailure(folder.Write("t.kxp", WriteScenePackage(badThumbnail))),
            SceneError::Kind::BadPicture);

  ScenePackage cutPicture = FullPackage();
  cutPicture.PictureJpeg.resize(cutPicture.PictureJpeg.size() / 2);
  EXPECT_EQ(LoadFailure(folder.Write("p.kxp", WriteScenePackage(cutPicture))),
            SceneError::Kind::BadPicture);
}

TEST(FileLoader, MissingFileIsAnInputOutputError) {
  TempFolder folder;
  EXPECT_EQ(LoadFailure(folder.File("none.kxp")), SceneError::Kind::InOut);
}

TEST(FileLoader, HeaderReaderIgnoresTheMagicAndStopsAfterTheThumbnail) {
  TempFolder folder;
  const ScenePackage p = FullPackage();
  std::vector<uint8_t> bytes = WriteScenePackage(p);
  bytes[0] = 'Q';
  const size_t header = 8 + 4 + p.Title.size() + 4 + p.ExtraText.size() + 4 + p.ThumbnailJpeg.size();
  bytes.resize(header);  // nothing after the thumbnail
  TFileLoader loader;
  loader.LoadHeader(folder.Write("header.kxp", bytes));
  EXPECT_EQ(loader.Title(), "Harbour");
  EXPECT_EQ(loader.ExtraText(), "second text");
  EXPECT_EQ(loader.Thumbnail().Width(), 4);
  EXPECT_EQ(loader.BytesRead(), static_cast<int64_t>(header));
  EXPECT_TRUE(loader.Picture().Empty());
}

}  // namespace
}  // namespace kx
