// The host's controller interfaces, versions 1 to 7, as an effect instance and its GUI reach them.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

// Entries are numbered as the host counts them (QueryInterface, AddRef and Release are 1 to 3).
// A host implements the entries it offers; the rest answer HMX_ERROR_UNIMPLEMENTED. Entries named
// HostOpN are reserved: nothing in the module calls them except the wrappers that forward them.
// Threads: the host's non-real-time and user-interface threads.
class HMX_IHCFController : public IHCFUnknown {
public:
  virtual HMX_Result HostOp4(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result SampleRate(float*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result InputStemFormat(int32_t*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result OutputStemFormat(int32_t*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp8(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp9(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp10(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result SetSignalLatency(int32_t /*samples*/) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp12(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result PostFieldPacket(int32_t /*fieldIndex*/, const void* /*data*/, uint32_t /*size*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result HostOp14(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp15(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp16(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp17(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp18(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp19(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp20(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFController() = default;
};

class HMX_IHCFController_V2 : public HMX_IHCFController {
public:
  virtual HMX_Result SendNotification(uint32_t /*type*/, const void* /*data*/, uint32_t /*size*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result HostOp22(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp23(void** /*out*/) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp24(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFController_V2() = default;
};

class HMX_IHCFController_V3 : public HMX_IHCFController_V2 {
public:
  virtual HMX_Result HostOp25(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp26(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFController_V3() = default;
};

class HMX_IHCFController_V4 : public HMX_IHCFController_V3 {
public:
  virtual HMX_Result HostOp27(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFController_V4() = default;
};

class HMX_IHCFController_V5 : public HMX_IHCFController_V4 {
public:
  virtual HMX_Result HostOp28(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp29(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFController_V5() = default;
};

// Versions 6 and 7 stand on their own: they fill page tables that the module creates.
class HMX_IHCFController_V6 : public IHCFUnknown {
public:
  virtual HMX_Result CreatePageTableA(uint32_t, uint32_t, IHCFUnknown* /*pageTable*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result CreatePageTableB(uint32_t, uint32_t, IHCFUnknown* /*pageTable*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }

protected:
  ~HMX_IHCFController_V6() = default;
};

class HMX_IHCFController_V7 : public HMX_IHCFController_V6 {
public:
  virtual HMX_Result CreatePageTableC(uint32_t, uint32_t, IHCFUnknown* /*pageTable*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result CreatePageTableD(uint32_t, uint32_t, IHCFUnknown* /*pageTable*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }

protected:
  ~HMX_IHCFController_V7() = default;
};
