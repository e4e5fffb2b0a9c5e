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

// One copy runs per log-on session, but copies in two sessions (another
// user switched to, a remote desktop) started from one folder share its
// settings file. Each reads or writes all eight texts under this lock, so
// that the file always holds the eight values of one copy, never a mix of
// two. The wait is bounded: a copy that cannot get the lock in time goes on
// without it.
class SettingsLock {
 public:
  SettingsLock() : mutex_(CreateMutexW(nullptr, FALSE, L"Ordfalk.SettingsFile")) {
    if (mutex_) {
      const DWORD waited = WaitForSingleObject(mutex_, 5000);
      held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
  }
  SettingsLock(const SettingsLock&) = delete;
  SettingsLock& operator=(const SettingsLock&) = delete;
  ~SettingsLock() {
    if (held_) ReleaseMutex(mutex_);
    if (mutex_) CloseHandle(mutex_);
  }

 private:
  HANDLE mutex_;
  bool held_ = false;
};

// How long a store goes on trying writes that another program refuses for
// a moment (a sync client or a scanner holding the file), in all.
constexpr DWORD kStoreRetryMs = 500;
// How long loading waits for a settings file that another program holds
// open without sharing it.
constexpr DWORD kLoadWaitMs = 5000;

enum class SettingsAccess { kAbsent, kReadable, kUnreadable };

// Whether the settings file can be read now. A file that another program
// holds is waited for, up to kLoadWaitMs.
SettingsAccess ProbeSettingsFile() {
  const std::wstring name = Wide(SettingsFilePath());
  const DWORD start = GetTickCount();
  for (;;) {
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return SettingsAccess::kReadable;
    }
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))) {
      return SettingsAccess::kAbsent;
    }
    const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    if (!busy || GetTickCount() - start >= kLoadWaitMs) return SettingsAccess::kUnreadable;
    Sleep(100);
  }
}

// What loading puts in a slot's memo when the file does not give its text.
Text DefaultMemoText(int slot) { return MemoTextOf(TextOfStoredValue(DefaultStoredValue(slot))); }

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
  // A file that exists but cannot be read gives every slot its default. Such
  // a slot is not written until the user changes it, so that the texts the
  // file holds are never replaced by defaults they were not read from.
  const bool unreadable = ProbeSettingsFile() == SettingsAccess::kUnreadable;
  const SettingsLock lock;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    guarded_[slot] = unreadable;
    const Text value =
        IniReadString(kSettingsSection, SlotOf(slot).iniKey, DefaultStoredValue(slot), kSettingsFile);
    SetMemoText(slot, MemoTextOf(TextOfStoredValue(value)));
  }
}

bool TfrmMain::StoreSlot(int slot) {
  const Text text = MemoText(slot);
  // A character the file cannot hold: the file keeps the slot's last good
  // value. OK and the close check first and say so; the end of the log-on
  // session cannot ask.
  if (HasNonAnsiChars(text)) return true;
  if (guarded_[slot] && text == DefaultMemoText(slot)) return true;
  const bool held =
      IniWriteString(kSettingsSection, SlotOf(slot).iniKey, StoredValueOfText(text), kSettingsFile);
  if (held) guarded_[slot] = false;
  return held;
}

bool TfrmMain::StoreSlots() {
  const SettingsLock lock;
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
            u"Flytta programmet till en mapp d\u00E4r du f\u00E5r skriva, till exempel Dokument.",
            u"Move the program to a folder where you may write, such as Documents.")),
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
