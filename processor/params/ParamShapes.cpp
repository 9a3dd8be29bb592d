// The 24 curve shapes. Forward: the engine curve with the parameter's own range. Reverse: one of seven rules
// chosen per shape so that a value the host or page sets lands on the knob position the engine would use.
#include "processor/params/ParamShapes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "processor/params/ParamHold.h"

namespace vlm {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// A position on the table's axis as a normalized value.
double ToNormalizedPosition(const CurveTable& table, double position) {
  return table.percentPositions ? position / 100.0 : position;
}

double PositionBetween(const CurveTable& table, int k, double t) {
  const double a = table.positions[k - 1];
  return a + t * (table.positions[k] - a);
}

// How a search rule measures t inside the segment it found.
enum class SegmentT {
  Linear,               // (v - a) / (b - a) when b > a, else 0
  GeometricWhereRising, // ln(v / a) / ln(b / a) when b > a > 0, else 0
  GeometricByRatio,     // logarithmic when b / a > 1, else linear
};

double TInSegment(SegmentT kind, double v, double a, double b) {
  const double linear = b > a ? (v - a) / (b - a) : 0.0;
  switch (kind) {
  case SegmentT::GeometricWhereRising:
    return (b > a && a > 0.0) ? std::log(v / a) / std::log(b / a) : 0.0;
  case SegmentT::GeometricByRatio:
    return b / a > 1.0 ? std::log(v / a) / std::log(b / a) : linear;
  case SegmentT::Linear:
    break;
  }
  return linear;
}

enum class ValueHold { None, ZeroToOne, ParamRange, Fixed };

// The monotone-search reverse rules: limits, then the first point whose value is not below v.
struct SearchRule {
  const CurveTable* table;
  ValueHold hold;
  double holdLo, holdHi; // for ValueHold::Fixed
  double zeroAtOrBelow;
  double oneAtOrAbove; // +inf where only "above the last value" gives 1
  SegmentT t;
  bool holdResult;
  bool bisect;
};

double ReverseSearch(const SearchRule& rule, double v, const keel::IParam& param) {
  switch (rule.hold) {
  case ValueHold::ZeroToOne:
    v = Hold01(v);
    break;
  case ValueHold::ParamRange:
    v = HoldInRange(v, param.GetMin(), param.GetMax());
    break;
  case ValueHold::Fixed:
    v = HoldInRange(v, rule.holdLo, rule.holdHi);
    break;
  case ValueHold::None:
    break;
  }
  if (v <= rule.zeroAtOrBelow)
    return 0.0;
  if (v >= rule.oneAtOrAbove)
    return 1.0;
  const CurveTable& table = *rule.table;
  const int k = rule.bisect ? BisectFirstNotBelow(table.values, v) : ScanFirstNotBelow(table.values, v);
  if (k < 0)
    return 1.0;
  const double t = TInSegment(rule.t, v, table.values[k - 1], table.values[k]);
  const double result = ToNormalizedPosition(table, PositionBetween(table, k, t));
  return rule.holdResult ? Hold01(result) : result;
}

constexpr SearchRule Linear(const CurveTable& table, ValueHold hold, double zeroAtOrBelow,
                            double oneAtOrAbove, bool holdResult = true) {
  return {&table, hold, 0.0, 0.0, zeroAtOrBelow, oneAtOrAbove, SegmentT::Linear, holdResult, false};
}

// R1, Balance: positions are already normalized and the values rise strictly, so no flat-segment guard.
double ReverseBalance(double v) {
  v = Hold01(v);
  if (v <= 0.0)
    return 0.0;
  if (v >= 1.0)
    return 1.0;
  const CurveTable& table = kBalanceCurve;
  const int k = ScanFirstNotBelow(table.values, v);
  if (k < 0)
    return 1.0;
  const double a = table.values[k - 1];
  return PositionBetween(table, k, (v - a) / (table.values[k] - a));
}

// R3, envelope times: the first segment that contains v; else the position of the nearest point.
double ReverseEnvelopeTime(const CurveTable& table, double v, const keel::IParam& param) {
  v = HoldInRange(v, param.GetMin(), param.GetMax());
  int nearest = 0;
  double nearestDistance = std::fabs(v - table.values[0]);
  for (size_t k = 1; k < table.values.size(); ++k) {
    const double a = table.values[k - 1];
    const double b = table.values[k];
    if (std::min(a, b) <= v && v <= std::max(a, b) && a != b) {
      const double position = PositionBetween(table, static_cast<int>(k), (v - a) / (b - a));
      return Hold01(ToNormalizedPosition(table, position));
    }
    const double distance = std::fabs(v - b);
    if (distance < nearestDistance) {
      nearest = static_cast<int>(k);
      nearestDistance = distance;
    }
  }
  return Hold01(ToNormalizedPosition(table, table.positions[nearest]));
}

// R5, VCF Cutoff: log2-linear inside the segment found by bisection; not held.
double ReverseVcfCutoff(double v) {
  const CurveTable& table = kVcfCutoffCurve;
  if (v <= table.values.front())
    return 0.0;
  if (v >= table.values.back())
    return 1.0;
  const int k = BisectFirstNotBelow(table.values, v);
  if (k < 0)
    return 1.0;
  const auto& logs = CutoffLog2Table();
  const double t = logs[k - 1] < logs[k]
                       ? (std::log2(v) - logs[k - 1]) / (logs[k] - logs[k - 1])
                       : (v - table.values[k - 1]) / (table.values[k] - table.values[k - 1]);
  return ToNormalizedPosition(table, PositionBetween(table, k, t));
}

// R6, LFO2 Rate: undoes min x (max / min)^(x^0.33).
double ReverseLfo2Rate(double v, const keel::IParam& param) {
  const double minValue = param.GetMin();
  const double maxValue = param.GetMax();
  if (!(minValue > 0.0) || !(minValue < maxValue) || v <= minValue)
    return 0.0;
  if (v >= maxValue)
    return 1.0;
  const double r = Hold01(std::log(v / minValue) / std::log(maxValue / minValue));
  return std::pow(r, 3.0303030303030303);
}

// R7, Pulse Width in percent.
double ReversePulseWidth(double v) {
  return 1.0 - std::clamp(v, 0.0, 50.0) / 50.0;
}

// Common bodies of every shape: clone, display type, and the forward curve over the parameter's range.
template <class Derived, CurveFn Curve, int DisplayType> class CurveShape : public keel::IParam::Shape {
public:
  std::unique_ptr<keel::IParam::Shape> Clone() const override { return std::make_unique<Derived>(); }
  int GetDisplayType() const override { return DisplayType; }
  double NormalizedToValue(double x, const keel::IParam& param) const override {
    return Curve(x, param.GetMin(), param.GetMax());
  }
};

constexpr int kDisplayLinear = 0;
constexpr int kDisplayLog = 1;
constexpr int kDisplayCubeRoot = 6;

// A shape whose reverse is one of the search rules.
template <class Derived, CurveFn Curve, int DisplayType, const SearchRule& Rule>
class SearchShape : public CurveShape<Derived, Curve, DisplayType> {
public:
  double ValueToNormalized(double v, const keel::IParam& param) const override {
    return ReverseSearch(Rule, v, param);
  }
};

// A shape whose reverse is the envelope segment scan.
template <class Derived, CurveFn Curve, const CurveTable& Table>
class EnvelopeTimeShape : public CurveShape<Derived, Curve, kDisplayCubeRoot> {
public:
  double ValueToNormalized(double v, const keel::IParam& param) const override {
    return ReverseEnvelopeTime(Table, v, param);
  }
};

constexpr SearchRule kGlideTimeRule = Linear(kPortamentoCurve, ValueHold::ParamRange, 0.0, 2645.0);
constexpr SearchRule kVco2FineRule = {&kVco2FineCurve,
                                      ValueHold::Fixed,
                                      -49.862823,
                                      49.862823,
                                      -49.862823,
                                      kInf,
                                      SegmentT::Linear,
                                      true,
                                      false};
constexpr SearchRule kHpfCutoffRule = {
    &kHpfCutoffCurve, ValueHold::None, 0.0, 0.0, 20.0, 1550.0, SegmentT::GeometricWhereRising, true, false};
constexpr SearchRule kVcfEnvAmountRule = Linear(kVcfEnvAmountCurve, ValueHold::None, 0.0, 9.1168);
constexpr SearchRule kVcfLfoAmountRule = Linear(kVcfLfoAmountCurve, ValueHold::None, 0.0, 5.73, false);
constexpr SearchRule kVcaLevelRule = Linear(kVcaLevelCurve, ValueHold::ZeroToOne, 0.039865, kInf);
constexpr SearchRule kVcaLfoAmountRule = Linear(kVcaLfoAmountCurve, ValueHold::ZeroToOne, 0.0, kInf);
constexpr SearchRule kEnvSustainRule = {
    &kEnvSustainCurve, ValueHold::ZeroToOne, 0.0, 0.0, 0.0, kInf, SegmentT::Linear, true, true};
constexpr SearchRule kLfo1RateRule = {
    &kLfoRateCurve, ValueHold::None, 0.0, 0.0, 0.02, 65.1064, SegmentT::GeometricByRatio, false, false};
constexpr SearchRule kLfo1DelayRule = Linear(kLfoDelayCurve, ValueHold::None, 0.0, 3955.0, false);
constexpr SearchRule kVcoModLfoRule = Linear(kVcoModLfoCurve, ValueHold::None, 0.0, 60.9951);
constexpr SearchRule kVcoModEnvRule = Linear(kVcoModEnv1Curve, ValueHold::None, 0.0, 24.0573);
constexpr SearchRule kPwmAmountRule = Linear(kPwmAmountCurve, ValueHold::ZeroToOne, 0.0, kInf);
constexpr SearchRule kDynamicsTimeRule = Linear(kDynamicsTimeCurve, ValueHold::ZeroToOne, 0.0, kInf);

class BalanceShape final : public CurveShape<BalanceShape, BalanceCurve, kDisplayLinear> {
public:
  double ValueToNormalized(double v, const keel::IParam&) const override { return ReverseBalance(v); }
};

class GlideTimeShape final
    : public SearchShape<GlideTimeShape, PortamentoCurve, kDisplayLinear, kGlideTimeRule> {};

class Lfo2RateShape final : public CurveShape<Lfo2RateShape, Lfo2RateCurve, kDisplayLog> {
public:
  double ValueToNormalized(double v, const keel::IParam& param) const override {
    return ReverseLfo2Rate(v, param);
  }
};

class Vco2FineShape final : public SearchShape<Vco2FineShape, Vco2FineCurve, kDisplayLinear, kVco2FineRule> {
};
class HpfCutoffShape final : public SearchShape<HpfCutoffShape, HpfCutoffCurve, kDisplayLog, kHpfCutoffRule> {
};

class VcfCutoffShape final : public CurveShape<VcfCutoffShape, CutoffCurveLookup, kDisplayLog> {
public:
  double ValueToNormalized(double v, const keel::IParam&) const override { return ReverseVcfCutoff(v); }
};

class VcfEnvAmountShape final
    : public SearchShape<VcfEnvAmountShape, VcfEnvAmountCurve, kDisplayLinear, kVcfEnvAmountRule> {};
class VcfLfoAmountShape final
    : public SearchShape<VcfLfoAmountShape, VcfLfoAmountCurve, kDisplayLinear, kVcfLfoAmountRule> {};
class VcaLevelShape final : public SearchShape<VcaLevelShape, VcaLevelCurve, kDisplayLinear, kVcaLevelRule> {
};
class VcaLfoAmountShape final
    : public SearchShape<VcaLfoAmountShape, VcaLfoAmountCurve, kDisplayLinear, kVcaLfoAmountRule> {};
class Env1AttackShape final : public EnvelopeTimeShape<Env1AttackShape, EnvAttackCurve, kEnvAttackCurve> {};
class Env1DecayShape final : public EnvelopeTimeShape<Env1DecayShape, Env1DecayCurve, kEnv1DecayCurve> {};
class EnvSustainShape final
    : public SearchShape<EnvSustainShape, EnvSustainCurve, kDisplayLinear, kEnvSustainRule> {};
class Env1ReleaseShape final
    : public EnvelopeTimeShape<Env1ReleaseShape, Env1ReleaseCurve, kEnv1ReleaseCurve> {};
class Env2AttackShape final : public EnvelopeTimeShape<Env2AttackShape, EnvAttackCurve, kEnvAttackCurve> {};
class Env2DecayShape final : public EnvelopeTimeShape<Env2DecayShape, Env2DecayCurve, kEnv2DecayCurve> {};
class Env2ReleaseShape final
    : public EnvelopeTimeShape<Env2ReleaseShape, Env2ReleaseCurve, kEnv2ReleaseCurve> {};
class Lfo1RateShape final : public SearchShape<Lfo1RateShape, LfoRateCurve, kDisplayLog, kLfo1RateRule> {};
class Lfo1DelayShape final
    : public SearchShape<Lfo1DelayShape, LfoDelayCurve, kDisplayLinear, kLfo1DelayRule> {};
class VcoModLfoShape final
    : public SearchShape<VcoModLfoShape, VcoModLfoCurve, kDisplayLinear, kVcoModLfoRule> {};
class VcoModEnvShape final
    : public SearchShape<VcoModEnvShape, VcoModEnv1Curve, kDisplayLinear, kVcoModEnvRule> {};

class PulseWidthShape final : public CurveShape<PulseWidthShape, PulseWidthCurve, kDisplayLinear> {
public:
  double ValueToNormalized(double v, const keel::IParam&) const override { return ReversePulseWidth(v); }
};

class PwmAmountShape final
    : public SearchShape<PwmAmountShape, PwmAmountCurve, kDisplayLinear, kPwmAmountRule> {};
class DynamicsTimeShape final
    : public SearchShape<DynamicsTimeShape, DynamicsTimeCurve, kDisplayLinear, kDynamicsTimeRule> {};

struct ShapeEntry {
  std::unique_ptr<keel::IParam::Shape> (*make)();
  CurveFn curve;
};

template <class T> std::unique_ptr<keel::IParam::Shape> Make() {
  return std::make_unique<T>();
}

// Indexed by ParamShapeKind.
constexpr ShapeEntry kShapes[] = {
    {Make<keel::IParam::ShapeLinear>, nullptr},   {Make<BalanceShape>, BalanceCurve},
    {Make<GlideTimeShape>, PortamentoCurve},      {Make<Lfo2RateShape>, Lfo2RateCurve},
    {Make<Vco2FineShape>, Vco2FineCurve},         {Make<HpfCutoffShape>, HpfCutoffCurve},
    {Make<VcfCutoffShape>, CutoffCurveLookup},    {Make<VcfEnvAmountShape>, VcfEnvAmountCurve},
    {Make<VcfLfoAmountShape>, VcfLfoAmountCurve}, {Make<VcaLevelShape>, VcaLevelCurve},
    {Make<VcaLfoAmountShape>, VcaLfoAmountCurve}, {Make<Env1AttackShape>, EnvAttackCurve},
    {Make<Env1DecayShape>, Env1DecayCurve},       {Make<EnvSustainShape>, EnvSustainCurve},
    {Make<Env1ReleaseShape>, Env1ReleaseCurve},   {Make<Env2AttackShape>, EnvAttackCurve},
    {Make<Env2DecayShape>, Env2DecayCurve},       {Make<Env2ReleaseShape>, Env2ReleaseCurve},
    {Make<Lfo1RateShape>, LfoRateCurve},          {Make<Lfo1DelayShape>, LfoDelayCurve},
    {Make<VcoModLfoShape>, VcoModLfoCurve},       {Make<VcoModEnvShape>, VcoModEnv1Curve},
    {Make<PulseWidthShape>, PulseWidthCurve},     {Make<PwmAmountShape>, PwmAmountCurve},
    {Make<DynamicsTimeShape>, DynamicsTimeCurve},
};
static_assert(std::size(kShapes) == static_cast<size_t>(ParamShapeKind::Count));

const ShapeEntry& EntryFor(ParamShapeKind kind) {
  const int i = static_cast<int>(kind);
  return kShapes[(i >= 0 && i < static_cast<int>(ParamShapeKind::Count)) ? i : 0];
}

} // namespace

std::unique_ptr<keel::IParam::Shape> MakeParamShape(ParamShapeKind kind) {
  return EntryFor(kind).make();
}

CurveFn CurveForShape(ParamShapeKind kind) {
  return EntryFor(kind).curve;
}

} // namespace vlm
