// Path wrappers over POSIX for UTF-8 paths: folders, file status, renaming, removal and shared libraries.
// Linux paths are bytes, so the UTF-8 text goes to the system unchanged; no conversion or prefix is needed.
#include "Keel/Platform/FileSystemUTF8.h"

#include <cerrno>
#include <cstdio>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace keel {

bool CreateDirectoryUTF8(const char* path) {
  if (!path || !*path)
    return false;
  return ::mkdir(path, 0755) == 0;
}

bool CreateDirectoryTreeUTF8(const std::string& path) {
  if (path.empty())
    return false;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0)
    return S_ISDIR(st.st_mode);
  // Create each missing level in turn; a level that another process creates meanwhile is fine.
  for (std::size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos < path.size() && path[pos] != '/')
      continue;
    const std::string level = path.substr(0, pos);
    if (::mkdir(level.c_str(), 0755) != 0 && errno != EEXIST)
      return false;
  }
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int statUTF8(const char* path, FileStatus* status) {
  if (!path || !status)
    return -1;
  struct stat st {};
  if (::stat(path, &st) != 0)
    return -1;
  status->isDirectory = S_ISDIR(st.st_mode);
  status->isRegularFile = S_ISREG(st.st_mode);
  status->sizeBytes = static_cast<std::uint64_t>(st.st_size);
  status->modifiedSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
  return 0;
}

bool FileExistsUTF8(const char* path) {
  FileStatus st;
  return statUTF8(path, &st) == 0;
}

bool RemoveFileUTF8(const char* path) {
  return path && ::unlink(path) == 0;
}

bool RenameFileUTF8(const char* from, const char* to) {
  return from && to && std::rename(from, to) == 0;
}

std::string GetCurrentFolderUTF8() {
  std::string buf(4096, '\0');
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE || buf.size() > (1u << 20))
      return {};
    buf.resize(buf.size() * 2);
  }
  buf.resize(std::char_traits<char>::length(buf.c_str()));
  return buf;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty())
    return name;
  if (folder.back() == '/')
    return folder + name;
  return folder + "/" + name;
}

void* LoadLibraryUTF8(const char* path) {
  if (!path)
    return nullptr;
  return ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

void* GetLibrarySymbol(void* module, const char* name) {
  if (!module || !name)
    return nullptr;
  return ::dlsym(module, name);
}

void FreeLibraryUTF8(void* module) {
  if (module)
    ::dlclose(module);
}

std::string LastLibraryError() {
  const char* e = ::dlerror();
  return e ? e : "";
}

} // namespace keel
