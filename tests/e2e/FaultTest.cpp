// Faults from outside: the notification area refusing or restarting, the
// clipboard held by another program, a target that never answers, no
// foreground window, a settings file that cannot be written or is held by
// another program, and the end of the log-on.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ClipboardBlocks.h"
#include "Desktop.h"
#include "FakeTray.h"
#include "PasteTarget.h"
#include "ProgramRun.h"

using namespace e2e;
using namespace e2e::run;

namespace {

using clipboard_blocks::HeldClipboard;

// The CF_TEXT bytes on the clipboard, up to the terminating zero.
std::string ClipboardText() {
  return clipboard_blocks::UpToZero<char>(clipboard_blocks::Read(CF_TEXT));
}

bool SetClipboardText(const std::string& bytes) {
  return clipboard_blocks::Replace({{CF_TEXT, bytes + '\0'}});
}

// --- Clipboard, target and foreground -------------------------------------------

class PasteFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT("hotkey-sendinput", "clipboard-second-process", "set-foreground");
    ASSERT_TRUE(folder_.Ready());
    ASSERT_TRUE(program_.Start(folder_));
  }
  void TearDown() override {
    if (program_.Proc().Running()) {
      program_.Command(kQuitCommand);
      EXPECT_TRUE(program_.EndsCleanly());
    }
  }

  ProgramFolder folder_{L"paste-fault"};
  ProgramRun program_;
};

TEST_F(PasteFaultTest, HeldClipboardKeepsItsContentsAndNothingStaleIsPasted) {
  // A large slot text: a block lost per press would show in the memory.
  std::wstring text;
  while (text.size() < 20000) text += L"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\r\n";
  ASSERT_TRUE(program_.SetMemoText(1, text));
  PasteTarget target;
  ASSERT_TRUE(target.Start(folder_.Folder()));
  ASSERT_TRUE(target.BringToFront());
  ASSERT_TRUE(SetClipboardText("previous contents"));

  ASSERT_TRUE(program_.SetMemoText(8, L""));
  std::wstring marker;
  const auto pressHeld = [&](int presses) {
    HeldClipboard held;
    ASSERT_TRUE(held.Held());
    for (int i = 0; i < presses; ++i) PressKeys(HotKeyOf(1));
    // The hot-key messages wait in the program's queue; a character posted
    // after them reaches memo 8 once they have all been handled. Each
    // returns at once (a wait for the clipboard would take seconds).
    marker += L'z';
    PostMessageW(program_.Memo(8), WM_CHAR, L'z', 0);
    ASSERT_TRUE(WaitUntil([&] { return program_.MemoText(8) == marker; }, 30000))
        << "the presses made while the clipboard was held are not handled";
    held.Release();
    // The next press, with the clipboard free, pastes normally.
    const size_t before = target.Pastes().size();
    EXPECT_TRUE(ClipboardText() == "previous contents") << "the clipboard lost its contents";
    PressKeys(HotKeyOf(1));
    ASSERT_TRUE(target.WaitForPasteCount(before + 1, 10000));
    ASSERT_TRUE(SetClipboardText("previous contents"));
  };

  pressHeld(50);  // warm-up
  const size_t before = program_.PrivateBytes();
  pressHeld(1000);
  const size_t after = program_.PrivateBytes();

  // Exactly the two presses made with the clipboard free pasted, each the
  // slot's text; none pasted what the clipboard held before.
  const auto pastes = target.Pastes();
  ASSERT_EQ(pastes.size(), 2u);
  for (const std::string& paste : pastes) EXPECT_TRUE(paste == Narrow(text)) << "wrong paste";
  ASSERT_GT(before, 0u) << "the program's private bytes cannot be read";
  // 1,000 lost blocks would be 20 MB; allow 2 MB of noise.
  EXPECT_LT(after, before + 2 * 1024 * 1024) << before << " -> " << after;
}

