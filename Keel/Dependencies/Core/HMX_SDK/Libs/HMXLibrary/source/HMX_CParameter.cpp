// Host parameter of value type T.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CParameter.h"

#include <algorithm>
#include <type_traits>

namespace {
constexpr uint32_t kStepsOfKind0 = 2;
constexpr uint32_t kStepsOfKind1 = 128;
} // namespace

template <typename T>
HMX_CParameter<T>::HMX_CParameter(const char* id, const HMX_CString& name, T defaultValue,
                                  const HMX_ITaperDelegate<T>* taper, const HMX_IDisplayDelegate<T>* display,
                                  bool automatable)
    : mName(name), mAutomatable(automatable), mTaper(taper ? taper->Duplicate() : nullptr),
      mDisplay(display ? display->Duplicate() : nullptr), mValue(id, T(0)), mDefault(defaultValue) {
  SetStepCount(mKind == 0 ? kStepsOfKind0 : kStepsOfKind1);
  if (mTaper)
    AcceptNormalized(mTaper->RealToNormalized(mDefault));
}

template <typename T> HMX_CParameter<T>::~HMX_CParameter() {
  if (mAutomation)
    mAutomation->UnregisterParam(ParameterID());
}

template <typename T> void HMX_CParameter<T>::AssignName(const HMX_CString& name) {
  mName = name;
  if (mAutomation)
    mAutomation->NameChanged(ParameterID());
}

template <typename T> HMX_CString HMX_CParameter<T>::ShortNameFor(int32_t length) const {
  if (length < 0 || mShortNames.empty() || uint32_t(length) >= mName.Length())
    return mName;
  auto above = mShortNames.upper_bound(uint32_t(length));
  if (above == mShortNames.begin())
    return mShortNames.begin()->second; // every stored name is longer: the shortest
  return std::prev(above)->second;
}

template <typename T> void HMX_CParameter<T>::AttachAutomation(HMX_IAutomationDelegate* delegate) {
  if (mAutomation)
    mAutomation->UnregisterParam(ParameterID());
  mAutomation = delegate;
  if (mAutomation)
    mAutomation->RegisterParam(ParameterID());
}

template <typename T> void HMX_CParameter<T>::TouchParam() {
  if (mAutomation)
    mAutomation->RequestTouch(ParameterID());
}

template <typename T> void HMX_CParameter<T>::ReleaseParam() {
  if (mAutomation)
    mAutomation->RequestRelease(ParameterID());
}

template <typename T> void HMX_CParameter<T>::SetNormalized(double normalized) {
  if (mTaper)
    ApplyRealValue(mTaper->NormalizedToReal(normalized));
}

template <typename T> double HMX_CParameter<T>::Normalized() const {
  return mTaper ? mTaper->RealToNormalized(mValue.Value()) : 0.0;
}

template <typename T> void HMX_CParameter<T>::SetDefaultNormalized(double normalized) {
  if (mTaper)
    mDefault = mTaper->ConstrainReal(mTaper->NormalizedToReal(normalized));
}

template <typename T> double HMX_CParameter<T>::DefaultNormalized() const {
  return mTaper ? mTaper->RealToNormalized(mDefault) : 0.0;
}

template <typename T> void HMX_CParameter<T>::SetStepCount(uint32_t steps) {
  if (steps == 0) {
    HMX::HostAssert("HMX_CParameter", __LINE__, "0 < numSteps");
    return;
  }
  mStepCount = steps;
}

template <typename T> double HMX_CParameter<T>::StepToNormalized(uint32_t step) const {
  if (mStepCount < 2)
    return 0.0;
  if (step >= mStepCount - 1)
    return 1.0;
  return std::min(double(step) * (1.0 / double(mStepCount - 1)), 1.0);
}

template <typename T> uint32_t HMX_CParameter<T>::NormalizedToStep(double normalized) const {
  if (mStepCount < 2)
    return 0;
  const double last = double(mStepCount - 1);
  const double x = normalized / (1.0 / last) + 0.5;
  if (!(x >= 0.0)) // below 0, or NaN from the host
    return 0;
  return uint32_t(std::min(x, last));
}

