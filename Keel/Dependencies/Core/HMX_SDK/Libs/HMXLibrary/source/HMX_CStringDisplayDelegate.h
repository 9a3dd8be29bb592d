// Shows each value by its own text (enumerations and switches) and reads the texts back.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IDisplayDelegate.h"

#include <map>

template <typename T> class HMX_CStringDisplayDelegate;

template <> class HMX_CStringDisplayDelegate<int> : public HMX_IDisplayDelegate<int> {
public:
  // A text that occurs under several values reads back as the smallest of them.
  explicit HMX_CStringDisplayDelegate(const std::map<int32_t, HMX_CString>& texts);

  HMX_IDisplayDelegate<int>* Duplicate() const override { return new HMX_CStringDisplayDelegate(*this); }
  // A value without a text writes "String Not Found" and answers false.
  bool ValueToText(int value, HMX_CString& out) const override;
  bool ValueToText(int value, int32_t, HMX_CString& out) const override { return ValueToText(value, out); }
  bool TextToValue(const HMX_CString& text, int& out) const override;

private:
  std::map<int32_t, HMX_CString> mTexts;
  std::map<HMX_CString, int32_t> mValues; // byte-wise text order
};