TEST_F(PasteFaultTest, TargetThatNeverAnswersIsLeftAloneAndTheNextPasteWorks) {
  ASSERT_TRUE(program_.SetMemoText(2, L"healthy"));
  const std::wstring report = JoinPath(folder_.Folder(), L"hung-report.txt");
  Process hung = Start(JoinPath(ExeDir(), L"hung_target.exe"),
                       WithArguments(L"\"" + report + L"\" 60000"));
  ASSERT_TRUE(hung);
  const HWND hungWindow = WaitForTopWindow(hung.Id(), L"OrdfalkHungTarget");
  ASSERT_NE(hungWindow, nullptr);
  // The window is listed while it is being made, before its edit exists.
  ASSERT_TRUE(WaitUntil([&] { return ReadBytes(report).find("ready") != std::string::npos; }));
  const HWND hungEdit = ControlOf(hungWindow, 100, L"Edit");
  ASSERT_TRUE(BringToFront(hungWindow));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(hungWindow) == hungEdit; }));

  ASSERT_TRUE(program_.SetMemoText(8, L""));
  PressKeys(HotKeyOf(2));
  ASSERT_TRUE(WaitUntil([&] { return ReadBytes(report).find("paste") != std::string::npos; }))
      << "the paste request did not reach the hung target";
  const ULONGLONG asked = GetTickCount64();
  // A character posted now reaches memo 8 once the program is back in its
  // message loop: it gives up on the target within its bound.
  PostMessageW(program_.Memo(8), WM_CHAR, L'z', 0);
  ASSERT_TRUE(WaitUntil([&] { return program_.MemoText(8) == L"z"; }, 10000))
      << "the program still waits for the hung target";
  const ULONGLONG waited = GetTickCount64() - asked;
  EXPECT_LT(waited, 4500u);
  // Its input is its own again: its focus is not the hung target's.
  EXPECT_NE(FocusOf(program_.Main()), hungEdit);

  // The next hot key into a healthy target pastes.
  PasteTarget target;
  ASSERT_TRUE(target.Start(folder_.Folder()));
  ASSERT_TRUE(target.BringToFront());
  PressKeys(HotKeyOf(2));
  ASSERT_TRUE(target.WaitForPasteCount(1, 5000));
  EXPECT_EQ(target.WaitForText("healthy"), "healthy");

  // A second request to the still-hung target is given up within the
  // bound too.
  ASSERT_TRUE(BringToFront(hungWindow));
  PressKeys(HotKeyOf(2));
  const ULONGLONG again = GetTickCount64();
  PostMessageW(program_.Memo(8), WM_CHAR, L'z', 0);
  EXPECT_TRUE(WaitUntil([&] { return program_.MemoText(8) == L"zz"; }, 10000));
  EXPECT_LT(GetTickCount64() - again, 4500u);
  hung.Kill();
}

TEST_F(PasteFaultTest, NoForegroundWindowLeavesTheTextOnTheClipboardOnly) {
  SKIP_UNLESS_WINE("a desktop without a foreground window (Explorer's always has one)");
  ASSERT_TRUE(program_.SetMemoText(3, L"no foreground"));
  // The only other window that could take the foreground is Wine's own
  // notification area; it is hidden meanwhile.
  const auto trays = TopWindows(0, L"__winex11_standalone_tray");
  for (HWND tray : trays) ShowWindow(tray, SW_HIDE);
  {
    PasteTarget gone;
    ASSERT_TRUE(gone.Start(folder_.Folder()));
    ASSERT_TRUE(gone.BringToFront());
    // The foreground window goes away and nothing takes its place.
    PostMessageW(gone.Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(gone.Proc().WaitForExit());
  }
  for (HWND tray : trays) ShowWindow(tray, SW_SHOWNA);
  ASSERT_TRUE(WaitUntil([] { return GetForegroundWindow() == nullptr; }))
      << "foreground: " << Narrow(ClassNameOf(GetForegroundWindow()));
  ASSERT_TRUE(SetClipboardText("before"));
  const DWORD sequence = GetClipboardSequenceNumber();
  PressKeys(HotKeyOf(3));
  // Reading the clipboard opens it; done while the program fills it, that
  // would make the program's one attempt fail. Wait for the change first.
  EXPECT_TRUE(WaitUntil([&] { return GetClipboardSequenceNumber() != sequence; }));
  EXPECT_EQ(ClipboardText(), "no foreground");
  EXPECT_TRUE(program_.Answers(2000));
  EXPECT_TRUE(program_.Proc().Running());
  EXPECT_EQ(program_.MemoText(3), L"no foreground");
}

TEST_F(PasteFaultTest, OwnWindowInTheForegroundGetsNoPaste) {
  ASSERT_TRUE(program_.SetMemoText(1, L"first"));
  ASSERT_TRUE(program_.SetMemoText(5, L"fifth"));
  ASSERT_TRUE(program_.ShowFromTray());
  ASSERT_TRUE(BringToFront(program_.Main()));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(program_.Main()) == program_.Memo(1); }));
  ASSERT_TRUE(SetClipboardText("before"));
  const DWORD sequence = GetClipboardSequenceNumber();

  PressKeys(HotKeyOf(5));
  EXPECT_TRUE(WaitUntil([&] { return GetClipboardSequenceNumber() != sequence; }));
  EXPECT_EQ(ClipboardText(), "fifth");
  EXPECT_TRUE(program_.Answers(2000));
  // Nothing was pasted into the program's own memo.
  EXPECT_EQ(program_.MemoText(1), L"first");
  EXPECT_EQ(program_.MemoText(5), L"fifth");
  EXPECT_TRUE(program_.Boxes().empty());
}

