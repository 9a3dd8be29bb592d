// Host parameter of value type T (bool, int or double): real value, default and steps, converted
// through a taper delegate and shown through a display delegate, changed only when the host confirms.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CParameterValue.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IParameter.h"

#include <map>
#include <memory>
#include <type_traits>

// Threads: the host's non-real-time threads and the framework's UI-side calls; no lock. Values reach
// the real-time thread only as CopyValue copies.
template <typename T> class HMX_CParameter : public HMX_IParameter {
public:
  // Taper and display are copied; either may be null (the operations that need it then do nothing).
  HMX_CParameter(const char* id, const HMX_CString& name, T defaultValue, const HMX_ITaperDelegate<T>* taper,
                 const HMX_IDisplayDelegate<T>* display, bool automatable);
  HMX_CParameter(const char* id, const HMX_CString& name, T defaultValue, const HMX_ITaperDelegate<T>& taper,
                 const HMX_IDisplayDelegate<T>& display, bool automatable)
      : HMX_CParameter(id, name, defaultValue, &taper, &display, automatable) {}
  ~HMX_CParameter() override;
  HMX_CParameter(const HMX_CParameter&) = delete;
  HMX_CParameter& operator=(const HMX_CParameter&) = delete;

  HMX_IParameterValue* CopyValue() const override { return mValue.CopyValue(); }
  const char* ParameterID() const override { return mValue.ParameterID(); }
  void AssignName(const HMX_CString& name) override;
  const HMX_CString& PrimaryName() const override { return mName; }
  void AddShortName(const HMX_CString& name) override { mShortNames[name.Length()] = name; }
  HMX_CString ShortNameFor(int32_t length) const override;
  void ClearShortNames() override { mShortNames.clear(); }
  bool IsAutomatable() const override { return mAutomatable; }
  void AttachAutomation(HMX_IAutomationDelegate* delegate) override;
  void TouchParam() override;
  void ReleaseParam() override;
  void SetNormalized(double normalized) override;
  double Normalized() const override;
  void SetDefaultNormalized(double normalized) override;
  double DefaultNormalized() const override;
  void ResetToDefault() override { ApplyRealValue(mDefault); }
  void SetStepCount(uint32_t steps) override;
  uint32_t StepCount() const override { return mStepCount; }
  uint32_t CurrentStep() const override { return NormalizedToStep(Normalized()); }
  double StepToNormalized(uint32_t step) const override;
  uint32_t NormalizedToStep(double normalized) const override;
  void SetStep(uint32_t step) override;
  bool ValueText(int32_t, HMX_CString& out) const override { return ValueText(out); }
  bool ValueText(HMX_CString& out) const override;
  bool NormalizedFromBool(bool value, double& out) const override { return NormalizedFrom(value, out); }
  bool NormalizedFromInt32(int32_t value, double& out) const override { return NormalizedFrom(value, out); }
  bool NormalizedFromFloat(float, double&) const override { return false; }
  bool NormalizedFromDouble(double value, double& out) const override { return NormalizedFrom(value, out); }
  bool NormalizedFromText(const HMX_CString& text, double& out) const override;
  bool BoolFromNormalized(double normalized, bool& out) const override {
    return FromNormalized(normalized, out);
  }
  bool Int32FromNormalized(double normalized, int32_t& out) const override {
    return FromNormalized(normalized, out);
  }
  bool FloatFromNormalized(double, float&) const override { return false; }
  bool DoubleFromNormalized(double normalized, double& out) const override {
    return FromNormalized(normalized, out);
  }
  bool TextFromNormalized(double normalized, int32_t limit, HMX_CString& out) const override;
  bool TextFromNormalized(double normalized, HMX_CString& out) const override;
  bool SetValueFromText(const HMX_CString& text) override;
  bool ReadBool(bool& out) const override { return mValue.ReadBool(out); }
  bool ReadInt32(int32_t& out) const override { return mValue.ReadInt32(out); }
  bool ReadFloat(float&) const override { return false; }
  bool ReadDouble(double& out) const override { return mValue.ReadDouble(out); }
  bool ReadText(HMX_IString* out) const override;
  bool WriteBool(bool value) override { return Write(value); }
  bool WriteInt32(int32_t value) override { return Write(value); }
  bool WriteFloat(float) override { return false; }
  bool WriteDouble(double value) override { return Write(value); }
  bool WriteText(const HMX_IString& text) override { return SetValueFromText(HMX_CString(text)); }
  void SetKind(int32_t kind) override { mKind = kind; }
  int32_t Kind() const override { return mKind; }
  void SetOrientationCode(int32_t code) override { mOrientation = code; }
  int32_t OrientationCode() const override { return mOrientation; }
  bool ReplaceTaper(const HMX_ITaperDelegateBase& taper, bool keepRealValue) override;
  bool ReplaceDisplay(const HMX_IDisplayDelegateBase& display) override;
  void AcceptNormalized(double normalized) override;

  T Value() const { return mValue.Value(); }
  T DefaultValue() const { return mDefault; }

private:
  // The one path by which the parameter's own operations change its value: a request to the host
  // while automation is attached, else confirmed at once.
  void ApplyRealValue(T value);

  template <typename U> bool NormalizedFrom(U value, double& out) const;
  template <typename U> bool FromNormalized(double normalized, U& out) const;
  template <typename U> bool Write(U value);

  HMX_CString mName;
  std::map<uint32_t, HMX_CString> mShortNames; // one name per length
  bool mAutomatable;
  uint32_t mStepCount = 0;
  int32_t mKind = 1;        // 0 gives two steps by default, 1 gives 128
  int32_t mOrientation = 0; // read by the host only
  std::unique_ptr<HMX_ITaperDelegate<T>> mTaper;
  std::unique_ptr<HMX_IDisplayDelegate<T>> mDisplay;
  HMX_IAutomationDelegate* mAutomation = nullptr;
  bool mNeedsReport = true;
  HMX_CParameterValue<T> mValue;
  T mDefault;
};

// Typed helpers, here so that the inline typed operations can use them.
template <typename T>
template <typename U>
bool HMX_CParameter<T>::NormalizedFrom(U value, double& out) const {
  if constexpr (std::is_same_v<T, U>) {
    out = mTaper->RealToNormalized(value);
    return true;
  } else {
    (void)value;
    (void)out;
    return false;
  }
}

template <typename T>
template <typename U>
bool HMX_CParameter<T>::FromNormalized(double normalized, U& out) const {
  if constexpr (std::is_same_v<T, U>) {
    out = mTaper->NormalizedToReal(normalized);
    return true;
  } else {
    (void)normalized;
    (void)out;
    return false;
  }
}

template <typename T> template <typename U> bool HMX_CParameter<T>::Write(U value) {
  if constexpr (std::is_same_v<T, U>) {
    ApplyRealValue(value);
    return true;
  } else {
    (void)value;
    return false;
  }
}

extern template class HMX_CParameter<bool>;
extern template class HMX_CParameter<int>;
extern template class HMX_CParameter<double>;
