// Start-up, the tray icon, showing and hiding the main window, its texts in
// both languages, the About box and the etched line, as a user meets them.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

#include "Desktop.h"
#include "OrdfalkApp.h"

using namespace e2e;

namespace {

std::string Utf8(const std::wstring& text) { return Narrow(text); }

void ExpectCentredInTheWorkArea(HWND main) {
  const RECT window = WindowRectOf(main);
  const RECT work = WorkArea();
  const long width = window.right - window.left;
  const long height = window.bottom - window.top;
  EXPECT_EQ(window.left, std::max<long>((work.right - work.left - width) / 2, 0));
  EXPECT_EQ(window.top, std::max<long>((work.bottom - work.top - height) / 2, 0));
}

TEST(Window, StartShowsOnlyTheTrayIcon) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));

  EXPECT_FALSE(app.Visible());
  for (HWND window : TopWindows(app.Proc().Id(), L""))
    EXPECT_FALSE(IsWindowVisible(window)) << Utf8(ClassNameOf(window)) << " is visible at start";
  // The shell knows the icon (under Wine: its tray shows one with this tooltip).
  POINT icon{};
  EXPECT_TRUE(TrayIconCentre(app.Tray(), kTrayIconId, kSwedish.title, &icon)) << "no tray icon";
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

// Right after start, hidden and never shown, the window already has its
// labels, memos holding the loaded texts and OK button, at its full size, as
// another program reading it sees them. Shown by some other means than the
// tray icon, it is placed as at a first showing.
TEST(Window, HiddenWindowHasItsControlsAndTextsFromTheStart) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.WriteIni("[Main]\r\nText3=414243\r\nText8=\r\n"));
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  ASSERT_FALSE(app.Visible());

  std::map<std::wstring, int> kinds;
  EnumChildWindows(
      app.Main(),
      [](HWND child, LPARAM counts) {
        ++(*reinterpret_cast<std::map<std::wstring, int>*>(counts))[ClassNameOf(child)];
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&kinds));
  EXPECT_EQ(kinds, (std::map<std::wstring, int>{{L"Button", 1}, {L"Edit", 8}, {L"Static", 8}}));
  RECT client{};
  GetClientRect(app.Main(), &client);
  EXPECT_EQ(client.right, kClientSize);
  EXPECT_EQ(client.bottom, kClientSize);
  EXPECT_EQ(TextOf(ControlOf(app.Main(), 208, L"Static")), L"Text 8: [CTRL+SHIFT+F4]");
  EXPECT_EQ(TextOf(app.OkButton()), L"OK");
  EXPECT_EQ(app.MemoTexts(), (std::vector<std::wstring>{L"Text 1", L"Text 2", L"ABC", L"Text 4",
                                                        L"Text 5", L"Text 6", L"Text 7", L""}));

  ShowWindow(app.Main(), SW_SHOWNA);
  ASSERT_TRUE(app.WaitVisible(true));
  ExpectCentredInTheWorkArea(app.Main());
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
  EXPECT_EQ(app.IniMain()["Text3"], "414243");
}

// A real double-click with each mouse button on the tray icon shows the
// window; OK hides it again. A single click does nothing. The program runs
// from the one folder whose icon a runner's shell is told to show.
TEST(Window, RealDoubleClickOnTheTrayIconShowsTheWindow) {
  SKIP_WITHOUT("tray-icon", "set-foreground");
  ProgramFolder folder(L"", true);
  ASSERT_TRUE(folder.Ready()) << Narrow(folder.Folder());
  ProgramRun app;
  ASSERT_TRUE(app.Start(folder, {L"/ENGLISH"}));
  POINT icon{};
  ASSERT_TRUE(TrayIconCentre(app.Tray(), kTrayIconId, kEnglish.title, &icon)) << "no tray icon";

  ASSERT_TRUE(ClickAt(icon, 1, 1) && ClickAt(icon, 3, 1));
  EXPECT_FALSE(app.WaitVisible(true, 400)) << "a single click showed the window";

  for (int button : {1, 3, 2}) {
    SCOPED_TRACE("mouse button " + std::to_string(button));
    ASSERT_TRUE(app.DoubleClickTrayIcon(kEnglish.title, button));
    ASSERT_TRUE(app.WaitVisible(true)) << "the double-click did not show the window";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == app.Main(); }));
    app.ClickOk();
    ASSERT_TRUE(app.WaitVisible(false)) << "OK did not hide the window";
  }
  SaveScreenshot(L"tray-double-click");
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

