// The main window: its controls, menu and tray icon, start-up and end,
// showing, the keyboard and painting. The hot keys are in MainHotKeys.cpp,
// the loading and storing of the texts in MainSlots.cpp.
#include "Main.h"

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>

#include "Application.h"
#include "FormToolz.h"
#include "Guarded.h"
#include "ImageButton.h"
#include "WinText.h"
#include "resource.h"

namespace ordfalk {

TfrmMain* frmMain = nullptr;

namespace {

HWND CreateChild(HWND parent, DWORD exStyle, const wchar_t* windowClass, const Text& caption,
                 DWORD style, int id, RECT place) {
  return CreateWindowExW(exStyle, windowClass, Wide(caption).c_str(), WS_CHILD | WS_VISIBLE | style,
                         place.left, place.top, place.right - place.left,
                         place.bottom - place.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Application.Instance,
                         nullptr);
}

}  // namespace

// --- Creation ---------------------------------------------------------------

bool TfrmMain::Create() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowThunk<TfrmMain>;
  windowClass.hInstance = Application.Instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);

  handle_ = CreateWindowExW(kWindowExStyle, kWindowClass, L"Ordfalk 1.0", kWindowStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr,
                            Application.Instance, this);
  if (handle_ == nullptr) return false;
  // The first ShowWindow of a process may be replaced by the show command it
  // was started with; spend it on hiding, so that a later showing is ours.
  ShowWindow(handle_, SW_HIDE);
  // A second start asks for the window; started as administrator, the
  // window would not hear a normal start otherwise.
  ChangeWindowMessageFilterEx(handle_, Application.ShowMainWindowMessage, MSGFLT_ALLOW, nullptr);

  // The members in the order of the window description: labels and memos,
  // the OK button, the menu, then the tray icon.
  CreateMembers();
  CreateMenuBar();
  trayIcon_ = static_cast<HICON>(LoadImageW(Application.Instance, MAKEINTRESOURCEW(IDI_TRAY),
                                            IMAGE_ICON, 16, 16, 0));
  TrayIconMain.OnDblClick = [this] { TrayIconMainDblClick(); };
  if (!TrayIconMain.Create(trayIcon_, Application.Title)) {
    // The partly built window is discarded; FormDestroy does not run.
    TrayIconMain.Destroy();
    DestroyWindow(handle_);
    handle_ = nullptr;
    ReleaseResources();
    return false;
  }

  // An error in FormCreate skips the rest of it; start-up goes on.
  RunGuarded(handle_, [this] { FormCreate(); });
  return true;
}

void TfrmMain::CreateMembers() {
  // Created in place: the layout gives them their fonts, places and sizes.
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    lblText_[slot] = CreateChild(handle_, 0, L"STATIC", SlotOf(slot).label, SS_LEFT | SS_NOPREFIX,
                                 kIdLabelFirst + slot - 1, {});
    txtText_[slot] = CreateChild(
        handle_, WS_EX_CLIENTEDGE, L"EDIT", u"",
        WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
        kIdMemoFirst + slot - 1, {});
    SendMessageW(txtText_[slot], EM_SETLIMITTEXT, 0, 0);  // no limit of its own
  }

  // Owner-drawn to centre image and caption together; Enter reaches it as
  // the window's default button through DM_GETDEFID.
  btnOK_ = CreateChild(handle_, 0, L"BUTTON", u"OK", WS_TABSTOP | BS_OWNERDRAW, kIdOK, {});
  okImage_ = static_cast<HBITMAP>(
      LoadImageW(Application.Instance, MAKEINTRESOURCEW(IDB_OK), IMAGE_BITMAP, 0, 0, 0));

  appIconLarge_ = static_cast<HICON>(LoadImageW(Application.Instance, MAKEINTRESOURCEW(IDI_ORDFALK),
                                                IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                GetSystemMetrics(SM_CYICON), 0));
  appIconSmall_ = static_cast<HICON>(LoadImageW(Application.Instance, MAKEINTRESOURCEW(IDI_ORDFALK),
                                                IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), 0));
  SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIconLarge_));
  SendMessageW(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIconSmall_));

  LayOut(InitialDpi(), nullptr);
}

