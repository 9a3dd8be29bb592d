// Whole-file reads and crash-safe writes of bytes and JSON.
#include "library/FileIO.h"
#include "Keel/Core/BoundedJson.h"
#include "Keel/Platform/StaleTemporaries.h"
#include "Keel/Platform/WriteAll.h"

#include <atomic>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vlm {

namespace fs = std::filesystem;

namespace {

constexpr char kTemporaryMark[] = ".tmp-";

// A name beside the target that no other writer in this process or another one picks at the same time:
// "<target>.tmp-<pid>-<n>". The pid lets a later start tell a dead writer's leftover from a live one.
std::string TemporaryNameBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  return target.string() + kTemporaryMark + std::to_string(::getpid()) + "-" +
         std::to_string(counter.fetch_add(1));
}

// The file the data goes into before it takes the target's place. An unnamed file (O_TMPFILE) leaves
// nothing behind when the process dies while writing; it gets its name only just before the rename. A
// file system without unnamed files gets a named one at once.
struct TemporaryFile {
  int fd = -1;
  bool unnamed = false;
};

TemporaryFile OpenTemporary(const fs::path& target, const std::string& name) {
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  TemporaryFile file;
  file.fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
  file.unnamed = file.fd >= 0;
  if (!file.unnamed)
    file.fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  return file;
}

bool NameTemporary(const TemporaryFile& file, const std::string& name) {
  if (!file.unnamed)
    return true;
  const std::string self = "/proc/self/fd/" + std::to_string(file.fd);
  return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

} // namespace

std::filesystem::path Utf8ToPath(const std::string& text) {
  return fs::path(text);
}

std::string PathToUtf8(const std::filesystem::path& path) {
  return path.string();
}

bool ReadFileBytes(const fs::path& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in.is_open()) {
    error = "Failed to open file: " + PathToUtf8(path);
    return false;
  }
  const std::streamoff size = in.tellg();
  if (size < 0) {
    error = "Failed to get file size: " + PathToUtf8(path);
    return false;
  }
  in.seekg(0, std::ios::beg);
  try {
    bytes.assign(static_cast<std::size_t>(size), 0);
  } catch (const std::exception&) {
    error = "Failed to read file: " + PathToUtf8(path);
    return false;
  }
  if (size > 0)
    in.read(reinterpret_cast<char*>(bytes.data()), size);
  if (!in) {
    error = "Failed to read file: " + PathToUtf8(path);
    return false;
  }
  return true;
}

bool ReadJsonFile(const fs::path& path, nlohmann::json& value, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) {
    error = "Failed to open file: " + PathToUtf8(path);
    return false;
  }
  const char* reason = keel::kJsonParseFailed;
  value = keel::ParseJsonBounded(in, &reason);
  if (value.is_discarded()) {
    error = std::string(reason) + ": " + PathToUtf8(path);
    return false;
  }
  return true;
}

bool WriteFileBytes(const fs::path& path, const void* data, std::size_t size, std::string& error) {
  const fs::path parent = path.parent_path();
  std::error_code ec;
  if (!parent.empty() && !fs::create_directories(parent, ec) && ec) {
    error = "Failed to create destination folder: " + PathToUtf8(parent);
    return false;
  }
  // The rename would replace a link, not the file it points to; write through to the file instead.
  fs::path target = path;
  if (fs::is_symlink(path, ec)) {
    const fs::path resolved = fs::weakly_canonical(path, ec);
    if (!ec)
      target = resolved;
  }
  if (fs::is_directory(target, ec)) {
    error = "Failed to open file for writing: " + PathToUtf8(path);
    return false;
  }
  const std::string temporary = TemporaryNameBeside(target);
  const TemporaryFile file = OpenTemporary(target, temporary);
  const int fd = file.fd;
  if (fd < 0) {
    error = "Failed to open file for writing: " + PathToUtf8(path);
    return false;
  }
  // A replaced file keeps its permissions (a private file stays private).
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0)
    ::fchmod(fd, existing.st_mode & 07777);
  bool ok =
      (size == 0 || (data && keel::WriteAll(fd, static_cast<const char*>(data), size))) && ::fsync(fd) == 0;
  ok = ok && NameTemporary(file, temporary);
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    error = "Failed to write file: " + PathToUtf8(path);
    return false;
  }
  return true;
}

int RemoveStaleTemporaryFiles(const fs::path& folder, bool recursive) {
  int removed = 0;
  std::error_code ec;
  const auto sweep = [&removed](const fs::directory_entry& entry) {
    std::error_code statusError;
    if (!fs::is_regular_file(entry.symlink_status(statusError)) || statusError)
      return;
    // A writer that still runs may be about to rename its file; only a dead writer's file is garbage.
    if (!keel::IsStaleTemporaryName(entry.path().filename().string()))
      return;
    std::error_code removeError;
    if (fs::remove(entry.path(), removeError))
      ++removed;
  };
  if (recursive) {
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec))
      sweep(*it);
  } else {
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec))
      sweep(*it);
  }
  return removed;
}

std::string JsonFileText(const nlohmann::json& value) {
  return value.dump(2, ' ', /*ensure_ascii=*/false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool WriteJsonFile(const fs::path& path, const nlohmann::json& value, std::string& error) {
  const std::string text = JsonFileText(value);
  return WriteFileBytes(path, text.data(), text.size(), error);
}

} // namespace vlm
