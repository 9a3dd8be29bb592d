// The host's side of the module's description: records every call as a text line and keeps the
// create procedures and the process procedure; also the host services for traces and assertions.
#pragma once

#include "tools/hmxhost/HostObject.h"

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFDescription.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFHostServices.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace hmxhost {

struct DescriptionRecord {
  std::vector<std::string> lines;
  std::map<int32_t, HMX_CreateProc> createProcs;
  HMX_ProcessProc processProc = nullptr;
  std::mutex mutex; // traces and assertions may come from any of the module's threads
  std::vector<std::string> traces;
  std::vector<std::string> assertions;
  HMX_Result Add(std::string line) {
    lines.push_back(std::move(line));
    return HMX_SUCCESS;
  }
};

// The object handed to HCFStartup and HCFRegisterPlugin: host services, and the class factory that
// makes the description objects.
class RecordingDescriptionHost : public HostObject<IHCFClassFactory, HMX_IHCFHostServices_V3> {
public:
  RecordingDescriptionHost();
  HMX_Result CreateInstance(const HMX_GUID& classID, IHCFUnknown* outer, const HMX_GUID& iid,
                            void** out) override;
  HMX_Result HandleTrace(int32_t priority, const char* message) override;
  HMX_Result HandleAssertion(const char* file, int32_t line, const char* condition, int32_t flag) override;

  DescriptionRecord record;
};

} // namespace hmxhost
