// The wallpaper on Linux desktops, with stand-in desktop tools that record how they were run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/desktop/ChildProcess.h"
#include "platform/desktop/LinuxDesktopService.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

class DesktopServiceTest : public ::testing::Test {
 protected:
  // A tool that appends its name and arguments to the log and exits with `exitCode`;
  // `script` runs before that.
  void Tool(const std::string& name, int exitCode = 0, const std::string& script = "") {
    const std::string path = dir / name;
    test::WriteText(path, "#!/bin/sh\n" + script + "\necho \"" + name + " $*\" >> '" + Log() + "'\nexit " +
                              std::to_string(exitCode) + "\n");
    chmod(path.c_str(), 0755);
  }
  std::string Log() const { return dir / "log.txt"; }
  std::vector<std::string> Calls() const {
    std::vector<std::string> lines;
    const std::string text = test::ReadText(Log());
    size_t from = 0;
    for (size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
      lines.push_back(text.substr(from, end - from));
    return lines;
  }
  DesktopSession Session(const std::string& desktop, const std::string& display = "") const {
    DesktopSession s;
    s.path = "relative/bin::" + dir.path();
    s.currentDesktop = desktop;
    s.display = display;
    return s;
  }
  test::TempDir dir;
};

TEST_F(DesktopServiceTest, GnomeGetsTheCentredPictureByItsUri) {
  Tool("gsettings");
  Tool("feh");
  std::string error;
  ASSERT_TRUE(LinuxDesktopService(Session("ubuntu:GNOME", ":0")).SetWallpaper("/home/a b/Sea.scr.bmp", error)) << error;
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         "gsettings set org.gnome.desktop.background picture-options centered",
                         "gsettings set org.gnome.desktop.background picture-uri file:///home/a%20b/Sea.scr.bmp",
                         "gsettings set org.gnome.desktop.background picture-uri-dark file:///home/a%20b/Sea.scr.bmp"}));
}

TEST_F(DesktopServiceTest, XfceSetsEveryBackdropItLists) {
  Tool("xfconf-query", 0,
       "if [ \"$3\" = \"-l\" ]; then echo /backdrop/screen0/monitorHDMI-1/workspace0/last-image; "
       "echo /backdrop/screen0/monitorHDMI-1/workspace0/color-style; "
       "echo /backdrop/screen0/monitorDP-2/workspace0/last-image; fi");
  std::string error;
  ASSERT_TRUE(LinuxDesktopService(Session("XFCE")).SetWallpaper("/w/Sea.scr.bmp", error)) << error;
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         "xfconf-query -c xfce4-desktop -l",
                         "xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitorHDMI-1/workspace0/image-style -n -t int -s 1",
                         "xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitorHDMI-1/workspace0/last-image -s /w/Sea.scr.bmp",
                         "xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitorDP-2/workspace0/image-style -n -t int -s 1",
                         "xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitorDP-2/workspace0/last-image -s /w/Sea.scr.bmp"}));
}

TEST_F(DesktopServiceTest, AnyOtherXSessionUsesFeh) {
  Tool("gsettings");  // present, but this is no GNOME session
  Tool("feh");
  std::string error;
  ASSERT_TRUE(LinuxDesktopService(Session("i3", ":1")).SetWallpaper("/w/Sea.scr.bmp", error)) << error;
  EXPECT_EQ(Calls(), std::vector<std::string>{"feh --bg-center /w/Sea.scr.bmp"});
}

TEST_F(DesktopServiceTest, AFailingToolFallsBackAndIsReportedWhenNothingWorks) {
  Tool("gsettings", 1);
  Tool("feh");
  std::string error;
  ASSERT_TRUE(LinuxDesktopService(Session("GNOME", ":0")).SetWallpaper("/w/x.bmp", error)) << error;
  EXPECT_EQ(Calls().back(), "feh --bg-center /w/x.bmp");

  Tool("feh", 3);
  EXPECT_FALSE(LinuxDesktopService(Session("GNOME", ":0")).SetWallpaper("/w/x.bmp", error));
  EXPECT_NE(error.find("feh --bg-center /w/x.bmp failed (exit code 3)"), std::string::npos) << error;
}

TEST_F(DesktopServiceTest, NoToolThatAppliesIsAClearFailure) {
  Tool("xfconf-query");
  std::string error;
  // GNOME without gsettings, no display for feh, and an Xfce tool on another desktop.
  EXPECT_FALSE(LinuxDesktopService(Session("GNOME")).SetWallpaper("/w/x.bmp", error));
  EXPECT_NE(error.find("GNOME, Xfce or feh"), std::string::npos) << error;
  EXPECT_TRUE(Calls().empty());
}

TEST_F(DesktopServiceTest, ATooSlowToolIsStopped) {
  Tool("feh", 0, "sleep 5");
  DesktopSession s = Session("", ":0");
  s.timeoutMs = 200;
  std::string error;
  EXPECT_FALSE(LinuxDesktopService(s).SetWallpaper("/w/x.bmp", error));
  EXPECT_NE(error.find("did not finish in time"), std::string::npos) << error;
}

TEST(ChildProcess, FindsOnlyExecutableFilesInAbsoluteFolders) {
  test::TempDir dir;
  test::WriteText(dir / "tool", "#!/bin/sh\necho out\n");
  test::WriteText(dir / "plain", "x");
  chmod((dir / "tool").c_str(), 0755);
  mkdir((dir / "folder").c_str(), 0755);
  const std::string path = "rel:" + dir.path();
  EXPECT_EQ(FindProgram("tool", path), dir / "tool");
  EXPECT_EQ(FindProgram("plain", path), "");
  EXPECT_EQ(FindProgram("folder", path), "");
  EXPECT_EQ(FindProgram("../tool", path), "");
  EXPECT_EQ(FindProgram("tool", "rel"), "");
  const ChildResult r = RunChildProcess(dir / "tool", {}, true, 5000);
  EXPECT_TRUE(r.started);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output, "out\n");
  EXPECT_FALSE(RunChildProcess(dir / "missing", {}, false, 5000).started);
}

}  // namespace
}  // namespace kx
