// A result holder that throws HMX::Exception::ResultError when it receives a code it does not accept.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Errors.h"

#include <set>

// Lives for one operation on one thread; the module's entry points catch what it throws.
class HMX_CheckedResult {
public:
  HMX_CheckedResult(HMX_Result result = HMX_SUCCESS);
  HMX_CheckedResult& operator=(HMX_Result result);

  HMX_Result Current() const { return mCurrent; }
  HMX_Result LastError() const { return mLastError; }
  void Accept(HMX_Result code) { mAccepted.insert(code); }

private:
  void Check(HMX_Result result);

  HMX_Result mCurrent = HMX_SUCCESS;
  HMX_Result mLastError = HMX_SUCCESS;
  std::set<HMX_Result> mAccepted{HMX_SUCCESS};
};
