// The host's services interfaces, versions 1 to 3: traces and assertions from the module.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

// Entry numbers as the host counts them: HandleTrace is 5, HandleAssertion 7.
// Threads: any thread between the module's start-up and shut-down.
class HMX_IHCFHostServices : public IHCFUnknown {
public:
  virtual HMX_Result HostOp4(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HandleTrace(int32_t /*priority*/, const char* /*message*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }

protected:
  ~HMX_IHCFHostServices() = default;
};

class HMX_IHCFHostServices_V2 : public HMX_IHCFHostServices {
public:
  virtual HMX_Result HostOp6(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFHostServices_V2() = default;
};

class HMX_IHCFHostServices_V3 : public HMX_IHCFHostServices_V2 {
public:
  virtual HMX_Result HandleAssertion(const char* /*sourceFile*/, int32_t /*line*/, const char* /*condition*/,
                                     int32_t /*flag*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }

protected:
  ~HMX_IHCFHostServices_V3() = default;
};
