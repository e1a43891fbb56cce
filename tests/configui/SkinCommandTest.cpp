#include "configui/SkinControls.h"
#include "configui/SkinError.h"
#include "imaging/PictureCodec.h"
#include "tests/configui/UiSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/kxpack/SkinCommand.h"

namespace kx {
namespace {

using test::TempDir;
using test::WriteText;

class SkinCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    picture = Bitmap32(3, 2, Rgb(10, 200, 30));
    picture.SetPixel(0, 1, Rgb(255, 0, 255));
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(EncodeBmp24(picture, bytes) && WriteWholeFile(src / "pic.bmp", bytes, error));
    ASSERT_TRUE(EncodePng(Bitmap32(12, 8, Rgb(1, 2, 3)), bytes, error) && WriteWholeFile(src / "face.png", bytes, error));
    ASSERT_TRUE(EncodeJpeg(Bitmap32(12, 8, Rgb(90, 90, 90)), 90, bytes, error) && WriteWholeFile(src / "face.jpg", bytes, error));
    WriteText(src / "skin.txt", "; forms in order\nA.kxf\n\nB.kxf\n");
    WriteText(src / "A.kxf",
              "object A: TfmForm\n"
              "  object Img: TImage\n"
              "    AutoSize = True\n"
              "    Picture.File = 'pic.bmp'\n"
              "  end\n"
              "  object Btn: TMyButton\n"
              "    ButtonUp.File = 'face.png'\n"
              "    ButtonDown.File = 'face.jpg'\n"
              "  end\n"
              "  object Bit: TBitBtn\n"
              "    Glyph.File = 'pic.bmp'\n"
              "  end\n"
              "end\n"
              "\n"
              "actions\n"
              "  ; what the controls do\n"
              "  Img = Next picture\n"
              "  Btn = Show window | B\n"
              "  Bit = 6\n"
              "  Lbl = open url | <Website> | x | y\n");
    WriteText(src / "B.kxf", "object B: TfmForm\nend\n");
  }
  std::string Error(const std::string& source) {
    std::string text, error;
    EXPECT_FALSE(CompileSkin(source, text, error));
    return error;
  }
  TempDir src;
  Bitmap32 picture;
};

TEST_F(SkinCommandTest, WritesTheFormsWithTheirPicturesAndActions) {
  ASSERT_EQ(RunSkinCommand({src.path(), src / "KXGUI.kxu"}), 0);
  test::SkinWindow s;
  s.forms.LoadSkinFile(src / "KXGUI.kxu");
  ASSERT_EQ(s.forms.GetFormCount(), 2);
  EXPECT_EQ(s.forms.Form(1).Name, "B");
  const TActionList& actions = s.forms.FindForm("A").Actions;
  ASSERT_EQ(actions.Count(), 4);
  EXPECT_EQ(actions.FindAction("Img")->Kind, 2);
  EXPECT_EQ(actions.FindAction("Btn")->Kind, 1);
  EXPECT_EQ(actions.FindAction("Btn")->Param1, "B");
  EXPECT_EQ(actions.FindAction("Btn")->Param2, " ");
  EXPECT_EQ(actions.FindAction("Bit")->Kind, 6);
  EXPECT_EQ(actions.FindAction("Lbl")->Param1, "<Website>");
  EXPECT_EQ(actions.FindAction("Lbl")->Param3, "y");

  s.BuildNamed("A");
  const QImage image = s.Control<TImage>("Img")->Picture().Get(false);
  ASSERT_EQ(image.size(), QSize(3, 2));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(image.pixel(x, y), picture.Pixel(x, y)) << x << "," << y;
  EXPECT_EQ(s.Control<TMyButton>("Btn")->size(), QSize(12, 8));
  EXPECT_FALSE(s.Control<TBitBtn>("Bit")->icon().isNull());
}

TEST_F(SkinCommandTest, OneFormFileIsASkinOfItsOwn) {
  std::string text, error;
  ASSERT_TRUE(CompileSkin(src / "B.kxf", text, error)) << error;
  EXPECT_EQ(text, "1\r\n2\r\nobject B: TfmForm\r\nend\r\n1\r\n0\r\n1\r\nDummy\r\n");
}

TEST_F(SkinCommandTest, FaultsNameTheFileAndTheLine) {
  struct Case {
    const char* name;
    std::string form;
    std::string message;
  } cases[] = {
      {"missing picture", "object A: TfmForm\n  object I: TImage\n    Picture.File = 'none.jpg'\n  end\nend\n",
       "A.kxf:3: "},
      {"glyph not a bitmap", "object A: TfmForm\n  object G: TBitBtn\n    Glyph.File = 'face.png'\n  end\nend\n",
       "a glyph must be a BMP picture"},
      {"not a picture", "object A: TfmForm\n  object I: TImage\n    Picture.File = 'skin.txt'\n  end\nend\n",
       "not a JPEG, PNG, GIF or BMP picture"},
      {"quoted name", "object A: TfmForm\n  Picture.File = pic.bmp\nend\n", "A.kxf:2: a picture file is written as one quoted name"},
      {"syntax", "object A: TfmForm\n  Left = 'x\nend\n", "A.kxf: line 2: the string has no closing quote"},
      {"kind", "object A: TfmForm\nend\nactions\n  X = Jump\n", "A.kxf:4: \"Jump\" is not an action kind"},
      {"action without kind", "object A: TfmForm\nend\nactions\n  X\n", "A.kxf:4: an action is written"},
      {"too many parameters", "object A: TfmForm\nend\nactions\n  X = 1 | a | b | c | d\n", "at most three parameters"},
  };
  for (const auto& c : cases) {
    WriteText(src / "A.kxf", c.form);
    const std::string error = Error(src.path());
    EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
  }
  EXPECT_NE(Error(src / "nothing.txt").find("Cannot read the skin list"), std::string::npos);
  EXPECT_EQ(RunSkinCommand({src.path()}), 2);
}

}  // namespace
}  // namespace kx
