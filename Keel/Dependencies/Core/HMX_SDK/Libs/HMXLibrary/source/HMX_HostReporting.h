// Assertions and traces that go to the host through the module's host-services object.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IHostServices.h"

namespace HMX {

// Trace priorities used by the library.
inline constexpr int32_t kTracePriorityParamCount = 0x10000000; // "error getting the number of parameters"
inline constexpr int32_t kTracePriorityException = 0x08000000;  // caught exceptions and missing data
inline constexpr int32_t kTracePriorityChecked = 0x04000000;    // HMX_CheckedResult before it throws

// The module's host-services object, set by start-up and cleared by shut-down while no other call
// runs; the caller keeps ownership. Null means assertions and traces are dropped.
void SetHostServices(HMX_IHostServices* services);
HMX_IHostServices* GetHostServices();

// Passes the assertion on (the library always passes flag 1); 0 without host services.
HMX_Result HostAssert(const char* sourceFile, int32_t line, const char* condition, int32_t flag = 1);

// Formats the message (cut to 511 characters) and passes it on; HMX_ERROR_TRACE_FORMAT when it
// cannot be formatted, 0 without host services, else the host's answer.
HMX_Result HostTrace(int32_t priority, const char* format, ...) __attribute__((format(printf, 2, 3)));

} // namespace HMX
