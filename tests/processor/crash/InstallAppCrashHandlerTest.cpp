// The program's crash report end to end: a crashing child leaves one dump and one FATAL line in velmora.log.
#include "processor/crash/InstallAppCrashHandler.h"

#include "Keel/Platform/ScratchFolder.h"
#include "common/Logger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using testutil::ReadFile;
using testutil::ScratchFolder;

namespace {

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
    ++n;
  return n;
}

struct Outcome {
  int termSignal = 0;
  std::string log;
  std::vector<std::string> files;
};

Outcome RunChild(const ScratchFolder& dir, const std::function<void()>& crash) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("TEMP", dir.Path().c_str(), 1);
    const rlimit noCore{0, 0}; // the crash is expected: no core file
    ::setrlimit(RLIMIT_CORE, &noCore);
    InstallAppCrashHandler();
    InstallAppCrashHandler(); // a second processor instance installs nothing
    GetLogger().Log("about to crash");
    [&]() noexcept { crash(); }();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  Outcome o;
  o.termSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  o.log = ReadFile(dir / "velmora.log");
  for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
    o.files.push_back(e.path().filename());
  std::sort(o.files.begin(), o.files.end());
  return o;
}

} // namespace

TEST(InstallAppCrashHandler, SegfaultInTheProgramLeavesExactlyOneDumpAndOneFatalLine) {
  ScratchFolder dir;
  const Outcome o = RunChild(dir, [] { ::raise(SIGSEGV); });
  EXPECT_EQ(o.termSignal, SIGSEGV);
  EXPECT_EQ(o.files, (std::vector<std::string>{"velmora-crash.dmp", "velmora.log"}));
  const std::string dump = dir / "velmora-crash.dmp";
  EXPECT_EQ(Count(o.log, "] AppCrashHandler installed (v1.0.13, dump: " + dump + ")\n"), 1) << o.log;
  EXPECT_EQ(Count(o.log, "FATAL:"), 1) << o.log;
  EXPECT_EQ(Count(o.log, "] FATAL: unhandled signal SIGSEGV (11) addr=0x"), 1) << o.log;
  EXPECT_NE(o.log.find(" (dump: " + dump + ")\n"), std::string::npos);
  // The FATAL line is the last line, after everything logged before the crash.
  EXPECT_LT(o.log.find("about to crash"), o.log.find("FATAL:"));
}

TEST(InstallAppCrashHandler, UncaughtExceptionThenAbortStillGivesOneReport) {
  ScratchFolder dir;
  const Outcome o = RunChild(dir, [] { throw std::runtime_error("no audio device"); });
  EXPECT_EQ(o.termSignal, SIGABRT);
  EXPECT_EQ(Count(o.log, "FATAL:"), 1) << o.log;
  EXPECT_EQ(Count(o.log, "] FATAL: std::terminate \xE2\x80\x94 uncaught exception: no audio device (dump: "),
            1)
      << o.log;
  EXPECT_EQ(o.files, (std::vector<std::string>{"velmora-crash.dmp", "velmora.log"}));
}
