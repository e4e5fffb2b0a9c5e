// TfrmMain: the one main window with the eight text slots, the OK button,
// the menu and the tray icon. It owns the hot keys and the loading and
// storing of the texts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>

#include "SlotStore.h"
#include "Slots.h"
#include "Toolz.h"
#include "TrayIcon.h"

namespace ordfalk {

// Control and command identifiers, also relied on by the end-to-end tests.
inline constexpr int kIdMemoFirst = 101;   // txtText1..8: 101..108
inline constexpr int kIdLabelFirst = 201;  // lblText1..8: 201..208
inline constexpr int kIdOK = IDOK;
inline constexpr int kIdFileQuit = 301;
inline constexpr int kIdHelpAbout = 302;

inline constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
inline constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

// Sent before WM_DPICHANGED under per-monitor awareness v2 (Windows 10 1703
// on), for the window's size at the new scale. Not declared for the Windows
// version the build targets.
inline constexpr UINT kWmGetDpiScaledSize = 0x02E4;

class TfrmMain {
 public:
  static constexpr const wchar_t* kWindowClass = L"TfrmMain";

  TfrmMain() = default;
  TfrmMain(const TfrmMain&) = delete;
  TfrmMain& operator=(const TfrmMain&) = delete;

  // Builds the hidden window with its controls and menu, adds the tray icon,
  // then runs FormCreate. False when the tray icon could not be added: the
  // window is discarded and FormCreate has not run.
  bool Create();
  // The end of the program: hides the window, runs FormDestroy and destroys
  // the window with its members. Runs once.
  void Destroy();

  // Called for every message taken by the program's message loop before it
  // is dispatched; true when the message has been handled.
  bool PreTranslateMessage(MSG& message);

  HWND Handle() const { return handle_; }

 private:
  template <typename Owner>
  friend LRESULT CALLBACK WindowThunk(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam);

  // The labels, memos and OK button with their fonts and images, the
  // window's icons and its size.
  void CreateMembers();
  void CreateMenuBar();
  void ReleaseResources();

  // The layout (MainLayout.cpp): fonts for Dpi, then every label, memo and
  // OK placed by the one rule, and the window sized for it; at the top-left
  // of Suggested, or where it stands when that is null.
  void LayOut(int dpi, const RECT* suggested);
  int InitialDpi() const;
  // Where the system gives per-monitor awareness v1 only (Windows 10 1607),
  // asks it to scale the title bar and menu with the monitor too.
  void EnableFrameScaling() const;
  // The window's outer size at Dpi, for the layout's scale there.
  SIZE FrameSizeFor(int dpi) const;
  SIZE FrameSizeFor(int dpi, double scale) const;
  int Scaled(int pixels) const;

  // Handlers.
  void FormCreate();
  void FormDestroy();
  void FormPaint(HDC dc);
  void btnOKClick();
  void mnuMainFileQuitClick();
  void mnuMainHelpAboutClick();
  void TrayIconMainDblClick();
  void txtTextKeyDown(HWND sender, WORD& key, bool shift, bool ctrl, bool alt);
  void WMHotKey(WPARAM identifier);

  // Steps of FormCreate and FormDestroy.
  void LanguageStep();
  void LoadingStep();
  void HotKeyStep();
  void StoringStep();
  void ReleaseStep();

  // Stores the eight slots (see SlotStore.h); true when nothing typed is
  // lost. LoggingOff: at the end of the log-on, when time is short.
  bool StoreSlots(bool loggingOff);
  // Whether every memo holds the text last stored or loaded.
  bool MemosAsStored() const;
  // The check of OK: every text fits in one byte per character.
  bool SlotsPassCheck() const;
  // Before the end: checks and stores, and asks when the texts cannot be
  // kept. False when the window is to stay.
  bool CanClose();
  // Shows the window as a tray double-click does, restored if minimized.
  void ShowInFront();
  Text MemoText(int slot) const;
  void SetMemoText(int slot, const Text& text);
  void PasteTextToFocus(const Text& text);
  void ShowFirstTime();
  // Centres the window in the work area, the first time only.
  void PlaceFirstTime();
  void OnActivate(WPARAM wParam);

  HWND handle_ = nullptr;
  std::array<HWND, kSlotCount + 1> lblText_{};  // [1..8]
  std::array<HWND, kSlotCount + 1> txtText_{};  // [1..8]
  HWND btnOK_ = nullptr;
  HMENU mnuMain_ = nullptr;
  HMENU mnuMainFile_ = nullptr;
  HMENU mnuMainHelp_ = nullptr;
  TTrayIcon TrayIconMain;
  std::array<uint32_t, kSlotCount + 1> FHotKeyAtom{};  // [1..8]

  HACCEL accelerators_ = nullptr;
  HFONT windowFont_ = nullptr;
  HFONT memoFont_ = nullptr;
  HBITMAP okImage_ = nullptr;  // magenta pixels are transparent
  HICON appIconLarge_ = nullptr;
  HICON appIconSmall_ = nullptr;
  HICON trayIcon_ = nullptr;
  double layoutScale_ = 1.0;
  bool shownBefore_ = false;
  HWND lastFocus_ = nullptr;
  bool destroyed_ = false;
  // What this copy knows of each slot's place in the file (see
  // SlotBaseline).
  SlotBaselines baseline_{};  // [1..8]
  bool storedAtClose_ = false;  // the close has stored the texts
  bool loggingOff_ = false;     // the log-on ends
  bool closing_ = false;  // a close is asking the user
  bool ending_ = false;   // the close is decided; the window goes
};

extern TfrmMain* frmMain;

}  // namespace ordfalk
