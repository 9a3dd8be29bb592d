// A file written with one system call per record, so that a record from a signal handler or another
// thread never lands inside another record. Write is async-signal-safe once the file is open.
#pragma once

#include <atomic>
#include <cstddef>

namespace keel {

// Open and Close belong to one owner thread (or run under the owner's lock); Write may come from any
// thread or signal handler.
class AppendFile {
public:
  AppendFile() = default;
  ~AppendFile();
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Opens for writing at the end, creating the file; truncate empties an existing file first.
  bool Open(const char* path, bool truncate);
  bool IsOpen() const noexcept { return mFd.load(std::memory_order_acquire) >= 0; }
  // Writes all bytes with as few system calls as the kernel allows; false on an error.
  bool Write(const char* data, std::size_t size) noexcept;
  void Close();

private:
  std::atomic<int> mFd{-1};
};

} // namespace keel
