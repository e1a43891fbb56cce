// The scene document: the history of strokes and settings, and saving and opening packages
// (read back by the packaging tool's inspector and by the engine's own reader).
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "imaging/PictureCodec.h"
#include "kxscene/SceneDocument.h"
#include "scene/Project.h"
#include "scene/WaterMask.h"
#include "tests/support/TestSupport.h"
#include "tools/kxpack/SceneCommands.h"

namespace kx::kxscene {
namespace {

using test::TempDir;

Bitmap32 Gradient(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, Rgb(x * 255 / w, y * 255 / h, 128));
  return b;
}

TEST(SceneDocument, APhotoIsFittedWithinFullHdKeepingItsAspect) {
  struct Case {
    int w, h, fitW, fitH;
  } cases[] = {{640, 480, 640, 480}, {3840, 2160, 1920, 1080}, {1000, 2000, 540, 1080}, {4000, 1000, 1920, 480}};
  for (const Case& c : cases) {
    SceneDocument doc;
    std::string error;
    ASSERT_TRUE(doc.NewFromPicture(Gradient(c.w, c.h), error)) << error;
    EXPECT_EQ(doc.Picture().Width(), c.fitW) << c.w << "x" << c.h;
    EXPECT_EQ(doc.Picture().Height(), c.fitH) << c.w << "x" << c.h;
    EXPECT_EQ(doc.Mask().Width(), c.fitW);
    EXPECT_EQ(CountRegions(doc.Mask())[0], int64_t(c.fitW) * c.fitH);
    EXPECT_TRUE(doc.Modified());
  }
}

TEST(SceneDocument, UndoTakesBackWholeStrokesAndSettingsAndRedoPutsThemBack) {
  SceneDocument doc;
  std::string error;
  ASSERT_TRUE(doc.NewFromPicture(Gradient(80, 60), error));
  const Bitmap32 empty = doc.Mask();
  // One stroke of three segments, then a fill, then a settings edit.
  doc.EditMask([](Bitmap32& m) { return PaintDisc(m, {10, 10}, 4, 1); });
  doc.EditMask([](Bitmap32& m) { return PaintStroke(m, {10, 10}, {30, 12}, 4, 1); });
  doc.EditMask([](Bitmap32& m) { return PaintStroke(m, {30, 12}, {40, 30}, 4, 1); });
  doc.EndStroke();
  const Bitmap32 afterStroke = doc.Mask();
  doc.EditMask([](Bitmap32& m) { return FillBelowLine(m, {0, 45}, {80, 50}, 2); });
  doc.EndStroke();
  const Bitmap32 afterFill = doc.Mask();
  SceneSettings s = doc.Settings();
  s.waves[1].Amplitude = 14;
  doc.SetSettings(s);

  doc.Undo();
  EXPECT_EQ(doc.Settings().waves[1].Amplitude, 6);
  EXPECT_EQ(doc.Mask(), afterFill);
  doc.Undo();
  EXPECT_EQ(doc.Mask(), afterStroke);
  doc.Undo();
  EXPECT_EQ(doc.Mask(), empty) << "the three segments are one step";
  EXPECT_FALSE(doc.CanUndo());
  doc.Redo();
  doc.Redo();
  EXPECT_EQ(doc.Mask(), afterFill);
  // A new step drops what was undone.
  doc.EditMask([](Bitmap32& m) { return PaintDisc(m, {70, 10}, 3, 3); });
  doc.EndStroke();
  EXPECT_FALSE(doc.CanRedo());
  // A stroke that changes nothing is no step.
  doc.EditMask([](Bitmap32& m) { return PaintDisc(m, {70, 10}, 3, 3); });
  doc.EndStroke();
  doc.Undo();
  EXPECT_EQ(doc.Mask(), afterFill);
}

TEST(SceneDocument, SaveIsReadBackByTheInspectorTheEngineAndOpen) {
  TempDir dir;
  SceneDocument doc;
  std::string error;
  ASSERT_TRUE(doc.NewFromPicture(Gradient(96, 64), error));
  doc.EditMask([](Bitmap32& m) { return FillBelowLine(m, {0, 40}, {96, 40}, 1); });
  doc.EndStroke();
  doc.EditMask([](Bitmap32& m) { return PaintDisc(m, {20, 10}, 5, 3); });
  doc.EndStroke();
  const std::vector<int64_t> counts = CountRegions(doc.Mask());
  SceneSettings s = doc.Settings();
  s.title = "Lake \xE9t\xE9";
  s.waves[0].Amplitude = 11;
  s.waves[0].Reflection = 1;
  s.waves[2].Style = 4;
  s.weather = {kWeatherRain, 300, 12, 80, 15, 7};
  s.sounds[0].SetFileName("surf.wav");
  s.sounds[0].Mode = kSoundRandomInterval;
  s.sounds[0].MinTime = 5;
  s.sounds[0].MaxTime = 9;
  s.objects.push_back(NewSceneObject("TXT", 40, 20));
  s.objects.back().SetText("Hello\r\nlake");
  doc.SetSettings(s);
  const std::string path = dir / "lake.kxp";
  ASSERT_TRUE(doc.Save(path, error)) << error;
  EXPECT_FALSE(doc.Modified());

  nlohmann::ordered_json info;
  ASSERT_TRUE(InspectScenePackage(path, info, error)) << error;
  const std::string text = info.dump();
  EXPECT_NE(text.find("\"Lake \xC3\xA9t\xC3\xA9\""), std::string::npos) << text;
  EXPECT_NE(text.find(std::to_string(counts[1])), std::string::npos) << "region 1 pixel count " << counts[1] << ": " << text;
  EXPECT_NE(text.find(std::to_string(counts[3])), std::string::npos) << text;
  EXPECT_NE(text.find("Hello"), std::string::npos) << text;

  TProject project;
  ASSERT_TRUE(project.LoadFromFile(path)) << project.LastError();
  EXPECT_EQ(*project.WaterMask, doc.Mask());
  EXPECT_EQ(*project.WaveParams[0], s.waves[0]);
  EXPECT_EQ(*project.Weather, s.weather);
  EXPECT_EQ(project.Sounds[0], s.sounds[0]);

  SceneDocument opened;
  ASSERT_TRUE(opened.Open(path, error)) << error;
  EXPECT_EQ(opened.Mask(), doc.Mask());
  EXPECT_EQ(opened.Settings(), doc.Settings());
  EXPECT_EQ(opened.Picture(), doc.Picture()) << "the stored JPEG is kept, not encoded again";
  EXPECT_FALSE(opened.Modified());
  // Saving the opened scene again gives the same bytes.
  EXPECT_EQ(opened.PackageBytes(error), doc.PackageBytes(error));
}

TEST(SceneDocument, FailuresSayWhyAndLoseNothingOnDisk) {
  TempDir dir;
  std::string error;
  SceneDocument doc;
  test::WriteText(dir / "notes.jpg", "not a picture");
  EXPECT_FALSE(doc.NewFromPhoto(dir / "notes.jpg", error));
  EXPECT_FALSE(error.empty());
  test::WriteText(dir / "bad.kxp", "KX060698 and then nothing");
  error.clear();
  EXPECT_FALSE(doc.Open(dir / "bad.kxp", error));
  EXPECT_NE(error.find("Incorrect Project File!"), std::string::npos) << error;

  // A scene cut short before its picture.
  ASSERT_TRUE(doc.NewFromPicture(Gradient(32, 24), error));
  const std::string good = dir / "good.kxp";
  ASSERT_TRUE(doc.Save(good, error));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(good, bytes, error));
  bytes.resize(bytes.size() / 3);
  ASSERT_TRUE(WriteWholeFile(dir / "cut.kxp", bytes, error));
  SceneDocument other;
  EXPECT_FALSE(other.Open(dir / "cut.kxp", error));
  EXPECT_FALSE(other.HasPicture());

  // A save that cannot be written leaves the file that was there: here the temporary file
  // cannot be made, because a folder of its name is in the way (this fails for root too).
  const std::string target = dir / "scene.kxp";
  ASSERT_TRUE(doc.Save(target, error));
  std::vector<uint8_t> before;
  ASSERT_TRUE(ReadWholeFile(target, before, error));
  std::filesystem::create_directory(target + ".saving-" + std::to_string(getpid()));
  SceneSettings s = doc.Settings();
  s.title = "changed";
  doc.SetSettings(s);
  error.clear();
  EXPECT_FALSE(doc.Save(target, error));
  EXPECT_NE(error.find(target), std::string::npos) << error;
  std::vector<uint8_t> after;
  ASSERT_TRUE(ReadWholeFile(target, after, error));
  EXPECT_EQ(after, before);
  EXPECT_TRUE(doc.Modified());
  EXPECT_FALSE(doc.Save(dir / "no/such/folder/x.kxp", error));
}

}  // namespace
}  // namespace kx::kxscene
