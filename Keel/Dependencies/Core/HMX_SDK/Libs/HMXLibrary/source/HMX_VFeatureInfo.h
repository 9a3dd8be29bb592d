// Wrapper of the host's answer about one feature: its support level and its properties.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VPropertyMap.h"

class HMX_VFeatureInfo {
public:
  HMX_VFeatureInfo(const HMX_GUID& featureID, IHCFUnknown* hostObject)
      : mFeatureID(featureID), mInfo(HMX_AskInterface<HMX_IHCFFeatureInfo>(hostObject, HMX_IID_FeatureInfo)) {
  }
  virtual ~HMX_VFeatureInfo() = default;

  virtual HMX_Result SupportLevel(int32_t* out) {
    return mInfo ? mInfo->SupportLevel(out) : HMX_ERROR_NULL_OBJECT;
  }
  // The feature's properties, owned by the caller; null when the host gives none.
  virtual HMX_VPropertyMap* AcquireProperties();
  virtual const HMX_GUID& FeatureID() const { return mFeatureID; }

private:
  HMX_GUID mFeatureID;
  HMX_CHostRef<HMX_IHCFFeatureInfo> mInfo;
};
