#pragma once
// Colours of skin texts.
//
// A colour is a Windows colour value held in 32 bits (TColor):
//   0x00BBGGRR   an RGB colour, red in the lowest byte (16109504 = 0xF5CFC0: red 192,
//                green 207, blue 245);
//   0xFF0000nn   the system colour with index nn (clBtnFace is 0xFF00000F), resolved when
//                the control paints, so that it follows the desktop's palette;
//   clNone (0x1FFFFFFF) and clDefault (0x20000000).
// A text names a colour by identifier (clRed, clBtnFace; case does not matter) or writes the
// value as a decimal integer (system colours then appear negative, -16777201 = clBtnFace).
#include <cstdint>
#include <optional>
#include <string>

namespace kx {

using TColor = int32_t;

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor SystemColor(int index) { return static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(index)); }
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clHighlight = SystemColor(13);
inline constexpr TColor clHighlightText = SystemColor(14);
inline constexpr TColor clBtnText = SystemColor(18);

inline constexpr bool IsSystemColor(TColor color) { return (static_cast<uint32_t>(color) & 0xFF000000u) == 0xFF000000u; }
inline constexpr int SystemColorIndex(TColor color) { return static_cast<int>(static_cast<uint32_t>(color) & 0xFF); }

// The colour an identifier names, or nullopt for a name that is not a colour.
std::optional<TColor> ColorFromIdentifier(const std::string& name);

// The number of system colour indexes (0 .. kSystemColorCount - 1).
inline constexpr int kSystemColorCount = 31;
// The classic desktop value of a system colour as 0xRRGGBB, for indexes that a toolkit
// palette has no role for (captions, borders, the desktop).
uint32_t ClassicSystemColor(int index);

// The RGB parts of an RGB colour value (not a system colour).
inline constexpr int RedOfColor(TColor c) { return static_cast<int>(static_cast<uint32_t>(c) & 0xFF); }
inline constexpr int GreenOfColor(TColor c) { return static_cast<int>((static_cast<uint32_t>(c) >> 8) & 0xFF); }
inline constexpr int BlueOfColor(TColor c) { return static_cast<int>((static_cast<uint32_t>(c) >> 16) & 0xFF); }
inline constexpr TColor RgbColor(int r, int g, int b) {
  return static_cast<TColor>((static_cast<uint32_t>(b & 0xFF) << 16) | (static_cast<uint32_t>(g & 0xFF) << 8) |
                             static_cast<uint32_t>(r & 0xFF));
}

// The shading rule of the thumbnail grid, on two RGB colours (the caller resolves system
// colours first). Each channel on its own:
//   255 - ((255 - tint) x percent + (255 - base) x 100) div 100, clamped to 0..255,
// so a black tint darkens the base by percent % of 255, and percent 0 gives the base.
TColor ShadeColor(TColor tint, TColor base, int percent);

}  // namespace kx
