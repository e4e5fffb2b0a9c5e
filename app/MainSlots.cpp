// Loading the eight texts at start, OK with its check, asking before the
// end when the texts cannot be kept, and storing them at the end of the
// program.
#include <algorithm>

#include "Application.h"
#include "INIToolz.h"
#include "Main.h"
#include "WinText.h"

namespace ordfalk {

namespace {

// Every call addresses the settings file beside the executable.
const Text kSettingsFile;

// Its full path, for what is said of it and done to it beside those calls.
Text SettingsFilePath() { return IniDefaultFileName(AppExePath()); }

// How long a store goes on trying writes that another program refuses for
// a moment (a sync client or a scanner holding the file), in all; also how
// long it waits to read the file while another program writes it.
constexpr DWORD kStoreRetryMs = 500;
// How long loading waits for a settings file that another program is
// writing, holds open without sharing it, or has locked.
constexpr DWORD kLoadWaitMs = 5000;

enum class SettingsAccess { kAbsent, kReadable, kUnreadable };

// The settings file, held open for reading while it is read. At first the
// hold lets others read and delete the file but not write it, so that no
// program can empty and write it again in place between the reads of the
// eight values; a program that replaces the file whole still can, and the
// reads then see the new file whole. Nothing keeps out a program that
// opened the file before, or one that ignores the hold.
class SettingsHold {
 public:
  // Opens the file and reads it once through the handle. A file that
  // another program writes, holds alone, or has locked is waited for, up to
  // WaitMs; then one more try lets writers share it.
  explicit SettingsHold(DWORD waitMs);
  SettingsHold(const SettingsHold&) = delete;
  SettingsHold& operator=(const SettingsHold&) = delete;
  ~SettingsHold() { Release(); }

  SettingsAccess Access() const { return access_; }
  // Whether the file, read through the handle, held anything at all.
  bool HasContent() const { return hasContent_; }
  void Release();

 private:
  // Reads the whole file; false when a read is refused.
  bool ReadThrough();

  HANDLE file_ = INVALID_HANDLE_VALUE;
  SettingsAccess access_ = SettingsAccess::kAbsent;
  bool hasContent_ = false;
};

SettingsHold::SettingsHold(DWORD waitMs) {
  const std::wstring name = Wide(SettingsFilePath());
  const DWORD start = GetTickCount();
  DWORD sharing = FILE_SHARE_READ | FILE_SHARE_DELETE;
  for (;;) {
    file_ = CreateFileW(name.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ != INVALID_HANDLE_VALUE && ReadThrough()) {
      access_ = SettingsAccess::kReadable;
      return;
    }
    const DWORD error = GetLastError();
    Release();
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))) {
      access_ = SettingsAccess::kAbsent;
      return;
    }
    const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    const bool shared = sharing & FILE_SHARE_WRITE;
    if (!busy || shared) {
      access_ = SettingsAccess::kUnreadable;
      return;
    }
    // A writer that keeps the file open for long: share it with that one.
    if (GetTickCount() - start >= waitMs) {
      sharing |= FILE_SHARE_WRITE;
      continue;
    }
    Sleep(waitMs < 1000 ? 20 : 100);
  }
}

bool SettingsHold::ReadThrough() {
  char buffer[4096];
  DWORD got = 0;
  for (;;) {
    if (!ReadFile(file_, buffer, sizeof buffer, &got, nullptr)) return false;
    if (got == 0) return true;
    hasContent_ = true;
  }
}

void SettingsHold::Release() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

// The stored values of the eight slots, kIniNoValue where the file gives
// none; false when it gives none at all.
bool ReadStoredValues(std::array<Text, kSlotCount + 1>& values) {
  bool any = false;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    values[slot] = IniReadString(kSettingsSection, SlotOf(slot).iniKey, kIniNoValue, kSettingsFile);
    any = any || values[slot] != kIniNoValue;
  }
  return any;
}

