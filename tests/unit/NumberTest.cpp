// Part 2.1: hexadecimal formatting and parsing, and the range limit.
#include <gtest/gtest.h>

#include <climits>

#include "Toolz.h"

using namespace ordfalk;

TEST(IntToHexUpper, Examples) {
  struct Case {
    int32_t value;
    int32_t digits;
    Text expected;
  };
  const Case cases[] = {
      {255, 2, u"FF"},
      {0, 2, u"00"},
      {-1, 2, u"FFFFFFFF"},  // unsigned, never cut
      {10, 0, u"A"},
      {0, 0, u"0"},          // at least one digit
      {10, 40, u"A"},        // above 32 counts as 0
      {10, 33, u"A"},
      {10, -1, u"A"},
      {10, INT_MIN, u"A"},
      {10, 32, u"0000000000000000000000000000000A"},
      {171, 2, u"AB"},
      {5, 2, u"05"},
      {0x1234, 2, u"1234"},
      {0xABCDEF, 8, u"00ABCDEF"},
      {INT_MIN, 0, u"80000000"},
      {INT_MAX, 1, u"7FFFFFFF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IntToHexUpper(c.value, c.digits), c.expected)
        << "value " << c.value << " digits " << c.digits;
  }
}

TEST(HexToIntDef, Examples) {
  struct Case {
    const char* name;
    Text text;
    int32_t expected;
  };
  const int32_t def = 7;
  const Case cases[] = {
      {"lower case", u"ff", 255},
      {"upper case", u"FF", 255},
      {"mixed case", u"aBcD", 0xABCD},
      {"leading zeros do not count", u"0000000001", 1},
      {"sixteen digits of leading zeros", u"00000000FFFFFFFF", -1},
      {"all ones is -1", u"FFFFFFFF", -1},
      {"largest positive", u"7FFFFFFF", INT_MAX},
      {"smallest negative", u"80000000", INT_MIN},
      {"zero", u"0", 0},
      {"read up to the first U+0000", Text(u"1F\0zz", 5), 0x1F},
      {"empty", u"", def},
      {"U+0000 first is empty", Text(u"\0" u"1", 2), def},
      {"blank before", u" 1", def},
      {"blank after", u"1 ", def},
      {"blank between", u"1 2", def},
      {"minus sign", u"-1", def},
      {"plus sign", u"+1", def},
      {"0x prefix", u"0x1F", def},
      {"x prefix", u"x1F", def},
      {"dollar prefix", u"$1F", def},
      {"non-hex letter", u"G1", def},
      {"h suffix", u"1Fh", def},
      {"nine significant digits", u"100000000", def},
      {"nine digits of F", u"FFFFFFFFF", def},
      {"unit whose low byte is 1", u"\u0131", def},
      {"unit whose low byte is A", u"\u0141", def},
      {"full-width digit", u"\uFF11", def},
      {"tab", u"\t1", def},
  };
  for (const Case& c : cases) EXPECT_EQ(HexToIntDef(c.text, def), c.expected) << c.name;
}

TEST(HexToIntDef, TheDefaultIsPassedThroughUnchanged) {
  for (const int32_t def : {0, -1, INT_MIN, INT_MAX}) {
    EXPECT_EQ(HexToIntDef(u"", def), def);
    EXPECT_EQ(HexToIntDef(u"zz", def), def);
  }
}

TEST(HexToIntDef, ReadsBackWhatIntToHexUpperWrites) {
  for (const int32_t value : {0, 1, 15, 16, 255, 0x1234, 0x0FFFFFFF, 0x10000000, INT_MAX, INT_MIN, -2, -1}) {
    for (const int32_t digits : {0, 2, 8, 12}) {
      EXPECT_EQ(HexToIntDef(IntToHexUpper(value, digits), 7), value)
          << "value " << value << " digits " << digits;
    }
  }
}

TEST(ClampInt64, TestsMinimumFirstThenMaximum) {
  struct Case {
    int64_t value, minValue, maxValue, expected;
  };
  const Case cases[] = {
      {300, 0, 255, 255},
      {-1, 0, 255, 0},
      {128, 0, 255, 128},
      {0, 0, 255, 0},
      {255, 0, 255, 255},
      {5, 10, 0, 10},   // minimum above maximum: the first test wins
      {20, 10, 0, 0},   // ... and a value above both gives the maximum
      {7, 10, 0, 10},   // between the two reversed limits: still the minimum
      {INT64_MIN, 0, 255, 0},
      {INT64_MAX, 0, 255, 255},
      {5, 5, 5, 5},
      {INT64_MIN, INT64_MIN, INT64_MAX, INT64_MIN},
      {INT64_MAX, INT64_MIN, INT64_MAX, INT64_MAX},
      // Signed 64-bit comparisons: -1 is not a large unsigned value, and
      // 2^32 is not cut to 32 bits.
      {-1, -5, 3, -1},
      {int64_t{1} << 32, 0, 255, 255},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClampInt64(c.value, c.minValue, c.maxValue), c.expected)
        << c.value << " in " << c.minValue << ".." << c.maxValue;
  }
}
