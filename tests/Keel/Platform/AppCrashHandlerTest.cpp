// Crash handler in child processes: each crash leaves one dump and one FATAL line, then the process dies
// by the original signal.
#include "Keel/Platform/AppCrashHandler.h"

#include "Keel/Platform/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using keel::AppCrashHandler;
using testutil::ReadFile;
using testutil::ScratchFolder;

namespace {

int gLogFd = -1;

// Stands in for the program log: one line per report, written with one system call.
void FakeLogWriter(const char* message, std::size_t length) noexcept {
  char line[2048];
  const std::size_t n = std::min(length, sizeof line - 1);
  std::memcpy(line, message, n);
  line[n] = '\n';
  (void)!::write(gLogFd, line, n + 1);
}

struct ChildResult {
  int termSignal = 0; // 0 when the child exited normally
  std::string log;
  std::string dump;
  bool dumpExists = false;
};

// Runs crash() in a child that has installed the handler with its TEMP in a scratch folder.
ChildResult RunCrashingChild(const std::function<void()>& crash) {
  ScratchFolder dir;
  const std::string logPath = dir / "fake.log";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("TEMP", dir.Path().c_str(), 1);
    const rlimit noCore{0, 0}; // the crash is expected: no core file
    ::setrlimit(RLIMIT_CORE, &noCore);
    gLogFd = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const bool first = AppCrashHandler::Install(&FakeLogWriter);
    const bool second = AppCrashHandler::Install(&FakeLogWriter);
    if (!first || second)
      ::_exit(3);
    // An exception that leaves crash() must reach std::terminate, not the test framework.
    [&]() noexcept { crash(); }();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ChildResult r;
  r.termSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  r.log = ReadFile(logPath);
  r.dumpExists = std::filesystem::exists(dir / "velmora-crash.dmp");
  r.dump = ReadFile(dir / "velmora-crash.dmp");
  // The dump is the only file besides the fake log: nothing else is left behind.
  EXPECT_LE(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
  return r;
}

int CountLines(const std::string& text, const std::string& start) {
  int n = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text.compare(pos, start.size(), start) == 0)
      ++n;
    const std::size_t nl = text.find('\n', pos);
    if (nl == std::string::npos)
      break;
    pos = nl + 1;
  }
  return n;
}

[[gnu::noinline]] int Recurse(int depth) {
  volatile char pad[512];
  pad[0] = static_cast<char>(depth);
  if (depth > (1 << 30))
    return 0; // never reached; keeps the compiler from calling this endless
  return Recurse(depth + 1) + pad[0];
}

} // namespace

TEST(AppCrashHandler, SegmentationFaultLeavesOneDumpAndOneFatalLine) {
  // A page without access faults like a stray pointer would, at an address the report must name.
  void* page = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(page, MAP_FAILED);
  char address[32];
  std::snprintf(address, sizeof address, "0x%016llx",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(page)));
  const ChildResult r = RunCrashingChild([page] { *static_cast<volatile int*>(page) = 1; });
  ::munmap(page, 4096);
  EXPECT_EQ(r.termSignal, SIGSEGV);
  ASSERT_TRUE(r.dumpExists);
  EXPECT_EQ(CountLines(r.log, "FATAL: "), 1) << r.log;
  EXPECT_NE(r.log.find(std::string("FATAL: unhandled signal SIGSEGV (11) addr=") + address + " (dump: "),
            std::string::npos)
      << r.log;
  EXPECT_NE(r.log.find("/velmora-crash.dmp)\n"), std::string::npos) << r.log;
  EXPECT_NE(r.dump.find("message: unhandled signal SIGSEGV (11)"), std::string::npos);
  EXPECT_NE(r.dump.find(std::string("signal: SIGSEGV (11)\naddress: ") + address + "\n"), std::string::npos);
  // The backtrace has frames, and the memory map copy names this test program.
  const std::size_t bt = r.dump.find("\nbacktrace:\n");
  const std::size_t maps = r.dump.find("\nmemory map:\n");
  ASSERT_NE(bt, std::string::npos);
  ASSERT_NE(maps, std::string::npos);
  EXPECT_GT(maps - bt, 40u);
  EXPECT_NE(r.dump.find("AppCrashHandlerTest", maps), std::string::npos);
}

TEST(AppCrashHandler, EachFatalSignalIsReportedAndThenEndsTheProcess) {
  for (int sig : {SIGBUS, SIGFPE, SIGILL, SIGSEGV}) {
    const ChildResult r = RunCrashingChild([sig] { ::raise(sig); });
    EXPECT_EQ(r.termSignal, sig);
    EXPECT_EQ(CountLines(r.log, "FATAL: unhandled signal SIG"), 1) << r.log;
    EXPECT_TRUE(r.dumpExists);
  }
}

TEST(AppCrashHandler, AbortIsReportedAsAbort) {
  const ChildResult r = RunCrashingChild([] { std::abort(); });
  EXPECT_EQ(r.termSignal, SIGABRT);
  EXPECT_EQ(CountLines(r.log, "FATAL: abort() called (SIGABRT) (dump: "), 1) << r.log;
}

TEST(AppCrashHandler, UncaughtExceptionReportsOnceThoughAbortFollows) {
  const ChildResult r = RunCrashingChild([] { throw std::runtime_error("device vanished"); });
  EXPECT_EQ(r.termSignal, SIGABRT);
  EXPECT_EQ(CountLines(r.log, "FATAL: "), 1) << r.log;
  EXPECT_NE(r.log.find("FATAL: std::terminate \xE2\x80\x94 uncaught exception: device vanished (dump: "),
            std::string::npos)
      << r.log;
  EXPECT_NE(r.dump.find("signal: none"), std::string::npos);
}

TEST(AppCrashHandler, TerminateWithoutExceptionAndWithForeignException) {
  ChildResult r = RunCrashingChild([] { std::terminate(); });
  EXPECT_EQ(r.termSignal, SIGABRT);
  EXPECT_EQ(CountLines(r.log, "FATAL: std::terminate (no active exception) (dump: "), 1) << r.log;
  r = RunCrashingChild([] { throw 42; });
  EXPECT_EQ(CountLines(r.log, "FATAL: std::terminate \xE2\x80\x94 uncaught non-std exception (dump: "), 1)
      << r.log;
}

TEST(AppCrashHandler, StackOverflowIsReportedFromTheAlternateStack) {
  const ChildResult r = RunCrashingChild([] { Recurse(0); });
  EXPECT_EQ(r.termSignal, SIGSEGV);
  EXPECT_EQ(CountLines(r.log, "FATAL: unhandled signal SIGSEGV"), 1) << r.log;
  EXPECT_TRUE(r.dumpExists);
}

TEST(AppCrashHandler, CrashDumpFolderFollowsTheTemporaryFolder) {
  testutil::ScopedEnv env;
  env.Set("TEMP", "/some/where/");
  EXPECT_EQ(keel::GetCrashDumpFolder("velmora-crash.dmp"), "/some/where/velmora-crash.dmp");
  env.Unset("TEMP");
  env.Unset("TMP");
  env.Unset("TMPDIR");
  EXPECT_EQ(keel::GetCrashDumpFolder("x"), "/tmp/x");
}
