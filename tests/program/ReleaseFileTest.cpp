// The built Ordfalk.exe as a file: what Explorer's Properties show of it,
// and nothing in it that changes from one build to the next.
#include <windows.h>

#include <gtest/gtest.h>

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

// A time stamp in the PE header, or a debug directory (which carries one),
// makes every build of the same sources differ.
TEST(ReleaseFile, CarriesNoTimeStampOrDebugDirectory) {
  std::ifstream file(ProgramPath().c_str(), std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(file),
                                std::istreambuf_iterator<char>()};
  ASSERT_GT(bytes.size(), sizeof(IMAGE_DOS_HEADER));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
  ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64), bytes.size());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(bytes.data() + dos->e_lfanew);
  ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
  ASSERT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);

  EXPECT_EQ(nt->FileHeader.TimeDateStamp, 0u);
  const IMAGE_DATA_DIRECTORY& debug =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DEBUG];
  EXPECT_EQ(debug.VirtualAddress, 0u);
  EXPECT_EQ(debug.Size, 0u);
  // Stripped: no symbol table to carry build paths.
  EXPECT_EQ(nt->FileHeader.PointerToSymbolTable, 0u);
}
