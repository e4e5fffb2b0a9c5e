// The settings file through the platform's profile functions, held open
// while its values are read.
#include <windows.h>

#include "SettingsFile.h"
#include "WinText.h"

namespace ordfalk {

namespace {

// The file, held open for reading while its values are read. At first the
// hold lets others read the file and delete it but not write it, so that no
// program can empty it and write it again in place between the reads. A
// program that replaces the file whole (a new file renamed over it) cannot
// either while the hold lasts: on Windows that replace fails, access denied,
// for those few milliseconds. Nothing keeps out a program that opened the
// file before, or one that ignores the hold.
class SettingsHold {
 public:
  // Opens the file and reads it once through the handle. A file that
  // another program writes, holds alone, or has locked is waited for, up to
  // WaitMs; then one more try lets writers share it. Without a wait it is
  // unreadable: a writer may have emptied it and not yet written it again.
  SettingsHold(const std::wstring& name, DWORD waitMs);
  SettingsHold(const SettingsHold&) = delete;
  SettingsHold& operator=(const SettingsHold&) = delete;
  ~SettingsHold() { Release(); }

  FileAccess Access() const { return access_; }
  // Whether the file, read through the handle, held anything at all.
  bool HasContent() const { return hasContent_; }
  void Release();

 private:
  // Reads the whole file; false when a read is refused.
  bool ReadThrough();

  HANDLE file_ = INVALID_HANDLE_VALUE;
  FileAccess access_ = FileAccess::kAbsent;
  bool hasContent_ = false;
};

SettingsHold::SettingsHold(const std::wstring& name, DWORD waitMs) {
  const DWORD start = GetTickCount();
  DWORD sharing = FILE_SHARE_READ | FILE_SHARE_DELETE;
  for (;;) {
    file_ = CreateFileW(name.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ != INVALID_HANDLE_VALUE && ReadThrough()) {
      access_ = FileAccess::kRead;
      return;
    }
    const DWORD error = GetLastError();
    Release();
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))) {
      access_ = FileAccess::kAbsent;
      return;
    }
    const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    const bool shared = sharing & FILE_SHARE_WRITE;
    if (!busy || shared || waitMs == 0) {
      access_ = FileAccess::kUnreadable;
      return;
    }
    // A writer that keeps the file open for long: share it with that one.
    if (GetTickCount() - start >= waitMs) {
      sharing |= FILE_SHARE_WRITE;
      continue;
    }
    Sleep(waitMs < 1000 ? 20 : 100);
  }
}

bool SettingsHold::ReadThrough() {
  char buffer[4096];
  DWORD got = 0;
  for (;;) {
    if (!ReadFile(file_, buffer, sizeof buffer, &got, nullptr)) return false;
    if (got == 0) return true;
    hasContent_ = true;
  }
}

void SettingsHold::Release() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

}  // namespace

FileReading ProfileSettingsFile::Read(const std::vector<Text>& keys, bool wait) {
  FileReading reading;
  reading.values.assign(keys.size(), kIniNoValue);
  {
    SettingsHold hold(Wide(fileName_.empty() ? IniDefaultFileName(AppExePath()) : fileName_),
                      wait ? waitMs_ : 0);
    reading.access = hold.Access();
    if (reading.access == FileAccess::kAbsent) return reading;
    auto readValues = [&] {
      bool any = false;
      for (size_t i = 0; i < keys.size(); ++i) {
        reading.values[i] = IniReadString(section_, keys[i], kIniNoValue, fileName_);
        any = any || reading.values[i] != kIniNoValue;
      }
      return any;
    };
    // A reader of the platform's that would not share the file with the hold
    // finds nothing in it: read once more without the hold.
    if (!readValues() && hold.HasContent()) {
      hold.Release();
      readValues();
    }
  }
  // Every read and write here leaves the platform no copy of the file, so
  // that none starts from one; this once the hold, which keeps the file
  // from being opened to write, is gone.
  IniForgetCopy(fileName_);
  return reading;
}

void ProfileSettingsFile::Write(const Text& key, const Text& value) {
  IniWriteStringUnchecked(section_, key, value, fileName_);
}

}  // namespace ordfalk