// --- Notification area -----------------------------------------------------------

TEST(TrayFaultTest, RefusedIconEndsStartUpWithErrorBoxAndExitCodeOne) {
  SKIP_UNLESS_WINE("a fake tray standing in for Wine's notification area");
  ProgramFolder folder(L"tray-refused");
  ASSERT_TRUE(folder.Ready());
  const std::string settings = "[Main]\r\nText1=414243\r\n[Other]\r\nKeep=this\r\n";
  ASSERT_TRUE(folder.WriteIni(settings));
  FakeTray tray;
  ASSERT_TRUE(tray.Start(false)) << "the fake notification area is not the one Wine reaches";

  ProgramRun program;
  ASSERT_TRUE(program.Launch(folder));
  const HWND box = program.WaitForBox(L"Application Error", 15000);
  ASSERT_NE(box, nullptr) << "no \"Application Error\" box";
  EXPECT_NE(BoxText(box).find(L"Cannot create shell notification icon"), std::wstring::npos)
      << Narrow(BoxText(box));
  // The window built before the icon was discarded, and the start went no
  // further: no hot key was registered.
  EXPECT_TRUE(TopWindows(program.Proc().Id(), kMainClass).empty());
  EXPECT_EQ(GlobalFindAtomW(kLastAtom), 0);
  EXPECT_EQ(tray.Count(program.Proc().Id(), NIM_ADD), 1u);
  EXPECT_TRUE(program.Proc().Running()) << "the box must wait for the user";

  PressBoxOk(box);
  ASSERT_TRUE(program.Proc().WaitForExit(10000));
  EXPECT_EQ(program.Proc().ExitCode(), 1u);
  EXPECT_EQ(folder.IniBytes(), settings) << "the settings file was touched";
  EXPECT_EQ(tray.Count(program.Proc().Id(), NIM_MODIFY), 0u);
}

TEST(TrayFaultTest, TooltipIsAddedSwedishAndReplacedInEnglish) {
  SKIP_UNLESS_WINE("a fake tray standing in for Wine's notification area");
  ProgramFolder folder(L"tray-tip");
  ASSERT_TRUE(folder.Ready());
  FakeTray tray;
  ASSERT_TRUE(tray.Start(true));
  const struct {
    const wchar_t* arguments;
    bool versionRefused;
    std::vector<std::pair<DWORD, std::wstring>> calls;  // up to Quit
  } cases[] = {
      {L"/ENGLISH",
       false,
       {{NIM_ADD, kSwedish.title}, {NIM_SETVERSION, kSwedish.title}, {NIM_MODIFY, kEnglish.title}}},
      {L"/SWEDISH", false, {{NIM_ADD, kSwedish.title}, {NIM_SETVERSION, kSwedish.title}}},
      // A shell without version 4: the icon stays, and the double-click in
      // the older form (the mouse message alone in lParam) shows the window.
      {L"/SWEDISH", true, {{NIM_ADD, kSwedish.title}, {NIM_SETVERSION, kSwedish.title}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.arguments) + (c.versionRefused ? " without version 4" : ""));
    tray.Refuse(c.versionRefused ? NIM_SETVERSION : FakeTray::kNoKind);
    ProgramRun program;
    ASSERT_TRUE(program.Start(folder, WithArguments(c.arguments)));
    std::vector<std::pair<DWORD, std::wstring>> seen;
    for (const TrayCall& call : tray.Calls(program.Proc().Id())) {
      seen.emplace_back(call.message, call.tip);
      EXPECT_EQ(call.owner, program.Tray());
      EXPECT_EQ(call.id, 1u);
      EXPECT_EQ(call.callbackMessage, kTrayCallback);
      // Version 4 hides the standard tooltip unless asked for.
      EXPECT_TRUE(call.message == NIM_SETVERSION ? call.version == NOTIFYICON_VERSION_4
                                                 : (call.flags & NIF_SHOWTIP) != 0);
    }
    EXPECT_EQ(seen, c.calls);
    if (c.versionRefused) {
      EXPECT_TRUE(program.ShowFromTray());
    }
    program.Command(kQuitCommand);
    EXPECT_TRUE(program.EndsCleanly());
    EXPECT_EQ(tray.Count(program.Proc().Id(), NIM_DELETE), 1u);
  }

  // With the fake gone, the icon goes to Wine's own notification area again.
  tray.Stop();
  ProgramRun program;
  ASSERT_TRUE(program.Start(folder, WithArguments(L"/english")));
  TrayIcon icon;
  EXPECT_TRUE(FindTrayIcon(kEnglish.title, &icon));
  program.Command(kQuitCommand);
  EXPECT_TRUE(program.EndsCleanly());
}

