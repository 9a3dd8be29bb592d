// Gives the module's exports the processor's object creators and the real-time process procedure.
#include "Keel/Core/HMX/HMXModuleHooks.h"
#include "Keel/Core/HMX/HMX_CEffectGUI_KEEL.h"
#include "processor/Velmora.h"

namespace {

// The effect-parameters interface of a new instance; null when creation failed.
IHCFUnknown* NewVelmoraParameters() {
  Velmora* instance = CreatePluginInstance(keel::InstanceInfo{});
  return instance ? static_cast<HMX_IEffectParameters*>(instance) : nullptr;
}

IHCFUnknown* NewVelmoraGUI() { return static_cast<HMX_IEffectGUI*>(new keel::HMX_CEffectGUI_KEEL()); }

const keel::HMXModuleRegistrar gRegistrar{{&NewVelmoraParameters, &NewVelmoraGUI, &keel::ProcessInstances}};

} // namespace
