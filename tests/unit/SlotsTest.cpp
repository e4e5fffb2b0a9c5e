#include <gtest/gtest.h>

#include "Slots.h"

using namespace ordfalk;

TEST(SlotTable, HotKeysAreCtrlAltThenCtrlShiftF1ToF4) {
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const SlotInfo& info = SlotOf(slot);
    EXPECT_EQ(info.modifiers, slot <= 4 ? 3u : 6u) << slot;  // never with MOD_NOREPEAT
    EXPECT_EQ(info.key, 0x70u + static_cast<unsigned>((slot - 1) % 4)) << slot;
    // The label names the same combination as the atom.
    const Text label = info.label;
    EXPECT_EQ(label.substr(label.find(u'[')), Text(info.atomName)) << slot;
    EXPECT_EQ(Text(info.iniKey), u"Text" + Text(1, static_cast<char16_t>(u'0' + slot)));
  }
}

TEST(StoredValue, EncodesTheLowByteOfEachUnitInUpperCaseHex) {
  const struct {
    Text text;
    Text value;
  } cases[] = {
      {u"", u""},
      {u"ABC", u"414243"},
      {u"A\r\nB", u"410D0A42"},
      {u"\u00E5\u00E4\u00F6", u"E5E4F6"},
      {u"\u20AC", u"AC"},     // stored lossily; OK refuses it beforehand
      {u"\u0100", u"00"},
      {u"jk", u"6A6B"},
  };
  for (const auto& c : cases) EXPECT_EQ(StoredValueOfText(c.text), c.value);
}

TEST(StoredValue, DefaultsAreTextOneToEight) {
  EXPECT_EQ(DefaultStoredValue(1), u"546578742031");
  EXPECT_EQ(DefaultStoredValue(8), u"546578742038");
  EXPECT_EQ(TextOfStoredValue(DefaultStoredValue(5)), u"Text 5");
}

TEST(StoredValue, DecodesHandEditedValuesLeniently) {
  const struct {
    Text value;
    Text text;
  } cases[] = {
      {u"6a6b", u"jk"},
      {u"414", Text(u"A\u0004")},
      {u"6G", Text(1, u'\0')},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(TextOfStoredValue(c.value), c.text) << c.value.size();
}

TEST(StoredValue, EveryAnsiTextSurvivesTheRoundTrip) {
  Text all;
  for (char16_t unit = 1; unit < 256; ++unit) all.push_back(unit);
  for (const Text& text : {all, Text(1023, u'x'), Text(100000, u'\u00FF')}) {
    EXPECT_EQ(TextOfStoredValue(StoredValueOfText(text)), text);
  }
}

TEST(MemoText, LeavesOutZeroUnitsButKeepsWhatFollows) {
  EXPECT_EQ(MemoTextOf(Text(u"A\0BC\0", 5)), u"ABC");
  EXPECT_EQ(MemoTextOf(u"plain"), u"plain");
}

TEST(UnexpectedError, AppendsAFullStopAfterCharactersAboveIt) {
  const struct {
    Text message;
    Text shown;
  } cases[] = {
      {u"Access violation", u"Access violation."},
      {u"Done.", u"Done."},
      {u"Odd,", u"Odd,"},  // ',' is below '.'
      {u"Slash/", u"Slash/."},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(UnexpectedErrorText(c.message), c.shown);
}
