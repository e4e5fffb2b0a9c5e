// The program the user works in: a top-level window with one EDIT control,
// in the foreground and focused, that notes when pasted text arrives.
#pragma once

#include <windows.h>

namespace bench {

// Ctrl, the second modifier (VK_MENU for Alt, VK_SHIFT) and the key.
struct HotKey {
  WORD modifier;
  WORD key;
};

class Target {
 public:
  bool Create();
  HWND Window() const { return window_; }

  // Puts the window in front with the EDIT focused; false if that failed.
  bool Front();
  void Clear();
  int Length() const;

  // Presses the hot key and waits until the EDIT holds `length`
  // characters. The time from the press to that change in ms, or a
  // negative value after timeoutMs.
  double PressAndWait(HotKey hotKey, int length, double timeoutMs);
  // Handles messages until the EDIT holds at least one character or
  // waitMs passes; the time of that change (NowMs), or a negative value.
  double WaitForText(double waitMs);
  // Handles messages for waitMs.
  void Pump(double waitMs);

  static void PressHotKey(HotKey hotKey);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Handles messages until done() or the deadline (NowMs); false on time-out.
  template <typename Done>
  bool PumpUntil(Done done, double deadline);

  HWND window_ = nullptr;
  HWND edit_ = nullptr;
  bool clearing_ = false;
  double changedAt_ = -1;  // NowMs of the last EN_CHANGE not caused by Clear
  int changedLength_ = 0;
};

}  // namespace bench
