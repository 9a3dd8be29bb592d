// Loading an HMX module with dlopen and finding its entry points.
#include "tools/hmxhost/HMXModule.h"

#include <dlfcn.h>

namespace hmxhost {

namespace {
template <class Entry> bool Find(void* handle, const char* name, Entry& entry, std::string& error) {
  entry = reinterpret_cast<Entry>(dlsym(handle, name));
  if (!entry)
    error = std::string("missing entry point ") + name;
  return entry != nullptr;
}
} // namespace

HMXModule::~HMXModule() { Unload(); }

bool HMXModule::Load(const std::string& path, std::string& error) {
  Unload();
  // Local symbols: the module keeps its own copies of everything it links. No RTLD_NODELETE: a host
  // unloads modules, and whatever that breaks must show here.
  mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mHandle) {
    const char* reason = dlerror();
    error = reason ? reason : "dlopen failed";
    return false;
  }
  const bool found = Find(mHandle, kHMXStartupName, startup, error) &&
                     Find(mHandle, kHMXShutdownName, shutdown, error) &&
                     Find(mHandle, kHMXRegisterPluginName, registerPlugin, error) &&
                     Find(mHandle, kHMXRegisterComponentName, registerComponent, error) &&
                     Find(mHandle, kHMXGetClassFactoryName, getClassFactory, error) &&
                     Find(mHandle, kHMXCanUnloadNowName, canUnloadNow, error) &&
                     Find(mHandle, kHMXGetSDKVersionName, getSDKVersion, error);
  if (!found)
    Unload();
  return found;
}

void HMXModule::Unload() {
  if (mHandle)
    dlclose(mHandle);
  mHandle = nullptr;
  startup = nullptr;
  shutdown = nullptr;
  registerPlugin = nullptr;
  registerComponent = nullptr;
  getClassFactory = nullptr;
  canUnloadNow = nullptr;
  getSDKVersion = nullptr;
}

} // namespace hmxhost
