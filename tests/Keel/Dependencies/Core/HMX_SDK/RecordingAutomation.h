// Test automation delegate that records every call as text, and optionally confirms requests.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IAutomationDelegate.h"

#include <string>
#include <vector>

class RecordingAutomation : public HMX_IAutomationDelegate {
public:
  HMX_Result RegisterParam(const char* id) override { return Log("register", id); }
  HMX_Result UnregisterParam(const char* id) override { return Log("unregister", id); }
  HMX_Result RequestValue(const char* id, double n) override { return Log("request", id, n); }
  HMX_Result ReportValue(const char* id, double n) override { return Log("report", id, n); }
  HMX_Result RequestTouch(const char* id) override { return Log("touch", id); }
  HMX_Result RequestRelease(const char* id) override { return Log("release", id); }
  HMX_Result V1Op10(void*) override { return 0; }
  HMX_Result NameChanged(const char* id) override { return Log("name", id); }

  std::vector<std::string> calls;

private:
  HMX_Result Log(const char* what, const char* id, double n = -1) {
    std::string line = std::string(what) + " " + id;
    if (n >= 0) {
      char number[32];
      std::snprintf(number, sizeof number, " %g", n);
      line += number;
    }
    calls.push_back(line);
    return 0;
  }
};
