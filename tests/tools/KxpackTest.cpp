#include <gtest/gtest.h>

#include "payload/Container.h"
#include "payload/ExtractPayload.h"
#include "payload/MediaStore.h"
#include "payload/Marker.h"
#include "tests/support/TestSupport.h"
#include "tools/kxpack/BuildCommand.h"
#include "tools/kxpack/DescribeCommand.h"

namespace kx {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

class KxpackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(src / "engine", "ENGINE BYTES");
    mkdir((src / "pics").c_str(), 0700);
    WriteText(src / "pics/sea.jpg", "sea picture");
    WriteText(src / "forest.kxp", "forest scene");
    WriteText(src / "prev.jpg", "preview");
    WriteText(src / "tune.wav", "music");
    WriteText(src / "KXGUI.kxu", "skin text");
    mkdir((src / "other").c_str(), 0700);
    WriteText(src / "other/sea.jpg", "another sea");
  }
  bool Build(const std::string& manifestText, std::string& error) {
    WriteText(src / "m.ini", manifestText);
    PackageManifest manifest;
    return LoadManifest(src / "m.ini", src / "engine", manifest, error) &&
           BuildScreensaver(manifest, out / "Sea.scr", error);
  }
  TempDir src;
  TempDir out;
};

const char* kManifest =
    "[Package]\nSkin=KXGUI.kxu\nExtra=1\n"
    "[Items]\npics/sea.jpg\n; a comment\nforest.kxp\n"
    "[Media]\n"
    "[General]\nProductName=Sea Life\n"
    "[Default]\nDuration=12\nStretch=yes\n"
    "[Advance]\nPreviewFile=prev.jpg\nMusicFile=tune.wav\n";

TEST_F(KxpackTest, BuildsAScreensaverTheEngineExtracts) {
  std::string error;
  ASSERT_TRUE(Build(kManifest, error)) << error;
  const std::string scr = ReadText(out / "Sea.scr");
  EXPECT_EQ(scr.substr(0, 12), "ENGINE BYTES");

  TKXCProject project;
  SaverFolders folders{out.path(), out / "Sea.scr", 77};
  const std::string f = ExtractPayload(project, folders);
  EXPECT_EQ(project.FileList.Names, (std::vector<std::string>{f + "sea.jpg", f + "forest.kxp"}));
  EXPECT_EQ(project.FileList.Flags, (std::vector<std::string>{"TRUE", "TRUE"}));
  EXPECT_EQ(project.Setting.ProductName, "Sea Life");
  EXPECT_EQ(project.Setting.Duration, 12);
  EXPECT_TRUE(project.Setting.Stretch);
  EXPECT_EQ(project.Setting.PreviewFile, f + "prev.jpg");
  EXPECT_EQ(project.Setting.MusicFile, "tune.wav");
  // Media are written when the engine first asks for them.
  for (const char* name : {"sea.jpg", "tune.wav", "prev.jpg"}) EXPECT_TRUE(MediaFileExists(f + name)) << name;
  EXPECT_EQ(ReadText(f + "sea.jpg"), "sea picture");
  EXPECT_EQ(ReadText(f + "tune.wav"), "music");
  EXPECT_EQ(ReadText(f + "prev.jpg"), "preview");
  EXPECT_EQ(ReadText(f + "KXGUI.kxu"), "skin text");
  EXPECT_EQ(ReadText(f + "KXFilenames.res"), "pics\\sea.jpg\r\nforest.kxp\r\nprev.jpg\r\ntune.wav\r\n");
}

TEST_F(KxpackTest, InspectDescribesTheScreensaver) {
  std::string error;
  ASSERT_TRUE(Build(kManifest, error)) << error;
  nlohmann::ordered_json j;
  ASSERT_TRUE(InspectContainerFile(out / "Sea.scr", j, error)) << error;
  EXPECT_EQ(j["kind"], "screensaver");
  EXPECT_EQ(j["containerOffset"], 12);
  EXPECT_EQ(j["count"], 4);
  EXPECT_EQ(j["members"][3]["size"], 9);
  EXPECT_EQ(j["project"]["count"], 4);
  EXPECT_EQ(j["project"]["extra"]["size"], 25);
  EXPECT_EQ(j["project"]["extra"]["count"], 2);
  EXPECT_EQ(j["project"]["fileList"][1]["name"], "forest.kxp");
  EXPECT_EQ(j["project"]["settings"]["Default"]["Duration"], 12);
  EXPECT_EQ(j["project"]["settings"]["Default"]["TransitionTime"], 2000);
  EXPECT_EQ(j["project"]["ui"]["UIFile"], "KXGUI.kxu");
  EXPECT_EQ(j["nameList"].size(), 4u);
  EXPECT_EQ(j["mediaCount"], 4);
  EXPECT_EQ(j["media"][0]["name"], "sea.jpg");
  EXPECT_EQ(j["media"][0]["size"], 11);
  EXPECT_EQ(j["media"][3]["name"], "tune.wav");

  WriteText(out / "plain", "no container here");
  EXPECT_FALSE(InspectContainerFile(out / "plain", j, error));
  // An extracted member that is a container of its own.
  WriteText(out / "KXC.res", ContainerBytes({"a", "bc"}));
  ASSERT_TRUE(InspectContainerFile(out / "KXC.res", j, error));
  EXPECT_EQ(j["kind"], "container");
  EXPECT_EQ(j["members"][1]["size"], 2);
}

TEST_F(KxpackTest, RefusesBadManifests) {
  struct Case {
    const char* name;
    const char* manifest;
    const char* error;
  };
  const Case cases[] = {
      {"missing item", "[Items]\nnothere.jpg\n", "nothere.jpg: No such file or directory"},
      {"same file name twice", "[Items]\npics/sea.jpg\n[Media]\nother/sea.jpg\n", "share the name sea.jpg"},
      {"missing preview", "[Items]\nforest.kxp\n[Advance]\nPreviewFile=gone.jpg\n", "gone.jpg: No such file or directory"},
      {"missing engine", "[Package]\nEngine=noengine\n[Items]\nforest.kxp\n", "Cannot read the engine"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(Build(c.manifest, error)) << c.name;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
    EXPECT_TRUE(ListDirectory(out.path()).empty()) << c.name;
  }
}

TEST(KxpackProgram, PrintsTheMarkerInHex) {
  TempDir dir;
  const std::string command = std::string(KXPACK_PATH) + " marker > " + (dir / "hex");
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::string hex;
  for (uint8_t b : ContainerMarker()) {
    char part[3];
    std::snprintf(part, sizeof part, "%02x", b);
    hex += part;
  }
  EXPECT_EQ(ReadText(dir / "hex"), hex + "\n");
}

}  // namespace
}  // namespace kx