TEST(TrayFaultTest, ShellRestartBringsTheIconBackOnceWithItsCurrentTooltip) {
  SKIP_UNLESS_WINE("a fake tray standing in for Wine's notification area");
  ProgramFolder folder(L"tray-restart");
  ASSERT_TRUE(folder.Ready());
  FakeTray tray;
  ASSERT_TRUE(tray.Start(true));
  ProgramRun program;
  ASSERT_TRUE(program.Start(folder, WithArguments(L"/english")));
  const DWORD id = program.Proc().Id();
  ASSERT_EQ(tray.Count(id, NIM_ADD), 1u);
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

  // The shell tells the program's tray window, then every top-level window.
  PostMessageW(program.Tray(), taskbarCreated, 0, 0);
  ASSERT_TRUE(tray.WaitForCount(id, NIM_ADD, 2));
  PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
  ASSERT_TRUE(tray.WaitForCount(id, NIM_ADD, 3));
  ASSERT_TRUE(program.Answers(2000));
  Sleep(300);  // nothing more may come

  const auto calls = tray.Calls(id);
  ASSERT_EQ(calls.size(), 7u);  // add, version, modify, then add and version twice
  for (size_t i : {3u, 5u}) {
    EXPECT_EQ(calls[i].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[i + 1].message, static_cast<DWORD>(NIM_SETVERSION));
    EXPECT_EQ(calls[i + 1].version, static_cast<UINT>(NOTIFYICON_VERSION_4));
    EXPECT_TRUE(calls[i].flags & NIF_SHOWTIP);
    EXPECT_EQ(calls[i].tip, kEnglish.title);
    EXPECT_TRUE(calls[i].flags & NIF_ICON);
    EXPECT_EQ(calls[i].owner, program.Tray());
  }
  EXPECT_TRUE(program.Visible() == false);
  program.Command(kQuitCommand);
  EXPECT_TRUE(program.EndsCleanly());
}

}  // namespace

