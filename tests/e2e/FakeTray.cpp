#include "FakeTray.h"

#include <shellapi.h>

#include <cstring>

#include "Desktop.h"

namespace e2e {

namespace {

constexpr wchar_t kShellTrayClass[] = L"Shell_TrayWnd";
constexpr wchar_t kCheckTip[] = L"FakeTray check";
constexpr UINT kStopMessage = WM_APP + 0x70;

// Wine's record starts with the owner window (32 bits), the icon id, the
// flags and the callback message; the tooltip (128 UTF-16 units) follows,
// at an offset that has changed between Wine versions (16 in Wine 8, 32
// once the icon's size moved up front). Start() finds it with a call whose
// tooltip it knows. The state, its mask and the balloon text (256 units)
// follow the tooltip, then uVersion, which Wine fills for NIM_SETVERSION
// only; Start() checks that place with such a call too.
constexpr size_t kHeaderSize = 16;
constexpr size_t kTipUnits = 128;
constexpr size_t kTipOffsets[] = {32, 16};
constexpr size_t kVersionAfterTip = kTipUnits * sizeof(wchar_t) + 8 + 256 * sizeof(wchar_t);
constexpr UINT kCheckVersion = 0x4B56;
size_t g_tipOffset = 0;  // 0: not known yet

std::wstring TipAt(const BYTE* data, size_t size, size_t offset) {
  if (offset + kTipUnits * sizeof(wchar_t) > size) return {};
  wchar_t tip[kTipUnits + 1] = {};
  memcpy(tip, data + offset, kTipUnits * sizeof(wchar_t));
  return tip;
}

}  // namespace

FakeTray::~FakeTray() { Stop(); }

bool FakeTray::Start(bool accept) {
  Stop();
  accept_ = accept ? TRUE : FALSE;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread([this, ready] { Run(ready); });
  WaitForSingleObject(ready, 5000);
  CloseHandle(ready);
  if (!window_) return false;

  // Shell_NotifyIconW of this very process must reach the fake, and its
  // tooltip must be readable: one call with a known tooltip tells both.
  NOTIFYICONDATAW check{};
  check.cbSize = sizeof check;
  check.hWnd = window_;
  check.uID = 77;
  check.uFlags = NIF_TIP;
  lstrcpynW(check.szTip, kCheckTip, ARRAYSIZE(check.szTip));
  check.uVersion = kCheckVersion;
  const LONG wasAccepting = InterlockedExchange(&accept_, TRUE);
  const LONG wasRefused = InterlockedExchange(&refused_, static_cast<LONG>(kNoKind));
  Shell_NotifyIconW(NIM_ADD, &check);
  Shell_NotifyIconW(NIM_SETVERSION, &check);
  Shell_NotifyIconW(NIM_DELETE, &check);
  InterlockedExchange(&accept_, wasAccepting);
  InterlockedExchange(&refused_, wasRefused);
  const auto own = Calls(GetCurrentProcessId());
  return own.size() == 3 && own[0].message == NIM_ADD && own[0].tip == kCheckTip &&
         own[1].version == kCheckVersion &&
         FindWindowExW(nullptr, nullptr, kShellTrayClass, nullptr) == window_;
}

void FakeTray::Stop() {
  if (!thread_.joinable()) return;
  if (window_) PostMessageW(window_, kStopMessage, 0, 0);
  thread_.join();
  window_ = nullptr;
}

void FakeTray::SetAccept(bool accept) { InterlockedExchange(&accept_, accept ? TRUE : FALSE); }

void FakeTray::Refuse(DWORD message) { InterlockedExchange(&refused_, static_cast<LONG>(message)); }

void FakeTray::Run(HANDLE ready) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kShellTrayClass;
  RegisterClassExW(&windowClass);
  // Hidden, and above every other window of its class.
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kShellTrayClass, L"", WS_POPUP, 0, 0,
                            0, 0, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  SetEvent(ready);
  if (!window_) return;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == window_ && message.message == kStopMessage) {
      DestroyWindow(window_);
      break;
    }
    DispatchMessageW(&message);
  }
  UnregisterClassW(kShellTrayClass, windowClass.hInstance);
}

LRESULT CALLBACK FakeTray::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<FakeTray*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && message == WM_COPYDATA) {
    const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    self->Record(data);
    return self->accept_ && static_cast<LONG>(data.dwData) != self->refused_ ? TRUE : FALSE;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void FakeTray::Record(const COPYDATASTRUCT& data) {
  const auto* bytes = static_cast<const BYTE*>(data.lpData);
  const size_t size = data.cbData;
  if (!bytes || size < kHeaderSize) return;
  TrayCall call;
  call.message = static_cast<DWORD>(data.dwData);
  LONG owner = 0;
  memcpy(&owner, bytes, sizeof owner);
  call.owner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(owner));
  memcpy(&call.id, bytes + 4, sizeof call.id);
  memcpy(&call.flags, bytes + 8, sizeof call.flags);
  memcpy(&call.callbackMessage, bytes + 12, sizeof call.callbackMessage);
  if (g_tipOffset == 0) {
    for (size_t offset : kTipOffsets) {
      if (TipAt(bytes, size, offset) == kCheckTip) g_tipOffset = offset;
    }
  }
  if ((call.flags & NIF_TIP) && g_tipOffset) call.tip = TipAt(bytes, size, g_tipOffset);
  const size_t versionOffset = g_tipOffset + kVersionAfterTip;
  if (g_tipOffset && versionOffset + sizeof call.version <= size) {
    memcpy(&call.version, bytes + versionOffset, sizeof call.version);
  }
  const DWORD process = ProcessOf(call.owner);
  const std::lock_guard<std::mutex> guard(lock_);
  calls_.emplace_back(process, call);
}

std::vector<TrayCall> FakeTray::Calls(DWORD processId) const {
  const std::lock_guard<std::mutex> guard(lock_);
  std::vector<TrayCall> calls;
  for (const auto& [process, call] : calls_) {
    if (processId == 0 || process == processId) calls.push_back(call);
  }
  return calls;
}

size_t FakeTray::Count(DWORD processId, DWORD message) const {
  size_t count = 0;
  for (const TrayCall& call : Calls(processId)) count += call.message == message ? 1 : 0;
  return count;
}

bool FakeTray::WaitForCount(DWORD processId, DWORD message, size_t count, DWORD timeoutMs) const {
  return WaitUntil([&] { return Count(processId, message) >= count; }, timeoutMs);
}

}  // namespace e2e
