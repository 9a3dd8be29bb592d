// Wrapper of what the host says about itself while the module describes: features and definition.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VFeatureInfo.h"

class HMX_VDescriptionHost {
public:
  explicit HMX_VDescriptionHost(IHCFUnknown* hostObject)
      : mDescriptionHost(HMX_AskInterface<HMX_IHCFDescriptionHost>(hostObject, HMX_IID_DescriptionHost)),
        mDefinition(HMX_AskInterface<HMX_IHCFHostDefinition>(hostObject, HMX_IID_HostDefinition)) {}
  virtual ~HMX_VDescriptionHost() = default;
  HMX_VDescriptionHost(const HMX_VDescriptionHost&) = delete;
  HMX_VDescriptionHost& operator=(const HMX_VDescriptionHost&) = delete;

  // What the host says about the feature, owned by the caller; null when it says nothing.
  virtual HMX_VFeatureInfo* AcquireFeatureInfo(const HMX_GUID& featureID);

  HMX_IHCFDescriptionHost* DescriptionHostInterface() const { return mDescriptionHost.Get(); }
  HMX_IHCFHostDefinition* Definition() const { return mDefinition.Get(); }

private:
  HMX_CHostRef<HMX_IHCFDescriptionHost> mDescriptionHost;
  HMX_CHostRef<HMX_IHCFHostDefinition> mDefinition;
};
