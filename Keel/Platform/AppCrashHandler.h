// Crash handlers of the standalone program: fatal signals and std::terminate end in one crash report
// (a dump file and a "FATAL:" log line) per process, then the process dies as it would have anyway.
#pragma once

#include <cstddef>
#include <string>

namespace keel {

// Writes one log message from inside a signal handler; must use async-signal-safe calls only.
using CrashLogWriter = void (*)(const char* message, std::size_t length) noexcept;

// Installed once per process from the UI thread; the handlers then live until the process ends.
class AppCrashHandler {
public:
  static constexpr const char* kDumpFileName = "velmora-crash.dmp";

  // Installs the terminate handler and the handlers of SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT
  // (run on an alternate stack, so that a stack overflow is reported too). The dump path is fixed here
  // because a signal handler may not read the environment. Returns false when already installed.
  static bool Install(CrashLogWriter writer);

  // The dump file path fixed by Install; empty before it.
  static std::string DumpPath();

  // Writes the dump (message, signal, address, backtrace, memory map) and logs
  // "FATAL: <message> (dump: <path>)". Only the first call of a process does anything; a concurrent
  // second crash waits briefly for the first report instead of ending the process under it.
  // Async-signal-safe. signalNumber 0 means "no signal".
  static void WriteCrashDump(const char* message, int signalNumber, const void* address) noexcept;
};

// Temporary folder + "/" + fileName; the temporary folder as the log uses it.
std::string GetCrashDumpFolder(const char* fileName);

} // namespace keel
