// Exceptions of the HMX library; the module's entry points catch them, none crosses to the host.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Errors.h"

#include <string>

namespace HMX::Exception {

class Any {
public:
  Any(std::string description, std::string function = {}, std::string line = {});
  virtual ~Any() = default;
  Any(const Any&) = default;
  Any& operator=(const Any&) = default;

  const std::string& Description() const { return mDescription; }
  const std::string& Function() const { return mFunction; }
  const std::string& Line() const { return mLine; }
  // Description, then " func:" and the function, then " line:" and the line, each when not empty.
  const std::string& What() const { return mFullText; }

private:
  std::string mDescription;
  std::string mFunction;
  std::string mLine;
  std::string mFullText;
};

class ResultError : public Any {
public:
  explicit ResultError(HMX_Result code);
  HMX_Result Result() const { return mResult; }

private:
  HMX_Result mResult;
};

} // namespace HMX::Exception
