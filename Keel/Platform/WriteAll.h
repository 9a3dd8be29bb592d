// Writes a whole buffer to a file descriptor, going on after interruptions and short writes.
#pragma once

#include <cerrno>
#include <cstddef>
#include <unistd.h>

namespace keel {

// False on the first error other than EINTR. Only write(2): safe inside a signal handler.
inline bool WriteAll(int fd, const char* data, std::size_t size) noexcept {
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

} // namespace keel
