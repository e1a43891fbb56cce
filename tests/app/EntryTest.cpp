#include "app/Entry.h"

#include <gtest/gtest.h>

#include "imaging/PictureCodec.h"
#include "payload/Container.h"
#include "payload/MediaStore.h"
#include "tests/support/TestSupport.h"

namespace kx {
namespace {

using test::FakeClock;
using test::RecordingMessageBox;
using test::TempDir;
using test::WriteText;

TEST(ModeOf, ClassifiesTheFirstTwoCharacters) {
  struct Case {
    std::vector<std::string> args;
    SaverMode mode;
  };
  const Case cases[] = {
      {{"/S"}, SaverMode::Show},        {{"-S"}, SaverMode::Show},          {{"S"}, SaverMode::Show},
      {{"/s"}, SaverMode::Show},        {{"s"}, SaverMode::Show},           {{"/Sxyz"}, SaverMode::Show},
      {{"/C"}, SaverMode::Config},      {{"/c:1234"}, SaverMode::Config},   {{"c"}, SaverMode::Config},
      {{}, SaverMode::Config},          {{"/P", "123"}, SaverMode::Preview}, {{"-p", "9"}, SaverMode::Preview},
      {{"/A", "77"}, SaverMode::Password}, {{"a"}, SaverMode::Password},
      {{"SX"}, SaverMode::None},        {{"/X"}, SaverMode::None},          {{""}, SaverMode::None},
      {{"x/S"}, SaverMode::None},       {{"--S"}, SaverMode::None},
  };
  for (const auto& c : cases) {
    const CommandLine line = ReadCommandLine(c.args);
    EXPECT_EQ(ModeOf(line), c.mode) << (c.args.empty() ? "(none)" : c.args[0]);
  }
  const CommandLine line = ReadCommandLine({"/c:1234", "abc"});
  EXPECT_EQ(line.ModeArg, "/C");
  EXPECT_EQ(line.HandleArg, "ABC");
}

TEST(ParseWindowHandle, AcceptsDecimalTextOnly) {
  EXPECT_EQ(ParseWindowHandle("12345"), 12345u);
  EXPECT_EQ(ParseWindowHandle("0"), 0u);
  EXPECT_FALSE(ParseWindowHandle(""));
  EXPECT_FALSE(ParseWindowHandle("0x10"));
  EXPECT_FALSE(ParseWindowHandle("-5"));
  EXPECT_FALSE(ParseWindowHandle("99999999999999999999999"));
}

// A window that becomes visible after some polls and records what is drawn into it.
class FakeWindow final : public PreviewWindow {
 public:
  int pollsUntilVisible = 0;
  int width = 152, height = 112;
  Bitmap32* drawn;
  int* drawnWidth;
  explicit FakeWindow(Bitmap32* d, int* w) : drawn(d), drawnWidth(w) {}
  bool IsVisible() override { return pollsUntilVisible-- <= 0; }
  bool GetSize(int& w, int& h) override {
    w = width;
    h = height;
    return true;
  }
  void ProcessEvents() override {}
  bool DrawStretched(const Bitmap32& picture, int w, int) override {
    *drawn = picture;
    *drawnWidth = w;
    return true;
  }
};

class FakeWindows final : public PreviewWindowFactory {
 public:
  std::unique_ptr<PreviewWindow> Open(uint64_t id) override {
    openedId = id;
    if (id != 555) return nullptr;
    auto window = std::make_unique<FakeWindow>(&drawn, &drawnWidth);
    window->pollsUntilVisible = pollsUntilVisible;
    return window;
  }
  uint64_t openedId = 0;
  int pollsUntilVisible = 0;
  Bitmap32 drawn;
  int drawnWidth = 0;
};

struct PasswordCall {
  std::string path, provider;
  uintptr_t window = 0;
  int calls = 0;
};
PasswordCall g_password;

int FakePwdChangePassword(const char* provider, uintptr_t window, uint32_t, uint32_t) {
  g_password.provider = provider;
  g_password.window = window;
  ++g_password.calls;
  return 0;
}

class FakeLibraries final : public LibraryLoader {
 public:
  bool present = true;
  bool hasEntry = true;
  std::unique_ptr<LoadedLibrary> Load(const std::string& path) override {
    g_password.path = path;
    if (!present) return nullptr;
    struct Library : LoadedLibrary {
      bool hasEntry;
      void* Symbol(const std::string& name) override {
        return hasEntry && name == "PwdChangePasswordA" ? reinterpret_cast<void*>(&FakePwdChangePassword) : nullptr;
      }
    };
    auto library = std::make_unique<Library>();
    library->hasEntry = hasEntry;
    return library;
  }
};

class EntryTest : public ::testing::Test {
 protected:
  void SetUp() override { g_password = PasswordCall(); }

