// Per-user special folders from the XDG base and user directories, and the temporary folder.
#include "Keel/Platform/SpecialFolders.h"

#include "Keel/Platform/FileSystemUTF8.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace keel {
namespace {

// The XDG rules ignore a relative value in a base-directory variable.
std::string AbsoluteEnv(const char* name) {
  std::string v = GetEnvironmentText(name);
  return (!v.empty() && v[0] == '/') ? v : std::string();
}

std::string BaseDir(const char* xdgName, const char* homeRelative) {
  std::string v = AbsoluteEnv(xdgName);
  if (!v.empty())
    return v;
  const std::string home = GetEnvironmentText("HOME");
  if (home.empty())
    return {};
  return JoinPath(home, homeRelative);
}

std::string UserDir(const char* key, const char* fallbackName) {
  const std::string home = GetEnvironmentText("HOME");
  const std::string config = BaseDir("XDG_CONFIG_HOME", ".config");
  if (!config.empty()) {
    std::ifstream in(JoinPath(config, "user-dirs.dirs"), std::ios::binary);
    if (in) {
      std::ostringstream text;
      text << in.rdbuf();
      std::string v = ParseUserDirsEntry(text.str(), key, home);
      if (!v.empty())
        return v;
    }
  }
  if (home.empty())
    return {};
  return JoinPath(home, fallbackName);
}

std::string Lookup(SpecialFolder folder) {
  switch (folder) {
  case SpecialFolder::RoamingAppData:
    return BaseDir("XDG_CONFIG_HOME", ".config");
  case SpecialFolder::LocalAppData:
    return BaseDir("XDG_DATA_HOME", ".local/share");
  case SpecialFolder::Documents:
    return UserDir("XDG_DOCUMENTS_DIR", "Documents");
  case SpecialFolder::Desktop:
    return UserDir("XDG_DESKTOP_DIR", "Desktop");
  }
  return {};
}

} // namespace

std::string GetEnvironmentText(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string GetTempFolderPath() {
  for (const char* name : {"TEMP", "TMP", "TMPDIR"}) {
    std::string v = GetEnvironmentText(name);
    if (!v.empty())
      return v;
  }
  return "/tmp";
}

std::string GetSpecialFolderPath(SpecialFolder folder, bool create) {
  std::string path = Lookup(folder);
  if (!path.empty() && create)
    CreateDirectoryTreeUTF8(path);
  return path;
}

bool SHGetSpecialFolderPathUTF8(void* /*owner*/, char* out, int size, SpecialFolder folder, bool create) {
  if (!out || size <= 0)
    return false;
  out[0] = '\0';
  const std::string path = GetSpecialFolderPath(folder, create);
  if (path.empty() || path.size() + 1 > static_cast<std::size_t>(size))
    return false;
  std::memcpy(out, path.c_str(), path.size() + 1);
  return true;
}

std::string ParseUserDirsEntry(std::string_view text, std::string_view key, const std::string& home) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos)
      end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
      line.remove_prefix(1);
    if (line.empty() || line.front() == '#')
      continue;
    if (line.substr(0, key.size()) != key || line.size() <= key.size() || line[key.size()] != '=')
      continue;
    std::string_view raw = line.substr(key.size() + 1);
    if (raw.empty() || raw.front() != '"')
      return {};
    raw.remove_prefix(1);
    std::string value;
    bool closed = false;
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size()) {
        value.push_back(raw[++i]);
      } else if (raw[i] == '"') {
        closed = true;
        break;
      } else {
        value.push_back(raw[i]);
      }
    }
    if (!closed)
      return {};
    std::string resolved;
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
      if (home.empty())
        return {};
      resolved = home + value.substr(5);
    } else if (!value.empty() && value[0] == '/') {
      resolved = value;
    } else {
      return {};
    }
    while (resolved.size() > 1 && resolved.back() == '/')
      resolved.pop_back();
    std::string homeTrimmed = home;
    while (homeTrimmed.size() > 1 && homeTrimmed.back() == '/')
      homeTrimmed.pop_back();
    if (resolved == homeTrimmed)
      return {};
    return resolved;
  }
  return {};
}

} // namespace keel
