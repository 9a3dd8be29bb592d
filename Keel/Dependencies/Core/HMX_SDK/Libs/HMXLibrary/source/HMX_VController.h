// Wrapper of the host's controller object: versions 1 to 7 and the class factory.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFController.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostRef.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IController.h"

// A missing version answers HMX_ERROR_NULL_OBJECT (version 1) or HMX_ERROR_UNIMPLEMENTED (later).
// Threads: whichever host thread calls its owner; no state beyond the pointers.
class HMX_VController : public HMX_IController {
public:
  explicit HMX_VController(IHCFUnknown* hostObject);

  HMX_Result V1Op4(void* a) override { return mV1 ? mV1->HostOp4(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result SampleRate(float* out) override { return mV1 ? mV1->SampleRate(out) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result InputStemFormat(int32_t* out) override {
    return mV1 ? mV1->InputStemFormat(out) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result OutputStemFormat(int32_t* out) override {
    return mV1 ? mV1->OutputStemFormat(out) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result V1Op8(void* a) override { return mV1 ? mV1->HostOp8(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result V1Op9(void* a) override { return mV1 ? mV1->HostOp9(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result V1Op10(void* a) override { return mV1 ? mV1->HostOp10(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result SetSignalLatency(int32_t samples) override {
    return mV1 ? mV1->SetSignalLatency(samples) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result V1Op12(void* a) override { return mV1 ? mV1->HostOp12(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result PostFieldPacket(int32_t field, const void* data, uint32_t size) override {
    return mV1 ? mV1->PostFieldPacket(field, data, size) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result SendNotification(uint32_t type) override { return SendNotification(type, nullptr, 0); }
  HMX_Result SendNotification(uint32_t type, const void* data, uint32_t size) override {
    return mV2 ? mV2->SendNotification(type, data, size) : HMX_ERROR_UNIMPLEMENTED;
  }
  HMX_Result V1Op14(void* a) override { return mV1 ? mV1->HostOp14(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result V1Op15(void* a) override { return mV1 ? mV1->HostOp15(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result V1Op16(void* a) override { return mV1 ? mV1->HostOp16(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result V1Op19(void* a) override { return mV1 ? mV1->HostOp19(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result V1Op17(void* a) override { return mV1 ? mV1->HostOp17(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result V1Op18(void* a) override { return mV1 ? mV1->HostOp18(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result V1Op20(void* a) override { return mV1 ? mV1->HostOp20(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result V2Op22(void* a) override { return mV2 ? mV2->HostOp22(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op23(void** out) override;
  HMX_Result V2Op24(void* a) override { return mV2 ? mV2->HostOp24(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V3Op25(void* a) override { return mV3 ? mV3->HostOp25(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V3Op26(void* a) override { return mV3 ? mV3->HostOp26(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V4Op27(void* a) override { return mV4 ? mV4->HostOp27(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V5Op29(void* a) override { return mV5 ? mV5->HostOp29(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V5Op28(void* a) override { return mV5 ? mV5->HostOp28(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_VPageTable* CreatePageTableA(uint32_t a, uint32_t b) override;
  HMX_VPageTable* CreatePageTableB(uint32_t a, uint32_t b) override;
  HMX_VPageTable* CreatePageTableC(uint32_t a, uint32_t b) override;
  HMX_VPageTable* CreatePageTableD(uint32_t a, uint32_t b) override;

private:
  // Makes a page-table object, lets the host fill it, and wraps it on success.
  template <class Fill> HMX_VPageTable* CreatePageTable(bool versionPresent, Fill&& fill);

  // Released in reverse order by the holders' destructors.
  HMX_CHostRef<HMX_IHCFController> mV1;
  HMX_CHostRef<HMX_IHCFController_V2> mV2;
  HMX_CHostRef<HMX_IHCFController_V3> mV3;
  HMX_CHostRef<HMX_IHCFController_V4> mV4;
  HMX_CHostRef<HMX_IHCFController_V5> mV5;
  HMX_CHostRef<HMX_IHCFController_V6> mV6;
  HMX_CHostRef<HMX_IHCFController_V7> mV7;
  HMX_CHostRef<IHCFClassFactory> mFactory;
};
