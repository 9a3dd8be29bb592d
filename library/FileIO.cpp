// Whole-file reads and crash-safe writes of bytes and JSON.
#include "library/FileIO.h"
#include "Keel/Core/BoundedJson.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vlm {

namespace fs = std::filesystem;

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// A name beside the target that no other writer in this process or another one picks at the same time.
std::string TemporaryNameBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  return target.string() + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
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
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "Failed to open file for writing: " + PathToUtf8(path);
    return false;
  }
  // A replaced file keeps its permissions (a private file stays private).
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0)
    ::fchmod(fd, existing.st_mode & 07777);
  bool ok = (size == 0 || (data && WriteAll(fd, static_cast<const char*>(data), size))) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    error = "Failed to write file: " + PathToUtf8(path);
    return false;
  }
  return true;
}

std::string JsonFileText(const nlohmann::json& value) {
  return value.dump(2, ' ', /*ensure_ascii=*/false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool WriteJsonFile(const fs::path& path, const nlohmann::json& value, std::string& error) {
  const std::string text = JsonFileText(value);
  return WriteFileBytes(path, text.data(), text.size(), error);
}

} // namespace vlm
