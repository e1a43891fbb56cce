#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "payload/Container.h"
#include "tests/support/TestSupport.h"
#include "tools/kxpack/BuildCommand.h"
#include "tools/kxpack/InstallCommand.h"
#include "tools/kxpack/InstallFiles.h"
#include "tools/kxpack/InstallProgramsList.h"

namespace kx {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

// A system list as the daemon's app-defaults write it: tabs, disabled and GL entries, one
// entry per continued line, the last without a continuation.
const char kAppDefaults[] =
    "! comment\n"
    "*fade:\t\tTrue\n"
    "*programs:\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
    "-\t\t\t\tnoseguy --root\t\t\t\t    \\n\\\n"
    "\t\t\t\txmatrix --root\t\t\t\t    \\n\n"
    "\n*errorFont: sans-serif bold 18\n";

const std::vector<std::string> kSystemEntries = {"maze --root", "- GL: \t\t\t\tsuperquadrics --root",
                                                 "-\t\t\t\tnoseguy --root", "xmatrix --root"};

// A user's file as xscreensaver writes it, with settings before and after the list.
const char kUserFile[] =
    "# XScreenSaver Preferences File\n"
    "timeout:\t0:10:00\n"
    "mode:\t\trandom\n"
    "programs:\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "  \"Own Thing\" /home/u/bin/own --root \\n\\\n"
    "-\t\t\t\tnoseguy --root\t\t\t\t    \\n\\n\n"
    "\n"
    "pointerHysteresis: 10\n";

const std::string kSaver = "/home/u/.local/share/kxsaver/sea-life";

TEST(InstallNameTest, FileNamesBecomeDaemonNames) {
  struct Case {
    const char* file;
    const char* name;
  } cases[] = {
      {"Sea Life.scr", "sea-life"},
      {"/some/where/Demo.scr", "demo"},
      {"My_Saver-2.final.scr", "my_saver-2"},
      {"Ski\xc3\xa9s (1).scr", "ski--s--1-"},  // every byte of a non-ASCII letter becomes '-'
      {"noext", "noext"},
      {".hidden.scr", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SaverNameFromFile(c.file), c.name) << c.file;
    EXPECT_EQ(IsValidSaverName(c.name), c.name[0] != '\0') << c.name;
  }
  for (const char* bad : {"Sea", "sea life", "../x", "a/b", "sea.scr", ""}) EXPECT_FALSE(IsValidSaverName(bad)) << bad;
}

TEST(ProgramsListTest, SystemListKeepsEveryEntryInOrder) {
  EXPECT_EQ(SystemProgramEntries(kAppDefaults), kSystemEntries);
  EXPECT_TRUE(SystemProgramEntries("*fade: True\n").empty());
}

TEST(ProgramsListTest, EntryCommandWordSkipsFlagsVisualAndLabel) {
  struct Case {
    const char* entry;
    const char* word;
  } cases[] = {
      {"maze --root", "maze"},
      {"- GL: \t\tsuperquadrics --root", "superquadrics"},
      {"\"Sea Life\" /a/sea-life --root", "/a/sea-life"},
      {"-  \"Sea: Life\" '/my dir/sea-life' --root --no-music", "/my dir/sea-life"},
      {"default: \"X\" /a/b", "/a/b"},
  };
  for (const auto& c : cases) EXPECT_EQ(EntryCommandWord(c.entry), c.word) << c.entry;
}

TEST(ProgramsListTest, ProgramsEntryQuotesForTheShellAndRefusesWhatCannotBeCarried) {
  std::string entry;
  ASSERT_TRUE(ProgramsEntry("Sea \"Life\"", "/home/u/sea-life", entry));
  EXPECT_EQ(entry, "\"Sea 'Life'\" /home/u/sea-life --root");
  ASSERT_TRUE(ProgramsEntry("Sea", "/home/my files/sea;x", entry));
  EXPECT_EQ(entry, "\"Sea\" '/home/my files/sea;x' --root");
  EXPECT_EQ(EntryCommandWord(entry), "/home/my files/sea;x");
  for (const char* bad : {"/home/o'neil/s", "/a\\b/s", "/a\nb/s"}) EXPECT_FALSE(ProgramsEntry("Sea", bad, entry)) << bad;
}

std::string Edit(const std::string& text, const std::string& entry) {
  std::string out, error;
  EXPECT_TRUE(EditProgramsList(text, kSaver, entry, kSystemEntries, out, error)) << error;
  return out;
}

const std::string kOurs = "\"Sea Life\" " + kSaver + " --root";

TEST(ProgramsListTest, InstallAddsOneLineFirstAndKeepsEverythingElse) {
  const std::string installed = Edit(kUserFile, kOurs);
  std::string expected = kUserFile;
  const std::string header = "programs:\t\t\t\t\t\t\t      \\\n";
  expected.insert(expected.find(header) + header.size(), "  " + kOurs + " \\n\\\n");
  EXPECT_EQ(installed, expected);

  // Installing again replaces the line; removing it gives the file back byte for byte.
  EXPECT_EQ(Edit(installed, "\"Sea Life 2\" " + kSaver + " --root"),
            std::string(expected).replace(expected.find("Sea Life"), 8, "Sea Life 2"));
  EXPECT_EQ(Edit(installed, ""), kUserFile);
  EXPECT_EQ(Edit(kUserFile, ""), kUserFile);
}

TEST(ProgramsListTest, WithoutAListTheSystemListFollowsOurs) {
  for (const std::string& before : {std::string(), std::string("timeout: 0:05:00\nlock: False")}) {
    const std::string out = Edit(before, kOurs);
    EXPECT_EQ(out.substr(0, before.size()), before);
    std::vector<std::string> expected = {kOurs};
    expected.insert(expected.end(), kSystemEntries.begin(), kSystemEntries.end());
    EXPECT_EQ(SystemProgramEntries(out), expected) << out;
    EXPECT_EQ(out.substr(out.size() - 3), "\\n\n") << "the list must not continue past the file";
  }
  std::string out, error;
  ASSERT_TRUE(EditProgramsList("", kSaver, kOurs, {}, out, error));
  EXPECT_EQ(SystemProgramEntries(out), std::vector<std::string>{kOurs});
}

TEST(ProgramsListTest, ListsOfOtherShapes) {
  struct Case {
    const char* name;
    std::string before;
    std::string entry;
    std::string after;
  } cases[] = {
      {"one line list gains a continuation", "programs: maze --root\nx: 1\n", kOurs,
       "programs:\t\\\n  " + kOurs + " \\n\\\n  maze --root\nx: 1\n"},
      {"empty list", "programs:\nx: 1\n", kOurs, "programs:\t\\\n  " + kOurs + " \\n\nx: 1\n"},
      {"ours last: the line before stops continuing",
       "programs: \\\n maze --root \\n\\\n \"S\" " + kSaver + " --root \\n\nx: 1\n", "",
       "programs: \\\n maze --root \\n\nx: 1\n"},
      {"ours disabled and on the key's line", "programs: - \"S\" " + kSaver + " --root \\n\\\n maze --root\n", "",
       "programs:\t\\\n maze --root\n"},
      {"a neighbour with a longer path stays", "programs: \\\n \"T\" " + kSaver + "2 --root \\n\n", "",
       "programs: \\\n \"T\" " + kSaver + "2 --root \\n\n"},
      {"two of ours on one line with another", "programs: \\\n \"S\" " + kSaver + " \\n maze \\n \"S\" " + kSaver + " -x \\n\n", "",
       "programs: \\\n  maze \\n\n"},
      {"a comment that looks like a list is left alone", "# programs: \"S\" " + kSaver + "\n", "",
       "# programs: \"S\" " + kSaver + "\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Edit(c.before, c.entry), c.after) << c.name;
}

TEST(ProgramsListTest, DamagedFilesAreRefused) {
  const std::string cases[] = {std::string("programs: maze\0 x\n", 17), "timeout: 1\nprograms: \\\n maze \\n\\",
                               std::string((9 << 20), 'x')};
  for (const auto& text : cases) {
    std::string out = "untouched", error;
    EXPECT_FALSE(EditProgramsList(text, kSaver, kOurs, kSystemEntries, out, error));
    EXPECT_FALSE(error.empty());
  }
}

// Finished screensavers and files that are not, made with kxpack's own builder.
class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(src / "engine", std::string("\x7f" "ELF fake engine", 15));
    WriteText(src / "pic.jpg", "picture");
    WriteText(src / "app-defaults", kAppDefaults);
    places = {home.path() + "home", home.path() + "data", src / "app-defaults"};
    mkdir(places.home.c_str(), 0755);
  }
  std::string Saver(const std::string& fileName, const std::string& productName) {
    WriteText(src / "m.ini", "[Items]\npic.jpg\n[General]\nProductName=" + productName + "\n");
    PackageManifest manifest;
    std::string error;
    EXPECT_TRUE(LoadManifest(src / "m.ini", src / "engine", manifest, error)) << error;
    EXPECT_TRUE(BuildScreensaver(manifest, src / fileName, error)) << error;
    return src / fileName;
  }
  std::string ListPath() const { return places.home + "/.xscreensaver"; }
  TempDir src;
  TempDir home;
  TempDir prefix;
  UserPlaces places;
};

TEST_F(InstallTest, ProductNameComesFromThePayload) {
  std::string name, error;
  ASSERT_TRUE(ReadSaverProductName(Saver("Sea Life.scr", "Sea & <Life>"), name, error)) << error;
  EXPECT_EQ(name, "Sea & <Life>");
  ASSERT_TRUE(ReadSaverProductName(Saver("Latin.scr", "Caf\xe9"), name, error)) << error;
  EXPECT_EQ(name, "Caf\xc3\xa9");  // not UTF-8: read as Latin-1
}

TEST_F(InstallTest, FilesThatAreNotFinishedScreensaversAreRefused) {
  const std::string good = ReadText(Saver("Good.scr", "Good"));
  WriteText(src / "text", "just text");
  WriteText(src / "engine-only", "\x7f" "ELF engine only");
  WriteText(src / "cut", good.substr(0, good.size() - 3));
  WriteText(src / "two", std::string("\x7f" "ELF", 4) + ContainerBytes({"a", "b"}));
  WriteText(src / "no-elf", "MZ" + good.substr(4));
  for (const char* file : {"text", "engine-only", "cut", "two", "no-elf", "missing"}) {
    std::string name, error;
    EXPECT_FALSE(ReadSaverProductName(src / file, name, error)) << file;
    EXPECT_NE(error.find(src / file), std::string::npos) << error;
    EXPECT_FALSE(InstallToPrefix(src / file, "x", prefix.path(), "", error)) << file;
    EXPECT_FALSE(InstallForUser(src / file, "x", places, error)) << file;
  }
  EXPECT_TRUE(ListDirectory(prefix.path()).empty());
  EXPECT_FALSE(FileExists(ListPath()));
  EXPECT_FALSE(FileExists(places.dataHome));
}

TEST_F(InstallTest, PrefixLayoutWithAValidDesktopEntry) {
  const std::string saver = Saver("Sea Life.scr", "Sea Life");
  std::string error;
  ASSERT_TRUE(InstallToPrefix(saver, "sea-life", prefix / "usr", "", error)) << error;
  const PrefixPaths p = PrefixLayout(prefix / "usr", "sea-life");
  EXPECT_EQ(p.saver, prefix / "usr/libexec/xscreensaver/sea-life");
  EXPECT_EQ(ReadText(p.saver), ReadText(saver));
  struct stat st;
  ASSERT_EQ(stat(p.saver.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);

  const std::string xml = ReadText(p.panel);
  EXPECT_NE(xml.find("<screensaver name=\"sea-life\" _label=\"Sea Life\">"), std::string::npos);
  EXPECT_NE(xml.find("<command arg=\"--root\"/>"), std::string::npos);
  EXPECT_NE(xml.find(p.saver + " /C"), std::string::npos);
  // Every per-run option of the engine can be set from the panel.
  for (const char* option : {"\"--duration %\"", "\"--transition-time %\"", "\"--no-transitions\"", "\"--clock\"",
                             "\"--no-clock\"", "\"--music\"", "\"--no-music\"", "\"--sounds\"", "\"--no-sounds\""})
    EXPECT_NE(xml.find(option), std::string::npos) << option;

  const std::string desktop = ReadText(p.desktop);
  EXPECT_NE(desktop.find("\nExec=" + p.saver + " --root\n"), std::string::npos) << desktop;
  EXPECT_NE(desktop.find("\nTryExec=" + p.saver + "\n"), std::string::npos);
  EXPECT_NE(desktop.find("\nCategories=Screensaver;\n"), std::string::npos);
  EXPECT_EQ(std::system(("desktop-file-validate --no-hints '" + p.desktop + "'").c_str()), 0);

  ASSERT_TRUE(UninstallFromPrefix("sea-life", prefix / "usr", "", error)) << error;
  for (const auto& path : {p.saver, p.panel, p.desktop}) EXPECT_FALSE(FileExists(path)) << path;
  EXPECT_FALSE(UninstallFromPrefix("sea-life", prefix / "usr", "", error));
  EXPECT_NE(error.find("sea-life"), std::string::npos);
}

TEST_F(InstallTest, OddNamesStayValidInTheInstalledTexts) {
  const std::string saver = Saver("Odd.scr", "Sea \"50%\" <&> \\ Life");
  std::string error;
  ASSERT_TRUE(InstallToPrefix(saver, "odd", prefix / "my dir$", "", error)) << error;
  const PrefixPaths p = PrefixLayout(prefix / "my dir$", "odd");
  EXPECT_EQ(std::system(("desktop-file-validate --no-hints '" + p.desktop + "'").c_str()), 0);
  const std::string desktop = ReadText(p.desktop);
  EXPECT_NE(desktop.find("Exec=\"" + prefix.path() + "my dir\\\\$/libexec/xscreensaver/odd\" --root"), std::string::npos)
      << desktop;
  EXPECT_NE(desktop.find("Name=Sea \"50%\" <&> \\\\ Life\n"), std::string::npos) << desktop;
  EXPECT_NE(ReadText(p.panel).find("_label=\"Sea &quot;50%&quot; &lt;&amp;&gt; \\ Life\""), std::string::npos);
}

TEST_F(InstallTest, DestdirStagesFilesThatNameTheFinalPrefix) {
  std::string error;
  ASSERT_TRUE(InstallToPrefix(Saver("Sea.scr", "Sea"), "sea", "/usr", prefix / "stage", error)) << error;
  const PrefixPaths staged = PrefixLayout(prefix / "stage/usr", "sea");
  EXPECT_TRUE(FileExists(staged.saver));
  EXPECT_NE(ReadText(staged.desktop).find("\nExec=/usr/libexec/xscreensaver/sea --root\n"), std::string::npos);
  EXPECT_NE(ReadText(staged.panel).find("/usr/libexec/xscreensaver/sea /C"), std::string::npos);
}

TEST_F(InstallTest, AnUnwritablePrefixIsReportedAndNothingIsLeft) {
  WriteText(prefix / "file", "in the way");  // a file where a folder must go fails even for root
  std::string error;
  EXPECT_FALSE(InstallToPrefix(Saver("Sea.scr", "Sea"), "sea", prefix / "file/usr", "", error));
  EXPECT_NE(error.find(prefix / "file"), std::string::npos) << error;
  EXPECT_EQ(ReadText(prefix / "file"), "in the way");
}

TEST_F(InstallTest, UserInstallKeepsTheFileAndReplacesOurLine) {
  WriteText(ListPath(), kUserFile);
  chmod(ListPath().c_str(), 0600);
  std::string error;
  ASSERT_TRUE(InstallForUser(Saver("Sea Life.scr", "Sea Life"), "sea-life", places, error)) << error;
  const std::string installed = places.dataHome + "/kxsaver/sea-life";
  EXPECT_EQ(ReadText(installed), ReadText(src / "Sea Life.scr"));
  EXPECT_EQ(ReadText(ListPath() + ".kxpack-backup"), kUserFile);
  std::string expected;
  ASSERT_TRUE(EditProgramsList(kUserFile, installed, "\"Sea Life\" " + installed + " --root", {}, expected, error));
  EXPECT_EQ(ReadText(ListPath()), expected);
  struct stat st;
  ASSERT_EQ(stat(ListPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  ASSERT_TRUE(InstallForUser(Saver("Sea Life.scr", "Sea Life"), "sea-life", places, error)) << error;
  EXPECT_EQ(ReadText(ListPath()), expected);

  ASSERT_TRUE(UninstallForUser("sea-life", places, error)) << error;
  EXPECT_EQ(ReadText(ListPath()), kUserFile);
  EXPECT_FALSE(FileExists(installed));
  EXPECT_FALSE(UninstallForUser("sea-life", places, error));
  EXPECT_NE(error.find("sea-life"), std::string::npos);
}

TEST_F(InstallTest, UserInstallWithoutAFileKeepsTheSystemList) {
  std::string error;
  ASSERT_TRUE(InstallForUser(Saver("Sea.scr", "Sea"), "sea", places, error)) << error;
  std::vector<std::string> expected = {"\"Sea\" " + places.dataHome + "/kxsaver/sea --root"};
  expected.insert(expected.end(), kSystemEntries.begin(), kSystemEntries.end());
  EXPECT_EQ(SystemProgramEntries(ReadText(ListPath())), expected);
  EXPECT_FALSE(FileExists(ListPath() + ".kxpack-backup"));
}

TEST_F(InstallTest, ALinkedFileStaysALink) {
  WriteText(home / "dotfiles-xscreensaver", kUserFile);
  ASSERT_EQ(symlink((home / "dotfiles-xscreensaver").c_str(), ListPath().c_str()), 0);
  std::string error;
  ASSERT_TRUE(InstallForUser(Saver("Sea.scr", "Sea"), "sea", places, error)) << error;
  struct stat st;
  ASSERT_EQ(lstat(ListPath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_NE(ReadText(home / "dotfiles-xscreensaver").find("\"Sea\" "), std::string::npos);
}

TEST_F(InstallTest, DamagedOrUnreadableListFilesAreLeftAlone) {
  const std::string saver = Saver("Sea.scr", "Sea");
  const std::string damaged = "timeout: 1\nprograms: \\\n maze \\n\\";
  WriteText(ListPath(), damaged);
  std::string error;
  EXPECT_FALSE(InstallForUser(saver, "sea", places, error));
  EXPECT_NE(error.find(ListPath()), std::string::npos) << error;
  EXPECT_EQ(ReadText(ListPath()), damaged);
  EXPECT_FALSE(FileExists(places.dataHome + "/kxsaver/sea"));
  EXPECT_FALSE(FileExists(ListPath() + ".kxpack-backup"));

  unlink(ListPath().c_str());
  mkdir(ListPath().c_str(), 0755);  // a folder in its place: unreadable as a file, even for root
  EXPECT_FALSE(InstallForUser(saver, "sea", places, error));
  EXPECT_NE(error.find(ListPath()), std::string::npos) << error;
  EXPECT_FALSE(UninstallForUser("sea", places, error));
  EXPECT_FALSE(FileExists(places.dataHome + "/kxsaver/sea"));
}

// The command as a user runs it: names, the environment and exit codes.
TEST_F(InstallTest, CommandLine) {
  const std::string saver = Saver("Sea Life.scr", "Sea Life");
  setenv("HOME", places.home.c_str(), 1);
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(RunInstallCommand({saver, "--user"}), 0);
  EXPECT_TRUE(FileExists(places.home + "/.local/share/kxsaver/sea-life"));
  setenv("XDG_DATA_HOME", "relative/ignored", 1);
  EXPECT_EQ(RunUninstallCommand({"sea-life", "--user"}), 0);
  EXPECT_FALSE(FileExists(places.home + "/.local/share/kxsaver/sea-life"));
  unsetenv("XDG_DATA_HOME");

  EXPECT_EQ(RunInstallCommand({saver, "--name", "Sea", "--prefix", prefix.path()}), 1);
  EXPECT_EQ(RunInstallCommand({src / ".scr", "--prefix", prefix.path()}), 1);
  EXPECT_EQ(RunInstallCommand({saver, "--name", "sea", "--prefix", prefix.path()}), 0);
  EXPECT_TRUE(FileExists(prefix / "libexec/xscreensaver/sea"));
  EXPECT_EQ(RunUninstallCommand({"sea", "--prefix", prefix.path()}), 0);
  for (const std::vector<std::string>& usage :
       {std::vector<std::string>{saver}, {saver, "--user", "--prefix", "/x"}, {saver, "--user", "--destdir", "/x"},
        {saver, "--prefix"}, {saver, "--bogus", "--user"}})
    EXPECT_EQ(RunInstallCommand(usage), 2);
  EXPECT_EQ(RunUninstallCommand({"sea", "--name", "x", "--user"}), 2);
}

}  // namespace
}  // namespace kx
