// The built Ordfalk.exe as a file: what Explorer's Properties show of it,
// and nothing in it that changes from one build to the next.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "OrdfalkApp.h"

namespace {

const std::wstring& ProgramPath() {
  static const std::wstring path = e2e::BuiltProgram();
  return path;
}

std::vector<BYTE> VersionInfo() {
  const DWORD size = GetFileVersionInfoSizeW(ProgramPath().c_str(), nullptr);
  std::vector<BYTE> data(size);
  if (size == 0 || !GetFileVersionInfoW(ProgramPath().c_str(), 0, size, data.data())) data.clear();
  return data;
}

std::wstring VersionText(std::vector<BYTE>& data, const wchar_t* block, const wchar_t* name) {
  const std::wstring query = std::wstring(L"\\StringFileInfo\\") + block + L"\\" + name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), query.c_str(), &value, &length) || length == 0) {
    return L"(missing)";
  }
  return static_cast<const wchar_t*>(value);
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

}  // namespace

TEST(VersionResource, NamesTheProductAndVersionInBothLanguages) {
  std::vector<BYTE> data = VersionInfo();
  ASSERT_FALSE(data.empty()) << "no version information in " << Narrow(ProgramPath());

  struct Case {
    const wchar_t* block;
    const wchar_t* name;
    const wchar_t* want;
  };
  const Case cases[] = {
      {L"040904B0", L"ProductName", L"Ordfalk"},
      {L"040904B0", L"ProductVersion", L"1.0"},
      {L"040904B0", L"FileVersion", L"1.0"},
      {L"040904B0", L"FileDescription", L"Ordfalk \u2013 text hot keys"},
      {L"041D04B0", L"ProductName", L"Ordfalk"},
      {L"041D04B0", L"ProductVersion", L"1.0"},
      {L"041D04B0", L"FileVersion", L"1.0"},
      {L"041D04B0", L"FileDescription", L"Ordfalk \u2013 snabbtexter"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VersionText(data, c.block, c.name), c.want)
        << Narrow(c.block) << " " << Narrow(c.name);
  }

  // The numeric version, which Windows shows where the texts are missing.
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);

  // Both string blocks are announced, so either language finds its own.
  DWORD* translations = nullptr;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translations), &length));
  ASSERT_EQ(length, 2 * sizeof(DWORD));
  EXPECT_EQ(translations[0], MAKELONG(0x0409, 1200));
  EXPECT_EQ(translations[1], MAKELONG(0x041D, 1200));
}

// The built program's bytes and its PE headers, checked for shape.
struct PeImage {
  std::vector<char> bytes;
  const IMAGE_NT_HEADERS64* nt = nullptr;

  // The zero-terminated text at a relative virtual address, or "" when it
  // lies outside every section.
  std::string TextAt(DWORD rva) const {
    const char* at = At(rva, 1);
    if (!at) return {};
    const char* end = bytes.data() + bytes.size();
    return std::string(at, std::find(at, end, '\0'));
  }

  // Count bytes at a relative virtual address, or null when they do not lie
  // in one section of the file.
  const char* At(DWORD rva, size_t count) const {
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
      const DWORD start = section->VirtualAddress;
      if (rva < start || rva - start + count > section->SizeOfRawData) continue;
      const size_t offset = size_t{section->PointerToRawData} + (rva - start);
      return offset + count <= bytes.size() ? bytes.data() + offset : nullptr;
    }
    return nullptr;
  }
};

void ReadPeImage(PeImage& image) {
  std::ifstream file(ProgramPath().c_str(), std::ios::binary);
  image.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  const std::vector<char>& bytes = image.bytes;
  ASSERT_GT(bytes.size(), sizeof(IMAGE_DOS_HEADER));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
  ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64), bytes.size());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(bytes.data() + dos->e_lfanew);
  ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
  ASSERT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
  const auto* sections = reinterpret_cast<const char*>(IMAGE_FIRST_SECTION(nt));
  ASSERT_LE(static_cast<size_t>(sections - bytes.data()) +
                nt->FileHeader.NumberOfSections * sizeof(IMAGE_SECTION_HEADER),
            bytes.size());
  image.nt = nt;
}

// A time stamp in the PE header, or a debug directory (which carries one),
// makes every build of the same sources differ.
TEST(ReleaseFile, CarriesNoTimeStampOrDebugDirectory) {
  PeImage image;
  ASSERT_NO_FATAL_FAILURE(ReadPeImage(image));
  const IMAGE_NT_HEADERS64* nt = image.nt;

  EXPECT_EQ(nt->FileHeader.TimeDateStamp, 0u);
  const IMAGE_DATA_DIRECTORY& debug =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DEBUG];
  EXPECT_EQ(debug.VirtualAddress, 0u);
  EXPECT_EQ(debug.Size, 0u);
  // Stripped: no symbol table to carry build paths.
  EXPECT_EQ(nt->FileHeader.PointerToSymbolTable, 0u);
}

