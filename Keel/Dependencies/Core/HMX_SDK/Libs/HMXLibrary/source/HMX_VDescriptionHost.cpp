// Wrapper of what the host says about itself while the module describes.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VDescriptionHost.h"

HMX_VFeatureInfo* HMX_VDescriptionHost::AcquireFeatureInfo(const HMX_GUID& featureID) {
  if (!mDescriptionHost)
    return nullptr;
  IHCFUnknown* info = nullptr;
  if (mDescriptionHost->AcquireFeatureInfo(featureID, &info) != HMX_SUCCESS || !info)
    return nullptr;
  HMX_CHostRef<IHCFUnknown> answered(info);
  return new HMX_VFeatureInfo(featureID, info);
}
