#include "SlotStore.h"

namespace ordfalk {

namespace {

// What a cut leaves of a value: nothing, or a part of it from its start.
bool CutShort(const Text& found, const Text& value) {
  return found == kIniNoValue ||
         (found.size() < value.size() && value.compare(0, found.size(), found) == 0);
}

enum class Fate {
  kNothing,    // nothing to write: a text the file cannot hold
  kToWrite,    // this copy's to write
  kHeld,       // the file holds the target
  kOvertaken,  // a touched slot, written over by another program after this copy wrote it
};

// One slot in the course of a store.
struct SlotRun {
  Fate fate = Fate::kNothing;
  bool touched = false;
  bool mending = false;  // the target is what an earlier cut erased
  Text own;              // the memo's text in stored form
  Text target;           // what the slot should hold after the store
  Text first;            // the value at the reading that decided the target
  Text seen;             // the value at the latest reading that showed the file
  Text before;           // the value just before this copy's latest write
  bool written = false;
};

class Store {
 public:
  Store(SettingsFile& file, StoreClock& clock, const SlotTexts& memos, SlotBaselines& baselines)
      : file_(file), clock_(clock), memos_(memos), baselines_(baselines), keys_(SlotKeys()) {}

  bool Run() {
    FileReading reading = file_.Read(keys_, true);
    while (reading.access == FileAccess::kUnreadable) {
      // Nothing is written blind: what the file holds decides every write.
      if (!clock_.NextPass()) return Finish(false);
      reading = file_.Read(keys_, false);
    }
    for (int slot = 1; slot <= kSlotCount; ++slot) Decide(slot, reading.values[slot - 1]);
    // Every pass reads the file afresh, and so does the end of each pass
    // that wrote: a value that changes meanwhile is judged as it is found.
    // Once everything is written, one more pass looks a moment later: a
    // write of another copy's that read the file just before this copy's
    // last write lands within that moment, and puts back what it read.
    for (bool settle = false;;) {
      if (WritePass()) {
        settle = true;
        LookAt(file_.Read(keys_, false));
      }
      if (!ToWrite() && !settle) break;
      if (!clock_.NextPass()) break;
      settle = !LookAt(file_.Read(keys_, false));  // refused: look once more
    }
    return Finish(true);
  }

 private:
  // What the slot should hold, from a value of the file that no write of
  // this store has touched yet.
  void Decide(int slot, const Text& found) {
    SlotRun& run = runs_[slot];
    const SlotBaseline& baseline = baselines_[slot];
    const Text& memo = memos_[slot];
    run = SlotRun{};
    // A character the file cannot hold: the file keeps the slot's last good
    // value. OK and the close check first and say so; the end of the log-on
    // session cannot ask.
    if (HasNonAnsiChars(memo)) return;
    run.own = StoredValueOfText(memo);
    run.touched = memo != baseline.text;
    run.mending = !run.touched && baseline.mend != kIniNoValue && CutShort(found, baseline.mend);
    if (run.touched) {
      run.target = run.own;
    } else if (run.mending) {
      run.target = baseline.mend;
    } else if (found == kIniNoValue || found == baseline.value) {
      run.target = run.own;  // in this program's spelling
    } else {
      run.target = found;  // someone else's, never replaced
    }
    run.first = run.seen = found;
    run.fate = found == run.target ? Fate::kHeld : Fate::kToWrite;
  }

