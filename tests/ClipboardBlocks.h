// The clipboard as the test programs meet it: its blocks read and put as
// another program does, and the clipboard held open by "another program".
#pragma once

#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <thread>
#include <utility>

namespace clipboard_blocks {

// Opens the clipboard for Owner, trying again for up to two seconds:
// Wine's bridge to the X clipboard opens it now and then.
inline bool Open(HWND owner = nullptr) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(10);
  }
  return false;
}

// The whole block (GlobalSize bytes) that the open clipboard holds under
// Format; empty when there is none.
inline std::string Block(UINT format) {
  std::string bytes;
  if (HANDLE data = GetClipboardData(format)) {
    if (const char* p = static_cast<const char*>(GlobalLock(data))) {
      bytes.assign(p, GlobalSize(data));
      GlobalUnlock(data);
    }
  }
  return bytes;
}

// The same, opening the clipboard for it; empty when it could not be opened.
inline std::string Read(UINT format) {
  if (!Open()) return {};
  std::string bytes = Block(format);
  CloseClipboard();
  return bytes;
}

// A text block's characters (char for CF_TEXT, wchar_t for CF_UNICODETEXT)
// up to its terminating zero.
template <typename Char>
std::basic_string<Char> UpToZero(const std::string& block) {
  std::basic_string<Char> text(block.size() / sizeof(Char), Char());
  if (!text.empty()) std::memcpy(&text[0], block.data(), text.size() * sizeof(Char));
  return text.substr(0, text.find(Char()));
}

// The locale named beside the text (CF_LOCALE); 0 when there is none.
inline LCID Locale() {
  const std::string block = Read(CF_LOCALE);
  LCID locale = 0;
  if (block.size() >= sizeof locale) std::memcpy(&locale, block.data(), sizeof locale);
  return locale;
}

// Empties the clipboard and puts each block under its format; true when
// the clipboard took them all.
inline bool Replace(std::initializer_list<std::pair<UINT, std::string>> blocks) {
  if (!Open()) return false;
  EmptyClipboard();
  bool all = true;
  for (const auto& [format, bytes] : blocks) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    bool taken = false;
    if (void* p = block ? GlobalLock(block) : nullptr) {
      std::memcpy(p, bytes.data(), bytes.size());
      GlobalUnlock(block);
      taken = SetClipboardData(format, block) != nullptr;
    }
    if (!taken && block) GlobalFree(block);
    all = all && taken;
  }
  CloseClipboard();
  return all;
}

// Holds the clipboard open, as another program does: opened for a window of
// its own, on a thread of its own, until released. (Wine lets a second
// OpenClipboard with no window succeed while the first holder has none.)
class HeldClipboard {
 public:
  HeldClipboard() {
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, opened] {
      HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
      held_ = window && Open(window);
      SetEvent(opened);
      WaitForSingleObject(release_, INFINITE);
      if (held_) CloseClipboard();
      if (window) DestroyWindow(window);
    });
    WaitForSingleObject(opened, 5000);
    CloseHandle(opened);
  }
  ~HeldClipboard() {
    Release();
    CloseHandle(release_);
  }
  HeldClipboard(const HeldClipboard&) = delete;
  HeldClipboard& operator=(const HeldClipboard&) = delete;
  bool Held() const { return held_; }
  void Release() {
    if (!thread_.joinable()) return;
    SetEvent(release_);
    thread_.join();
  }

 private:
  HANDLE release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread thread_;
  volatile bool held_ = false;
};

}  // namespace clipboard_blocks
