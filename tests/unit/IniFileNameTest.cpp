// Part 2.4: where the settings file lies, derived from the executable's path.
#include <gtest/gtest.h>

#include "INIToolz.h"

using namespace ordfalk;

TEST(IniDefaultFileName, ReplacesOnlyTheLastExtension) {
  struct Case {
    Text exePath, expected;
  };
  const Case cases[] = {
      // The three shapes of Part 2.4.
      {u"C:\\Tools\\paste.exe", u"C:\\Tools\\paste.INI"},
      {u"C:\\Tools\\paste.old.exe", u"C:\\Tools\\paste.old.INI"},
      {u"C:\\Old.Tools\\paste", u"C:\\Old.Tools\\paste.INI"},
      // The new extension is always upper case.
      {u"C:\\Tools\\PASTE.EXE", u"C:\\Tools\\PASTE.INI"},
      {u"C:\\Tools\\paste.ini", u"C:\\Tools\\paste.INI"},
      // A colon ends the search like a backslash does.
      {u"C:paste.exe", u"C:paste.INI"},
      {u"C:paste", u"C:paste.INI"},
      {u"C.D:paste", u"C.D:paste.INI"},
      // Nothing to replace, or a full stop that ends the name.
      {u"paste", u"paste.INI"},
      {u"paste.", u"paste.INI"},
      {u"C:\\Tools\\", u"C:\\Tools\\.INI"},
      {u"C:\\Tools\\.hidden", u"C:\\Tools\\.INI"},
      {u"\\\\server\\share.x\\paste", u"\\\\server\\share.x\\paste.INI"},
      {u"", u".INI"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IniDefaultFileName(c.exePath), c.expected) << std::string(c.exePath.begin(), c.exePath.end());
  }
}
