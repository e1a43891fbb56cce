// kxpack photos over a folder tree as a user would run it, and the rules it is built on:
// natural order and distinct media names.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "imaging/PictureCodec.h"
#include "payload/ExtractPayload.h"
#include "payload/MediaStore.h"
#include "platform/Files.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/KxpackRun.h"
#include "tools/kxpack/PhotoSearch.h"
#include "tools/kxpack/PhotosCommand.h"

namespace kx {
namespace {

using test::RunKxpack;
using test::TempDir;
using test::WriteText;

std::string Photo(int w, int h, std::string (*encode)(const Bitmap32&)) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, 0xFF000000u | ((x * 255 / w) << 16) | ((y * 255 / h) << 8));
  return encode(b);
}
std::string Jpeg(const Bitmap32& b) {
  std::vector<uint8_t> v;
  std::string e;
  EncodeJpeg(b, 85, v, e);
  return std::string(v.begin(), v.end());
}
std::string Png(const Bitmap32& b) {
  std::vector<uint8_t> v;
  std::string e;
  EncodePng(b, v, e);
  return std::string(v.begin(), v.end());
}

TEST(NaturalOrder, NumbersByValueLettersWithoutCase) {
  const std::vector<std::string> sorted = {
      "a/1.jpg", "a/IMG_2.jpg", "a/img_10.jpg", "a/IMG_010b.jpg", "a/img_100.jpg", "b.jpg", "b/2.jpg", "B10.jpg", "photo 9.jpg", "photo 09x.jpg",
  };
  for (size_t i = 0; i < sorted.size(); ++i)
    for (size_t j = 0; j < sorted.size(); ++j)
      EXPECT_EQ(NaturalLess(sorted[i], sorted[j]), i < j) << sorted[i] << " / " << sorted[j];
  // Equal apart from case or leading zeros: still a strict order, so sorting is stable.
  EXPECT_NE(NaturalLess("A.jpg", "a.jpg"), NaturalLess("a.jpg", "A.jpg"));
  EXPECT_NE(NaturalLess("01.jpg", "1.jpg"), NaturalLess("1.jpg", "01.jpg"));
}

TEST(MediaNames, PhotosOfOneNameStayApart) {
  std::vector<std::string> taken;
  EXPECT_EQ(UniqueMediaName("IMG_0001.JPG", taken), "IMG_0001.JPG");
  EXPECT_EQ(UniqueMediaName("img_0001.jpg", taken), "img_0001-2.jpg");
  EXPECT_EQ(UniqueMediaName("IMG_0001.JPG", taken), "IMG_0001-3.JPG");
  EXPECT_EQ(UniqueMediaName("12:30 a\\b.png", taken), "12_30 a_b.png");
  EXPECT_EQ(UniqueMediaName("README", taken), "README");
  EXPECT_EQ(UniqueMediaName("README", taken), "README-2");
}

class KxpackPhotos : public ::testing::Test {
 protected:
  void SetUp() override {
    mkdir((dir / "trip").c_str(), 0700);
    mkdir((dir / "trip/day 2").c_str(), 0700);
    mkdir((dir / "trip/more").c_str(), 0700);
    WriteText(dir / "trip/10.jpg", Photo(40, 30, Jpeg));
    WriteText(dir / "trip/2.JPEG", Photo(900, 1200, Jpeg));
    WriteText(dir / "trip/day 2/1.png", Photo(30, 20, Png));
    WriteText(dir / "trip/more/10.jpg", Photo(20, 20, Jpeg));
    WriteText(dir / "trip/broken.jpg", "this is not a photo");
    WriteText(dir / "trip/notes.txt", "holiday notes");
    WriteText(dir / "tune.wav", "RIFF....WAVE");
  }
  TempDir dir;
  TempDir out;
};

TEST_F(KxpackPhotos, PacksAFolderTreeSkippingWhatItCannotShow) {
  const auto r = RunKxpack({"photos", dir / "trip", "-o", out / "Trip.scr", "--duration", "7", "--music", dir / "tune.wav"});
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("skipped " + (dir / "trip/broken.jpg") + ": Unknown picture format"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("notes.txt"), std::string::npos) << r.output;

  const auto j = test::Inspect(out / "Trip.scr");
  std::vector<std::string> items;
  for (const auto& item : j["project"]["fileList"]) items.push_back(item["name"]);
  EXPECT_EQ(items, (std::vector<std::string>{"2.JPEG", "10.jpg", "1.png", "10-2.jpg"}));
  const auto& s = j["project"]["settings"];
  EXPECT_EQ(s["General"]["ProductName"], "Trip");
  EXPECT_EQ(s["Default"]["Duration"], 7);
  EXPECT_EQ(s["Default"]["Proportional"], true);
  EXPECT_EQ(s["Advance"]["PreviewFile"], "Preview.jpg");
  EXPECT_EQ(s["Advance"]["MusicFile"], "tune.wav");
  EXPECT_EQ(j["project"]["ui"]["UIFile"], "KXGUI.kxu");
  EXPECT_GT(j["members"][3]["size"], 1000);  // the project's own skin
  EXPECT_EQ(j["mediaCount"], 6);
  EXPECT_EQ(ListDirectory(out.path()), std::vector<std::string>{"Trip.scr"});  // no temporary left

  // The preview is the first photo (900 x 1200) fitted into 640 x 480, shape kept.
  TKXCProject project;
  SaverFolders folders{out.path(), out / "Trip.scr", 78};
  const std::string f = ExtractPayload(project, folders);
  Bitmap32 preview;
  std::string error;
  ASSERT_TRUE(MediaFileExists(project.Setting.PreviewFile));  // written from the payload when asked for
  ASSERT_TRUE(DecodePictureFile(project.Setting.PreviewFile, preview, error)) << error;
  EXPECT_EQ(preview.Width(), 360);
  EXPECT_EQ(preview.Height(), 480);
  EXPECT_EQ(project.FileList.Names.front(), f + "2.JPEG");
  RemoveTreeNoFollow(f);
}

TEST_F(KxpackPhotos, RefusesWhatGivesNoScreensaver) {
  mkdir((dir / "empty").c_str(), 0700);
  mkdir((dir / "empty/sub").c_str(), 0700);
  WriteText(dir / "empty/sub/readme.txt", "no pictures here");
  WriteText(dir / "bad.png", "not a png");
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    std::string message;
  };
  const Case cases[] = {
      {"folder without pictures", {"photos", dir / "empty", "-o", out / "A.scr"}, 1, "no photo that can be shown was found in " + (dir / "empty")},
      {"only a broken photo", {"photos", dir / "bad.png", "-o", out / "A.scr"}, 1, "skipped " + (dir / "bad.png")},
      {"missing folder", {"photos", dir / "gone", "-o", out / "A.scr"}, 1, (dir / "gone") + ": No such file or directory"},
      {"output folder missing", {"photos", dir / "trip", "-o", out / "no/A.scr"}, 1, "no/: No such file or directory"},
      {"music missing", {"photos", dir / "trip", "-o", out / "A.scr", "--music", dir / "gone.ogg"}, 1, "gone.ogg: No such file or directory"},
      {"bad duration", {"photos", dir / "trip", "-o", out / "A.scr", "--duration", "0"}, 1, "Duration: \"0\""},
      {"no output", {"photos", dir / "trip"}, 2, "-o OUT.scr"},
  };
  for (const auto& c : cases) {
    const auto r = RunKxpack(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name << "\n" << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.name << ": " << r.output;
    EXPECT_TRUE(ListDirectory(out.path()).empty()) << c.name;
  }
}

}  // namespace
}  // namespace kx
