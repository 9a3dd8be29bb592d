// A loaded HMX module: the shared object and its seven entry points, looked up by name.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_ModuleEntry.h"

#include <string>

namespace hmxhost {

class HMXModule {
public:
  HMXModule() = default;
  ~HMXModule();
  HMXModule(const HMXModule&) = delete;
  HMXModule& operator=(const HMXModule&) = delete;

  // False with the reason in error when the file does not load or an entry point is missing.
  bool Load(const std::string& path, std::string& error);
  void Unload();

  HMX_StartupEntry startup = nullptr;
  HMX_ShutdownEntry shutdown = nullptr;
  HMX_RegisterPluginEntry registerPlugin = nullptr;
  HMX_RegisterComponentEntry registerComponent = nullptr;
  HMX_GetClassFactoryEntry getClassFactory = nullptr;
  HMX_CanUnloadNowEntry canUnloadNow = nullptr;
  HMX_GetSDKVersionEntry getSDKVersion = nullptr;

private:
  void* mHandle = nullptr;
};

} // namespace hmxhost