template <typename T> void HMX_CParameter<T>::SetStep(uint32_t step) {
  if (mStepCount >= 2)
    SetNormalized(StepToNormalized(step));
}

template <typename T> bool HMX_CParameter<T>::ValueText(HMX_CString& out) const {
  return mDisplay && mDisplay->ValueToText(mValue.Value(), out);
}

template <typename T> bool HMX_CParameter<T>::NormalizedFromText(const HMX_CString& text, double& out) const {
  if (!mTaper || !mDisplay)
    return false;
  T value{};
  if (!mDisplay->TextToValue(text, value))
    return false;
  out = mTaper->RealToNormalized(value);
  return true;
}

template <typename T>
bool HMX_CParameter<T>::TextFromNormalized(double normalized, int32_t limit, HMX_CString& out) const {
  if (!mTaper || !mDisplay)
    return false;
  const T value = mTaper->NormalizedToReal(normalized);
  const bool written = mDisplay->ValueToText(value, limit, out);
  return written && mTaper->MinValue() <= value && value <= mTaper->MaxValue();
}

template <typename T> bool HMX_CParameter<T>::TextFromNormalized(double normalized, HMX_CString& out) const {
  if (!mTaper || !mDisplay)
    return false;
  const T value = mTaper->NormalizedToReal(normalized);
  const bool written = mDisplay->ValueToText(value, out);
  return written && mTaper->MinValue() <= value && value <= mTaper->MaxValue();
}

template <typename T> bool HMX_CParameter<T>::SetValueFromText(const HMX_CString& text) {
  if (!mDisplay)
    return false;
  T value{};
  if (!mDisplay->TextToValue(text, value))
    return false;
  ApplyRealValue(value);
  return true;
}

template <typename T> bool HMX_CParameter<T>::ReadText(HMX_IString* out) const {
  if (!out)
    return false;
  HMX_CString text;
  const bool ok = ValueText(text);
  if (ok)
    out->SetText(text.Text());
  return ok;
}

template <typename T>
bool HMX_CParameter<T>::ReplaceTaper(const HMX_ITaperDelegateBase& taper, bool keepRealValue) {
  const auto* typed = dynamic_cast<const HMX_ITaperDelegate<T>*>(&taper);
  if (!typed)
    return false;
  const bool hadTaper = mTaper != nullptr;
  const double noted = hadTaper ? Normalized() : 0.0;
  mTaper.reset(typed->Duplicate());
  mNeedsReport = true;
  if (!hadTaper)
    ResetToDefault();
  else if (keepRealValue)
    ApplyRealValue(mValue.Value());
  else
    AcceptNormalized(noted);
  return true;
}

template <typename T> bool HMX_CParameter<T>::ReplaceDisplay(const HMX_IDisplayDelegateBase& display) {
  const auto* typed = dynamic_cast<const HMX_IDisplayDelegate<T>*>(&display);
  if (!typed)
    return false;
  mDisplay.reset(typed->Duplicate());
  if (mAutomation)
    mAutomation->ReportValue(ParameterID(), Normalized());
  return true;
}

template <typename T> void HMX_CParameter<T>::ApplyRealValue(T value) {
  if (!mTaper)
    return;
  const double normalized = mTaper->RealToNormalized(value);
  if (mAutomation) {
    TouchParam();
    mAutomation->RequestValue(ParameterID(), normalized);
    ReleaseParam();
    return;
  }
  mNeedsReport = true;
  AcceptNormalized(normalized);
}

template <typename T> void HMX_CParameter<T>::AcceptNormalized(double normalized) {
  if (!mTaper)
    return;
  const T value = mTaper->NormalizedToReal(normalized);
  if (!mNeedsReport && value == mValue.Value())
    return;
  mValue.SetValue(value);
  if (mAutomation)
    mAutomation->ReportValue(ParameterID(), normalized);
  mNeedsReport = false;
}

template class HMX_CParameter<bool>;
template class HMX_CParameter<int>;
template class HMX_CParameter<double>;
