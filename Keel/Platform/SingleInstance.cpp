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
#include <string>
#include <vector>

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
    // The running instance may close its end first: that must not raise SIGPIPE here.
    const char msg[] = "present\n";
    (void)!send(fd, msg, sizeof msg - 1, MSG_NOSIGNAL);
  }
  close(fd);
}

} // namespace

std::vector<std::string> SingleInstance::LockBasePaths(const std::string& name) {
  std::vector<std::string> places;
  const std::string runtime = GetEnvironmentText("XDG_RUNTIME_DIR");
  if (!runtime.empty())
    places.push_back(runtime + "/" + name);
  // The temporary folder may be shared with other users: the user's id keeps the names apart.
  places.push_back(GetTempFolderPath() + "/" + name + "-" + std::to_string(getuid()));
  return places;
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
  // The first place where a lock file can be made holds the lock; only when none can be made does
  // this process behave as the only instance.
  for (const std::string& base : LockBasePaths(name)) {
    const int fd = open((base + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
      continue;
    mSocketPath = base + ".sock";
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      close(fd);
      KnockOnRunningInstance(mSocketPath);
      return false;
    }
    mLockFd = fd;
    return true;
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
