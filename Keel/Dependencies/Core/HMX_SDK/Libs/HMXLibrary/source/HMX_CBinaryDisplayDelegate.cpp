// Shows an on/off value by its false or true text.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CBinaryDisplayDelegate.h"

#include <algorithm>

HMX_CBinaryDisplayDelegate<bool>::HMX_CBinaryDisplayDelegate(const HMX_CString& falseText,
                                                             const HMX_CString& trueText)
    : mFalseText(falseText), mTrueText(trueText),
      mMaxLength(int32_t(std::max(falseText.Length(), trueText.Length()))) {}

bool HMX_CBinaryDisplayDelegate<bool>::ValueToText(bool value, HMX_CString& out) const {
  out = value ? mTrueText : mFalseText;
  return true;
}

bool HMX_CBinaryDisplayDelegate<bool>::ValueToText(bool value, int32_t limit, HMX_CString& out) const {
  if (mShortTexts.empty() || std::max(limit, 0) >= mMaxLength)
    return ValueToText(value, out);
  const ShortTexts* chosen = &mShortTexts.front();
  for (auto pair = mShortTexts.rbegin(); pair != mShortTexts.rend(); ++pair) {
    if (pair->length <= limit) {
      chosen = &*pair;
      break;
    }
  }
  out = value ? chosen->trueText : chosen->falseText;
  return true;
}

bool HMX_CBinaryDisplayDelegate<bool>::TextToValue(const HMX_CString& text, bool& out) const {
  if (text == mTrueText) {
    out = true;
    return true;
  }
  out = false;
  return text == mFalseText;
}

void HMX_CBinaryDisplayDelegate<bool>::AddShortTexts(const HMX_CString& falseText,
                                                     const HMX_CString& trueText, int32_t length) {
  mShortTexts.push_back({length, falseText, trueText});
  std::stable_sort(mShortTexts.begin(), mShortTexts.end(),
                   [](const ShortTexts& a, const ShortTexts& b) { return a.length < b.length; });
}
