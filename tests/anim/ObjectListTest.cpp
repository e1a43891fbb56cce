// The object list: which sections make which objects, the keys with their defaults, what a
// scene editor writes back, damaged lists, and where image files are looked up.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "ObjectFixtures.h"
#include "anim/GifObject.h"
#include "anim/ImageObject.h"
#include "anim/TextObject.h"
#include "scene/TextCodec.h"

namespace kx {
namespace {

using testing::Keys;
using testing::Section;

class ObjectListTest : public ::testing::Test {
 protected:
  test::FakeClock clock_;
  TAnimObjects objects_{testing::HandDriven(clock_)};
};

TEST_F(ObjectListTest, SectionsAreReadByPositionSoAGapGivesAnObjectOfDefaults) {
  objects_.LoadFromText(Section(0, {{"ObjType", "TXT"}, {"Text", EncodeObjectText("first")}, {"Motion", "3"}}) +
                        Section(2, {{"ObjType", "IMG"}, {"Filename", "x.png"}, {"Motion", "5"}, {"Opacity", "4"}}));
  ASSERT_EQ(objects_.Count(), 2);
  auto* text = dynamic_cast<TTextObject*>(&objects_.Item(0));
  auto* image = dynamic_cast<TImgObject*>(&objects_.Item(1));
  ASSERT_NE(text, nullptr);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(text->Lines, std::vector<std::string>{"first"});
  EXPECT_EQ(text->Motion, 3);
  // The image is the list's second object: it reads "Obj1", which does not exist.
  EXPECT_EQ(image->Index, 1);
  EXPECT_EQ(image->FileName, "");
  EXPECT_EQ(image->TransparentType, 1);  // no ".png" name
  EXPECT_EQ(image->Transparent, 1);
  EXPECT_EQ(image->TransparentColor, 0);
  const TAnimObject& d = *image;
  EXPECT_EQ(d.Motion, 0);
  EXPECT_EQ(d.Opacity, 10);
  EXPECT_EQ(d.StoredWidth, 0);
  EXPECT_EQ(d.StoredHeight, 0);
  EXPECT_TRUE(d.Scaled);
  EXPECT_EQ(d.MoveArea, (TRect{0, 0, 0, 0}));
  EXPECT_EQ(d.WidthSize, 100);
  EXPECT_EQ(d.HeightSize, 100);
  EXPECT_EQ(d.StepSpeed, 10);  // "Speed" until the object starts
  EXPECT_EQ(d.InitialDir, 0);
  EXPECT_EQ(d.PosLeftType, 0);
  EXPECT_EQ(d.PosTopType, 0);
  EXPECT_EQ(d.PosLeft, 100);
  EXPECT_EQ(d.PosTop, 100);
  EXPECT_EQ(d.ObjFacing, 1);
  EXPECT_EQ(d.DisplaySec, 0);
  EXPECT_EQ(d.DisplayDurationType, 0);
  EXPECT_EQ(d.DisplayDurationSec, 60);
  EXPECT_EQ(d.DisplayDurationCycle, 10);
  EXPECT_EQ(d.MotionSpeed, 10);
  EXPECT_EQ(d.MotionAreaType, 0);
  EXPECT_FALSE(d.DirFlip);
  EXPECT_TRUE(d.Redisplay);
  EXPECT_EQ(d.RedisplayDelay, 30);
  EXPECT_EQ(d.RedisplayTimes, 0);
  EXPECT_TRUE(d.ResetPos);
  EXPECT_TRUE(d.RestrictArea);
  EXPECT_EQ(d.OffScreenOpt, kOffScreenTop | kOffScreenBottom | kOffScreenLeft | kOffScreenRight);
  EXPECT_EQ(d.AppearEffect, 0);
  EXPECT_EQ(d.AppearEffectDur, 2);
  EXPECT_EQ(d.DisappearEffect, 0);
  EXPECT_EQ(d.DisappearEffectDur, 2);
}

TEST_F(ObjectListTest, OnlyTheExactTypeNamesMakeObjects) {
  const struct {
    const char* type;
    int made;
  } cases[] = {{"TXT", 1}, {"IMG", 1}, {"GIF", 1}, {"txt", 0}, {"Gif", 0}, {"JPG", 0}, {"", 0}};
  for (const auto& c : cases) {
    objects_.LoadFromText(Section(0, {{"ObjType", c.type}}));
    EXPECT_EQ(objects_.Count(), c.made) << c.type;
  }
  // A section without "ObjType" makes nothing; sections above Obj100 are not read.
  objects_.LoadFromText(Section(0, {{"Motion", "1"}}) + Section(101, {{"ObjType", "TXT"}}));
  EXPECT_EQ(objects_.Count(), 0);
  objects_.LoadFromText(Section(100, {{"ObjType", "GIF"}}));
  EXPECT_EQ(objects_.Count(), 1);
  EXPECT_NE(dynamic_cast<TGifObject*>(&objects_.Item(0)), nullptr);
}

TEST_F(ObjectListTest, KindsHaveTheirOwnDefaults) {
  objects_.LoadFromText(Section(0, {{"ObjType", "TXT"}}) + Section(1, {{"ObjType", "IMG"}, {"Filename", "a.PnG"}}) +
                        Section(2, {{"ObjType", "GIF"}, {"Filename", "b.gif"}}));
  ASSERT_EQ(objects_.Count(), 3);
  const auto& text = dynamic_cast<TTextObject&>(objects_.Item(0));
  EXPECT_TRUE(text.Lines.empty());
  EXPECT_EQ(text.TextColor, 16777215);
  EXPECT_EQ(text.FontSize, 20);
  EXPECT_EQ(text.Position, 0);
  EXPECT_EQ(text.FontName, "Arial");
  const auto& png = dynamic_cast<TImgObject&>(objects_.Item(1));
  EXPECT_EQ(png.TransparentType, 0);  // a name ending in ".png", in any case
  const auto& gif = dynamic_cast<TGifObject&>(objects_.Item(2));
  EXPECT_EQ(gif.AnimSpeed, 10);
  EXPECT_EQ(gif.Transparent, 1);
  EXPECT_EQ(gif.TransparentType, 0);
  EXPECT_EQ(gif.TransparentColor, 0);
  EXPECT_EQ(gif.RefreshFrame, 0);
}

// Every key with a value other than its default, for each kind.
const Keys kCommon = {
    {"Width", "33"},          {"Height", "44"},          {"Scaled", "0"},
    {"MoveAreaRectleft", "5"}, {"MoveAreaRecttop", "6"},  {"MoveAreaRectright", "700"},
    {"MoveAreaRectbottom", "500"}, {"WidthSize", "150"}, {"HeightSize", "75"},
    {"Speed", "70"},          {"InitialPos", "2"},       {"InitialDir", "6"},
    {"PosLeftType", "3"},     {"PosTopType", "4"},       {"PosLeft", "321"},
    {"PosTop", "123"},        {"ObjFacing", "0"},        {"Opacity", "7"},
    {"DisplaySec", "3"},      {"DisplayDurationType", "1"}, {"DisplayDurationSec", "9"},
    {"DIsplayDurationCycle", "4"}, {"Motion", "7"},     {"MotionSpeed", "25"},
    {"MotionAreaType", "1"},  {"DirFlip", "1"},          {"Redisplay", "0"},
    {"RedisplayDelay", "12"}, {"RedisplayTimes", "3"},   {"ResetPos", "0"},
    {"RestrictArea", "0"},    {"OffScreenOpt", "BR"},    {"AppearEffect", "1"},
    {"AppearEffectDur", "4"}, {"DisappearEffect", "1"},  {"DisappearEffectDur", "5"},
};

Keys With(Keys keys, const Keys& more) {
  keys.insert(keys.end(), more.begin(), more.end());
  return keys;
}

TEST_F(ObjectListTest, WhatIsSavedReadsBackTheSame) {
  const Keys text = With({{"ObjType", "TXT"}, {"Text", EncodeObjectText("Line one\r\nLine \xE9two")},
                          {"TextColor", "3394815"}, {"FontSize", "31"}, {"Position", "8"}, {"Font", "Liberation Serif"}},
                         kCommon);
  const Keys image = With({{"ObjType", "IMG"}, {"Filename", "/nowhere/pic.bmp"}, {"Transparent", "0"},
                           {"TransparentType", "2"}, {"TransparentColor", "255"}},
                          kCommon);
  const Keys gif = With({{"ObjType", "GIF"}, {"Filename", "/nowhere/anim.gif"}, {"AnimSpeed", "14"}, {"Transparent", "0"},
                         {"TransparentType", "1"}, {"TransparentColor", "65280"}, {"RefreshFrame", "1"}},
                        kCommon);
  objects_.LoadFromText(Section(0, text) + Section(1, image) + Section(2, gif));
  ASSERT_EQ(objects_.Count(), 3);
  const std::string saved = objects_.SaveToText();

  // Every key comes back with its value, in the section of its object.
  const IniSections read(saved);
  const Keys* tables[] = {&text, &image, &gif};
  for (int n = 0; n < 3; ++n) {
    for (const auto& [key, value] : *tables[n]) {
      EXPECT_EQ(read.ReadString("Obj" + std::to_string(n), key, "<missing>"), value) << "Obj" << n << " " << key;
    }
  }
  // Reading what was saved and saving again changes nothing.
  TAnimObjects again(testing::HandDriven(clock_));
  again.LoadFromText(saved);
  EXPECT_EQ(again.SaveToText(), saved);
  // Keys are written with the names and in the order a scene editor uses.
  const std::string first = saved.substr(0, saved.find("ObjType"));
  EXPECT_EQ(first.find("[Obj0]\r\nLeft=0\r\nTop=0\r\nWidth=33\r\nHeight=44\r\nScaled=0\r\nMoveAreaRectleft=5\r\n"), 0u) << first;
  EXPECT_NE(first.find("RestrictArea=0\r\nOffScreenOpt=BR\r\nAppearEffect=1\r\nAppearEffectDur=4\r\nDisappearEffect=1\r\n"
                       "DisappearEffectDur=5\r\n"),
            std::string::npos);
}

TEST_F(ObjectListTest, DamagedListsGiveDefaultsAndNoCrash) {
  std::string huge = "[Obj0]\r\nObjType=TXT\r\n";
  for (int i = 0; i < 10000; ++i) huge += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  huge += "Motion=4\r\n";
  const std::string garbage =
      "\x01\x02 no section here\r\n=\r\n[[[\r\n[Obj0\r\nObjType=IMG\r\n"  // no valid section header yet
      "[Obj0]\r\nObjType=TXT\r\nText=SGVsbG8*gibberish\r\nFontSize=huge\r\nPosition=-5\r\nMotion=300\r\n"
      "Opacity=99999999999\r\nDisplaySec=2147483647\r\nOffScreenOpt=xyz\r\nMotionSpeed=2147483647\r\n"
      "MoveAreaRectright=-2147483648\r\n\x7F\xFF=\xFE\r\n";
  objects_.LoadFromText(huge);
  ASSERT_EQ(objects_.Count(), 1);
  EXPECT_EQ(objects_.Item(0).Motion, 4);  // found behind 10 000 other keys

  objects_.LoadFromText(garbage);
  ASSERT_EQ(objects_.Count(), 1);
  auto& text = dynamic_cast<TTextObject&>(objects_.Item(0));
  EXPECT_EQ(text.Lines, std::vector<std::string>{"Hello"});  // decoding ends at the first foreign character
  EXPECT_EQ(text.FontSize, 20);
  EXPECT_EQ(text.Motion, 0);    // 300 is no byte
  EXPECT_EQ(text.Opacity, 10);  // beyond 32 bits: unreadable
  EXPECT_EQ(text.OffScreenOpt, 0);
  // Preparing and stepping such an object does not fail either.
  text.DesignWidth = 640;
  text.DesignHeight = 480;
  text.FrameRect = {0, 0, 640, 480};
  text.Start();
  testing::RunFor(text, clock_, 200);
  EXPECT_FALSE(text.Visible);  // DisplaySec 2147483647: not yet
}

TEST(ObjectFiles, ImagesAreLookedUpInTheCommonFolderAndSavedByNameThere) {
  test::TempDir common;
  ASSERT_EQ(::mkdir((common.path() + "images").c_str(), 0700), 0);
  testing::WritePng(common / "images/star.png", Bitmap32(2, 2, Rgb(1, 2, 3)));
  test::FakeClock clock;
  TAnimObjects objects(testing::HandDriven(clock, nullptr, common.path()));
  objects.LoadFromText(Section(0, {{"ObjType", "IMG"}, {"Filename", "C:\\Media\\star.png"}}) +
                       Section(1, {{"ObjType", "GIF"}, {"Filename", "C:\\Media\\absent.gif"}}));
  ASSERT_EQ(objects.Count(), 2);
  auto& star = dynamic_cast<TImgObject&>(objects.Item(0));
  EXPECT_EQ(star.FileName, common / "images/star.png");
  EXPECT_NE(objects.SaveToText().find("Filename=star.png\r\n"), std::string::npos);

  // The show then tries the extraction folder for names that still name no file.
  test::TempDir extraction;
  objects.ResolveFiles(extraction.path());
  EXPECT_EQ(star.FileName, common / "images/star.png");
  EXPECT_EQ(dynamic_cast<TGifObject&>(objects.Item(1)).FileName, extraction / "absent.gif");
}

// Names of things that are not regular files are skipped at once: reading /dev/zero once grew
// without end and a FIFO without a writer (what /dev/stdin often is) blocked the worker for
// good. Neither counts as found, so the show also tries the extraction folder for them.
TEST(ObjectFiles, DevicesFifosAndFoldersAreSkippedWithoutReading) {
  test::TempDir dir;
  const std::string fifo = dir / "pipe.gif";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = dir / "folder.png";
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"IMG", "/dev/zero"}, {"GIF", "/dev/zero"}, {"IMG", fifo}, {"GIF", fifo}, {"IMG", folder}, {"GIF", "/dev/stdin"}};
  std::string list;
  for (size_t i = 0; i < cases.size(); ++i)
    list += Section(static_cast<int>(i), {{"ObjType", cases[i].first}, {"Filename", cases[i].second}});
  test::FakeClock clock;
  TAnimObjects objects(testing::HandDriven(clock));
  objects.LoadFromText(list);
  ASSERT_EQ(objects.Count(), static_cast<int>(cases.size()));
  for (int i = 0; i < objects.Count(); ++i) {
    SCOPED_TRACE(cases[i].first + " " + cases[i].second);
    TAnimObject& o = objects.Item(i);
    o.DesignWidth = 64;
    o.DesignHeight = 48;
    o.FrameRect = {0, 0, 64, 48};
    o.Start();
    EXPECT_FALSE(o.Prepared());
  }

  test::TempDir extraction;
  objects.ResolveFiles(extraction.path());
  for (int i = 0; i < objects.Count(); ++i) {
    auto& image = dynamic_cast<TAnimImgObject&>(objects.Item(i));
    EXPECT_EQ(image.FileName, extraction / FileNamePart(cases[i].second)) << i;
  }
}

}  // namespace
}  // namespace kx
