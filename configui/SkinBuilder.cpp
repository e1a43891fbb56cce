// The window builder: a form text parsed into a TfmKXCOnfigWindow and its controls.
//
// Each property line is looked up in one table by its name (letter case ignored) and the
// classes that accept it; a name the class does not have, or a value of the wrong kind, fails
// the build with the line. The window alone accepts further Boolean lines of the designer and
// ignores them. Colours, fonts, hints and visibility are collected while a control's lines are
// read and applied when the whole window is built, so that a control follows its parent where
// the skin leaves it to (ParentColor, ParentFont, ParentShowHint).
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <optional>

#include "base/MulDiv.h"
#include "configui/ConfigWindow.h"
#include "configui/KXPreview.h"
#include "configui/KXThumbnail2.h"
#include "configui/SkinControls.h"
#include "configui/SkinError.h"
#include "configui/WindowText.h"
#include "project/IniText.h"

namespace kx {
namespace {

using C = SkinClass;
using Kind = FormValue::Kind;

constexpr uint32_t Bit(C c) { return 1u << static_cast<int>(c); }
constexpr uint32_t kWindows = Bit(C::ConfigWindow) | Bit(C::Form);
constexpr uint32_t kTimer = Bit(C::Timer);
constexpr uint32_t kAll = (1u << kSkinClassCount) - 1;
constexpr uint32_t kControls = kAll & ~Bit(C::ConfigWindow) & ~kTimer;
constexpr uint32_t kImages = Bit(C::Image) | Bit(C::Preview);
constexpr uint32_t kShapes = Bit(C::Shape) | Bit(C::MyShape);
constexpr uint32_t kFonted = kWindows | Bit(C::Label) | Bit(C::Panel) | Bit(C::BitBtn) | Bit(C::Button) |
                             Bit(C::MyButton) | Bit(C::CheckBox) | Bit(C::Edit) | Bit(C::MyMemo) |
                             Bit(C::PageControl) | Bit(C::TabSheet) | Bit(C::Thumbnail);
constexpr uint32_t kWindowed = Bit(C::Form) | Bit(C::Thumbnail) | Bit(C::Panel) | Bit(C::BitBtn) | Bit(C::Button) |
                               Bit(C::CheckBox) | Bit(C::Edit) | Bit(C::MyMemo) | Bit(C::PageControl);
constexpr uint32_t kCtl3D = Bit(C::Thumbnail) | Bit(C::Edit) | Bit(C::MyMemo) | Bit(C::CheckBox) | Bit(C::Panel);

// A control while its window is being built.
struct Built {
  C cls = C::ConfigWindow;
  QObject* object = nullptr;
  QWidget* widget = nullptr;
  std::string name;
  Built* parent = nullptr;
  std::vector<Built*> children;
  int tag = 0;
  bool visible = true;
  // Colour and font, applied at the end where the skin set them.
  TColor color = clBtnFace;
  bool parentColor = true;
  QFont font;
  bool parentFont = true;
  std::optional<TColor> fontColor;
  // Hints.
  QString hint;
  bool showHint = false;
  bool parentShowHint = true;
  int tabOrder = -1;
  // A control named by ActivePage (page controls) or ActiveControl (the window), resolved
  // when the whole window exists.
  std::string reference;
  int referenceLine = 0;

  QFont EffectiveFont() const { return parentFont && parent != nullptr ? parent->EffectiveFont() : font; }
  std::optional<TColor> EffectiveFontColor() const {
    return parentFont && parent != nullptr ? parent->EffectiveFontColor() : fontColor;
  }
  bool EffectiveShowHint() const { return parentShowHint && parent != nullptr ? parent->EffectiveShowHint() : showHint; }
};

// One property line being applied to one control.
struct Ctx {
  const FormProperty& property;
  Built& b;
  TfmKXCOnfigWindow& window;
  const FormValue& v() const { return property.value; }

