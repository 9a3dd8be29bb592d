// Engine values of the parameter spec table: breakpoints, interpolation between them, holds and formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/EParams.h"
#include "processor/params/ParamSpec.h"

namespace vlm {
namespace {

class ParamCurvesTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { InitParamSpecs(); }
};

void ExpectClose(double expected, double actual, const char* what) {
  EXPECT_NEAR(expected, actual, std::max(1e-12, std::fabs(expected) * 1e-12)) << what;
}

struct EngineCase {
  int index;
  double x;
  double expected;
  const char* what;
};

constexpr int U(int offset) {
  return UpperToneParam(offset);
}
constexpr int L(int offset) {
  return LowerToneParam(offset);
}

TEST_F(ParamCurvesTest, TableCurvesPassThroughTheirBreakpointsAndInterpolateBetweenThem) {
  const EngineCase cases[] = {
      {U(kToneEnv1Attack), 0.0, 2.5312, "ENV1 Attack at 0"},
      {U(kToneEnv1Attack), 0.5, 206.625, "ENV1 Attack at 50"},
      {U(kToneEnv1Attack), 0.525, 272.47915, "ENV1 Attack between 50 and 55"},
      {U(kToneEnv1Attack), 1.0, 20352.0833, "ENV1 Attack at 100"},
      {L(kToneEnv2Attack), 1.0, 20352.0833, "ENV2 Attack shares the attack table"},
      {U(kToneEnv1Decay), 0.4, 72, "ENV1 Decay at 40"},
      {U(kToneEnv1Release), 0.95, 6993.4688, "ENV1 Release at 95"},
      {U(kToneEnv2Decay), 1.0, 19744.8125, "ENV2 Decay at 100"},
      {L(kToneEnv2Release), 0.05, 10.2604, "ENV2 Release at 5"},
      {U(kToneEnv1Sustain), 0.1, 0.003851, "ENV1 Sustain at 10"},
      {L(kToneEnv2Sustain), 0.75, 0.678085, "ENV2 Sustain at 75"},
      {U(kToneDynamicsTime), 0.2, 0.0838, "Dynamics Time at 20"},
      {U(kToneDynamicsTime), 0.225, 0.0838, "Dynamics Time flat from 20 to 25"},
      {U(kToneDynamicsTime), 0.25, 0.0838, "Dynamics Time at 25"},
      {U(kTonePwmAmount), 1.0, 0.945437, "PWM Amount at 100"},
      {U(kToneVcaLevel), 0.0, 0.039865, "VCA Level at 0"},
      {U(kToneVcaLfoAmount), 0.5, 0.611, "VCA LFO Amount at 50"},
      {U(kToneVcfEnvAmount), 0.85, 8.2371, "VCF Env Amount at 85"},
      {U(kToneVcfLfoAmount), 0.95, 5.7, "VCF LFO Amount at 95"},
      {U(kToneVco2Fine), 0.3, -13.99539, "VCO2 Fine at 30"},
      {U(kToneVco2Fine), 0.7, 16.78102, "VCO2 Fine at 70, not the mirror of 30"},
      {U(kToneVco2Fine), 0.325, -12.60033, "VCO2 Fine between 30 and 35"},
      {U(kToneVcoModEnv1), 1.0, 24.0573, "VCO Mod ENV1 at 100, inside its 24.06 maximum"},
      {U(kToneVcoModLfo), 0.9, 24.4271, "VCO Mod LFO at 90"},
      {U(kToneLfoDelay), 0.5, 1945, "LFO Delay at 50"},
      {kPortamento, 0.5, 28, "Portamento at 0.5"},
      {kPortamento, 0.25, 14, "Portamento halfway to 0.5"},
      {kLowerPortamento, 0.95, 1805, "Lower Portamento between 0.9 and 1"},
      {kBalance, 0.125, 0.0705, "Balance between 0.10 and 0.15"},
      {kBalance, 1.0, 1.0, "Balance at 1"},
  };
  for (const EngineCase& c : cases)
    ExpectClose(c.expected, ToEngineValue(c.index, c.x), c.what);
}

TEST_F(ParamCurvesTest, GeometricCurvesInterpolateRatiosAndFallBackToLinearOnFlatSegments) {
  const EngineCase cases[] = {
      {U(kToneHpfCutoff), 0.05, 20, "HPF Cutoff flat at 20 Hz from 0 to 10"},
      {U(kToneHpfCutoff), 0.175, 25.478037601039844, "HPF Cutoff geometric between 15 and 20"},
      {U(kToneHpfCutoff), 0.225, 30.39, "HPF Cutoff flat from 20 to 25"},
      {U(kToneLfoRate), 0.05, 0.02596150997149434, "LFO Rate inside its first, 10-wide segment"},
      {U(kToneLfoRate), 0.475, 0.9335137599414376, "LFO Rate between 45 and 50"},
      {U(kToneLfoRate), 1.0, 65.1064, "LFO Rate at 100"},
      {U(kToneVcfCutoff), 0.0, 5, "VCF Cutoff at 0"},
      {U(kToneVcfCutoff), 0.5, 548.75, "VCF Cutoff at 50"},
      {U(kToneVcfCutoff), 1.0, 30000, "VCF Cutoff at 100"},
      {U(kToneVcfCutoff), 0.075, 10, "VCF Cutoff halfway up its first octave-pair segment"},
      {L(kToneVcfCutoff), 0.525, 690.8034905094213, "VCF Cutoff log2-linear between 50 and 55"},
      {L(kToneVcfCutoff), 0.975, 26642.691305496894, "VCF Cutoff between 95 and 100"},
  };
  for (const EngineCase& c : cases)
    ExpectClose(c.expected, ToEngineValue(c.index, c.x), c.what);
}

TEST_F(ParamCurvesTest, FormulaCurvesForLfo2RateAndPulseWidth) {
  ExpectClose(3.896991279233007, ToEngineValue(kLfo2Rate, 0.5), "LFO2 Rate at 0.5");
  ExpectClose(1.2669365741371144, ToEngineValue(kLowerLfo2Rate, 0.25), "Lower LFO2 Rate at 0.25");
  ExpectClose(0.016, ToEngineValue(kLfo2Rate, 0.0), "LFO2 Rate at 0");
  ExpectClose(16, ToEngineValue(kLfo2Rate, 1.0), "LFO2 Rate at 1");
  ExpectClose(50, ToEngineValue(U(kTonePulseWidth), 0.0), "Pulse Width at 0");
  ExpectClose(25, ToEngineValue(U(kTonePulseWidth), 0.5), "Pulse Width at 0.5");
  ExpectClose(0, ToEngineValue(L(kTonePulseWidth), 1.0), "Pulse Width at 1");
  // Outside 0 < min < max the formula gives min.
  EXPECT_EQ(2.0, Lfo2RateCurve(0.5, 2.0, 2.0));
  EXPECT_EQ(0.0, Lfo2RateCurve(0.5, 0.0, 16.0));
}

TEST_F(ParamCurvesTest, CurvesHoldTheirOutputWithinTheirLimits) {
  // ENV1 Attack starts at 2.5312 ms, so a range starting higher lifts the curve's foot.
  EXPECT_EQ(3.0, EnvAttackCurve(0.0, 3.0, 20352.1));
  EXPECT_EQ(1000.0, EnvAttackCurve(1.0, 2.0, 1000.0));
  // VCA Level is held within 0..1 whatever the range says.
  EXPECT_EQ(1.0, VcaLevelCurve(1.0, 0.0, 0.5));
  // Balance is not held at all.
  EXPECT_EQ(1.0, BalanceCurve(1.0, 0.0, 0.5));
  // VCF Cutoff gives min when its range cannot hold a logarithm.
  EXPECT_EQ(0.0, CutoffCurveLookup(0.7, 0.0, 30000.0));
  EXPECT_EQ(100.0, CutoffCurveLookup(0.7, 100.0, 100.0));
  EXPECT_EQ(1000.0, CutoffCurveLookup(1.0, 5.0, 1000.0));
}

TEST_F(ParamCurvesTest, InputIsHeldWithinZeroToOneAndNaNGivesTheLastValue) {
  EXPECT_EQ(ToEngineValue(U(kToneEnv1Decay), 0.0), ToEngineValue(U(kToneEnv1Decay), -3.0));
  EXPECT_EQ(ToEngineValue(U(kToneEnv1Decay), 1.0), ToEngineValue(U(kToneEnv1Decay), 7.0));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(9775.0104, Env1DecayCurve(nan, 0.1, 10000));
  EXPECT_EQ(30000.0, CutoffCurveLookup(nan, 5, 30000));
}

TEST_F(ParamCurvesTest, EnumerationsRoundHalfAwayFromZero) {
  EXPECT_EQ(2.0, ToEngineValue(kKeyMode, 0.5)); // 1.5 gives "Split-1"
  EXPECT_EQ(1.0, ToEngineValue(kKeyMode, 0.49));
  EXPECT_EQ(3.0, ToEngineValue(kKeyMode, 1.0));
  EXPECT_EQ(8.0, ToEngineValue(kUpperLfoSyncDiv, 8.0 / 21.0));
  EXPECT_EQ(15.0, ToEngineValue(FxSlotParam(4, kFxSlotType), 1.0));
}

TEST_F(ParamCurvesTest, PlainRowsMapLinearlyOverTheirRange) {
  EXPECT_EQ(63.0, ToEngineValue(CcMapParam(0), 0.5)); // -1 + 128 x 0.5
  EXPECT_EQ(-1.0, ToEngineValue(CcMapParam(188), 0.0));
  EXPECT_EQ(-15.0, ToEngineValue(kMaster, 0.5));
  EXPECT_EQ(64.5, ToEngineValue(kSplitPoint, 0.5));
  EXPECT_EQ(0.25, ToEngineValue(FxSlotParam(2, kFxSlotP0 + 7), 0.25));
}

TEST_F(ParamCurvesTest, IndicesOutsideTheTableGiveZero) {
  EXPECT_EQ(0.0, ToEngineValue(400, 0.3));
  EXPECT_EQ(0.0, ToEngineValue(kNumParams, 0.3));
  EXPECT_EQ(0.0, ToEngineValue(-1, 0.3));
  const ParamSpec& spec = GetParamSpec(400);
  EXPECT_EQ(0.0, spec.min);
  EXPECT_EQ(0.0, spec.max);
  EXPECT_EQ(nullptr, spec.curve);
  EXPECT_EQ(0, spec.isEnum);
}

TEST_F(ParamCurvesTest, SpecRowsCarryCurvesExactlyOnTheShapedParameters) {
  int curveRows = 0;
  for (int i = 0; i < kNumParams; ++i)
    curveRows += GetParamSpec(i).curve != nullptr;
  EXPECT_EQ(1 + 2 + 2 + 2 * 22, curveRows); // Balance, both Portamento, both LFO2 Rate, 22 per tone block
  for (int offset = 0; offset < kNumToneParams; ++offset) {
    EXPECT_EQ(GetParamSpec(U(offset)).curve, GetParamSpec(L(offset)).curve) << offset;
    EXPECT_EQ(GetParamSpec(U(offset)).min, GetParamSpec(L(offset)).min) << offset;
    EXPECT_EQ(GetParamSpec(U(offset)).isEnum, GetParamSpec(L(offset)).isEnum) << offset;
  }
  for (int i = 0; i < kNumParams; ++i) {
    EXPECT_EQ(1.0, GetParamSpec(i).exponent) << i;
    EXPECT_EQ(0, GetParamSpec(i).isExponential) << i;
  }
  EXPECT_EQ(22, GetParamSpec(kLowerLfo2SyncDiv).enumCount);
  EXPECT_EQ(16, GetParamSpec(FxSlotParam(0, kFxSlotType)).enumCount);
  EXPECT_EQ(2, GetParamSpec(kStereo).enumCount);
  EXPECT_EQ(-1.0, GetParamSpec(CcMapParam(100)).defaultValue);
  EXPECT_EQ(127.0, GetParamSpec(CcMapParam(100)).max);
}

} // namespace
} // namespace vlm
