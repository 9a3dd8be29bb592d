// Shows an on/off value by its false or true text, with shorter text pairs for narrow displays.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IDisplayDelegate.h"

#include <vector>

template <typename T> class HMX_CBinaryDisplayDelegate;

template <> class HMX_CBinaryDisplayDelegate<bool> : public HMX_IDisplayDelegate<bool> {
public:
  HMX_CBinaryDisplayDelegate(const HMX_CString& falseText, const HMX_CString& trueText);

  HMX_IDisplayDelegate<bool>* Duplicate() const override { return new HMX_CBinaryDisplayDelegate(*this); }
  bool ValueToText(bool value, HMX_CString& out) const override;
  // Below the longer full text's length the longest pair that fits is used, else the shortest pair.
  bool ValueToText(bool value, int32_t limit, HMX_CString& out) const override;
  // Only the full texts are recognised.
  bool TextToValue(const HMX_CString& text, bool& out) const override;
  // Adds a pair for displays of the given length; pairs stay sorted by length, equal lengths in order added.
  void AddShortTexts(const HMX_CString& falseText, const HMX_CString& trueText, int32_t length);

private:
  struct ShortTexts {
    int32_t length;
    HMX_CString falseText;
    HMX_CString trueText;
  };
  HMX_CString mFalseText;
  HMX_CString mTrueText;
  int32_t mMaxLength;
  std::vector<ShortTexts> mShortTexts;
};
