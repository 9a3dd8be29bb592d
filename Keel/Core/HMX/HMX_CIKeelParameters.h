// The effect-parameters object as the framework's HMX binding extends it: the private-data field by
// which the real-time procedure finds the instance, the posted state number, and the render hook.
#pragma once

#include "Keel/Core/HMX/HMXRealtimeContext.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CEffectParameters.h"

#include <set>
#include <string>

namespace keel {

// Threads: InitFieldData, FlushParamUpdates and IdleCleanup on host threads; RenderBlock and the
// process procedure on the host's real-time thread.
//
// Parameter values reach the processor through the framework parameters' atomic values, so no ID
// is ever synchronized: every flush only advances and posts the state number, and RenderBlock always
// receives no parameter pairs.
class HMX_CIKeelParameters : public HMX_CEffectParameters {
public:
  HMX_CIKeelParameters() = default;
  ~HMX_CIKeelParameters() override = default;

  HMX_Result InitFieldData(int32_t fieldIndex, void* data, uint32_t size) override;
  HMX_Result FlushParamUpdates() override;

  // One real-time block of this instance; the pairs are the due parameter updates (none here).
  virtual void RenderBlock(HMX_InstanceContext& context, void* const* pairs, int32_t pairCount) {
    (void)context, (void)pairs, (void)pairCount;
  }

  int64_t StateCounter() const { return mStateCounter; }

private:
  int64_t mStateCounter = 0;
};

// The process procedure that the description registers: [first, end) of HMX_InstanceContext*.
void ProcessInstances(void* first, void* end);

} // namespace keel
