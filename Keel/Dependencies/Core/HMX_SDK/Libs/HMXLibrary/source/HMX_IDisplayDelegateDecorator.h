// A display delegate that wraps another (which it owns) and passes every text operation to it.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IDisplayDelegate.h"

#include <memory>

template <typename T> class HMX_IDisplayDelegateDecorator : public HMX_IDisplayDelegate<T> {
public:
  // Wraps a copy of the given delegate.
  explicit HMX_IDisplayDelegateDecorator(const HMX_IDisplayDelegate<T>& wrapped)
      : mWrapped(wrapped.Duplicate()) {}
  HMX_IDisplayDelegateDecorator(const HMX_IDisplayDelegateDecorator& other)
      : HMX_IDisplayDelegate<T>(), mWrapped(other.mWrapped->Duplicate()) {}
  HMX_IDisplayDelegateDecorator& operator=(const HMX_IDisplayDelegateDecorator&) = delete;

  HMX_IDisplayDelegate<T>* Duplicate() const override { return new HMX_IDisplayDelegateDecorator(*this); }
  bool ValueToText(T value, int32_t limit, HMX_CString& out) const override {
    return mWrapped->ValueToText(value, limit, out);
  }
  bool ValueToText(T value, HMX_CString& out) const override { return mWrapped->ValueToText(value, out); }
  bool TextToValue(const HMX_CString& text, T& out) const override {
    return mWrapped->TextToValue(text, out);
  }

protected:
  const HMX_IDisplayDelegate<T>& Wrapped() const { return *mWrapped; }

private:
  std::unique_ptr<HMX_IDisplayDelegate<T>> mWrapped;
};
