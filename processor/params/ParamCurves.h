// Engine value curves: normalized 0..1 to the value the engine setters take, through breakpoint tables or
// formulas. The parameter shapes use the same functions, so what the host shows is what the engine gets.
#pragma once

#include "processor/params/ParamCurveTables.h"

namespace vlm {

// A curve maps a normalized x to a value; min and max are the parameter's range (some curves hold to it).
using CurveFn = double (*)(double x, double minValue, double maxValue);

// Table lookup primitives. x is held within 0..1 first; a NaN x gives the table's last value.
double LookupLinear(const CurveTable& table, double x);
// value[k-1] x (value[k] / value[k-1])^t on every segment.
double LookupGeometric(const CurveTable& table, double x);
// Geometric where value[k] > value[k-1] > 0, linear on flat or non-positive segments.
double LookupGeometricWhereRising(const CurveTable& table, double x);

// The curves, one per table or formula.
double BalanceCurve(double x, double minValue, double maxValue);
double PortamentoCurve(double x, double minValue, double maxValue);
double Lfo2RateCurve(double x, double minValue, double maxValue);
double Vco2FineCurve(double x, double minValue, double maxValue);
double HpfCutoffCurve(double x, double minValue, double maxValue);
// VCF Cutoff: log2-linear between points, segment found by bisection.
double CutoffCurveLookup(double x, double minValue, double maxValue);
double VcfEnvAmountCurve(double x, double minValue, double maxValue);
double VcfLfoAmountCurve(double x, double minValue, double maxValue);
double VcaLevelCurve(double x, double minValue, double maxValue);
double VcaLfoAmountCurve(double x, double minValue, double maxValue);
double EnvAttackCurve(double x, double minValue, double maxValue);
double Env1DecayCurve(double x, double minValue, double maxValue);
double EnvSustainCurve(double x, double minValue, double maxValue);
double Env1ReleaseCurve(double x, double minValue, double maxValue);
double Env2DecayCurve(double x, double minValue, double maxValue);
double Env2ReleaseCurve(double x, double minValue, double maxValue);
double LfoRateCurve(double x, double minValue, double maxValue);
double LfoDelayCurve(double x, double minValue, double maxValue);
double VcoModLfoCurve(double x, double minValue, double maxValue);
double VcoModEnv1Curve(double x, double minValue, double maxValue);
double PulseWidthCurve(double x, double minValue, double maxValue);
double PwmAmountCurve(double x, double minValue, double maxValue);
double DynamicsTimeCurve(double x, double minValue, double maxValue);

// Index of the first point k >= 1 whose entry in the increasing column `keys` (positions or values) is not
// below `key`, by bisection. -1 when none is (key is NaN or above the last entry).
int BisectFirstNotBelow(std::span<const double> keys, double key);
// The same by a forward scan, for columns that may hold equal neighbours.
int ScanFirstNotBelow(std::span<const double> keys, double key);

} // namespace vlm
