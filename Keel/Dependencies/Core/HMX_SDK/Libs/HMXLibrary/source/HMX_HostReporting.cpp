// Assertions and traces that go to the host.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostReporting.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace HMX {

namespace {
std::atomic<HMX_IHostServices*> gHostServices{nullptr};
constexpr size_t kTraceBufferBytes = 512;
} // namespace

void SetHostServices(HMX_IHostServices* services) {
  gHostServices.store(services);
}
HMX_IHostServices* GetHostServices() {
  return gHostServices.load();
}

HMX_Result HostAssert(const char* sourceFile, int32_t line, const char* condition, int32_t flag) {
  HMX_IHostServices* services = GetHostServices();
  if (!services)
    return HMX_SUCCESS;
  return services->HandleAssertion(sourceFile, line, condition, flag);
}

HMX_Result HostTrace(int32_t priority, const char* format, ...) {
  char message[kTraceBufferBytes];
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  if (written < 0)
    return HMX_ERROR_TRACE_FORMAT;
  HMX_IHostServices* services = GetHostServices();
  if (!services)
    return HMX_SUCCESS;
  return services->HandleTrace(priority, message);
}

} // namespace HMX
