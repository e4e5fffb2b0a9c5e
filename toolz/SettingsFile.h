// The settings file as the program's stores reach it: the values under a
// few keys of one section, read together as one state of the file, and one
// value written at a time. The platform's profile functions stand behind it
// in the program; the tests put a simulated file in its place.
#pragma once

#include <vector>

#include "INIToolz.h"

namespace ordfalk {

enum class FileAccess {
  kAbsent,      // no file there (or a folder in its place)
  kRead,        // read
  kUnreadable,  // there, but another program keeps it from being read
};

struct FileReading {
  FileAccess access = FileAccess::kAbsent;
  std::vector<Text> values;  // one per key asked for; kIniNoValue where none
};

class SettingsFile {
 public:
  virtual ~SettingsFile() = default;
  // The values under Keys, all from one state of the file. Wait: whether a
  // file that another program is writing or holds is waited for a moment.
  virtual FileReading Read(const std::vector<Text>& keys, bool wait) = 0;
  // Writes Value under Key. Whether it took effect, only a later read tells:
  // a refused write leaves the file as it was, and a write on a full volume
  // can cut the file short while it reports success.
  virtual void Write(const Text& key, const Text& value) = 0;
};

// The settings file through the platform's profile functions: Section of
// FileName (empty: the file beside the executable). A reading that waits
// waits up to WaitMs. Windows only.
class ProfileSettingsFile : public SettingsFile {
 public:
  ProfileSettingsFile(const Text& section, const Text& fileName, unsigned waitMs)
      : section_(section), fileName_(fileName), waitMs_(waitMs) {}
  FileReading Read(const std::vector<Text>& keys, bool wait) override;
  void Write(const Text& key, const Text& value) override;

 private:
  Text section_;
  Text fileName_;
  unsigned waitMs_;
};

}  // namespace ordfalk
