// Breakpoint tables of the engine value curves, measured on the hardware; transcribed once, here.
#pragma once

#include <array>
#include <span>

#include "engine/filter/CutoffCurve.h"

namespace vlm {

// A curve's breakpoints: increasing positions (percent, or normalized where the name says so) and values.
struct CurveTable {
  std::span<const double> positions;
  std::span<const double> values;
  bool percentPositions; // positions in percent of the normalized range; else already 0..1
};

namespace curve_tables {

// The 21 positions 0, 5, ..., 100 percent that most tables share.
inline constexpr std::array<double, 21> kCommonPositionsPct = {0,  5,  10, 15, 20, 25, 30, 35, 40, 45, 50,
                                                               55, 60, 65, 70, 75, 80, 85, 90, 95, 100};

inline constexpr std::array<double, 21> kDynamicsTimeNorm = {
    0,      0,      0.034,  0.0582, 0.0838, 0.0838, 0.1179, 0.1491, 0.1875, 0.2443, 0.2443,
    0.2983, 0.3636, 0.4318, 0.5142, 0.5185, 0.6222, 0.7344, 0.8452, 1,      1};

// Shared by ENV1 Attack and ENV2 Attack.
inline constexpr std::array<double, 21> kEnvAttackMs = {
    2.5312,    5.2917,    7.2292,    9.7396,    16.0729,   23.0208,    36.3333,
    54.6354,   84.1146,   136.3021,  206.625,   338.3333,  506.3646,   787.9167,
    1271.5208, 1930.0729, 2897.3125, 4811.4479, 7411.0625, 11648.1458, 20352.0833};

inline constexpr std::array<double, 21> kEnv1DecayMs = {
    6.7813,    7.4792,    8.1771,    8.875,     10.7604,  15.0521,   25.0104,
    43.8958,   72,        115.7604,  175.3542,  292.0833, 456.5625,  666.2604,
    1061.0729, 1617.5417, 2329.0938, 3576.6458, 4952,     7337.2604, 9775.0104};

inline constexpr std::array<double, 21> kEnv1ReleaseMs = {
    7.2188,   8.7188,    10.2188,   11.7188,   13.2188,   16.5625,   25.5729,
    40.3958,  61.7604,   99.75,     151.0417,  246.7604,  369.2708,  575.1667,
    935.5729, 1415.6771, 2096.1458, 3351.1146, 4745.0938, 6993.4688, 9445.7917};

inline constexpr std::array<double, 21> kEnv2DecayMs = {
    7.5,       7.6042,    8.1875,    11.8854,   22.6042,    35.0729,    60.2917,
    99.5312,   155.4688,  254.7396,  388.8438,  631.6875,   942.1979,   1446.25,
    2314.2708, 3451.4896, 4974.4271, 7606.6458, 10442.0104, 14915.8229, 19744.8125};

inline constexpr std::array<double, 21> kEnv2ReleaseMs = {
    9.8125,    10.2604,   11.9271,   16.8333,  26.125,     39.3229,    63.9583,
    102.6146,  156.6146,  252.5208,  382.4167, 626.0312,   924.8646,   1427.625,
    2266.0625, 3387.5417, 4839.0312, 7458.625, 10199.6667, 14410.7708, 19191.2292};

// Shared by ENV1 Sustain and ENV2 Sustain.
inline constexpr std::array<double, 21> kEnvSustainLevel = {
    0,        0.00236,  0.003851, 0.01448,  0.036966, 0.072806, 0.126002,
    0.176539, 0.231638, 0.298115, 0.356732, 0.426194, 0.486129, 0.546498,
    0.617368, 0.678085, 0.738496, 0.809543, 0.870302, 0.931318, 1};

inline constexpr std::array<double, 21> kHpfCutoffHz = {20,    20,    20,    21.36, 30.39, 30.39, 63.4,
                                                        108.6, 158.3, 249.1, 250.6, 334.6, 527.2, 624.2,
                                                        845.7, 861.2, 1085,  1214,  1390,  1550,  1550};

inline constexpr std::array<double, 21> kLfoDelayMs = {0,    85,   495,  745,  1010, 1010, 1200,
                                                       1455, 1715, 1940, 1945, 2205, 2450, 2695,
                                                       2985, 2985, 3205, 3410, 3695, 3955, 3955};

inline constexpr std::array<double, 21> kPwmAmountNorm = {
    0,    0.045886, 0.103088, 0.161056, 0.219943, 0.274495, 0.335086, 0.378351, 0.426351, 0.488286, 0.604,
    0.64, 0.702,    0.726,    0.771,    0.785223, 0.812446, 0.855,    0.888,    0.91983,  0.945437};

inline constexpr std::array<double, 21> kVcaLevelGain = {
    0.039865, 0.04622,  0.053867, 0.064282, 0.074862, 0.087344, 0.104054,
    0.12128,  0.141106, 0.168578, 0.196273, 0.234615, 0.273448, 0.318464,
    0.380579, 0.443032, 0.523016, 0.61727,  0.718845, 0.837279, 1};

inline constexpr std::array<double, 21> kVcaLfoAmountNorm = {
    0,      0,      0.056,  0.1566, 0.2422, 0.2431, 0.353,  0.4447, 0.5244, 0.611, 0.611,
    0.6835, 0.7415, 0.8021, 0.8444, 0.8444, 0.8835, 0.9147, 0.9401, 0.9603, 0.9612};

inline constexpr std::array<double, 21> kVcfEnvAmountOct = {
    0,     0.1327, 0.6052, 1.1161, 1.4792, 2.077,  2.6477, 2.9836, 3.5283, 4.1195, 4.5259,
    5.133, 5.6712, 6.1801, 6.8328, 7.3465, 7.7244, 8.2371, 8.5147, 9.1168, 9.1168};

inline constexpr std::array<double, 21> kVcfLfoAmountOct = {0,    0.37, 0.59, 0.94, 1.23, 1.57, 1.93,
                                                            2.15, 2.48, 2.81, 3.25, 3.58, 3.88, 4.08,
                                                            4.48, 4.83, 5.06, 5.31, 5.65, 5.7,  5.73};

// Not point-symmetric at 30 and 70 percent (-13.99539 against 16.78102); the hardware measured it so.
inline constexpr std::array<double, 21> kVco2FineCents = {
    -49.862823, -41.65164, -33.40094, -27.878933, -22.338869, -19.562175, -13.99539,
    -11.20527,  -8.411038, -5.611897, 0,          5.611897,   8.411038,   11.20527,
    16.78102,   19.562175, 22.338869, 27.878933,  33.40094,   41.65164,   49.862823};

inline constexpr std::array<double, 21> kVcoModEnv1St = {
    0,     0,      0,      0.0328, 0.0328, 0.0328, 0.0655, 0.0655, 0.1307,  0.1956, 0.2926,
    0.485, 0.7382, 1.1419, 1.7155, 2.7248, 4.0976, 6.5543, 9.8746, 14.8087, 24.0573};

inline constexpr std::array<double, 21> kVcoModLfoSt = {
    0,      0,      0.009,  0.0249, 0.0393, 0.0647,  0.1128,  0.1749,  0.2638,  0.4515, 0.6816,
    1.1277, 1.6979, 2.7455, 4.3609, 7.0074, 10.2156, 15.9918, 24.4271, 37.5491, 60.9951};

// LFO Rate has no point at 5 percent.
inline constexpr std::array<double, 20> kLfoRatePositionsPct = {0,  10, 15, 20, 25, 30, 35, 40, 45, 50,
                                                                55, 60, 65, 70, 75, 80, 85, 90, 95, 100};
inline constexpr std::array<double, 20> kLfoRateHz = {
    0.02,   0.0337, 0.0673, 0.102,  0.1361, 0.2128,  0.3191,  0.4255,  0.7447,  1.1702,
    1.8085, 2.6596, 4.0426, 6.4894, 9.2553, 14.4681, 21.7021, 32.5532, 43.4043, 65.1064};

inline constexpr std::array<double, 21> kBalancePositionsNorm = {0,    0.05, 0.10, 0.15, 0.20, 0.25, 0.30,
                                                                 0.35, 0.40, 0.45, 0.50, 0.55, 0.60, 0.65,
                                                                 0.70, 0.75, 0.80, 0.85, 0.90, 0.95, 1};
inline constexpr std::array<double, 21> kBalanceNorm = {0,     0.016, 0.04,  0.101, 0.16,  0.209, 0.288,
                                                        0.359, 0.408, 0.462, 0.5,   0.514, 0.567, 0.62,
                                                        0.693, 0.757, 0.811, 0.891, 0.945, 0.984, 1};

inline constexpr std::array<double, 7> kPortamentoPositionsNorm = {0, 0.5, 0.6, 0.7, 0.8, 0.9, 1};
inline constexpr std::array<double, 7> kPortamentoMs = {0, 28, 65, 163, 378, 965, 2645};

} // namespace curve_tables

inline constexpr CurveTable Common(const std::array<double, 21>& values) {
  return {curve_tables::kCommonPositionsPct, values, true};
}

inline constexpr CurveTable kDynamicsTimeCurve = Common(curve_tables::kDynamicsTimeNorm);
inline constexpr CurveTable kEnvAttackCurve = Common(curve_tables::kEnvAttackMs);
inline constexpr CurveTable kEnv1DecayCurve = Common(curve_tables::kEnv1DecayMs);
inline constexpr CurveTable kEnv1ReleaseCurve = Common(curve_tables::kEnv1ReleaseMs);
inline constexpr CurveTable kEnv2DecayCurve = Common(curve_tables::kEnv2DecayMs);
inline constexpr CurveTable kEnv2ReleaseCurve = Common(curve_tables::kEnv2ReleaseMs);
inline constexpr CurveTable kEnvSustainCurve = Common(curve_tables::kEnvSustainLevel);
inline constexpr CurveTable kHpfCutoffCurve = Common(curve_tables::kHpfCutoffHz);
inline constexpr CurveTable kLfoDelayCurve = Common(curve_tables::kLfoDelayMs);
inline constexpr CurveTable kPwmAmountCurve = Common(curve_tables::kPwmAmountNorm);
inline constexpr CurveTable kVcaLevelCurve = Common(curve_tables::kVcaLevelGain);
inline constexpr CurveTable kVcaLfoAmountCurve = Common(curve_tables::kVcaLfoAmountNorm);
inline constexpr CurveTable kVcfEnvAmountCurve = Common(curve_tables::kVcfEnvAmountOct);
inline constexpr CurveTable kVcfLfoAmountCurve = Common(curve_tables::kVcfLfoAmountOct);
inline constexpr CurveTable kVco2FineCurve = Common(curve_tables::kVco2FineCents);
inline constexpr CurveTable kVcoModEnv1Curve = Common(curve_tables::kVcoModEnv1St);
inline constexpr CurveTable kVcoModLfoCurve = Common(curve_tables::kVcoModLfoSt);
inline constexpr CurveTable kLfoRateCurve = {curve_tables::kLfoRatePositionsPct, curve_tables::kLfoRateHz,
                                             true};
inline constexpr CurveTable kBalanceCurve = {curve_tables::kBalancePositionsNorm, curve_tables::kBalanceNorm,
                                             false};
inline constexpr CurveTable kPortamentoCurve = {curve_tables::kPortamentoPositionsNorm,
                                                curve_tables::kPortamentoMs, false};
// The cutoff curve belongs to the filter; the parameter shape reads the same table.
inline constexpr CurveTable kVcfCutoffCurve = {kCutoffCurvePercent, kCutoffCurveHz, true};

} // namespace vlm
