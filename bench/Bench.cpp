// The benchmark driver. It starts Ordfalk.exe ("ours") and two floors from
// a folder of their own: WindowFloor.exe, which does the start-up work
// Ordfalk has to do before its hot keys are live, in turn with ours for
// start-up and Quit; and Floor.exe, the least a hot-key paster can do, side
// by side with ours for the rest. It plays the user (hot keys, the tray
// icon, OK, Quit) and measures on one clock. Prints a table, and writes the
// figures to bench.json and the latency samples to latency-*.dat in the
// current folder.
//   OrdfalkBench.exe [--idle S] [--presses N] [--pastes N] [--cycles N]
//                    [--starts N] [--machine TEXT]   (--starts: per set of texts)
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Child.h"
#include "Clock.h"
#include "FileBytes.h"
#include "Stats.h"
#include "Target.h"

namespace bench {

namespace {

struct Config {
  double idleSeconds = 30;
  int presses = 300;
  int warmupPresses = 20;
  int pastes = 10000;
  int cycles = 200;
  int starts = 20;
  int okRuns = 20;
  std::string machine;
};

constexpr int kOurs = 0, kFloor = 1;
constexpr const char* kWho[2] = {"ours", "floor"};
// In the start-up rounds the floor is the window floor.
constexpr const char* kStartWho[2] = {"ours", "window floor"};
constexpr int kTextSizes[3] = {1, 100, 1023};  // slots 1..3
constexpr int kFullText = 1023;
constexpr UINT kTrayCallback = WM_APP + 1;
constexpr int kFirstMemoId = 101;

// Ours pastes its slots 1..3 on Ctrl+Alt+F1..F3, either floor its texts on
// Ctrl+Alt+F5..F7.
HotKey HotKeyOf(int who, int text) {
  return {VK_MENU, static_cast<WORD>((who == kOurs ? VK_F1 : VK_F5) + text)};
}

struct Contender {
  std::wstring exe;
  std::wstring args;
  const wchar_t* mainClass;
};

// Start-up with one set of eight texts: ours reads them from its settings
// file (or, without one, shows its defaults), the window floor gets them on
// its command line.
struct StartScenario {
  std::string name;  // in the row names
  std::string key;   // in bench.json
  std::vector<std::string> texts;
  bool settingsFile;
};

struct StartFigures {
  std::vector<double> toPaste[2], toTray[2];  // ours, the window floor
};

struct Results {
  std::map<int, std::vector<double>> latency[2];
  int latencyMisses[2] = {};
  std::vector<StartFigures> starts;  // per StartScenario
  std::vector<double> quit[2];       // ours, the window floor; 8 x 1023 B
  std::vector<double> firstShowing;  // ours after a start: tray double-click -> window visible
  double firstShowingShort = -1;     // the same with the session's shorter texts
  std::vector<std::pair<std::string, Footprint>> footprint[2];
  double idleCpuMs[2] = {-1, -1};
  UnixStat idle[2];  // differences over the idle time
  long long idleMainThreadSwitches[2] = {-1, -1};
  std::vector<double> ok;
  bool okStored = false;
  bool guiCounted = false;      // GetGuiResources answers (Wine's gives 0)
  bool handlesCounted = false;  // GetProcessHandleCount answers (Wine's gives 0)
  std::vector<std::string> misses;
  double exeKiB[2] = {};
  double windowFloorExeKiB = 0;
  std::vector<std::string> notes;
};

// Letters only, so that every text passes the check on OK: a..z from the
// offset-th letter on.
std::string TextOfSize(int size, int offset = 0) {
  std::string text;
  for (int i = 0; i < size; ++i) text += static_cast<char>('a' + (i + offset) % 26);
  return text;
}

std::wstring Wide(const std::string& bytes) { return std::wstring(bytes.begin(), bytes.end()); }

// A command line of the texts, each quoted (they may hold spaces).
std::wstring Arguments(const std::vector<std::string>& texts) {
  std::wstring line;
  for (const std::string& text : texts) line += L" \"" + Wide(text) + L"\"";
  return line;
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

bool WriteSettings(const std::wstring& file, const std::vector<std::string>& texts) {
  std::string content = "[Main]\r\n";
  for (size_t i = 0; i < texts.size(); ++i) {
    content += "Text" + std::to_string(i + 1) + "=" + Hex(texts[i]) + "\r\n";
  }
  return file_bytes::WriteBytes(file, content);
}

double FileKiB(const std::wstring& file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return 0;
  return static_cast<double>(data.nFileSizeLow) / 1024;
}

bool WaitForIconCount(int count, double timeoutMs, Target& target) {
  const double deadline = NowMs() + timeoutMs;
  while (TrayIconCount() != count) {
    if (NowMs() > deadline) return false;
    target.Pump(2);
  }
  return true;
}

// Starts the contender and presses its first hot key every few ms until it
// pastes; watches for its tray icon meanwhile. The ms from CreateProcess to
// each.
bool StartAndWait(Child& child, int who, const Contender& contender, Target& target,
                  double* toPaste, double* toTray) {
  target.Clear();
  const int iconsBefore = TrayIconCount();
  const double started = child.Start(contender.exe, contender.args);
  if (started < 0) return false;
  double pasted = -1, iconShown = -1;
  const double deadline = started + 20000;
  while ((pasted < 0 || iconShown < 0) && NowMs() < deadline) {
    if (iconShown < 0 && TrayIconCount() > iconsBefore) iconShown = NowMs();
    if (pasted < 0) {
      Target::PressHotKey(HotKeyOf(who, 0));
      pasted = target.WaitForText(3);
    } else {
      target.Pump(1);
    }
  }
  // Presses queued before the message loop ran are pasted now; let them
  // land so that they are not counted in what follows.
  target.Pump(150);
  target.Clear();
  if (toPaste) *toPaste = pasted - started;
  if (toTray) *toTray = iconShown - started;
  return pasted >= 0 && iconShown >= 0;
}

bool WaitVisible(HWND window, bool visible, Target& target) {
  const double deadline = NowMs() + 5000;
  while ((IsWindowVisible(window) != FALSE) != visible) {
    if (NowMs() > deadline) return false;
    target.Pump(1);
  }
  return true;
}

// Shows the main window as a double-click on the tray icon does.
bool ShowWindowFromTray(const Child& child, Target& target) {
  HWND tray = child.FindWindowOfClass(L"TTrayIconMain");
  HWND main = child.FindWindowOfClass(L"TfrmMain");
  PostMessageW(tray, kTrayCallback, 1, WM_LBUTTONDBLCLK);
  return WaitVisible(main, true, target);
}

// Clicks OK; the ms until the click has been handled (the window hidden and
// the texts stored), or a negative value when the window stays visible.
double ClickOK(const Child& child) {
  HWND main = child.FindWindowOfClass(L"TfrmMain");
  const double clicked = NowMs();
  DWORD_PTR result = 0;
  SendMessageTimeoutW(GetDlgItem(main, IDOK), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &result);
  const double done = NowMs() - clicked;
  return IsWindowVisible(main) ? -1 : done;
}

std::string ForegroundClass() {
  char name[64] = "none";
  if (HWND window = GetForegroundWindow()) GetClassNameA(window, name, sizeof name);
  return name;
}

void FrontOrNote(Target& target, const char* when, Results& results) {
  if (!target.Front()) {
    results.notes.push_back(std::string("the target is not in front ") + when + " but " +
                            ForegroundClass());
  }
}

// One press of who's hot key for text `text` (0..2); the ms to the paste, or
// a negative value (noted) when none came within 2 s.
double Press(int who, int text, int length, const char* what, int index, Target& target,
             Results& results) {
  target.Clear();
  const double ms = target.PressAndWait(HotKeyOf(who, text), length, 2000);
  if (ms < 0) {
    ++results.latencyMisses[who];
    results.misses.push_back(std::string(kWho[who]) + ": " + what + " " + std::to_string(index) +
                             ", foreground " + ForegroundClass());
    target.Front();
  }
  return ms;
}

// The two take turns press by press, so that whatever else the machine does
// falls on both alike.
void MeasureLatency(const Config& config, Target& target, Results& results) {
  for (int text = 0; text < 3; ++text) {
    const int size = kTextSizes[text];
    for (int press = 0; press < config.warmupPresses + config.presses; ++press) {
      for (int who : {kOurs, kFloor}) {
        const double ms = Press(who, text, size, "latency press", press, target, results);
        if (ms >= 0 && press >= config.warmupPresses) results.latency[who][size].push_back(ms);
      }
    }
  }
}

void MeasureIdle(Child (&children)[2], const Config& config, Results& results) {
  UnixStat before[2];
  double cpuBefore[2];
  for (int who : {kOurs, kFloor}) {
    before[who] = children[who].Unix();
    cpuBefore[who] = children[who].CpuMs();
  }
  Sleep(static_cast<DWORD>(config.idleSeconds * 1000));
  for (int who : {kOurs, kFloor}) {
    results.idleCpuMs[who] = children[who].CpuMs() - cpuBefore[who];
    const UnixStat after = children[who].Unix();
    if (before[who].found && after.found) {
      results.idle[who].found = true;
      results.idle[who].contextSwitches = after.contextSwitches - before[who].contextSwitches;
      results.idle[who].voluntarySwitches = after.voluntarySwitches - before[who].voluntarySwitches;
      results.idle[who].threads = after.threads;
      results.idleMainThreadSwitches[who] = after.mainThreadSwitches - before[who].mainThreadSwitches;
    }
  }
}

void MeasureOK(const Child& child, const std::wstring& settings, const Config& config,
               Target& target, Results& results) {
  HWND main = child.FindWindowOfClass(L"TfrmMain");
  std::vector<std::string> texts;
  for (int slot = 1; slot <= 8; ++slot) {
    texts.push_back(TextOfSize(kFullText, slot));
    DWORD_PTR result = 0;
    SendMessageTimeoutW(GetDlgItem(main, kFirstMemoId + slot - 1), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(Wide(texts.back()).c_str()), SMTO_NORMAL, 5000,
                        &result);
  }
  for (int run = 0; run < config.okRuns; ++run) {
    if (!ShowWindowFromTray(child, target)) continue;
    const double ms = ClickOK(child);
    if (ms >= 0) results.ok.push_back(ms);
  }
  results.okStored = true;
  for (int slot = 1; slot <= 8; ++slot) {
    std::wstring stored(4096, L'\0');
    const DWORD length = GetPrivateProfileStringW(L"Main", (L"Text" + std::to_wstring(slot)).c_str(),
                                                  L"", stored.data(), 4096, settings.c_str());
    stored.resize(length);
    if (stored != Wide(Hex(texts[slot - 1]))) results.okStored = false;
  }
  if (!results.okStored) results.notes.push_back("ours: OK did not store the eight texts");
}

// Both running side by side, each on its own hot keys: footprint, hot-key
// latency, many pastes, (ours) the window shown and hidden many times, idle
// time, and (ours) OK.
bool RunSessions(const Contender (&contenders)[2], const std::wstring& settings,
                 const Config& config, Target& target, Results& results) {
  WriteSettings(settings, {TextOfSize(1), TextOfSize(100), TextOfSize(1023)});
  Child children[2];
  for (int who : {kOurs, kFloor}) {
    if (!StartAndWait(children[who], who, contenders[who], target, nullptr, nullptr)) {
      results.notes.push_back(std::string(kWho[who]) + ": did not start and paste");
      return false;
    }
  }
  target.Pump(300);
  auto measure = [&](const char* when) {
    for (int who : {kOurs, kFloor}) results.footprint[who].emplace_back(when, children[who].Measure());
  };
  measure("start");
  Child& ours = children[kOurs];
  const double asked = NowMs();
  const bool shown = ShowWindowFromTray(ours, target);
  if (shown) results.firstShowingShort = NowMs() - asked;
  if (!shown || ClickOK(ours) < 0) {
    results.notes.push_back("ours: the window could not be shown and hidden");
  }
  FrontOrNote(target, "after the window was hidden", results);
  measure("shown once");

  std::fprintf(stderr, "bench: hot key to paste, %d presses each per text\n", config.presses);
  MeasureLatency(config, target, results);
  measure("warm (after latency)");

  std::fprintf(stderr, "bench: %d pastes each\n", config.pastes);
  for (int i = 0; i < config.pastes; ++i) {
    for (int who : {kOurs, kFloor}) Press(who, 1, kTextSizes[1], "paste", i, target, results);
  }
  measure("pastes");

  std::fprintf(stderr, "bench: %d show/hide cycles\n", config.cycles);
  int failed = 0;
  for (int i = 0; i < config.cycles; ++i) {
    if (!ShowWindowFromTray(ours, target) || ClickOK(ours) < 0) ++failed;
  }
  if (failed) results.notes.push_back("ours: " + std::to_string(failed) + " show/hide cycles failed");
  FrontOrNote(target, "after the cycles", results);
  target.Pump(300);
  measure("show/hide cycles");

  std::fprintf(stderr, "bench: idle for %.0f s\n", config.idleSeconds);
  MeasureIdle(children, config, results);
  MeasureOK(ours, settings, config, target, results);

  for (int who : {kOurs, kFloor}) {
    Child& child = children[who];
    if (child.Close(child.FindWindowOfClass(contenders[who].mainClass), 10000) < 0 ||
        child.ExitCode() != 0) {
      results.notes.push_back(std::string(kWho[who]) + ": did not end cleanly after the session");
    }
  }
  WaitForIconCount(0, 3000, target);
  return true;
}

// Start-up and Quit, ours and the window floor started in turn, for each
// scenario in every round; the first round warms the file cache and is not
// counted. Ours also shows its window once after each start with the 8 x
// 1023 B texts. Quit is timed with those texts.
void MeasureStarts(const Contender (&contenders)[2], const std::vector<StartScenario>& scenarios,
                   const std::wstring& settings, const Config& config, Target& target,
                   Results& results) {
  results.starts.assign(scenarios.size(), StartFigures{});
  for (int round = 0; round <= config.starts; ++round) {
    for (size_t scenario = 0; scenario < scenarios.size(); ++scenario) {
      const StartScenario& texts = scenarios[scenario];
      const bool timed = scenario == 0;  // Quit and the first showing
      for (int who : {kOurs, kFloor}) {
        // Ours stores its texts when it ends: the file is set afresh for
        // every start.
        if (texts.settingsFile) {
          WriteSettings(settings, texts.texts);
        } else {
          DeleteFileW(settings.c_str());
        }
        Contender contender = contenders[who];
        if (who == kFloor) contender.args += Arguments(texts.texts);
        Child child;
        double toPaste = -1, toTray = -1;
        if (!StartAndWait(child, who, contender, target, &toPaste, &toTray)) {
          results.notes.push_back(std::string(kStartWho[who]) + ": a start (" + texts.name +
                                  ") did not paste or show its icon");
          continue;
        }
        double firstShowing = -1;
        if (who == kOurs && timed) {
          const double asked = NowMs();
          if (ShowWindowFromTray(child, target)) firstShowing = NowMs() - asked;
          // Hidden again, as the floor is, for the Quit that follows.
          if (firstShowing >= 0 && ClickOK(child) < 0) firstShowing = -1;
        }
        const double quit = child.Close(child.FindWindowOfClass(contender.mainClass), 10000);
        if (quit < 0 || child.ExitCode() != 0) {
          results.notes.push_back(std::string(kStartWho[who]) +
                                  ": a Quit did not end the process cleanly");
        }
        if (!WaitForIconCount(0, 3000, target)) {
          results.notes.push_back(std::string(kStartWho[who]) + ": the tray icon stayed after the exit");
        }
        if (firstShowing >= 0) FrontOrNote(target, "after a first showing", results);
        if (round == 0) continue;
        results.starts[scenario].toPaste[who].push_back(toPaste);
        results.starts[scenario].toTray[who].push_back(toTray);
        if (timed && quit >= 0) results.quit[who].push_back(quit);
        if (firstShowing >= 0) results.firstShowing.push_back(firstShowing);
      }
    }
  }
}

// --- Report -------------------------------------------------------------------

struct Row {
  std::string name;
  std::string unit;
  double ours;
  double floor;  // NaN: no floor figure
  std::string goal;
  int met;  // 1 met, 0 missed, -1 no goal
  std::string against = "";  // the floor: "window", "bare", or "" for none
};

constexpr const char* kWindowFloor = "window";
constexpr const char* kBareFloor = "bare";

std::string Figure(double value) {
  if (std::isnan(value)) return "-";
  char text[32];
  std::snprintf(text, sizeof text, std::fabs(value) >= 100 ? "%.0f" : "%.2f", value);
  return text;
}

void AddRatioRow(std::vector<Row>& rows, const std::string& name, const std::string& unit,
                 double ours, double floor, double goal) {
  char goalText[16] = "";
  if (goal > 0) std::snprintf(goalText, sizeof goalText, "<= %.1fx", goal);
  rows.push_back({name, unit, ours, floor, goalText, goal > 0 ? (ours <= goal * floor) : -1});
}

std::vector<Row> BuildRows(const Results& r, const std::vector<StartScenario>& scenarios) {
  std::vector<Row> rows;
  const double none = std::nan("");
  for (int size : kTextSizes) {
    const auto& ours = r.latency[kOurs].at(size);
    const auto& floor = r.latency[kFloor].at(size);
    const std::string name = "hot key -> paste, " + std::to_string(size) + " B, ";
    AddRatioRow(rows, name + "p50", "ms", Median(ours), Median(floor), 1.2);
    AddRatioRow(rows, name + "p95", "ms", Percentile(ours, 95), Percentile(floor, 95), 0);
    AddRatioRow(rows, name + "p99", "ms", Percentile(ours, 99), Percentile(floor, 99), 2.0);
    AddRatioRow(rows, name + "max", "ms", Maximum(ours), Maximum(floor), 0);
  }
  for (size_t i = 0; i < scenarios.size() && i < r.starts.size(); ++i) {
    const StartFigures& starts = r.starts[i];
    const std::string texts = ", " + scenarios[i].name + " (median)";
    AddRatioRow(rows, "start -> tray icon" + texts, "ms", Median(starts.toTray[kOurs]),
                Median(starts.toTray[kFloor]), 1.2);
    rows.back().against = kWindowFloor;
    AddRatioRow(rows, "start -> first paste" + texts, "ms", Median(starts.toPaste[kOurs]),
                Median(starts.toPaste[kFloor]), 1.2);
    rows.back().against = kWindowFloor;
  }
  rows.push_back({"first showing: double-click -> shown (median)", "ms",
                  Median(r.firstShowing), none, "", -1});
  rows.push_back({"first showing, texts of 1/100/1023 B and 5 defaults", "ms",
                  r.firstShowingShort, none, "", -1});
  AddRatioRow(rows, "Quit: WM_CLOSE -> exit, " + scenarios[0].name + " (median)", "ms",
              Median(r.quit[kOurs]), Median(r.quit[kFloor]), 0);
  rows.back().against = kWindowFloor;
  rows.push_back({"OK: click -> hidden, stored (median)", "ms", Median(r.ok), none, "", -1});
  rows.push_back({"OK: click -> hidden, stored (max)", "ms", Maximum(r.ok), none, "", -1});
  AddRatioRow(rows, ".exe size", "KiB", r.exeKiB[kOurs], r.exeKiB[kFloor], 0);

  auto at = [&](int who, const std::string& when) {
    for (const auto& [name, footprint] : r.footprint[who]) {
      if (name == when) return footprint;
    }
    return Footprint{};
  };
  const Footprint oursStart = at(kOurs, "start"), floorStart = at(kFloor, "start");
  AddRatioRow(rows, "private bytes after start", "KiB", oursStart.privateKiB, floorStart.privateKiB, 0);
  AddRatioRow(rows, "working set after start", "KiB", oursStart.workingSetKiB,
              floorStart.workingSetKiB, 0);
  const Footprint oursWarm = at(kOurs, "warm (after latency)");
  const Footprint floorWarm = at(kFloor, "warm (after latency)");
  const Footprint oursPastes = at(kOurs, "pastes"), floorPastes = at(kFloor, "pastes");
  const Footprint oursCycles = at(kOurs, "show/hide cycles");
  // Growth after warm-up; a few pages of slack for the allocator.
  constexpr double kSlackKiB = 64;
  auto growth = [&](const std::string& name, double ours, double floor) {
    rows.push_back({name, "KiB", ours, floor, "no growth", ours <= kSlackKiB ? 1 : 0});
  };
  growth("private growth over the pastes", oursPastes.privateKiB - oursWarm.privateKiB,
         floorPastes.privateKiB - floorWarm.privateKiB);
  growth("working-set growth over the pastes", oursPastes.workingSetKiB - oursWarm.workingSetKiB,
         floorPastes.workingSetKiB - floorWarm.workingSetKiB);
  growth("private growth over the show/hide cycles", oursCycles.privateKiB - oursPastes.privateKiB,
         none);
  growth("working-set growth over the show/hide cycles",
         oursCycles.workingSetKiB - oursPastes.workingSetKiB, none);
  rows.push_back({"windows after start", "", static_cast<double>(oursStart.windows),
                  static_cast<double>(floorStart.windows), "", -1});
  rows.push_back({"window growth after warm-up", "",
                  static_cast<double>(oursCycles.windows - at(kOurs, "shown once").windows),
                  static_cast<double>(floorPastes.windows - floorWarm.windows), "no growth",
                  oursCycles.windows == at(kOurs, "shown once").windows ? 1 : 0});
  if (r.guiCounted) {
    rows.push_back({"USER objects after start", "", static_cast<double>(oursStart.userObjects),
                    static_cast<double>(floorStart.userObjects), "", -1});
    rows.push_back({"USER object growth after warm-up", "",
                    static_cast<double>(oursCycles.userObjects) - oursWarm.userObjects,
                    static_cast<double>(floorPastes.userObjects) - floorWarm.userObjects,
                    "no growth", oursCycles.userObjects <= oursWarm.userObjects ? 1 : 0});
    rows.push_back({"GDI objects after start", "", static_cast<double>(oursStart.gdiObjects),
                    static_cast<double>(floorStart.gdiObjects), "", -1});
    rows.push_back({"GDI object growth after warm-up", "",
                    static_cast<double>(oursCycles.gdiObjects) - oursWarm.gdiObjects,
                    static_cast<double>(floorPastes.gdiObjects) - floorWarm.gdiObjects,
                    "no growth", oursCycles.gdiObjects <= oursWarm.gdiObjects ? 1 : 0});
  }
  if (r.handlesCounted) rows.push_back({"handles after start", "", static_cast<double>(oursStart.handles),
                  static_cast<double>(floorStart.handles), "", -1});
  if (r.handlesCounted) rows.push_back({"handle growth after warm-up", "",
                  static_cast<double>(oursCycles.handles) - oursWarm.handles,
                  static_cast<double>(floorPastes.handles) - floorWarm.handles, "no growth",
                  oursCycles.handles <= oursWarm.handles ? 1 : 0});

  const std::string idle = " idle";
  AddRatioRow(rows, "CPU time over the idle time", "ms", r.idleCpuMs[kOurs], r.idleCpuMs[kFloor], 0);
  if (r.idle[kOurs].found && r.idle[kFloor].found) {
    const auto ours = static_cast<double>(r.idleMainThreadSwitches[kOurs]);
    const auto floor = static_cast<double>(r.idleMainThreadSwitches[kFloor]);
    rows.push_back({"main-thread wake-ups over the idle time", "", ours, floor, "no timers",
                    ours <= floor ? 1 : 0});
    rows.push_back({"context switches, all threads, idle", "",
                    static_cast<double>(r.idle[kOurs].contextSwitches),
                    static_cast<double>(r.idle[kFloor].contextSwitches), "", -1});
  }
  // The rest are from the session beside the bare floor.
  for (Row& row : rows) {
    if (row.against.empty() && !std::isnan(row.floor)) row.against = kBareFloor;
  }
  return rows;
}

std::string NameOf(const Row& row) {
  return row.unit.empty() ? row.name : row.name + " (" + row.unit + ")";
}

void PrintTable(const std::vector<Row>& rows) {
  int width = 0;
  for (const Row& row : rows) width = std::max(width, static_cast<int>(NameOf(row).size()));
  std::printf("\n%-*s %10s %10s %-8s %8s %-10s %s\n", width, "measure", "ours", "floor",
              "floor is", "ratio", "goal", "");
  for (const Row& row : rows) {
    std::string ratio = "-";
    if (!std::isnan(row.floor) && row.floor > 0 && row.ours >= 0) {
      char text[16];
      std::snprintf(text, sizeof text, "%.2fx", row.ours / row.floor);
      ratio = text;
    }
    std::printf("%-*s %10s %10s %-8s %8s %-10s %s\n", width, NameOf(row).c_str(), Figure(row.ours).c_str(),
                Figure(row.floor).c_str(), row.against.c_str(), ratio.c_str(), row.goal.c_str(),
                row.met == 1 ? "met" : row.met == 0 ? "MISSED" : "");
  }
  std::printf("floor is: window = WindowFloor.exe, started in turn with ours; bare = Floor.exe, "
              "running beside ours\n");
}

std::string JsonNumber(double value) { return std::isnan(value) ? "null" : Figure(value); }

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string JsonArray(const std::vector<double>& values) {
  std::string out = "[";
  for (size_t i = 0; i < values.size(); ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%.4f", i ? "," : "", values[i]);
    out += text;
  }
  return out + "]";
}

void WriteJson(const char* path, const Config& config, const Results& r,
               const std::vector<StartScenario>& scenarios, const std::vector<Row>& rows) {
  FILE* file = std::fopen(path, "w");
  if (!file) return;
  std::fprintf(file, "{\n  \"machine\": %s,\n", JsonString(config.machine).c_str());
  std::fprintf(file,
               "  \"config\": {\"idle_seconds\": %.1f, \"presses\": %d, \"warmup_presses\": %d, "
               "\"pastes\": %d, \"cycles\": %d, \"starts\": %d, \"ok_runs\": %d},\n",
               config.idleSeconds, config.presses, config.warmupPresses, config.pastes,
               config.cycles, config.starts, config.okRuns);
  std::fprintf(file, "  \"rows\": [\n");
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    std::fprintf(file,
                 "    {\"name\": %s, \"unit\": %s, \"ours\": %s, \"floor\": %s, "
                 "\"against\": %s, \"goal\": %s, \"met\": %s}%s\n",
                 JsonString(row.name).c_str(), JsonString(row.unit).c_str(),
                 JsonNumber(row.ours).c_str(), JsonNumber(row.floor).c_str(),
                 row.against.empty() ? "null" : JsonString(row.against).c_str(),
                 JsonString(row.goal).c_str(),
                 row.met < 0 ? "null" : row.met ? "true" : "false", i + 1 < rows.size() ? "," : "");
  }
  std::fprintf(file, "  ],\n");
  // Start-up and Quit: ours against the window floor, in turn.
  std::fprintf(file, "  \"starts\": {\n    \"floor_program\": \"WindowFloor.exe\", "
               "\"floor_exe_kib\": %s,\n", Figure(r.windowFloorExeKiB).c_str());
  for (size_t i = 0; i < scenarios.size() && i < r.starts.size(); ++i) {
    std::fprintf(file, "    %s: {\"name\": %s", JsonString(scenarios[i].key).c_str(),
                 JsonString(scenarios[i].name).c_str());
    for (int who : {kOurs, kFloor}) {
      std::fprintf(file, ",\n      %s: {\"start_to_paste_ms\": %s, \"start_to_tray_icon_ms\": %s",
                   JsonString(kWho[who]).c_str(), JsonArray(r.starts[i].toPaste[who]).c_str(),
                   JsonArray(r.starts[i].toTray[who]).c_str());
      if (i == 0) std::fprintf(file, ", \"quit_ms\": %s", JsonArray(r.quit[who]).c_str());
      std::fprintf(file, "}");
    }
    std::fprintf(file, "}%s\n", i + 1 < scenarios.size() ? "," : "");
  }
  std::fprintf(file, "  },\n");
  for (int who : {kOurs, kFloor}) {
    std::fprintf(file, "  %s: {\n", JsonString(kWho[who]).c_str());
    for (int size : kTextSizes) {
      std::fprintf(file, "    \"latency_ms_%d\": %s,\n", size,
                   JsonArray(r.latency[who].at(size)).c_str());
    }
    std::fprintf(file, "    \"latency_misses\": %d,\n", r.latencyMisses[who]);
    if (who == kOurs) {
      std::fprintf(file, "    \"ok_ms\": %s,\n", JsonArray(r.ok).c_str());
      std::fprintf(file, "    \"first_showing_ms\": %s,\n", JsonArray(r.firstShowing).c_str());
      std::fprintf(file, "    \"first_showing_short_texts_ms\": %s,\n",
                   JsonNumber(r.firstShowingShort).c_str());
    }
    std::fprintf(file, "    \"idle_cpu_ms\": %s,\n", JsonNumber(r.idleCpuMs[who]).c_str());
    if (r.idle[who].found) {
      std::fprintf(file,
                   "    \"idle_context_switches\": %lld, \"idle_voluntary_switches\": %lld, "
                   "\"idle_main_thread_switches\": %lld, \"unix_threads\": %d,\n",
                   r.idle[who].contextSwitches, r.idle[who].voluntarySwitches,
                   r.idleMainThreadSwitches[who], r.idle[who].threads);
    }
    std::fprintf(file, "    \"exe_kib\": %s,\n    \"footprint\": [\n", Figure(r.exeKiB[who]).c_str());
    const auto& footprints = r.footprint[who];
    for (size_t i = 0; i < footprints.size(); ++i) {
      const Footprint& f = footprints[i].second;
      std::fprintf(file,
                   "      {\"when\": %s, \"working_set_kib\": %.0f, \"private_kib\": %.0f, "
                   "\"windows\": %d, \"user_objects\": %lu, \"gdi_objects\": %lu, "
                   "\"handles\": %lu}%s\n",
                   JsonString(footprints[i].first).c_str(), f.workingSetKiB, f.privateKiB,
                   f.windows, f.userObjects, f.gdiObjects, f.handles,
                   i + 1 < footprints.size() ? "," : "");
    }
    std::fprintf(file, "    ]\n  },\n");
  }
  std::fprintf(file, "  \"notes\": [");
  for (size_t i = 0; i < r.notes.size(); ++i) {
    std::fprintf(file, "%s%s", i ? ", " : "", JsonString(r.notes[i]).c_str());
  }
  std::fprintf(file, "]\n}\n");
  std::fclose(file);
}

// Sorted samples against their cumulative share, for the plot.
void WriteDistribution(const std::string& path, std::vector<double> samples) {
  FILE* file = std::fopen(path.c_str(), "w");
  if (!file) return;
  std::sort(samples.begin(), samples.end());
  for (size_t i = 0; i < samples.size(); ++i) {
    std::fprintf(file, "%.4f %.3f\n", samples[i],
                 100.0 * static_cast<double>(i + 1) / static_cast<double>(samples.size()));
  }
  std::fclose(file);
}

Config ParseArgs(int argc, wchar_t** argv) {
  Config config;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring name = argv[i];
    const wchar_t* value = argv[i + 1];
    if (name == L"--idle") config.idleSeconds = _wtof(value);
    if (name == L"--presses") config.presses = _wtoi(value);
    if (name == L"--pastes") config.pastes = _wtoi(value);
    if (name == L"--cycles") config.cycles = _wtoi(value);
    if (name == L"--starts") config.starts = _wtoi(value);
    if (name == L"--machine") {
      for (const wchar_t* c = value; *c; ++c) config.machine += static_cast<char>(*c & 0x7F);
    }
  }
  return config;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

}  // namespace

int Run(int argc, wchar_t** argv) {
  const Config config = ParseArgs(argc, argv);
  std::wstring self(MAX_PATH, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  const std::wstring built = FolderOf(self);

  // A folder of their own, so that the settings file is ours to write.
  std::wstring folder(MAX_PATH, L'\0');
  folder.resize(GetTempPathW(MAX_PATH, folder.data()));
  folder += L"ordfalk-bench-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  const Contender contenders[2] = {
      {folder + L"Ordfalk.exe", L"", L"TfrmMain"},
      {folder + L"Floor.exe",
       Wide(TextOfSize(1) + " " + TextOfSize(100) + " " + TextOfSize(1023)),
       L"FloorMain"},
  };
  // Ours and the window floor, for start-up and Quit; the texts follow.
  const Contender startContenders[2] = {
      contenders[kOurs], {folder + L"WindowFloor.exe", L"--window", L"FloorMain"}};
  const wchar_t* names[3] = {L"Ordfalk.exe", L"Floor.exe", L"WindowFloor.exe"};
  const std::wstring copies[3] = {contenders[kOurs].exe, contenders[kFloor].exe,
                                  startContenders[kFloor].exe};
  for (int i = 0; i < 3; ++i) {
    if (!CopyFileW((built + names[i]).c_str(), copies[i].c_str(), FALSE)) {
      std::fprintf(stderr, "bench: cannot copy %ls\n", names[i]);
      return 2;
    }
  }
  const std::wstring settings = folder + L"Ordfalk.INI";

  Target target;
  if (!target.Create()) {
    std::fprintf(stderr, "bench: the target window cannot be brought to the front\n");
    return 2;
  }
  Results results;
  // The driver has windows of its own: a 0 here means the count is not kept.
  results.guiCounted = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS) > 0;
  DWORD ownHandles = 0;
  results.handlesCounted = GetProcessHandleCount(GetCurrentProcess(), &ownHandles) && ownHandles > 0;
  for (int who : {kOurs, kFloor}) results.exeKiB[who] = FileKiB(contenders[who].exe);
  results.windowFloorExeKiB = FileKiB(startContenders[kFloor].exe);

