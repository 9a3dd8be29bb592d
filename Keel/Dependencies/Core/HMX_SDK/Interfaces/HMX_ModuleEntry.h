// The seven C entry points that an HMX plug-in module exports, as the host looks them up by name.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/IHCFUnknown.h"

// Every entry answers a 32-bit result code and lets no exception out.
using HMX_StartupEntry = HMX_Result (*)(IHCFUnknown* hostObject);
using HMX_ShutdownEntry = HMX_Result (*)(IHCFUnknown* hostObject);
using HMX_RegisterPluginEntry = HMX_Result (*)(IHCFUnknown* hostObject, IHCFUnknown** outCollection);
using HMX_RegisterComponentEntry = HMX_Result (*)(IHCFUnknown* hostObject, const HMX_GUID* componentID,
                                                  void** out);
using HMX_GetClassFactoryEntry = HMX_Result (*)(IHCFUnknown* hostObject, const HMX_GUID* classID,
                                                const HMX_GUID* iid, void** out);
using HMX_CanUnloadNowEntry = HMX_Result (*)();
using HMX_GetSDKVersionEntry = HMX_Result (*)(uint64_t* outVersion);

inline constexpr const char* kHMXStartupName = "HCFStartup";
inline constexpr const char* kHMXShutdownName = "HCFShutdown";
inline constexpr const char* kHMXRegisterPluginName = "HCFRegisterPlugin";
inline constexpr const char* kHMXRegisterComponentName = "HCFRegisterComponent";
inline constexpr const char* kHMXGetClassFactoryName = "HCFGetClassFactory";
inline constexpr const char* kHMXCanUnloadNowName = "HCFCanUnloadNow";
inline constexpr const char* kHMXGetSDKVersionName = "HCFGetSDKVersion";

// The interface version this library speaks, answered by HCFGetSDKVersion.
inline constexpr uint64_t kHMXSDKVersion = 0x0000020901345D68ull;
