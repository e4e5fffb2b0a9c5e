// Part 2.3: the language rule on explicit inputs (IsSwedishUI feeds it the
// command line and the start-up thread locale).
#include <gtest/gtest.h>

#include "Toolz.h"

using namespace ordfalk;

TEST(IsSwedishFor, FirstLanguageSwitchWinsElseTheLocale) {
  constexpr uint32_t kSweden = 1053, kFinlandSwedish = 2077, kUnitedStates = 1033;
  struct Case {
    const char* name;
    std::vector<Text> arguments;
    uint32_t locale;
    bool swedish;
  };
  const Case cases[] = {
      {"no arguments, Sweden", {}, kSweden, true},
      {"no arguments, Swedish in Finland", {}, kFinlandSwedish, false},
      {"no arguments, United States", {}, kUnitedStates, false},
      {"no arguments, locale 0", {}, 0, false},
      {"/english on a Swedish system", {u"/english"}, kSweden, false},
      {"x /Swedish on an English system", {u"x", u"/Swedish"}, kUnitedStates, true},
      {"first match wins: English", {u"/ENGLISH", u"/SWEDISH"}, kSweden, false},
      {"first match wins: Swedish", {u"/SWEDISH", u"/ENGLISH"}, kUnitedStates, true},
      {"any case", {u"/sWeDiSh"}, kUnitedStates, true},
      {"/SWEDISH2 is no switch", {u"/SWEDISH2"}, kUnitedStates, false},
      {"/ENGLISH2 is no switch", {u"/ENGLISH2"}, kSweden, true},
      {"-swedish is no switch", {u"-swedish"}, kUnitedStates, false},
      {"swedish without slash is no switch", {u"swedish"}, kUnitedStates, false},
      {"blank before is no switch", {u" /swedish"}, kUnitedStates, false},
      {"blank after is no switch", {u"/swedish "}, kUnitedStates, false},
      {"trailing U+0000 is no switch", {Text(u"/SWEDISH\0", 9)}, kUnitedStates, false},
      {"two switches in one argument", {u"/SWEDISH /ENGLISH"}, kSweden, true},
      {"empty argument is skipped", {u""}, kSweden, true},
      {"empty arguments, English locale", {u"", u""}, kUnitedStates, false},
      {"unrelated arguments then switch", {u"/q", u"", u"/english"}, kSweden, false},
      {"Swedish locale not overridden by other arguments", {u"/sv"}, kSweden, true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSwedishFor(c.arguments, c.locale), c.swedish) << c.name;
}
