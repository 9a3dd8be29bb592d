// One running instance per user: a lock file marks it, a local socket lets a second start ask it to
// bring its window to the front.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace keel {

// Threads: UI thread. The present callback runs from the GLib main loop.
class SingleInstance {
public:
  SingleInstance() = default;
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this process is now the instance of `name`. False when another one runs; that one has
  // then been asked to present its window.
  bool Acquire(const std::string& name);
  // Calls onPresent whenever a later start knocks. Needs a running GLib main loop to fire.
  void ListenForPresent(std::function<void()> onPresent);

  // Where the lock file and the socket may go, without their extensions, in the order tried:
  // $XDG_RUNTIME_DIR/name, then the temporary folder's name-<uid>.
  static std::vector<std::string> LockBasePaths(const std::string& name);

private:
  static int OnKnock(int fd, unsigned condition, void* self);

  int mLockFd = -1;
  int mListenFd = -1;
  unsigned mWatch = 0;
  std::string mSocketPath;
  std::function<void()> mOnPresent;
};

} // namespace keel
