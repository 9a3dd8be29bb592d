// Breakpoint tables of the tone parameters whose engine value differs from their displayed curve.
#include "processor/params/ToneParamTables.h"

#include <algorithm>
#include <array>
#include <span>

#include "processor/params/ParamCurves.h"

namespace vlm {
namespace {

using curve_tables::kCommonPositionsPct;

constexpr std::array<double, 17> kVcfEnvAmountPositionsPct = {0,  25, 30, 35, 40, 45, 50, 55, 60,
                                                              65, 70, 75, 80, 85, 90, 95, 100};
constexpr std::array<double, 17> kVcfEnvAmountPct = {0,     21.02, 25.56, 28.58, 32.77, 37.36,
                                                     40.43, 44.85, 50.05, 52.92, 57.62, 62,
                                                     65.14, 69.51, 73.46, 78.51, 82.34};

constexpr std::array<double, 16> kFilterAttackPositionsPct = {0,  30, 35, 40, 45, 50, 55, 60,
                                                              65, 70, 75, 80, 85, 90, 95, 100};
constexpr std::array<double, 16> kFilterAttackFactor = {0.5,  0.5,  0.52, 0.56, 0.62, 0.68, 0.74, 0.8,
                                                        0.85, 0.89, 0.93, 0.96, 0.98, 1,    1,    1};

constexpr std::array<double, 21> kEnv2SustainLevel = {
    0,        0.001171, 0.001391, 0.003908, 0.012936, 0.035735, 0.080657,
    0.129161, 0.18366,  0.251542, 0.3125,   0.385647, 0.449707, 0.513671,
    0.589481, 0.654561, 0.719888, 0.795591, 0.860003, 0.925316, 1};

constexpr std::array<double, 11> kTenthPositionsPct = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
constexpr std::array<double, 11> kEnv2KeyFollow = {0,        0.072521, 0.225826, 0.301446, 0.446591, 0.515702,
                                                   0.683884, 0.808058, 0.869938, 0.980785, 1.021178};

constexpr std::array<double, 21> kLfo1RandomRateHz = {0.02,  0.035, 0.05,   0.06,   0.08,   0.12,   0.16,
                                                      0.23,  0.36,  0.6,    0.745,  2.034,  2.665,  3.527,
                                                      4.623, 5.749, 11.266, 17.044, 24.852, 31.795, 124.449};

constexpr std::array<double, 5> kDynamicsLevelPositionsNorm = {0, 0.26, 0.52, 0.78, 1};
constexpr std::array<double, 5> kDynamicsLevel = {0, 0.342, 0.58, 0.811, 1};

constexpr CurveTable kVcfEnvAmountTable = {kVcfEnvAmountPositionsPct, kVcfEnvAmountPct, true};
constexpr CurveTable kFilterAttackTable = {kFilterAttackPositionsPct, kFilterAttackFactor, true};
constexpr CurveTable kEnv2SustainTable = {kCommonPositionsPct, kEnv2SustainLevel, true};
constexpr CurveTable kEnv2KeyFollowTable = {kTenthPositionsPct, kEnv2KeyFollow, true};
constexpr CurveTable kLfo1RandomRateTable = {kCommonPositionsPct, kLfo1RandomRateHz, true};

} // namespace

double VcfEnvAmountPercent(double x) {
  return LookupLinear(kVcfEnvAmountTable, x);
}

double Env1FilterAttackFactor(double x) {
  return LookupLinear(kFilterAttackTable, x);
}

double Env2SustainLevel(double x) {
  return std::clamp(LookupLinear(kEnv2SustainTable, x), 0.0, 1.0);
}

double Env2KeyFollowAmount(double x) {
  return LookupLinear(kEnv2KeyFollowTable, x);
}

double Lfo1RandomRateHz(double x) {
  return LookupLinear(kLfo1RandomRateTable, x);
}

double DynamicsLevelAmount(double amount) {
  // Positions are normalized here, and a segment of zero width gives its start.
  const double position = std::clamp(amount, 0.0, 1.0);
  const int k = ScanFirstNotBelow(kDynamicsLevelPositionsNorm, position);
  if (k < 0)
    return kDynamicsLevel.back();
  const double width = kDynamicsLevelPositionsNorm[k] - kDynamicsLevelPositionsNorm[k - 1];
  if (!(width > 0.0))
    return kDynamicsLevel[k - 1];
  const double t = (position - kDynamicsLevelPositionsNorm[k - 1]) / width;
  return kDynamicsLevel[k - 1] + (kDynamicsLevel[k] - kDynamicsLevel[k - 1]) * t;
}

} // namespace vlm
