// The host's view-container interfaces, versions 1 to 3: the native view the editor draws into.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

// Entry numbers as the host counts them: NativeViewPtr is 5, RequestViewSize 7.
// Threads: the host's user-interface thread.
class HMX_IHCFViewContainer : public IHCFUnknown {
public:
  virtual HMX_Result HostOp4(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  // The native view (a window handle on the host's platform), or null.
  virtual void* NativeViewPtr() { return nullptr; }
  virtual HMX_Result HostOp6(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result RequestViewSize(const HMX_ViewSize*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp8(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp9(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp10(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFViewContainer() = default;
};

class HMX_IHCFViewContainer_V2 : public HMX_IHCFViewContainer {
public:
  virtual HMX_Result HostOp11(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp12(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp13(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFViewContainer_V2() = default;
};

class HMX_IHCFViewContainer_V3 : public HMX_IHCFViewContainer_V2 {
public:
  virtual HMX_Result HostOp14(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp15(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFViewContainer_V3() = default;
};
