#include "configui/SkinClasses.h"

#include "project/IniText.h"

namespace kx {
namespace {

constexpr const char* kNames[kSkinClassCount] = {
    "TfmKXCOnfigWindow", "TForm",    "TLabel",    "TImage",   "TKXPreview", "TKXThumbnail2", "TShape",
    "TMyShape",          "TMyBevel", "TPanel",    "TBitBtn",  "TButton",    "TMyButton",     "TCheckBox",
    "TEdit",             "TMyMemo",  "TPageControl", "TTabSheet", "TTimer",
};

}  // namespace

std::optional<SkinClass> SkinClassFromName(const std::string& name) {
  const std::string upper = UpperAscii(name);
  for (int i = 0; i < kSkinClassCount; ++i)
    if (UpperAscii(kNames[i]) == upper) return static_cast<SkinClass>(i);
  return std::nullopt;
}

const char* SkinClassName(SkinClass c) { return kNames[static_cast<int>(c)]; }

bool IsGraphicControl(SkinClass c) {
  switch (c) {
    case SkinClass::Label:
    case SkinClass::Image:
    case SkinClass::Preview:
    case SkinClass::Shape:
    case SkinClass::MyShape:
    case SkinClass::MyBevel:
    case SkinClass::MyButton:
      return true;
    default:
      return false;
  }
}

bool IsContainer(SkinClass c) {
  return c == SkinClass::ConfigWindow || c == SkinClass::Form || c == SkinClass::Panel ||
         c == SkinClass::PageControl || c == SkinClass::TabSheet;
}

}  // namespace kx
