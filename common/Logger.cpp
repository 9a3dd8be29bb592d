// The process-wide program log: velmora.log in the temporary folder, one timestamped line per message.
#include "common/Logger.h"

#include "Keel/Platform/FileSystemUTF8.h"
#include "Keel/Platform/SignalSafeText.h"
#include "Keel/Platform/SpecialFolders.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

std::atomic<Logger*> gProcessLogger{nullptr};

using LineText = keel::SignalSafeText<Logger::kMessageBytes + 64>;

long CurrentUtcOffsetSeconds(std::time_t now) {
  std::tm local{};
  if (!localtime_r(&now, &local))
    return 0;
  return local.tm_gmtoff;
}

// "HH:MM:SS.mmm" of the given instant shifted by a UTC offset; pure arithmetic, so a signal handler can
// use it. Equivalent to printing the local time with "%02d:%02d:%02d.%03lld".
template <std::size_t N>
void AppendTimestamp(keel::SignalSafeText<N>& out, std::int64_t epochMs, long utcOffsetSeconds) {
  const std::int64_t ms = ((epochMs % 1000) + 1000) % 1000;
  std::int64_t secondsOfDay = (epochMs - ms) / 1000 + utcOffsetSeconds;
  secondsOfDay = ((secondsOfDay % 86400) + 86400) % 86400;
  out.AppendUnsigned(static_cast<std::uint64_t>(secondsOfDay / 3600), 2);
  out.AppendChar(':');
  out.AppendUnsigned(static_cast<std::uint64_t>(secondsOfDay / 60 % 60), 2);
  out.AppendChar(':');
  out.AppendUnsigned(static_cast<std::uint64_t>(secondsOfDay % 60), 2);
  out.AppendChar('.');
  out.AppendUnsigned(static_cast<std::uint64_t>(ms), 3);
}

std::int64_t NowEpochMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string TempFilePath(const char* name) {
  std::string folder = keel::GetTempFolderPath();
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  return keel::JoinPath(folder, name);
}

} // namespace

void FormatLogTimestamp(char* buffer, std::size_t size) {
  if (!buffer || size == 0)
    return;
  const std::int64_t nowMs = NowEpochMs();
  keel::SignalSafeText<32> text;
  AppendTimestamp(text, nowMs, CurrentUtcOffsetSeconds(static_cast<std::time_t>(nowMs / 1000)));
  const std::size_t n = std::min(text.Size(), size - 1);
  std::memcpy(buffer, text.Data(), n);
  buffer[n] = '\0';
}

Logger& GetLogger() {
  // Never destroyed: threads and static destructors may still log while the process exits, and every
  // line is already on disk, so there is nothing to flush.
  static Logger* const logger = [] {
    auto* l = new Logger();
    gProcessLogger.store(l, std::memory_order_release);
    return l;
  }();
  return *logger;
}

Logger::~Logger() {
  Logger* self = this;
  gProcessLogger.compare_exchange_strong(self, nullptr);
}

void Logger::Log(const char* format, ...) {
  char message[kMessageBytes];
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(message, sizeof message, format ? format : "", args);
  va_end(args);
  if (written < 0)
    message[0] = '\0';

  std::lock_guard<std::mutex> lock(mMutex);
  if (!mFile.IsOpen())
    Open();
  if (!mFile.IsOpen())
    return;
  WriteLine(message, std::strlen(message));
}

std::string Logger::LogFilePath() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mPath;
}

void Logger::Open() {
  const std::string path = TempFilePath(kFileName);
  const std::string previous = TempFilePath(kPreviousFileName);
  // Rotating again after a failed open would delete the previous run's log, which the first rotation
  // has just saved; so a folder that exists is rotated once.
  if (path != mRotatedPath) {
    keel::RemoveFileUTF8(previous.c_str());
    keel::RenameFileUTF8(path.c_str(), previous.c_str());
    keel::FileStatus folder;
    if (keel::statUTF8(keel::GetTempFolderPath().c_str(), &folder) == 0 && folder.isDirectory)
      mRotatedPath = path;
  }
  mPath = path;
  if (!mFile.Open(path.c_str(), true))
    return;
  const std::string banner = "===== Velmora logger opened (" + path + ") =====";
  WriteLine(banner.c_str(), banner.size());
}

void Logger::WriteLine(const char* message, std::size_t length) noexcept {
  const std::int64_t nowMs = NowEpochMs();
  const long offset = CurrentUtcOffsetSeconds(static_cast<std::time_t>(nowMs / 1000));
  mUtcOffsetSeconds.store(offset, std::memory_order_relaxed);
  LineText line;
  line.AppendChar('[');
  AppendTimestamp(line, nowMs, offset);
  line.Append("] ");
  line.Append(message, length);
  line.AppendChar('\n');
  mFile.Write(line.Data(), line.Size());
}

void Logger::WriteFromSignal(const char* message, std::size_t length) noexcept {
  Logger* logger = gProcessLogger.load(std::memory_order_acquire);
  if (!logger || !logger->mFile.IsOpen())
    return;
  LineText line;
  line.AppendChar('[');
  AppendTimestamp(line, NowEpochMs(), logger->mUtcOffsetSeconds.load(std::memory_order_relaxed));
  line.Append("] ");
  line.Append(message, std::min(length, kMessageBytes - 1));
  line.AppendChar('\n');
  logger->mFile.Write(line.Data(), line.Size());
}
