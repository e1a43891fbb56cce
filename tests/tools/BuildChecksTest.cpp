// kxpack build run as a user runs it: what it refuses (with its message, exit code 1 and
// nothing at the output path), what it only warns of, and the defaults it writes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "imaging/GifCodec.h"
#include "imaging/PictureCodec.h"
#include "platform/Files.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/KxpackRun.h"
#include "tools/kxpack/BuildDefaults.h"

namespace kx {
namespace {

using test::RunKxpack;
using test::TempDir;
using test::WriteText;

Bitmap32 Gradient(int w, int h) {
  Bitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, 0xFF000000u | (x * 4 << 16) | (y * 4 << 8) | 0x40);
  return b;
}

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

uint32_t Crc32(const std::string& data) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : data) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

std::string Be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

std::string PngChunk(const std::string& type, const std::string& data) {
  return Be32(static_cast<uint32_t>(data.size())) + type + data + Be32(Crc32(type + data));
}

// A well-formed PNG header claiming 100,000 x 100,000 pixels, with a few bytes of data.
std::string HugePngHeader() {
  const std::string ihdr = Be32(100000) + Be32(100000) + std::string("\x08\x02\x00\x00\x00", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", ihdr) + PngChunk("IDAT", std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)) +
         PngChunk("IEND", "");
}

class KxpackBuildChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<uint8_t> bytes;
    std::string error;
    const Bitmap32 picture = Gradient(48, 32);
    ASSERT_TRUE(EncodeJpeg(picture, 90, bytes, error)) << error;
    jpeg = Bytes(bytes);
    ASSERT_TRUE(EncodePng(picture, bytes, error)) << error;
    png = Bytes(bytes);
    ASSERT_TRUE(EncodeGifAnimation({picture}, 10, bytes, error)) << error;
    gif = Bytes(bytes);
    ASSERT_TRUE(EncodeBmp24(picture, bytes));
    bmp = Bytes(bytes);
    WriteText(src / "engine", "ENGINE BYTES");
    WriteText(src / "good.jpg", jpeg);
    WriteText(src / "tune.wav", "RIFF music");
  }
  // Writes the manifest (with the fake engine) and runs kxpack build into out/Sea.scr.
  test::KxpackResult Build(const std::string& body, const std::vector<std::string>& extra = {}) {
    WriteText(src / "m.ini", "[Package]\nEngine=engine\n" + body);
    std::vector<std::string> args = {"build"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(src / "m.ini");
    args.push_back(out / "Sea.scr");
    return RunKxpack(args);
  }
  std::string jpeg, png, gif, bmp;
  TempDir src;
  TempDir out;
};

TEST_F(KxpackBuildChecks, RefusesBadInputWithItsReasonAndWritesNothing) {
  struct Case {
    const char* name;
    const char* file;      // written into the source folder first (when not null)
    std::string content;
    const char* manifest;  // after [Package]
    const char* message;   // part of what kxpack prints
  };
  const Case cases[] = {
      {"missing item", nullptr, "", "[Items]\nnothere.jpg\n", "nothere.jpg: No such file or directory"},
      {"missing media", nullptr, "", "[Items]\ngood.jpg\n[Media]\nsurf.wav\n", "surf.wav: No such file or directory"},
      {"missing music", nullptr, "", "[Items]\ngood.jpg\n[Advance]\nMusicFile=gone.wav\n", "gone.wav: No such file or directory"},
      {"text named .jpg", "text.jpg", "just some words, not a picture", "[Items]\ntext.jpg\n", "text.jpg: Unknown picture format"},
      {"truncated JPEG", "cut.jpg", jpeg.substr(0, jpeg.size() / 2), "[Items]\ncut.jpg\n", "cut.jpg"},
      {"truncated PNG", "cut.png", png.substr(0, png.size() - 20), "[Items]\ncut.png\n", "cut.png: Damaged or truncated PNG"},
      {"truncated GIF", "cut.gif", gif.substr(0, gif.size() / 2), "[Items]\ncut.gif\n", "cut.gif"},
      {"truncated BMP", "cut.bmp", bmp.substr(0, bmp.size() / 2), "[Items]\ncut.bmp\n", "cut.bmp"},
      {"JPEG named .png", "wrong.png", jpeg.substr(0, 40), "[Items]\nwrong.png\n", "wrong.png"},
      {"100000 x 100000 header", "huge.png", HugePngHeader(), "[Items]\nhuge.png\n", "huge.png: Picture is too large (100000 x 100000)"},
      {"damaged media picture", "object.png", "PNG? no", "[Items]\ngood.jpg\n[Media]\nobject.png\n", "object.png"},
      {"text as a scene", "lake.kxp", "not a scene package at all", "[Items]\nlake.kxp\n", "lake.kxp: not a readable scene package"},
      {"empty item list", nullptr, "", "[Items]\n[Default]\nDuration=5\n", "lists no items"},
      {"no item section", nullptr, "", "[General]\nProductName=Sea\n", "lists no items"},
      {"effect 170", nullptr, "", "[Items]\ngood.jpg\n[Default]\nTransitionEffects=1,2,170\n", "\"170\" is not an effect number"},
      {"effect 0", nullptr, "", "[Items]\ngood.jpg\n[Default]\nTransitionEffects=0\n", "\"0\" is not an effect number"},
      {"effect not a number", nullptr, "", "[Items]\ngood.jpg\n[Default]\nTransitionEffects=1,fade\n", "\"fade\" is not an effect number"},
      {"empty effect", nullptr, "", "[Items]\ngood.jpg\n[Default]\nTransitionEffects=1,,3\n", "\"\" is not an effect number"},
      {"Duration 0", nullptr, "", "[Items]\ngood.jpg\n[Default]\nDuration=0\n", "Duration: \"0\" is not a positive number"},
      {"Duration negative", nullptr, "", "[Items]\ngood.jpg\n[Default]\nDuration=-5\n", "Duration: \"-5\""},
      {"Duration words", nullptr, "", "[Items]\ngood.jpg\n[Default]\nDuration=ten\n", "Duration: \"ten\""},
  };
  for (const auto& c : cases) {
    if (c.file != nullptr) WriteText(src / c.file, c.content);
    const auto r = Build(c.manifest);
    EXPECT_EQ(r.exitCode, 1) << c.name << "\n" << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.name << ": " << r.output;
    EXPECT_TRUE(ListDirectory(out.path()).empty()) << c.name;
  }
}

