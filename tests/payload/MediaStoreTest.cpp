#include "payload/MediaStore.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "payload/Container.h"
#include "payload/ExtractPayload.h"
#include "payload/Marker.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

// The process store opened on a media container of its own (marker at offset 0), extracting
// into a folder of the test.
class MediaStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { folder = out.path(); }
  void TearDown() override { ProcessMediaStore().Close(); }

  bool Open(const std::string& containerBytes, const std::vector<std::string>& names) {
    WriteText(src / "media.res", containerBytes);
    return ProcessMediaStore().Open(src / "media.res", 0, names, folder);
  }
  std::vector<std::string> Present() const {
    auto names = ListDirectory(folder);
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir src;
  TempDir out;
  std::string folder;
};

TEST_F(MediaStoreTest, WritesAMemberOnlyWhenAskedAndReleasesIt) {
  ASSERT_TRUE(Open(ContainerBytes({"AAA", "BBBB", ""}), {"a.jpg", "b.wav", "empty.jpg"}));
  EXPECT_TRUE(Present().empty());
  EXPECT_EQ(ProcessMediaStore().FileCount(), 3u);

  ASSERT_TRUE(MediaFileExists(folder + "b.wav"));
  EXPECT_EQ(ReadText(folder + "b.wav"), "BBBB");
  EXPECT_EQ(Present(), std::vector<std::string>{"b.wav"});  // no temporary file stays behind
  ASSERT_TRUE(MediaFileExists(folder + "empty.jpg"));       // a member of size 0: an empty file
  EXPECT_EQ(ReadText(folder + "empty.jpg"), "");
  EXPECT_EQ(ProcessMediaStore().EnsureFile("a.jpg"), folder + "a.jpg");
  EXPECT_EQ(ProcessMediaStore().AvailableFiles(),
            (std::vector<std::string>{folder + "a.jpg", folder + "b.wav", folder + "empty.jpg"}));

  ReleaseMediaFile(folder + "b.wav");
  EXPECT_FALSE(FileExists(folder + "b.wav"));
  ASSERT_TRUE(MediaFileExists(folder + "b.wav"));  // written anew when it is wanted again
  EXPECT_EQ(ReadText(folder + "b.wav"), "BBBB");

  // A file that was removed behind the store's back is written again too.
  DeleteFileNoFollow(folder + "a.jpg");
  EXPECT_TRUE(MediaFileExists(folder + "a.jpg"));
  EXPECT_EQ(ReadText(folder + "a.jpg"), "AAA");
}

TEST_F(MediaStoreTest, PathsThatAreNoMemberPassThrough) {
  ASSERT_TRUE(Open(ContainerBytes({"A"}), {"a.jpg"}));
  WriteText(src / "own.jpg", "mine");
  const struct {
    const char* name;
    std::string path;
    bool exists;
  } cases[] = {
      {"a file elsewhere", src / "own.jpg", true},
      {"a missing file elsewhere", src / "a.jpg", false},
      {"no such member", folder + "b.jpg", false},
      {"a member's name in a subfolder", folder + "x/a.jpg", false},
      {"climbing out", folder + "../a.jpg", false},
      {"the folder itself: only a regular file is a medium", folder, false},
  };
  for (const auto& c : cases) EXPECT_EQ(MediaFileExists(c.path), c.exists) << c.name;
  EXPECT_TRUE(Present().empty());
  ReleaseMediaFile(src / "own.jpg");  // not the store's: left alone
  EXPECT_TRUE(FileExists(src / "own.jpg"));
}

TEST_F(MediaStoreTest, ALeaseDeletesOnlyWhatItMadeAvailable) {
  ASSERT_TRUE(Open(ContainerBytes({"A", "B"}), {"a.jpg", "b.jpg"}));
  {
    const TMediaLease lease(folder + "a.jpg");
    EXPECT_TRUE(lease.Exists());
    EXPECT_EQ(ReadText(folder + "a.jpg"), "A");
    {
      const TMediaLease inner(folder + "a.jpg");  // a second reader of the same file
      EXPECT_TRUE(inner.Exists());
    }
    EXPECT_TRUE(FileExists(folder + "a.jpg"));  // still held by the outer lease
  }
  EXPECT_FALSE(FileExists(folder + "a.jpg"));

  // A file the show keeps outlives a lease on it; released while leased, it goes with the lease.
  ASSERT_TRUE(MediaFileExists(folder + "b.jpg"));
  { const TMediaLease lease(folder + "b.jpg"); }
  EXPECT_TRUE(FileExists(folder + "b.jpg"));
  {
    const TMediaLease lease(folder + "b.jpg");
    ReleaseMediaFile(folder + "b.jpg");
    EXPECT_TRUE(FileExists(folder + "b.jpg"));
  }
  EXPECT_FALSE(FileExists(folder + "b.jpg"));

  const TMediaLease missing(folder + "c.jpg");
  EXPECT_FALSE(missing.Exists());
}

