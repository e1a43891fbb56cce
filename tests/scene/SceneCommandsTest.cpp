#include "tools/kxpack/SceneCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SceneFixtures.h"
#include "scene/FileLoader.h"
#include "scene/Project.h"
#include "scene/TextCodec.h"
#include "scene/WaterMask.h"

namespace kx {
namespace {

using testing::GradientPicture;
using testing::TempFolder;

std::vector<uint8_t> PngOf(const Bitmap32& picture) {
  std::vector<uint8_t> png;
  std::string error;
  EXPECT_TRUE(EncodePng(picture, png, error)) << error;
  return png;
}

// A 64 x 48 picture and a mask of half its size: the lower half is water, region 1 on the
// left and region 3 on the right.
void WriteMedia(const TempFolder& folder) {
  folder.Write("sea.png", PngOf(GradientPicture(64, 48)));
  Bitmap32 mask(32, 24, 0xFF000000u);
  for (int y = 12; y < 24; ++y) {
    for (int x = 0; x < 32; ++x) mask.SetPixel(x, y, x < 16 ? Rgb(0, 0, 255) : Rgb(255, 0, 0));
  }
  folder.Write("sea-mask.png", PngOf(mask));
}

const char kDescription[] =
    "; a test scene\n"
    "[Scene]\n"
    "Title=\xC3\x89tang du nord\n"  // "Étang du nord" in UTF-8
    "ExtraText=made by a test\n"
    "Picture=sea.png\n"
    "Mask=sea-mask.png\n"
    "[Wave1]\n"
    "Amplitude=9\nReflection=1\nPerspective=0\n"
    "[Wave3]\n"
    "Sway=1\nStyle=3\nJitter=4\n"
    "[Weather]\n"
    "Kind=snow\nCount=400\nSpeedIndex=12\nSizeOrWind=6\nOpacity=8\n"
    "[Sound1]\nFile=surf.wav\n"
    "[Sound2]\nFile=gulls.wav\nMode=1\nMinTime=10\nMaxTime=40\n"
    "[Obj0]\nObjType=TXT\nText=Hello\\nWorld \\\\ \xC3\xA9t\xC3\xA9\nFontSize=30\n"
    "[ObjBird]\nObjType=IMG\nFilename=bird.png\nMotion=1\n"
    "[BuildScr]\nFilename=C:\\My Shows\\Sea.scr\nSound=1\n";

TEST(SceneCommand, WritesACompletePackageThatTheProjectLoads) {
  TempFolder folder;
  WriteMedia(folder);
  const std::string description = folder.Write("sea.ini", std::string(kDescription));
  const std::string out = folder.File("sea.kxp");
  ASSERT_EQ(RunSceneCommand({description, out}), 0);

  TFileLoader loader;
  loader.LoadFromFile(out);
  EXPECT_EQ(loader.BytesRead(), loader.FileSize());  // all fourteen fields
  EXPECT_FALSE(loader.EndedAfterWeather());
  EXPECT_EQ(loader.MoreWaveCount(), 4);

  TProject project;
  ASSERT_TRUE(project.LoadFromFile(out)) << project.LastError();
  EXPECT_EQ(project.Title, "\xC9tang du nord");  // Latin-1
  EXPECT_EQ(project.ExtraText, "made by a test");
  EXPECT_EQ(project.Picture->Width(), 64);
  EXPECT_EQ(project.Picture->Height(), 48);
  EXPECT_EQ(project.Thumbnail->Width(), 64);  // fits into 160 x 120 already
  ASSERT_EQ(project.WaterMask->Width(), 64);
  EXPECT_EQ(project.WaterMask->Pixel(10, 23), 0u);
  EXPECT_EQ(project.WaterMask->Pixel(31, 24), MaskPixelOfRegion(1));
  EXPECT_EQ(project.WaterMask->Pixel(32, 47), MaskPixelOfRegion(3));

  TWaveParam wave1 = TWaveParam::Defaults();
  wave1.Amplitude = 9;
  wave1.Reflection = 1;
  wave1.Perspective = 0;
  TWaveParam wave3 = TWaveParam::Defaults();
  wave3.Sway = 1;
  wave3.Style = 3;
  wave3.Jitter = 4;
  EXPECT_EQ(*project.WaveParam(0), wave1);
  EXPECT_EQ(*project.WaveParam(1), TWaveParam::Defaults());
  EXPECT_EQ(*project.WaveParam(2), wave3);
  for (int k = 3; k < 8; ++k) EXPECT_EQ(*project.WaveParam(k), TWaveParam::Defaults()) << k;

  EXPECT_EQ(*project.Weather, (TWeatherParam{kWeatherSnow, 400, 12, 6, 0, 8}));
  EXPECT_EQ(project.SoundCount(), 2);
  EXPECT_EQ(project.Sounds[0].FileName(), "surf.wav");
  EXPECT_EQ(project.Sounds[0].Mode, kSoundLooped);
  EXPECT_EQ(project.Sounds[1].FileName(), "gulls.wav");
  EXPECT_EQ(project.Sounds[1].Mode, kSoundRandomInterval);
  EXPECT_EQ(project.Sounds[1].MaxTime, 40);

  const std::string encoded = EncodeObjectText("Hello\r\nWorld \\ \xE9t\xE9");
  EXPECT_EQ(project.ObjectListText,
            "[Obj0]\r\nObjType=TXT\r\nText=" + encoded + "\r\nFontSize=30\r\n\r\n"
            "[Obj1]\r\nObjType=IMG\r\nFilename=bird.png\r\nMotion=1\r\n\r\n");
  EXPECT_EQ(project.ExtraInfo->ScrFileName, "C:\\My Shows\\Sea.scr");
  EXPECT_TRUE(project.ExtraInfo->ScrSound);
  EXPECT_FALSE(project.ExtraInfo->ExeSound);  // as the builder writes it
}

TEST(SceneCommand, JpegPictureIsStoredAsItIsAndAThumbnailIsMadeFromIt) {
  TempFolder folder;
  const std::vector<uint8_t> jpeg = testing::JpegOf(GradientPicture(400, 200), 75);
  folder.Write("wide.jpg", jpeg);
  const std::string description =
      folder.Write("wide.ini", std::string("[Scene]\nTitle=Wide\nPicture=wide.jpg\nMask=none\n"));
  ScenePackage package;
  std::string error;
  ASSERT_TRUE(BuildScenePackageFromDescription(description, package, error)) << error;
  EXPECT_EQ(package.PictureJpeg, jpeg);
  EXPECT_EQ(package.MaskCodes, (std::vector<int32_t>{400, 200}));
  Bitmap32 thumbnail;
  ASSERT_TRUE(DecodePicture(package.ThumbnailJpeg, thumbnail, error)) << error;
  EXPECT_EQ(thumbnail.Width(), 160);  // 400 x 200 fitted into 160 x 120
  EXPECT_EQ(thumbnail.Height(), 80);
  EXPECT_EQ(package.BuilderSettings, kDefaultBuilderSettings);
  EXPECT_EQ(package.Waves.size(), 8u);
}

TEST(SceneCommand, FaultsOfTheDescriptionAreNamed) {
  TempFolder folder;
  WriteMedia(folder);
  Bitmap32 grey(8, 8, Rgb(128, 128, 128));
  folder.Write("grey.png", PngOf(grey));
  struct Case {
    const char* name;
    std::string text;
    std::string expected;  // part of the error
  };
  const std::string scene = "[Scene]\nPicture=sea.png\n";
  const Case cases[] = {
      {"no scene section", "[Wave1]\nAmplitude=3\n", "no [Scene] section"},
      {"no picture", "[Scene]\nTitle=x\n", "Picture is missing"},
      {"missing picture file", "[Scene]\nPicture=gone.png\n", "gone.png"},
      {"unknown section", scene + "[Wav1]\n", "[Wav1] unknown section"},
      {"unknown key", scene + "[Wave1]\nAmplitud=3\n", "unknown key \"Amplitud\""},
      {"style out of range", scene + "[Wave2]\nStyle=7\n", "[Wave2] Style=7"},
      {"boolean that is not 0 or 1", scene + "[Wave1]\nSway=yes\n", "Sway=yes"},
      {"mask colour outside the table", "[Scene]\nPicture=sea.png\nMask=grey.png\n", "#808080"},
      {"sound slots with a gap", scene + "[Sound2]\nFile=a.wav\n", "Sound1 is missing"},
      {"object type in lower case", scene + "[Obj0]\nObjType=txt\n", "ObjType must be TXT"},
      {"title beyond Latin-1", "[Scene]\nPicture=sea.png\nTitle=\xE2\x82\xAC\n", "Title"},
      {"weather kind unknown", scene + "[Weather]\nKind=hail\n", "Kind=hail"},
  };
  for (const auto& c : cases) {
    const std::string description = folder.Write("bad.ini", c.text);
    ScenePackage package;
    std::string error;
    EXPECT_FALSE(BuildScenePackageFromDescription(description, package, error)) << c.name;
    EXPECT_NE(error.find(c.expected), std::string::npos) << c.name << ": " << error;
    EXPECT_EQ(error.rfind(description, 0), 0u) << c.name << ": the error names the file";
  }
  EXPECT_EQ(RunSceneCommand({folder.File("bad.ini")}), 2);
  EXPECT_EQ(RunSceneCommand({folder.File("none.ini"), folder.File("x.kxp")}), 1);
}

TEST(InspectScene, DescribesEveryField) {
  TempFolder folder;
  WriteMedia(folder);
  const std::string description = folder.Write("sea.ini", std::string(kDescription));
  const std::string out = folder.File("sea.kxp");
  ASSERT_EQ(RunSceneCommand({description, out}), 0);

  nlohmann::ordered_json j;
  std::string error;
  ASSERT_TRUE(InspectScenePackage(out, j, error)) << error;
  EXPECT_EQ(j["title"], "\xC3\x89tang du nord");
  EXPECT_EQ(j["extraText"], "made by a test");
  EXPECT_EQ(j["thumbnail"]["width"], 64);
  EXPECT_EQ(j["picture"]["height"], 48);
  EXPECT_EQ(j["mask"]["width"], 64);
  EXPECT_EQ(j["mask"]["height"], 48);
  EXPECT_EQ(j["mask"]["regionPixels"]["1"], 32 * 24);
  EXPECT_EQ(j["mask"]["regionPixels"]["2"], 0);
  EXPECT_EQ(j["mask"]["regionPixels"]["3"], 32 * 24);
  EXPECT_EQ(j["mask"]["landPixels"], 64 * 24);
  EXPECT_EQ(j["mask"]["overflows"], false);
  ASSERT_EQ(j["waves"].size(), 8u);
  EXPECT_EQ(j["waves"][0]["Amplitude"], 9);
  EXPECT_EQ(j["waves"][0]["Reflection"], 1);
  EXPECT_EQ(j["waves"][2]["Style"], 3);
  EXPECT_EQ(j["waves"][7]["Period"], 360);
  EXPECT_EQ(j["weather"]["Kind"], 1);
  EXPECT_EQ(j["weather"]["Opacity"], 8);
  ASSERT_EQ(j["sounds"].size(), 2u);
  EXPECT_EQ(j["sounds"][1]["file"], "gulls.wav");
  EXPECT_EQ(j["sounds"][1]["MinTime"], 10);
  ASSERT_EQ(j["objectTexts"].size(), 1u);
  EXPECT_EQ(j["objectTexts"][0]["text"], "Hello\r\nWorld \\ \xC3\xA9t\xC3\xA9");
  EXPECT_NE(j["objectList"].get<std::string>().find("[Obj1]"), std::string::npos);
  EXPECT_EQ(j["extraInfo"]["ScrFileName"], "C:\\My Shows\\Sea.scr");
  EXPECT_EQ(j["endedAfterField10"], false);
  EXPECT_EQ(j["moreWaveRecords"], 4);
  EXPECT_EQ(j["bytesRead"], j["fileSize"]);
  EXPECT_NO_THROW(j.dump());  // every text is valid UTF-8
}

TEST(InspectScene, TellsAnOldPackageAndAnOverflowingMask) {
  TempFolder folder;
  ScenePackage p = testing::SmallPackage(4, 2);
  p.WriteLaterFields = false;
  p.MaskCodes = {4, 2, 51, 42};  // 9 pixels for 8
  const std::string path = folder.Write("old.kxp", WriteScenePackage(p));
  nlohmann::ordered_json j;
  std::string error;
  ASSERT_TRUE(InspectScenePackage(path, j, error)) << error;
  EXPECT_EQ(j["endedAfterField10"], true);
  EXPECT_TRUE(j["moreWaveRecords"].is_null());
  EXPECT_TRUE(j["sounds"].empty());
  EXPECT_EQ(j["mask"]["coveredPixels"], 9);
  EXPECT_EQ(j["mask"]["overflows"], true);
  EXPECT_EQ(j["mask"]["regionPixels"]["1"], 5);
  EXPECT_EQ(j["mask"]["regionPixels"]["2"], 3);

  p.Magic = "kx060697";
  const std::string bad = folder.Write("bad.kxp", WriteScenePackage(p));
  EXPECT_FALSE(InspectScenePackage(bad, j, error));
  EXPECT_EQ(error, bad + ": Incorrect Project File!");
}

}  // namespace
}  // namespace kx
