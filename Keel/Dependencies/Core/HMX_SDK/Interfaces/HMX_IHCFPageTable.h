// The host's page-table interfaces, versions 1 and 2 (control-surface page layouts).
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

// Entry numbers as the host counts them (4 to 12, then 13 to 20). Nothing in the module fills pages.
class HMX_IHCFPageTable : public IHCFUnknown {
public:
  virtual HMX_Result HostOp4(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp5(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp6(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp7(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp8(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp9(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp10(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp11(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp12(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFPageTable() = default;
};

class HMX_IHCFPageTable_V2 : public HMX_IHCFPageTable {
public:
  virtual HMX_Result HostOp13(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp14(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp15(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp16(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp17(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp18(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp19(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp20(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFPageTable_V2() = default;
};
