// The built module as a host holds it: loaded without RTLD_NODELETE, started, described; shut down and
// unloaded for real at the end. Shared by the tests that drive the module from outside.
#pragma once

#include "tools/hmxhost/HMXModule.h"
#include "tools/hmxhost/HostInstance.h"
#include "tools/hmxhost/RecordingDescriptionHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace plugintest {

constexpr float kRate = 48000.0f;
constexpr int kFrames = 512;

// The module loaded, started and described, as a host holds it; unloaded for real at the end.
struct LoadedModule {
  hmxhost::HMXModule module;
  hmxhost::RecordingDescriptionHost host;
  bool started = false;

  LoadedModule() {
    std::string error;
    if (!module.Load(VLM_HMX_MODULE_PATH, error)) {
      ADD_FAILURE() << "load: " << error;
      return;
    }
    started = module.startup(host.Unknown()) == HMX_SUCCESS;
    IHCFUnknown* collection = nullptr;
    if (module.registerPlugin(host.Unknown(), &collection) == HMX_SUCCESS && collection)
      collection->Release();
    else
      ADD_FAILURE() << "HCFRegisterPlugin failed";
  }
  ~LoadedModule() {
    if (started)
      module.shutdown(nullptr);
    module.Unload();
  }
  std::unique_ptr<hmxhost::HostInstance> NewInstance(int frames = kFrames) {
    const auto& procs = host.record.createProcs;
    if (!procs.count(0) || !host.record.processProc)
      return nullptr;
    auto instance =
        std::make_unique<hmxhost::HostInstance>(procs.at(0), host.record.processProc, kRate, frames);
    std::string error;
    if (!instance->Create(error)) {
      ADD_FAILURE() << error;
      return nullptr;
    }
    return instance;
  }
};

} // namespace plugintest
