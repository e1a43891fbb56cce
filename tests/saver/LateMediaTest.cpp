// The show on a real payload whose media are written only when the show asks for them: the
// lookups find them in the same places as before, and the temporary folder holds what the
// current item needs rather than every medium of the screensaver.
#include <gtest/gtest.h>

#include "anim/ImageObject.h"
#include "tests/saver/SaverFixtures.h"
#include "tests/support/PayloadFixture.h"

namespace kx::test {
namespace {

// Media made here: two pictures, a scene with one sound and one image object, the sound, the
// object's picture and a music track.
struct ShowMedia {
  TempDir src;
  std::vector<std::pair<std::string, std::string>> members;

  ShowMedia() {
    ScenePackage scene = ScenePackageOf(Solid(40, 30, Rgb(10, 80, 160)));
    scene.Sounds[0] = SoundSlot("C:\\Media\\surf.wav", kSoundLooped);
    scene.Sounds[1] = SoundSlot("D:\\x\\shared.wav", kSoundLooped);
    scene.ObjectList =
        "[Obj0]\r\nObjType=IMG\r\nFilename=C:\\Art\\star.bmp\r\n"
        "[Obj1]\r\nObjType=IMG\r\nFilename=C:\\Art\\sun.bmp\r\n";
    Add("C:\\pics\\one.bmp", WriteBmp(src, "one.bmp", Solid(20, 10, Rgb(200, 0, 0))));
    Add("two.kxp", WriteScene(src, "two.kxp", scene));
    Add("C:\\snd\\surf.wav", WriteWav(src / "surf.wav"));
    Add("shared.wav", WriteWav(src / "shared.wav"));
    Add("C:\\Art\\star.bmp", WriteBmp(src, "star.bmp", Solid(4, 4, Rgb(250, 250, 0))));
    Add("sun.bmp", WriteBmp(src, "sun.bmp", Solid(4, 4, Rgb(250, 120, 0))));
    Add("tune.wav", WriteWav(src / "tune.wav"));
    Add("unused-big.jpg", std::string(300000, 'x'));
  }
  void Add(const std::string& line, const std::string& file) { members.emplace_back(line, ReadText(file)); }
};

struct LateShow {
  ShowMedia media;
  PayloadRun run{media.members, {"one.bmp", "two.kxp"}};
  ShowHarness h;
  TempDir common;

  LateShow() {
    h.project.FileList = run.project.FileList;
    h.project.Setting.Sound = true;
    // The common folder has a sound and a picture of the same names as two payload members.
    EXPECT_EQ(::mkdir((common / "sounds").c_str(), 0700), 0);
    EXPECT_EQ(::mkdir((common / "images").c_str(), 0700), 0);
    WriteWav(common / "sounds/shared.wav");
    WriteBmp(common, "images/sun.bmp", Solid(4, 4, Rgb(0, 0, 250)));
  }
  TSaverShow& Start() {
    SaverEnvironment env = h.Environment(common.path());
    env.extractionFolder = run.folder;
    return h.Start(env);
  }
};

TEST(LateMedia, ItemsAreWrittenWhenShownAndLetGoWhenReplaced) {
  LateShow s;
  ASSERT_FALSE(s.run.folder.empty());
  EXPECT_TRUE(s.run.MediaPresent().empty());  // nothing at start

  TSaverShow& show = s.Start();
  EXPECT_EQ(show.LastLoaded, s.run.folder + "one.bmp");
  EXPECT_EQ(show.PictureFrame.Width(), 20);
  EXPECT_EQ(s.run.MediaPresent(), std::vector<std::string>{"one.bmp"});

  s.h.RunFor(6000);  // the scene follows; the picture's file goes, the scene's media come
  ASSERT_EQ(show.LastLoaded, s.run.folder + "two.kxp");
  EXPECT_FALSE(show.IsPicture);
  EXPECT_EQ(s.run.MediaPresent(), (std::vector<std::string>{"shared.wav", "star.bmp", "surf.wav", "two.kxp"}));

  s.h.RunFor(6000);  // back to the picture, written anew
  EXPECT_EQ(show.LastLoaded, s.run.folder + "one.bmp");
  EXPECT_EQ(show.PictureFrame.Width(), 20);
  EXPECT_EQ(s.run.MediaPresent(), (std::vector<std::string>{"one.bmp", "shared.wav", "star.bmp", "surf.wav"}));
  show.FormClose();
}

TEST(LateMedia, LookupsFindLateMembersInTheirOwnOrder) {
  LateShow s;
  TSaverShow& show = s.Start();
  s.h.RunFor(6000);
  ASSERT_FALSE(show.IsPicture);
  const std::string f = s.run.folder;

  // Sounds: the name as stored, the extraction folder, then the common folder.
  const struct {
    const char* stored;
    std::string found;
  } sounds[] = {
      {"C:\\Media\\surf.wav", f + "surf.wav"},
      {"D:\\x\\shared.wav", f + "shared.wav"},  // the payload's copy wins over the common one
      {"elsewhere\\tune.wav", f + "tune.wav"},
      {"nowhere.wav", ""},
  };
  for (const auto& c : sounds) EXPECT_EQ(show.ResolveSoundFile(c.stored), c.found) << c.stored;
  const auto loaded = show.Effects->Loaded();
  EXPECT_EQ(loaded[0], f + "surf.wav");
  EXPECT_EQ(loaded[1], f + "shared.wav");
  EXPECT_EQ(ReadText(f + "surf.wav"), ReadText(s.media.src / "surf.wav"));

  // Object pictures: as named, the common folder's "images/" (at loading), then the
  // extraction folder.
  ASSERT_EQ(show.Objects->Count(), 2);
  const auto& star = dynamic_cast<const TAnimImgObject&>(show.Objects->Item(0));
  const auto& sun = dynamic_cast<const TAnimImgObject&>(show.Objects->Item(1));
  EXPECT_EQ(star.FileName, f + "star.bmp");
  EXPECT_EQ(ReadText(star.FileName), ReadText(s.media.src / "star.bmp"));
  EXPECT_EQ(sun.FileName, s.common / "images/sun.bmp");
  EXPECT_FALSE(FileExists(f + "sun.bmp"));
  show.FormClose();
}

TEST(LateMedia, AMusicTrackOfThePayloadIsWrittenWhenItStarts) {
  LateShow s;
  s.h.project.Setting.Music = true;
  s.h.project.Setting.MusicFile = "tune.wav";
  TSaverShow& show = s.Start();
  EXPECT_EQ(s.h.audio.MusicFile, s.run.folder + "tune.wav");
  EXPECT_EQ(ReadText(s.run.folder + "tune.wav"), ReadText(s.media.src / "tune.wav"));
  EXPECT_FALSE(FileExists(s.run.folder + "unused-big.jpg"));
  show.FormClose();
}

}  // namespace
}  // namespace kx::test
