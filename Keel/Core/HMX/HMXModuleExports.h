// The module's seven exported C entry points, through which the HMX host starts, registers, queries
// and shuts down the plug-in. None lets an exception out.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_ModuleEntry.h"

#define KEEL_HMX_EXPORT extern "C" __attribute__((visibility("default")))

// Threads: HCFStartup and HCFShutdown while no other call runs; the others on any host thread.
KEEL_HMX_EXPORT HMX_Result HCFStartup(IHCFUnknown* hostObject);
KEEL_HMX_EXPORT HMX_Result HCFShutdown(IHCFUnknown* hostObject);
KEEL_HMX_EXPORT HMX_Result HCFRegisterPlugin(IHCFUnknown* hostObject, IHCFUnknown** outCollection);
KEEL_HMX_EXPORT HMX_Result HCFRegisterComponent(IHCFUnknown* hostObject, const HMX_GUID* componentID,
                                                void** out);
KEEL_HMX_EXPORT HMX_Result HCFGetClassFactory(IHCFUnknown* hostObject, const HMX_GUID* classID,
                                              const HMX_GUID* iid, void** out);
KEEL_HMX_EXPORT HMX_Result HCFCanUnloadNow();
KEEL_HMX_EXPORT HMX_Result HCFGetSDKVersion(uint64_t* outVersion);
