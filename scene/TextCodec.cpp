#include "scene/TextCodec.h"

#include <array>
#include <cstdint>

namespace kx {

namespace {

// Symbol value of each byte, or -1 for characters outside the alphabet.
constexpr std::array<int8_t, 256> MakeSymbolValues() {
  std::array<int8_t, 256> values{};
  for (auto& v : values) v = -1;
  for (int i = 0; i < 64; ++i) values[static_cast<uint8_t>(kObjectTextAlphabet[i])] = static_cast<int8_t>(i);
  return values;
}
constexpr std::array<int8_t, 256> kSymbolValues = MakeSymbolValues();

}  // namespace

std::string EncodeObjectText(std::string_view text) {
  std::string out;
  out.reserve((text.size() * 4 + 2) / 3);
  uint32_t bits = 0;  // the waiting bits, oldest highest
  int waiting = 0;
  for (const char c : text) {
    bits = (bits << 8) | static_cast<uint8_t>(c);
    waiting += 8;
    while (waiting >= 6) {
      waiting -= 6;
      out.push_back(kObjectTextAlphabet[(bits >> waiting) & 0x3F]);
    }
    bits &= (1u << waiting) - 1;
  }
  if (waiting > 0) out.push_back(kObjectTextAlphabet[(bits << (6 - waiting)) & 0x3F]);
  return out;
}

std::string DecodeObjectText(std::string_view symbols) {
  std::string out;
  out.reserve(symbols.size() * 3 / 4);
  uint32_t bits = 0;
  int waiting = 0;
  for (const char c : symbols) {
    const int value = kSymbolValues[static_cast<uint8_t>(c)];
    if (value < 0) break;
    bits = (bits << 6) | static_cast<uint32_t>(value);
    waiting += 6;
    if (waiting >= 8) {
      waiting -= 8;
      out.push_back(static_cast<char>((bits >> waiting) & 0xFF));
    }
    bits &= (1u << waiting) - 1;
  }
  return out;
}

}  // namespace kx
