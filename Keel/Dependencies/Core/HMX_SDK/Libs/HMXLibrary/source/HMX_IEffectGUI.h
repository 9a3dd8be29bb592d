// The library's GUI interface: the host's GUI interface, which HMX_CEffectGUI implements.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFEffectGUI.h"

class HMX_IEffectGUI : public HMX_IHCFEffectGUI_V2 {
protected:
  ~HMX_IEffectGUI() = default;
};
