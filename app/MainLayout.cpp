// The main window's layout: its fonts, the positions and sizes of the
// labels, memos and OK, and the window's size, for the dots per inch of the
// monitor it stands on. Made once at creation and again whenever the window
// moves to a monitor of another scale, or the scale is changed.
#include <cmath>
#include <initializer_list>

#include "Main.h"
#include "SystemDll.h"
#include "WinText.h"

namespace ordfalk {

namespace {

constexpr int kClientSize = 465;

// Positions at 96 dots per inch: two columns of four rows, 96 pixels apart,
// each label 16 pixels above its memo.
constexpr int kColumnLeft[2] = {24, 240};
constexpr int kLabelTop = 24, kMemoTop = 40, kRowPitch = 96;
constexpr int kLabelHeight = 13, kMemoWidth = 201, kMemoHeight = 65;
constexpr RECT kOKButton = {344, 408, 344 + 97, 408 + 33};

int ColumnLeft(int slot) { return kColumnLeft[(slot - 1) / 4]; }
int RowOffset(int slot) { return kRowPitch * ((slot - 1) % 4); }

// Functions of Windows 10 (1607 on). Looked up at run time so that the
// program still starts on Windows 7 and 8.1; their declarations are hidden
// by the Windows version the build targets.
using GetDpiForWindowFunction = UINT WINAPI(HWND);
using AdjustWindowRectExForDpiFunction = BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT);
using EnableNonClientDpiScalingFunction = BOOL WINAPI(HWND);

struct DpiFunctions {
  GetDpiForWindowFunction* GetDpiForWindow = nullptr;
  AdjustWindowRectExForDpiFunction* AdjustWindowRectExForDpi = nullptr;
  EnableNonClientDpiScalingFunction* EnableNonClientDpiScaling = nullptr;
};

const DpiFunctions& Dpi() {
  static const DpiFunctions functions = [] {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    DpiFunctions found;
    found.GetDpiForWindow = ProcAddress<GetDpiForWindowFunction>(user32, "GetDpiForWindow");
    found.AdjustWindowRectExForDpi =
        ProcAddress<AdjustWindowRectExForDpiFunction>(user32, "AdjustWindowRectExForDpi");
    found.EnableNonClientDpiScaling =
        ProcAddress<EnableNonClientDpiScalingFunction>(user32, "EnableNonClientDpiScaling");
    return found;
  }();
  return functions;
}

int ScaledBy(int pixels, double scale) { return static_cast<int>(std::lround(pixels * scale)); }

// What Measure finds with Font selected into a device context of the screen.
template <typename Measure>
auto WithFont(HFONT font, Measure measure) {
  HDC dc = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, font);
  const auto result = measure(dc);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return result;
}

int TextHeightOf(HFONT font) {
  return WithFont(font, [](HDC dc) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight;
  });
}

int TextWidthOf(HFONT font, const Text& text) {
  const std::wstring wide = Wide(text);
  return WithFont(font, [&](HDC dc) {
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size.cx;
  });
}

bool FontHasFace(HFONT font, const wchar_t* face) {
  return WithFont(font, [&](HDC dc) {
    wchar_t actual[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, actual);
    return lstrcmpiW(actual, face) == 0;
  });
}

HFONT CreateFontNamed(int height, const wchar_t* face) {
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

// The first face the system has; the last one when it has none of them.
const wchar_t* PresentFace(std::initializer_list<const wchar_t*> faces) {
  for (const wchar_t* face : faces) {
    const HFONT font = CreateFontNamed(-12, face);
    const bool present = FontHasFace(font, face);
    DeleteObject(font);
    if (present) return face;
  }
  return *(faces.end() - 1);
}

const wchar_t* WindowFace() {
  static const wchar_t* const face = PresentFace({L"Verdana", L"Tahoma", L"DejaVu Sans"});
  return face;
}

const wchar_t* MemoFace() {
  static const wchar_t* const face =
      PresentFace({L"Fixedsys", L"Courier New", L"DejaVu Sans Mono"});
  return face;
}

// Fonts follow the dots per inch; positions and sizes follow the window
// font: its text height now over its height at 96 dots per inch.
HFONT WindowFontFor(int dpi) { return CreateFontNamed(MulDiv(-11, dpi, 96), WindowFace()); }
HFONT MemoFontFor(int dpi) { return CreateFontNamed(MulDiv(-12, dpi, 96), MemoFace()); }

double LayoutScaleOf(HFONT windowFont, int dpi) {
  if (dpi == 96) return 1.0;
  const HFONT designed = WindowFontFor(96);
  const double scale = static_cast<double>(TextHeightOf(windowFont)) / TextHeightOf(designed);
  DeleteObject(designed);
  return scale;
}

void Place(HWND control, int left, int top, int width, int height, HFONT font) {
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  MoveWindow(control, left, top, width, height, TRUE);
}

}  // namespace

