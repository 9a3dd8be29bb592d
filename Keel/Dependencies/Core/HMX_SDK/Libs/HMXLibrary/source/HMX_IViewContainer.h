// The library's view of the host's view container (wrapped by HMX_VViewContainer).
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Errors.h"

class HMX_IViewContainer {
public:
  virtual ~HMX_IViewContainer() = default;
  virtual HMX_Result V1Op4(void*) = 0;
  // The host's native view (on Linux whatever the host passes, e.g. a GTK widget), or null.
  virtual void* NativeViewPtr() = 0;
  virtual HMX_Result V1Op6(void*) = 0;
  virtual HMX_Result RequestViewSize(const HMX_ViewSize* size) = 0;
  virtual HMX_Result V1Op8(void*) = 0;
  virtual HMX_Result V1Op9(void*) = 0;
  virtual HMX_Result V1Op10(void*) = 0;
  virtual HMX_Result V3Op14(void*) = 0;
  virtual HMX_Result V3Op15(void*) = 0;
  virtual HMX_Result V2Op11(void*) = 0;
  virtual HMX_Result V2Op12(void*) = 0;
  virtual HMX_Result V2Op13(void*) = 0;
};
