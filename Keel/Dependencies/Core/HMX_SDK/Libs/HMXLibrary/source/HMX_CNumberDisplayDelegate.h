// Shows a number in fixed notation with Decimals decimals and reads it back.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IDisplayDelegate.h"

#include <algorithm>
#include <limits>

// The third argument is kept for the declared form of the delegate; it changes nothing.
template <typename T, int Decimals, int Unused>
class HMX_CNumberDisplayDelegate : public HMX_IDisplayDelegate<T> {
public:
  HMX_IDisplayDelegate<T>* Duplicate() const override { return new HMX_CNumberDisplayDelegate(*this); }

  bool ValueToText(T value, HMX_CString& out) const override {
    out.Clear();
    out.AppendNumber(double(value), Decimals);
    return true;
  }

  // A text longer than the limit is cut to it; a cut that ends in the decimal point loses the point too.
  bool ValueToText(T value, int32_t limit, HMX_CString& out) const override {
    ValueToText(value, out);
    const uint32_t fitted = uint32_t(std::max(limit, 0));
    if (out.Length() > fitted)
      out.Erase(fitted, out.Length() - fitted);
    if (limit > 0 && out.Length() == fitted && out[fitted - 1] == '.')
      out.Erase(fitted - 1, 1);
    return true;
  }

  bool TextToValue(const HMX_CString& text, T& out) const override {
    double value = 0.0;
    if (!text.ToDouble(value)) {
      out = T(0);
      return false;
    }
    if constexpr (std::numeric_limits<T>::is_integer) {
      // Truncated toward zero; kept inside the type's range.
      value = std::clamp(value, double(std::numeric_limits<T>::min()), double(std::numeric_limits<T>::max()));
    }
    out = T(value);
    return true;
  }
};
