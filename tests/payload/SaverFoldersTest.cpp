#include "payload/SaverFolders.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "payload/Base64.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using test::ModeBits;
using test::TempDir;
using test::WriteText;

TEST(TempRootName, IsTheBase64OfTheBaseName) {
  struct Case {
    const char* base;
    const char* expected;
  };
  const Case cases[] = {
      {"Sea", "U2Vh"},   {"abc", "YWJj"},  {"a", "YQ=="}, {"ab", "YWI="},
      {"", ""},
      {"\xC3\xA9t\xC3\xA9", "6XTp"},       // "été": one byte per UTF-16 code unit (E9 74 E9)
      {"\xE2\x82\xAC", "rA=="},            // U+20AC keeps its low byte AC
      {"\xFF", "/w=="},                    // bytes that are not UTF-8 stand for themselves...
  };
  for (const auto& c : cases) {
    std::string expected = c.expected;
    for (char& ch : expected)
      if (ch == '/') ch = '_';  // ...and a "/" of the encoding is written as "_"
    EXPECT_EQ(TempRootName(c.base), expected) << c.base;
  }
  EXPECT_EQ(Base64Encode("\xFF"), "/w==");
}

TEST(SaverFolders, DerivesBaseNameRootAndExtractionFolder) {
  struct Case {
    const char* exe;
    const char* base;
  };
  const Case cases[] = {
      {"/opt/savers/Sea.scr", "Sea"},
      {"/opt/savers/Sea.Life.scr", "Sea"},
      {"/opt/savers/NoDot", "NoDot"},
      {"/opt/my.savers/Sea.scr", "Sea"},
      {"/opt/savers/.hidden", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    SaverFolders f{"/tmp/", c.exe, 4711};
    EXPECT_EQ(f.BaseName(), c.base) << c.exe;
  }
  SaverFolders sea{"/tmp/", "/x/Sea.scr", 4711};
  EXPECT_EQ(sea.TempRoot(), "/tmp/U2Vh");
  EXPECT_EQ(sea.ExtractionFolder(), "/tmp/U2Vh/4711/");
}

TEST(LongPathName, GivesTheCanonicalPathOfAnExistingFile) {
  TempDir dir;
  WriteText(dir / "Sea.scr", "x");
  mkdir((dir / "sub").c_str(), 0700);
  symlink((dir / "Sea.scr").c_str(), (dir / "link.scr").c_str());
  const std::string canonical = LongPathName(dir / "Sea.scr");
  EXPECT_EQ(LongPathName(dir / "sub/../Sea.scr"), canonical);
  EXPECT_EQ(LongPathName(dir / "link.scr"), canonical);
  EXPECT_EQ(LongPathName(dir / "missing.scr"), "");
  EXPECT_EQ(LongPathName(dir / "*.scr"), "");
  EXPECT_EQ(LongPathName(dir / "Sea.sc?"), "");
}

TEST(GetExtractionFolder, CreatesPrivateFoldersAndRefusesPlantedLinks) {
  TempDir tmp;
  SaverFolders f{tmp.path(), "/x/Sea.scr", 4711};
  const std::string folder = GetExtractionFolder(f);
  EXPECT_EQ(folder, tmp / "U2Vh/4711/");
  EXPECT_EQ(ModeBits(tmp / "U2Vh"), 0700);
  EXPECT_EQ(ModeBits(tmp / "U2Vh/4711"), 0700);
  EXPECT_EQ(GetExtractionFolder(f), folder);  // the same path on every call

  // A root that is a link planted by someone else is not used.
  TempDir other;
  SaverFolders g{tmp.path(), "/x/Abc.scr", 4711};
  symlink(other.path().c_str(), (tmp / "QWJj").c_str());
  EXPECT_EQ(GetExtractionFolder(g), "");
  EXPECT_TRUE(ListDirectory(other.path()).empty());
}

class CleanSaverTempRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A second process of the same screensaver that is still running.
    live_ = fork();
    if (live_ == 0) {
      pause();
      _exit(0);
    }
    // A process that has ended: its id no longer runs.
    const pid_t dead = fork();
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    dead_ = dead;
  }
  void TearDown() override {
    kill(live_, SIGKILL);
    waitpid(live_, nullptr, 0);
  }
  pid_t live_ = 0;
  pid_t dead_ = 0;
};

TEST_F(CleanSaverTempRootTest, KeepsTheFoldersOfLiveRunsOnly) {
  TempDir tmp;
  TempDir outside;
  WriteText(outside / "precious", "keep me");
  const std::string root = tmp / "U2Vh";
  const SaverFolders me{tmp.path(), "/x/Sea.scr", static_cast<int>(getpid())};
  const std::string liveFolder = root + "/" + std::to_string(live_);
  const std::string deadFolder = root + "/" + std::to_string(dead_);
  const std::string ownFolder = root + "/" + std::to_string(getpid());
  for (const auto& folder : {root, liveFolder, deadFolder, ownFolder}) mkdir(folder.c_str(), 0700);
  WriteText(liveFolder + "/media.jpg", "live");
  WriteText(deadFolder + "/media.jpg", "dead");
  WriteText(ownFolder + "/old.jpg", "stale");
  WriteText(root + "/stray.txt", "x");
  symlink(outside.path().c_str(), (deadFolder + "/link").c_str());
  symlink(outside.path().c_str(), (root + "/12345678").c_str());
  WriteText(tmp / "unrelated.txt", "not ours");

  CleanSaverTempRoot(me);
  EXPECT_EQ(test::ReadText(liveFolder + "/media.jpg"), "live");
  EXPECT_FALSE(FileExists(deadFolder));
  EXPECT_FALSE(FileExists(ownFolder));
  EXPECT_FALSE(FileExists(root + "/stray.txt"));
  EXPECT_FALSE(FileExists(root + "/12345678"));
  EXPECT_EQ(test::ReadText(outside / "precious"), "keep me");  // links were not followed
  EXPECT_TRUE(FileExists(root));                                 // still holds the live run
  EXPECT_TRUE(FileExists(tmp / "unrelated.txt"));

  // Once the live run has gone, the root goes too.
  kill(live_, SIGKILL);
  waitpid(live_, nullptr, 0);
  CleanSaverTempRoot(me);
  EXPECT_FALSE(FileExists(root));
  EXPECT_TRUE(FileExists(tmp / "unrelated.txt"));
}

