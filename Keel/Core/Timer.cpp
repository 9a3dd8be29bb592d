// GLib-backed implementation of the process-wide UI timers.
#include "Keel/Core/Timer.h"

#include <glib.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace keel {
namespace {

class TimerImpl;

std::recursive_mutex& TimerListLock() {
  static std::recursive_mutex lock;
  return lock;
}

std::vector<TimerImpl*>& TimerList() {
  static std::vector<TimerImpl*> list;
  return list;
}

class TimerImpl final : public Timer {
public:
  TimerImpl(Callback callback, unsigned periodMs) : mCallback(std::move(callback)), mPeriodMs(periodMs) {}
  ~TimerImpl() override { Stop(); }

  void Start() {
    // The source carries its own id, not the timer, so that a tick finds its timer through
    // the list and never touches one that was already destroyed.
    GSource* source = g_timeout_source_new(mPeriodMs);
    mId = g_source_attach(source, nullptr);
    g_source_set_callback(source, &TimerImpl::Tick, GUINT_TO_POINTER(mId), nullptr);
    g_source_unref(source);
    if (mId == 0) return;
    std::lock_guard<std::recursive_mutex> lock(TimerListLock());
    TimerList().push_back(this);
  }

  void Stop() override {
    std::lock_guard<std::recursive_mutex> lock(TimerListLock());
    if (mId == 0) return;
    g_source_remove(mId);
    auto& list = TimerList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    mId = 0;
  }

  bool IsRunning() const override { return mId != 0; }

private:
  static gboolean Tick(gpointer data) {
    const guint id = GPOINTER_TO_UINT(data);
    std::lock_guard<std::recursive_mutex> lock(TimerListLock());
    for (TimerImpl* timer : TimerList()) {
      if (timer->mId != id) continue;
      try {
        timer->mCallback(*timer);
      } catch (...) {
        // A failing tick must not unwind into the main loop; the next tick tries again.
      }
      return G_SOURCE_CONTINUE; // Stop inside the callback already removed the source
    }
    return G_SOURCE_REMOVE;
  }

  Callback mCallback;
  unsigned mPeriodMs;
  guint mId = 0;
};

} // namespace

Timer* Timer::Create(Callback callback, unsigned periodMs) {
  auto* timer = new TimerImpl(std::move(callback), periodMs);
  timer->Start();
  return timer;
}

} // namespace keel
