// Private data, state-number posting and the real-time process procedure of the HMX binding.
#include "Keel/Core/HMX/HMX_CIKeelParameters.h"

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostReporting.h"

#include <cstring>

namespace keel {

namespace {
constexpr const char* kSource = "Keel/Core/HMX/IKeelHMX_Parameters";
}

HMX_Result HMX_CIKeelParameters::InitFieldData(int32_t fieldIndex, void* data, uint32_t size) {
  if (!data)
    return HMX_SUCCESS;
  std::memset(data, 0, size);
  if (fieldIndex == kFieldPrivateData) {
    if (size != sizeof(HMX_SIKeelPrivateData)) {
      HMX::HostAssert(kSource, __LINE__, "iDataSize == sizeof(HMX_SIKeelPrivateData)");
      return HMX_SUCCESS;
    }
    HMX_SIKeelPrivateData privateData{this};
    std::memcpy(data, &privateData, sizeof privateData);
  }
  return HMX_SUCCESS;
}

HMX_Result HMX_CIKeelParameters::FlushParamUpdates() {
  if (const HMX_Result flushed = HMX_CEffectParameters::FlushParamUpdates(); flushed != HMX_SUCCESS)
    return flushed;
  const int64_t number = mStateCounter++;
  HMX_VController* controller = Controller();
  if (!controller)
    return HMX_ERROR_NULL_OBJECT;
  return controller->PostFieldPacket(kFieldStateNumber, &number, sizeof number);
}

void ProcessInstances(void* first, void* end) {
  auto** context = static_cast<HMX_InstanceContext**>(first);
  auto** last = static_cast<HMX_InstanceContext**>(end);
  for (; context && context < last; ++context) {
    if (!*context)
      continue;
    const auto* privateData = static_cast<const HMX_SIKeelPrivateData*>((*context)->fields[kFieldPrivateData]);
    if (!privateData || !privateData->instance)
      continue;
    auto* instance = static_cast<HMX_CIKeelParameters*>(privateData->instance);
    instance->RenderBlock(**context, nullptr, 0);
  }
}

} // namespace keel
