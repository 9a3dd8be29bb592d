// Engine value curves: breakpoint lookups (linear, geometric, log2 with bisection) and the two formula
// curves.
#include "processor/params/ParamCurves.h"

#include <algorithm>
#include <cmath>

#include "processor/params/ParamHold.h"

namespace vlm {
namespace {

// X on the table's position axis.
double PositionOf(const CurveTable& table, double x) {
  const double held = Hold01(x);
  return table.percentPositions ? 100.0 * held : held;
}

// Where position lies between the breakpoints k-1 and k, 0 to 1.
double TAlongSegment(const CurveTable& table, int k, double position) {
  return (position - table.positions[k - 1]) / (table.positions[k] - table.positions[k - 1]);
}

double Lerp(double a, double b, double t) {
  return a + (b - a) * t;
}

enum class Interp { Linear, Geometric, GeometricWhereRising };

double Lookup(const CurveTable& table, double x, Interp interp) {
  const double position = PositionOf(table, x);
  const int k = ScanFirstNotBelow(table.positions, position);
  if (k < 0)
    return table.values.back();
  const double a = table.values[k - 1];
  const double b = table.values[k];
  const double t = TAlongSegment(table, k, position);
  switch (interp) {
  case Interp::Geometric:
    return a * std::pow(b / a, t);
  case Interp::GeometricWhereRising:
    return (b > a && a > 0.0) ? a * std::pow(b / a, t) : Lerp(a, b, t);
  case Interp::Linear:
    break;
  }
  return Lerp(a, b, t);
}

} // namespace

int BisectFirstNotBelow(std::span<const double> keys, double key) {
  const int last = static_cast<int>(keys.size()) - 1;
  if (last < 1 || !(keys[last] >= key))
    return -1;
  int lo = 1;
  int hi = last;
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (keys[mid] >= key)
      hi = mid;
    else
      lo = mid + 1;
  }
  return lo;
}

int ScanFirstNotBelow(std::span<const double> keys, double key) {
  for (size_t k = 1; k < keys.size(); ++k)
    if (keys[k] >= key)
      return static_cast<int>(k);
  return -1;
}

double LookupLinear(const CurveTable& table, double x) {
  return Lookup(table, x, Interp::Linear);
}
double LookupGeometric(const CurveTable& table, double x) {
  return Lookup(table, x, Interp::Geometric);
}
double LookupGeometricWhereRising(const CurveTable& table, double x) {
  return Lookup(table, x, Interp::GeometricWhereRising);
}

double BalanceCurve(double x, double, double) {
  return LookupLinear(kBalanceCurve, x);
}

double PortamentoCurve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupLinear(kPortamentoCurve, x), minValue, maxValue);
}

double Lfo2RateCurve(double x, double minValue, double maxValue) {
  if (!(minValue > 0.0 && minValue < maxValue))
    return minValue;
  // The 0.33 power spreads the slow rates over most of the knob's travel.
  return minValue * std::pow(maxValue / minValue, std::pow(Hold01(x), 0.33));
}

double Vco2FineCurve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupLinear(kVco2FineCurve, x), minValue, maxValue);
}

double HpfCutoffCurve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupGeometricWhereRising(kHpfCutoffCurve, x), minValue, maxValue);
}

double CutoffCurveLookup(double x, double minValue, double maxValue) {
  if (!(minValue > 0.0 && minValue < maxValue))
    return minValue;
  const CurveTable& table = kVcfCutoffCurve;
  const double position = PositionOf(table, x);
  const int k = BisectFirstNotBelow(table.positions, position);
  if (k < 0)
    return HoldInRange(table.values.back(), minValue, maxValue);
  const double t = TAlongSegment(table, k, position);
  const auto& logs = CutoffLog2Table();
  return HoldInRange(std::exp2(Lerp(logs[k - 1], logs[k], t)), minValue, maxValue);
}

double VcfEnvAmountCurve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupLinear(kVcfEnvAmountCurve, x), minValue, maxValue);
}

double VcfLfoAmountCurve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupLinear(kVcfLfoAmountCurve, x), minValue, maxValue);
}

double VcaLevelCurve(double x, double, double) {
  return HoldInRange(LookupLinear(kVcaLevelCurve, x), 0.0, 1.0);
}

double VcaLfoAmountCurve(double x, double, double) {
  return HoldInRange(LookupLinear(kVcaLfoAmountCurve, x), 0.0, 1.0);
}

double EnvAttackCurve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupLinear(kEnvAttackCurve, x), minValue, maxValue);
}

double Env1DecayCurve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupLinear(kEnv1DecayCurve, x), minValue, maxValue);
}

double EnvSustainCurve(double x, double, double) {
  return HoldInRange(LookupLinear(kEnvSustainCurve, x), 0.0, 1.0);
}

double Env1ReleaseCurve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupLinear(kEnv1ReleaseCurve, x), minValue, maxValue);
}

double Env2DecayCurve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupLinear(kEnv2DecayCurve, x), minValue, maxValue);
}

double Env2ReleaseCurve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupLinear(kEnv2ReleaseCurve, x), minValue, maxValue);
}

double LfoRateCurve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupGeometric(kLfoRateCurve, x), minValue, maxValue);
}

double LfoDelayCurve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupLinear(kLfoDelayCurve, x), minValue, maxValue);
}

double VcoModLfoCurve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupLinear(kVcoModLfoCurve, x), minValue, maxValue);
}

double VcoModEnv1Curve(double x, double minValue, double maxValue) {
  return HoldInRange(LookupLinear(kVcoModEnv1Curve, x), minValue, maxValue);
}

// Percent: the knob runs from a square wave (50) to the narrowest pulse (0).
double PulseWidthCurve(double x, double, double) {
  return (1.0 - Hold01(x)) * 50.0;
}

double PwmAmountCurve(double x, double, double) {
  return HoldInRange(LookupLinear(kPwmAmountCurve, x), 0.0, 1.0);
}

double DynamicsTimeCurve(double x, double, double) {
  return HoldInRange(LookupLinear(kDynamicsTimeCurve, x), 0.0, 1.0);
}

} // namespace vlm
