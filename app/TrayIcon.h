// TTrayIcon: the program's icon in the notification area. It owns a hidden
// top-level window that receives the icon's mouse and keyboard events and the
// shell's "TaskbarCreated" broadcast.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>

#include "Toolz.h"

namespace ordfalk {

class TTrayIcon {
 public:
  TTrayIcon() = default;
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;
  ~TTrayIcon();

  // Creates the message window and adds the icon with Tooltip; false when
  // the notification area refuses it.
  bool Create(HICON icon, const Text& tooltip);
  // Replaces the tooltip in the notification area.
  void SetHint(const Text& tooltip);
  // Removes the icon from the notification area; later calls do nothing.
  void Remove();
  // Removes the icon and destroys the message window.
  void Destroy();

  // Raised by a double-click with the left, right or middle button, and by
  // Enter or Space on the icon (NIN_KEYSELECT), the keyboard's double-click.
  std::function<void()> OnDblClick;

  static constexpr UINT kCallbackMessage = WM_APP + 1;
  static constexpr const wchar_t* kWindowClass = L"TTrayIconMain";

 private:
  template <typename Owner>
  friend LRESULT CALLBACK WindowThunk(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam);
  // NIM_ADD with the current record, then NIM_SETVERSION; the result of
  // the add.
  bool Add();

  HWND handle_ = nullptr;
  NOTIFYICONDATAW record_{};
  bool visible_ = false;
  // The callback form the shell granted for the icon: NOTIFYICON_VERSION_4,
  // or 0 (the mouse message alone in lParam) when it refused.
  UINT version_ = 0;
};

}  // namespace ordfalk
