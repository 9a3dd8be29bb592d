// Wrapper of a host effect descriptor (names, categories, create procedures, components), versions
// 1 and 2; owns the component descriptors and property maps it creates.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VComponentDescriptor.h"

// Threads: the registering thread only.
class HMX_VEffectDescriptor {
public:
  explicit HMX_VEffectDescriptor(IHCFUnknown* hostObject);
  virtual ~HMX_VEffectDescriptor();
  HMX_VEffectDescriptor(const HMX_VEffectDescriptor&) = delete;
  HMX_VEffectDescriptor& operator=(const HMX_VEffectDescriptor&) = delete;

  // A new component descriptor owned by this descriptor.
  virtual HMX_VComponentDescriptor* CreateComponentDescriptor();
  virtual HMX_Result AttachComponent(HMX_VComponentDescriptor* component) {
    return mV1 ? mV1->AttachComponent(component ? component->V1Interface() : nullptr) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result AppendEffectName(const char* name) {
    return mV1 ? mV1->AppendEffectName(name) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result AppendCategory(uint32_t categoryBits) {
    return mV1 ? mV1->AppendCategory(categoryBits) : HMX_ERROR_NULL_OBJECT;
  }
  // The bypass parameter ID is not passed on.
  virtual HMX_Result AppendCategoryWithBypass(uint32_t categoryBits, const char*) {
    return AppendCategory(categoryBits);
  }
  virtual HMX_Result V1Op7(void* a) { return mV1 ? mV1->HostOp7(a) : HMX_ERROR_NULL_OBJECT; }
  virtual HMX_Result RegisterCreateProc(HMX_CreateProc proc, int32_t procID) {
    return mV1 ? mV1->RegisterCreateProc(proc, procID) : HMX_ERROR_NULL_OBJECT;
  }
  // A new map owned by this descriptor.
  virtual HMX_VPropertyMap* CreatePropertyMap();
  virtual HMX_Result AttachProperties(HMX_VPropertyMap* map) {
    return mV1 ? mV1->AttachProperties(map ? map->HostInterface() : nullptr) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result V1Op10(void* a) { return mV1 ? mV1->HostOp10(a) : HMX_ERROR_NULL_OBJECT; }
  virtual HMX_Result V1Op11(int32_t a, int32_t b, HMX_VPropertyMap* map) {
    return mV1 ? mV1->HostOp11(a, b, map ? map->HostInterface() : nullptr) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result V2Op12(void* a) { return mV2 ? mV2->HostOp12(a) : HMX_ERROR_UNIMPLEMENTED; }

  // The version-1 interface handed to the collection.
  IHCFUnknown* V1Interface() const { return mV1.Get(); }

private:
  HMX_CHostRef<IHCFUnknown> mHostObject;
  HMX_CHostRef<HMX_IHCFEffectDescriptor> mV1;
  HMX_CHostRef<HMX_IHCFEffectDescriptor_V2> mV2;
  std::vector<std::unique_ptr<HMX_VComponentDescriptor>> mComponents;
  std::vector<std::unique_ptr<HMX_VPropertyMap>> mPropertyMaps;
};
