// FakeTray: a stand-in notification area, owned by the test.
//
// Wine's Shell_NotifyIconW looks for the first top-level window of class
// "Shell_TrayWnd" and sends it WM_COPYDATA (dwData = NIM_ADD, NIM_MODIFY,
// NIM_DELETE or NIM_SETVERSION; the payload is Wine's own flattened icon
// record) and returns what that window answers. A window of that class
// created after Wine's own lies above it in the z-order and is found first,
// so while a FakeTray lives, every program's tray calls come here: they are
// recorded, and are answered with TRUE (accepted) or FALSE (refused).
// Destroying the FakeTray hands the notification area back to Wine's own.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

struct TrayCall {
  DWORD message = 0;  // NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_SETVERSION, ...
  HWND owner = nullptr;
  UINT id = 0;
  UINT flags = 0;
  UINT callbackMessage = 0;
  std::wstring tip;  // when flags hold NIF_TIP
  UINT version = 0;  // uVersion; Wine passes it with NIM_SETVERSION only
};

class FakeTray {
 public:
  FakeTray() = default;
  ~FakeTray();
  FakeTray(const FakeTray&) = delete;
  FakeTray& operator=(const FakeTray&) = delete;

  // Creates the window on a thread of its own; true when Shell_NotifyIconW
  // of this process now reaches it (checked with a call of its own).
  bool Start(bool accept);
  void Stop();
  void SetAccept(bool accept);
  // Refuses every call of this one kind (kNoKind: none), whatever
  // SetAccept says.
  static constexpr DWORD kNoKind = 0xFFFFFFFF;
  void Refuse(DWORD message);
  HWND Window() const { return window_; }

  // The calls made by windows of process ProcessId (all when 0), in order.
  std::vector<TrayCall> Calls(DWORD processId = 0) const;
  size_t Count(DWORD processId, DWORD message) const;
  bool WaitForCount(DWORD processId, DWORD message, size_t count, DWORD timeoutMs = 5000) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void Run(HANDLE ready);
  void Record(const COPYDATASTRUCT& data);

  std::thread thread_;
  HWND window_ = nullptr;
  mutable std::mutex lock_;
  std::vector<std::pair<DWORD, TrayCall>> calls_;  // (process, call)
  volatile LONG accept_ = TRUE;
  volatile LONG refused_ = static_cast<LONG>(kNoKind);
};

}  // namespace e2e
