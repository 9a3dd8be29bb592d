// Shows each value by its own text.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CStringDisplayDelegate.h"

HMX_CStringDisplayDelegate<int>::HMX_CStringDisplayDelegate(const std::map<int32_t, HMX_CString>& texts)
    : mTexts(texts) {
  for (const auto& [value, text] : mTexts)
    mValues.emplace(text, value); // ascending values: the first, smallest one stays
}

bool HMX_CStringDisplayDelegate<int>::ValueToText(int value, HMX_CString& out) const {
  const auto found = mTexts.find(value);
  if (found == mTexts.end()) {
    out = "String Not Found";
    return false;
  }
  out = found->second;
  return true;
}

bool HMX_CStringDisplayDelegate<int>::TextToValue(const HMX_CString& text, int& out) const {
  const auto found = mValues.find(text);
  if (found == mValues.end()) {
    out = 0;
    return false;
  }
  out = found->second;
  return true;
}
