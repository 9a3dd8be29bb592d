// One host-visible parameter: type, range, step, default, atomic value, names, display texts and shape.
#pragma once

#include <atomic>
#include <initializer_list>
#include <memory>

#include "Keel/Core/HeapBuffer.h"
#include "Keel/Core/HeapString.h"

namespace keel {

// Stored and exchanged as int.
enum ParamType : int { kTypeNone = 0, kTypeBool = 1, kTypeInt = 2, kTypeEnum = 3, kTypeDouble = 4 };

// Threads: only the value is shared (atomic, any thread); everything else is written while the
// processor defines its parameters and is read-only afterwards.
class IParam {
  static_assert(std::atomic<double>::is_always_lock_free, "the value is shared with the audio thread");

public:
  enum EFlags : int { kFlagsNone = 0, FlagNotAutomatable = 1, FlagStepped = 2 };
  // Unit codes are descriptive only.
  static constexpr int kUnitCustom = 21;
  static constexpr int kUnitDB = 4;
  static constexpr int kTextSize = 32;

  // Mapping between normalized (0..1) and real values. A shape keeps no reference to its parameter.
  class Shape {
  public:
    virtual ~Shape() = default;
    virtual std::unique_ptr<Shape> Clone() const = 0;
    virtual void Init(IParam& param) { (void)param; }
    virtual int GetDisplayType() const = 0;
    virtual double NormalizedToValue(double normalized, const IParam& param) const = 0;
    virtual double ValueToNormalized(double value, const IParam& param) const = 0;
  };

  class ShapeLinear : public Shape {
  public:
    std::unique_ptr<Shape> Clone() const override { return std::make_unique<ShapeLinear>(); }
    int GetDisplayType() const override { return 0; }
    double NormalizedToValue(double normalized, const IParam& param) const override;
    double ValueToNormalized(double value, const IParam& param) const override;
  };

  struct DisplayText {
    double value;
    char text[kTextSize];
  };

  IParam();
  ~IParam() = default;
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Init operations set the type only while it is still kTypeNone; they may run again to redefine.
  void SetType(ParamType type) { mType = type; }
  void InitDouble(const char* name, double defaultValue, double minValue, double maxValue, double step,
                  const char* label = "", int flags = 0, const char* group = "",
                  const Shape& shape = ShapeLinear(), int unit = kUnitCustom);
  // The count display texts follow as const char* arguments; a null first text adds none.
  void InitEnum(const char* name, int defaultValue, int count, const char* label, int flags,
                const char* group, const char* firstText, ...);
  void InitEnum(const char* name, int defaultValue, std::initializer_list<const char*> texts,
                const char* label = "", int flags = 0, const char* group = "");
  void InitGain(const char* name, double defaultValue, double minValue, double maxValue, double step,
                int flags = 0, const char* group = "");

  void SetDisplayText(double value, const char* text);
  // No range check: callers keep index below GetDisplayTextCount().
  const char* GetDisplayTextAt(int index, double* value = nullptr) const;
  int GetDisplayTextCount() const;
  // The label, or "" when the current value (truncated) has a non-empty display text.
  const char* GetLabelForDisplay() const;

  double Constrain(double value) const;
  double FromNormalized(double normalized) const;
  double ToNormalized(double value) const;
  double GetNormalized() const { return ToNormalized(Value()); }
  double GetDefault(bool normalized = false) const { return normalized ? ToNormalized(mDefault) : mDefault; }

  double Value() const { return mValue.load(); }
  // Callers constrain first.
  void Set(double value) { mValue.exchange(value); }
  void SetNormalized(double normalized) { Set(FromNormalized(normalized)); }

  // Appends {"id":..., "name":"...", "type":"...", "min":..., "max":..., "default":..., "display_type":...,
  // "rate":"control"} in exactly the framework's wording; numbers in the C locale.
  void GetJSON(HeapString& json, int id) const;

  ParamType Type() const { return mType; }
  int Unit() const { return mUnit; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  int GetDisplayPrecision() const { return mDisplayPrecision; }
  int GetFlags() const { return mFlags; }
  bool IsStepped() const { return (mFlags & FlagStepped) != 0; }
  bool IsAutomatable() const { return (mFlags & FlagNotAutomatable) == 0; }
  // Names take up to 32 bytes, labels and groups up to 31.
  const char* GetName() const { return mName; }
  const char* GetLabel() const { return mLabel; }
  const char* GetGroup() const { return mGroup; }
  const Shape& GetShape() const { return *mShape; }

private:
  ParamType mType = kTypeNone;
  int mUnit = kUnitCustom;
  std::atomic<double> mValue{0.0};
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  int mFlags = 0;
  char mName[kTextSize + 1] = {}; // room for a NUL after a name of all 32 bytes
  char mLabel[kTextSize] = {};
  char mGroup[kTextSize] = {};
  std::unique_ptr<Shape> mShape;
  TypedHeapBuffer<DisplayText> mDisplayTexts{4096};
};

} // namespace keel
