// Path wrappers over POSIX for UTF-8 paths: folders, file status, renaming, removal and shared libraries.
#pragma once

#include <cstdint>
#include <string>

namespace keel {

// What the program needs to know about a path; filled by statUTF8.
struct FileStatus {
  bool isDirectory = false;
  bool isRegularFile = false;
  std::uint64_t sizeBytes = 0;
  std::int64_t modifiedSeconds = 0; // since 1970-01-01 UTC
};

// Creates one folder (its parent must exist). False when it fails or the folder already exists.
bool CreateDirectoryUTF8(const char* path);
// Creates a folder and every missing parent. True when the folder exists afterwards.
bool CreateDirectoryTreeUTF8(const std::string& path);
// 0 on success, -1 when the path does not exist or cannot be examined (status then left unchanged).
int statUTF8(const char* path, FileStatus* status);
bool FileExistsUTF8(const char* path);
bool RemoveFileUTF8(const char* path);
// Replaces an existing target (the rename is atomic within one file system).
bool RenameFileUTF8(const char* from, const char* to);
// The process's current folder; empty when it cannot be had.
std::string GetCurrentFolderUTF8();
// Joins two path pieces with one '/' between them.
std::string JoinPath(const std::string& folder, const std::string& name);

// Shared libraries: a module handle, or null (the loader's error text then goes to LastLibraryError).
void* LoadLibraryUTF8(const char* path);
void* GetLibrarySymbol(void* module, const char* name);
void FreeLibraryUTF8(void* module);
std::string LastLibraryError();

} // namespace keel
