// Periodic timer that fires on the UI thread's main loop (a GLib timeout on the default context).
#pragma once

#include <functional>

namespace keel {

// Threads: created, fired and stopped on the UI (GTK main) thread. Every running timer of the
// process sits in one list under one recursive lock; the callback runs with that lock held, so
// it may stop its own timer (or any other) but must not wait for a thread that takes the lock.
class Timer {
public:
  using Callback = std::function<void(Timer&)>;

  // Starts a timer with the given period; one that fails to start never fires.
  static Timer* Create(Callback callback, unsigned periodMs);

  virtual ~Timer() = default;
  virtual void Stop() = 0;
  virtual bool IsRunning() const = 0;
};

} // namespace keel