  // Writes a screensaver "Sea.scr" with these items; the preview picture is optional.
  void Install(const std::vector<std::string>& items, bool withPreview) {
    std::string fileList = "[FileList]\r\n", names, settings = "[General]\r\nProductName=Sea\r\n";
    std::vector<std::string> media;
    for (const auto& item : items) {
      fileList += item + "=1\r\n";
      names += "C:\\media\\" + item + "\r\n";
      media.push_back("bytes of " + item);
    }
    if (withPreview) {
      Bitmap32 picture(8, 6, Rgb(200, 30, 40));
      std::vector<uint8_t> jpeg;
      std::string error;
      ASSERT_TRUE(EncodeJpeg(picture, 95, jpeg, error)) << error;
      names += "prev.jpg\r\n";
      media.emplace_back(jpeg.begin(), jpeg.end());
      settings += "[Advance]\r\nPreviewFile=C:\\build\\prev.jpg\r\n";
    }
    const std::string payload =
        ContainerBytes({ContainerBytes({fileList, settings, "[UI]\r\n"}), names, ContainerBytes(media), "skin"});
    WriteText(exeDir / "Sea.scr", std::string(2000, 'E') + payload);
  }

  int Run(const std::vector<std::string>& args) {
    EntryServices s;
    s.folders = SaverFolders{tmp.path(), exeDir / "Sea.scr", 4321};
    s.messages = &messages;
    s.previews = &windows;
    s.libraries = &libraries;
    s.clock = &clock;
    s.systemDirectory = "/sys32";
    s.initWindowing = [this] {
      ++windowingInits;
      return true;
    };
    s.runSaverWindow = [this](TKXCProject& p) {
      shownFlags = p.FileList.Flags;
      filesAtShowStart = ListDirectory(tmp / "U2Vh/4321");
      for (const auto& item : p.FileList.Names) itemsFound += MediaFileExists(item) ? 1 : 0;  // as the show asks
      filesDuringShow = ListDirectory(tmp / "U2Vh/4321");
    };
    s.runConfigWindow = [this](TKXCProject& p, const CommandLine&) { configProduct = p.Setting.ProductName; };
    Entry entry(std::move(s));
    return entry.Run(args);
  }

  TempDir tmp;
  TempDir exeDir;
  RecordingMessageBox messages;
  FakeWindows windows;
  FakeLibraries libraries;
  FakeClock clock;
  int windowingInits = 0;
  std::vector<std::string> shownFlags;
  std::vector<std::string> filesAtShowStart;
  std::vector<std::string> filesDuringShow;
  int itemsFound = 0;
  std::string configProduct;
};

TEST_F(EntryTest, ShowRunsTheSaverWindowWithEveryItemAndCleansUp) {
  Install({"a.jpg", "b.jpg"}, false);
  WriteText(exeDir / "Sea.ini", "[Setting]\r\nImageMode=3\r\nIndex=1\r\n");
  EXPECT_EQ(Run({"/s"}), 0);
  EXPECT_EQ(shownFlags, (std::vector<std::string>{"FALSE", "TRUE"}));
  EXPECT_EQ(filesAtShowStart.size(), 3u);  // the small payload files; media come on demand
  EXPECT_EQ(itemsFound, 2);
  EXPECT_EQ(filesDuringShow.size(), 5u);  // and the clean-up takes them too
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_FALSE(FileExists(tmp / "U2Vh"));
}

TEST_F(EntryTest, ShowWithoutItemsSaysSo) {
  Install({}, false);
  EXPECT_EQ(Run({"/S"}), 0);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "This screensaver does not contain any image.");
  EXPECT_EQ(messages.shown[0].kind, MessageKind::Information);
  EXPECT_TRUE(shownFlags.empty());
  EXPECT_FALSE(FileExists(tmp / "U2Vh"));
}

TEST_F(EntryTest, ConfigurationRunsWithAndWithoutArguments) {
  Install({"a.jpg"}, false);
  for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"/c:1234"}}) {
    configProduct.clear();
    EXPECT_EQ(Run(args), 0);
    EXPECT_EQ(configProduct, "Sea");
    EXPECT_FALSE(FileExists(tmp / "U2Vh"));
  }
}

