// Test helper: switches the whole process to a locale whose decimal point is ',' (German), building one with
// localedef into a temporary folder when none is installed, and back to "C" afterwards.
#pragma once

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace keeltest {

class CommaDecimalLocale {
public:
  // True when the global locale now prints 1.5 as "1,5".
  bool Enter() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8"})
      if (TryLocale(name))
        return true;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("vlm-locale-" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::create_directories(dir);
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0 && !std::filesystem::exists(dir / "de_DE.UTF-8" / "LC_NUMERIC"))
      return false;
    setenv("LOCPATH", dir.c_str(), 1);
    mBuiltDir = dir;
    return TryLocale("de_DE.UTF-8");
  }

  ~CommaDecimalLocale() {
    std::setlocale(LC_ALL, "C");
    if (!mBuiltDir.empty()) {
      unsetenv("LOCPATH");
      std::error_code ignored;
      std::filesystem::remove_all(mBuiltDir, ignored);
    }
  }

private:
  static bool TryLocale(const char* name) {
    if (!std::setlocale(LC_ALL, name))
      return false;
    if (std::strcmp(std::localeconv()->decimal_point, ",") == 0)
      return true;
    std::setlocale(LC_ALL, "C");
    return false;
  }
  std::filesystem::path mBuiltDir;
};

} // namespace keeltest
