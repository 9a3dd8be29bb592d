// A result holder that throws on a code it does not accept.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CheckedResult.h"

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_Exception.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostReporting.h"

HMX_CheckedResult::HMX_CheckedResult(HMX_Result result) {
  Check(result);
}

HMX_CheckedResult& HMX_CheckedResult::operator=(HMX_Result result) {
  Check(result);
  return *this;
}

void HMX_CheckedResult::Check(HMX_Result result) {
  mCurrent = result;
  if (mAccepted.count(result))
    return;
  HMX::Exception::ResultError error(result);
  mCurrent = HMX_SUCCESS;
  mLastError = result;
  HMX::HostTrace(HMX::kTracePriorityChecked, "HMX_CheckedResult - throwing %s", error.What().c_str());
  throw error;
}
