// The effect's parameter manager.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CParamRegistry.h"

#include <cstring>

bool HMX_CParamRegistry::AddParameter(HMX_IParameter* parameter) {
  if (!parameter || mByID.count(parameter->ParameterID()))
    return false;
  parameter->AttachAutomation(mAutomation);
  mParameters.emplace_back(parameter);
  mByID.emplace(parameter->ParameterID(), parameter);
  return true;
}

HMX_IParameter* HMX_CParamRegistry::ParamAt(int32_t index) const {
  if (index < 0 || index >= Count())
    return nullptr;
  return mParameters[size_t(index)].get();
}

HMX_IParameter* HMX_CParamRegistry::ParamByID(const char* id) const {
  if (!id)
    return nullptr;
  const auto found = mByID.find(id);
  return found == mByID.end() ? nullptr : found->second;
}

int32_t HMX_CParamRegistry::IndexOfID(const char* id) const {
  if (!id)
    return -1;
  for (size_t i = 0; i < mParameters.size(); ++i)
    if (std::strcmp(mParameters[i]->ParameterID(), id) == 0)
      return int32_t(i);
  return -1;
}

void HMX_CParamRegistry::RemoveAll() {
  mByID.clear();
  mParameters.clear();
}
