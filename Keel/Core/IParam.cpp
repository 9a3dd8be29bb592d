// Parameter definition, constraining, normalization, display texts and JSON description.
#include "Keel/Core/IParam.h"

#include <cmath>
#include <cstdarg>
#include <cstring>

namespace keel {

namespace {
void CopyText(char* field, const char* text, size_t maxBytes) {
  const size_t n = text ? strnlen(text, maxBytes) : 0;
  if (n)
    std::memcpy(field, text, n);
  field[n] = 0;
}

// Clamps to [0, 1]; NaN (a zero-width range) reads as 0.
double ClampUnit(double x) {
  if (!(x > 0.0))
    return 0.0;
  return x < 1.0 ? x : 1.0;
}

const char* TypeName(ParamType type) {
  switch (type) {
  case kTypeBool:
    return "bool";
  case kTypeInt:
    return "int";
  case kTypeEnum:
    return "enum";
  case kTypeDouble:
    return "float";
  default:
    return nullptr;
  }
}

// Each JSON piece is formatted with this limit.
constexpr int kJsonPieceLimit = 8192;
} // namespace

double IParam::ShapeLinear::NormalizedToValue(double normalized, const IParam& param) const {
  return param.GetMin() + normalized * (param.GetMax() - param.GetMin());
}

double IParam::ShapeLinear::ValueToNormalized(double value, const IParam& param) const {
  const double range = param.GetMax() - param.GetMin();
  return range != 0.0 ? (value - param.GetMin()) / range : 0.0;
}

IParam::IParam() : mShape(std::make_unique<ShapeLinear>()) {}

void IParam::InitDouble(const char* name, double defaultValue, double minValue, double maxValue, double step,
                        const char* label, int flags, const char* group, const Shape& shape, int unit) {
  if (mType == kTypeNone)
    mType = kTypeDouble;
  CopyText(mName, name, kTextSize); // a name may use all 32 bytes
  CopyText(mLabel, label, kTextSize - 1);
  CopyText(mGroup, group, kTextSize - 1);
  mMin = minValue;
  // The range is never shorter than one step.
  mMax = maxValue < minValue + step ? minValue + step : maxValue;
  mStep = step;
  mDefault = defaultValue;
  mUnit = unit;
  mFlags = flags;
  mValue.exchange(Constrain(defaultValue));

  int precision = 0;
  for (double s = step; s != std::floor(s) && precision < 6; s *= 10.0)
    ++precision;
  mDisplayPrecision = precision;

  mShape = shape.Clone();
  mShape->Init(*this);
}

void IParam::InitEnum(const char* name, int defaultValue, int count, const char* label, int flags,
                      const char* group, const char* firstText, ...) {
  if (mType == kTypeNone)
    mType = kTypeEnum;
  InitDouble(name, defaultValue, 0.0, count - 1, 1.0, label, flags | FlagStepped, group, ShapeLinear(),
             kUnitCustom);
  if (!firstText || count <= 0)
    return;
  SetDisplayText(0, firstText);
  va_list args;
  va_start(args, firstText);
  for (int i = 1; i < count; ++i)
    SetDisplayText(i, va_arg(args, const char*));
  va_end(args);
}

void IParam::InitEnum(const char* name, int defaultValue, std::initializer_list<const char*> texts,
                      const char* label, int flags, const char* group) {
  if (mType == kTypeNone)
    mType = kTypeEnum;
  const int count = static_cast<int>(texts.size());
  InitDouble(name, defaultValue, 0.0, count - 1, 1.0, label, flags | FlagStepped, group, ShapeLinear(),
             kUnitCustom);
  int i = 0;
  for (const char* text : texts)
    SetDisplayText(i++, text);
}

void IParam::InitGain(const char* name, double defaultValue, double minValue, double maxValue, double step,
                      int flags, const char* group) {
  InitDouble(name, defaultValue, minValue, maxValue, step, "dB", flags, group, ShapeLinear(), kUnitDB);
}

void IParam::SetDisplayText(double value, const char* text) {
  const int n = mDisplayTexts.GetSize();
  DisplayText* entries = mDisplayTexts.Resize(n + 1, false);
  if (mDisplayTexts.GetSize() != n + 1)
    return;
  entries[n].value = value;
  CopyText(entries[n].text, text, kTextSize - 1);
}

const char* IParam::GetDisplayTextAt(int index, double* value) const {
  const DisplayText& entry = mDisplayTexts.Get()[index];
  if (value)
    *value = entry.value;
  return entry.text;
}

int IParam::GetDisplayTextCount() const {
  return mDisplayTexts.GetSize();
}

const char* IParam::GetLabelForDisplay() const {
  const double truncated = std::trunc(Value());
  const DisplayText* entries = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i) {
    if (entries[i].value == truncated)
      return entries[i].text[0] ? "" : mLabel;
  }
  return mLabel;
}

double IParam::Constrain(double value) const {
  // Snap before clamping, so a stepped range whose min is off the step grid still reaches min and max.
  if ((mFlags & FlagStepped) && mStep > 0.0)
    value = std::round(value / mStep) * mStep;
  // Written so that NaN becomes min: a corrupt value from a host or a chunk must not reach the engine.
  if (!(value >= mMin))
    value = mMin;
  if (value > mMax)
    value = mMax;
  return value;
}

double IParam::FromNormalized(double normalized) const {
  return Constrain(mShape->NormalizedToValue(normalized, *this));
}

double IParam::ToNormalized(double value) const {
  return ClampUnit(mShape->ValueToNormalized(Constrain(value), *this));
}

void IParam::GetJSON(HeapString& json, int id) const {
  json.AppendFormatted(kJsonPieceLimit, "{");
  json.AppendFormatted(kJsonPieceLimit, "\"id\":%i, ", id);
  json.AppendFormatted(kJsonPieceLimit, "\"name\":\"%s\", ", mName);
  if (const char* type = TypeName(mType))
    json.AppendFormatted(kJsonPieceLimit, "\"type\":\"%s\", ", type);
  json.AppendFormatted(kJsonPieceLimit, "\"min\":%f, ", mMin);
  json.AppendFormatted(kJsonPieceLimit, "\"max\":%f, ", mMax);
  json.AppendFormatted(kJsonPieceLimit, "\"default\":%f, ", mDefault);
  json.AppendFormatted(kJsonPieceLimit, "\"display_type\":%i, ", mShape->GetDisplayType());
  json.AppendFormatted(kJsonPieceLimit, "\"rate\":\"control\"");
  json.AppendFormatted(kJsonPieceLimit, "}");
}

} // namespace keel
