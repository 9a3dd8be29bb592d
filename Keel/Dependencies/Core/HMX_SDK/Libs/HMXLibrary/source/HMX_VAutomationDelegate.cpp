// Wrapper of the host's automation interface.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VAutomationDelegate.h"

#include <cstring>

namespace {
constexpr size_t kMaxIDBytes = 32; // an ID and its NUL fit in 32 bytes
}

HMX_Result HMX_VAutomationDelegate::NameChanged(const char* id) {
  if (!mControllerV2)
    return HMX_ERROR_UNIMPLEMENTED;
  const size_t length = id ? strnlen(id, kMaxIDBytes) : 0;
  if (length == 0 || length == kMaxIDBytes)
    return HMX_ERROR_INVALID_PARAMETER_ID;
  return mControllerV2->SendNotification(kHMXNotificationParamNameChanged, id, uint32_t(length + 1));
}
