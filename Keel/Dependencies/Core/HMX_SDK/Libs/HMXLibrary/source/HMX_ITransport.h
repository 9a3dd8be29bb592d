// The library's view of the host transport; the host's transport node hands one to the real-time call.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Errors.h"

// Ticks run at 960000 per quarter note.
class HMX_ITransport {
public:
  virtual ~HMX_ITransport() = default;
  virtual HMX_Result Tempo(double* beatsPerMinute) = 0;
  virtual HMX_Result Meter(int32_t* numerator, int32_t* denominator) = 0;
  virtual HMX_Result IsPlaying(bool* out) = 0;
  virtual HMX_Result TickPosition(int64_t* out) = 0;
  virtual HMX_Result LoopRange(bool* looping, int64_t* startTick, int64_t* endTick) = 0;
  virtual HMX_Result SamplePosition(int64_t* out) = 0;
  virtual HMX_Result V1Op10(void*) = 0;
  virtual HMX_Result V1Op11(void*) = 0;
  virtual HMX_Result V1Op12(void*) = 0;
  virtual HMX_Result V1Op13(void*) = 0;
  virtual HMX_Result V2Op14(void*) = 0;
  virtual HMX_Result V2Op15(void*) = 0;
  virtual HMX_Result V2Op16(void*) = 0;
  virtual HMX_Result V2Op17(void*) = 0;
  virtual HMX_Result V3Op18(void*) = 0;
  virtual HMX_Result V6Op4(void*) = 0;
  virtual HMX_Result V6Op5(void*) = 0;
  virtual HMX_Result V4Op19(void*) = 0;
  virtual HMX_Result V5Op20(void*) = 0;
};
