// Wrapper of the host's controller object.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VController.h"

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VPageTable.h"

HMX_VController::HMX_VController(IHCFUnknown* hostObject)
    : mV1(HMX_AskInterface<HMX_IHCFController>(hostObject, HMX_IID_Controller_V1)),
      mV2(HMX_AskInterface<HMX_IHCFController_V2>(hostObject, HMX_IID_Controller_V2)),
      mV3(HMX_AskInterface<HMX_IHCFController_V3>(hostObject, HMX_IID_Controller_V3)),
      mV4(HMX_AskInterface<HMX_IHCFController_V4>(hostObject, HMX_IID_Controller_V4)),
      mV5(HMX_AskInterface<HMX_IHCFController_V5>(hostObject, HMX_IID_Controller_V5)),
      mV6(HMX_AskInterface<HMX_IHCFController_V6>(hostObject, HMX_IID_Controller_V6)),
      mV7(HMX_AskInterface<HMX_IHCFController_V7>(hostObject, HMX_IID_Controller_V7)),
      mFactory(HMX_AskInterface<IHCFClassFactory>(hostObject, HMX_IID_ClassFactory)) {}

HMX_Result HMX_VController::V2Op23(void** out) {
  if (!mV2) {
    if (out)
      *out = nullptr;
    return HMX_ERROR_UNIMPLEMENTED;
  }
  return mV2->HostOp23(out);
}

template <class Fill> HMX_VPageTable* HMX_VController::CreatePageTable(bool versionPresent, Fill&& fill) {
  if (!versionPresent || !mFactory)
    return nullptr;
  void* created = nullptr;
  if (mFactory->CreateInstance(HMX_CLSID_PageTable, nullptr, HMX_IID_PageTable_V2, &created) != HMX_SUCCESS ||
      !created)
    return nullptr;
  // The creation's own reference goes on every path; the wrapper holds its own.
  HMX_CHostRef<IHCFUnknown> table(static_cast<IHCFUnknown*>(created));
  if (fill(table.Get()) != HMX_SUCCESS)
    return nullptr;
  return new HMX_VPageTable(table.Get());
}

HMX_VPageTable* HMX_VController::CreatePageTableA(uint32_t a, uint32_t b) {
  return CreatePageTable(bool(mV6), [&](IHCFUnknown* t) { return mV6->CreatePageTableA(a, b, t); });
}
HMX_VPageTable* HMX_VController::CreatePageTableB(uint32_t a, uint32_t b) {
  return CreatePageTable(bool(mV6), [&](IHCFUnknown* t) { return mV6->CreatePageTableB(a, b, t); });
}
HMX_VPageTable* HMX_VController::CreatePageTableC(uint32_t a, uint32_t b) {
  return CreatePageTable(bool(mV7), [&](IHCFUnknown* t) { return mV7->CreatePageTableC(a, b, t); });
}
HMX_VPageTable* HMX_VController::CreatePageTableD(uint32_t a, uint32_t b) {
  return CreatePageTable(bool(mV7), [&](IHCFUnknown* t) { return mV7->CreatePageTableD(a, b, t); });
}
