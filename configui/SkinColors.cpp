#include "configui/SkinColors.h"

#include "project/IniText.h"

namespace kx {
namespace {

struct NamedColor {
  const char* name;
  TColor value;
};

// The sixteen colours, their usual synonyms and extras, then the system colours by index.
constexpr NamedColor kNamedColors[] = {
    {"clBlack", 0x000000},      {"clMaroon", 0x000080},    {"clGreen", 0x008000},
    {"clOlive", 0x008080},      {"clNavy", 0x800000},      {"clPurple", 0x800080},
    {"clTeal", 0x808000},       {"clGray", 0x808080},      {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},        {"clLime", 0x00FF00},      {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},       {"clFuchsia", 0xFF00FF},   {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},      {"clLtGray", 0xC0C0C0},    {"clDkGray", 0x808080},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},   {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},    {"clNone", clNone},        {"clDefault", clDefault},
    {"clScrollBar", SystemColor(0)},
    {"clBackground", SystemColor(1)},
    {"clActiveCaption", SystemColor(2)},
    {"clInactiveCaption", SystemColor(3)},
    {"clMenu", SystemColor(4)},
    {"clWindow", SystemColor(5)},
    {"clWindowFrame", SystemColor(6)},
    {"clMenuText", SystemColor(7)},
    {"clWindowText", SystemColor(8)},
    {"clCaptionText", SystemColor(9)},
    {"clActiveBorder", SystemColor(10)},
    {"clInactiveBorder", SystemColor(11)},
    {"clAppWorkSpace", SystemColor(12)},
    {"clHighlight", SystemColor(13)},
    {"clHighlightText", SystemColor(14)},
    {"clBtnFace", SystemColor(15)},
    {"clBtnShadow", SystemColor(16)},
    {"clGrayText", SystemColor(17)},
    {"clBtnText", SystemColor(18)},
    {"clInactiveCaptionText", SystemColor(19)},
    {"clBtnHighlight", SystemColor(20)},
    {"cl3DDkShadow", SystemColor(21)},
    {"cl3DLight", SystemColor(22)},
    {"clInfoText", SystemColor(23)},
    {"clInfoBk", SystemColor(24)},
    {"clHotLight", SystemColor(26)},
    {"clGradientActiveCaption", SystemColor(27)},
    {"clGradientInactiveCaption", SystemColor(28)},
    {"clMenuHighlight", SystemColor(29)},
    {"clMenuBar", SystemColor(30)},
};

// The classic (Windows 2000) values, 0xRRGGBB, by system colour index.
constexpr uint32_t kClassic[kSystemColorCount] = {
    0xD4D0C8, 0x3A6EA5, 0x0A246A, 0x808080, 0xD4D0C8, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xD4D0C8, 0xD4D0C8, 0x808080, 0x0A246A, 0xFFFFFF, 0xD4D0C8,
    0x808080, 0x808080, 0x000000, 0xD4D0C8, 0xFFFFFF, 0x404040, 0xD4D0C8, 0x000000,
    0xFFFFE1, 0xB5B5B5, 0x000080, 0xA6CAF0, 0xC0C0C0, 0x316AC5, 0xD4D0C8,
};

}  // namespace

std::optional<TColor> ColorFromIdentifier(const std::string& name) {
  const std::string upper = UpperAscii(name);
  for (const auto& c : kNamedColors)
    if (UpperAscii(c.name) == upper) return c.value;
  return std::nullopt;
}

uint32_t ClassicSystemColor(int index) {
  return index >= 0 && index < kSystemColorCount ? kClassic[index] : 0;
}

}  // namespace kx

namespace kx {

TColor ShadeColor(TColor tint, TColor base, int percent) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int64_t t = (static_cast<uint32_t>(tint) >> shift) & 0xFF;
    const int64_t b = (static_cast<uint32_t>(base) >> shift) & 0xFF;
    int64_t value = 255 - ((255 - t) * percent + (255 - b) * 100) / 100;
    value = value < 0 ? 0 : value > 255 ? 255 : value;
    out |= static_cast<uint32_t>(value) << shift;
  }
  return static_cast<TColor>(out);
}

}  // namespace kx
