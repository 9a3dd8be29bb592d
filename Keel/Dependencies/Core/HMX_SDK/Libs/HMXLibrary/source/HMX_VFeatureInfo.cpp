// Wrapper of the host's answer about one feature.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VFeatureInfo.h"

HMX_VPropertyMap* HMX_VFeatureInfo::AcquireProperties() {
  if (!mInfo)
    return nullptr;
  IHCFUnknown* map = nullptr;
  if (mInfo->AcquireProperties(&map) != HMX_SUCCESS || !map)
    return nullptr;
  HMX_CHostRef<IHCFUnknown> answered(map); // the wrapper takes references of its own
  return new HMX_VPropertyMap(nullptr, map);
}
