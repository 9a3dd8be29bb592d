// Wrapper of a host effect descriptor.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VEffectDescriptor.h"

HMX_VEffectDescriptor::HMX_VEffectDescriptor(IHCFUnknown* hostObject)
    : mHostObject(HMX_AddRefed(hostObject)),
      mV1(HMX_CreateThroughFactory<HMX_IHCFEffectDescriptor>(
          hostObject, HMX_CLSID_EffectDescriptor, HMX_IID_EffectDescriptor_V1, HMX_EmptyAnswer::kThrow)),
      mV2(HMX_AskInterface<HMX_IHCFEffectDescriptor_V2>(mV1.Get(), HMX_IID_EffectDescriptor_V2)) {}

HMX_VEffectDescriptor::~HMX_VEffectDescriptor() {
  mPropertyMaps.clear();
  mComponents.clear();
}

HMX_VComponentDescriptor* HMX_VEffectDescriptor::CreateComponentDescriptor() {
  mComponents.push_back(std::make_unique<HMX_VComponentDescriptor>(mHostObject.Get()));
  return mComponents.back().get();
}

HMX_VPropertyMap* HMX_VEffectDescriptor::CreatePropertyMap() {
  mPropertyMaps.push_back(std::make_unique<HMX_VPropertyMap>(mHostObject.Get()));
  return mPropertyMaps.back().get();
}
