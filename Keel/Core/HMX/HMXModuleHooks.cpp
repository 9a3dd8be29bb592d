// The registration point for the module's object creators and process procedure.
#include "Keel/Core/HMX/HMXModuleHooks.h"

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_GuardedCall.h"

#include <atomic>

namespace keel {

namespace {
std::atomic<HMX_CreateProc> gEffectParameters{nullptr};
std::atomic<HMX_CreateProc> gEffectGUI{nullptr};
std::atomic<HMX_ProcessProc> gProcessInstances{nullptr};

IHCFUnknown* Create(const char* operation, HMX_CreateProc creator) {
  if (!creator)
    return nullptr;
  IHCFUnknown* made = nullptr;
  HMX::GuardedCall(operation, [&] {
    made = creator();
    return HMX_SUCCESS;
  });
  return made;
}
} // namespace

void RegisterHMXModuleHooks(const HMXModuleHooks& hooks) {
  gEffectParameters.store(hooks.effectParameters);
  gEffectGUI.store(hooks.effectGUI);
  gProcessInstances.store(hooks.processInstances);
}

HMXModuleHooks GetHMXModuleHooks() {
  return {gEffectParameters.load(), gEffectGUI.load(), gProcessInstances.load()};
}

IHCFUnknown* NewEffectParameters() {
  return Create("NewEffectParameters", gEffectParameters.load());
}

IHCFUnknown* NewEffectGUI() {
  return Create("NewEffectGUI", gEffectGUI.load());
}

} // namespace keel
