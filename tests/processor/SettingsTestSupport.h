// Test helpers for the processor's settings files: a fresh per-user folder per test, file text in and out,
// and the lines this process wrote to the log.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "common/Logger.h"

namespace settingstest {

namespace fs = std::filesystem;

inline std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

// The log as written so far (the log file of this process).
inline std::string LogText() {
  return ReadText(GetLogger().LogFilePath());
}

// The temporary folder (and so the log) of the whole process: set once, before the first log line.
class ProcessFolders {
public:
  ProcessFolders() {
    mRoot = fs::temp_directory_path() / ("velmora-settings-" + std::to_string(::getpid()));
    fs::create_directories(mRoot / "tmp");
    for (const char* name : {"TMPDIR", "TEMP", "TMP"})
      ::setenv(name, (mRoot / "tmp").c_str(), 1);
  }
  ~ProcessFolders() {
    std::error_code ec;
    fs::remove_all(mRoot, ec);
  }
  const fs::path& Root() const { return mRoot; }

private:
  fs::path mRoot;
};

inline ProcessFolders& Folders() {
  static ProcessFolders folders;
  return folders;
}

// A fresh, empty per-user configuration for one test: XDG_CONFIG_HOME and HOME point into a new folder.
// The settings folder itself (Velmora/) does not exist yet.
class FreshUserFolders {
public:
  FreshUserFolders() {
    static int next = 0;
    mRoot = Folders().Root() / ("user-" + std::to_string(++next));
    fs::create_directories(mRoot / "config");
    fs::create_directories(mRoot / "home");
    ::setenv("XDG_CONFIG_HOME", (mRoot / "config").c_str(), 1);
    ::setenv("HOME", (mRoot / "home").c_str(), 1);
  }
  fs::path AppData() const { return mRoot / "config" / "Velmora"; }
  fs::path Prefs() const { return AppData() / "preferences.json"; }
  fs::path WindowStateFile() const { return AppData() / "window-state.json"; }

private:
  fs::path mRoot;
};

} // namespace settingstest
