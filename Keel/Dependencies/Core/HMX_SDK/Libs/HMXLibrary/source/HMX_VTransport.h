// Wrapper of the host's transport, versions 1 to 6.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFTransport.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostRef.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_ITransport.h"

// Threads: whichever host thread calls its owner.
class HMX_VTransport : public HMX_ITransport {
public:
  explicit HMX_VTransport(IHCFUnknown* hostObject)
      : mV1(HMX_AskInterface<HMX_IHCFTransport>(hostObject, HMX_IID_Transport_V1)),
        mV2(HMX_AskInterface<HMX_IHCFTransport_V2>(hostObject, HMX_IID_Transport_V2)),
        mV3(HMX_AskInterface<HMX_IHCFTransport_V3>(hostObject, HMX_IID_Transport_V3)),
        mV4(HMX_AskInterface<HMX_IHCFTransport_V4>(hostObject, HMX_IID_Transport_V4)),
        mV5(HMX_AskInterface<HMX_IHCFTransport_V5>(hostObject, HMX_IID_Transport_V5)),
        mV6(HMX_AskInterface<HMX_IHCFTransport_V6>(hostObject, HMX_IID_Transport_V6)) {}

  HMX_Result Tempo(double* out) override { return mV1 ? mV1->Tempo(out) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result Meter(int32_t* n, int32_t* d) override { return mV1 ? mV1->Meter(n, d) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result IsPlaying(bool* out) override { return mV1 ? mV1->IsPlaying(out) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result TickPosition(int64_t* out) override {
    return mV1 ? mV1->TickPosition(out) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result LoopRange(bool* looping, int64_t* start, int64_t* end) override {
    return mV1 ? mV1->LoopRange(looping, start, end) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result SamplePosition(int64_t* out) override {
    return mV1 ? mV1->SamplePosition(out) : HMX_ERROR_NULL_OBJECT;
  }
  HMX_Result V1Op10(void* a) override { return mV1 ? mV1->HostOp10(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result V1Op11(void* a) override { return mV1 ? mV1->HostOp11(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result V1Op12(void* a) override { return mV1 ? mV1->HostOp12(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result V1Op13(void* a) override { return mV1 ? mV1->HostOp13(a) : HMX_ERROR_NULL_OBJECT; }
  HMX_Result V2Op14(void* a) override { return mV2 ? mV2->HostOp14(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op15(void* a) override { return mV2 ? mV2->HostOp15(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op16(void* a) override { return mV2 ? mV2->HostOp16(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V2Op17(void* a) override { return mV2 ? mV2->HostOp17(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V3Op18(void* a) override { return mV3 ? mV3->HostOp18(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V6Op4(void* a) override { return mV6 ? mV6->HostOp4(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V6Op5(void* a) override { return mV6 ? mV6->HostOp5(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V4Op19(void* a) override { return mV4 ? mV4->HostOp19(a) : HMX_ERROR_UNIMPLEMENTED; }
  HMX_Result V5Op20(void* a) override { return mV5 ? mV5->HostOp20(a) : HMX_ERROR_UNIMPLEMENTED; }

private:
  HMX_CHostRef<HMX_IHCFTransport> mV1;
  HMX_CHostRef<HMX_IHCFTransport_V2> mV2;
  HMX_CHostRef<HMX_IHCFTransport_V3> mV3;
  HMX_CHostRef<HMX_IHCFTransport_V4> mV4;
  HMX_CHostRef<HMX_IHCFTransport_V5> mV5;
  HMX_CHostRef<HMX_IHCFTransport_V6> mV6;
};
