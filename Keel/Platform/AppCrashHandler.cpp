// Crash handlers of the standalone program: fatal signals and std::terminate end in one crash report.
#include "Keel/Platform/AppCrashHandler.h"

#include "Keel/Platform/SignalSafeText.h"
#include "Keel/Platform/SpecialFolders.h"
#include "Keel/Platform/WriteAll.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <execinfo.h>
#include <fcntl.h>
#include <time.h>
#include <typeinfo>
#include <unistd.h>

namespace keel {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
// Big enough for backtrace() and our formatting even when the thread's own stack is exhausted.
constexpr std::size_t kAltStackBytes = 256 * 1024;
constexpr std::size_t kPathCapacity = 4096;

static_assert(std::atomic<unsigned char>::is_always_lock_free, "the once-flag must be usable in a handler");
static_assert(std::atomic<CrashLogWriter>::is_always_lock_free, "the writer must be usable in a handler");

std::atomic<bool> gInstalled{false};
std::atomic<unsigned char> gReportClaimed{0}; // the once-flag: 0 until the first crash report
std::atomic<unsigned char> gReportDone{0};
std::atomic<CrashLogWriter> gWriter{nullptr};
char gDumpPath[kPathCapacity] = {};
alignas(16) char gAltStack[kAltStackBytes];

const char* SignalName(int sig) {
  switch (sig) {
  case SIGSEGV:
    return "SIGSEGV";
  case SIGBUS:
    return "SIGBUS";
  case SIGFPE:
    return "SIGFPE";
  case SIGILL:
    return "SIGILL";
  case SIGABRT:
    return "SIGABRT";
  default:
    return "signal";
  }
}

void WriteText(int fd, const char* s) {
  WriteAll(fd, s, std::strlen(s));
}

void CopyMemoryMap(int out) {
  const int in = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
  if (in < 0)
    return;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    WriteAll(out, buf, static_cast<std::size_t>(n));
  }
  ::close(in);
}

void WriteDumpFile(const char* message, int sig, const void* address) {
  const int fd = ::open(gDumpPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0)
    return;
  SignalSafeText<1024> head;
  head.Append("Velmora crash report\nmessage: ");
  head.Append(message);
  head.Append("\npid: ");
  head.AppendUnsigned(static_cast<std::uint64_t>(::getpid()));
  head.Append("\nsignal: ");
  if (sig != 0) {
    head.Append(SignalName(sig));
    head.Append(" (");
    head.AppendUnsigned(static_cast<std::uint64_t>(sig));
    head.Append(")\naddress: ");
    head.AppendHex(reinterpret_cast<std::uintptr_t>(address), 16);
  } else {
    head.Append("none");
  }
  head.Append("\n\nbacktrace:\n");
  WriteAll(fd, head.Data(), head.Size());
  void* frames[128];
  const int count = ::backtrace(frames, 128);
  ::backtrace_symbols_fd(frames, count, fd);
  WriteText(fd, "\nmemory map:\n");
  CopyMemoryMap(fd);
  ::close(fd);
}

void OnFatalSignal(int sig, siginfo_t* info, void*) {
  const int savedErrno = errno;
  SignalSafeText<512> message;
  if (sig == SIGABRT) {
    message.Append("abort() called (SIGABRT)");
  } else {
    message.Append("unhandled signal ");
    message.Append(SignalName(sig));
    message.Append(" (");
    message.AppendUnsigned(static_cast<std::uint64_t>(sig));
    message.Append(") addr=");
    message.AppendHex(reinterpret_cast<std::uintptr_t>(info ? info->si_addr : nullptr), 16);
  }
  AppCrashHandler::WriteCrashDump(message.Data(), sig, info ? info->si_addr : nullptr);
  // Let the default action end the process: the signal is blocked while this handler runs, so the
  // raised copy is delivered, with the default action, as soon as the handler returns.
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  ::sigaction(sig, &dfl, nullptr);
  ::raise(sig);
  errno = savedErrno;
}

[[noreturn]] void OnTerminate() {
  char message[512];
  if (std::exception_ptr current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (const std::exception& e) {
      std::snprintf(message, sizeof message, "std::terminate \xE2\x80\x94 uncaught exception: %s", e.what());
    } catch (...) {
      std::snprintf(message, sizeof message, "std::terminate \xE2\x80\x94 uncaught non-std exception");
    }
  } else {
    std::snprintf(message, sizeof message, "std::terminate (no active exception)");
  }
  AppCrashHandler::WriteCrashDump(message, 0, nullptr);
  std::abort();
}

} // namespace

std::string GetCrashDumpFolder(const char* fileName) {
  std::string folder = GetTempFolderPath();
  if (!folder.empty() && folder.back() == '/')
    folder.pop_back();
  return folder + "/" + (fileName ? fileName : "");
}

bool AppCrashHandler::Install(CrashLogWriter writer) {
  bool expected = false;
  if (!gInstalled.compare_exchange_strong(expected, true))
    return false;

  const std::string path = GetCrashDumpFolder(kDumpFileName);
  const std::size_t n = std::min(path.size(), kPathCapacity - 1);
  std::memcpy(gDumpPath, path.data(), n);
  gDumpPath[n] = '\0';
  gWriter.store(writer, std::memory_order_release);

  // The first backtrace() loads the unwinder, which allocates; do it now rather than in a handler.
  void* warmUp[4];
  ::backtrace(warmUp, 4);

  std::set_terminate(OnTerminate);

  stack_t alt{};
  alt.ss_sp = gAltStack;
  alt.ss_size = sizeof gAltStack;
  alt.ss_flags = 0;
  ::sigaltstack(&alt, nullptr);

  struct sigaction action {};
  action.sa_sigaction = OnFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  // A second fatal signal during the report must not re-enter the handler; the kernel then ends the process.
  for (int sig : kFatalSignals)
    sigaddset(&action.sa_mask, sig);
  for (int sig : kFatalSignals)
    ::sigaction(sig, &action, nullptr);
  return true;
}

std::string AppCrashHandler::DumpPath() {
  return gInstalled.load() ? std::string(gDumpPath) : std::string();
}

void AppCrashHandler::WriteCrashDump(const char* message, int signalNumber, const void* address) noexcept {
  unsigned char expected = 0;
  if (!gReportClaimed.compare_exchange_strong(expected, 1)) {
    // Another thread is writing the report; give it up to two seconds before this crash proceeds.
    for (int i = 0; i < 200 && gReportDone.load() == 0; ++i) {
      struct timespec pause {
        0, 10 * 1000 * 1000
      };
      ::nanosleep(&pause, nullptr);
    }
    return;
  }
  if (gDumpPath[0] != '\0')
    WriteDumpFile(message ? message : "", signalNumber, address);

  SignalSafeText<1024> line;
  line.Append("FATAL: ");
  line.Append(message);
  line.Append(" (dump: ");
  line.Append(gDumpPath);
  line.Append(")");
  if (const CrashLogWriter writer = gWriter.load(std::memory_order_acquire))
    writer(line.Data(), line.Size());
  gReportDone.store(1);
}

} // namespace keel