void TfrmMain::CreateMenuBar() {
  mnuMain_ = CreateMenu();
  mnuMainFile_ = CreatePopupMenu();
  mnuMainHelp_ = CreatePopupMenu();
  AppendMenuW(mnuMainFile_, MF_STRING, kIdFileQuit, L"&Avsluta!\tCtrl+Q");
  AppendMenuW(mnuMainHelp_, MF_STRING, kIdHelpAbout, L"&Om...\tF1");
  AppendMenuW(mnuMain_, MF_POPUP, reinterpret_cast<UINT_PTR>(mnuMainFile_), L"&Arkiv");
  AppendMenuW(mnuMain_, MF_POPUP, reinterpret_cast<UINT_PTR>(mnuMainHelp_), L"&Hj\u00E4lp");
  SetMenu(handle_, mnuMain_);

  ACCEL keys[] = {
      {FCONTROL | FVIRTKEY, 'Q', kIdFileQuit},
      {FVIRTKEY, VK_F1, kIdHelpAbout},
  };
  accelerators_ = CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys)));
}

void TfrmMain::FormCreate() {
  LanguageStep();
  LoadingStep();
  HotKeyStep();
}

void TfrmMain::LanguageStep() {
  if (IsSwedishUI()) return;  // the window is built in Swedish
  Application.Title = u"KV-Wordkite 1.0";
  SetWindowTextW(handle_, Wide(Application.Title).c_str());
  ModifyMenuW(mnuMain_, 0, MF_BYPOSITION | MF_POPUP | MF_STRING,
              reinterpret_cast<UINT_PTR>(mnuMainFile_), L"&File");
  ModifyMenuW(mnuMainFile_, kIdFileQuit, MF_BYCOMMAND | MF_STRING, kIdFileQuit,
              L"&Quit!\tCtrl+Q");
  ModifyMenuW(mnuMain_, 1, MF_BYPOSITION | MF_POPUP | MF_STRING,
              reinterpret_cast<UINT_PTR>(mnuMainHelp_), L"&Help");
  ModifyMenuW(mnuMainHelp_, kIdHelpAbout, MF_BYCOMMAND | MF_STRING, kIdHelpAbout,
              L"&About...\tF1");
  // The window is hidden: its menu bar is drawn with these texts when it is
  // shown.
  TrayIconMain.SetHint(Application.Title);
}

// --- End ----------------------------------------------------------------------

void TfrmMain::Destroy() {
  if (destroyed_ || handle_ == nullptr) return;
  destroyed_ = true;
  ShowWindow(handle_, SW_HIDE);
  RunGuarded(handle_, [this] { FormDestroy(); });
  TrayIconMain.Destroy();
  DestroyWindow(handle_);  // the controls and the menu go with it
  handle_ = nullptr;
  ReleaseResources();
}

void TfrmMain::ReleaseResources() {
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  if (okImage_) DeleteObject(okImage_);
  if (windowFont_) DeleteObject(windowFont_);
  if (memoFont_) DeleteObject(memoFont_);
  for (HICON icon : {appIconLarge_, appIconSmall_, trayIcon_}) {
    if (icon) DestroyIcon(icon);
  }
}

void TfrmMain::FormDestroy() {
  StoringStep();
  ReleaseStep();
}

void TfrmMain::mnuMainFileQuitClick() {
  // Exactly what the close button does: the main window closing ends the
  // program. It is not hidden here; the end sequence does that. A close
  // asked for while an earlier one waits for the user's answer is dropped.
  if (ending_ || closing_) return;
  closing_ = true;
  struct Done {
    bool& closing;
    ~Done() { closing = false; }
  } done{closing_};
  if (!CanClose()) return;
  ending_ = true;
  PostQuitMessage(0);
}

