#include <gtest/gtest.h>

#include "Toolz.h"

using namespace ordfalk;

TEST(StrToAnsi, KeepsTheLowByteOfEveryUnit) {
  EXPECT_EQ(StrToAnsi(u"\u00C5\u20AC"), AnsiString("\xC5\xAC"));
  EXPECT_EQ(StrToAnsi(Text(u"a\0b", 3)), AnsiString("a\0b", 3));
}
