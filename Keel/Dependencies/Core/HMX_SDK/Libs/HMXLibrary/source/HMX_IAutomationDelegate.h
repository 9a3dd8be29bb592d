// The library's view of the host's automation (wrapped by HMX_VAutomationDelegate).
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Errors.h"

// Notification type that tells the host a parameter's name changed ('HXpn').
inline constexpr uint32_t kHMXNotificationParamNameChanged = HMX_FourCC("HXpn");

class HMX_IAutomationDelegate {
public:
  virtual ~HMX_IAutomationDelegate() = default;
  virtual HMX_Result RegisterParam(const char* id) = 0;
  virtual HMX_Result UnregisterParam(const char* id) = 0;
  // Asks the host to set the parameter; the value counts once the host sends it back.
  virtual HMX_Result RequestValue(const char* id, double normalized) = 0;
  // Tells the host the parameter's confirmed value.
  virtual HMX_Result ReportValue(const char* id, double normalized) = 0;
  virtual HMX_Result RequestTouch(const char* id) = 0;
  virtual HMX_Result RequestRelease(const char* id) = 0;
  virtual HMX_Result V1Op10(void*) = 0;
  virtual HMX_Result NameChanged(const char* id) = 0;
};
