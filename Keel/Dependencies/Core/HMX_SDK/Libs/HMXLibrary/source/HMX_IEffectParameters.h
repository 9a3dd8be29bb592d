// The library's effect-parameters interface: the host's newest effect-parameters interface, which
// HMX_CEffectParameters implements.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFEffectParameters.h"

class HMX_IEffectParameters : public HMX_IHCFEffectParameters_V4 {
protected:
  ~HMX_IEffectParameters() = default;
};
