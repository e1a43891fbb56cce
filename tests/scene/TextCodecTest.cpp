#include "scene/TextCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace kx {
namespace {

TEST(ObjectTextCodec, ThreeLettersGiveFourSymbolsAndTwoGiveThree) {
  // abc: 24 bits, four symbols of 6 bits, no padding.
  EXPECT_EQ(EncodeObjectText("abc"), "YWJj");
  // ab: 16 bits: two full symbols, then the last 4 bits shifted up by 2 zero bits
  // (0010 -> 001000 = 8 = "I").
  EXPECT_EQ(EncodeObjectText("ab"), "YWI");
  EXPECT_EQ(EncodeObjectText("a"), "YQ");  // 2 leftover bits: 01 -> 010000 = 16 = "Q"
  EXPECT_EQ(EncodeObjectText(""), "");
  EXPECT_EQ(DecodeObjectText("YWJj"), "abc");
  EXPECT_EQ(DecodeObjectText("YWI"), "ab");
  EXPECT_EQ(DecodeObjectText("YQ"), "a");
}

TEST(ObjectTextCodec, EveryByteValueAndLengthRoundTrips) {
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  for (size_t length = 0; length <= all.size(); ++length) {
    const std::string text = all.substr(all.size() - length);
    const std::string symbols = EncodeObjectText(text);
    EXPECT_EQ(symbols.size(), (length * 8 + 5) / 6) << length;
    EXPECT_EQ(symbols.find_first_not_of(kObjectTextAlphabet), std::string::npos) << length;
    ASSERT_EQ(DecodeObjectText(symbols), text) << length;
  }
  EXPECT_EQ(DecodeObjectText(EncodeObjectText("Line one\r\nLine two")), "Line one\r\nLine two");
}

TEST(ObjectTextCodec, DecodingStopsAtTheFirstCharacterOutsideTheAlphabet) {
  struct Case {
    const char* name;
    const char* symbols;
    std::string expected;
  };
  const Case cases[] = {
      {"padding ends it", "YWI=YWJj", "ab"},
      {"line break ends it", "YWJj\r\nYWJj", "abc"},
      {"space at the start", " YWJj", ""},
      {"a lone symbol carries no whole character", "Y", ""},
      {"leftover bits are dropped", "YWJjY", "abc"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeObjectText(c.symbols), c.expected) << c.name;
}

TEST(ObjectTextCodec, AlphabetHoldsEachOfTheSixtyFourCharactersOnce) {
  const std::string alphabet = kObjectTextAlphabet;
  ASSERT_EQ(alphabet.size(), 64u);
  for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(std::count(alphabet.begin(), alphabet.end(), c), 1);
  for (char c = 'A'; c <= 'Z'; ++c) EXPECT_EQ(std::count(alphabet.begin(), alphabet.end(), c), 1);
  for (char c = 'a'; c <= 'z'; ++c) EXPECT_EQ(std::count(alphabet.begin(), alphabet.end(), c), 1);
  EXPECT_EQ(std::count(alphabet.begin(), alphabet.end(), '+'), 1);
  EXPECT_EQ(std::count(alphabet.begin(), alphabet.end(), '/'), 1);
}

}  // namespace
}  // namespace kx