// The icon's events in the form of version 4: double-clicks and Enter or
// Space on the icon (NIN_KEYSELECT, twice from some Windows versions) show
// the window, and the second NIN_KEYSELECT changes nothing; single clicks,
// NIN_SELECT and WM_CONTEXTMENU do nothing.
TEST(Window, TrayEventsOfVersionFourShowTheWindowOnlyForDoubleClicksAndEnter) {
  SKIP_WITHOUT("set-foreground");
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  const struct {
    std::vector<UINT> events;
    bool shows;
  } cases[] = {
      {{WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU,
        WM_MBUTTONDOWN, WM_MBUTTONUP},
       false},
      {{WM_LBUTTONDBLCLK}, true},
      {{WM_RBUTTONDBLCLK}, true},
      {{WM_MBUTTONDBLCLK}, true},
      {{NIN_KEYSELECT, NIN_KEYSELECT}, true},
  };
  const auto state = [&] {
    const RECT r = WindowRectOf(app.Main());
    return std::to_string(app.Visible()) + " at " + std::to_string(r.left) + "," +
           std::to_string(r.top) + " front " + Utf8(ClassNameOf(GetForegroundWindow())) +
           " focus " + std::to_string(GetDlgCtrlID(FocusOf(app.Main())));
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.events.front());
    std::string shown;
    for (UINT event : c.events) {
      app.SendTrayEvent(event);
      if (!c.shows || !shown.empty()) continue;
      ASSERT_TRUE(app.WaitVisible(true)) << "the window did not show";
      EXPECT_TRUE(WaitUntil(
          [&] { return GetForegroundWindow() == app.Main() && FocusOf(app.Main()) != nullptr; }));
      // As if moved by the user: placing the window anew would show.
      SetWindowPos(app.Main(), nullptr, 40, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      shown = state();
    }
    if (c.shows) {
      EXPECT_FALSE(WaitUntil([&] { return state() != shown; }, 300))
          << shown << " became " << state();
      app.ClickOk();
    } else {
      EXPECT_FALSE(app.WaitVisible(true, 300)) << "the window showed";
    }
    ASSERT_TRUE(app.WaitVisible(false));
  }
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

TEST(Window, FirstShowingIsCentredInTheWorkAreaWithFocusInTheFirstMemo) {
  SKIP_WITHOUT("set-foreground");
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  ASSERT_TRUE(app.ShowFromTray());
  SaveScreenshot(L"first-showing");

  const RECT client = ClientRectOnScreen(app.Main());
  EXPECT_EQ(client.right - client.left, kClientSize);
  EXPECT_EQ(client.bottom - client.top, kClientSize);
  ExpectCentredInTheWorkArea(app.Main());
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == app.Main(); }));
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(app.Main()) == app.Memo(1); }))
      << "focus is in control " << GetDlgCtrlID(FocusOf(app.Main()));

  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

// Moved by the user, hidden by OK and shown again: the window comes back
// where it was, with the focus where it was (on OK, which the click focused).
TEST(Window, ShowingAgainKeepsPlaceAndFocus) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  ASSERT_TRUE(app.ShowFromTray());
  ASSERT_TRUE(SetWindowPos(app.Main(), nullptr, 40, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  const RECT moved = WindowRectOf(app.Main());
  app.ClickOk();
  ASSERT_TRUE(app.WaitVisible(false));

  ASSERT_TRUE(app.ShowFromTray());
  const RECT again = WindowRectOf(app.Main());
  EXPECT_EQ(again.left, moved.left);
  EXPECT_EQ(again.top, moved.top);
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(app.Main()) == app.OkButton(); }))
      << "focus is in control " << GetDlgCtrlID(FocusOf(app.Main()));
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

