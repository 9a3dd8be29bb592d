// The process-wide program log: velmora.log in the temporary folder, one timestamped line per message.
#pragma once

#include "Keel/Platform/AppendFile.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>

// Any thread may call Log; the mutex serialises opening and writing, and formatting happens before it.
// WriteFromSignal is the crash handler's way in: it takes no lock and allocates nothing.
class Logger {
public:
  Logger() = default;
  ~Logger();
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  // printf-style; the message is cut to 1023 bytes. The first line of the process rotates the files
  // (velmora.log becomes velmora-prev.log) and opens the log; while that fails, lines are dropped and
  // the open is retried with the next line, without rotating the same folder again.
  void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // Full path of the open log file; empty until the first line has opened it.
  std::string LogFilePath();

  // Writes one line to the process-wide log from a signal handler (async-signal-safe). A log that is
  // not open yet drops the line.
  static void WriteFromSignal(const char* message, std::size_t length) noexcept;

  static constexpr std::size_t kMessageBytes = 1024;
  static constexpr const char* kFileName = "velmora.log";
  static constexpr const char* kPreviousFileName = "velmora-prev.log";

private:
  void Open(); // under mMutex
  void WriteLine(const char* message, std::size_t length) noexcept;

  keel::AppendFile mFile;
  std::string mPath;
  std::string mRotatedPath; // the log whose previous run has already been moved aside
  std::mutex mMutex;
  // Local time's offset from UTC at the last line, so that a signal handler can print local time
  // without calling the (unsafe) time-zone functions.
  std::atomic<long> mUtcOffsetSeconds{0};
};

// The process-wide log, created on first use.
Logger& GetLogger();

// "HH:MM:SS.mmm" of the current local time into buffer (64 bytes are plenty).
void FormatLogTimestamp(char* buffer, std::size_t size);
