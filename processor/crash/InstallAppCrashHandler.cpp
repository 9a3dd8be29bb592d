// Puts the standalone program's crash handlers in place, reporting into the program log.
#include "processor/crash/InstallAppCrashHandler.h"

#include "Keel/Platform/AppCrashHandler.h"
#include "common/Logger.h"

namespace {
constexpr const char* kCrashReportVersion = "1.0.13";
}

void InstallAppCrashHandler() {
  if (!keel::AppCrashHandler::Install(&Logger::WriteFromSignal))
    return;
  // This line also opens the log, so that a crash report always has an open file to write to.
  GetLogger().Log("AppCrashHandler installed (v%s, dump: %s)", kCrashReportVersion,
                  keel::AppCrashHandler::DumpPath().c_str());
}