  std::string Who() const {
    return std::string(SkinClassName(b.cls)) + (b.name.empty() ? std::string() : " \"" + b.name + "\"");
  }
  [[noreturn]] void Fail(const std::string& what) const {
    throw SkinErrorAt(property.line, "the property " + property.name + " of " + Who() + " " + what);
  }
  template <class T>
  T* As() const {
    return dynamic_cast<T*>(b.object);
  }
};

std::string ValueText(const FormValue& v) {
  switch (v.kind) {
    case Kind::Integer: return std::to_string(v.integer);
    case Kind::Identifier: return v.text;
    case Kind::String: return "'" + v.text + "'";
    case Kind::Set: return "a set";
    case Kind::List: return "a list";
    case Kind::Binary: return "binary data";
  }
  return "";
}

int32_t Int(const Ctx& c) {
  if (c.v().kind != Kind::Integer) c.Fail("takes a number, not " + ValueText(c.v()));
  if (c.v().integer < INT32_MIN || c.v().integer > INT32_MAX) c.Fail("takes a 32-bit number");
  return static_cast<int32_t>(c.v().integer);
}

int32_t NonNegative(const Ctx& c) {
  const int32_t value = Int(c);
  if (value < 0) c.Fail("cannot be negative");
  return value;
}

bool IsBoolIdentifier(const FormValue& v) {
  if (v.kind != Kind::Identifier) return false;
  const std::string u = UpperAscii(v.text);
  return u == "TRUE" || u == "FALSE";
}

bool Bool(const Ctx& c) {
  if (!IsBoolIdentifier(c.v())) c.Fail("takes True or False, not " + ValueText(c.v()));
  return UpperAscii(c.v().text) == "TRUE";
}

QString Str(const Ctx& c) {
  if (c.v().kind != Kind::String) c.Fail("takes a string, not " + ValueText(c.v()));
  return QString::fromStdString(c.v().text);
}

TColor Color(const Ctx& c) {
  if (c.v().kind == Kind::Integer) {
    if (c.v().integer < INT32_MIN || c.v().integer > UINT32_MAX) c.Fail("takes a 32-bit colour value");
    return static_cast<TColor>(static_cast<uint32_t>(c.v().integer));
  }
  if (c.v().kind == Kind::Identifier)
    if (auto color = ColorFromIdentifier(c.v().text)) return *color;
  c.Fail("takes a colour, not " + ValueText(c.v()));
}

// The position of the identifier in `names` (letter case ignored).
int Enum(const Ctx& c, std::initializer_list<const char*> names) {
  if (c.v().kind == Kind::Identifier) {
    int i = 0;
    for (const char* name : names) {
      if (UpperAscii(name) == UpperAscii(c.v().text)) return i;
      ++i;
    }
  }
  std::string list;
  for (const char* name : names) list += (list.empty() ? "" : ", ") + std::string(name);
  c.Fail("takes one of " + list + ", not " + ValueText(c.v()));
}

std::vector<int> Set(const Ctx& c, std::initializer_list<const char*> names) {
  if (c.v().kind != Kind::Set) c.Fail("takes a set, not " + ValueText(c.v()));
  std::vector<int> out;
  for (const auto& member : c.v().names) {
    int i = 0, found = -1;
    for (const char* name : names) {
      if (UpperAscii(name) == UpperAscii(member)) found = i;
      ++i;
    }
    if (found < 0) c.Fail("holds \"" + member + "\", which is not one of its values");
    out.push_back(found);
  }
  return out;
}

void AnySet(const Ctx& c) {
  if (c.v().kind != Kind::Set) c.Fail("takes a set, not " + ValueText(c.v()));
}

SkinPicture Picture(const Ctx& c, bool glyph) {
  if (c.v().kind != Kind::Binary) c.Fail("takes binary data, not " + ValueText(c.v()));
  try {
    return glyph ? DecodeGlyphData(c.v().bytes) : DecodePictureData(c.v().bytes);
  } catch (const SkinError& e) {
    c.Fail(std::string("cannot be read: ") + e.what());
  }
}

std::vector<std::string> Strings(const Ctx& c) {
  if (c.v().kind != Kind::List) c.Fail("takes a list of strings, not " + ValueText(c.v()));
  std::vector<std::string> out;
  for (const auto& item : c.v().items) {
    if (item.kind != Kind::String) c.Fail("holds " + ValueText(item) + " among its strings");
    out.push_back(item.text);
  }
  return out;
}

void IgnoreInt(const Ctx& c) { Int(c); }
void IgnoreBool(const Ctx& c) { Bool(c); }

// ---- the properties ----

void SetLeft(const Ctx& c) {
  const int v = Int(c);
  if (c.b.widget != nullptr && c.b.cls != C::ConfigWindow && c.b.cls != C::TabSheet) c.b.widget->move(v, c.b.widget->y());
}
void SetTop(const Ctx& c) {
  const int v = Int(c);
  if (c.b.widget != nullptr && c.b.cls != C::ConfigWindow && c.b.cls != C::TabSheet) c.b.widget->move(c.b.widget->x(), v);
}
void SetWidth(const Ctx& c) {
  const int v = NonNegative(c);
  if (c.b.cls != C::TabSheet) c.b.widget->resize(v, c.b.widget->height());
}
void SetHeight(const Ctx& c) {
  const int v = NonNegative(c);
  if (c.b.cls != C::TabSheet) c.b.widget->resize(c.b.widget->width(), v);
}
void SetTag(const Ctx& c) { c.b.tag = Int(c); }

void SetCursor(const Ctx& c) {
  static const Qt::CursorShape kShapes[] = {Qt::ArrowCursor, Qt::ArrowCursor, Qt::PointingHandCursor, Qt::CrossCursor,
                                            Qt::IBeamCursor, Qt::WaitCursor, Qt::ForbiddenCursor, Qt::WhatsThisCursor,
                                            Qt::BlankCursor};
  const int i = Enum(c, {"crDefault", "crArrow", "crHandPoint", "crCross", "crIBeam", "crHourGlass", "crNo", "crHelp", "crNone"});
  if (i == 0) {
    c.b.widget->unsetCursor();
  } else {
    c.b.widget->setCursor(kShapes[i]);
  }
}
void SetHint(const Ctx& c) { c.b.hint = Str(c); }
void SetShowHint(const Ctx& c) {
  c.b.showHint = Bool(c);
  c.b.parentShowHint = false;
}
void SetParentShowHint(const Ctx& c) { c.b.parentShowHint = Bool(c); }

void SetVisible(const Ctx& c) {
  const bool v = Bool(c);
  if (c.b.cls != C::ConfigWindow && c.b.cls != C::TabSheet) c.b.visible = v;
}

void SetEnabled(const Ctx& c) {
  const bool v = Bool(c);
  if (auto* timer = c.As<TTimer>()) {
    timer->Enabled = v;
  } else {
    c.b.widget->setEnabled(v);
  }
}

void SetAlign(const Ctx& c) {
  SetSkinAlign(c.b.widget, static_cast<SkinAlign>(Enum(c, {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"})));
}

void SetCaption(const Ctx& c) {
  const QString text = Str(c);
  switch (c.b.cls) {
    case C::ConfigWindow: c.window.setWindowTitle(text); break;
    case C::Form: c.As<TFormControl>()->SetCaption(text); break;
    case C::Label: c.As<TLabel>()->SetCaption(text); break;
    case C::Panel: c.As<TPanel>()->SetCaption(text); break;
    case C::MyButton: c.As<TMyButton>()->SetCaption(text); break;
    case C::TabSheet: c.As<TTabSheet>()->SetCaption(text); break;
    case C::CheckBox: c.As<TCheckBox>()->setText(text); break;
    default: static_cast<QAbstractButton*>(c.b.widget)->setText(text); break;
  }
}

void SetClientWidth(const Ctx& c) { c.b.widget->resize(NonNegative(c), c.b.widget->height()); }
void SetClientHeight(const Ctx& c) { c.b.widget->resize(c.b.widget->width(), NonNegative(c)); }

void SetColor(const Ctx& c) {
  c.b.color = Color(c);
  c.b.parentColor = false;
}
void SetParentColor(const Ctx& c) {
  c.b.parentColor = Bool(c);
}

void FontChanged(const Ctx& c) {
  if (c.b.parentFont) {
    c.b.font = c.b.EffectiveFont();
    c.b.fontColor = c.b.EffectiveFontColor();
    c.b.parentFont = false;
  }
}
void SetFontCharset(const Ctx& c) {
  if (c.v().kind != Kind::Integer && c.v().kind != Kind::Identifier) c.Fail("takes a character set, not " + ValueText(c.v()));
  FontChanged(c);
}
void SetFontColor(const Ctx& c) {
  const TColor color = Color(c);
  FontChanged(c);
  c.b.fontColor = color;
}
void SetFontHeight(const Ctx& c) {
  const int h = Int(c);
  FontChanged(c);
  // A negative height is the character height in pixels; a positive one the cell height,
  // of which the character takes about four fifths.
  if (h < 0) c.b.font.setPixelSize(-h);
  if (h > 0) c.b.font.setPixelSize(std::max(1, (h * 4 + 2) / 5));
}
void SetFontSize(const Ctx& c) {
  const int points = Int(c);
  FontChanged(c);
  if (points != 0) c.b.font.setPixelSize(std::max(1, std::abs(MulDiv(points, 96, 72))));
}
void SetFontName(const Ctx& c) {
  const QString name = Str(c);
  FontChanged(c);
  c.b.font.setFamilies({name});
}
void SetFontStyle(const Ctx& c) {
  const auto styles = Set(c, {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  FontChanged(c);
  QFont& f = c.b.font;
  f.setBold(false);
  f.setItalic(false);
  f.setUnderline(false);
  f.setStrikeOut(false);
  for (int s : styles) {
    if (s == 0) f.setBold(true);
    if (s == 1) f.setItalic(true);
    if (s == 2) f.setUnderline(true);
    if (s == 3) f.setStrikeOut(true);
  }
}
void SetFontPitch(const Ctx& c) {
  Enum(c, {"fpDefault", "fpVariable", "fpFixed"});
  FontChanged(c);
}
void SetParentFont(const Ctx& c) {
  c.b.parentFont = Bool(c);
}

void SetActiveControl(const Ctx& c) {
  if (c.v().kind != Kind::Identifier) c.Fail("takes a control's name, not " + ValueText(c.v()));
  if (c.b.cls == C::ConfigWindow) {
    c.b.reference = c.v().text;
    c.b.referenceLine = c.property.line;
  }
}

void SetWindowFlag(const Ctx& c, bool TfmKXCOnfigWindow::*flag) {
  const bool v = Bool(c);
  if (c.b.cls == C::ConfigWindow) c.window.*flag = v;
}
void SetNoFrame(const Ctx& c) { SetWindowFlag(c, &TfmKXCOnfigWindow::NoFrame); }
void SetSizeable(const Ctx& c) { SetWindowFlag(c, &TfmKXCOnfigWindow::Sizeable); }
void SetShowButtons(const Ctx& c) { SetWindowFlag(c, &TfmKXCOnfigWindow::ShowButtons); }
void SetMinimizeButton(const Ctx& c) { SetWindowFlag(c, &TfmKXCOnfigWindow::MinimizeButton); }
void SetMaximizeButton(const Ctx& c) { SetWindowFlag(c, &TfmKXCOnfigWindow::MaximizeButton); }
void SetMaximizeOnShow(const Ctx& c) { SetWindowFlag(c, &TfmKXCOnfigWindow::MaximizeOnShow); }

void SetAlignment(const Ctx& c) {
  const int i = Enum(c, {"taLeftJustify", "taRightJustify", "taCenter"});
  const Qt::Alignment a = i == 0 ? Qt::AlignLeft : i == 1 ? Qt::AlignRight : Qt::AlignHCenter;
  if (auto* label = c.As<TLabel>()) label->SetAlignment(a);
  if (auto* panel = c.As<TPanel>()) panel->SetAlignment(a);
  // A check box written left-justified has its box on the right.
  if (auto* box = c.As<TCheckBox>()) box->setLayoutDirection(i == 0 ? Qt::RightToLeft : Qt::LeftToRight);
}

void SetAutoSize(const Ctx& c) {
  const bool v = Bool(c);
  if (auto* label = c.As<TLabel>()) label->SetAutoSize(v);
  if (auto* image = c.As<TImage>()) image->SetAutoSize(v);
  if (auto* button = c.As<TMyButton>()) button->SetAutoSize(v);
}

void SetLayout(const Ctx& c) {
  c.As<TLabel>()->SetLayout(static_cast<TLabel::TextLayout>(Enum(c, {"tlTop", "tlCenter", "tlBottom"})));
}

void SetTransparent(const Ctx& c) {
  const bool v = Bool(c);
  if (auto* label = c.As<TLabel>()) label->SetTransparent(v);
  if (auto* image = c.As<TImage>()) image->SetTransparent(v);
  if (auto* button = c.As<TMyButton>()) button->SetTransparent(v);
}

void SetWordWrap(const Ctx& c) {
  const bool v = Bool(c);
  if (auto* label = c.As<TLabel>()) label->SetWordWrap(v);
  if (auto* memo = c.As<TMyMemo>()) memo->SetWordWrap(v);
}

void SetPictureData(const Ctx& c) { c.As<TImage>()->SetPicture(SkinImage(Picture(c, false))); }
void SetCenter(const Ctx& c) { c.As<TImage>()->SetCenter(Bool(c)); }
void SetStretch(const Ctx& c) {
  const bool v = Bool(c);
  if (c.b.cls == C::Image) c.As<TImage>()->SetStretch(v);  // a preview always stretches
}
void SetProportional(const Ctx& c) { c.As<TImage>()->SetProportional(Bool(c)); }
void SetUnavailableMsg(const Ctx& c) { c.As<TKXPreview>()->UnavailableMsg = Str(c).toStdString(); }

void SetPictureWidth(const Ctx& c) { c.As<TKXThumbnail2>()->SetPictureWidth(NonNegative(c)); }
void SetPictureHeight(const Ctx& c) { c.As<TKXThumbnail2>()->SetPictureHeight(NonNegative(c)); }
void SetShowCheckBox(const Ctx& c) { c.As<TKXThumbnail2>()->SetShowCheckBox(Bool(c)); }
void SetShowTitle(const Ctx& c) { c.As<TKXThumbnail2>()->SetShowTitle(Bool(c)); }
void SetMultiRows(const Ctx& c) { c.As<TKXThumbnail2>()->SetMultiRows(Bool(c)); }

void SetTabOrder(const Ctx& c) { c.b.tabOrder = NonNegative(c); }
void SetTabStop(const Ctx& c) {
  if (!Bool(c)) c.b.widget->setFocusPolicy(Qt::NoFocus);
}

void SetScrollBars(const Ctx& c) {
  const int i = Enum(c, {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"});
  if (auto* memo = c.As<TMyMemo>()) {
    memo->setHorizontalScrollBarPolicy(i == 1 || i == 3 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(i == 2 || i == 3 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  }
  // A grid's scroll bars follow its MultiRows setting.
}

void SetShape(const Ctx& c) {
  if (auto* bevel = c.As<TMyBevel>()) {
    bevel->SetShape(static_cast<TMyBevel::Kind>(
        Enum(c, {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"})));
  } else {
    c.As<TShape>()->SetShape(static_cast<TShape::Kind>(
        Enum(c, {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"})));
  }
}
void SetBrushColor(const Ctx& c) { c.As<TShape>()->SetBrushColor(Color(c)); }
void SetBrushStyle(const Ctx& c) {
  static const Qt::BrushStyle kStyles[] = {Qt::SolidPattern,   Qt::NoBrush,       Qt::HorPattern,   Qt::VerPattern,
                                           Qt::FDiagPattern,   Qt::BDiagPattern,  Qt::CrossPattern, Qt::DiagCrossPattern};
  c.As<TShape>()->SetBrushStyle(kStyles[Enum(
      c, {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"})]);
}
void SetPenColor(const Ctx& c) { c.As<TShape>()->SetPenColor(Color(c)); }
void SetPenWidth(const Ctx& c) { c.As<TShape>()->SetPenWidth(NonNegative(c)); }
void SetPenStyle(const Ctx& c) {
  static const Qt::PenStyle kStyles[] = {Qt::SolidLine,      Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                         Qt::DashDotDotLine, Qt::NoPen,    Qt::SolidLine};
  c.As<TShape>()->SetPenStyle(
      kStyles[Enum(c, {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"})]);
}

void SetStyle(const Ctx& c) {
  if (auto* bevel = c.As<TMyBevel>()) {
    bevel->SetRaised(Enum(c, {"bsLowered", "bsRaised"}) == 1);
  } else {
    // Button-styled tabs are drawn as the document-mode tabs of the toolkit.
    c.As<TPageControl>()->setDocumentMode(Enum(c, {"tsTabs", "tsButtons", "tsFlatButtons"}) != 0);
  }
}

TPanel::Bevel PanelBevel(const Ctx& c) {
  return static_cast<TPanel::Bevel>(Enum(c, {"bvNone", "bvLowered", "bvRaised", "bvSpace"}));
}
void SetBevelInner(const Ctx& c) { c.As<TPanel>()->SetBevelInner(PanelBevel(c)); }
void SetBevelOuter(const Ctx& c) { c.As<TPanel>()->SetBevelOuter(PanelBevel(c)); }
void SetBevelWidth(const Ctx& c) { c.As<TPanel>()->SetBevelWidth(NonNegative(c)); }
void SetBorderWidth(const Ctx& c) { c.As<TPanel>()->SetBorderWidth(NonNegative(c)); }

void SetGlyphData(const Ctx& c) { c.As<TBitBtn>()->SetGlyph(Picture(c, true)); }
void SetNumGlyphs(const Ctx& c) {
  const int n = Int(c);
  if (n < 1 || n > 4) c.Fail("takes 1 to 4");
  c.As<TBitBtn>()->SetNumGlyphs(n);
}

void SetShowCaption(const Ctx& c) { c.As<TMyButton>()->SetShowCaption(Bool(c)); }
void SetAllowDown(const Ctx& c) { c.As<TMyButton>()->SetAllowDown(Bool(c)); }
void SetDown(const Ctx& c) { c.As<TMyButton>()->SetDown(Bool(c)); }
void SetButtonUp(const Ctx& c) { c.As<TMyButton>()->SetButtonUp(SkinImage(Picture(c, false))); }
void SetButtonDown(const Ctx& c) { c.As<TMyButton>()->SetButtonDown(SkinImage(Picture(c, false))); }
void SetButtonOver(const Ctx& c) { c.As<TMyButton>()->SetButtonOver(SkinImage(Picture(c, false))); }
void SetButtonDisable(const Ctx& c) { c.As<TMyButton>()->SetButtonDisable(SkinImage(Picture(c, false))); }

void SetChecked(const Ctx& c) { c.As<TCheckBox>()->setChecked(Bool(c)); }
void SetState(const Ctx& c) {
  const int i = Enum(c, {"cbUnchecked", "cbChecked", "cbGrayed"});
  auto* box = c.As<TCheckBox>();
  if (i == 2) box->setTristate(true);
  box->setCheckState(i == 0 ? Qt::Unchecked : i == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

void SetText(const Ctx& c) {
  const QString text = Str(c);
  if (auto* edit = c.As<TEdit>()) edit->setText(text);
  if (auto* memo = c.As<TMyMemo>()) memo->SetText(text.toStdString());
}
void SetReadOnly(const Ctx& c) {
  const bool v = Bool(c);
  if (auto* edit = c.As<TEdit>()) edit->setReadOnly(v);
  if (auto* memo = c.As<TMyMemo>()) memo->setReadOnly(v);
}
void SetMaxLength(const Ctx& c) {
  const int n = NonNegative(c);
  if (auto* edit = c.As<TEdit>()) edit->setMaxLength(n == 0 ? 32767 : n);
}
void SetLinesStrings(const Ctx& c) { c.As<TMyMemo>()->SetLines(Strings(c)); }

void SetActivePage(const Ctx& c) {
  if (c.v().kind != Kind::Identifier) c.Fail("takes a page's name, not " + ValueText(c.v()));
  c.b.reference = c.v().text;
  c.b.referenceLine = c.property.line;
}
void SetTabPosition(const Ctx& c) {
  static const QTabWidget::TabPosition kPositions[] = {QTabWidget::North, QTabWidget::South, QTabWidget::West,
                                                       QTabWidget::East};
  c.As<TPageControl>()->setTabPosition(kPositions[Enum(c, {"tpTop", "tpBottom", "tpLeft", "tpRight"})]);
}
void SetTabVisible(const Ctx& c) {
  auto* sheet = c.As<TTabSheet>();
  sheet->PageControl()->setTabVisible(sheet->PageControl()->indexOf(sheet), Bool(c));
}
void SetInterval(const Ctx& c) { c.As<TTimer>()->setInterval(NonNegative(c)); }

struct PropertyRule {
  const char* name;
  uint32_t classes;
  void (*apply)(const Ctx&);
};

const PropertyRule kProperties[] = {
    {"Left", kAll, SetLeft},
    {"Top", kAll, SetTop},
    {"Width", kAll & ~kTimer, SetWidth},
    {"Height", kAll & ~kTimer, SetHeight},
    {"Tag", kAll, SetTag},
    {"Cursor", kAll & ~kTimer, SetCursor},
    {"Hint", kAll & ~kTimer, SetHint},
    {"ShowHint", kAll & ~kTimer, SetShowHint},
    {"ParentShowHint", kControls, SetParentShowHint},
    {"Visible", kAll & ~kTimer, SetVisible},
    {"Enabled", kAll, SetEnabled},
    {"Align", kControls & ~Bit(C::TabSheet), SetAlign},
    {"Caption", kWindows | Bit(C::Label) | Bit(C::Panel) | Bit(C::BitBtn) | Bit(C::Button) | Bit(C::MyButton) |
                    Bit(C::CheckBox) | Bit(C::TabSheet), SetCaption},
    {"ClientWidth", kWindows, SetClientWidth},
    {"ClientHeight", kWindows, SetClientHeight},
    {"Color", kWindows | Bit(C::Label) | Bit(C::Thumbnail) | Bit(C::Panel) | Bit(C::Edit) | Bit(C::MyMemo) |
                  Bit(C::CheckBox), SetColor},
    {"ParentColor", kWindows | Bit(C::Label) | Bit(C::Thumbnail) | Bit(C::Panel) | Bit(C::Edit) | Bit(C::MyMemo) |
                        Bit(C::CheckBox), SetParentColor},
    {"Font.Charset", kFonted, SetFontCharset},
    {"Font.Color", kFonted, SetFontColor},
    {"Font.Height", kFonted, SetFontHeight},
    {"Font.Size", kFonted, SetFontSize},
    {"Font.Name", kFonted, SetFontName},
    {"Font.Style", kFonted, SetFontStyle},
    {"Font.Pitch", kFonted, SetFontPitch},
    {"ParentFont", kFonted & ~Bit(C::ConfigWindow), SetParentFont},
    {"KeyPreview", kWindows, IgnoreBool},
    {"AutoScroll", kWindows, IgnoreBool},
    {"OldCreateOrder", kWindows, IgnoreBool},
    {"PixelsPerInch", kWindows, IgnoreInt},
    {"TextHeight", kWindows, IgnoreInt},
    {"ActiveControl", kWindows, SetActiveControl},
    {"NoFrame", kWindows, SetNoFrame},
    {"Sizeable", kWindows, SetSizeable},
    {"ShowButtons", kWindows, SetShowButtons},
    {"MinimizeButton", kWindows, SetMinimizeButton},
    {"MaximizeButton", kWindows, SetMaximizeButton},
    {"MaximizeOnShow", kWindows, SetMaximizeOnShow},
    {"Alignment", Bit(C::Label) | Bit(C::Panel) | Bit(C::CheckBox), SetAlignment},
    {"AutoSize", Bit(C::Label) | kImages | Bit(C::MyButton) | Bit(C::Edit), SetAutoSize},
    {"Layout", Bit(C::Label), SetLayout},
    {"Transparent", Bit(C::Label) | kImages | Bit(C::MyButton), SetTransparent},
    {"WordWrap", Bit(C::Label) | Bit(C::MyMemo), SetWordWrap},
    {"Picture.Data", kImages, SetPictureData},
    {"Center", kImages, SetCenter},
    {"Stretch", kImages, SetStretch},
    {"Proportional", kImages, SetProportional},
    {"UnavailableMsg", Bit(C::Preview), SetUnavailableMsg},
    {"PictureWidth", Bit(C::Thumbnail), SetPictureWidth},
    {"PictureHeight", Bit(C::Thumbnail), SetPictureHeight},
    {"ShowCheckBox", Bit(C::Thumbnail), SetShowCheckBox},
    {"ShowTitle", Bit(C::Thumbnail), SetShowTitle},
    {"MultiRows", Bit(C::Thumbnail), SetMultiRows},
    {"Ctl3D", kCtl3D, IgnoreBool},
    {"ParentCtl3D", kCtl3D, IgnoreBool},
    {"TabOrder", kWindowed, SetTabOrder},
    {"TabStop", kWindowed, SetTabStop},
    {"ColCount", Bit(C::Thumbnail), IgnoreInt},
    {"RowCount", Bit(C::Thumbnail), IgnoreInt},
    {"DefaultColWidth", Bit(C::Thumbnail), IgnoreInt},
    {"DefaultRowHeight", Bit(C::Thumbnail), IgnoreInt},
    {"DefaultDrawing", Bit(C::Thumbnail), IgnoreBool},
    {"FixedCols", Bit(C::Thumbnail), IgnoreInt},
    {"FixedRows", Bit(C::Thumbnail), IgnoreInt},
    {"Options", Bit(C::Thumbnail), AnySet},
    {"ScrollBars", Bit(C::Thumbnail) | Bit(C::MyMemo), SetScrollBars},
    {"Shape", kShapes | Bit(C::MyBevel), SetShape},
    {"Brush.Color", kShapes, SetBrushColor},
    {"Brush.Style", kShapes, SetBrushStyle},
    {"Pen.Color", kShapes, SetPenColor},
    {"Pen.Width", kShapes, SetPenWidth},
    {"Pen.Style", kShapes, SetPenStyle},
    {"Style", Bit(C::MyBevel) | Bit(C::PageControl), SetStyle},
    {"BevelInner", Bit(C::Panel), SetBevelInner},
    {"BevelOuter", Bit(C::Panel), SetBevelOuter},
    {"BevelWidth", Bit(C::Panel), SetBevelWidth},
    {"BorderWidth", Bit(C::Panel), SetBorderWidth},
    {"Glyph.Data", Bit(C::BitBtn), SetGlyphData},
    {"NumGlyphs", Bit(C::BitBtn), SetNumGlyphs},
    {"ShowCaption", Bit(C::MyButton), SetShowCaption},
    {"AllowDown", Bit(C::MyButton), SetAllowDown},
    {"Down", Bit(C::MyButton), SetDown},
    {"ButtonUp.Data", Bit(C::MyButton), SetButtonUp},
    {"ButtonDown.Data", Bit(C::MyButton), SetButtonDown},
    {"ButtonOver.Data", Bit(C::MyButton), SetButtonOver},
    {"ButtonDisable.Data", Bit(C::MyButton), SetButtonDisable},
    {"Checked", Bit(C::CheckBox), SetChecked},
    {"State", Bit(C::CheckBox), SetState},
    {"Text", Bit(C::Edit) | Bit(C::MyMemo), SetText},
    {"ReadOnly", Bit(C::Edit) | Bit(C::MyMemo), SetReadOnly},
    {"MaxLength", Bit(C::Edit), SetMaxLength},
    {"Lines.Strings", Bit(C::MyMemo), SetLinesStrings},
    {"ActivePage", Bit(C::PageControl), SetActivePage},
    {"TabPosition", Bit(C::PageControl), SetTabPosition},
    {"HotTrack", Bit(C::PageControl), IgnoreBool},
    {"TabVisible", Bit(C::TabSheet), SetTabVisible},
    {"ImageIndex", Bit(C::TabSheet), IgnoreInt},
    {"Interval", kTimer, SetInterval},
};

void ApplyProperty(const FormProperty& property, Built& b, TfmKXCOnfigWindow& window) {
  const Ctx c{property, b, window};
  const std::string upper = UpperAscii(property.name);
  for (const auto& rule : kProperties) {
    if ((rule.classes & Bit(b.cls)) != 0 && UpperAscii(rule.name) == upper) {
      rule.apply(c);
      return;
    }
  }
  // The designer writes further Boolean lines on its windows; they mean nothing here.
  if ((Bit(b.cls) & kWindows) != 0 && IsBoolIdentifier(property.value)) return;
  throw SkinErrorAt(property.line, "\"" + property.name + "\" is not a property of " + c.Who());
}

// ---- building ----

QPalette::ColorRole BackgroundRole(C cls) {
  return cls == C::Edit || cls == C::MyMemo || cls == C::Thumbnail ? QPalette::Base : QPalette::Window;
}

class Builder {
 public:
  Builder(TfmKXCOnfigWindow& window) : window_(window) {}

  void Build(const FormObject& root) {
    Built& b = Add(C::ConfigWindow, &window_, root.name, nullptr);
    window_.setObjectName(QString::fromStdString(root.name));
    window_.setWindowTitle(QStringLiteral("fmKXCOnfigWindow"));
    window_.resize(331, 444);
    b.color = clBtnFace;
    b.parentColor = false;
    b.font = QFont(QStringLiteral("MS Sans Serif"));
    b.font.setPixelSize(11);
    b.parentFont = false;
    b.fontColor = clWindowText;
    for (const auto& property : root.properties) ApplyProperty(property, b, window_);
    for (const auto& child : root.children) BuildChild(*child, b);
    Finish();
  }

 private:
  Built& Add(C cls, QObject* object, const std::string& name, Built* parent) {
    auto built = std::make_unique<Built>();
    built->cls = cls;
    built->object = object;
    built->widget = qobject_cast<QWidget*>(object);
    built->name = name;
    built->parent = parent;
    if (parent != nullptr) parent->children.push_back(built.get());
    if (!name.empty()) object->setObjectName(QString::fromStdString(name));
    all_.push_back(std::move(built));
    return *all_.back();
  }

  QObject* Create(C cls, const FormObject& object, Built& parent) {
    if (cls == C::Timer) return new TTimer(&window_);
    const std::string who = std::string(SkinClassName(cls)) + (object.name.empty() ? "" : " \"" + object.name + "\"");
    if (cls == C::TabSheet) {
      if (parent.cls != C::PageControl)
        throw SkinErrorAt(object.line, who + " must stand inside a TPageControl");
      return new TTabSheet(static_cast<TPageControl*>(parent.widget));
    }
    if (parent.cls == C::PageControl)
      throw SkinErrorAt(object.line, who + " cannot stand inside a TPageControl, which holds TTabSheet pages only");
    if (!IsContainer(parent.cls))
      throw SkinErrorAt(object.line, who + " cannot stand inside " + SkinClassName(parent.cls) + ", which holds no controls");
    QWidget* p = parent.widget;
    QWidget* w = nullptr;
    switch (cls) {
      case C::ConfigWindow:
        throw SkinErrorAt(object.line, who + ": a window cannot stand inside another");
      case C::Form: w = new TFormControl(p); w->resize(320, 240); break;
      case C::Label: w = new TLabel(p); w->resize(65, 17); break;
      case C::Image: w = new TImage(p); w->resize(105, 105); break;
      case C::Preview: w = new TKXPreview(p); w->resize(105, 105); break;
      case C::Thumbnail: w = new TKXThumbnail2(p); break;
      case C::Shape: w = new TShape(p); w->resize(65, 65); break;
      case C::MyShape: w = new TMyShape(p); w->resize(65, 65); break;
      case C::MyBevel: w = new TMyBevel(p); w->resize(50, 50); break;
      case C::Panel: w = new TPanel(p); w->resize(185, 41); break;
      case C::BitBtn: w = new TBitBtn(p); w->resize(75, 25); break;
      case C::Button: w = new TButton(p); w->resize(75, 25); break;
      case C::MyButton: w = new TMyButton(p); w->resize(75, 25); break;
      case C::CheckBox: w = new TCheckBox(p); w->resize(97, 17); break;
      case C::Edit: w = new TEdit(p); w->resize(121, 21); break;
      case C::MyMemo: w = new TMyMemo(p); w->resize(185, 89); break;
      case C::PageControl: w = new TPageControl(p); w->resize(289, 193); break;
      default: break;
    }
    return w;
  }

  // Nesting is bounded by the parser (kMaxObjectDepth), so this recursion is too.
  void BuildChild(const FormObject& object, Built& parent) {
    const auto cls = SkinClassFromName(object.className);
    if (!cls) throw SkinErrorAt(object.line, "the class \"" + object.className + "\" is not one a skin may use");
    QObject* created = Create(*cls, object, parent);
    Built& b = Add(*cls, created, object.name, *cls == C::Timer ? nullptr : &parent);
    b.parent = *cls == C::Timer ? nullptr : &parent;
    if (b.cls == C::Label) static_cast<TLabel*>(b.widget)->SetLoading(true);
    // Panels, forms, edits, memos and grids have a colour of their own until told otherwise.
    switch (b.cls) {
      case C::Panel: case C::Form: b.color = clBtnFace; b.parentColor = false; break;
      case C::Edit: case C::MyMemo: case C::Thumbnail: b.color = clWindow; b.parentColor = false; break;
      default: break;
    }
    for (const auto& property : object.properties) ApplyProperty(property, b, window_);
    if (b.cls == C::Timer && !object.children.empty())
      throw SkinErrorAt(object.children.front()->line, "a TTimer holds no controls");
    for (const auto& child : object.children) BuildChild(*child, b);
  }

  const Built* FindBuilt(const std::string& name) const {
    const std::string upper = UpperAscii(name);
    for (const auto& b : all_)
      if (b->cls != C::ConfigWindow && UpperAscii(b->name) == upper) return b.get();
    return nullptr;
  }

  void Finish() {
    // References by name.
    for (const auto& b : all_) {
      if (b->reference.empty()) continue;
      const Built* target = FindBuilt(b->reference);
      if (b->cls == C::PageControl) {
        if (target == nullptr || target->cls != C::TabSheet || target->parent != b.get())
          throw SkinErrorAt(b->referenceLine, "ActivePage names \"" + b->reference + "\", which is not a page of " +
                                                   SkinClassName(b->cls) + " \"" + b->name + "\"");
        static_cast<QTabWidget*>(b->widget)->setCurrentWidget(target->widget);
      } else {
        if (target == nullptr || target->widget == nullptr)
          throw SkinErrorAt(b->referenceLine, "ActiveControl names \"" + b->reference + "\", which is not a control");
        window_.ActiveControl = target->widget;
      }
    }
    // Colours, fonts, hints and visibility, parents first.
    for (const auto& b : all_) {
      if (b->widget == nullptr) continue;
      QPalette palette;
      bool paletteSet = false;
      if (!b->parentColor) {
        const QColor color = ResolveColor(b->color);
        palette.setColor(BackgroundRole(b->cls), color);
        if (b->cls == C::CheckBox) b->widget->setAutoFillBackground(true);
        paletteSet = true;
      }
      if (!b->parentFont) {
        b->widget->setFont(b->font);
        if (b->fontColor) {
          const QColor text = ResolveColor(*b->fontColor);
          // Disabled controls keep the toolkit's grey text.
          for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            palette.setColor(QPalette::Active, role, text);
            palette.setColor(QPalette::Inactive, role, text);
          }
          paletteSet = true;
        }
      }
      if (paletteSet) b->widget->setPalette(palette);
      if (b->EffectiveShowHint() && !b->hint.isEmpty()) b->widget->setToolTip(b->hint);
      if (b->cls != C::ConfigWindow && b->cls != C::TabSheet) b->widget->setVisible(b->visible);
    }
    // Windowed controls lie above the graphic ones of the same parent, and take the focus
    // in the order of their TabOrder.
    for (const auto& b : all_) {
      if (!IsContainer(b->cls) || b->cls == C::PageControl) continue;
      std::vector<Built*> focusable;
      for (Built* child : b->children) {
        if (IsGraphicControl(child->cls)) continue;
        child->widget->raise();
        if (child->tabOrder >= 0) focusable.push_back(child);
      }
      std::stable_sort(focusable.begin(), focusable.end(), [](const Built* x, const Built* y) { return x->tabOrder < y->tabOrder; });
      for (size_t i = 1; i < focusable.size(); ++i) QWidget::setTabOrder(focusable[i - 1]->widget, focusable[i]->widget);
    }
    for (const auto& b : all_) {
      if (b->cls == C::Label) {
        auto* label = static_cast<TLabel*>(b->widget);
        label->SetLoading(false);
        label->AdjustBounds();
      }
    }
    for (const auto& b : all_) {
      if (b->cls == C::ConfigWindow) AlignChildControls(&window_, window_.rect());
      else if (auto* control = dynamic_cast<TSkinControl*>(b->object)) AlignChildControls(control, control->AlignRect());
    }
    for (const auto& b : all_) {
      if (b->cls == C::ConfigWindow) continue;
      window_.Components.push_back({b->name, b->cls, b->object, b->parent != nullptr ? b->parent->widget : nullptr, b->tag});
    }
  }

  TfmKXCOnfigWindow& window_;
  std::vector<std::unique_ptr<Built>> all_;
};

void ApplyPlaceholdersIn(TfmKXCOnfigWindow& window, const QWidget* container, const TKXCProject& project) {
  auto replace = [&](const QString& text) {
    return QString::fromStdString(ReplaceCaptionPlaceholders(text.toStdString(), project));
  };
  for (const SkinComponent& c : window.Components) {
    if (c.Parent != container) continue;
    switch (c.Class) {
      case C::Label: {
        auto* label = static_cast<TLabel*>(c.Object);
        label->SetCaption(replace(label->Caption()));
        break;
      }
      case C::BitBtn: {
        auto* button = static_cast<TBitBtn*>(c.Object);
        button->setText(replace(button->text()));
        break;
      }
      case C::MyButton: {
        auto* button = static_cast<TMyButton*>(c.Object);
        button->SetCaption(replace(button->Caption()));
        break;
      }
      case C::MyMemo: {
        auto* memo = static_cast<TMyMemo*>(c.Object);
        memo->SetText(ReplaceCaptionPlaceholders(memo->Text(), project));
        break;
      }
      case C::Panel:
        ApplyPlaceholdersIn(window, c.Widget(), project);
        break;
      default:
        break;
    }
  }
}

void SetFrame(TfmKXCOnfigWindow& window) {
  Qt::WindowFlags flags = Qt::Window;
  if (window.NoFrame) {
    flags |= Qt::FramelessWindowHint;
  } else {
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (window.ShowButtons) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (window.MinimizeButton) flags |= Qt::WindowMinimizeButtonHint;
    if (window.MaximizeButton) flags |= Qt::WindowMaximizeButtonHint;
  }
  window.setWindowFlags(flags);
  if ((window.NoFrame || !window.Sizeable) && !window.MaximizeOnShow) window.setFixedSize(window.size());
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    window.move(area.x() + (area.width() - window.width()) / 2, area.y() + (area.height() - window.height()) / 2);
  }
  // After the move, which would end the maximized state again.
  if (window.MaximizeOnShow) window.setWindowState(Qt::WindowMaximized);
}

}  // namespace

void ApplyPlaceholdersToControls(TfmKXCOnfigWindow& window, const TKXCProject& project) {
  window.setWindowTitle(QString::fromStdString(ReplacePlaceholders(window.windowTitle().toStdString(), project)));
  ApplyPlaceholdersIn(window, &window, project);
}

std::unique_ptr<TfmKXCOnfigWindow> CreateSkinWindow(const TKXForms& forms, const TKXCProject& project,
                                                    const std::string& name, QWidget* parent) {
  const TKXForm& form = forms.FindForm(TrimBlanks(name));
  auto window = std::make_unique<TfmKXCOnfigWindow>(parent);
  try {
    const auto root = ParseFormText(BuildWindowLines(form));
    Builder(*window).Build(*root);
  } catch (const SkinError& e) {
    throw SkinError("The skin form \"" + form.Name + "\" cannot be built: " + e.what());
  }
  ApplyPlaceholdersToControls(*window, project);
  SetFrame(*window);
  return window;
}

}  // namespace kx
