#include <windows.h>

#include <cstring>

#include "ClipboardToolz.h"

namespace ordfalk {

bool ClipboardSetBuffer(uint16_t format, const void* data, int32_t size) {
  // One attempt and no retry: while another program holds the clipboard
  // open, its contents stay as they are.
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  bool taken = false;
  if (size >= 0) {
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, static_cast<SIZE_T>(size))) {
      if (void* target = GlobalLock(block)) {
        if (size > 0) std::memcpy(target, data, static_cast<size_t>(size));
        // Handed over while still locked; once taken, the block is the
        // clipboard's. A refused block is ours to free.
        taken = SetClipboardData(format, block) != nullptr;
        GlobalUnlock(block);
      }
      if (!taken) GlobalFree(block);
    }
  }
  CloseClipboard();
  return taken;
}

bool ClipboardSetText(const AnsiString& text) {
  // std::string keeps a zero byte after its last character, so the block
  // gets the bytes followed by exactly one zero byte (one zero byte alone
  // for an empty string).
  return ClipboardSetBuffer(kClipboardText, text.c_str(), static_cast<int32_t>(text.size()) + 1);
}

}  // namespace ordfalk
