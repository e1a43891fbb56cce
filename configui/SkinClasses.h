#pragma once
// The closed list of classes that a skin window's text may name.
//
// Class names match without regard to letter case. The root object of every window is made a
// TfmKXCOnfigWindow; the other classes are its controls. A name outside this list fails the
// build of the window.
//
// Graphic controls (labels, images, shapes, bevels, picture buttons) paint on their parent and
// always lie below the windowed controls of the same parent; each group keeps text order
// among itself. Only containers hold child controls: the window, a TForm, a TPanel, a
// TPageControl (which holds only TTabSheet objects) and a TTabSheet. A timer has no parent
// control.
#include <optional>
#include <string>

namespace kx {

enum class SkinClass {
  ConfigWindow,  // TfmKXCOnfigWindow
  Form,          // TForm
  Label,         // TLabel
  Image,         // TImage
  Preview,       // TKXPreview
  Thumbnail,     // TKXThumbnail2
  Shape,         // TShape
  MyShape,       // TMyShape
  MyBevel,       // TMyBevel
  Panel,         // TPanel
  BitBtn,        // TBitBtn
  Button,        // TButton
  MyButton,      // TMyButton
  CheckBox,      // TCheckBox
  Edit,          // TEdit
  MyMemo,        // TMyMemo
  PageControl,   // TPageControl
  TabSheet,      // TTabSheet
  Timer,         // TTimer
};
inline constexpr int kSkinClassCount = 19;

// The class a name gives, or nullopt for a name outside the list.
std::optional<SkinClass> SkinClassFromName(const std::string& name);
// The class's name as skins write it ("TLabel").
const char* SkinClassName(SkinClass c);

bool IsGraphicControl(SkinClass c);
bool IsContainer(SkinClass c);

// The root class of every window, and the name BuildWindowText writes for it.
inline constexpr const char* kWindowClassName = "TfmKXConfigWindow";

}  // namespace kx
