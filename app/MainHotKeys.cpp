// The eight hot keys and the paste into the focused control of the
// foreground program.
#include "ClipboardToolz.h"
#include "Main.h"
#include "WinText.h"

namespace ordfalk {

namespace {

// How long a paste waits for the target program to handle it. A target
// that does not answer in time is left alone; the text stays on the
// clipboard.
constexpr UINT kPasteTimeoutMs = 3000;

}  // namespace

void TfrmMain::HotKeyStep() {
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const SlotInfo& info = SlotOf(slot);
    // The atom doubles as the hot-key identifier; 0 when it could not be
    // added, and the registration is tried all the same.
    FHotKeyAtom[slot] = GlobalAddAtomW(Wide(info.atomName).c_str());
    RegisterHotKey(handle_, static_cast<int>(FHotKeyAtom[slot]), info.modifiers, info.key);
  }
}

void TfrmMain::ReleaseStep() {
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    UnregisterHotKey(handle_, static_cast<int>(FHotKeyAtom[slot]));
    GlobalDeleteAtom(static_cast<ATOM>(FHotKeyAtom[slot] & 0xFFFF));
  }
}

void TfrmMain::WMHotKey(WPARAM identifier) {
  // Every slot is compared, in order: two slots with the same identifier
  // both paste, the lower-numbered first.
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (static_cast<uint32_t>(identifier) != FHotKeyAtom[slot]) continue;
    PasteTextToFocus(MemoText(slot));
  }
}

void TfrmMain::PasteTextToFocus(const Text& text) {
  // The clipboard is filled and closed again before the target is asked.
  // When it could not be filled (another program holds it open), the
  // target is not asked: it would paste whatever the clipboard held before.
  if (!ClipboardSetText(text)) return;
  const DWORD target = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  if (!AttachThreadInput(GetCurrentThreadId(), target, static_cast<BOOL>(-1))) return;
  // While joined, GetFocus answers for the foreground program's input.
  DWORD_PTR result = 0;
  SendMessageTimeoutW(GetFocus(), WM_PASTE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kPasteTimeoutMs,
                      &result);
  AttachThreadInput(GetCurrentThreadId(), target, FALSE);
}

Text TfrmMain::MemoText(int slot) const {
  HWND memo = txtText_[slot];
  std::wstring buffer(static_cast<size_t>(GetWindowTextLengthW(memo)) + 1, L'\0');
  const int length = GetWindowTextW(memo, buffer.data(), static_cast<int>(buffer.size()));
  return FromWide(buffer.data(), static_cast<size_t>(length));
}

void TfrmMain::SetMemoText(int slot, const Text& text) {
  SetWindowTextW(txtText_[slot], Wide(text).c_str());
}

}  // namespace ordfalk
