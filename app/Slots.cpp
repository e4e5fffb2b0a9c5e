#include "Slots.h"

namespace ordfalk {

namespace {

constexpr uint32_t kCtrlAlt = kModControl | kModAlt;
constexpr uint32_t kCtrlShift = kModControl | kModShift;
constexpr uint32_t kF1 = 0x70, kF2 = 0x71, kF3 = 0x72, kF4 = 0x73;

const SlotInfo kSlots[kSlotCount] = {
    {u"[CTRL+ALT+F1]", kCtrlAlt, kF1, u"Text 1: [CTRL+ALT+F1]", u"Text1", "Text 1"},
    {u"[CTRL+ALT+F2]", kCtrlAlt, kF2, u"Text 2: [CTRL+ALT+F2]", u"Text2", "Text 2"},
    {u"[CTRL+ALT+F3]", kCtrlAlt, kF3, u"Text 3: [CTRL+ALT+F3]", u"Text3", "Text 3"},
    {u"[CTRL+ALT+F4]", kCtrlAlt, kF4, u"Text 4: [CTRL+ALT+F4]", u"Text4", "Text 4"},
    {u"[CTRL+SHIFT+F1]", kCtrlShift, kF1, u"Text 5: [CTRL+SHIFT+F1]", u"Text5", "Text 5"},
    {u"[CTRL+SHIFT+F2]", kCtrlShift, kF2, u"Text 6: [CTRL+SHIFT+F2]", u"Text6", "Text 6"},
    {u"[CTRL+SHIFT+F3]", kCtrlShift, kF3, u"Text 7: [CTRL+SHIFT+F3]", u"Text7", "Text 7"},
    {u"[CTRL+SHIFT+F4]", kCtrlShift, kF4, u"Text 8: [CTRL+SHIFT+F4]", u"Text8", "Text 8"},
};

}  // namespace

const SlotInfo& SlotOf(int slot) { return kSlots[slot - 1]; }

std::vector<Text> SlotKeys() {
  std::vector<Text> keys;
  for (const SlotInfo& slot : kSlots) keys.push_back(slot.iniKey);
  return keys;
}

Text StoredValueOfText(const Text& text) {
  return AnsiToStr(EncodeHexText(StrToAnsi(text), kHexDigits, true));
}

Text TextOfStoredValue(const Text& value) {
  return AnsiToStr(DecodeHexText(StrToAnsi(value), kHexDigits, true));
}

Text DefaultStoredValue(int slot) {
  return AnsiToStr(EncodeHexText(SlotOf(slot).defaultText, kHexDigits, true));
}

Text MemoTextOf(const Text& text) {
  Text kept;
  kept.reserve(text.size());
  for (const char16_t unit : text) {
    if (unit != u'\0') kept.push_back(unit);
  }
  return kept;
}

Text UnexpectedErrorText(const Text& message) {
  if (!message.empty() && message.back() > u'.') return message + u".";
  return message;
}

}  // namespace ordfalk
