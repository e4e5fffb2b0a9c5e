// Part 2.1: substring, replace-all, comparison and choice.
#include <gtest/gtest.h>

#include <climits>

#include "Toolz.h"

using namespace ordfalk;

namespace {

std::string Show(const Text& text) {
  std::string shown;
  for (const char16_t unit : text) {
    if (unit >= 0x20 && unit < 0x7F) {
      shown.push_back(static_cast<char>(unit));
    } else {
      shown += "\\u" + std::to_string(unit);
    }
  }
  return '"' + shown + '"';
}

}  // namespace

TEST(StrCopyPart, ClipsPositionAndCount) {
  struct Case {
    Text text;
    int32_t index, count;
    Text expected;
  };
  const Case cases[] = {
      {u"abc", 3, 2, u"c"},
      {u"abc", 4, 1, u""},
      {u"abc", 2, -1, u""},
      {u"abcdef", 0, 2, u"ab"},      // index below 1 does not shorten count
      {u"abcdef", -5, 2, u"ab"},
      {u"abcdef", INT_MIN, 3, u"abc"},
      {u"abc", 1, 3, u"abc"},
      {u"abc", 1, INT_MAX, u"abc"},
      {u"abc", 2, INT_MAX, u"bc"},   // no overflow of start + count
      {u"abc", INT_MAX, 1, u""},
      {u"abc", INT_MAX, INT_MAX, u""},
      {u"abc", 1, 0, u""},
      {u"abc", 1, INT_MIN, u""},
      {u"", 1, 1, u""},
      {u"", 0, 0, u""},
      {Text(u"a\0b", 3), 2, 2, Text(u"\0b", 2)},  // U+0000 is an ordinary unit
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StrCopyPart(c.text, c.index, c.count), c.expected)
        << Show(c.text) << " index " << c.index << " count " << c.count;
  }
}

TEST(StrReplaceAll, ReplacesLeftToRightWithoutOverlap) {
  struct Case {
    Text text, pattern, replacement;
    bool caseSensitive;
    Text expected;
  };
  const Case cases[] = {
      // Part 2.1's examples.
      {u"aAbA", u"a", u"x", false, u"xxbx"},
      {u"aAbA", u"a", u"x", true, u"xAbA"},
      {u"aaa", u"aa", u"b", true, u"ba"},
      {u"abc", u"b", u"", true, u"ac"},
      // Overlaps: the leftmost occurrence wins and the scan goes on after it.
      {u"aaaa", u"aa", u"b", true, u"bb"},
      {u"ababa", u"aba", u"x", true, u"xba"},
      {u"AaA", u"aa", u"b", false, u"bA"},
      // The replacement is never searched again.
      {u"a", u"a", u"aa", true, u"aa"},
      {u"aXa", u"a", u"aa", false, u"aaXaa"},
      {u"ab", u"b", u"ab", true, u"aab"},
      // Text between occurrences keeps its case when case is ignored.
      {u"Hello World", u"O", u"0", false, u"Hell0 W0rld"},
      {u"abcABC", u"Bc", u"x", false, u"axAx"},
      {u"abcABC", u"Bc", u"x", true, u"abcABC"},
      // The replacement is inserted as given, not upper-cased.
      {u"ABC", u"b", u"q", false, u"AqC"},
      // Whole text, last occurrence at the end, none at all.
      {u"abc", u"abc", u"", true, u""},
      {u"xab", u"ab", u"y", true, u"xy"},
      {u"ab", u"abc", u"x", true, u"ab"},
      {u"abc", u"z", u"x", false, u"abc"},
      // Latin-1 letters are case-folded too.
      {u"\u00E5\u00C5", u"\u00E5", u"x", false, u"xx"},
      {u"\u00E5\u00C5", u"\u00E5", u"x", true, u"x\u00C5"},
      // U+0000 is an ordinary unit in text and pattern.
      {Text(u"a\0a", 3), u"a", u"b", true, Text(u"b\0b", 3)},
      {Text(u"a\0a", 3), Text(u"\0", 1), u"-", true, u"a-a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StrReplaceAll(c.text, c.pattern, c.replacement, c.caseSensitive), c.expected)
        << Show(c.text) << " " << Show(c.pattern) << " -> " << Show(c.replacement)
        << (c.caseSensitive ? " exact" : " any case");
  }
}

TEST(StrReplaceAll, EmptyTextOrPatternGivesEmptyText) {
  for (const bool caseSensitive : {false, true}) {
    EXPECT_EQ(StrReplaceAll(u"", u"a", u"x", caseSensitive), u"");
    EXPECT_EQ(StrReplaceAll(u"", u"", u"x", caseSensitive), u"");
    EXPECT_EQ(StrReplaceAll(u"abc", u"", u"x", caseSensitive), u"");
    EXPECT_EQ(StrReplaceAll(u"abc", u"", u"", caseSensitive), u"");
  }
}

TEST(SameStrCase, ComparesExactlyOrAfterUpperCasing) {
  struct Case {
    Text left, right;
    bool caseSensitive, expected;
  };
  const Case cases[] = {
      {u"/swedish", u"/SWEDISH", false, true},
      {u"/swedish", u"/SWEDISH", true, false},
      {u"", u"", false, true},
      {u"", u"", true, true},
      {u"a", u"ab", false, false},
      {u"ab", u"a", true, false},
      {u"", u"a", false, false},
      {u"\u00E5", u"\u00C5", false, true},
      {u"\u00E5", u"\u00C5", true, false},
      // Lengths count: a trailing U+0000 makes a different text.
      {Text(u"a\0", 2), u"a", false, false},
      {Text(u"a\0b", 3), Text(u"A\0B", 3), false, true},
      {Text(u"a\0b", 3), Text(u"A\0C", 3), false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SameStrCase(c.left, c.right, c.caseSensitive), c.expected)
        << Show(c.left) << " vs " << Show(c.right) << (c.caseSensitive ? " exact" : " any case");
  }
}

TEST(ChooseStr, TrueTakesTheFirstText) {
  EXPECT_EQ(ChooseStr(true, u"Fel", u"Error"), u"Fel");
  EXPECT_EQ(ChooseStr(false, u"Fel", u"Error"), u"Error");
  EXPECT_EQ(ChooseStr(false, u"Fel", u""), u"");
}