namespace {

std::vector<std::wstring> SlotTexts(const std::wstring& prefix) {
  std::vector<std::wstring> texts;
  for (int slot = 1; slot <= 8; ++slot) texts.push_back(prefix + L" " + std::to_wstring(slot));
  return texts;
}

// The [Main] values of a settings file, Text1..Text8; empty when the file
// is not well-formed: one [Main] section, each of the eight keys once.
std::vector<std::string> StoredValues(const std::string& ini) {
  const auto sections = ParseIni(ini);
  std::vector<std::string> values;
  const IniSection* main = nullptr;
  for (size_t i = 1; i < sections.size(); ++i) {
    if (sections[i].name != "Main") continue;
    if (main) return {};
    main = &sections[i];
  }
  if (!main || main->lines.size() != 8) return {};
  for (int slot = 1; slot <= 8; ++slot) {
    const std::string key = "Text" + std::to_string(slot);
    std::string value;
    int seen = 0;
    for (const IniLine& line : main->lines) {
      if (line.key == key) {
        value = line.value;
        ++seen;
      }
    }
    if (seen != 1) return {};
    values.push_back(value);
  }
  return values;
}

std::vector<std::string> StoredForms(const std::vector<std::wstring>& texts) {
  std::vector<std::string> forms;
  for (const std::wstring& text : texts) forms.push_back(StoredForm(text));
  return forms;
}

// A settings file holding the eight texts.
std::string SettingsOf(const std::vector<std::wstring>& texts) {
  std::string ini = "[Main]\r\n";
  for (int slot = 1; slot <= 8; ++slot)
    ini += "Text" + std::to_string(slot) + "=" + StoredForm(texts[slot - 1]) + "\r\n";
  return ini;
}

// --- Settings file ---------------------------------------------------------------

using file_bytes::HeldFile;

std::wstring NotStoredText(const ProgramFolder& folder, const std::wstring& advice) {
  return L"The texts could not be stored in\n" + folder.IniPath() + L"\n\n" + advice;
}
const wchar_t kMoveAdvice[] =
    L"If another program has the file open, close it; if the disk is full, make room; then press "
    L"OK again. Otherwise move the program to a folder where you may write, such as Documents.";
const wchar_t kEndAnyway[] = L"End anyway? The texts in the window will be lost.";

std::wstring SystemProgram(const wchar_t* name) {
  wchar_t system[MAX_PATH];
  return JoinPath(std::wstring(system, GetSystemDirectoryW(system, MAX_PATH)), name);
}

// The folder as a small volume of its own, holding what the folder held and
// filled to the last byte, as a USB stick can be: under Wine a 1 MB tmpfs
// (root with CAP_SYS_ADMIN), on Windows an 8 MB virtual disk of diskpart's
// (an administrator), mounted on the folder. Allowed is false without that
// right; otherwise a volume that could not be made is told in Failure.
// Gone with the object, on every path: unmounted, detached and deleted.
struct FullVolume {
  explicit FullVolume(const ProgramFolder& folder)
      : dir(folder.Folder()), disk(dir + L".vhdx"), fill(JoinPath(dir, L"fill")) {
    // A mount needs CAP_SYS_ADMIN (bit 21), which a container may withhold from root.
    const char* mayMount = "cap=$(sed -n 's/^CapEff:[[:space:]]*//p' /proc/self/status)\n"
                           "[ $((0x$cap >> 21 & 1)) = 1 ]";
    allowed = RunningUnderWine() ? RunUnix(mayMount).exitCode == 0 : IsUserAnAdmin() != FALSE;
    if (!allowed) return;
    // A volume is mounted on an empty folder: the files wait beside it.
    const std::wstring aside = dir + L"-aside";
    MoveFileW(dir.c_str(), aside.c_str());
    CreateDirectoryW(dir.c_str(), nullptr);
    if (RunningUnderWine()) {
      const UnixResult run = RunUnix("mount -t tmpfs -o size=1m tmpfs " + ShellQuote(UnixPathOf(dir)));
      mounted = run.exitCode == 0;
      if (!mounted) failure = "mount failed:\n" + run.output;
    } else {
      // diskpart reads its script line by line, CR LF.
      mounted = Diskpart(L"create vdisk file=\"" + disk + L"\" maximum=8\r\nselect vdisk file=\"" +
                         disk + L"\"\r\nattach vdisk\r\ncreate partition primary\r\n" +
                         L"format fs=ntfs quick\r\nassign mount=\"" + dir + L"\"\r\n", &failure);
    }
    for (const wchar_t* name : {L"Ordfalk.exe", L"Ordfalk.INI"})
      MoveFileExW(JoinPath(aside, name).c_str(), JoinPath(dir, name).c_str(), MOVEFILE_COPY_ALLOWED);
    RemoveFolder(aside);
    if (!mounted) return;
    HANDLE file = CreateFileW(fill.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    for (DWORD size = 1 << 16; size > 0; size /= 2)  // until no byte more fits
      while (WriteFile(file, std::string(size, 'f').data(), size, &written, nullptr) && written == size) {}
    CloseHandle(file);
  }
  ~FullVolume() {
    if (!allowed) return;
    if (RunningUnderWine()) {
      if (mounted) RunUnix("umount -l " + ShellQuote(UnixPathOf(dir)));
      return;
    }
    if (!FileExists(disk)) return;  // not even created
    // Whatever step failed: the mount point goes, then the disk.
    DeleteVolumeMountPointW((dir + L"\\").c_str());
    std::string output;
    Diskpart(L"select vdisk file=\"" + disk + L"\"\r\ndetach vdisk\r\n", &output);
    if (!DeleteFileW(disk.c_str())) ADD_FAILURE() << "the virtual disk stays:\n" << output;
  }
  // True when diskpart ran Script to its end; Output is what it said.
  bool Diskpart(const std::wstring& script, std::string* output) const {
    const std::wstring file = disk + L".txt", out = disk + L".log";
    WriteBytes(file, Narrow(script));
    Process run = Start(SystemProgram(L"cmd.exe"),
                        WithArguments(L"/c diskpart /s \"" + file + L"\" >\"" + out + L"\" 2>&1"));
    const bool done = run.WaitForExit(120000) && run.ExitCode() == 0;
    *output = "diskpart " + std::string(done ? "ran" : "failed") + ":\n" + ReadBytes(out);
    return done;
  }
  const std::wstring dir, disk, fill;
  bool allowed = false;
  bool mounted = false;
  std::string failure;
};

TEST(SettingsFaultTest, UnwritableSettingsFileIsToldOnOkAndQuitAsks) {
  SKIP_WITHOUT("hotkey-sendinput", "clipboard-second-process", "set-foreground");
  ProgramFolder folder(L"unwritable");
  ASSERT_TRUE(folder.Ready());
  // A folder where the file would be: no write can succeed, even as root.
  ASSERT_TRUE(CreateDirectoryW(folder.IniPath().c_str(), nullptr));
  ProgramRun program;
  ASSERT_TRUE(program.Start(folder, WithArguments(L"/english")));
  ASSERT_TRUE(program.ShowFromTray());
  EXPECT_EQ(program.MemoTexts(), SlotTexts(L"Text"));

  ASSERT_TRUE(program.SetMemoText(1, L"edited"));
  program.ClickOk();
  const HWND box = program.WaitForBox(L"Error");
  ASSERT_NE(box, nullptr) << "OK did not tell";
  EXPECT_EQ(BoxText(box), NotStoredText(folder, kMoveAdvice));
  EXPECT_EQ(GetWindow(box, GW_OWNER), program.Main());
  // The hot keys paste while the box is open.
  PasteTarget target;
  ASSERT_TRUE(target.Start(folder.Folder()));
  ASSERT_TRUE(target.BringToFront());
  PressKeys(HotKeyOf(1));
  EXPECT_EQ(target.WaitForText("edited"), "edited");
  PressBoxOk(box);
  ASSERT_TRUE(WaitUntil([&] { return program.Boxes().empty(); }));
  EXPECT_TRUE(program.Visible());
  EXPECT_EQ(program.MemoText(1), L"edited");

  // taskkill and Quit ask; No keeps the window, its texts and tray icon, Yes ends.
  for (const int answer : {IDNO, IDYES}) {
    if (answer == IDNO) {
      ASSERT_TRUE(Start(SystemProgram(L"taskkill.exe"), {L"/IM Ordfalk.exe"}).WaitForExit(10000));
    } else {
      program.Command(kQuitCommand);
    }
    const HWND question = program.WaitForBox(L"KV-Wordkite 1.0");
    ASSERT_NE(question, nullptr) << "Quit did not ask";
    EXPECT_EQ(BoxText(question), NotStoredText(folder, kEndAnyway));
    PressBoxButton(question, answer);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
    if (answer == IDNO) {
      EXPECT_TRUE(program.Answers(2000) && program.Visible()) << "No ended the program";
      EXPECT_EQ(program.MemoText(1), L"edited");
      ShowWindow(program.Main(), SW_HIDE);
      EXPECT_TRUE(program.ShowFromTray()) << "the tray icon went";
    }
  }
  // A start made while the copy ends runs once it has ended. Its texts are
  // untouched, so it ends without a word.
  Process next = Start(folder.ExePath(), WithArguments(L"/english"));
  EXPECT_TRUE(program.EndsCleanly());
  const HWND nextMain = WaitForTopWindow(next.Id(), kMainClass, nullptr, 30000);
  ASSERT_NE(nextMain, nullptr) << "the start made during the end did not run";
  PostMessageW(nextMain, WM_CLOSE, 0, 0);
  EXPECT_TRUE(next.WaitForExit(10000) && next.ExitCode() == 0) << "untouched texts asked";
  const DWORD attributes = GetFileAttributesW(folder.IniPath().c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

// A file that another program holds but lets others read, or one on a full
// volume (cut short by a write reported as done): what it holds already passes
// OK silently, a change is told, and stored once it is free or has room.
class SettingsFaultHeldOrFull : public testing::TestWithParam<bool> {};  // true: full volume
INSTANTIATE_TEST_SUITE_P(HeldThenFull, SettingsFaultHeldOrFull, testing::Bool());

TEST_P(SettingsFaultHeldOrFull, RefusesOnlyWhatWouldChangeIt) {
  const bool full = GetParam();
  ProgramFolder folder(L"held");
  ASSERT_TRUE(folder.Ready());
  const std::string ini = SettingsOf(SlotTexts(L"mine"));
  ASSERT_TRUE(folder.WriteIni(ini));
  std::optional<FullVolume> volume;
  if (full && !volume.emplace(folder).allowed)
    GTEST_SKIP() << (RunningUnderWine() ? "a full volume: a tmpfs needs root's CAP_SYS_ADMIN"
                                        : "a full volume: diskpart needs an administrator");
  ASSERT_TRUE(!full || volume->mounted) << volume->failure;
  ProgramRun program;
  ASSERT_TRUE(program.Start(folder, WithArguments(L"/english")));
  std::optional<HeldFile> held;
  if (!full) held.emplace(folder.IniPath(), FILE_SHARE_READ);
  ASSERT_TRUE(full || held->Held());

  ASSERT_TRUE(program.ShowFromTray());
  program.ClickOk();
  EXPECT_TRUE(program.WaitVisible(false)) << "unchanged texts did not pass OK";
  EXPECT_TRUE(program.Boxes().empty());

  ASSERT_TRUE(program.ShowFromTray());
  // Longer than the file was: it needs room the volume does not have. On
  // the full tmpfs, the file cut to the 4 KB page it had ends inside slot
  // 5's value, a text the user did not touch that the next store must mend.
  const std::wstring longer(2005, L'n');
  ASSERT_TRUE(program.SetMemoText(3, longer));
  program.ClickOk();
  const HWND box = program.WaitForBox(L"Error");
  ASSERT_NE(box, nullptr) << "a refused change passed OK";
  EXPECT_EQ(BoxText(box), NotStoredText(folder, kMoveAdvice));
  PressBoxOk(box);
  ASSERT_TRUE(WaitUntil([&] { return program.Boxes().empty(); }));
  EXPECT_TRUE(program.Visible());
  EXPECT_TRUE(full || folder.IniBytes() == ini) << folder.IniBytes();

  held.reset();
  if (full) DeleteFileW(volume->fill.c_str());
  program.ClickOk();
  EXPECT_TRUE(program.WaitVisible(false));
  auto expected = SlotTexts(L"mine");
  expected[2] = longer;
  EXPECT_EQ(StoredValues(folder.IniBytes()), StoredForms(expected)) << folder.IniBytes();
  program.Command(kQuitCommand);
  EXPECT_TRUE(program.EndsCleanly());
}

// A file held without sharing, or locked whole (LockFileEx, which Wine's reads ignore), while the
// program starts is waited for; one held longer is never overwritten with the defaults shown in
// its place, though a text the user changes is stored. A file saved in place, over and over, is
// read whole. Held as OK is pressed, and saved by its holder meanwhile, or held alone now and
// then: OK keeps what the holder saved, and Quit a hand edit made after OK.
TEST(SettingsFaultTest, SettingsFileHeldAtStartIsWaitedForAndNeverOverwrittenWithDefaults) {
  enum Then { kNothing, kBursts, kSaves, kSaves6 };  // what another program does as it lets go
  const struct {
    DWORD heldMs;
    Then then;  // kBursts: held for a few ms at a time, as a scanner does; kSaves: emptied
                // and written again in place, as an editor or a sync client saves; kSaves6:
                // slot 6 saved through the holding handle, which lets others read only
    bool locked;  // shared, with LockFileEx on every byte instead
    bool loaded;
    bool atOk;  // held as OK is pressed, not at start
  } rows[] = {{2000, kNothing, false, true, false}, {7000, kNothing, false, false, false},
              {0, kBursts, false, true, false},     {0, kSaves, false, true, false},
              {2000, kNothing, true, true, false},  {700, kSaves6, false, true, true},
              {0, kBursts, false, true, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.heldMs << (row.locked ? " ms locked" : " ms held")
                                    << ", then " << row.then << (row.atOk ? " at OK" : ""));
    ProgramFolder folder(L"held-at-start");
    ASSERT_TRUE(folder.Ready());
    const std::string ini = SettingsOf(SlotTexts(L"mine"));
    ASSERT_TRUE(folder.WriteIni(ini));
    auto expected = SlotTexts(L"mine");
    expected[5] = L"saved";
    const std::string saved = SettingsOf(expected);
    std::optional<HeldFile> held;
    OVERLAPPED whole{};
    std::thread letGo;
    const auto hold = [&] {
      const bool saver = row.then == kSaves6;
      held.emplace(folder.IniPath(),
                   row.locked ? FILE_SHARE_READ | FILE_SHARE_WRITE : saver ? FILE_SHARE_READ : 0,
                   GENERIC_READ | (saver ? GENERIC_WRITE : 0));
      ASSERT_TRUE(held->Held() && (!row.locked || LockFileEx(held->Handle(), LOCKFILE_EXCLUSIVE_LOCK,
                                                             0, MAXDWORD, MAXDWORD, &whole)));
      letGo = std::thread([&] {
        const DWORD pause = row.atOk ? 1 : 5;  // at OK, bursts of 1 ms held, 1 ms free
        Sleep(row.heldMs);
        DWORD written = 0;
        if (row.then == kSaves6) {
          WriteFile(held->Handle(), saved.data(), static_cast<DWORD>(saved.size()), &written,
                    nullptr);
        }
        held->Release();
        for (const ULONGLONG end = GetTickCount64() + (row.then == kSaves ? 2000 : 4000);
             (row.then == kBursts || row.then == kSaves) && GetTickCount64() < end; Sleep(pause)) {
          if (row.then == kBursts) {
            HeldFile burst(folder.IniPath(), 0);
            Sleep(pause);
            continue;
          }
          HANDLE save = CreateFileW(folder.IniPath().c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, TRUNCATE_EXISTING,
                                    0, nullptr);
          if (save == INVALID_HANDLE_VALUE) continue;  // the program is reading it
          Sleep(5);
          WriteFile(save, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr);
          CloseHandle(save);
        }
      });
    };
    if (!row.atOk) hold();
    ProgramRun program;
    const bool started = program.Start(folder);
    if (!row.atOk) letGo.join();
    ASSERT_TRUE(started);
    EXPECT_EQ(program.MemoTexts(), SlotTexts(row.loaded ? L"mine" : L"Text"));

    ASSERT_TRUE(program.SetMemoText(2, L"changed"));
    ASSERT_TRUE(program.ShowFromTray());
    if (row.atOk) hold();
    program.ClickOk();
    EXPECT_TRUE(program.WaitVisible(false));
    if (row.atOk) letGo.join();
    EXPECT_TRUE(program.Boxes().empty());
    const std::string hand = StoredForm(L"by hand");
    ASSERT_TRUE(WritePrivateProfileStringW(L"Main", L"Text8",
                                           std::wstring(hand.begin(), hand.end()).c_str(),
                                           folder.IniPath().c_str()));
    program.Command(kQuitCommand);
    EXPECT_TRUE(program.EndsCleanly());
    if (row.then != kSaves6) expected[5] = L"mine 6";
    expected[1] = L"changed";
    expected[7] = L"by hand";
    EXPECT_EQ(StoredValues(folder.IniBytes()), StoredForms(expected)) << folder.IniBytes();
  }
}

// --- End of the log-on ---------------------------------------------------------

// wineboot ends every process with a top-level window once it has answered
// WM_ENDSESSION, this test's own included: it must have none.
bool EndSession() {
  if (!TopWindows(GetCurrentProcessId(), L"").empty()) return false;
  const UnixResult run = RunUnix("\"$WINE\" wineboot --end-session", 60000);
  return run.finished && run.exitCode == 0;
}

TEST(SessionFaultTest, LogOffStoresWhatItCanWithoutABoxAndEnds) {
  SKIP_UNLESS_WINE("wineboot's end of session");
  const struct {
    const char* name;
    const wchar_t* slot6;
    std::function<HWND(const ProgramRun&)> openBox;
    const wchar_t* stored6;  // what slot 6 holds in the file afterwards
    bool unwritable;
  } cases[] = {
      {"About box", L"about open",
       [](const ProgramRun& program) {
         program.Command(kAboutCommand);
         return program.WaitForBox(L"About KV-Wordkite 1.0");
       },
       L"about open", false},
      // A text the file cannot hold: the slot keeps its last good value.
      {"error box", L"euro \u20AC",
       [](const ProgramRun& program) {
         program.ClickOk();
         return program.WaitForBox(L"Error");
       },
       L"last good", false},
      // Nothing can be stored, and nothing is asked.
      {"unwritable file", L"lost", [](const ProgramRun& program) { return program.Main(); },
       nullptr, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramFolder folder(L"log-off");
    ASSERT_TRUE(folder.Ready());
    if (c.unwritable) {
      ASSERT_TRUE(CreateDirectoryW(folder.IniPath().c_str(), nullptr));
    } else {
      ASSERT_TRUE(folder.WriteIni("[Main]\r\nText6=" + StoredForm(L"last good") + "\r\n"));
    }
    ProgramRun program;
    ASSERT_TRUE(program.Start(folder, WithArguments(L"/english")));
    ASSERT_TRUE(program.ShowFromTray());
    ASSERT_TRUE(program.SetMemoText(1, L"unsaved edit"));
    ASSERT_TRUE(program.SetMemoText(6, c.slot6));
    ASSERT_NE(c.openBox(program), nullptr) << "the box did not open";

    ASSERT_TRUE(EndSession());
    ASSERT_TRUE(program.Proc().WaitForExit(10000)) << "the program did not end";
    EXPECT_EQ(program.Proc().ExitCode(), 0u);
    if (c.unwritable) {
      EXPECT_TRUE(GetFileAttributesW(folder.IniPath().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
      continue;
    }
    const auto stored = StoredValues(folder.IniBytes());
    ASSERT_FALSE(stored.empty()) << "the texts were not stored: " << folder.IniBytes();
    EXPECT_EQ(stored[0], StoredForm(L"unsaved edit"));
    EXPECT_EQ(stored[5], StoredForm(c.stored6));
    EXPECT_EQ(stored[7], StoredForm(L"Text 8"));
  }
}

}  // namespace
