// Display delegates turn a parameter's real value into text and back.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CString.h"

#include <cstdint>

class HMX_IDisplayDelegateBase {
public:
  virtual ~HMX_IDisplayDelegateBase() = default;
};

template <typename T> class HMX_IDisplayDelegate : public HMX_IDisplayDelegateBase {
public:
  virtual HMX_IDisplayDelegate* Duplicate() const = 0;
  // The text for the value, fitted to limit characters where the delegate can.
  virtual bool ValueToText(T value, int32_t limit, HMX_CString& out) const = 0;
  virtual bool ValueToText(T value, HMX_CString& out) const = 0;
  virtual bool TextToValue(const HMX_CString& text, T& out) const = 0;
};
