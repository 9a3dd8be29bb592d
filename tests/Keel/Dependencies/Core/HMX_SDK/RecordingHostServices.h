// Test host services that record assertions and traces while installed.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostReporting.h"

#include <string>
#include <utility>
#include <vector>

class RecordingHostServices : public HMX_IHostServices {
public:
  RecordingHostServices() { HMX::SetHostServices(this); }
  ~RecordingHostServices() override { HMX::SetHostServices(nullptr); }

  HMX_Result HandleAssertion(const char* file, int32_t, const char* condition, int32_t flag) override {
    assertions.push_back(std::string(file) + ":" + condition + ":" + std::to_string(flag));
    return 0;
  }
  HMX_Result HandleTrace(int32_t priority, const char* message) override {
    traces.emplace_back(priority, message);
    return 0;
  }
  HMX_Result V2Op6(void*) override { return 0; }

  std::vector<std::string> assertions;
  std::vector<std::pair<int32_t, std::string>> traces;
};
