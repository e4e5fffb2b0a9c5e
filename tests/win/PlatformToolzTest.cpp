// Parts 2.1 and 2.3 against the platform: StrUpper through CharUpperBuffW
// and the executable's path.
#include <windows.h>

#include <gtest/gtest.h>

#include "INIToolz.h"
#include "Toolz.h"
#include "WinText.h"

using namespace ordfalk;

TEST(StrUpper, FollowsCharUpperBuffWUnitForUnit) {
  struct Case {
    const char* name;
    Text text, expected;
  };
  const Case cases[] = {
      {"ASCII and a ring", u"abc\u00E5", u"ABC\u00C5"},
      {"Swedish letters", u"\u00E5\u00E4\u00F6", u"\u00C5\u00C4\u00D6"},
      {"already upper case", u"/SWEDISH", u"/SWEDISH"},
      {"digits and signs", u"0123456789-+$ ", u"0123456789-+$ "},
      {"hex digits", u"abcdef", u"ABCDEF"},
      {"empty", u"", u""},
      // U+0000 does not end the text: the units after it are upper-cased too.
      {"U+0000 inside", Text(u"a\0b", 3), Text(u"A\0B", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(StrUpper(c.text), c.expected) << c.name;
}

TEST(StrUpper, KeepsTheLengthAndAgreesWithThePlatformForEveryUnit) {
  Text all;
  for (uint32_t unit = 1; unit <= 0xFFFF; ++unit) all.push_back(static_cast<char16_t>(unit));
  std::wstring expected = Wide(all);
  CharUpperBuffW(expected.data(), static_cast<DWORD>(expected.size()));
  const Text upper = StrUpper(all);
  ASSERT_EQ(upper.size(), all.size());
  EXPECT_TRUE(upper == FromWide(expected));
}

TEST(AppExePath, IsTheFullPathOfThisExecutable) {
  wchar_t reported[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameW(nullptr, reported, MAX_PATH + 1);
  const Text path = AppExePath();
  EXPECT_EQ(path, FromWide(reported, length));
  ASSERT_GT(path.size(), 3u);
  EXPECT_EQ(path.substr(1, 2), u":\\") << "not an absolute path";
  EXPECT_TRUE(SameStrCase(path.substr(path.size() - 14), u"\\win_tests.exe", false));
  EXPECT_NE(GetFileAttributesW(Wide(path).c_str()), INVALID_FILE_ATTRIBUTES);
  // The settings file lies beside it, named after it.
  const Text settings = IniDefaultFileName(path);
  EXPECT_EQ(settings, path.substr(0, path.size() - 4) + u".INI");
}
