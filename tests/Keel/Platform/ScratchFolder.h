// Test helpers: a fresh folder removed afterwards, and environment variables restored afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace testutil {

class ScratchFolder {
public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vlm-test-XXXXXX").string();
    if (char* made = ::mkdtemp(pattern.data()))
      mPath = made;
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(mPath, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& Path() const { return mPath; }
  std::string operator/(const std::string& name) const { return mPath + "/" + name; }

private:
  std::string mPath;
};

// Sets or clears variables for one test and puts the old values back afterwards.
class ScopedEnv {
public:
  ~ScopedEnv() {
    for (const auto& [name, value] : mSaved) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }
  void Set(const std::string& name, const std::string& value) {
    Save(name);
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  void Unset(const std::string& name) {
    Save(name);
    ::unsetenv(name.c_str());
  }

private:
  void Save(const std::string& name) {
    if (mSaved.count(name))
      return;
    const char* v = std::getenv(name.c_str());
    mSaved[name] = v ? std::optional<std::string>(v) : std::nullopt;
  }
  std::map<std::string, std::optional<std::string>> mSaved;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

} // namespace testutil
