// The library's view of a host page table (wrapped by HMX_VPageTable).
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Errors.h"

class HMX_IPageTable {
public:
  virtual ~HMX_IPageTable() = default;
  virtual HMX_Result V1Op4(void*) = 0;
  virtual HMX_Result V1Op5(void*) = 0;
  virtual HMX_Result V1Op6(void*) = 0;
  virtual HMX_Result V1Op7(void*) = 0;
  virtual HMX_Result V1Op8(void*) = 0;
  virtual HMX_Result V1Op9(void*) = 0;
  virtual HMX_Result V1Op10(void*) = 0;
  virtual HMX_Result V1Op11(void*) = 0;
  virtual HMX_Result V1Op12(void*) = 0;
  virtual HMX_Result V2Op13(void*) = 0;
  virtual HMX_Result V2Op14(void*) = 0;
  virtual HMX_Result V2Op15(void*) = 0;
  virtual HMX_Result V2Op16(void*) = 0;
  virtual HMX_Result V2Op17(void*) = 0;
  virtual HMX_Result V2Op18(void*) = 0;
  virtual HMX_Result V2Op19(void*) = 0;
  virtual HMX_Result V2Op20(void*) = 0;
};
