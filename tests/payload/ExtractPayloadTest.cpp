#include "payload/ExtractPayload.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "payload/Container.h"
#include "payload/MediaStore.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

const char* kFileList = "[FileListHeader]\r\nHeader=2\r\n[FileList]\r\nsea.jpg=1\r\nforest.kxp=0\r\n";
const char* kSettings = "[General]\r\nProductName=Sea\r\n[Advance]\r\nPreviewFile=C:\\build\\prev.jpg\r\n";
const char* kUi = "[UI]\r\nUIFile=C:\\build\\skin.kxu\r\n";

// A screensaver: some engine bytes followed by a payload with these media.
std::string Screensaver(const std::vector<std::string>& nameLines, const std::vector<std::string>& media,
                        int projectMembers = 3) {
  std::vector<std::string> project = {kFileList, kSettings, kUi};
  if (projectMembers == 4) project.push_back(ContainerBytes({"", ""}));
  std::string names;
  for (const auto& line : nameLines) names += line + "\r\n";
  return std::string(3000, '\x90') + ContainerBytes({ContainerBytes(project), names, ContainerBytes(media), "skin text"});
}

class ExtractPayloadTest : public ::testing::Test {
 protected:
  void Install(const std::string& bytes) {
    WriteText(exeDir / "Sea.scr", bytes);
    folders = SaverFolders{tmp.path(), exeDir / "Sea.scr", 4242};
  }
  std::string Folder() const { return tmp / "U2Vh/4242/"; }
  // What the lookups find at a path: the medium is written on the way when it is a member.
  static std::string Found(const std::string& path) { return MediaFileExists(path) ? ReadText(path) : "<none>"; }
  static std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir tmp;
  TempDir exeDir;
  SaverFolders folders;
  TKXCProject project;
};

TEST_F(ExtractPayloadTest, ExtractsMembersMediaAndLoadsTheProject) {
  Install(Screensaver({"C:\\pics\\sea.jpg", "D:forest.kxp", "C:\\build\\prev.jpg"}, {"JPEG", "KXP", "PREV"}, 4));
  const std::string f = ExtractPayload(project, folders);
  ASSERT_EQ(f, Folder());
  // Only the small members are written at start; each medium when it is first asked for.
  EXPECT_EQ(Sorted(ListDirectory(f)), (std::vector<std::string>{"KXC.res", "KXFilenames.res", "KXGUI.kxu"}));
  EXPECT_EQ(ReadText(f + "KXGUI.kxu"), "skin text");
  EXPECT_EQ(Found(f + "forest.kxp"), "KXP");
  EXPECT_FALSE(FileExists(f + "sea.jpg"));
  EXPECT_EQ(Found(f + "sea.jpg"), "JPEG");
  EXPECT_EQ(Found(f + "prev.jpg"), "PREV");
  EXPECT_EQ(project.FileList.Names, (std::vector<std::string>{f + "sea.jpg", f + "forest.kxp"}));
  EXPECT_EQ(project.FileList.Flags, (std::vector<std::string>{"TRUE", "FALSE"}));
  EXPECT_EQ(project.Setting.ProductName, "Sea");
  EXPECT_EQ(project.Setting.PreviewFile, f + "prev.jpg");
  EXPECT_EQ(project.UI.UIFile, f + "KXGUI.kxu");
  for (int i = 1; i <= 4; ++i) EXPECT_FALSE(FileExists(f + "KXtest~" + std::to_string(i) + ".tmp"));
  EXPECT_FALSE(FileExists(tmp / "KXtest~1.tmp"));

  RemoveExtractedFiles(folders);
  EXPECT_FALSE(FileExists(Folder()));
  EXPECT_FALSE(MediaFileExists(f + "sea.jpg"));  // nothing is written after the clean-up
  EXPECT_FALSE(FileExists(Folder()));
  EXPECT_TRUE(FileExists(tmp / "U2Vh"));  // the root goes with the end-of-run clean-up
  CleanSaverTempRoot(folders);
  EXPECT_FALSE(FileExists(tmp / "U2Vh"));
}

