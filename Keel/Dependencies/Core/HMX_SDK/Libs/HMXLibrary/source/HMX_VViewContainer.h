// Wrapper of the host's view container, versions 1 to 3. The host keeps the container's lifetime:
// the wrapper lets go of its interfaces without releasing them.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFViewContainer.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostRef.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IViewContainer.h"

// Threads: the host's user-interface thread.
class HMX_VViewContainer : public HMX_IViewContainer {
public:
  explicit HMX_VViewContainer(IHCFUnknown* hostObject)
      : mV1(HMX_AskInterface<HMX_IHCFViewContainer>(hostObject, HMX_IID_ViewContainer_V1).Detach()),
        mV2(HMX_AskInterface<HMX_IHCFViewContainer_V2>(hostObject, HMX_IID_ViewContainer_V2).Detach()),
        mV3(HMX_AskInterface<HMX_IHCFViewContainer_V3>(hostObject, HMX_IID_ViewContainer_V3).Detach()) {}
  // Lets go of the three interfaces in reverse order, without releasing them.
  ~HMX_VViewContainer() override {
    mV3 = nullptr;
    mV2 = nullptr;
    mV1 = nullptr;
  }
  HMX_VViewContainer(const HMX_VViewContainer&) = delete;
  HMX_VViewContainer& operator=(const HMX_VViewContainer&) = delete;

  HMX_Result V1Op4(void* a) override { return mV1 ? mV1->HostOp4(a) : HMX_SUCCESS; }
  void* NativeViewPtr() override { return mV1 ? mV1->NativeViewPtr() : nullptr; }
  HMX_Result V1Op6(void* a) override { return mV1 ? mV1->HostOp6(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result RequestViewSize(const HMX_ViewSize* size) override {
    return mV1 ? mV1->RequestViewSize(size) : HMX_SUCCESS;
  }
  HMX_Result V1Op8(void* a) override { return mV1 ? mV1->HostOp8(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V1Op9(void* a) override { return mV1 ? mV1->HostOp9(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V1Op10(void* a) override { return mV1 ? mV1->HostOp10(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V3Op14(void* a) override { return mV3 ? mV3->HostOp14(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V3Op15(void* a) override { return mV3 ? mV3->HostOp15(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op11(void* a) override { return mV2 ? mV2->HostOp11(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op12(void* a) override { return mV2 ? mV2->HostOp12(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op13(void* a) override { return mV2 ? mV2->HostOp13(a) : HMX_ERROR_UNIMPLEMENTED; }

private:
  HMX_IHCFViewContainer* mV1;
  HMX_IHCFViewContainer_V2* mV2;
  HMX_IHCFViewContainer_V3* mV3;
};
