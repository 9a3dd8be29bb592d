// Wrapper of the host's plug-in collection.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VCollection.h"

HMX_VCollection::HMX_VCollection(IHCFUnknown* hostObject)
    : mHostObject(HMX_AddRefed(hostObject)),
      mCollection(HMX_CreateThroughFactory<HMX_IHCFCollection>(hostObject, HMX_CLSID_Collection,
                                                               HMX_IID_Collection, HMX_EmptyAnswer::kThrow)),
      mDescriptionHost(hostObject) {}

HMX_VCollection::~HMX_VCollection() {
  // What was created through the collection goes first; then the holders release in reverse order.
  mPropertyMaps.clear();
  mEffects.clear();
}

HMX_VEffectDescriptor* HMX_VCollection::CreateEffectDescriptor() {
  mEffects.push_back(std::make_unique<HMX_VEffectDescriptor>(mHostObject.Get()));
  return mEffects.back().get();
}

HMX_Result HMX_VCollection::RegisterEffect(const char* effectID, HMX_VEffectDescriptor* descriptor) {
  if (!mCollection || !descriptor)
    return HMX_ERROR_NULL_OBJECT;
  return mCollection->RegisterEffect(effectID, descriptor->V1Interface());
}

HMX_VPropertyMap* HMX_VCollection::CreatePropertyMap() {
  mPropertyMaps.push_back(std::make_unique<HMX_VPropertyMap>(mHostObject.Get()));
  return mPropertyMaps.back().get();
}

HMX_Result HMX_VCollection::HostDefinitionValue(uint32_t* out) {
  if (!out)
    return HMX_ERROR_NULL_ARGUMENT;
  HMX_IHCFHostDefinition* definition = mDescriptionHost.Definition();
  if (!definition)
    return HMX_ERROR_NULL_OBJECT;
  int32_t type = 0;
  uint32_t size = 0;
  const HMX_Result info = definition->ValueInfo(HMX_KEY_HostDefinitionValue, &type, &size);
  if (info != HMX_SUCCESS)
    return info;
  if (size != sizeof(uint32_t))
    return HMX_ERROR_INVALID_ARGUMENT;
  // A failed read is answered as the failure it is, so that out never counts without success.
  return definition->ReadValue(HMX_KEY_HostDefinitionValue, out, sizeof(uint32_t));
}
