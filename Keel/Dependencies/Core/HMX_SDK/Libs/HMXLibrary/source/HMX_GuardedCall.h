// Runs a host-facing operation so that no exception reaches the host: a caught exception is traced
// and answered with a fallback code.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_Exception.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostReporting.h"

#include <exception>

namespace HMX {

// The trace reads "<operation> exception caught: <text>" ("unknown" for a foreign exception).
template <class Body>
HMX_Result GuardedCall(const char* operation, Body&& body,
                       HMX_Result fallback = HMX_ERROR_UNKNOWN_EXCEPTION) {
  try {
    return body();
  } catch (const HMX::Exception::Any& e) {
    HostTrace(kTracePriorityException, "%s exception caught: %s", operation, e.What().c_str());
  } catch (const std::exception& e) {
    HostTrace(kTracePriorityException, "%s exception caught: %s", operation, e.what());
  } catch (...) {
    HostTrace(kTracePriorityException, "%s exception caught: unknown", operation);
  }
  return fallback;
}

} // namespace HMX
