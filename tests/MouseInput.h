// The mouse as a user moves it, through SendInput: for the end-to-end tests
// and for the capability probe, which clicks the way the tests do.
#pragma once

#include <windows.h>

namespace mouse_input {

// Moves the pointer near the middle of the screen's right edge, where it is
// over no window of the tests: Xvfb without a window manager gives the
// keyboard focus to the window under the pointer, and Wine follows it with
// the foreground. Not into a corner: Windows' shell answers a pointer
// resting there (the bottom right one shows the desktop).
inline bool ParkPointer() {
  return SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 8, GetSystemMetrics(SM_CYSCREEN) / 2) != FALSE;
}

// Clicks mouse button 1 (left), 2 (middle) or 3 (right) Clicks times at a
// screen point; the pointer is parked again afterwards.
inline bool ClickAt(POINT point, int button = 1, int clicks = 2) {
  // Each button's "up" flag is its "down" flag shifted by one.
  static const DWORD kDown[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_RIGHTDOWN};
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  bool sent = SendInput(1, &input, sizeof input) == 1;
  for (int i = 0; i < 2 * clicks; ++i) {
    Sleep(i % 2 ? 0 : 60);
    input.mi.dwFlags = kDown[button - 1] << (i % 2);
    sent = SendInput(1, &input, sizeof input) == 1 && sent;
  }
  Sleep(100);
  return ParkPointer() && sent;
}

}  // namespace mouse_input
