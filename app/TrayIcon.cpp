#include "TrayIcon.h"

#include <algorithm>

#include "Application.h"
#include "Guarded.h"
#include "WinText.h"

namespace ordfalk {

namespace {

void CopyTip(NOTIFYICONDATAW& record, const Text& tooltip) {
  // The shell takes at most 127 characters and a terminating zero.
  const size_t length = std::min<size_t>(tooltip.size(), 127);
  for (size_t i = 0; i < length; ++i) record.szTip[i] = static_cast<wchar_t>(tooltip[i]);
  record.szTip[length] = L'\0';
  if (length > 0) {
    record.uFlags |= NIF_TIP;
  } else {
    record.uFlags &= ~static_cast<UINT>(NIF_TIP);
  }
}

}  // namespace

TTrayIcon::~TTrayIcon() { Destroy(); }

void TTrayIcon::Destroy() {
  Remove();
  if (handle_) DestroyWindow(handle_);
  handle_ = nullptr;
}

bool TTrayIcon::Create(HICON icon, const Text& tooltip) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowThunk<TTrayIcon>;
  windowClass.hInstance = Application.Instance;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);
  // A hidden top-level window rather than a message-only one: only
  // top-level windows hear the shell's "TaskbarCreated" broadcast.
  handle_ = CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, Application.Instance, this);
  // Started as administrator, the program would not hear the shell, which
  // runs at a lower integrity level, announce its restart.
  ChangeWindowMessageFilterEx(handle_, Application.TaskbarCreatedMessage, MSGFLT_ALLOW, nullptr);

  record_.cbSize = sizeof record_;
  record_.hWnd = handle_;
  record_.uID = 1;
  // Under version 4 the shell shows the standard tooltip only on request.
  record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_SHOWTIP;
  record_.uCallbackMessage = kCallbackMessage;
  record_.hIcon = icon;
  // Read by NIM_SETVERSION only: the other calls carry no balloon, where
  // the same field would be its time-out.
  record_.uVersion = NOTIFYICON_VERSION_4;
  CopyTip(record_, tooltip);
  visible_ = handle_ != nullptr && Add();
  return visible_;
}

bool TTrayIcon::Add() {
  if (Shell_NotifyIconW(NIM_ADD, &record_) == FALSE) return false;
  // The version lasts as long as the icon, so every add asks again. Only
  // version 4 reports Enter or Space on the icon; a shell that refuses it
  // goes on sending the mouse messages alone, and the icon works as before.
  version_ = Shell_NotifyIconW(NIM_SETVERSION, &record_) != FALSE ? NOTIFYICON_VERSION_4 : 0;
  return true;
}

void TTrayIcon::SetHint(const Text& tooltip) {
  CopyTip(record_, tooltip);
  if (visible_) Shell_NotifyIconW(NIM_MODIFY, &record_);
}

void TTrayIcon::Remove() {
  if (!visible_) return;
  visible_ = false;
  Shell_NotifyIconW(NIM_DELETE, &record_);
}

LRESULT TTrayIcon::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam) {
  // Kept here: WM_NCDESTROY clears the member before the message goes on.
  const HWND hwnd = handle_;
  switch (message) {
    case kCallbackMessage: {
      // Version 4 puts the event in the low word and the icon's id in the
      // high word (wParam holds the pointer's place); the older form is the
      // event alone. A single click (then NIN_SELECT), a right click or the
      // menu key (then WM_CONTEXTMENU) do nothing.
      const UINT event =
          version_ == NOTIFYICON_VERSION_4 ? LOWORD(lParam) : static_cast<UINT>(lParam);
      switch (event) {
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        case NIN_KEYSELECT:
          if (OnDblClick) OnDblClick();
          break;
        default:
          break;
      }
      return 0;
    }
    case WM_CLOSE:
      // The program ends through its main window alone, which asks first.
      // taskkill, for one, closes every top-level window of the process.
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) Remove();
      return 0;
    case WM_NCDESTROY:
      handle_ = nullptr;
      break;
    default:
      // The shell restarted and lost its icons: show ours again.
      if (message == Application.TaskbarCreatedMessage && message != 0 && visible_) {
        Add();
        return 0;
      }
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace ordfalk
