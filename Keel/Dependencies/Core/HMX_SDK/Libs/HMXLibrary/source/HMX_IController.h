// The library's view of the host controller (wrapped by HMX_VController).
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Errors.h"

class HMX_VPageTable;

// Unnamed entries are named after the host entry they reach (V2Op22: version 2, entry 22).
class HMX_IController {
public:
  virtual ~HMX_IController() = default;
  virtual HMX_Result V1Op4(void*) = 0;
  virtual HMX_Result SampleRate(float* out) = 0;
  virtual HMX_Result InputStemFormat(int32_t* out) = 0;
  virtual HMX_Result OutputStemFormat(int32_t* out) = 0;
  virtual HMX_Result V1Op8(void*) = 0;
  virtual HMX_Result V1Op9(void*) = 0;
  virtual HMX_Result V1Op10(void*) = 0;
  virtual HMX_Result SetSignalLatency(int32_t samples) = 0;
  virtual HMX_Result V1Op12(void*) = 0;
  virtual HMX_Result PostFieldPacket(int32_t fieldIndex, const void* data, uint32_t size) = 0;
  virtual HMX_Result SendNotification(uint32_t type) = 0;
  virtual HMX_Result SendNotification(uint32_t type, const void* data, uint32_t size) = 0;
  virtual HMX_Result V1Op14(void*) = 0;
  virtual HMX_Result V1Op15(void*) = 0;
  virtual HMX_Result V1Op16(void*) = 0;
  virtual HMX_Result V1Op19(void*) = 0;
  virtual HMX_Result V1Op17(void*) = 0;
  virtual HMX_Result V1Op18(void*) = 0;
  virtual HMX_Result V1Op20(void*) = 0;
  virtual HMX_Result V2Op22(void*) = 0;
  virtual HMX_Result V2Op23(void** out) = 0;
  virtual HMX_Result V2Op24(void*) = 0;
  virtual HMX_Result V3Op25(void*) = 0;
  virtual HMX_Result V3Op26(void*) = 0;
  virtual HMX_Result V4Op27(void*) = 0;
  virtual HMX_Result V5Op29(void*) = 0;
  virtual HMX_Result V5Op28(void*) = 0;
  // A page table filled by the host, owned by the caller; null when the host lacks the version or fails.
  virtual HMX_VPageTable* CreatePageTableA(uint32_t, uint32_t) = 0;
  virtual HMX_VPageTable* CreatePageTableB(uint32_t, uint32_t) = 0;
  virtual HMX_VPageTable* CreatePageTableC(uint32_t, uint32_t) = 0;
  virtual HMX_VPageTable* CreatePageTableD(uint32_t, uint32_t) = 0;
};