// The show command given to the process decides the first showing only.
TEST(Window, ShowCommandAppliesToTheFirstShowing) {
  const struct {
    int show;
    bool maximized;
    bool minimized;
  } cases[] = {
      {SW_SHOWMAXIMIZED, true, false},
      {SW_SHOWMINNOACTIVE, false, true},
      {SW_SHOWNORMAL, false, false},
      {SW_HIDE, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("show command " + std::to_string(c.show));
    OrdfalkApp app;
    ASSERT_TRUE(app.Ready());
    StartOptions options{L"/SWEDISH"};
    options.showCommand = c.show;
    ASSERT_TRUE(app.Start(options));
    EXPECT_FALSE(app.Visible()) << "the show command showed the window at start";
    ASSERT_TRUE(app.ShowFromTray());
    EXPECT_TRUE(WaitUntil([&] { return (IsZoomed(app.Main()) != FALSE) == c.maximized; }, 2000));
    EXPECT_TRUE(WaitUntil([&] { return (IsIconic(app.Main()) != FALSE) == c.minimized; }, 2000));
    app.Close();
    EXPECT_TRUE(app.EndsCleanly());
  }
}

// Window caption, menus, tray tooltip and About box, chosen by the switch
// on the command line or, without one, by the locale. A screen reader
// (MSAA, asked from this process) hears each memo named by its label, OK
// by its caption and the window by its title.
struct LanguageCase {
  const wchar_t* arguments;
  const char* locale;  // empty: the test process's own
  const LanguageTexts* texts;
};
void PrintTo(const LanguageCase& c, std::ostream* out) {
  *out << "arguments \"" << Narrow(c.arguments) << "\" locale \"" << c.locale << "\"";
}
class WindowLanguage : public ::testing::TestWithParam<LanguageCase> {};
const LanguageCase kLanguageCases[] = {
    {L"/SWEDISH", "", &kSwedish},
    {L"/english", "", &kEnglish},
    {L"/ENGLISH /SWEDISH", "sv_SE.UTF-8", &kEnglish},
    {L"/swedish", "en_US.UTF-8", &kSwedish},
    {L"", "sv_SE.UTF-8", &kSwedish},
    {L"", "en_US.UTF-8", &kEnglish},
    {L"", "sv_FI.UTF-8", &kEnglish},
};
INSTANTIATE_TEST_SUITE_P(Cases, WindowLanguage, ::testing::ValuesIn(kLanguageCases));

// The name and role a screen reader is given for a window's client object.
std::pair<std::wstring, long> Heard(HWND window) {
  std::pair<std::wstring, long> heard{L"(none)", 0};
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                        __uuidof(IAccessible), reinterpret_cast<void**>(&object))))
    return heard;
  VARIANT self{}, role{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  if (SUCCEEDED(object->get_accName(self, &name)) && name) heard.first = name;
  SysFreeString(name);
  if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4) heard.second = role.lVal;
  object->Release();
  return heard;
}