TEST_F(MediaStoreTest, DamagedContainersKeepTheExtractionRules) {
  // Sizes: "abc" (3), then a member that claims 10 bytes and has 4 before the file ends.
  std::string truncated = ContainerBytes({"abc"});
  truncated[kMarkerSize] = 3;  // three members declared
  AppendInt32(truncated, 10);
  truncated += "wxyz";
  std::string negative = ContainerBytes({"abc", "def"});
  negative.replace(kMarkerSize + 4 + 4 + 3, 4, std::string("\xff\xff\xff\xff", 4));

  const struct {
    const char* name;
    std::string bytes;
    std::vector<std::string> names;
    std::vector<std::pair<std::string, std::string>> found;  // name, content ("<none>": absent)
  } cases[] = {
      {"a member cut short keeps its bytes and ends the container", truncated, {"a", "b", "c"},
       {{"a", "abc"}, {"b", "wxyz"}, {"c", "<none>"}}},
      {"a negative size ends the container", negative, {"a", "b"}, {{"a", "abc"}, {"b", "<none>"}}},
      {"an unsafe name is never indexed", ContainerBytes({"1", "2", "3"}), {"..", "KXC.res", "ok"},
       {{"..", "<none>"}, {"KXC.res", "<none>"}, {"ok", "3"}}},
      {"more members than names", ContainerBytes({"1", "2"}), {"one"}, {{"one", "1"}}},
      {"a later member with the same name wins", ContainerBytes({"first", "second", "other"}),
       {"sea.jpg", "sea.jpg", "x"}, {{"sea.jpg", "second"}}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Open(c.bytes, c.names)) << c.name;
    for (const auto& [name, content] : c.found) {
      const std::string path = folder + name;
      EXPECT_EQ(ProcessMediaStore().EnsurePath(path) ? ReadText(path) : "<none>", content) << c.name << ": " << name;
    }
    for (const auto& name : ListDirectory(folder)) RemoveTreeNoFollow(folder + name);
  }
  WriteText(src / "plain", "no container here");
  EXPECT_FALSE(ProcessMediaStore().Open(src / "plain", 0, {"a"}, folder));
  EXPECT_FALSE(MediaFileExists(folder + "a"));
}

TEST_F(MediaStoreTest, APlantedLinkIsReplacedNotWrittenThrough) {
  ASSERT_TRUE(Open(ContainerBytes({"payload bytes"}), {"a.jpg"}));
  TempDir outside;
  WriteText(outside / "victim", "untouched");
  ASSERT_EQ(symlink((outside / "victim").c_str(), (folder + "a.jpg").c_str()), 0);
  ASSERT_EQ(symlink((outside / "victim2").c_str(), (folder + "KXpart~1.tmp").c_str()), 0);
  ASSERT_TRUE(MediaFileExists(folder + "a.jpg"));
  EXPECT_EQ(ReadText(folder + "a.jpg"), "payload bytes");
  EXPECT_EQ(ReadText(outside / "victim"), "untouched");
  EXPECT_FALSE(FileExists(outside / "victim2"));
}

TEST_F(MediaStoreTest, AFolderThatCannotBeWrittenFindsNothing) {
  ASSERT_TRUE(Open(ContainerBytes({"A"}), {"a.jpg"}));
  RemoveTreeNoFollow(folder);
  EXPECT_FALSE(MediaFileExists(folder + "a.jpg"));
  EXPECT_FALSE(FileExists(folder));
}

TEST_F(MediaStoreTest, ThreadsAskingAtOnceGetWholeFiles) {
  // Members large enough that copies overlap; every thread asks for every file.
  std::vector<std::string> members, names;
  for (int i = 0; i < 6; ++i) {
    members.push_back(std::string(300000 + i, static_cast<char>('a' + i)));
    names.push_back("m" + std::to_string(i) + ".png");
  }
  ASSERT_TRUE(Open(ContainerBytes(members), names));
  std::vector<std::thread> threads;
  std::vector<int> failures(8, 0);
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 6; ++i) {
          const int k = (i + t) % 6;
          if (!MediaFileExists(folder + names[k])) ++failures[t];
          if (t % 2 == 1) {
            const TMediaLease lease(folder + names[k]);
            if (!lease.Exists()) ++failures[t];
          }
        }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(8, 0));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ReadText(folder + names[i]), members[i]) << names[i];
  auto expected = names;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Present(), expected);
}

// The clean-up at the end of a run removes what was made available on demand, and nothing is
// written after it.
TEST(MediaStoreCleanUpTest, RemoveExtractedFilesTakesTheMediaMadeAvailable) {
  TempDir tmp, exeDir;
  const std::string payload = ContainerBytes({ContainerBytes({"[FileList]\r\na.jpg=1\r\n", "", ""}),
                                              "C:\\x\\a.jpg\r\nsnd.wav\r\n", ContainerBytes({"A", "S"}), "skin"});
  WriteText(exeDir / "Sea.scr", std::string(2000, 'e') + payload);
  const SaverFolders folders{tmp.path(), exeDir / "Sea.scr", 77};
  TKXCProject project;
  const std::string f = ExtractPayload(project, folders);
  ASSERT_TRUE(MediaFileExists(project.FileList.Names.at(0)));
  ASSERT_TRUE(MediaFileExists(f + "snd.wav"));
  RemoveExtractedFiles(folders);
  EXPECT_FALSE(FileExists(f));
  EXPECT_FALSE(MediaFileExists(f + "a.jpg"));
  EXPECT_FALSE(FileExists(f));
  EXPECT_EQ(ListDirectory(tmp.path()), std::vector<std::string>{"U2Vh"});
}

}  // namespace
}  // namespace kx
