// Holding host interfaces.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostRef.h"

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_Exception.h"

#include <string>

namespace HMX::Detail {
// A host that reports success without an object breaks the contract; the entry point that called
// into the description catches this and answers HMX_ERROR_UNKNOWN_EXCEPTION.
void ThrowEmptyHostAnswer(const char* what) {
  throw HMX::Exception::Any(std::string("host answered success without an object (0x80000005) in ") + what);
}
} // namespace HMX::Detail