TEST_F(KxpackBuildChecks, AFailedBuildLeavesAnEarlierScreensaverAsItWas) {
  WriteText(out / "Sea.scr", "the screensaver of yesterday");
  WriteText(src / "text.jpg", "words");
  EXPECT_EQ(Build("[Items]\ntext.jpg\n").exitCode, 1);
  EXPECT_EQ(test::ReadText(out / "Sea.scr"), "the screensaver of yesterday");
  EXPECT_EQ(ListDirectory(out.path()).size(), 1u);
}

TEST_F(KxpackBuildChecks, RefusesAnOutputFolderItCannotWriteInto) {
  WriteText(src / "m.ini", "[Package]\nEngine=engine\n[Items]\ngood.jpg\n");
  WriteText(out / "plainfile", "x");
  struct Case {
    std::string target;
    const char* message;
  };
  std::vector<Case> cases = {
      {out / "nofolder/Sea.scr", "nofolder/: No such file or directory"},
      {out / "plainfile/Sea.scr", "plainfile/: Not a directory"},
  };
  // Permissions do not hold back root, so that case runs only for other users.
  if (geteuid() != 0) {
    mkdir((out / "locked").c_str(), 0500);
    cases.push_back({out / "locked/Sea.scr", "locked/: Permission denied"});
  }
  for (const auto& c : cases) {
    const auto r = RunKxpack({"build", src / "m.ini", c.target});
    EXPECT_EQ(r.exitCode, 1) << c.target;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
    EXPECT_FALSE(FileExists(c.target));
  }
  if (geteuid() != 0) {
    EXPECT_TRUE(ListDirectory(out / "locked").empty());
  }
}

TEST_F(KxpackBuildChecks, WarnsOfUnknownKeysAndSkipsChecksOnRequest) {
  WriteText(src / "text.jpg", "words");
  auto r = Build("[Items]\ngood.jpg\n[Default]\nDuraton=5\nDuration=7\n[Advanced]\nMusicFile=x\n[Advance]\nPreviewFile=good.jpg\n");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("warning: [Default] Duraton: not a setting"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("warning: [Advanced]: not a manifest section"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("Duration="), std::string::npos);
  EXPECT_TRUE(FileExists(out / "Sea.scr"));

  // --no-check packs what the checks would refuse; only what cannot be packed stops it.
  r = Build("[Items]\ntext.jpg\n[Default]\nDuration=0\n", {"--no-check"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(test::Inspect(out / "Sea.scr")["media"][0]["name"], "text.jpg");
  EXPECT_EQ(Build("[Items]\ngone.jpg\n", {"--no-check"}).exitCode, 1);
}

TEST_F(KxpackBuildChecks, EveryStillPictureKindPasses) {
  WriteText(src / "a.png", png);
  WriteText(src / "b.GIF", gif);
  WriteText(src / "c.bmp", bmp);
  WriteText(src / "d.JPEG", jpeg);
  const auto r = Build("[Items]\ngood.jpg\na.png\nb.GIF\nc.bmp\nd.JPEG\n");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(test::Inspect(out / "Sea.scr")["mediaCount"], 5);
}

TEST_F(KxpackBuildChecks, InspectShowsTheDefaultsTheBuildWrote) {
  ASSERT_EQ(Build("[Items]\ngood.jpg\n").exitCode, 0);
  auto j = test::Inspect(out / "Sea.scr");
  const auto& d = j["project"]["settings"]["Default"];
  EXPECT_EQ(d["Proportional"], true);
  EXPECT_EQ(d["Transition"], true);
  EXPECT_EQ(d["TransitionTime"], 2000);
  EXPECT_EQ(d["TransitionEffects"], kDefaultTransitionEffects);
  EXPECT_EQ(d["Duration"], 10);
  // No Skin in the manifest: the project's own skin is packed.
  EXPECT_EQ(j["project"]["ui"]["UIFile"], "KXGUI.kxu");
  EXPECT_GT(j["members"][3]["size"], 1000);

  // What the manifest says is kept.
  ASSERT_EQ(Build("[Items]\ngood.jpg\n[Default]\nProportional=0\nDuration=25\nTransitionEffects=5,6\n").exitCode, 0);
  j = test::Inspect(out / "Sea.scr");
  EXPECT_EQ(j["project"]["settings"]["Default"]["Proportional"], false);
  EXPECT_EQ(j["project"]["settings"]["Default"]["Duration"], 25);
  EXPECT_EQ(j["project"]["settings"]["Default"]["TransitionEffects"], "5,6");
}

}  // namespace
}  // namespace kx