int TfrmMain::Scaled(int pixels) const { return ScaledBy(pixels, layoutScale_); }

int TfrmMain::InitialDpi() const {
  if (Dpi().GetDpiForWindow) {
    if (const UINT dpi = Dpi().GetDpiForWindow(handle_)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

void TfrmMain::EnableFrameScaling() const {
  // Under awareness v2 the frame is scaled anyway and the call changes
  // nothing. Without it, under v1, the frame would keep the scale the
  // window was made at, while FrameSizeFor reckons it at the monitor's.
  if (Dpi().EnableNonClientDpiScaling) Dpi().EnableNonClientDpiScaling(handle_);
}

SIZE TfrmMain::FrameSizeFor(int dpi, double scale) const {
  // The client area with the menu bar above it, framed at Dpi's scale where
  // the system can reckon that (Windows 10 1607 on), else at its own.
  RECT frame = {0, 0, ScaledBy(kClientSize, scale), ScaledBy(kClientSize, scale)};
  if (Dpi().AdjustWindowRectExForDpi) {
    Dpi().AdjustWindowRectExForDpi(&frame, kWindowStyle, TRUE, kWindowExStyle,
                                   static_cast<UINT>(dpi));
  } else {
    AdjustWindowRectEx(&frame, kWindowStyle, TRUE, kWindowExStyle);
  }
  return {frame.right - frame.left, frame.bottom - frame.top};
}

SIZE TfrmMain::FrameSizeFor(int dpi) const {
  const HFONT windowFont = WindowFontFor(dpi);
  const SIZE size = FrameSizeFor(dpi, LayoutScaleOf(windowFont, dpi));
  DeleteObject(windowFont);
  return size;
}

void TfrmMain::LayOut(int dpi, const RECT* suggested) {
  // The new fonts are in the controls before the old ones go.
  const HFONT oldWindowFont = windowFont_, oldMemoFont = memoFont_;
  windowFont_ = WindowFontFor(dpi);
  memoFont_ = MemoFontFor(dpi);
  layoutScale_ = LayoutScaleOf(windowFont_, dpi);

  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const int left = Scaled(ColumnLeft(slot));
    // The label widths are what their captions measure in the window font.
    Place(lblText_[slot], left, Scaled(kLabelTop + RowOffset(slot)),
          TextWidthOf(windowFont_, SlotOf(slot).label), Scaled(kLabelHeight), windowFont_);
    Place(txtText_[slot], left, Scaled(kMemoTop + RowOffset(slot)), Scaled(kMemoWidth),
          Scaled(kMemoHeight), memoFont_);
  }
  Place(btnOK_, Scaled(kOKButton.left), Scaled(kOKButton.top),
        Scaled(kOKButton.right) - Scaled(kOKButton.left),
        Scaled(kOKButton.bottom) - Scaled(kOKButton.top), windowFont_);
  if (oldWindowFont) DeleteObject(oldWindowFont);
  if (oldMemoFont) DeleteObject(oldMemoFont);

  const SIZE frame = FrameSizeFor(dpi, layoutScale_);
  if (suggested) {
    SetWindowPos(handle_, nullptr, suggested->left, suggested->top, frame.cx, frame.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // The etched line moves with the controls.
    InvalidateRect(handle_, nullptr, TRUE);
  } else {
    SetWindowPos(handle_, nullptr, 0, 0, frame.cx, frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace ordfalk
