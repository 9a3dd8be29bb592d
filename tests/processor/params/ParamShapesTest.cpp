// Parameter shapes: forward equals the engine curve, reverse lands back on the knob position, and the
// limits and flat segments resolve as the instrument expects.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <typeinfo>

#include "common/EParams.h"
#include "processor/params/ParamDeclarations.h"
#include "processor/params/ParamShapes.h"
#include "processor/params/ParamSpec.h"
#include "tests/processor/params/DeclaredParams.h"

namespace vlm {
namespace {

class ParamShapesTest : public ::testing::Test {
protected:
  static const keel::IParam& Param(int index) { return test::DeclaredParam(index); }
  static double Forward(int index, double x) {
    return Param(index).GetShape().NormalizedToValue(x, Param(index));
  }
  static double Reverse(int index, double v) {
    return Param(index).GetShape().ValueToNormalized(v, Param(index));
  }
};

constexpr int U(int offset) {
  return UpperToneParam(offset);
}
constexpr int L(int offset) {
  return LowerToneParam(offset);
}

struct ShapedParam {
  int index;
  int displayType;
};

// Every parameter with a curve shape, Upper and Lower, with the display type its shape reports.
const ShapedParam kShaped[] = {
    {kBalance, 0},
    {kPortamento, 0},
    {kLowerPortamento, 0},
    {kLfo2Rate, 1},
    {kLowerLfo2Rate, 1},
    {U(kToneVco2Fine), 0},
    {U(kToneHpfCutoff), 1},
    {U(kToneVcfCutoff), 1},
    {U(kToneVcfEnvAmount), 0},
    {U(kToneVcfLfoAmount), 0},
    {U(kToneVcaLevel), 0},
    {U(kToneVcaLfoAmount), 0},
    {U(kToneEnv1Attack), 6},
    {U(kToneEnv1Decay), 6},
    {U(kToneEnv1Sustain), 0},
    {U(kToneEnv1Release), 6},
    {U(kToneEnv2Attack), 6},
    {U(kToneEnv2Decay), 6},
    {U(kToneEnv2Sustain), 0},
    {U(kToneEnv2Release), 6},
    {U(kToneLfoRate), 1},
    {U(kToneLfoDelay), 0},
    {U(kToneVcoModLfo), 0},
    {U(kToneVcoModEnv1), 0},
    {U(kTonePulseWidth), 0},
    {U(kTonePwmAmount), 0},
    {U(kToneDynamicsTime), 0},
    {L(kToneVco2Fine), 0},
    {L(kToneVcfCutoff), 1},
    {L(kToneEnv2Release), 6},
    {L(kToneLfoRate), 1},
    {L(kToneDynamicsTime), 0},
};

TEST_F(ParamShapesTest, ForwardMappingIsTheEngineCurve) {
  for (const ShapedParam& p : kShaped)
    for (int i = 0; i <= 40; ++i)
      EXPECT_EQ(ToEngineValue(p.index, i / 40.0), Forward(p.index, i / 40.0))
          << p.index << " at " << i / 40.0;
}

TEST_F(ParamShapesTest, ReverseMappingReturnsTheKnobPositionAwayFromFlatSegments) {
  // Breakpoints and segment middles; a point whose value a neighbour shares lies on a flat segment, where
  // the reverse can only give one end.
  for (const ShapedParam& p : kShaped) {
    for (int i = 0; i <= 40; ++i) {
      const double x = i / 40.0;
      const double v = Forward(p.index, x);
      // Equal to the last bit or so: a geometric step that lands on a breakpoint may round up by one ulp.
      const auto same = [v](double w) { return std::fabs(w - v) <= 1e-12 * std::fabs(v); };
      const bool flat = (i > 0 && same(Forward(p.index, (i - 1) / 40.0))) ||
                        (i < 40 && same(Forward(p.index, (i + 1) / 40.0)));
      if (flat)
        continue;
      EXPECT_NEAR(x, Reverse(p.index, v), 1e-12) << "param " << p.index << " value " << v;
    }
  }
}

TEST_F(ParamShapesTest, DisplayTypesAndShapeClasses) {
  for (const ShapedParam& p : kShaped)
    EXPECT_EQ(p.displayType, Param(p.index).GetShape().GetDisplayType()) << p.index;
  // Upper and Lower share the shape class of each tone offset; plain parameters keep the linear shape.
  for (int offset = 0; offset < kNumToneParams; ++offset)
    EXPECT_EQ(typeid(Param(U(offset)).GetShape()), typeid(Param(L(offset)).GetShape())) << offset;
  EXPECT_EQ(typeid(keel::IParam::ShapeLinear), typeid(Param(U(kToneVcfResonance)).GetShape()));
  EXPECT_EQ(typeid(keel::IParam::ShapeLinear), typeid(Param(kMaster).GetShape()));
  EXPECT_EQ(typeid(Param(U(kToneEnv1Sustain)).GetShape()), typeid(Param(U(kToneEnv2Sustain)).GetShape()));
  EXPECT_NE(typeid(Param(U(kToneEnv1Attack)).GetShape()), typeid(Param(U(kToneEnv2Attack)).GetShape()));
}

struct ReverseCase {
  int index;
  double value;
  double expected;
  const char* what;
};

TEST_F(ParamShapesTest, ReverseRulesAtTheirLimitsAndInsideSegments) {
  const ReverseCase cases[] = {
      {U(kToneEnv1Attack), 206.625, 0.5, "attack breakpoint at 50"},
      {U(kToneVcfCutoff), 548.75, 0.5, "cutoff breakpoint at 50"},
      {kPortamento, 28, 0.5, "glide breakpoint at 0.5"},
      {U(kTonePulseWidth), 25, 0.5, "pulse width"},
      {U(kTonePulseWidth), 80, 0.0, "pulse width held at 50"},
      {U(kToneDynamicsTime), 0.0838, 0.2, "start of the flat segment from 20 to 25"},
      {U(kToneHpfCutoff), 30.39, 0.2, "HPF flat segment from 20 to 25 gives its start"},
      {U(kToneHpfCutoff), 20, 0.0, "HPF at 20 Hz, flat from 0 to 10"},
      {U(kToneHpfCutoff), 5, 0.0, "HPF below its range"},
      {U(kToneHpfCutoff), 1550, 1.0, "HPF at its top"},
      {U(kToneHpfCutoff), 25, 0.1723140485211654, "HPF geometric inside 15..20"},
      {U(kToneVcaLevel), 0.039865, 0.0, "VCA Level at its floor"},
      {U(kToneVcaLevel), 0.01, 0.0, "VCA Level below its floor"},
      {U(kToneVcaLevel), 3.0, 1.0, "VCA Level held within 0..1"},
      {U(kToneVco2Fine), -50, 0.0, "VCO2 Fine below the table"},
      {U(kToneVco2Fine), 50, 1.0, "VCO2 Fine above the table"},
      {U(kToneEnv1Sustain), 0.5, 0.6114885123159237, "sustain by bisection"},
      {U(kToneVcfCutoff), 4000, 0.7215047647239513, "cutoff log2-linear between 70 and 75"},
      {U(kToneVcfCutoff), 2, 0.0, "cutoff below 5 Hz"},
      {U(kToneVcfCutoff), 40000, 1.0, "cutoff above 30 kHz"},
      {kBalance, 0.3, 0.3084507042253521, "balance between 0.30 and 0.35"},
      {kBalance, -1, 0.0, "balance below 0"},
      {kBalance, 2, 1.0, "balance above 1"},
      {kLfo2Rate, 1.0, 0.21121042166647297, "LFO2 Rate default"},
      {kLfo2Rate, 0.016, 0.0, "LFO2 Rate at its minimum"},
      {kLfo2Rate, 20, 1.0, "LFO2 Rate above its maximum"},
      {U(kToneLfoRate), 0.01, 0.0, "LFO Rate below the table"},
      {U(kToneLfoRate), 65.11, 1.0, "LFO Rate at the parameter maximum"},
      {U(kToneLfoDelay), 3955, 1.0, "LFO Delay at the table top"},
      {U(kToneVcoModLfo), 61, 1.0, "VCO Mod LFO above the table"},
      {U(kToneVcoModEnv1), 0.0328, 0.15, "VCO Mod ENV1 flat from 15 to 25 gives its start"},
      {U(kToneVcaLfoAmount), 0.611, 0.45, "VCA LFO Amount flat from 45 to 50 gives its start"},
      {U(kTonePwmAmount), 0.99, 1.0, "PWM Amount above its last value"},
      {U(kToneDynamicsTime), 1.0, 0.95, "Dynamics Time reaches 1 at 95"},
      {U(kToneVcfEnvAmount), 9.1168, 1.0, "VCF Env Amount at its top"},
      {U(kToneVcfLfoAmount), 6.0, 1.0, "VCF LFO Amount above its top"},
  };
  for (const ReverseCase& c : cases)
    EXPECT_NEAR(c.expected, Reverse(c.index, c.value), 1e-12) << c.what;
  EXPECT_NEAR(1.0, Forward(kLfo2Rate, Reverse(kLfo2Rate, 1.0)), 1e-12);
}

TEST_F(ParamShapesTest, EnvelopeTimesOutsideTheTableGoToTheNearestPoint) {
  const ReverseCase cases[] = {
      {U(kToneEnv1Attack), 2.0, 0.0, "attack minimum lies below the table"},
      {U(kToneEnv1Attack), 20352.1, 1.0, "attack maximum lies above the table"},
      {U(kToneEnv1Decay), 0.1, 0.0, "decay minimum"},
      {U(kToneEnv1Decay), 10000, 1.0, "decay maximum above 9775 ms"},
      {U(kToneEnv2Decay), 20000, 1.0, "ENV2 decay maximum"},
      {U(kToneEnv2Release), -5, 0.0, "held to the parameter minimum first"},
      {U(kToneEnv1Release), 1e9, 1.0, "held to the parameter maximum first"},
  };
  for (const ReverseCase& c : cases)
    EXPECT_NEAR(c.expected, Reverse(c.index, c.value), 1e-12) << c.what;
}

TEST_F(ParamShapesTest, HostNormalizationGoesThroughTheShape) {
  const keel::IParam& cutoff = Param(U(kToneVcfCutoff));
  EXPECT_NEAR(0.5, cutoff.ToNormalized(548.75), 1e-12);
  EXPECT_NEAR(548.75, cutoff.FromNormalized(0.5), 1e-12);
  EXPECT_NEAR(0.21121042166647297, Param(kLfo2Rate).GetDefault(true), 1e-12);
}

TEST_F(ParamShapesTest, ClonesAreIndependentObjectsOfTheSameClass) {
  for (int k = 0; k < static_cast<int>(ParamShapeKind::Count); ++k) {
    const auto kind = static_cast<ParamShapeKind>(k);
    const std::unique_ptr<keel::IParam::Shape> shape = MakeParamShape(kind);
    const std::unique_ptr<keel::IParam::Shape> clone = shape->Clone();
    ASSERT_NE(shape.get(), clone.get());
    EXPECT_EQ(typeid(*shape), typeid(*clone)) << k;
    EXPECT_EQ(shape->GetDisplayType(), clone->GetDisplayType()) << k;
    EXPECT_EQ(kind == ParamShapeKind::Linear, CurveForShape(kind) == nullptr) << k;
  }
  // 24 distinct classes besides the linear one.
  for (int a = 1; a < static_cast<int>(ParamShapeKind::Count); ++a)
    for (int b = a + 1; b < static_cast<int>(ParamShapeKind::Count); ++b)
      EXPECT_NE(typeid(*MakeParamShape(static_cast<ParamShapeKind>(a))),
                typeid(*MakeParamShape(static_cast<ParamShapeKind>(b))));
}

} // namespace
} // namespace vlm
