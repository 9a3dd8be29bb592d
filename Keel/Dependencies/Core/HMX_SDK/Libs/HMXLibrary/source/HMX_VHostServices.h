// Wrapper of the host services, versions 1 to 3, created through the host's class factory; the
// module's one instance reports every assertion and trace (see HMX::SetHostServices).
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFHostServices.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostRef.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IHostServices.h"

// Threads: any thread; read-only after construction.
class HMX_VHostServices : public HMX_IHostServices {
public:
  explicit HMX_VHostServices(IHCFUnknown* hostObject)
      : mV1(HMX_CreateThroughFactory<HMX_IHCFHostServices>(hostObject, HMX_CLSID_HostServices,
                                                           HMX_IID_HostServices_V1)),
        mV2(HMX_CreateThroughFactory<HMX_IHCFHostServices_V2>(hostObject, HMX_CLSID_HostServices,
                                                              HMX_IID_HostServices_V2)),
        mV3(HMX_CreateThroughFactory<HMX_IHCFHostServices_V3>(hostObject, HMX_CLSID_HostServices,
                                                              HMX_IID_HostServices_V3)) {}

  HMX_Result HandleAssertion(const char* file, int32_t line, const char* condition, int32_t flag) override {
    return mV3 ? mV3->HandleAssertion(file, line, condition, flag) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result HandleTrace(int32_t priority, const char* message) override {
    return mV1 ? mV1->HandleTrace(priority, message) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result V2Op6(void* a) override { return mV2 ? mV2->HostOp6(a) : HMX_ERROR_UNIMPLEMENTED; }

private:
  HMX_CHostRef<HMX_IHCFHostServices> mV1;
  HMX_CHostRef<HMX_IHCFHostServices_V2> mV2;
  HMX_CHostRef<HMX_IHCFHostServices_V3> mV3;
};
