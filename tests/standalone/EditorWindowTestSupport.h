// Shared pieces of the tests that open the real editor in the program's main window: fresh per-user
// folders for the test process, a file's text, and a page script's answer.
#pragma once

#include "Keel/Platform/GuiTestSupport.h"
#include "processor/Velmora.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

namespace editorwindowtest {

// Points the log, the temporary folder, home and the XDG folders at dir, which is made.
inline void UseFreshUserFolders(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir / "config");
  for (const char* name : {"TMPDIR", "TEMP", "TMP", "HOME"})
    ::setenv(name, dir.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
}

// A test environment that points the process at fresh per-user folders in a temporary folder named
// "<prefix><pid>", after `prepare(dir)` has run, and removes them at the end unless VLM_KEEP_TEST_DIR is set.
class FreshFoldersEnvironment : public ::testing::Environment {
public:
  explicit FreshFoldersEnvironment(std::string prefix,
                                   std::function<void(const std::filesystem::path&)> prepare = {})
      : mPrefix(std::move(prefix)), mPrepare(std::move(prepare)) {}
  void SetUp() override {
    Dir() = std::filesystem::temp_directory_path() / (mPrefix + std::to_string(::getpid()));
    std::filesystem::create_directories(Dir());
    if (mPrepare)
      mPrepare(Dir());
    UseFreshUserFolders(Dir());
  }
  void TearDown() override {
    if (std::getenv("VLM_KEEP_TEST_DIR"))
      return;
    std::error_code ignored;
    std::filesystem::remove_all(Dir(), ignored);
  }
  static std::filesystem::path& Dir() {
    static std::filesystem::path dir;
    return dir;
  }

private:
  std::string mPrefix;
  std::function<void(const std::filesystem::path&)> mPrepare;
};

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs a script in the page and waits for its JSON answer ("" when none came within 10 s).
inline std::string EvaluateInPage(Velmora& processor, const std::string& script) {
  // Shared, so that an answer arriving after a time-out writes nowhere it should not.
  struct Answer {
    std::string text;
    bool done = false;
  };
  auto answer = std::make_shared<Answer>();
  processor.EvaluateJavaScript(script.c_str(), [answer](const char* json) {
    answer->text = json ? json : "";
    answer->done = true;
  });
  keeltest::PumpUntil([&] { return answer->done; }, 10000);
  return answer->text;
}

} // namespace editorwindowtest
