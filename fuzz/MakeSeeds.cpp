// fuzz_seeds OUT: writes the seed corpus of every fuzz target into OUT/NAME/, each input made
// by the project's own writers (container writer, picture encoders, scene package writer), by
// the test fixtures' writers for the kinds the engine only decodes (WebP, HEIF/AVIF, TIFF and
// EXIF-tagged JPEG, through the libraries' own encoders) or composed as the builder composes it. Inputs are small, so the fuzzer starts from valid
// structure and mutates from there.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/FuzzInputs.h"
#include "imaging/GifCodec.h"
#include "imaging/PictureCodec.h"
#include "payload/Container.h"
#include "payload/Marker.h"
#include "scene/CommaText.h"
#include "scene/ScenePackageWriter.h"
#include "scene/TextCodec.h"
#include "tests/imaging/Fixtures.h"

namespace {

using kx::fuzz::SmallPicture;

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

const char* const kFileList = "[FileList]\r\nsunset.jpg=1\r\nlake.kxp=1\r\nsea.gif=0\r\n";
const char* const kSettings =
    "[General]\r\nProductName=Fuzz\r\n[Default]\r\nDuration=20\r\nTransitionEffects=1,5,17\r\n"
    "[Advance]\r\nPreviewFile=sunset.jpg\r\nMusicFile=a.wav;b.mid\r\n";
const char* const kUi = "[UI]\r\nUIFile=KXGUI.kxu\r\n";
const char* const kUserSettings =
    "[Setting]\r\nImageSize=2\r\nImageMode=2\r\nSpeed=10\r\nSound=1\r\nMusic=1\r\nDuration=15\r\n"
    "Index=1\r\nCustomMusic=1\r\nShuffleMusic=0\r\nShowClock=1\r\nClockPos=3\r\n"
    "[MusicList]\r\n/home/u/a.ogg=\r\n/home/u/b.wav=\r\n[Files]\r\n0=\r\n2=\r\n";

std::string SkinText() {
  const std::vector<std::string> form = {
      "object MainWindow: TfmForm",   "  Left = 10",          "  Caption = 'Fuzz ''saver'''",
      "  ClientWidth = 320",          "  Font.Name = 'Arial'", "  object Button1: TButton",
      "    Caption = 'Settings...'", "    Left = 8",          "    Tag = 1",
      "  end",                        "  object Items: TKXThumbnail2", "    Align = alClient",
      "    Items.Strings = (",        "      'a'",            "      'b')",
      "  end",                        "end"};
  const std::vector<std::string> actions = {"2", "Button1", "ShowSettingWindow", "Link1", "http://example.org/"};
  std::string out = "1\r\n" + std::to_string(form.size()) + "\r\n";
  for (const auto& line : form) out += line + "\r\n";
  out += std::to_string(actions.size()) + "\r\n";
  for (const auto& line : actions) out += line + "\r\n";
  return out + "1\r\nDummy\r\n";
}

std::string ObjectList() {
  return "[Obj0]\r\nObjType=TXT\r\nText=" + kx::EncodeObjectText("Fuzz\r\nsaver") +
         "\r\nFont=Arial\r\nFontSize=20\r\nPosition=8\r\nDisplaySec=0\r\nAppearEffect=1\r\n"
         "[Obj1]\r\nObjType=IMG\r\nFilename=obj.png\r\nTransparentType=0\r\nOpacity=9\r\nMotion=2\r\n"
         "MotionSpeed=6\r\nMotionAreaType=1\r\nMoveAreaRectright=64\r\nMoveAreaRectbottom=48\r\n"
         "[Obj2]\r\nObjType=GIF\r\nFilename=obj.gif\r\nAnimSpeed=10\r\nMotion=1\r\nPosLeftType=4\r\n"
         "ObjFacing=1\r\nDirFlip=1\r\n[Obj3]\r\nObjType=IMG\r\nFilename=obj.jpg\r\nTransparentType=1\r\n"
         "TransparentColor=255\r\n";
}

void Put(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(folder);
  std::string error;
  kx::WriteWholeFile((folder / name).string(), std::vector<uint8_t>(bytes.begin(), bytes.end()), error);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUT\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::string error;
  std::vector<uint8_t> jpeg, progressive, png, gif, bmp;
  const kx::Bitmap32 picture = SmallPicture(24, 16);
  kx::EncodeJpeg(picture, 85, jpeg, error);
  kx::EncodeJpeg(picture, kx::JpegOptions{70, true, false}, progressive, error);
  kx::Bitmap32 translucent = picture;
  translucent.SetPixel(3, 3, 0x40FF0000u);
  kx::EncodePng(translucent, png, error);
  kx::EncodeGifAnimation({picture, SmallPicture(24, 16)}, 5, gif, error);
  kx::EncodeBmp24(picture, bmp);

  // Pictures.
  Put(out / "picture", "small.jpg", Text(jpeg));
  Put(out / "picture", "progressive.jpg", Text(progressive));
  Put(out / "picture", "alpha.png", Text(png));
  Put(out / "picture", "two-frames.gif", Text(gif));
  Put(out / "picture", "small.bmp", Text(bmp));
  namespace t = kx::test;
  auto bytesOf = [](const t::Bytes& b) { return std::string(b.begin(), b.end()); };
  Put(out / "picture", "exif-turned.jpg", bytesOf(t::WithExifOrientation(jpeg, 6, true)));
  Put(out / "picture", "exif-mirrored.jpg", bytesOf(t::WithExifOrientation(jpeg, 2, false)));
  Put(out / "picture", "lossy.webp", bytesOf(t::WriteWebp(picture, false, 80)));
  Put(out / "picture", "lossless.webp", bytesOf(t::WriteWebp(translucent, true)));
  Put(out / "picture", "animated.webp", bytesOf(t::WriteAnimatedWebp({picture, translucent, SmallPicture(24, 16)})));
  Put(out / "picture", "strips.tif", bytesOf(t::WriteTiff(picture, {})));
  t::TiffLayout layout;
  layout.samples = 4, layout.associatedAlpha = true, layout.orientation = 8, layout.tile = 16;
  Put(out / "picture", "tiles-alpha.tif", bytesOf(t::WriteTiff(translucent, layout)));
  layout = {};
  layout.samples = 1, layout.bitsPerSample = 16, layout.compression = 5 /* LZW */, layout.pages = 2;
  Put(out / "picture", "grey16-pages.tif", bytesOf(t::WriteTiff(picture, layout)));
  // HEIF and AVIF only where this libheif has an encoder for them.
  for (const bool avif : {false, true})
    if (t::CanWriteHeif(avif))
      Put(out / "picture", avif ? "small.avif" : "small.heic", bytesOf(t::WriteHeif(translucent, avif, 6)));

  // Scene packages: complete, with objects, and of the first format.
  kx::ScenePackage scene = kx::fuzz::SmallScene();
  Put(out / "scene", "plain.kxp", Text(kx::WriteScenePackage(scene)));
  scene.ObjectList = ObjectList();
  scene.Weather.Kind = 2;
  scene.Weather.Count = 40;
  Put(out / "scene", "objects-rain.kxp", Text(kx::WriteScenePackage(scene)));
  scene.WriteLaterFields = false;
  Put(out / "scene", "first-format.kxp", Text(kx::WriteScenePackage(scene)));
  // Mask runs that end one pixel past the picture, and runs that leave its last rows bare.
  kx::ScenePackage runs = kx::fuzz::SmallScene();
  runs.MaskCodes.back() += 10;
  Put(out / "scene", "mask-one-run-too-long.kxp", Text(kx::WriteScenePackage(runs)));
  runs.MaskCodes.resize(runs.MaskCodes.size() / 2);
  Put(out / "scene", "mask-runs-short.kxp", Text(kx::WriteScenePackage(runs)));

  // Object lists, INI texts, skins, codec texts.
  Put(out / "objects", "three-kinds.ini", ObjectList());
  Put(out / "ini", "filelist.ini", kFileList);
  Put(out / "ini", "settings.ini", kSettings);
  Put(out / "ini", "user.ini", kUserSettings);
  Put(out / "skin", "main.kxu", SkinText());
  Put(out / "textcodec", "encoded.txt", kx::EncodeObjectText("Hello\r\nworld"));
  Put(out / "textcodec", "comma.txt", kx::JoinCommaText({"a b", "", "say \"hi\"", "1,2"}));

  // A finished screensaver: engine bytes, then the payload with its four members.
  const std::string project = kx::ContainerBytes({kFileList, kSettings, kUi});
  const std::string media = kx::ContainerBytes({Text(jpeg), Text(gif), Text(png)});
  const std::string payload =
      kx::ContainerBytes({project, "sunset.jpg\r\nsea.gif\r\nsunset.jpg\r\n", media, SkinText()});
  Put(out / "payload", "saver.scr", std::string("\x7f" "ELF engine bytes", 17) + payload);
  Put(out / "payload", "container.bin", project);
  return 0;
}
