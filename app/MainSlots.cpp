// Loading the eight texts at start, OK with its check, and storing them at
// the end of the program.
#include "INIToolz.h"
#include "Main.h"
#include "WinText.h"

namespace ordfalk {

namespace {

// Every call addresses the settings file beside the executable.
const Text kSettingsFile;

// Copies of the program started from one folder share its settings file.
// Each reads or writes all eight texts under this lock, so that the file
// always holds the eight values of one copy, never a mix of two. The wait is
// bounded: a copy that cannot get the lock in time goes on without it.
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

}  // namespace

void TfrmMain::LoadingStep() {
  const SettingsLock lock;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const Text value =
        IniReadString(kSettingsSection, SlotOf(slot).iniKey, DefaultStoredValue(slot), kSettingsFile);
    SetMemoText(slot, MemoTextOf(TextOfStoredValue(value)));
  }
}

void TfrmMain::StoreSlot(int slot) {
  IniWriteString(kSettingsSection, SlotOf(slot).iniKey, StoredValueOfText(MemoText(slot)),
                 kSettingsFile);
}

void TfrmMain::StoringStep() {
  // At the end no check is made: a character above U+00FF is stored as its
  // low byte.
  const SettingsLock lock;
  for (int slot = 1; slot <= kSlotCount; ++slot) StoreSlot(slot);
}

void TfrmMain::btnOKClick() {
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (!HasNonAnsiChars(MemoText(slot))) continue;
    // Nothing is stored and the window stays as it is.
    ShowErrorBox(handle_,
                 ChooseStr(IsSwedishUI(), u"Programmet \u00E4r endast kompatibelt med ANSI-tecken.",
                           u"This program is only compatible with ANSI chars."),
                 u"");
    return;
  }
  {
    const SettingsLock lock;
    for (int slot = 1; slot <= kSlotCount; ++slot) StoreSlot(slot);
  }
  ShowWindow(handle_, SW_HIDE);
}

}  // namespace ordfalk
