// The registration point through which the processor's HMX binding gives the module its object
// creators and its process procedure; the description and the exports reach them only through here.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

namespace keel {

// effectParameters and effectGUI return a new object's interface with no reference added (the host
// adds the first); processInstances is the real-time procedure the component registers.
struct HMXModuleHooks {
  HMX_CreateProc effectParameters = nullptr;
  HMX_CreateProc effectGUI = nullptr;
  HMX_ProcessProc processInstances = nullptr;
};

// Threads: set while the module loads (a static registrar in the binding's source, before the host's
// first call) or by tests between host calls; read by the host's threads.
void RegisterHMXModuleHooks(const HMXModuleHooks& hooks);
HMXModuleHooks GetHMXModuleHooks();

// Registers the hooks at static initialisation: `static keel::HMXModuleRegistrar registrar{{...}};`
struct HMXModuleRegistrar {
  explicit HMXModuleRegistrar(const HMXModuleHooks& hooks) { RegisterHMXModuleHooks(hooks); }
};

// The create procedures that the description registers (IDs 0 and 1). They call the registered
// creator and let no exception out: a creation that throws is traced and answered with null.
IHCFUnknown* NewEffectParameters();
IHCFUnknown* NewEffectGUI();

} // namespace keel
