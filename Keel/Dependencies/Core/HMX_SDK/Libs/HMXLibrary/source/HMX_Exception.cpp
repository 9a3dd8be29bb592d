// Exceptions of the HMX library.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_Exception.h"

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_ResultText.h"

namespace HMX::Exception {

Any::Any(std::string description, std::string function, std::string line)
    : mDescription(std::move(description)), mFunction(std::move(function)), mLine(std::move(line)) {
  mFullText = mDescription;
  if (!mFunction.empty())
    mFullText += " func:" + mFunction;
  if (!mLine.empty())
    mFullText += " line:" + mLine;
}

ResultError::ResultError(HMX_Result code) : Any(ResultText(code)), mResult(code) {}

} // namespace HMX::Exception
