// The host's automation interface: parameters register, request values, gestures and report values.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

// Entry numbers as the host counts them: RegisterParam is 4, HostOp10 is 10.
// Threads: the host's non-real-time threads.
class HMX_IHCFAutomation : public IHCFUnknown {
public:
  virtual HMX_Result RegisterParam(const char* /*id*/) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result UnregisterParam(const char* /*id*/) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result RequestValue(const char* /*id*/, double /*normalized*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result ReportValue(const char* /*id*/, double /*normalized*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result RequestTouch(const char* /*id*/) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result RequestRelease(const char* /*id*/) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp10(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFAutomation() = default;
};