  // The longest texts ours stores, and the defaults it shows without a
  // settings file.
  std::vector<StartScenario> scenarios = {
      {"8 x " + std::to_string(kFullText) + " B", "8x" + std::to_string(kFullText), {}, true},
      {"defaults", "defaults", {}, false}};
  for (int slot = 1; slot <= 8; ++slot) {
    scenarios[0].texts.push_back(TextOfSize(kFullText));
    scenarios[1].texts.push_back("Text " + std::to_string(slot));
  }

  const double began = NowMs();
  std::fprintf(stderr, "bench: start-up and Quit, %d starts each with 8 x %d B and the defaults\n",
               config.starts, kFullText);
  MeasureStarts(startContenders, scenarios, settings, config, target, results);
  std::fprintf(stderr, "bench: both running side by side\n");
  if (!RunSessions(contenders, settings, config, target, results)) return 1;
  for (int who : {kOurs, kFloor}) {
    if (results.latencyMisses[who]) {
      results.notes.push_back(std::string(kWho[who]) + ": " +
                              std::to_string(results.latencyMisses[who]) +
                              " hot keys gave no paste within 2 s");
    }
  }
  for (const std::string& miss : results.misses) results.notes.push_back("no paste: " + miss);
  if (!results.guiCounted) {
    results.notes.push_back(
        "USER and GDI objects, handles: GetGuiResources and GetProcessHandleCount give 0 "
        "here (Wine does not count them); the window count stands in for USER objects");
  }
  if (!results.idle[kOurs].found) {
    results.notes.push_back("context switches: the Linux process was not found under /proc");
  }

  const std::vector<Row> rows = BuildRows(results, scenarios);
  PrintTable(rows);
  for (const std::string& note : results.notes) std::printf("note: %s\n", note.c_str());
  std::printf("(%.0f s)\n", (NowMs() - began) / 1000);
  WriteJson("bench.json", config, results, scenarios, rows);
  for (int who : {kOurs, kFloor}) {
    for (int size : kTextSizes) {
      WriteDistribution("latency-" + std::string(kWho[who]) + "-" + std::to_string(size) + ".dat",
                        results.latency[who].at(size));
    }
  }
  for (const std::wstring& copy : copies) DeleteFileW(copy.c_str());
  DeleteFileW(settings.c_str());
  RemoveDirectoryW(folder.c_str());
  return 0;
}

}  // namespace bench

int wmain(int argc, wchar_t** argv) { return bench::Run(argc, argv); }
