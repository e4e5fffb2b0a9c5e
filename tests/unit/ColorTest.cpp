// Part 2.6: channel readers and colour shading on explicit colours, and the
// resolution of a system colour through SystemColor.
#include <gtest/gtest.h>

#include <climits>

#include "FormToolz.h"

using namespace ordfalk;

namespace {

constexpr TColor Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

}  // namespace

TEST(ColorParts, ReadBytesZeroOneTwoAndIgnoreTheTopByte) {
  for (const TColor top : {0x00000000u, 0x01000000u, 0x7F000000u}) {
    const TColor color = top | Rgb(0x11, 0x22, 0x33);
    EXPECT_EQ(ColorRedPart(color), 0x11) << std::hex << color;
    EXPECT_EQ(ColorGreenPart(color), 0x22) << std::hex << color;
    EXPECT_EQ(ColorBluePart(color), 0x33) << std::hex << color;
  }
  EXPECT_EQ(ColorRedPart(Rgb(255, 0, 0)), 255);
  EXPECT_EQ(ColorGreenPart(Rgb(255, 0, 0)), 0);
  EXPECT_EQ(ColorBluePart(Rgb(0, 0, 255)), 255);
}

TEST(ColorShading, LimitsEachChannelOnItsOwn) {
  struct Case {
    const char* name;
    TColor color;
    int32_t amount;
    bool lighten;
    TColor expected;
  };
  const Case cases[] = {
      {"240 grey lightened", Rgb(240, 240, 240), 40, true, Rgb(255, 255, 255)},
      {"240 grey darkened", Rgb(240, 240, 240), 40, false, Rgb(200, 200, 200)},
      {"classic face lightened", Rgb(212, 208, 200), 40, true, Rgb(252, 248, 240)},
      {"classic face darkened", Rgb(212, 208, 200), 40, false, Rgb(172, 168, 160)},
      {"white darkened", Rgb(255, 255, 255), 40, false, Rgb(215, 215, 215)},
      {"white lightened", Rgb(255, 255, 255), 40, true, Rgb(255, 255, 255)},
      {"one channel at the top", Rgb(230, 100, 0), 40, true, Rgb(255, 140, 40)},
      {"one channel at the bottom", Rgb(20, 100, 255), 40, false, Rgb(0, 60, 215)},
      {"green alone at the top", Rgb(0, 230, 0), 40, true, Rgb(40, 255, 40)},
      {"blue alone at the bottom", Rgb(100, 100, 20), 40, false, Rgb(60, 60, 0)},
      {"negative amount lightens by darkening", Rgb(212, 208, 20), -40, true, Rgb(172, 168, 0)},
      {"negative amount darkens by lightening", Rgb(230, 208, 200), -40, false, Rgb(255, 248, 240)},
      {"amount 0 keeps the colour", Rgb(1, 2, 3), 0, true, Rgb(1, 2, 3)},
      {"top byte ignored and cleared", 0x7F000000u | Rgb(1, 2, 3), 0, true, Rgb(1, 2, 3)},
      {"top byte ignored when darkening", 0x01000000u | Rgb(50, 60, 70), 10, false, Rgb(40, 50, 60)},
      // Amounts far beyond any channel must not wrap around.
      {"largest amount lightens", Rgb(1, 2, 3), INT_MAX, true, Rgb(255, 255, 255)},
      {"smallest amount lightens to black", Rgb(1, 2, 3), INT_MIN, true, Rgb(0, 0, 0)},
      {"largest amount darkens", Rgb(254, 2, 3), INT_MAX, false, Rgb(0, 0, 0)},
      {"smallest amount darkens to white", Rgb(1, 2, 3), INT_MIN, false, Rgb(255, 255, 255)},
  };
  for (const Case& c : cases) {
    const TColor got = c.lighten ? LightenColor(c.color, c.amount) : DarkenColor(c.color, c.amount);
    EXPECT_EQ(got, c.expected) << c.name << ": got " << std::hex << got;
  }
}

TEST(ColorShading, SystemColourIsResolvedByItsLowByte) {
  const TColor face = SystemColor(15);
  ASSERT_EQ(face & kSystemColorFlag, 0u);
  EXPECT_EQ(ColorRedPart(kColorBtnFace), face & 0xFF);
  EXPECT_EQ(ColorGreenPart(kColorBtnFace), (face >> 8) & 0xFF);
  EXPECT_EQ(ColorBluePart(kColorBtnFace), (face >> 16) & 0xFF);
  EXPECT_EQ(LightenColor(kColorBtnFace, 40), LightenColor(face, 40));
  EXPECT_EQ(DarkenColor(kColorBtnFace, 40), DarkenColor(face, 40));
  // Only the low byte names the index.
  EXPECT_EQ(DarkenColor(kSystemColorFlag | 0x00FF000Fu, 40), DarkenColor(face, 40));
}