TEST(CleanSaverTempRoot, DoesNothingWithoutABaseName) {
  TempDir tmp;
  mkdir((tmp / "4711").c_str(), 0700);
  WriteText(tmp / "other.txt", "x");
  CleanSaverTempRoot(SaverFolders{tmp.path(), "/x/.scr", 4711});
  CleanSaverTempRoot(SaverFolders{tmp.path(), "", 4711});
  EXPECT_TRUE(FileExists(tmp / "4711"));
  EXPECT_TRUE(FileExists(tmp / "other.txt"));
}

TEST(CleanSaverTempRoot, LeavesARootThatIsALink) {
  TempDir tmp;
  TempDir outside;
  WriteText(outside / "f", "x");
  symlink(outside.path().c_str(), (tmp / "U2Vh").c_str());
  CleanSaverTempRoot(SaverFolders{tmp.path(), "/x/Sea.scr", 4711});
  EXPECT_TRUE(FileExists(outside / "f"));
}

// Numbers no process id can be are left-overs: they are removed, and reading them must not
// throw (a planted "9999999999" once made every run abort).
TEST(CleanSaverTempRoot, RemovesFoldersNamedByNumbersBeyondAnyProcessId) {
  TempDir tmp;
  const std::string root = tmp / "U2Vh";
  mkdir(root.c_str(), 0700);
  for (const char* name : {"9999999999", "2147483648", "4294967297", "0", "00000000001"})
    mkdir((root + "/" + name).c_str(), 0700);
  ASSERT_NO_THROW(CleanSaverTempRoot(SaverFolders{tmp.path(), "/x/Sea.scr", 4711}));
  EXPECT_FALSE(FileExists(root));
}

// A root that is not this user's private folder is neither used nor emptied.
TEST(SaverTempRoot, OnlyAPrivateRootOfThisUserIsUsed) {
  TempDir tmp;
  const std::string root = tmp / "U2Vh";
  const SaverFolders f{tmp.path(), "/x/Sea.scr", 4711};
  mkdir(root.c_str(), 0700);
  chmod(root.c_str(), 0777);  // others could plant files here
  WriteText(root + "/planted", "x");
  EXPECT_EQ(GetExtractionFolder(f), "");
  CleanSaverTempRoot(f);
  EXPECT_TRUE(FileExists(root + "/planted"));
  EXPECT_EQ(ModeBits(root), 0777);

  chmod(root.c_str(), 0700);
  if (geteuid() == 0) {  // only root can give a folder away
    ASSERT_EQ(chown(root.c_str(), 65534, 65534), 0);
    EXPECT_EQ(GetExtractionFolder(f), "");
    CleanSaverTempRoot(f);
    EXPECT_TRUE(FileExists(root + "/planted"));
    ASSERT_EQ(chown(root.c_str(), 0, 0), 0);
  }
  EXPECT_EQ(GetExtractionFolder(f), root + "/4711/");
}

// The temporary folder of a run is the user's own: the session's runtime folder when it is
// private, else a private per-user folder in $TMPDIR.
TEST(SaverFolders, TheTemporaryFolderIsPerUser) {
  TempDir tmp, runtime;
  const char* oldTmp = std::getenv("TMPDIR");
  const char* oldRuntime = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedTmp = oldTmp ? oldTmp : "", savedRuntime = oldRuntime ? oldRuntime : "";
  setenv("TMPDIR", tmp.path().c_str(), 1);
  setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  EXPECT_EQ(SaverFolders::ForThisProcess().tempFolder, runtime.path());

  chmod(runtime.path().c_str(), 0755);  // not private: not used
  const std::string own = tmp / ("kxsaver-" + std::to_string(geteuid()) + "/");
  EXPECT_EQ(SaverFolders::ForThisProcess().tempFolder, own);
  EXPECT_EQ(ModeBits(own), 0700);
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(SaverFolders::ForThisProcess().tempFolder, own);

  oldTmp ? setenv("TMPDIR", savedTmp.c_str(), 1) : unsetenv("TMPDIR");
  if (oldRuntime) setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
}

TEST(IsSafeMemberName, RefusesNamesThatEscapeOrClobber) {
  for (const char* bad : {"", ".", "..", "a/b", "a\\b", "C:x", "KXFiles.res", "KXC.res", "KXGUI.kxu",
                          "KXFilenames.res", "KXtest~1.tmp"})
    EXPECT_FALSE(IsSafeMemberName(bad)) << bad;
  for (const char* good : {"sea.jpg", "..a", "a..", "kxfiles.res.jpg", "with space.kxp"})
    EXPECT_TRUE(IsSafeMemberName(good)) << good;
}

}  // namespace
}  // namespace kx
