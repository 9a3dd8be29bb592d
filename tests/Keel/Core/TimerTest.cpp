// UI timers on a GLib main loop: periodic ticks, Stop from inside a tick, destruction.
#include "Keel/Core/Timer.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

void RunLoopFor(unsigned ms) {
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_timeout_add(ms, [](gpointer l) -> gboolean {
    g_main_loop_quit(static_cast<GMainLoop*>(l));
    return G_SOURCE_REMOVE;
  }, loop);
  g_main_loop_run(loop);
  g_main_loop_unref(loop);
}

TEST(Timer, TicksPeriodicallyUntilStopped) {
  int ticks = 0;
  std::unique_ptr<keel::Timer> timer(keel::Timer::Create([&](keel::Timer&) { ++ticks; }, 5));
  ASSERT_TRUE(timer->IsRunning());
  RunLoopFor(80);
  EXPECT_GE(ticks, 3);
  timer->Stop();
  const int stopped = ticks;
  RunLoopFor(40);
  EXPECT_EQ(ticks, stopped);
}

TEST(Timer, StopFromInsideItsOwnTickEndsIt) {
  int ticks = 0;
  std::unique_ptr<keel::Timer> timer(keel::Timer::Create([&](keel::Timer& t) {
    if (++ticks == 2) t.Stop();
  }, 5));
  RunLoopFor(80);
  EXPECT_EQ(ticks, 2);
  EXPECT_FALSE(timer->IsRunning());
}

TEST(Timer, DestroyedTimerNeverFiresAgainWhileOthersRun) {
  int a = 0, b = 0;
  auto* first = keel::Timer::Create([&](keel::Timer&) { ++a; }, 5);
  std::unique_ptr<keel::Timer> second(keel::Timer::Create([&](keel::Timer&) { ++b; }, 5));
  delete first;
  RunLoopFor(50);
  EXPECT_EQ(a, 0);
  EXPECT_GE(b, 2);
}

} // namespace