// --- Showing ------------------------------------------------------------------

void TfrmMain::TrayIconMainDblClick() {
  if (handle_ == nullptr || ending_) return;
  if (!IsWindowVisible(handle_)) {
    if (shownBefore_) {
      ShowWindow(handle_, SW_SHOW);
    } else {
      ShowFirstTime();
    }
  }
  SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  // An open message box, owned by the window, comes to the front instead.
  HWND popup = GetLastActivePopup(handle_);
  if (IsWindowVisible(popup) && IsWindowEnabled(popup)) SetForegroundWindow(popup);
}

void TfrmMain::ShowInFront() {
  TrayIconMainDblClick();
  if (IsIconic(handle_)) {
    ShowWindow(handle_, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(handle_));
  }
}

void TfrmMain::ShowFirstTime() {
  PlaceFirstTime();
  int command = SW_SHOWNORMAL;
  if (Application.StartupShowCommand == SW_SHOWMAXIMIZED) command = SW_SHOWMAXIMIZED;
  if (Application.StartupShowCommand == SW_SHOWMINNOACTIVE) command = SW_SHOWMINNOACTIVE;
  ShowWindow(handle_, command);
}

void TfrmMain::PlaceFirstTime() {
  if (shownBefore_) return;
  shownBefore_ = true;
  RECT workArea{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  RECT frame{};
  GetWindowRect(handle_, &frame);
  int left = ((workArea.right - workArea.left) - (frame.right - frame.left)) / 2;
  int top = ((workArea.bottom - workArea.top) - (frame.bottom - frame.top)) / 2;
  left = std::max(left, GetSystemMetrics(SM_XVIRTUALSCREEN));
  top = std::max(top, GetSystemMetrics(SM_YVIRTUALSCREEN));
  SetWindowPos(handle_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmMain::OnActivate(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(handle_, focus)) lastFocus_ = focus;
    return;
  }
  if (HIWORD(wParam)) return;  // minimized: nothing takes the focus
  // The first activation focuses the first memo; later ones return the
  // focus to where it was.
  SetFocus(lastFocus_ ? lastFocus_ : txtText_[1]);
}

// --- Keyboard, menu, painting -------------------------------------------------

bool TfrmMain::PreTranslateMessage(MSG& message) {
  // Only the keyboard needs the shortcuts and the dialog manager. Every other
  // message, the hot key above all, goes straight to its window: asking for
  // the active window and the dialog manager's look at it would cost each
  // paste a round trip or two to the window system.
  if (handle_ == nullptr || message.message < WM_KEYFIRST || message.message > WM_KEYLAST) {
    return false;
  }
  const bool toMemo =
      std::find(txtText_.begin() + 1, txtText_.end(), message.hwnd) != txtText_.end();
  if (toMemo && (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN)) {
    auto key = static_cast<WORD>(message.wParam);
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool alt = (message.lParam & (1 << 29)) != 0;
    txtTextKeyDown(message.hwnd, key, shift, ctrl, alt);
    message.wParam = key;
    // Select all is the key handler's alone: some edit controls select all
    // on Ctrl+Shift+A as well. That key means nothing else to a memo.
    if (key == 'A' && ctrl && shift && !alt) return true;
    // A multi-line edit control closes its parent on Escape; in this window
    // Escape does nothing.
    if (key == VK_ESCAPE) return true;
  }
  // Likewise for the Ctrl+A character, which Ctrl+Shift+A also produces.
  if (toMemo && message.message == WM_CHAR && message.wParam == 0x01) return true;
  // Enter clicks OK only on its own. With Shift, Ctrl or Alt held, the key
  // goes to the button past the dialog manager (which would click it all
  // the same), and the button does nothing with it.
  if (message.hwnd == btnOK_ && message.wParam == VK_RETURN &&
      (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) &&
      (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0)) {
    return false;
  }
  // The shortcuts act only while the window is the active one.
  if (GetActiveWindow() == handle_ && TranslateAcceleratorW(handle_, accelerators_, &message)) {
    return true;
  }
  // Tab order, the default button and menu mnemonics.
  return IsDialogMessageW(handle_, &message) != FALSE;
}

void TfrmMain::txtTextKeyDown(HWND sender, WORD& key, bool shift, bool ctrl, bool alt) {
  // Exactly Ctrl (not with Shift or Alt, so not AltGr either) and A.
  if (ctrl && !shift && !alt && key == 'A') SendMessageW(sender, EM_SETSEL, 0, -1);
}

void TfrmMain::mnuMainHelpAboutClick() {
  const bool swedish = IsSwedishUI();
  const Text caption = ChooseStr(swedish, u"Om", u"About") + u" " + Application.Title;
  const Text address = u"https://gravelund.se/ordfalk";
  const Text text = ChooseStr(swedish, u"Skapat av Gravelund. (" + address + u")",
                              u"Created by Gravelund. (" + address + u")");
  ShowInfoBox(handle_, text, caption);
}

void TfrmMain::FormPaint(HDC dc) {
  // Between the lowest memos and OK, scaled as the controls are.
  DrawEtchedLine(PaintTarget{dc, kColorBtnFace}, Scaled(24), Scaled(400), Scaled(440), Scaled(400),
                 true, 40);
}

// --- Messages -----------------------------------------------------------------

LRESULT TfrmMain::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = handle_;
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kIdOK:
          if (HIWORD(wParam) == BN_CLICKED) btnOKClick();
          return 0;
        case kIdFileQuit:
          mnuMainFileQuitClick();
          return 0;
        case kIdHelpAbout:
          mnuMainHelpAboutClick();
          return 0;
        case IDCANCEL:  // Esc: the window has no cancel button
          return 0;
        default:
          break;
      }
      break;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      FormPaint(dc);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.hwndItem != btnOK_) break;
      PaintImageButton(item, okImage_, windowFont_);
      return TRUE;
    }
    case kWmGetDpiScaledSize:
      // The size the window takes at the new scale, so that the rectangle
      // WM_DPICHANGED brings is already right.
      *reinterpret_cast<SIZE*>(lParam) = FrameSizeFor(static_cast<int>(wParam));
      return TRUE;
    case WM_DPICHANGED:
      // The new scale comes with the message; the window's own may still
      // be the old one (under Wine it stays the one the system started with).
      LayOut(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_HOTKEY:
      WMHotKey(wParam);
      return 0;
    case WM_ACTIVATE:
      OnActivate(wParam);
      return 0;
    case WM_SHOWWINDOW:
      // Shown by another program before the tray icon ever showed it: it is
      // placed all the same.
      if (wParam) PlaceFirstTime();
      break;
    case WM_CLOSE:
      mnuMainFileQuitClick();
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(kIdOK, DC_HASDEFID);
    case WM_NEXTDLGCTL: {
      // A memo asks for the next (or previous) control on Tab, as in a
      // dialog box.
      HWND next = lParam ? reinterpret_cast<HWND>(wParam)
                         : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0);
      if (next) SetFocus(next);
      return 0;
    }
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) {
        // The log-on ends: the texts are stored now, from inside this
        // message, and the process ends here.
        loggingOff_ = true;
        Destroy();
        ExitProcess(0);
      }
      return 0;
    case WM_NCCREATE:
      EnableFrameScaling();
      break;
    case WM_NCDESTROY:
      handle_ = nullptr;
      break;
    default:
      // A second start of the program asks to see this copy, whatever the
      // window's state, and waits for word that it was shown. A copy that
      // is ending says nothing: the start waits for its end instead.
      if (message == Application.ShowMainWindowMessage && message != 0) {
        if (!ending_) {
          ShowInFront();
          if (Application.ShownEvent) SetEvent(Application.ShownEvent);
        }
        return 0;
      }
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace ordfalk
