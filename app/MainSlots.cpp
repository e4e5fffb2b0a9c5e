// Loading the eight texts at start, OK with its check, asking before the
// end when the texts cannot be kept, and storing them at the end of the
// program.
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
// a moment (a sync client or a scanner holding the file), in all.
constexpr DWORD kStoreRetryMs = 500;
// How long loading waits for a settings file that another program holds
// open without sharing it, or has locked.
constexpr DWORD kLoadWaitMs = 5000;

enum class SettingsAccess { kAbsent, kReadable, kUnreadable };

// The settings file, held open for reading while the texts are loaded. As
// long as it is held, no other program (a scanner, a sync client) can take
// the file for itself, and the reads of the texts share it with this hold.
class LoadingHold {
 public:
  // Opens the file and reads it once through the handle. A file that
  // another program holds alone, or has locked, is waited for, up to
  // kLoadWaitMs.
  LoadingHold();
  LoadingHold(const LoadingHold&) = delete;
  LoadingHold& operator=(const LoadingHold&) = delete;
  ~LoadingHold() { Release(); }

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

LoadingHold::LoadingHold() {
  const std::wstring name = Wide(SettingsFilePath());
  const DWORD start = GetTickCount();
  for (;;) {
    file_ = CreateFileW(name.c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    if (!busy || GetTickCount() - start >= kLoadWaitMs) {
      access_ = SettingsAccess::kUnreadable;
      return;
    }
    Sleep(100);
  }
}

bool LoadingHold::ReadThrough() {
  char buffer[4096];
  DWORD got = 0;
  for (;;) {
    if (!ReadFile(file_, buffer, sizeof buffer, &got, nullptr)) return false;
    if (got == 0) return true;
    hasContent_ = true;
  }
}

void LoadingHold::Release() {
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
  LoadingHold hold;
  std::array<Text, kSlotCount + 1> values;
  // A reader of the platform's that would not share the file with the hold
  // finds nothing in it: read once more without the hold.
  if (!ReadStoredValues(values) && hold.HasContent()) {
    hold.Release();
    ReadStoredValues(values);
  }
  hold.Release();
  // A file that exists but cannot be read gives every slot its default.
  // Such a slot is not written until the user changes it, so that the
  // texts the file holds are never replaced by defaults they were not read
  // from.
  const bool unreadable = hold.Access() == SettingsAccess::kUnreadable;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    LoadedSlot& loaded = loaded_[slot];
    loaded.keyAbsent = values[slot] == kIniNoValue;
    const Text value = loaded.keyAbsent ? DefaultStoredValue(slot) : values[slot];
    SetMemoText(slot, MemoTextOf(TextOfStoredValue(value)));
    loaded.text = MemoText(slot);
    loaded.guarded = unreadable;
  }
}

bool TfrmMain::StoreSlot(int slot) {
  const Text text = MemoText(slot);
  // A character the file cannot hold: the file keeps the slot's last good
  // value. OK and the close check first and say so; the end of the log-on
  // session cannot ask.
  if (HasNonAnsiChars(text)) return true;
  LoadedSlot& loaded = loaded_[slot];
  const bool untouched = text == loaded.text;
  if (loaded.guarded && untouched) return true;
  const Text key = SlotOf(slot).iniKey;
  if (IniWriteString(kSettingsSection, key, StoredValueOfText(text), kSettingsFile)) {
    loaded.guarded = false;
    return true;
  }
  // Not written, yet nothing typed is lost when the file gives the memo's
  // text back in another spelling (lower-case hex), or when the memo is as
  // loaded and the file still lacks the key it was loaded without.
  const Text value = IniReadString(kSettingsSection, key, kIniNoValue, kSettingsFile);
  if (value == kIniNoValue) return untouched && loaded.keyAbsent;
  return MemoTextOf(TextOfStoredValue(value)) == text;
}

bool TfrmMain::StoreSlots() {
  std::array<bool, kSlotCount + 1> held{};
  const DWORD start = GetTickCount();
  for (;;) {
    // Every slot is written, even when an earlier one failed.
    bool all = true;
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      if (!held[slot]) held[slot] = StoreSlot(slot);
      all = all && held[slot];
    }
    if (all) return true;
    if (GetTickCount() - start >= kStoreRetryMs) return false;
    Sleep(50);
  }
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
