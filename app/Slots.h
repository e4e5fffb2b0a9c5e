// The eight text slots: what each is called, which hot key it answers to,
// where it is stored, and how a text becomes a stored value and back.
#pragma once

#include <cstdint>
#include <vector>

#include "Toolz.h"

namespace ordfalk {

inline constexpr int kSlotCount = 8;

// Modifier values of the Windows hot-key interface.
inline constexpr uint32_t kModAlt = 0x0001;
inline constexpr uint32_t kModControl = 0x0002;
inline constexpr uint32_t kModShift = 0x0004;

struct SlotInfo {
  const char16_t* atomName;  // also the bracketed part of the label
  uint32_t modifiers;        // exactly Ctrl+Alt (3) or Ctrl+Shift (6)
  uint32_t key;              // VK_F1..VK_F4
  const char16_t* label;
  const char16_t* iniKey;
  const char* defaultText;  // 8-bit
};

// Slot 1..8.
const SlotInfo& SlotOf(int slot);
// The keys of the eight slots in the settings file, in slot order.
std::vector<Text> SlotKeys();

inline const Text kSettingsSection = u"Main";

// The stored form of a text: the low byte of each unit in upper-case hex.
Text StoredValueOfText(const Text& text);
// The text of a stored value, decoded leniently (see the coder).
Text TextOfStoredValue(const Text& value);
// The stored form of slot's default text ("Text 1".."Text 8").
Text DefaultStoredValue(int slot);
// A memo holds no U+0000: such units are left out, so that everything after
// them is kept rather than cut off.
Text MemoTextOf(const Text& text);

// The text of the box for unexpected errors: the message, with a full stop
// appended when its last character's code is above that of the full stop.
Text UnexpectedErrorText(const Text& message);

}  // namespace ordfalk
