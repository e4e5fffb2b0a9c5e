#include <gtest/gtest.h>

#include "Toolz.h"

using namespace ordfalk;

TEST(StrUpper, UsesThePlatformRule) { EXPECT_EQ(StrUpper(u"abc\u00E5"), u"ABC\u00C5"); }
