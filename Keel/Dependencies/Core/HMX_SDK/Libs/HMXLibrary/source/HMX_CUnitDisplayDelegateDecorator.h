// Adds a unit text after the wrapped delegate's text, and accepts texts with or without it.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IDisplayDelegateDecorator.h"

#include <algorithm>
#include <cstring>

template <typename T> class HMX_CUnitDisplayDelegateDecorator : public HMX_IDisplayDelegateDecorator<T> {
public:
  HMX_CUnitDisplayDelegateDecorator(const HMX_IDisplayDelegate<T>& wrapped, const HMX_CString& unit)
      : HMX_IDisplayDelegateDecorator<T>(wrapped), mUnit(unit) {}

  HMX_IDisplayDelegate<T>* Duplicate() const override { return new HMX_CUnitDisplayDelegateDecorator(*this); }

  bool ValueToText(T value, HMX_CString& out) const override {
    const bool ok = this->Wrapped().ValueToText(value, out);
    out.Append(mUnit);
    return ok;
  }

  // The unit goes on only when it fits whole within the limit.
  bool ValueToText(T value, int32_t limit, HMX_CString& out) const override {
    const bool ok = this->Wrapped().ValueToText(value, limit, out);
    if (int64_t(out.Length()) + int64_t(mUnit.Length()) <= int64_t(std::max(limit, 0)))
      out.Append(mUnit);
    return ok;
  }

  bool TextToValue(const HMX_CString& text, T& out) const override {
    const uint32_t length = text.Length(), unitLength = mUnit.Length();
    if (length > unitLength && std::memcmp(text.Text() + length - unitLength, mUnit.Text(), unitLength) == 0)
      return this->Wrapped().TextToValue(HMX_CString(text.Str().substr(0, length - unitLength).c_str()), out);
    return this->Wrapped().TextToValue(text, out);
  }

private:
  HMX_CString mUnit;
};
