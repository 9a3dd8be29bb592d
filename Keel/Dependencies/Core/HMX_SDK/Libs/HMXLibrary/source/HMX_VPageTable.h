// Wrapper of a host page table, versions 1 and 2; every missing version answers HMX_ERROR_UNIMPLEMENTED.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFPageTable.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostRef.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IPageTable.h"

class HMX_VPageTable : public HMX_IPageTable {
public:
  explicit HMX_VPageTable(IHCFUnknown* hostObject)
      : mV1(HMX_AskInterface<HMX_IHCFPageTable>(hostObject, HMX_IID_PageTable_V1)),
        mV2(HMX_AskInterface<HMX_IHCFPageTable_V2>(hostObject, HMX_IID_PageTable_V2)) {}

  // True when the host object answered at least one version.
  bool HasInterface() const { return mV1 || mV2; }

  HMX_Result V1Op4(void* a) override { return mV1 ? mV1->HostOp4(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V1Op5(void* a) override { return mV1 ? mV1->HostOp5(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V1Op6(void* a) override { return mV1 ? mV1->HostOp6(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V1Op7(void* a) override { return mV1 ? mV1->HostOp7(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V1Op8(void* a) override { return mV1 ? mV1->HostOp8(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V1Op9(void* a) override { return mV1 ? mV1->HostOp9(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V1Op10(void* a) override { return mV1 ? mV1->HostOp10(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V1Op11(void* a) override { return mV1 ? mV1->HostOp11(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V1Op12(void* a) override { return mV1 ? mV1->HostOp12(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op13(void* a) override { return mV2 ? mV2->HostOp13(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op14(void* a) override { return mV2 ? mV2->HostOp14(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op15(void* a) override { return mV2 ? mV2->HostOp15(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op16(void* a) override { return mV2 ? mV2->HostOp16(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op17(void* a) override { return mV2 ? mV2->HostOp17(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op18(void* a) override { return mV2 ? mV2->HostOp18(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op19(void* a) override { return mV2 ? mV2->HostOp19(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op20(void* a) override { return mV2 ? mV2->HostOp20(a) : HMX_ERROR_UNIMPLEMENTED; }

private:
  HMX_CHostRef<HMX_IHCFPageTable> mV1;
  HMX_CHostRef<HMX_IHCFPageTable_V2> mV2;
};
