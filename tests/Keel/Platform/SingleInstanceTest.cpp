// The single-instance rule: where its lock lives, and a knock that never kills the knocking process.
#include "Keel/Platform/SingleInstance.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(SingleInstance, ASecondAcquireFailsWhereverTheLockCouldBeMade) {
  testutil::ScratchFolder temp;
  struct Case {
    const char* what;
    bool runtimeSet;
    bool runtimeExists;
  } cases[] = {
      {"runtime folder present", true, true},
      {"runtime folder missing", true, false},
      {"runtime folder unset", false, false},
  };
  for (const Case& c : cases) {
    testutil::ScopedEnv env;
    env.Set("TMPDIR", temp.Path());
    env.Unset("TEMP");
    env.Unset("TMP");
    const std::string runtime = temp / (std::string("run-") + (c.runtimeExists ? "yes" : "no"));
    if (c.runtimeExists)
      std::filesystem::create_directories(runtime);
    if (c.runtimeSet)
      env.Set("XDG_RUNTIME_DIR", runtime);
    else
      env.Unset("XDG_RUNTIME_DIR");
    keel::SingleInstance first, second;
    EXPECT_TRUE(first.Acquire("VlmTest")) << c.what;
    EXPECT_FALSE(second.Acquire("VlmTest")) << c.what;
  }
}

// A running instance that takes the knock and closes at once: the knocking process must still end
// normally (a write to the closed socket may not raise SIGPIPE).
TEST(SingleInstance, KnockingOnAnInstanceThatClosesAtOnceEndsNormally) {
  testutil::ScratchFolder run;
  testutil::ScopedEnv env;
  env.Set("XDG_RUNTIME_DIR", run.Path());
  keel::SingleInstance running;
  ASSERT_TRUE(running.Acquire("VlmKnock"));

  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string path = run / "VlmKnock.sock";
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(listener, 64), 0);
  std::atomic<bool> stop{false};
  std::thread closer([&] {
    while (!stop) {
      const int client = accept(listener, nullptr, nullptr);
      if (client >= 0)
        close(client);
    }
  });

  const pid_t child = fork();
  if (child == 0) {
    std::signal(SIGPIPE, SIG_DFL);
    for (int i = 0; i < 300; ++i) {
      keel::SingleInstance late;
      if (late.Acquire("VlmKnock"))
        _exit(2);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  stop = true;
  shutdown(listener, SHUT_RDWR);
  close(listener);
  closer.join();
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  if (WIFEXITED(status))
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
