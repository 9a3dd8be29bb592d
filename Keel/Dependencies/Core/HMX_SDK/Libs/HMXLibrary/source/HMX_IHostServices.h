// The library's view of the host services: assertions and traces from anywhere in the module.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Errors.h"

// Threads: any thread; implementations hold no state that changes after start-up.
class HMX_IHostServices {
public:
  virtual ~HMX_IHostServices() = default;
  virtual HMX_Result HandleAssertion(const char* sourceFile, int32_t line, const char* condition,
                                     int32_t flag) = 0;
  virtual HMX_Result HandleTrace(int32_t priority, const char* message) = 0;
  virtual HMX_Result V2Op6(void* argument) = 0;
};