// One state of the settings file: whether it was there and could be read,
// and the eight stored values (kIniNoValue where it gave none).
struct SettingsReading {
  SettingsAccess access = SettingsAccess::kAbsent;
  std::array<Text, kSlotCount + 1> values;
};

SettingsReading ReadSettings(DWORD waitMs) {
  SettingsReading reading;
  reading.values.fill(kIniNoValue);
  SettingsHold hold(waitMs);
  reading.access = hold.Access();
  if (reading.access == SettingsAccess::kAbsent) return reading;
  // A reader of the platform's that would not share the file with the hold
  // finds nothing in it: read once more without the hold.
  if (!ReadStoredValues(reading.values) && hold.HasContent()) {
    hold.Release();
    ReadStoredValues(reading.values);
  }
  return reading;
}

// Whether a store writes a slot whose memo its user has not touched since
// the baseline: only where the file still holds what this copy knew, or
// lacks the slot, or is not there at all; and, after a write of this copy's
// that may have cut the file short (Mending), wherever the file lost the
// baseline's value. Another value is someone else's, and a file that could
// not be read may hold one.
bool WritesUntouched(const SlotBaseline& baseline, const SettingsReading& reading, int slot,
                     bool mending) {
  const Text& found = reading.values[slot];
  switch (reading.access) {
    case SettingsAccess::kAbsent:
      return true;
    case SettingsAccess::kUnreadable:
      return false;
    case SettingsAccess::kReadable:
      break;
  }
  if (found == kIniNoValue || found == baseline.value) return true;
  return mending && baseline.value != kIniNoValue;
}

Text AnsiOnlyText() {
  return ChooseStr(IsSwedishUI(), u"Programmet \u00E4r endast kompatibelt med ANSI-tecken.",
                   u"This program is only compatible with ANSI chars.");
}

Text NotStoredText(const Text& advice) {
  return ChooseStr(IsSwedishUI(), u"Texterna kunde inte sparas i\n",
                   u"The texts could not be stored in\n") +
         SettingsFilePath() + u"\n\n" + advice;
}

}  // namespace

void TfrmMain::LoadingStep() {
  const SettingsReading reading = ReadSettings(kLoadWaitMs);
  // A file that exists but could not be read gives every slot its default,
  // with no value as its baseline: such a slot is written only once the
  // file is seen without it, never over a text it holds.
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const Text& value = reading.values[slot];
    SetMemoText(slot, MemoTextOf(TextOfStoredValue(value == kIniNoValue ? DefaultStoredValue(slot)
                                                                        : value)));
    baseline_[slot] = {MemoText(slot), value};
  }
}

