// Part 2.1: the two conversions between text and 8-bit strings, and the ANSI
// test built on them. Every unit and every byte value is tried, because the
// OK check and the settings file depend on all of them surviving.
#include <gtest/gtest.h>

#include "Toolz.h"

using namespace ordfalk;

namespace {

Text T(const char16_t* units, size_t count) { return Text(units, count); }
AnsiString A(const char* bytes, size_t count) { return AnsiString(bytes, count); }

}  // namespace

TEST(StrToAnsi, KeepsTheLowByteOfEveryUnitValue) {
  for (uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
    const AnsiString bytes = StrToAnsi(Text(1, static_cast<char16_t>(unit)));
    ASSERT_EQ(bytes.size(), 1u) << "unit " << unit;
    ASSERT_EQ(static_cast<unsigned char>(bytes[0]), unit & 0xFF) << "unit " << unit;
  }
}

TEST(StrToAnsi, Examples) {
  struct Case {
    const char* name;
    Text text;
    AnsiString bytes;
  };
  const Case cases[] = {
      {"empty", u"", ""},
      {"A ring", u"\u00C5", "\xC5"},
      {"euro keeps its low byte", u"\u20AC", "\xAC"},
      {"U+0100 gives 0x00", u"\u0100", A("\0", 1)},
      {"surrogate pair gives the low bytes of its halves", u"\U0001F600", A("\x3D\x00", 2)},
      {"U+0000 inside keeps the length", T(u"ab\0cd", 5), A("ab\0cd", 5)},
      {"U+0000 first and last", T(u"\0x\0", 3), A("\0x\0", 3)},
      {"CR LF", u"a\r\nb", "a\r\nb"},
  };
  for (const Case& c : cases) EXPECT_EQ(StrToAnsi(c.text), c.bytes) << c.name;
}

TEST(AnsiToStr, EveryByteBecomesTheUnitOfTheSameValueInOrder) {
  AnsiString all;
  Text expected;
  for (int b = 0; b < 256; ++b) {
    all.push_back(static_cast<char>(b));
    expected.push_back(static_cast<char16_t>(b));
  }
  EXPECT_EQ(AnsiToStr(all), expected);
  EXPECT_EQ(StrToAnsi(expected), all);
  // Reversed too, so that nothing keyed on the position can pass.
  EXPECT_EQ(AnsiToStr(AnsiString(all.rbegin(), all.rend())),
            Text(expected.rbegin(), expected.rend()));
}

TEST(AnsiToStr, ZeroBytesDoNotEndTheString) {
  EXPECT_EQ(AnsiToStr(A("\0", 1)), T(u"\0", 1));
  EXPECT_EQ(AnsiToStr(A("a\0\xFF\0", 4)), T(u"a\0\u00FF\0", 4));
  EXPECT_EQ(AnsiToStr(""), u"");
}

TEST(HasNonAnsiChars, IsTrueExactlyForUnitsFrom0x100) {
  for (uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
    // Behind an ANSI prefix holding U+0000, so that a check stopping at the
    // first zero unit is caught.
    const Text text = T(u"ok\0", 3) + static_cast<char16_t>(unit);
    ASSERT_EQ(HasNonAnsiChars(text), unit >= 0x100) << "unit " << unit;
  }
}

TEST(HasNonAnsiChars, Examples) {
  struct Case {
    const char* name;
    Text text;
    bool expected;
  };
  const Case cases[] = {
      {"empty", u"", false},
      {"Swedish letters", u"\u00C5\u00E4\u00F6", false},
      {"U+00FF", u"\u00FF", false},
      {"euro", u"price 5\u20AC", true},
      {"U+0100", u"\u0100", true},
      {"surrogate pair", u"\U0001F600", true},
      {"only zero units", T(u"\0\0", 2), false},
  };
  for (const Case& c : cases) EXPECT_EQ(HasNonAnsiChars(c.text), c.expected) << c.name;
}
