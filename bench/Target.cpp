#include "Target.h"

#include "Clock.h"

namespace bench {

namespace {

constexpr int kEditId = 1;

}  // namespace

bool Target::Create() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WndProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"BenchTarget";
  RegisterClassW(&windowClass);
  window_ = CreateWindowExW(0, L"BenchTarget", L"Bench target", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            600, 500, 400, 200, nullptr, nullptr, windowClass.hInstance, this);
  if (!window_) return false;
  edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL,
                          0, 0, 380, 160, window_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
                          windowClass.hInstance, nullptr);
  SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);
  return edit_ && Front();
}

bool Target::Front() {
  // Wine may take a moment to activate: ask again until it has.
  const double deadline = NowMs() + 2000;
  for (;;) {
    SetForegroundWindow(window_);
    SetFocus(edit_);
    Pump(10);
    if (GetForegroundWindow() == window_ && GetFocus() == edit_) return true;
    if (NowMs() > deadline) return false;
  }
}

void Target::Clear() {
  clearing_ = true;
  SetWindowTextW(edit_, L"");
  clearing_ = false;
  changedAt_ = -1;
  changedLength_ = 0;
}

int Target::Length() const { return GetWindowTextLengthW(edit_); }

void Target::PressHotKey(HotKey hotKey) {
  INPUT inputs[6]{};
  const WORD keys[6] = {VK_CONTROL, hotKey.modifier, hotKey.key,
                        hotKey.key, hotKey.modifier, VK_CONTROL};
  for (int i = 0; i < 6; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    if (i >= 3) inputs[i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  SendInput(6, inputs, sizeof(INPUT));
}

template <typename Done>
bool Target::PumpUntil(Done done, double deadline) {
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    const double left = deadline - NowMs();
    if (left <= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
  }
}

double Target::PressAndWait(HotKey hotKey, int length, double timeoutMs) {
  const double pressed = NowMs();
  PressHotKey(hotKey);
  if (!PumpUntil([&] { return changedLength_ == length; }, pressed + timeoutMs)) return -1;
  return changedAt_ - pressed;
}

double Target::WaitForText(double waitMs) {
  return PumpUntil([&] { return changedLength_ > 0; }, NowMs() + waitMs) ? changedAt_ : -1;
}

void Target::Pump(double waitMs) {
  PumpUntil([] { return false; }, NowMs() + waitMs);
}

LRESULT CALLBACK Target::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(
                                               reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<Target*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_COMMAND && self && LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE &&
      !self->clearing_) {
    // Stamped first: the text is in the control by the time it reports.
    const double now = NowMs();
    self->changedLength_ = self->Length();
    self->changedAt_ = now;
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace bench
