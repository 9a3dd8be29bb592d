// Lock file plus local socket for the single-instance rule.
#include "Keel/Platform/SingleInstance.h"

#include "Keel/Platform/SpecialFolders.h"

#include <glib-unix.h>
#include <glib.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace keel {
namespace {

bool FillAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

void KnockOnRunningInstance(const std::string& socketPath) {
  sockaddr_un addr;
  if (!FillAddress(socketPath, addr)) return;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    const char msg[] = "present\n";
    (void)!write(fd, msg, sizeof msg - 1);
  }
  close(fd);
}

} // namespace

std::string SingleInstance::RuntimeFolder() {
  std::string dir = GetEnvironmentText("XDG_RUNTIME_DIR");
  return dir.empty() ? GetTempFolderPath() : dir;
}

SingleInstance::~SingleInstance() {
  if (mWatch) g_source_remove(mWatch);
  if (mListenFd >= 0) {
    close(mListenFd);
    unlink(mSocketPath.c_str());
  }
  if (mLockFd >= 0) close(mLockFd); // releases the lock
}

bool SingleInstance::Acquire(const std::string& name) {
  const std::string folder = RuntimeFolder();
  const std::string lockPath = folder + "/" + name + ".lock";
  mSocketPath = folder + "/" + name + ".sock";
  mLockFd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (mLockFd < 0) return true; // no lock file possible: behave as the only instance
  if (flock(mLockFd, LOCK_EX | LOCK_NB) != 0) {
    close(mLockFd);
    mLockFd = -1;
    KnockOnRunningInstance(mSocketPath);
    return false;
  }
  return true;
}

void SingleInstance::ListenForPresent(std::function<void()> onPresent) {
  mOnPresent = std::move(onPresent);
  sockaddr_un addr;
  if (mLockFd < 0 || !FillAddress(mSocketPath, addr)) return;
  unlink(mSocketPath.c_str()); // a socket left by a crashed instance
  mListenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (mListenFd < 0) return;
  if (bind(mListenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(mListenFd, 4) != 0) {
    close(mListenFd);
    mListenFd = -1;
    return;
  }
  mWatch = g_unix_fd_add(mListenFd, G_IO_IN, reinterpret_cast<GUnixFDSourceFunc>(&SingleInstance::OnKnock), this);
}

int SingleInstance::OnKnock(int fd, unsigned, void* data) {
  auto* self = static_cast<SingleInstance*>(data);
  const int client = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
  if (client >= 0) close(client);
  try {
    if (self->mOnPresent) self->mOnPresent();
  } catch (...) {
  }
  return G_SOURCE_CONTINUE;
}

} // namespace keel
