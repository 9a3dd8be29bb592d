// The effect's parameter manager: owns every parameter and finds it by ID or by index.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IParameter.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// Threads: filled during initialisation and emptied at teardown; lookups on the host's non-real-time
// threads. No lock.
class HMX_CParamRegistry {
public:
  HMX_CParamRegistry() = default;
  ~HMX_CParamRegistry() { RemoveAll(); }
  HMX_CParamRegistry(const HMX_CParamRegistry&) = delete;
  HMX_CParamRegistry& operator=(const HMX_CParamRegistry&) = delete;

  // Given to parameters added from now on; those already added keep theirs.
  void SetAutomationDelegate(HMX_IAutomationDelegate* delegate) { mAutomation = delegate; }
  HMX_IAutomationDelegate* AutomationDelegate() const { return mAutomation; }

  // Takes ownership and attaches the automation delegate; a null parameter or a registered ID is
  // refused (false) and the caller keeps the parameter.
  bool AddParameter(HMX_IParameter* parameter);
  int32_t Count() const { return int32_t(mParameters.size()); }
  HMX_IParameter* ParamAt(int32_t index) const;
  HMX_IParameter* ParamByID(const char* id) const;
  // The first index whose parameter has this ID, or -1.
  int32_t IndexOfID(const char* id) const;
  // Deletes every parameter; the delegate stays.
  void RemoveAll();

private:
  HMX_IAutomationDelegate* mAutomation = nullptr;
  std::vector<std::unique_ptr<HMX_IParameter>> mParameters;
  std::map<std::string, HMX_IParameter*> mByID; // byte-wise order
};
