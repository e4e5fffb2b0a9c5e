// The main window at 96, 120, 144 and 192 dots per inch, in both languages:
// every control scales by one ratio, none overlaps another or leaves the
// client area, and the etched line lies between the lowest memos and OK.
// Saves a screenshot of the window for each setting.
#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "OrdfalkApp.h"

using namespace e2e;

namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr char kLogPixelsAtStart[] = "LogPixels read at each start (Windows reads it at log-on)";

// Sets HKCU\Control Panel\Desktop\LogPixels for the programs started from
// now on, and puts the old value back when it goes.
class LogPixelsSetting {
 public:
  explicit LogPixelsSetting(DWORD dpi) {
    DWORD size = sizeof oldValue_;
    hadValue_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD,
                             nullptr, &oldValue_, &size) == ERROR_SUCCESS;
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
  }
  ~LogPixelsSetting() {
    if (hadValue_) {
      RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &oldValue_,
                      sizeof oldValue_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
  }
  LogPixelsSetting(const LogPixelsSetting&) = delete;
  LogPixelsSetting& operator=(const LogPixelsSetting&) = delete;

 private:
  bool hadValue_ = false;
  DWORD oldValue_ = 0;
};

// ..\screenshots, seen from the folder of this program.
std::wstring ScreenshotFolder() {
  const std::wstring folder = JoinPath(ExeDir(), L"..\\screenshots");
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

struct Setting {
  DWORD dpi;
  const wchar_t* arguments;
  const char* language;
};

std::string SettingName(const Setting& setting) {
  return std::string(setting.language) + "_" + std::to_string(setting.dpi);
}

void PrintTo(const Setting& setting, std::ostream* out) { *out << SettingName(setting); }

// A control and where it stands at 96 dots per inch, in client pixels.
struct Control {
  int id;
  int left, top, width, height;  // width 0: measured from the caption
  std::string name;
};

std::vector<Control> DesignedControls() {
  std::vector<Control> controls;
  for (int slot = 1; slot <= 8; ++slot) {
    const int left = slot <= 4 ? 24 : 240;
    const int row = 96 * ((slot - 1) % 4);
    controls.push_back({200 + slot, left, 24 + row, 0, 13, "lblText" + std::to_string(slot)});
    controls.push_back({100 + slot, left, 40 + row, 201, 65, "txtText" + std::to_string(slot)});
  }
  controls.push_back({IDOK, 344, 408, 97, 33, "btnOK"});
  return controls;
}

std::string Describe(const RECT& r) {
  char text[80];
  std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
  return text;
}

// The user guide's picture of the window (docs/window-LANGUAGE.png in the
// source folder, three up from this program's); empty when it cannot be
// read.
Picture GuidePicture(const std::string& language) {
  const std::wstring name = L"window-" + std::wstring(language.begin(), language.end()) + L".png";
  const std::wstring path = JoinPath(ExeDir(), L"..\\..\\..\\docs\\" + name);
  Picture picture;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IWICImagingFactory* factory = nullptr;
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  IWICFormatConverter* converter = nullptr;
  UINT width = 0, height = 0;
  if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(&factory))) &&
      SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                   WICDecodeMetadataCacheOnDemand, &decoder)) &&
      SUCCEEDED(decoder->GetFrame(0, &frame)) &&
      SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
      SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGR,
                                      WICBitmapDitherTypeNone, nullptr, 0,
                                      WICBitmapPaletteTypeCustom)) &&
      SUCCEEDED(converter->GetSize(&width, &height))) {
    // Wine converts a palette image to 32 bits a pixel only; the 24-bit
    // rows are taken from those.
    std::vector<BYTE> bgrx(size_t{width} * height * 4);
    if (SUCCEEDED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(bgrx.size()),
                                        bgrx.data()))) {
      picture.width = static_cast<int>(width);
      picture.height = static_cast<int>(height);
      picture.pixels.resize(static_cast<size_t>(picture.Stride()) * height);
      for (size_t y = 0; y < height; ++y) {
        for (size_t x = 0; x < width; ++x) {
          std::copy_n(&bgrx[(y * width + x) * 4], 3,
                      &picture.pixels[y * static_cast<size_t>(picture.Stride()) + x * 3]);
        }
      }
    }
  }
  for (IUnknown* object : std::initializer_list<IUnknown*>{converter, frame, decoder, factory}) {
    if (object) object->Release();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return picture;
}

