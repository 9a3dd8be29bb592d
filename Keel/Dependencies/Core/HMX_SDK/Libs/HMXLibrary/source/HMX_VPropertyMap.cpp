// Wrapper of a host property map.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VPropertyMap.h"

namespace {
// Stem numbers that hosts without a description host understand.
constexpr int32_t kMaxOldHostStemNumber = 12;
constexpr uint32_t kStemFormatNoneA = 0xFFFF0000u;
constexpr uint32_t kStemFormatNoneB = 0xFF9C0000u; // "no stem format" (-100 x 65536)
} // namespace

HMX_VPropertyMap::HMX_VPropertyMap(IHCFUnknown* hostObject)
    : mV1(HMX_CreateThroughFactory<HMX_IHCFPropertyMap>(hostObject, HMX_CLSID_PropertyMap,
                                                        HMX_IID_PropertyMap_V1, HMX_EmptyAnswer::kThrow)),
      mV2(HMX_AskInterface<HMX_IHCFPropertyMap_V2>(mV1.Get(), HMX_IID_PropertyMap_V2)),
      mV3(HMX_AskInterface<HMX_IHCFPropertyMap_V3>(mV1.Get(), HMX_IID_PropertyMap_V3)) {
  FindDescriptionHost(hostObject);
}

HMX_VPropertyMap::HMX_VPropertyMap(IHCFUnknown* hostObject, IHCFUnknown* existingMap)
    : mV1(HMX_AskInterface<HMX_IHCFPropertyMap>(existingMap, HMX_IID_PropertyMap_V1,
                                                HMX_EmptyAnswer::kThrow)),
      mV2(HMX_AskInterface<HMX_IHCFPropertyMap_V2>(existingMap, HMX_IID_PropertyMap_V2)),
      mV3(HMX_AskInterface<HMX_IHCFPropertyMap_V3>(existingMap, HMX_IID_PropertyMap_V3)) {
  FindDescriptionHost(hostObject);
}

void HMX_VPropertyMap::FindDescriptionHost(IHCFUnknown* hostObject) {
  mDescriptionHost = HMX_AskInterface<HMX_IHCFDescriptionHost>(hostObject, HMX_IID_DescriptionHost);
  if (!mDescriptionHost) {
    HMX_CHostRef<IHCFClassFactory> factory =
        HMX_AskInterface<IHCFClassFactory>(hostObject, HMX_IID_ClassFactory);
    mDescriptionHost = HMX_AskInterface<HMX_IHCFDescriptionHost>(factory.Get(), HMX_IID_DescriptionHost);
  }
  if (!mDescriptionHost)
    mDescriptionHost = HMX_AskInterface<HMX_IHCFDescriptionHost>(mV2.Get(), HMX_IID_DescriptionHost);
  if (!mDescriptionHost)
    mDescriptionHost = HMX_AskInterface<HMX_IHCFDescriptionHost>(mV3.Get(), HMX_IID_DescriptionHost);
  if (!mDescriptionHost)
    mDescriptionHost = HMX_AskInterface<HMX_IHCFDescriptionHost>(mV1.Get(), HMX_IID_DescriptionHost);
}

bool HMX_VPropertyMap::GetProperty(int32_t id, int32_t* out) {
  return mV1 ? mV1->GetProperty(id, out) : false;
}

bool HMX_VPropertyMap::GetPointerProperty(int32_t id, void** out) {
  if (mV3)
    return mV3->GetPointerProperty(id, out);
  if (!out)
    return false;
  const auto found = mLocalPointers.find(id);
  if (found == mLocalPointers.end())
    return false;
  *out = found->second;
  return true;
}

HMX_Result HMX_VPropertyMap::AddProperty(int32_t id, int32_t value) {
  if (id == HMX_eProperty_StemFormats) {
    const HMX_Result input = AddProperty(HMX_eProperty_InputStemFormat, value);
    const HMX_Result output = AddProperty(HMX_eProperty_OutputStemFormat, value);
    return input != HMX_SUCCESS ? input : output;
  }
  if ((id == HMX_eProperty_InputStemFormat || id == HMX_eProperty_OutputStemFormat) && !mDescriptionHost) {
    const int32_t stemNumber = int16_t(uint32_t(value) >> 16);
    const bool none = uint32_t(value) == kStemFormatNoneA || uint32_t(value) == kStemFormatNoneB;
    if (!none && (stemNumber < 0 || stemNumber > kMaxOldHostStemNumber))
      return HMX_ERROR_PROPERTY_UNDEFINED;
  }
  return mV1 ? mV1->AddProperty(id, value) : HMX_ERROR_NULL_OBJECT;
}

HMX_Result HMX_VPropertyMap::AddPointerProperty(int32_t id, void* pointer) {
  if (mV3)
    return mV3->AddPointerProperty(id, pointer);
  if (id < HMX_eProperty_NativeProcessProc || id > HMX_eProperty_TIBackgroundProc)
    return HMX_ERROR_UNIMPLEMENTED;
  mLocalPointers[id] = pointer;
  return HMX_SUCCESS;
}

IHCFUnknown* HMX_VPropertyMap::HostInterface() const {
  if (mV3)
    return mV3.Get();
  if (mV2)
    return mV2.Get();
  return mV1.Get();
}
