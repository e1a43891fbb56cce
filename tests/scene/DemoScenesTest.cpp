// The demo scenes as the build packs them: media from the generator, descriptions from the
// demo folder, packages from the scene command, loaded by the scene project.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "SceneFixtures.h"
#include "scene/IniSections.h"
#include "scene/Project.h"
#include "scene/TextCodec.h"
#include "scene/WaterMask.h"
#include "tools/demo/scenes/SceneMedia.h"
#include "tools/kxpack/SceneCommands.h"

namespace kx {
namespace {

using testing::TempFolder;

class DemoScenes : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(demo::WriteDemoSceneMedia(folder_.Path().string(), error)) << error;
  }

  // Packs one description and loads it; the mask's pixels per region go into `regions`.
  void Load(const std::string& name, TProject& project, std::array<int64_t, 7>& regions) {
    const std::filesystem::path source =
        std::filesystem::path(KX_SOURCE_DIR) / "tools/demo/scenes" / (name + ".scene");
    const std::string description = folder_.File(name + ".scene");
    std::filesystem::copy_file(source, description, std::filesystem::copy_options::overwrite_existing);
    const std::string package = folder_.File(name + ".kxp");
    ASSERT_EQ(RunSceneCommand({description, package}), 0);
    ASSERT_TRUE(project.LoadFromFile(package)) << project.LastError();
    regions.fill(0);
    const Bitmap32& mask = *project.WaterMask;
    for (size_t i = 0; i < mask.PixelCount(); ++i) ++regions[RegionOfMaskPixel(mask.Data()[i])];
  }

  std::string ObjectText(const TProject& project) {
    return DecodeObjectText(IniSections(project.ObjectListText).ReadString("Obj0", "Text", ""));
  }

  TempFolder folder_;
};

TEST_F(DemoScenes, MirrorLakeMirrorsThePictureAboveTheLake) {
  TProject project;
  std::array<int64_t, 7> regions;
  Load("MirrorLake", project, regions);
  EXPECT_EQ(project.Title, "Mirror Lake");
  EXPECT_EQ(project.PictureWidth, demo::kSceneWidth);
  EXPECT_EQ(project.PictureHeight, demo::kSceneHeight);
  // The lake is every row from the shore down, over the whole width; nothing else is water.
  const int shore = 461;  // first row at or below 0.6 x 768
  EXPECT_EQ(regions[1], int64_t{demo::kSceneWidth} * (demo::kSceneHeight - shore));
  EXPECT_EQ(regions[0], int64_t{demo::kSceneWidth} * shore);
  EXPECT_EQ(project.WaterMask->Pixel(0, shore - 1), 0u);
  EXPECT_EQ(project.WaterMask->Pixel(1023, shore), MaskPixelOfRegion(1));
  // Every lake row has a mirror row inside the picture (2 x 461 - 767 - 1 >= 0).
  EXPECT_GE(2 * shore - demo::kSceneHeight, 0);
  EXPECT_EQ(project.WaveParam(0)->Reflection, 1);
  EXPECT_EQ(project.WaveParam(0)->Sway, 0);
  EXPECT_EQ(project.Weather->Kind, kWeatherNone);
  EXPECT_EQ(ObjectText(project), "Mirror Lake");
  ASSERT_EQ(project.SoundCount(), 1);
  EXPECT_EQ(project.Sounds[0].FileName(), "birds.wav");
  EXPECT_EQ(project.Sounds[0].Mode, kSoundRandomInterval);
  EXPECT_EQ(project.Thumbnail->Width(), 160);
  EXPECT_EQ(project.Thumbnail->Height(), 120);
}

TEST_F(DemoScenes, WindyBayHasASwayingSeaWithPerspectiveAndALagoon) {
  TProject project;
  std::array<int64_t, 7> regions;
  Load("WindyBay", project, regions);
  EXPECT_EQ(project.Title, "Windy Bay");
  EXPECT_GT(regions[1], 120000);  // the open sea
  EXPECT_GT(regions[2], 10000);   // the lagoon, about pi x 123 x 31 pixels
  EXPECT_EQ(regions[3] + regions[4] + regions[5] + regions[6], 0);
  EXPECT_GT(regions[0], 300000);  // sky, headland, beach
  // The sea begins at the horizon; the sky is land.
  EXPECT_EQ(project.WaterMask->Pixel(100, 340), 0u);
  EXPECT_EQ(project.WaterMask->Pixel(100, 360), MaskPixelOfRegion(1));
  EXPECT_EQ(project.WaveParam(0)->Perspective, 1);
  EXPECT_EQ(project.WaveParam(0)->Sway, 1);
  EXPECT_EQ(project.WaveParam(0)->Reflection, 0);
  EXPECT_EQ(project.WaveParam(1)->Style, 3);
  EXPECT_EQ(project.WaveParam(1)->Jitter, 3);
  EXPECT_EQ(*project.Weather, (TWeatherParam{kWeatherRain, 350, 14, 75, 12, 6}));
  EXPECT_EQ(ObjectText(project), "Windy Bay");
  ASSERT_EQ(project.SoundCount(), 1);
  EXPECT_EQ(project.Sounds[0].FileName(), "surf.wav");
  EXPECT_EQ(project.Sounds[0].Mode, kSoundLooped);
}

}  // namespace
}  // namespace kx