// How many pixels of Area (in Picture's coordinates) differ between them.
int DifferingPixels(const Picture& one, const Picture& other, const RECT& area) {
  if (one.width != other.width || one.height != other.height) return -1;
  int differing = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) differing += one.At(x, y) != other.At(x, y);
  }
  return differing;
}

class WindowLayout : public ::testing::TestWithParam<Setting> {};

TEST_P(WindowLayout, ScalesWithoutOverlapAndPutsTheLineAboveOK) {
  const Setting setting = GetParam();
  if (setting.dpi != 96) SKIP_UNLESS_WINE(kLogPixelsAtStart);
  LogPixelsSetting dpi(setting.dpi);
  OrdfalkApp program;
  ASSERT_TRUE(program.Ready());
  ASSERT_TRUE(program.Start(std::wstring(setting.arguments))) << "Ordfalk.exe did not start";
  ASSERT_TRUE(program.ShowFromTray()) << "the main window did not show";
  HWND window = program.Main();
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(300);

  RECT client{};
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int clientWidth = client.right - client.left;
  const int clientHeight = client.bottom - client.top;
  // Square as designed: a menu bar that wrapped or a frame miscounted would
  // take its height from the client area.
  EXPECT_EQ(clientWidth, clientHeight);

  // The one ratio that every position and size follows.
  const double scale = static_cast<double>(clientWidth) / kClientSize;
  const double screenRatio = setting.dpi / 96.0;
  if (setting.dpi == 96) {
    EXPECT_EQ(clientWidth, kClientSize);
  } else {
    EXPECT_GE(scale, screenRatio * 0.95) << "the window did not grow with the setting";
    EXPECT_LE(scale, screenRatio * 1.15);
  }
  auto scaled = [scale](int pixels) { return static_cast<int>(std::lround(pixels * scale)); };

  std::vector<Control> controls = DesignedControls();
  std::vector<RECT> places;
  for (const Control& c : controls) {
    SCOPED_TRACE(c.name);
    HWND child = GetDlgItem(window, c.id);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(IsWindowVisible(child));
    RECT place{};
    GetWindowRect(child, &place);
    places.push_back(place);
    const RECT inClient = {place.left - client.left, place.top - client.top,
                           place.right - client.left, place.bottom - client.top};
    EXPECT_NEAR(inClient.left, scaled(c.left), 1) << Describe(inClient);
    EXPECT_NEAR(inClient.top, scaled(c.top), 1) << Describe(inClient);
    EXPECT_NEAR(inClient.bottom - inClient.top, scaled(c.height), 1) << Describe(inClient);
    if (c.width > 0) {
      EXPECT_NEAR(inClient.right - inClient.left, scaled(c.width), 1) << Describe(inClient);
    } else {
      EXPECT_GT(inClient.right - inClient.left, 0);
    }
    RECT inside{};
    IntersectRect(&inside, &place, &client);
    EXPECT_TRUE(EqualRect(&inside, &place))
        << "cut by the client area's edge: " << Describe(inClient) << " in " << clientWidth
        << " x " << clientHeight;
  }
  for (size_t a = 0; a < places.size(); ++a) {
    for (size_t b = a + 1; b < places.size(); ++b) {
      RECT common{};
      EXPECT_FALSE(IntersectRect(&common, &places[a], &places[b]))
          << controls[a].name << " " << Describe(places[a]) << " overlaps " << controls[b].name
          << " " << Describe(places[b]);
    }
  }

  RECT frame{};
  GetWindowRect(window, &frame);
  const Picture picture = CaptureScreen(frame);
  const std::wstring name = L"window-" + std::wstring(setting.language, setting.language + 2) +
                            L"-" + std::to_wstring(setting.dpi) + L".bmp";
  EXPECT_TRUE(SaveBitmap(picture, JoinPath(ScreenshotFolder(), name)));

  if (setting.dpi == 96 && RunningUnderWine()) {
    // Not a pixel moved from the guide's picture, drawn under Wine. The
    // client area only: the title bar's colour follows activation. The caret
    // blinks in the focused memo, so a second picture is taken once the
    // caret has turned the other way, and one of the two must match.
    const Picture guide = GuidePicture(std::string(setting.language));
    ASSERT_GT(guide.width, 0) << "the guide's picture of the window cannot be read";
    const RECT area = {client.left - frame.left, client.top - frame.top,
                       client.right - frame.left, client.bottom - frame.top};
    int differing = DifferingPixels(picture, guide, area);
    if (differing != 0) {
      Sleep(GetCaretBlinkTime());
      differing = DifferingPixels(CaptureScreen(frame), guide, area);
    }
    EXPECT_EQ(differing, 0) << "pixels of the client area that differ from the guide's picture "
                               "(-1: another size); renew it with make screenshots if meant";
  }

  // The etched line: a dark row over a light one, scaled as the controls
  // are, from the left column's left edge to the right column's right edge,
  // between the lowest memos and OK. This test's ratio may round a pixel
  // away from the program's, so off 96 dots per inch the row and the ends
  // are found within a pixel of where they belong, then checked whole.
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  auto channel = [](COLORREF c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
  auto shade = [&](int amount) {
    auto one = [&](int shift) { return std::clamp(channel(face, shift) + amount, 0, 255); };
    return RGB(one(0), one(8), one(16));
  };
  const COLORREF dark = shade(-40), light = shade(40);
  auto pixel = [&](int x, int y) {
    return picture.At(x + client.left - frame.left, y + client.top - frame.top);
  };
  const int slack = setting.dpi == 96 ? 0 : 1;
  const int gap = scaled(232);  // between the columns, where no control stands
  int top = -1;
  for (int y = scaled(400) - slack; y <= scaled(400) + slack && top < 0; ++y) {
    if (pixel(gap, y) == dark) top = y;
  }
  ASSERT_GE(top, 0) << "no etched line at y " << scaled(400) << " between the columns";
  const int memoBottom = places[7].bottom - client.top;  // txtText4
  const int okTop = places.back().top - client.top;
  EXPECT_GE(top, memoBottom) << "the line runs behind the lowest memos";
  EXPECT_LT(top + 1, okTop) << "the line runs behind OK";
  int left = gap, right = gap;
  while (left > 0 && pixel(left - 1, top) == dark) --left;
  while (right + 1 < clientWidth && pixel(right + 1, top) == dark) ++right;
  EXPECT_NEAR(left, scaled(24), slack);
  EXPECT_NEAR(right, scaled(440) - 1, slack);

  int wrong = 0;
  std::string firstWrong;
  auto expect = [&](int x, int y, COLORREF want) {
    if (pixel(x, y) == want || wrong++ > 0) return;
    char text[80];
    std::snprintf(text, sizeof text, "(%d, %d) is %06lX, not %06lX", x, y, pixel(x, y), want);
    firstWrong = text;
  };
  for (int x = left; x <= right; ++x) expect(x, top + 1, light);
  for (int y : {top, top + 1}) {
    expect(left - 1, y, face);
    expect(right + 1, y, face);
  }
  // Nowhere else: down the gap from the top of the client area to OK.
  for (int y = 0; y < okTop; ++y) {
    if (y != top && y != top + 1) expect(gap, y, face);
  }
  EXPECT_EQ(wrong, 0) << "pixels of the etched line off its place, first " << firstWrong;

  program.Close();
  EXPECT_TRUE(program.EndsCleanly(10000));
}

INSTANTIATE_TEST_SUITE_P(ScreenSettings, WindowLayout,
                         ::testing::Values(Setting{96, L"/ENGLISH", "en"},
                                           Setting{96, L"/SWEDISH", "sv"},
                                           Setting{120, L"/ENGLISH", "en"},
                                           Setting{120, L"/SWEDISH", "sv"},
                                           Setting{144, L"/ENGLISH", "en"},
                                           Setting{144, L"/SWEDISH", "sv"},
                                           Setting{192, L"/ENGLISH", "en"},
                                           Setting{192, L"/SWEDISH", "sv"}),
                         [](const ::testing::TestParamInfo<Setting>& param) {
                           return SettingName(param.param);
                         });


// What dpi_probe.dll reports of the program's main window, one item a line.
struct LayoutReport {
  std::vector<std::string> lines;

  // The rest of the line that begins with Name and a space; "" when none.
  std::string Item(const std::string& name) const {
    for (const std::string& line : lines) {
      if (line.rfind(name + " ", 0) == 0) return line.substr(name.size() + 1);
    }
    return {};
  }
  // Each control's place in the client area and its font's height.
  std::vector<std::string> Controls() const {
    std::vector<std::string> controls;
    for (const std::string& line : lines) {
      if (line.rfind("child ", 0) == 0) controls.push_back(line);
    }
    return controls;
  }
};

// Loads dpi_probe.dll into the program: with Dpi 0 it only reports; with
// another it first plays a move to a monitor of that scale, and frames
// ClientSize ("WIDTH HEIGHT") for it as the system does.
LayoutReport ProbeLayout(HWND window, DWORD dpi, const std::string& clientSize = "0 0") {
  const std::wstring input =
      JoinPath(InsideFolder(), L"dpi-" + std::to_wstring(ProcessOf(window)) + L".txt");
  WriteBytes(input, std::to_string(dpi) + " " + clientSize + "\n");
  LayoutReport report{ReportFromInside(window, L"dpi_probe.dll", L"layout")};
  DeleteFileW(input.c_str());
  return report;
}

struct DpiChange {
  DWORD from, to;
  bool shown;
};

void PrintTo(const DpiChange& change, std::ostream* out) {
  *out << change.from << " to " << change.to << (change.shown ? "" : ", hidden");
}

class WindowDpiChange : public ::testing::TestWithParam<DpiChange> {};

// The window moved to a monitor of another scale (or the scale changed):
// controls and fonts as a fresh start at the new scale gives them, the
// window's size announced exactly, and the memos as the user left them.
// Wine keeps the frame at the scale it started with, so the client size
// that results is not compared.
TEST_P(WindowDpiChange, LaysOutAsAFreshStartAtTheNewSetting) {
  SKIP_UNLESS_WINE(kLogPixelsAtStart);
  const DpiChange change = GetParam();
  LayoutReport fresh;
  {
    LogPixelsSetting dpi(change.to);
    OrdfalkApp program;
    ASSERT_TRUE(program.Ready());
    ASSERT_TRUE(program.Start(std::wstring(L"/ENGLISH"))) << "Ordfalk.exe did not start";
    fresh = ProbeLayout(program.Main(), 0);
    program.Close();
    EXPECT_TRUE(program.EndsCleanly(10000));
  }
  ASSERT_EQ(fresh.Controls().size(), 17u) << "no report from the fresh start";

  LogPixelsSetting dpi(change.from);
  OrdfalkApp program;
  ASSERT_TRUE(program.Ready());
  ASSERT_TRUE(program.Start(std::wstring(L"/ENGLISH"))) << "Ordfalk.exe did not start";
  const HWND memo = program.Memo(6);
  const std::wstring text = L"kept\r\nacross the change";
  ASSERT_TRUE(program.SetMemoText(6, text));
  SendMessageW(memo, EM_SETSEL, 2, 9);
  if (change.shown) {
    ASSERT_TRUE(program.ShowFromTray()) << "the main window did not show";
    PostMessageW(program.Main(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(memo), TRUE);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(program.Main()) == memo; }));
  }

  const LayoutReport after = ProbeLayout(program.Main(), change.to, fresh.Item("client"));
  ASSERT_FALSE(after.lines.empty()) << "no report after the change";
  EXPECT_EQ(after.Item("answered"), "1 " + after.Item("expected"));
  EXPECT_EQ(after.Controls(), fresh.Controls());
  EXPECT_EQ(program.MemoText(6), text);
  const auto selection = static_cast<DWORD>(SendMessageW(memo, EM_GETSEL, 0, 0));
  EXPECT_EQ(LOWORD(selection), 2);
  EXPECT_EQ(HIWORD(selection), 9);
  EXPECT_EQ(program.Visible(), change.shown);
  if (change.shown) {
    EXPECT_EQ(FocusOf(program.Main()), memo);
  }

  program.Close();
  EXPECT_TRUE(program.EndsCleanly(10000));
}

INSTANTIATE_TEST_SUITE_P(Moves, WindowDpiChange,
                         ::testing::Values(DpiChange{96, 144, true}, DpiChange{144, 192, true},
                                           DpiChange{192, 96, false}, DpiChange{96, 120, true}),
                         [](const ::testing::TestParamInfo<DpiChange>& param) {
                           return std::to_string(param.param.from) + "_to_" +
                                  std::to_string(param.param.to);
                         });

}  // namespace
