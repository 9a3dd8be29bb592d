// The host's transport interfaces, versions 1 to 6.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

// Entry numbers as the host counts them: Tempo is 4, SamplePosition is 9. Ticks run at 960000 per
// quarter note. Threads: the host's real-time thread (through the transport node) and others.
class HMX_IHCFTransport : public IHCFUnknown {
public:
  virtual HMX_Result Tempo(double* /*beatsPerMinute*/) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result Meter(int32_t* /*numerator*/, int32_t* /*denominator*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result IsPlaying(bool*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result TickPosition(int64_t*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result LoopRange(bool* /*looping*/, int64_t* /*startTick*/, int64_t* /*endTick*/) {
    return HMX_ERROR_UNIMPLEMENTED;
  }
  virtual HMX_Result SamplePosition(int64_t*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp10(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp11(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp12(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp13(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFTransport() = default;
};

class HMX_IHCFTransport_V2 : public HMX_IHCFTransport {
public:
  virtual HMX_Result HostOp14(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp15(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp16(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp17(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFTransport_V2() = default;
};

class HMX_IHCFTransport_V3 : public HMX_IHCFTransport_V2 {
public:
  virtual HMX_Result HostOp18(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFTransport_V3() = default;
};

class HMX_IHCFTransport_V4 : public HMX_IHCFTransport_V3 {
public:
  virtual HMX_Result HostOp19(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFTransport_V4() = default;
};

class HMX_IHCFTransport_V5 : public HMX_IHCFTransport_V4 {
public:
  virtual HMX_Result HostOp20(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFTransport_V5() = default;
};

// Version 6 stands on its own.
class HMX_IHCFTransport_V6 : public IHCFUnknown {
public:
  virtual HMX_Result HostOp4(void*) { return HMX_ERROR_UNIMPLEMENTED; }
  virtual HMX_Result HostOp5(void*) { return HMX_ERROR_UNIMPLEMENTED; }

protected:
  ~HMX_IHCFTransport_V6() = default;
};
