// IParam: definition, constraining (snap then clamp, NaN), normalization, display texts and JSON text.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

#include "Keel/Core/CommaDecimalLocale.h"
#include "Keel/Core/IParam.h"

using keel::IParam;

namespace {

IParam& Stepped0To3(IParam& p) {
  p.InitDouble("Steps", 0, 0, 3, 1, "", IParam::FlagStepped);
  return p;
}

TEST(IParam, UndefinedParameterHasTheConstructionDefaults) {
  IParam p;
  EXPECT_EQ(p.Type(), keel::kTypeNone);
  EXPECT_EQ(p.Unit(), 21);
  EXPECT_EQ(p.GetMin(), 0.0);
  EXPECT_EQ(p.GetMax(), 1.0);
  EXPECT_EQ(p.GetStep(), 1.0);
  EXPECT_EQ(p.Value(), 0.0);
  EXPECT_STREQ(p.GetName(), "");
  EXPECT_EQ(p.GetShape().GetDisplayType(), 0);
}

TEST(IParam, InitDoubleRaisesMaxToOneStepAboveMinAndConstrainsTheDefault) {
  IParam p;
  p.InitDouble("Flat", 5, 0, 0, 1);
  EXPECT_EQ(p.GetMax(), 1.0);
  EXPECT_EQ(p.Value(), 1.0) << "the value starts at the constrained default";
  EXPECT_EQ(p.GetDefault(), 5.0) << "the default itself is kept as given";
  EXPECT_EQ(p.Type(), keel::kTypeDouble);
}

TEST(IParam, InitKeepsATypeSetBeforehand) {
  IParam p;
  p.SetType(keel::kTypeBool);
  p.InitEnum("Switch", 0, {"Off", "On"});
  EXPECT_EQ(p.Type(), keel::kTypeBool);
  IParam q;
  q.SetType(keel::kTypeInt);
  q.InitDouble("Count", 1, 0, 10, 1);
  EXPECT_EQ(q.Type(), keel::kTypeInt);
}

TEST(IParam, NameMayFillAll32Bytes) {
  IParam p;
  const char* name32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"; // exactly 32
  p.InitDouble(name32, 0, 0, 1, 0.01, "a label that is much longer than 31 bytes", 0,
               "a group that is much longer than 31 bytes");
  EXPECT_STREQ(p.GetName(), name32);
  EXPECT_EQ(std::strlen(p.GetLabel()), 31u);
  EXPECT_EQ(std::strlen(p.GetGroup()), 31u);
}

struct PrecisionCase {
  double step;
  int precision;
};

class IParamPrecision : public ::testing::TestWithParam<PrecisionCase> {};

TEST_P(IParamPrecision, CountsTheDecimalsOfTheStep) {
  IParam p;
  p.InitDouble("P", 0, 0, 10, GetParam().step);
  EXPECT_EQ(p.GetDisplayPrecision(), GetParam().precision) << "step " << GetParam().step;
}

INSTANTIATE_TEST_SUITE_P(Table, IParamPrecision,
                         ::testing::Values(PrecisionCase{0.01, 2}, PrecisionCase{1.0, 0},
                                           PrecisionCase{1.0 / 3.0, 6}, PrecisionCase{0.5, 1},
                                           PrecisionCase{0.25, 2}, PrecisionCase{0.1, 1},
                                           PrecisionCase{5.0, 0}));

struct ConstrainCase {
  bool stepped;
  double in;
  double out;
};

class IParamConstrain : public ::testing::TestWithParam<ConstrainCase> {};

TEST_P(IParamConstrain, SnapsThenClamps) {
  const ConstrainCase c = GetParam();
  IParam p;
  p.InitDouble("C", 0, 0, 3, 1, "", c.stepped ? IParam::FlagStepped : 0);
  EXPECT_EQ(p.Constrain(c.in), c.out) << "in " << c.in;
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(Table, IParamConstrain,
                         ::testing::Values(ConstrainCase{true, 1.5, 2}, ConstrainCase{true, -1.5, 0},
                                           ConstrainCase{true, 2.49, 2}, ConstrainCase{true, 2.5, 3},
                                           ConstrainCase{true, 0.5, 1}, // halves away from zero
                                           ConstrainCase{false, 1.5, 1.5}, ConstrainCase{false, -0.1, 0},
                                           ConstrainCase{false, 3.1, 3}, ConstrainCase{true, kInf, 3},
                                           ConstrainCase{false, -kInf, 0}, ConstrainCase{true, kNaN, 0},
                                           ConstrainCase{false, kNaN, 0})); // NaN never passes

TEST(IParam, SnappingBeforeClampingCanYieldAnOffGridMinimum) {
  IParam p;
  p.InitDouble("Off grid", 0.3, 0.3, 2.3, 1, "", IParam::FlagStepped);
  EXPECT_DOUBLE_EQ(p.Constrain(0.2), 0.3) << "0.2 snaps to 0, then clamps up to min";
  EXPECT_DOUBLE_EQ(p.Constrain(1.2), 1.0);
  EXPECT_DOUBLE_EQ(p.Constrain(2.6), 2.3) << "2.6 snaps to 3, then clamps down to max";
}

// Normalized = ((v - min) / range)^2: a non-linear shape to show that normalization goes through the shape.
class SquareShape : public IParam::Shape {
public:
  static inline int initCalls = 0;
  std::unique_ptr<Shape> Clone() const override { return std::make_unique<SquareShape>(); }
  void Init(IParam&) override { ++initCalls; }
  int GetDisplayType() const override { return 7; }
  double NormalizedToValue(double x, const IParam& p) const override {
    return p.GetMin() + std::sqrt(std::max(x, 0.0)) * (p.GetMax() - p.GetMin());
  }
  double ValueToNormalized(double v, const IParam& p) const override {
    const double t = (v - p.GetMin()) / (p.GetMax() - p.GetMin());
    return t * t;
  }
};

TEST(IParam, KeepsItsOwnCloneOfTheShapeAndInitsIt) {
  IParam p;
  SquareShape::initCalls = 0;
  {
    SquareShape temporary;
    p.InitDouble("Cutoff", 50, 0, 100, 0.01, "", 0, "", temporary);
  }
  EXPECT_EQ(SquareShape::initCalls, 1);
  EXPECT_EQ(p.GetShape().GetDisplayType(), 7);
  EXPECT_DOUBLE_EQ(p.ToNormalized(50), 0.25);
  EXPECT_DOUBLE_EQ(p.FromNormalized(0.25), 50);
}

TEST(IParam, NormalizationRoundTripsAcrossShapes) {
  IParam linear, squared, gain;
  linear.InitDouble("Lin", 0, -24, 24, 0.001);
  squared.InitDouble("Sq", 0, 20, 20000, 0.001, "", 0, "", SquareShape());
  gain.InitGain("Gain", 0, -60, 6, 0.1);
  for (const IParam* p : {&linear, &squared, &gain}) {
    for (int i = 0; i <= 64; ++i) {
      const double n = i / 64.0;
      EXPECT_NEAR(p->ToNormalized(p->FromNormalized(n)), n, 1e-12) << p->GetName() << " at " << n;
    }
    EXPECT_EQ(p->ToNormalized(p->GetMax() + 100), 1.0);
    EXPECT_EQ(p->ToNormalized(p->GetMin() - 100), 0.0);
    EXPECT_EQ(p->ToNormalized(kNaN), 0.0);
    EXPECT_EQ(p->FromNormalized(2.0), p->GetMax());
  }
}

TEST(IParam, SteppedNormalizationLandsOnSteps) {
  IParam p;
  Stepped0To3(p);
  EXPECT_EQ(p.FromNormalized(0.4), 1.0);
  EXPECT_EQ(p.FromNormalized(0.5), 2.0);
  EXPECT_DOUBLE_EQ(p.ToNormalized(1.4), 1.0 / 3.0);
  p.Set(p.FromNormalized(0.9));
  EXPECT_EQ(p.Value(), 3.0);
  EXPECT_EQ(p.GetNormalized(), 1.0);
}

TEST(IParam, EnumDefinesStepsTextsAndNormalizedDefault) {
  IParam p;
  p.InitEnum("Mode", 2, 5, "", 0, "Group", "A", "B", "C", "D", "E");
  EXPECT_EQ(p.Type(), keel::kTypeEnum);
  EXPECT_TRUE(p.IsStepped());
  EXPECT_EQ(p.GetMax(), 4.0);
  EXPECT_EQ(p.GetDefault(true), 0.5);
  ASSERT_EQ(p.GetDisplayTextCount(), 5);
  double value = -1;
  EXPECT_STREQ(p.GetDisplayTextAt(4, &value), "E");
  EXPECT_EQ(value, 4.0);

  IParam onOff;
  onOff.InitEnum("Power", 0, 2, "", 0, "", "Off", "On");
  EXPECT_EQ(onOff.GetFlags() & IParam::FlagStepped, IParam::FlagStepped);
  EXPECT_EQ(onOff.GetStep(), 1.0);
  EXPECT_EQ(onOff.GetMin(), 0.0);
  EXPECT_EQ(onOff.GetMax(), 1.0);
  EXPECT_STREQ(onOff.GetDisplayTextAt(0, &value), "Off");
  EXPECT_EQ(value, 0.0);

  IParam noTexts;
  noTexts.InitEnum("Bare", 0, 3, "", 0, "", nullptr);
  EXPECT_EQ(noTexts.GetDisplayTextCount(), 0);
}

TEST(IParam, LabelForDisplayGivesWayToANonEmptyText) {
  IParam p;
  p.InitEnum("Mode", 1, 3, "units", 0, "", "zero", "one", "");
  EXPECT_STREQ(p.GetLabelForDisplay(), "");
  p.Set(1.7); // truncated to 1
  EXPECT_STREQ(p.GetLabelForDisplay(), "");
  p.Set(2);
  EXPECT_STREQ(p.GetLabelForDisplay(), "units") << "an empty text gives the label";
  IParam gain;
  gain.InitGain("Gain", 0, -60, 6, 0.1);
  EXPECT_STREQ(gain.GetLabelForDisplay(), "dB");
  EXPECT_EQ(gain.Unit(), 4);
}

std::string Json(const IParam& p, int id) {
  keel::HeapString s;
  p.GetJSON(s, id);
  return s.Get();
}

void ExpectJsonTexts() {
  IParam undefined;
  EXPECT_EQ(Json(undefined, 0),
            "{\"id\":0, \"name\":\"\", \"min\":0.000000, \"max\":1.000000, \"default\":0.000000, "
            "\"display_type\":0, \"rate\":\"control\"}");
  IParam mode;
  mode.InitEnum("Key Mode", 1, 4, "", 0, "Patch", "Whole", "Split-2", "Split-1", "Dual");
  EXPECT_EQ(Json(mode, 7),
            "{\"id\":7, \"name\":\"Key Mode\", \"type\":\"enum\", \"min\":0.000000, "
            "\"max\":3.000000, \"default\":1.000000, \"display_type\":0, \"rate\":\"control\"}");
  IParam gain;
  gain.InitGain("Master Volume", -6.5, -60, 6, 0.1);
  EXPECT_EQ(Json(gain, 377),
            "{\"id\":377, \"name\":\"Master Volume\", \"type\":\"float\", \"min\":-60.000000, "
            "\"max\":6.000000, \"default\":-6.500000, \"display_type\":0, \"rate\":\"control\"}");
  IParam shaped;
  shaped.SetType(keel::kTypeBool);
  shaped.InitDouble("Curve", 0.25, 0, 1, 0.01, "", 0, "", SquareShape());
  const auto parsed = nlohmann::json::parse(Json(shaped, 3));
  EXPECT_EQ(parsed["type"], "bool");
  EXPECT_EQ(parsed["display_type"], 7);
  EXPECT_EQ(parsed["default"], 0.25);
  EXPECT_FALSE(nlohmann::json::parse(Json(gain, 2)).is_discarded());
}

TEST(IParam, JsonDescriptionHasTheExactWording) {
  ExpectJsonTexts();
}

TEST(IParam, JsonDescriptionStaysJsonUnderACommaDecimalLocale) {
  keeltest::CommaDecimalLocale locale;
  if (!locale.Enter())
    GTEST_SKIP() << "no comma-decimal locale available";
  ExpectJsonTexts();
}

TEST(IParam, JsonAppendsToExistingText) {
  IParam p;
  keel::HeapString s("[");
  p.GetJSON(s, 1);
  p.GetJSON(s, 2);
  EXPECT_EQ(std::string(s.Get()).substr(0, 9), "[{\"id\":1,");
  EXPECT_NE(std::string(s.Get()).find("}{\"id\":2,"), std::string::npos);
}

} // namespace
