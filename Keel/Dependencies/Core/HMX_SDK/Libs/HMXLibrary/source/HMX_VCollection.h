// Wrapper of the host's plug-in collection (effects, package names, maker, version) for one
// registration; owns the effect descriptors and property maps it creates.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VDescriptionHost.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VEffectDescriptor.h"

// Threads: the thread that registers the plug-in.
class HMX_VCollection {
public:
  explicit HMX_VCollection(IHCFUnknown* hostObject);
  virtual ~HMX_VCollection();
  HMX_VCollection(const HMX_VCollection&) = delete;
  HMX_VCollection& operator=(const HMX_VCollection&) = delete;

  // A new effect descriptor owned by the collection.
  virtual HMX_VEffectDescriptor* CreateEffectDescriptor();
  virtual HMX_Result RegisterEffect(const char* effectID, HMX_VEffectDescriptor* descriptor);
  virtual HMX_Result SetMakerName(const char* name) {
    return mCollection ? mCollection->SetMakerName(name) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result AppendPackageName(const char* name) {
    return mCollection ? mCollection->AppendPackageName(name) : HMX_ERROR_NULL_OBJECT;
  }
  virtual HMX_Result SetPackageVersion(uint32_t version) {
    return mCollection ? mCollection->SetPackageVersion(version) : HMX_ERROR_NULL_OBJECT;
  }
  // A new map owned by the collection.
  virtual HMX_VPropertyMap* CreatePropertyMap();
  virtual HMX_Result AttachProperties(HMX_VPropertyMap* map) {
    return mCollection ? mCollection->AttachProperties(map ? map->HostInterface() : nullptr)
                       : HMX_ERROR_NULL_OBJECT;
  }
  // The host definition's 4-byte value.
  virtual HMX_Result HostDefinitionValue(uint32_t* out);
  // The embedded description host when the host answered its interface, else null.
  virtual HMX_VDescriptionHost* DescriptionHost() {
    return mDescriptionHost.DescriptionHostInterface() ? &mDescriptionHost : nullptr;
  }
  virtual const HMX_VDescriptionHost* DescriptionHost() const {
    return mDescriptionHost.DescriptionHostInterface() ? &mDescriptionHost : nullptr;
  }
  virtual HMX_IHCFHostDefinition* HostDefinition() const { return mDescriptionHost.Definition(); }

  // The host's collection object, which the registration asks for the interface it hands back.
  HMX_IHCFCollection* HostCollection() const { return mCollection.Get(); }

private:
  HMX_CHostRef<IHCFUnknown> mHostObject;
  HMX_CHostRef<HMX_IHCFCollection> mCollection;
  HMX_VDescriptionHost mDescriptionHost;
  std::vector<std::unique_ptr<HMX_VEffectDescriptor>> mEffects;
  std::vector<std::unique_ptr<HMX_VPropertyMap>> mPropertyMaps;
};