  // A later value of the slot.
  void LookAt(int slot, const Text& found) {
    SlotRun& run = runs_[slot];
    if (run.fate == Fate::kNothing) return;
    // Nothing of this copy's has reached the file yet: decide afresh.
    if (!wroteAny_) return Decide(slot, found);
    run.seen = found;
    if (found == run.target) {
      run.fate = Fate::kHeld;
      return;
    }
    // No value or a part of the target: this copy's cut, or a key removed.
    // The value the slot held just before this copy's write, or when this
    // store first read it: this copy's write refused, or a write of another
    // that read the file before it and wrote the file whole after it (two
    // such writes at once can even empty the file for a moment, and one of
    // them write back what it read before). Either way the slot is this
    // copy's to write again.
    if (CutShort(found, run.target) ||
        (run.written && (found == run.before || found == run.first))) {
      run.fate = Fate::kToWrite;
      return;
    }
    if (!run.written && found == run.first) return;  // as it was
    // Any other value is another program's, written after this copy looked.
    // An untouched slot takes it; over a touched slot already written, the
    // last writer decides, and the memo keeps the user's text.
    if (!run.touched) {
      run.target = found;
      run.fate = Fate::kHeld;
    } else if (run.written) {
      run.fate = Fate::kOvertaken;
    }
  }

  // False when the file could not be read.
  bool LookAt(const FileReading& reading) {
    if (reading.access == FileAccess::kUnreadable) return false;
    for (int slot = 1; slot <= kSlotCount; ++slot) LookAt(slot, reading.values[slot - 1]);
    return true;
  }

  // Writes every slot that is this copy's to write; true when one was.
  bool WritePass() {
    bool wrote = false;
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      SlotRun& run = runs_[slot];
      if (run.fate != Fate::kToWrite) continue;
      if (!clock_.MayWrite()) break;
      const Text& key = keys_[slot - 1];
      if (!run.touched) {
        // A look just before, so that a value someone has put there since
        // the last reading is not written over.
        const FileReading now = file_.Read({key}, false);
        if (now.access == FileAccess::kUnreadable) continue;
        LookAt(slot, now.values[0]);
        if (run.fate != Fate::kToWrite) continue;
      }
      run.before = run.seen;
      file_.Write(key, run.target);
      run.written = wroteAny_ = wrote = true;
    }
    return wrote;
  }

  bool ToWrite() const {
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      if (runs_[slot].fate == Fate::kToWrite) return true;
    }
    return false;
  }

  // Says whether the store kept everything, and carries what it learnt
  // into the baselines. Decided: whether the file could be read at all.
  bool Finish(bool decided) {
    bool stored = true;
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      const SlotRun& run = runs_[slot];
      SlotBaseline& baseline = baselines_[slot];
      const Text& memo = memos_[slot];
      if (!decided || run.fate == Fate::kNothing) {
        // Nothing was written: a text typed is not stored, and a cut from
        // before is not mended.
        if (!decided && memo != baseline.text && !HasNonAnsiChars(memo)) stored = false;
        if (baseline.mend != kIniNoValue) stored = false;
        continue;
      }
      // Damage of this copy's own: the file has lost (part of) what the
      // slot held, and no pass could write it again.
      const bool cut = run.fate == Fate::kToWrite && CutShort(run.seen, run.target) &&
                       (run.seen != run.first || run.mending);
      baseline.mend = cut ? run.target : kIniNoValue;
      if (cut) stored = false;
      if ((run.fate == Fate::kHeld && run.target == run.own) || run.fate == Fate::kOvertaken) {
        baseline.text = memo;
        baseline.value = run.own;
      } else if (run.touched) {
        // Not written, yet nothing typed is lost when the file gives the
        // memo's text back in another spelling (lower-case hex).
        if (run.seen == kIniNoValue || MemoTextOf(TextOfStoredValue(run.seen)) != memo) {
          stored = false;
        } else {
          baseline.text = memo;
          baseline.value = run.seen;
        }
      }
    }
    return stored;
  }

  SettingsFile& file_;
  StoreClock& clock_;
  const SlotTexts& memos_;
  SlotBaselines& baselines_;
  const std::vector<Text> keys_;
  std::array<SlotRun, kSlotCount + 1> runs_{};
  bool wroteAny_ = false;
};

}  // namespace

bool StoreTexts(SettingsFile& file, StoreClock& clock, const SlotTexts& memos,
                SlotBaselines& baselines) {
  return Store(file, clock, memos, baselines).Run();
}

}  // namespace ordfalk