// People start the program where they unpacked it, often the downloads
// folder, where a web page can leave a DLL of any name. Windows takes a
// known DLL from the system folder only, and common controls 6 from the
// side-by-side store the manifest names; any other DLL in the import table
// would be looked for beside the .exe first and run before the program.
// Nor may it name a function that an older Windows lacks.
TEST(ReleaseFile, ImportsOnlyDllsThatCannotBePlantedBesideIt) {
  // HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs as
  // Windows 10 and 11 ship it (the entries that serve 32-bit and emulated
  // processes left out).
  static const char* const kKnownDlls[] = {
      "advapi32.dll", "clbcatq.dll",  "combase.dll",  "comdlg32.dll", "coml2.dll",
      "difxapi.dll",  "gdi32.dll",    "gdiplus.dll",  "imagehlp.dll", "imm32.dll",
      "kernel32.dll", "msctf.dll",    "msvcrt.dll",   "normaliz.dll", "nsi.dll",
      "ole32.dll",    "oleaut32.dll", "psapi.dll",    "rpcrt4.dll",   "sechost.dll",
      "setupapi.dll", "shcore.dll",   "shell32.dll",  "shlwapi.dll",  "user32.dll",
      "wldap32.dll",  "ws2_32.dll"};
  // Functions that Windows 7 or 8.1 lack, from DLLs it has: named in the
  // import table they would stop the program there before it starts, so
  // they are looked up at run time.
  static const char* const kNewerFunctions[] = {
      "GetDpiForWindow",        "AdjustWindowRectExForDpi",      "GetDpiForSystem",
      "GetSystemMetricsForDpi", "SystemParametersInfoForDpi",    "SetThreadDpiAwarenessContext",
      "GetDpiForMonitor",       "SetProcessDpiAwarenessContext", "EnableNonClientDpiScaling"};
  PeImage image;
  ASSERT_NO_FATAL_FAILURE(ReadPeImage(image));
  const IMAGE_DATA_DIRECTORY& imports =
      image.nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  ASSERT_NE(imports.VirtualAddress, 0u);

  bool kernel32 = false;  // the walk found the table at all
  bool getProcAddress = false;  // and the names in it
  for (DWORD rva = imports.VirtualAddress;; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const char* at = image.At(rva, sizeof(IMAGE_IMPORT_DESCRIPTOR));
    ASSERT_NE(at, nullptr) << "import directory runs off its section";
    IMAGE_IMPORT_DESCRIPTOR entry;
    std::memcpy(&entry, at, sizeof entry);
    if (entry.Name == 0) break;
    std::string name = image.TextAt(entry.Name);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    kernel32 = kernel32 || name == "kernel32.dll";
    const bool known =
        std::find(std::begin(kKnownDlls), std::end(kKnownDlls), name) != std::end(kKnownDlls);
    EXPECT_TRUE(known || name == "comctl32.dll") << "'" << name << "' is not a known DLL";

    // The names imported from it, up to the null entry; imports by number
    // name nothing.
    DWORD thunk = entry.OriginalFirstThunk ? entry.OriginalFirstThunk : entry.FirstThunk;
    for (;; thunk += sizeof(ULONGLONG)) {
      const char* slot = image.At(thunk, sizeof(ULONGLONG));
      ASSERT_NE(slot, nullptr) << "names imported from " << name << " run off their section";
      ULONGLONG value;
      std::memcpy(&value, slot, sizeof value);
      if (value == 0) break;
      if (value & IMAGE_ORDINAL_FLAG64) continue;
      const std::string function = image.TextAt(static_cast<DWORD>(value) + sizeof(WORD));
      getProcAddress = getProcAddress || function == "GetProcAddress";
      EXPECT_EQ(std::find(std::begin(kNewerFunctions), std::end(kNewerFunctions), function),
                std::end(kNewerFunctions))
          << name << " " << function << " is imported";
    }
  }
  EXPECT_TRUE(kernel32);
  EXPECT_TRUE(getProcAddress);
}

// Address-space randomisation with all 64 bits of room, no code run from
// data pages, and no per-user redirection of the Windows folder on a
// terminal server.
TEST(ReleaseFile, AsksForTheLoadersProtections) {
  PeImage image;
  ASSERT_NO_FATAL_FAILURE(ReadPeImage(image));
  struct Flag {
    WORD bit;
    const char* name;
  };
  const Flag flags[] = {
      {IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, "DYNAMIC_BASE"},
      {IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA, "HIGH_ENTROPY_VA"},
      {IMAGE_DLLCHARACTERISTICS_NX_COMPAT, "NX_COMPAT"},
      {IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE, "TERMINAL_SERVER_AWARE"},
  };
  const WORD characteristics = image.nt->OptionalHeader.DllCharacteristics;
  for (const Flag& flag : flags) {
    EXPECT_NE(characteristics & flag.bit, 0) << flag.name << " is not set";
  }
}
