// A file written with one system call per record (see the header for why).
#include "Keel/Platform/AppendFile.h"
#include "Keel/Platform/WriteAll.h"

#include <fcntl.h>
#include <unistd.h>

namespace keel {

AppendFile::~AppendFile() {
  Close();
}

bool AppendFile::Open(const char* path, bool truncate) {
  Close();
  if (!path)
    return false;
  int flags = O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC;
  if (truncate)
    flags |= O_TRUNC;
  const int fd = ::open(path, flags, 0644);
  if (fd < 0)
    return false;
  mFd.store(fd, std::memory_order_release);
  return true;
}

bool AppendFile::Write(const char* data, std::size_t size) noexcept {
  const int fd = mFd.load(std::memory_order_acquire);
  return fd >= 0 && WriteAll(fd, data, size);
}

void AppendFile::Close() {
  const int fd = mFd.exchange(-1, std::memory_order_acq_rel);
  if (fd >= 0)
    ::close(fd);
}

} // namespace keel
