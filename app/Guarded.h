// Where Windows calls into the program (window procedures, the message
// loop), an error a handler raises must not travel on: it is shown in the
// box for unexpected errors, and handling goes on with the next message.
#pragma once

#include <windows.h>

#include <exception>

#include "Application.h"

namespace ordfalk {

// Runs Handler; false when it raised an error, which has then been shown.
template <typename Handler>
bool RunGuarded(HWND owner, Handler&& handler) noexcept {
  try {
    handler();
    return true;
  } catch (const std::exception& error) {
    ShowUnexpectedError(owner, error.what());
  } catch (...) {
    ShowUnexpectedError(owner, nullptr);
  }
  return false;
}

// The window procedure of a window owned by an object of class Owner, which
// is passed as the creation parameter. The object learns its handle
// (Owner::handle_) before any message reaches Owner::MessageHandler.
template <typename Owner>
LRESULT CALLBACK WindowThunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->handle_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<Owner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  RunGuarded(hwnd, [&] { result = self->MessageHandler(message, wParam, lParam); });
  return result;
}

}  // namespace ordfalk