TEST_F(EntryTest, UnknownModesOnlyCleanUp) {
  Install({"a.jpg"}, false);
  for (const char* arg : {"SX", "/X"}) {
    mkdir((tmp / "U2Vh").c_str(), 0700);
    mkdir((tmp / "U2Vh/999999").c_str(), 0700);  // left by a run that has ended
    EXPECT_EQ(Run({arg}), 0);
    EXPECT_FALSE(FileExists(tmp / "U2Vh")) << arg;
    EXPECT_EQ(windowingInits, 0);
    EXPECT_TRUE(configProduct.empty());
  }
}

TEST_F(EntryTest, PasswordModeCallsTheProviderAndExtractsNothing) {
  Install({"a.jpg"}, false);
  EXPECT_EQ(Run({"/A", "8812"}), 0);
  EXPECT_EQ(g_password.path, "/sys32/MPR.DLL");
  EXPECT_EQ(g_password.calls, 1);
  EXPECT_EQ(g_password.provider, "SCRSAVE");
  EXPECT_EQ(g_password.window, 8812u);
  EXPECT_FALSE(FileExists(tmp / "U2Vh"));
  EXPECT_EQ(windowingInits, 0);

  libraries.hasEntry = false;
  EXPECT_EQ(Run({"-a", "1"}), 0);
  libraries.present = false;
  EXPECT_EQ(Run({"a", "1"}), 0);
  EXPECT_EQ(g_password.calls, 1);
}

TEST_F(EntryTest, PreviewDrawsThePictureIntoTheWindow) {
  Install({"a.jpg"}, true);
  windows.pollsUntilVisible = 3;
  EXPECT_EQ(Run({"/p", "555"}), 0);
  EXPECT_EQ(windows.openedId, 555u);
  ASSERT_EQ(windows.drawn.Width(), 8);
  EXPECT_EQ(windows.drawnWidth, 152);
  const uint32_t c = windows.drawn.Pixel(4, 3);
  EXPECT_NEAR(static_cast<int>(RedOf(c)), 200, 12);
  EXPECT_NEAR(static_cast<int>(GreenOf(c)), 30, 12);
  EXPECT_FALSE(FileExists(tmp / "U2Vh"));
}

TEST_F(EntryTest, PreviewEndsQuietlyOnBadInput) {
  struct Case {
    const char* name;
    bool withPreview;
    std::vector<std::string> args;
    int pollsUntilVisible;
  };
  const Case cases[] = {
      {"no preview file", false, {"/P", "555"}, 0},
      {"handle is not a number", true, {"/P", "window"}, 0},
      {"no handle", true, {"/P"}, 0},
      {"not a window", true, {"/P", "556"}, 0},
      {"never visible", true, {"/P", "555"}, 1000000},
  };
  for (const auto& c : cases) {
    TempDir again;
    Install({"a.jpg"}, c.withPreview);
    windows = FakeWindows();
    windows.pollsUntilVisible = c.pollsUntilVisible;
    const uint32_t before = clock.now;
    EXPECT_EQ(Run(c.args), 0) << c.name;
    EXPECT_TRUE(windows.drawn.Empty()) << c.name;
    EXPECT_LE(clock.now - before, kPreviewWaitMs + 20) << c.name;
    EXPECT_FALSE(FileExists(tmp / "U2Vh")) << c.name;
  }
}

}  // namespace
}  // namespace kx
