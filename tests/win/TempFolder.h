// A fresh folder under the Windows temp folder for one test, removed with
// everything in it at the end.
#pragma once

#include <windows.h>

#include <string>

#include "FileBytes.h"
#include "Toolz.h"
#include "WinText.h"

namespace ordfalk::testing_support {

class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, base);
    for (unsigned n = GetTickCount();; ++n) {
      path_ = std::wstring(base) + L"ordfalk-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(n);
      if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    }
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() { RemoveTree(path_); }

  // The full path of Name inside the folder.
  Text File(const std::wstring& name) const { return FromWide(path_ + L"\\" + name); }

 private:
  static void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring inner = folder + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(inner);
        } else {
          DeleteFileW(inner.c_str());
        }
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
  }

  std::wstring path_;
};

// The bytes of a file, or an empty string when it cannot be read.
inline std::string ReadBytes(const Text& fileName) { return file_bytes::ReadBytes(Wide(fileName)); }

inline void WriteBytes(const Text& fileName, const std::string& bytes) {
  file_bytes::WriteBytes(Wide(fileName), bytes);
}

inline bool Exists(const Text& fileName) {
  return GetFileAttributesW(Wide(fileName).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace ordfalk::testing_support
