// Storing the eight texts in a settings file that other programs, hand
// edits and other copies of the program may change at any moment, even
// while a store is under way. What is written, and what counts as stored,
// is decided here; the file and the clock come from outside, so that the
// rule runs against a simulated file too.
#pragma once

#include <array>

#include "SettingsFile.h"
#include "Slots.h"

namespace ordfalk {

// What a running copy knows of one slot between stores.
struct SlotBaseline {
  // The memo's text as loaded, or as last stored. A memo whose text differs
  // has been touched by its user since.
  Text text;
  // What the file held for the slot then, as this copy read or wrote it;
  // kIniNoValue for none. Any other value found there later is someone
  // else's, and an untouched slot never writes over it.
  Text value = kIniNoValue;
  // After a store in which this copy's own write cut the file short and
  // the store could not mend it: the value the slot should hold again (this
  // copy's, or another program's that the cut erased). The next store
  // writes it while the file shows no value or a part of it there.
  Text mend = kIniNoValue;
};

using SlotTexts = std::array<Text, kSlotCount + 1>;              // [1..8]
using SlotBaselines = std::array<SlotBaseline, kSlotCount + 1>;  // [1..8]

// How long a store may go on.
class StoreClock {
 public:
  virtual ~StoreClock() = default;
  // Whether one more write may start.
  virtual bool MayWrite() = 0;
  // Waits before one more pass; false when the store's time is up.
  virtual bool NextPass() = 0;
};

// Stores the memos' texts (Memos[1..8]) and brings Baselines up to date.
// True when every text the user changed is in the file, or was written over
// there by another program afterwards, and no write of this copy's has left
// the file cut short.
bool StoreTexts(SettingsFile& file, StoreClock& clock, const SlotTexts& memos,
                SlotBaselines& baselines);

}  // namespace ordfalk