bool TfrmMain::StoreSlots() {
  // Every decision comes from the file as it was before this store's first
  // write, not from what its own writes did to it.
  const SettingsReading reading = ReadSettings(kStoreRetryMs);
  const bool mending = storeMayHaveCut_;
  bool cut = false;
  // What the file holds for each slot that counts as stored through it;
  // kIniNoValue for one that is not, or not through the file.
  std::array<Text, kSlotCount + 1> kept;
  kept.fill(kIniNoValue);
  bool wrote = false;  // a write was tried since the last check

  // One slot; true when nothing typed is lost.
  auto store = [&](int slot) {
    const Text text = MemoText(slot);
    // A character the file cannot hold: the file keeps the slot's last good
    // value. OK and the close check first and say so; the end of the log-on
    // session cannot ask.
    if (HasNonAnsiChars(text)) return true;
    const SlotBaseline& baseline = baseline_[slot];
    const bool untouched = text == baseline.text;
    if (untouched && !WritesUntouched(baseline, reading, slot, mending)) return true;
    const Text value = StoredValueOfText(text);
    // Once a write of this store has cut the file, the reading no longer
    // tells what it holds.
    if (!cut && reading.access == SettingsAccess::kReadable && reading.values[slot] == value) {
      kept[slot] = value;
      return true;
    }
    const Text key = SlotOf(slot).iniKey;
    const IniWriteResult written = IniWriteStringChecked(kSettingsSection, key, value, kSettingsFile);
    wrote = true;
    if (written == IniWriteResult::kHeld) {
      kept[slot] = value;
      return true;
    }
    cut = cut || written == IniWriteResult::kNotKept;
    // Not written, yet nothing typed is lost when the file gives the memo's
    // text back in another spelling (lower-case hex), or when the memo is as
    // known and neither the baseline nor the file has a value.
    const Text found = IniReadString(kSettingsSection, key, kIniNoValue, kSettingsFile);
    if (found == kIniNoValue) return untouched && baseline.value == kIniNoValue;
    if (MemoTextOf(TextOfStoredValue(found)) != text) return false;
    kept[slot] = found;
    return true;
  };

  std::array<bool, kSlotCount + 1> held{};
  bool all = false;
  const DWORD start = GetTickCount();
  for (;;) {
    // Every slot is written, even when an earlier one failed.
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      if (!held[slot]) held[slot] = store(slot);
    }
    // A write may have cut the file short past its own key, even one
    // reported as done, or refused after it began: what the others count on
    // is read once more.
    if (wrote) {
      std::array<Text, kSlotCount + 1> now;
      ReadStoredValues(now);
      for (int slot = 1; slot <= kSlotCount; ++slot) {
        if (kept[slot] == kIniNoValue || now[slot] == kept[slot]) continue;
        held[slot] = false;
        kept[slot] = kIniNoValue;
        cut = true;
      }
      wrote = false;
    }
    all = std::all_of(held.begin() + 1, held.end(), [](bool stored) { return stored; });
    if (all || GetTickCount() - start >= kStoreRetryMs) break;
    Sleep(50);
  }
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (kept[slot] != kIniNoValue) baseline_[slot] = {MemoText(slot), kept[slot]};
  }
  // The mending goes on until a store has seen the file and kept it all.
  storeMayHaveCut_ = cut || (mending && (!all || reading.access == SettingsAccess::kUnreadable));
  return all;
}

void TfrmMain::StoringStep() { StoreSlots(); }

bool TfrmMain::SlotsPassCheck() const {
  // Slot by slot, up to the first that fails. The box that tells of it does
  // not say which slot that was.
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (HasNonAnsiChars(MemoText(slot))) return false;
  }
  return true;
}

void TfrmMain::btnOKClick() {
  // Either the file holds all eight texts and the window hides, or the user
  // is told and the window stays as it is, texts, focus and all.
  if (!SlotsPassCheck()) {
    ShowErrorBox(handle_, AnsiOnlyText(), u"");
    return;
  }
  if (!StoreSlots()) {
    ShowErrorBox(
        handle_,
        NotStoredText(ChooseStr(
            IsSwedishUI(),
            u"Om ett annat program har filen \u00F6ppen, st\u00E4ng det; om disken \u00E4r full, "
            u"g\u00F6r plats; tryck sedan p\u00E5 OK igen. Flytta annars programmet till en mapp "
            u"d\u00E4r du f\u00E5r skriva, till exempel Dokument.",
            u"If another program has the file open, close it; if the disk is full, make room; "
            u"then press OK again. Otherwise move the program to a folder where you may write, "
            u"such as Documents.")),
        u"");
    return;
  }
  ShowWindow(handle_, SW_HIDE);
}

bool TfrmMain::CanClose() {
  // Checked and stored while the window still exists, so that nothing is
  // lost without the user's word. Each box comes with the window in front.
  if (!SlotsPassCheck()) {
    ShowInFront();
    ShowErrorBox(handle_, AnsiOnlyText(), u"");
    return false;
  }
  if (StoreSlots()) return true;
  ShowInFront();
  const Text question = NotStoredText(ChooseStr(
      IsSwedishUI(), u"Avsluta \u00E4nd\u00E5? Texterna i f\u00F6nstret g\u00E5r f\u00F6rlorade.",
      u"End anyway? The texts in the window will be lost."));
  return MessageBoxW(handle_, Wide(question).c_str(), Wide(Application.Title).c_str(),
                     MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

}  // namespace ordfalk
