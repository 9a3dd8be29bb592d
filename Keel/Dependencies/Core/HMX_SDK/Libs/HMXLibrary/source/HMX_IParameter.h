// One host parameter as the effect sees it: names, value through taper and display, steps, automation.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CString.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IAutomationDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IDisplayDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IParameterValue.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_ITaperDelegate.h"

// Typed operations (Bool, Int32, Double) answer only in the instance of their own type and answer
// false elsewhere without writing; Float operations answer false everywhere.
class HMX_IParameter {
public:
  virtual ~HMX_IParameter() = default;
  virtual HMX_IParameterValue* CopyValue() const = 0;
  virtual const char* ParameterID() const = 0;
  virtual void AssignName(const HMX_CString& name) = 0;
  virtual const HMX_CString& PrimaryName() const = 0;
  virtual void AddShortName(const HMX_CString& name) = 0;
  virtual HMX_CString ShortNameFor(int32_t length) const = 0;
  virtual void ClearShortNames() = 0;
  virtual bool IsAutomatable() const = 0;
  virtual void AttachAutomation(HMX_IAutomationDelegate* delegate) = 0;
  virtual void TouchParam() = 0;
  virtual void ReleaseParam() = 0;
  virtual void SetNormalized(double normalized) = 0;
  virtual double Normalized() const = 0;
  virtual void SetDefaultNormalized(double normalized) = 0;
  virtual double DefaultNormalized() const = 0;
  virtual void ResetToDefault() = 0;
  virtual void SetStepCount(uint32_t steps) = 0;
  virtual uint32_t StepCount() const = 0;
  virtual uint32_t CurrentStep() const = 0;
  virtual double StepToNormalized(uint32_t step) const = 0;
  virtual uint32_t NormalizedToStep(double normalized) const = 0;
  virtual void SetStep(uint32_t step) = 0;
  virtual bool ValueText(int32_t limit, HMX_CString& out) const = 0;
  virtual bool ValueText(HMX_CString& out) const = 0;
  virtual bool NormalizedFromBool(bool value, double& out) const = 0;
  virtual bool NormalizedFromInt32(int32_t value, double& out) const = 0;
  virtual bool NormalizedFromFloat(float value, double& out) const = 0;
  virtual bool NormalizedFromDouble(double value, double& out) const = 0;
  virtual bool NormalizedFromText(const HMX_CString& text, double& out) const = 0;
  virtual bool BoolFromNormalized(double normalized, bool& out) const = 0;
  virtual bool Int32FromNormalized(double normalized, int32_t& out) const = 0;
  virtual bool FloatFromNormalized(double normalized, float& out) const = 0;
  virtual bool DoubleFromNormalized(double normalized, double& out) const = 0;
  // Writes the text for the value; true only when the value also lies within the taper's range.
  virtual bool TextFromNormalized(double normalized, int32_t limit, HMX_CString& out) const = 0;
  virtual bool TextFromNormalized(double normalized, HMX_CString& out) const = 0;
  virtual bool SetValueFromText(const HMX_CString& text) = 0;
  virtual bool ReadBool(bool& out) const = 0;
  virtual bool ReadInt32(int32_t& out) const = 0;
  virtual bool ReadFloat(float& out) const = 0;
  virtual bool ReadDouble(double& out) const = 0;
  virtual bool ReadText(HMX_IString* out) const = 0;
  virtual bool WriteBool(bool value) = 0;
  virtual bool WriteInt32(int32_t value) = 0;
  virtual bool WriteFloat(float value) = 0;
  virtual bool WriteDouble(double value) = 0;
  virtual bool WriteText(const HMX_IString& text) = 0;
  virtual void SetKind(int32_t kind) = 0;
  virtual int32_t Kind() const = 0;
  virtual void SetOrientationCode(int32_t code) = 0;
  virtual int32_t OrientationCode() const = 0;
  // A taper or display of another value type is refused (false).
  virtual bool ReplaceTaper(const HMX_ITaperDelegateBase& taper, bool keepRealValue) = 0;
  virtual bool ReplaceDisplay(const HMX_IDisplayDelegateBase& display) = 0;
  // The host confirmed this normalized value: store it and report it back when it changed.
  virtual void AcceptNormalized(double normalized) = 0;
};