TEST_F(ExtractPayloadTest, HostileNamesNeverWriteOutsideTheExtractionFolder) {
  struct Case {
    const char* line;
    const char* written;  // file name in the extraction folder, or "" for nothing written
  };
  const Case cases[] = {
      {"..", ""},
      {".", ""},
      {"", ""},
      {"C:\\pics\\", ""},
      {"../../escape.jpg", "escape.jpg"},
      {"/etc/passwd", "passwd"},
      {"C:\\x\\..", ""},
      {"a/b\\c:d.jpg", "d.jpg"},
      {"KXFiles.res", ""},
      {"KXC.res", ""},
      {"last.jpg", "last.jpg"},
  };
  std::vector<std::string> lines, media;
  for (size_t i = 0; i < std::size(cases); ++i) {
    lines.push_back(cases[i].line);
    media.push_back("member " + std::to_string(i));
  }
  Install(Screensaver(lines, media));
  const std::string f = ExtractPayload(project, folders);
  ASSERT_FALSE(f.empty());
  // Every way of asking: the line as it stands, in the folder and as a path of its own, and
  // the file name part that the extraction would have written.
  for (size_t i = 0; i < std::size(cases); ++i) {
    MediaFileExists(f + cases[i].line);
    MediaFileExists(cases[i].line);
    MediaFileExists(f + FileNamePart(cases[i].line));
  }
  std::vector<std::string> expected = {"KXC.res", "KXFilenames.res", "KXGUI.kxu"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    if (*cases[i].written == '\0') continue;
    expected.push_back(cases[i].written);
    EXPECT_EQ(ReadText(f + cases[i].written), "member " + std::to_string(i)) << cases[i].line;
  }
  EXPECT_EQ(Sorted(ListDirectory(f)), Sorted(expected));
  EXPECT_EQ(ListDirectory(tmp.path()), std::vector<std::string>{"U2Vh"});
  EXPECT_EQ(ListDirectory(tmp / "U2Vh"), std::vector<std::string>{"4242"});
}

TEST_F(ExtractPayloadTest, TheLaterOfTwoEqualFileNamesWins) {
  Install(Screensaver({"C:\\a\\sea.jpg", "C:\\b\\sea.jpg"}, {"first", "second"}));
  const std::string f = ExtractPayload(project, folders);
  EXPECT_EQ(Found(f + "sea.jpg"), "second");
}

TEST_F(ExtractPayloadTest, MoreMembersThanNamesWritesOnlyTheNamedOnes) {
  Install(Screensaver({"one.jpg"}, {"1", "2", "3"}));
  const std::string f = ExtractPayload(project, folders);
  EXPECT_EQ(Found(f + "one.jpg"), "1");
  EXPECT_EQ(ListDirectory(f).size(), 4u);
}

TEST_F(ExtractPayloadTest, WithoutPayloadNothingIsLoaded) {
  Install(std::string(5000, 'e'));
  const std::string f = ExtractPayload(project, folders);
  EXPECT_TRUE(project.FileList.Names.empty());
  EXPECT_EQ(project.Setting.ProductName, "My Screensaver");
  EXPECT_TRUE(ListDirectory(f).empty());
  RemoveExtractedFiles(folders);
  EXPECT_FALSE(FileExists(f));
}

TEST_F(ExtractPayloadTest, APlantedTemporaryLinkIsNotFollowed) {
  Install(Screensaver({"sea.jpg"}, {"x"}));
  TempDir outside;
  ASSERT_FALSE(GetExtractionFolder(folders).empty());
  symlink((outside / "victim").c_str(), (Folder() + "KXtest~2.tmp").c_str());
  symlink((outside / "victim2").c_str(), (Folder() + "KXC.res").c_str());
  ExtractPayload(project, folders);
  EXPECT_FALSE(FileExists(outside / "victim"));
  EXPECT_FALSE(FileExists(outside / "victim2"));
  EXPECT_EQ(project.Setting.ProductName, "Sea");
}

}  // namespace
}  // namespace kx