TEST_P(WindowLanguage, BySwitchAndByLocale) {
  const LanguageCase& c = GetParam();
  if (*c.locale) SKIP_UNLESS_WINE("a locale per process");
  const LanguageTexts& texts = *c.texts;
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  StartOptions options{c.arguments};
  options.posixLocale = c.locale;
  ASSERT_TRUE(app.Start(options));

  EXPECT_EQ(TextOf(app.Main()), texts.title);
  // Read while the window is hidden and the program idle: the reader is
  // loaded into the program, and under Wine that has now and then broken
  // the program while it was busy showing its window.
  const auto menu = MenuItemsOf(app.Main());
  EXPECT_EQ(MenuText(menu, {0}), texts.fileMenu);
  EXPECT_EQ(MenuText(menu, {0, 0}), texts.quitItem);
  EXPECT_EQ(MenuId(menu, {0, 0}), static_cast<int>(kQuitCommand));
  EXPECT_EQ(MenuText(menu, {1}), texts.helpMenu);
  EXPECT_EQ(MenuText(menu, {1, 0}), texts.aboutItem);
  EXPECT_EQ(MenuId(menu, {1, 0}), static_cast<int>(kAboutCommand));
  POINT icon{};
  EXPECT_TRUE(TrayIconCentre(app.Tray(), kTrayIconId, texts.title, &icon))
      << "no tray icon with the tooltip " << Narrow(texts.title);

  // Roles only off Wine, whose proxies call labels and owner-drawn buttons
  // plain clients.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const bool roles = !RunningUnderWine();
  EXPECT_EQ(Heard(app.Main()).first, texts.title);
  for (int slot = 1; slot <= 8; ++slot) {
    const std::wstring label = L"Text " + std::to_wstring(slot) + L": [CTRL+" +
                               (slot <= 4 ? L"ALT" : L"SHIFT") + L"+F" +
                               std::to_wstring((slot - 1) % 4 + 1) + L"]";
    EXPECT_EQ(Heard(app.Memo(slot)), std::make_pair(label, long{ROLE_SYSTEM_TEXT}))
        << "memo " << slot;
    if (roles) {
      EXPECT_EQ(Heard(ControlOf(app.Main(), 200 + slot)).second, ROLE_SYSTEM_STATICTEXT);
    }
  }
  const auto ok = Heard(app.OkButton());
  EXPECT_EQ(ok.first, L"OK");
  if (roles) {
    EXPECT_EQ(ok.second, ROLE_SYSTEM_PUSHBUTTON);
  }
  CoUninitialize();

  ASSERT_TRUE(app.ShowFromTray());
  EXPECT_EQ(TextOf(app.OkButton()), L"OK");
  EXPECT_EQ(TextOf(ControlOf(app.Main(), 201, L"Static")), L"Text 1: [CTRL+ALT+F1]");
  EXPECT_EQ(TextOf(ControlOf(app.Main(), 208, L"Static")), L"Text 8: [CTRL+SHIFT+F4]");
  app.Command(kAboutCommand);
  HWND about = app.WaitForBox(texts.aboutCaption);
  ASSERT_NE(about, nullptr) << "no About box captioned " << Narrow(texts.aboutCaption);
  EXPECT_EQ(StaticTexts(about).rfind(texts.aboutTextStart, 0), 0u) << Narrow(StaticTexts(about));
  EXPECT_EQ(GetWindow(about, GW_OWNER), app.Main());
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

  app.Command(kQuitCommand);
  EXPECT_TRUE(app.EndsCleanly());
}

// The etched separator: a darker row at y 400 and a lighter one at y 401,
// from x 24 up to (not including) x 440, shaded by 40 from the button face.
TEST(Window, EtchedLineIsDrawnBelowTheMemos) {
  SKIP_WITHOUT("set-foreground");
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  ASSERT_TRUE(app.ShowFromTray());
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == app.Main(); }));
  RedrawWindow(app.Main(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  SendMessageTimeoutW(app.Main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);

  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  auto shade = [&](int amount) {
    auto channel = [&](int value) { return static_cast<BYTE>(std::min(255, std::max(0, value + amount))); };
    return RGB(channel(GetRValue(face)), channel(GetGValue(face)), channel(GetBValue(face)));
  };
  const COLORREF dark = shade(-40);
  const COLORREF light = shade(40);

  HDC dc = GetDC(app.Main());
  ASSERT_NE(dc, nullptr);
  const struct {
    int x, y;
    COLORREF expected;
  } points[] = {
      {24, 400, dark}, {232, 400, dark}, {439, 400, dark},      //
      {24, 401, light}, {232, 401, light}, {439, 401, light},   //
      {23, 400, face}, {440, 400, face}, {440, 401, face},      // the ends
      {232, 399, face}, {232, 402, face},                       // above and below
  };
  for (const auto& p : points) {
    EXPECT_EQ(GetPixel(dc, p.x, p.y), p.expected) << "at " << p.x << "," << p.y;
  }
  ReleaseDC(app.Main(), dc);
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

}  // namespace
