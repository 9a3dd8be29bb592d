// Wrapper of the host's automation interface and of the controller's version 2 (for name changes).
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFAutomation.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFController.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostRef.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IAutomationDelegate.h"

// Threads: the host's non-real-time threads (through the parameters).
class HMX_VAutomationDelegate : public HMX_IAutomationDelegate {
public:
  explicit HMX_VAutomationDelegate(IHCFUnknown* hostObject)
      : mV1(HMX_AskInterface<HMX_IHCFAutomation>(hostObject, HMX_IID_Automation_V1)),
        mControllerV2(HMX_AskInterface<HMX_IHCFController_V2>(hostObject, HMX_IID_Controller_V2)) {}

  HMX_Result RegisterParam(const char* id) override {
    return mV1 ? mV1->RegisterParam(id) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result UnregisterParam(const char* id) override {
    return mV1 ? mV1->UnregisterParam(id) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result RequestValue(const char* id, double n) override {
    return mV1 ? mV1->RequestValue(id, n) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result ReportValue(const char* id, double n) override {
    return mV1 ? mV1->ReportValue(id, n) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result RequestTouch(const char* id) override {
    return mV1 ? mV1->RequestTouch(id) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result RequestRelease(const char* id) override {
    return mV1 ? mV1->RequestRelease(id) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result V1Op10(void* a) override { return mV1 ? mV1->HostOp10(a) : HMX_ERROR_NULL_OBJECT; }
  // Sends 'HXpn' with the ID and its NUL; an ID that is empty or has no NUL within 32 bytes is refused.
  HMX_Result NameChanged(const char* id) override;

private:
  HMX_CHostRef<HMX_IHCFAutomation> mV1;
  HMX_CHostRef<HMX_IHCFController_V2> mControllerV2;
};
