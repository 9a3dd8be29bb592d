// Temporary files of writers that died: recognised by name, removed once their process is gone.
#include "Keel/Platform/StaleTemporaries.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <unistd.h>

namespace keel {

namespace {

// The process id in "<pid>" or "<pid>-<n>"; 0 when the text is neither.
pid_t WriterIdIn(const std::string& suffix) {
  const size_t dash = suffix.find('-');
  const std::string id = suffix.substr(0, dash);
  const std::string counter = dash == std::string::npos ? std::string("0") : suffix.substr(dash + 1);
  const auto digitsOnly = [](const std::string& s) {
    return !s.empty() && s.size() <= 10 && s.find_first_not_of("0123456789") == std::string::npos;
  };
  if (!digitsOnly(id) || !digitsOnly(counter))
    return 0;
  const long value = std::strtol(id.c_str(), nullptr, 10);
  return value > 0 && value <= 0x7fffffff ? static_cast<pid_t>(value) : 0;
}

bool ProcessHasEnded(pid_t pid) {
  return ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

bool IsStaleTemporaryName(const std::string& name) {
  static constexpr char kMark[] = ".tmp-";
  const size_t mark = name.rfind(kMark);
  if (mark == std::string::npos || mark == 0)
    return false;
  const pid_t writer = WriterIdIn(name.substr(mark + sizeof kMark - 1));
  return writer != 0 && writer != ::getpid() && ProcessHasEnded(writer);
}

int RemoveStaleTemporaries(const std::string& file) {
  const size_t slash = file.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : file.substr(0, slash);
  const std::string prefix = (slash == std::string::npos ? file : file.substr(slash + 1)) + ".tmp-";
  DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
  if (!dir)
    return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
      continue;
    if (!IsStaleTemporaryName(name))
      continue;
    if (::unlinkat(::dirfd(dir), name.c_str(), 0) == 0)
      ++removed;
  }
  ::closedir(dir);
  return removed;
}

} // namespace keel
