#pragma once
// The text encoding of the "Text" key of text objects in a scene's object list.
//
// The text (lines joined with CR LF) is a sequence of 8-bit characters. Encoding packs their
// bits, most significant first, into 6-bit symbols of a 64-character alphabet; a final group
// of 2 or 4 bits is zero-filled to one more symbol, and no padding symbol is written (so three
// characters give four symbols, two give three). Decoding unpacks 6 bits per symbol and emits
// a character for every 8 bits; a character outside the alphabet ends decoding and leftover
// bits are dropped.
//
// The alphabet is the usual order of A-Z, a-z, 0-9, "+" and "/", so a stored text can also be
// read with any base64 tool (after adding the "=" padding that this format leaves out).
#include <string>
#include <string_view>

namespace kx {

inline constexpr char kObjectTextAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string EncodeObjectText(std::string_view text);
std::string DecodeObjectText(std::string_view symbols);

}  // namespace kx
