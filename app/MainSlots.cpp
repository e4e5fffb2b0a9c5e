// Loading the eight texts at start, OK with its check, asking before the
// end when the texts cannot be kept, and storing them at the end of the
// program.
#include "Application.h"
#include "INIToolz.h"
#include "Main.h"
#include "SlotStore.h"
#include "WinText.h"

namespace ordfalk {

namespace {

// Every call addresses the settings file beside the executable.
const Text kSettingsFile;

// Its full path, for what is said of it.
Text SettingsFilePath() { return IniDefaultFileName(AppExePath()); }

// How long loading waits for a settings file that another program is
// writing, holds open without sharing it, or has locked.
constexpr unsigned kLoadWaitMs = 5000;
// How long a store waits for it at first; also how long it goes on trying
// writes that another program refuses for a moment (a sync client or a
// scanner holding the file), in all.
constexpr unsigned kStoreRetryMs = 500;
// At the end of the log-on Windows gives a program a few seconds: no write
// starts after this.
constexpr DWORD kLogOffWriteMs = 2000;

class StoreTimer : public StoreClock {
 public:
  explicit StoreTimer(bool loggingOff) : loggingOff_(loggingOff) {}
  bool MayWrite() override { return !loggingOff_ || GetTickCount() - start_ < kLogOffWriteMs; }
  bool NextPass() override {
    if (!retrying_) {
      retrying_ = true;
      retryStart_ = GetTickCount();
    }
    if (GetTickCount() - retryStart_ >= kStoreRetryMs) return false;
    Sleep(50);
    return true;
  }

 private:
  const bool loggingOff_;
  const DWORD start_ = GetTickCount();
  bool retrying_ = false;
  DWORD retryStart_ = 0;
};

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
  ProfileSettingsFile file(kSettingsSection, kSettingsFile, kLoadWaitMs);
  const FileReading reading = file.Read(SlotKeys(), true);
  // A file that exists but could not be read gives every slot its default,
  // with no value as its baseline: such a slot is written only once the
  // file is seen without it, never over a text it holds.
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const Text& value = reading.values[slot - 1];
    SetMemoText(slot, MemoTextOf(TextOfStoredValue(value == kIniNoValue ? DefaultStoredValue(slot)
                                                                        : value)));
    baseline_[slot] = {MemoText(slot), value};
  }
}

bool TfrmMain::StoreSlots(bool loggingOff) {
  ProfileSettingsFile file(kSettingsSection, kSettingsFile, kStoreRetryMs);
  StoreTimer timer(loggingOff);
  SlotTexts memos;
  for (int slot = 1; slot <= kSlotCount; ++slot) memos[slot] = MemoText(slot);
  return StoreTexts(file, timer, memos, baseline_);
}

bool TfrmMain::MemosAsStored() const {
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (MemoText(slot) != baseline_[slot].text) return false;
  }
  return true;
}

void TfrmMain::StoringStep() {
  // Quit has just stored the texts, unless one changed since.
  if (storedAtClose_ && MemosAsStored()) return;
  StoreSlots(loggingOff_);
}

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
  if (!StoreSlots(false)) {
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
  if (StoreSlots(false)) {
    storedAtClose_ = true;
    return true;
  }
  ShowInFront();
  const Text question = NotStoredText(ChooseStr(
      IsSwedishUI(), u"Avsluta \u00E4nd\u00E5? Texterna i f\u00F6nstret g\u00E5r f\u00F6rlorade.",
      u"End anyway? The texts in the window will be lost."));
  return MessageBoxW(handle_, Wide(question).c_str(), Wide(Application.Title).c_str(),
                     MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

}  // namespace ordfalk
