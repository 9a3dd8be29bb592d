// HMX parameters: construction, steps, names, typed access, text conversion and value confirmation
// by the host through the automation delegate.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CParameter.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CBinaryDisplayDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CBinaryTaperDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CLinearTaperDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CNumberDisplayDelegate.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CUnitDisplayDelegateDecorator.h"
#include "RecordingAutomation.h"
#include "RecordingHostServices.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using IntTaper = HMX_CLinearTaperDelegate<int, 1>;
using IntNumber = HMX_CNumberDisplayDelegate<int, 0, 0>;

// A double taper that is the identity on 0..1, as the framework's own tapers are for their ranges.
class UnitTaper : public HMX_ITaperDelegate<double> {
public:
  HMX_ITaperDelegate<double>* Duplicate() const override { return new UnitTaper(*this); }
  double MaxValue() const override { return 1.0; }
  double MinValue() const override { return 0.0; }
  double ConstrainReal(double v) const override { return v < 0 ? 0 : v > 1 ? 1 : v; }
  double NormalizedToReal(double n) const override { return n; }
  double RealToNormalized(double v) const override { return ConstrainReal(v); }
};

std::unique_ptr<HMX_CParameter<int>> MakeInt(const char* id = "7", int defaultValue = 3) {
  return std::make_unique<HMX_CParameter<int>>(id, HMX_CString("Cutoff"), defaultValue, IntTaper(0, 10),
                                               HMX_CUnitDisplayDelegateDecorator<int>(IntNumber(), " Hz"),
                                               true);
}

TEST(HMX_CParameter, ConstructionTakesTheDefaultWith128Steps) {
  auto p = MakeInt();
  EXPECT_STREQ(p->ParameterID(), "7");
  EXPECT_EQ(p->Value(), 3);
  EXPECT_DOUBLE_EQ(p->Normalized(), 0.3);
  EXPECT_DOUBLE_EQ(p->DefaultNormalized(), 0.3);
  EXPECT_EQ(p->StepCount(), 128u);
  EXPECT_EQ(p->Kind(), 1);
  EXPECT_EQ(p->OrientationCode(), 0);
  EXPECT_TRUE(p->IsAutomatable());
  HMX_CString text;
  EXPECT_TRUE(p->ValueText(1, text)); // the limit is not used
  EXPECT_EQ(text.Str(), "3 Hz");
  std::unique_ptr<HMX_IParameterValue> copy(p->CopyValue());
  int32_t v = 0;
  EXPECT_TRUE(copy->ReadInt32(v));
  EXPECT_EQ(v, 3);
  EXPECT_STREQ(copy->ParameterID(), "7");
  double d;
  EXPECT_FALSE(copy->ReadDouble(d));
}

TEST(HMX_CParameter, LongIDIsCutTo31CharactersWithOneAssertion) {
  RecordingHostServices host;
  const std::string id(40, 'x');
  auto p = MakeInt(id.c_str());
  EXPECT_EQ(std::string(p->ParameterID()), std::string(31, 'x'));
  ASSERT_EQ(host.assertions.size(), 1u);
  EXPECT_EQ(host.assertions[0], "HMX_CParameter:len < eParameterDefaultMaxIdentifierSize:1");
  auto exact = MakeInt(std::string(31, 'y').c_str());
  EXPECT_EQ(host.assertions.size(), 1u);
}

TEST(HMX_CParameter, StepsRoundAndStopAtTheEnds) {
  RecordingHostServices host;
  auto p = MakeInt();
  p->SetStepCount(5);
  EXPECT_EQ(p->NormalizedToStep(0.6), 2u); // 0.6 x 4 + 0.5 = 2.9
  EXPECT_EQ(p->NormalizedToStep(-1.0), 0u);
  EXPECT_EQ(p->NormalizedToStep(5.0), 4u);
  EXPECT_DOUBLE_EQ(p->StepToNormalized(3), 0.75);
  EXPECT_DOUBLE_EQ(p->StepToNormalized(9), 1.0);
  p->SetStep(2);
  EXPECT_EQ(p->Value(), 5);
  EXPECT_EQ(p->CurrentStep(), 2u);
  p->SetStepCount(0); // refused with an assertion
  EXPECT_EQ(p->StepCount(), 5u);
  EXPECT_EQ(host.assertions.back(), "HMX_CParameter:0 < numSteps:1");
  p->SetStepCount(1);
  EXPECT_EQ(p->StepToNormalized(1), 0.0);
  EXPECT_EQ(p->NormalizedToStep(1.0), 0u);
  p->SetStep(1);
  EXPECT_EQ(p->Value(), 5);
}

TEST(HMX_CParameter, ShortNamesByLength) {
  auto p = MakeInt();                            // primary name "Cutoff", 6 characters
  EXPECT_EQ(p->ShortNameFor(3).Str(), "Cutoff"); // no short names
  p->AddShortName("Cut");
  p->AddShortName("Ctf"); // same length: replaces "Cut"
  p->AddShortName("Cutof");
  struct Case {
    int32_t length;
    const char* name;
  };
  const Case cases[] = {{6, "Cutoff"}, {10, "Cutoff"}, {-1, "Cutoff"}, {5, "Cutof"},
                        {4, "Ctf"},    {3, "Ctf"},     {1, "Ctf"}};
  for (const Case& c : cases)
    EXPECT_EQ(p->ShortNameFor(c.length).Str(), c.name) << c.length;
  p->ClearShortNames();
  EXPECT_EQ(p->ShortNameFor(2).Str(), "Cutoff");
}

TEST(HMX_CParameter, TypedOperationsAnswerOnlyForTheirOwnType) {
  auto p = MakeInt();
  double n = -1;
  bool b = false;
  int32_t i = -1;
  float f = 0;
  EXPECT_TRUE(p->NormalizedFromInt32(5, n));
  EXPECT_DOUBLE_EQ(n, 0.5);
  n = -1;
  EXPECT_FALSE(p->NormalizedFromBool(true, n));
  EXPECT_FALSE(p->NormalizedFromDouble(0.2, n));
  EXPECT_FALSE(p->NormalizedFromFloat(0.2f, n));
  EXPECT_EQ(n, -1);
  EXPECT_TRUE(p->Int32FromNormalized(0.44, i));
  EXPECT_EQ(i, 4);
  EXPECT_FALSE(p->BoolFromNormalized(1.0, b));
  EXPECT_FALSE(p->FloatFromNormalized(1.0, f));
  EXPECT_FALSE(p->WriteBool(true));
  EXPECT_FALSE(p->WriteDouble(0.5));
  EXPECT_FALSE(p->WriteFloat(0.5f));
  EXPECT_TRUE(p->WriteInt32(8));
  EXPECT_EQ(p->Value(), 8);
  EXPECT_FALSE(p->ReadFloat(f));
  EXPECT_FALSE(p->ReadBool(b));
  EXPECT_TRUE(p->ReadInt32(i));
  EXPECT_EQ(i, 8);

  HMX_CParameter<bool> bypass("", "Master Bypass", false, HMX_CBinaryTaperDelegate<bool>(),
                              HMX_CBinaryDisplayDelegate<bool>("bypass", "on"), true);
  EXPECT_TRUE(bypass.WriteBool(true));
  EXPECT_TRUE(bypass.ReadBool(b));
  EXPECT_TRUE(b);
  HMX_CString text;
  EXPECT_TRUE(bypass.ReadText(&text));
  EXPECT_EQ(text.Str(), "on");
  EXPECT_FALSE(bypass.ReadText(nullptr));
  EXPECT_TRUE(bypass.WriteText(HMX_CString("bypass")));
  EXPECT_FALSE(bypass.Value());
}

TEST(HMX_CParameter, TextConversionsNeedTheTaperRange) {
  auto p = MakeInt();
  HMX_CString text;
  EXPECT_TRUE(p->TextFromNormalized(0.5, text));
  EXPECT_EQ(text.Str(), "5 Hz");
  EXPECT_TRUE(p->TextFromNormalized(1.0, 2, text));
  EXPECT_EQ(text.Str(), "10");
  double n = 0;
  EXPECT_TRUE(p->NormalizedFromText(HMX_CString("7 Hz"), n));
  EXPECT_DOUBLE_EQ(n, 0.7);
  EXPECT_FALSE(p->NormalizedFromText(HMX_CString("Hz"), n));
  EXPECT_TRUE(p->SetValueFromText(HMX_CString("9")));
  EXPECT_EQ(p->Value(), 9);
  EXPECT_FALSE(p->SetValueFromText(HMX_CString("x")));
  EXPECT_EQ(p->Value(), 9);

  // A taper whose real range is wider than its declared min/max writes the text but answers false.
  class WideTaper : public IntTaper {
  public:
    WideTaper() : IntTaper(0, 10) {}
    HMX_ITaperDelegate<int>* Duplicate() const override { return new WideTaper(*this); }
    int NormalizedToReal(double n) const override { return int(n * 20); }
  };
  HMX_CParameter<int> wide("w", "Wide", 0, WideTaper(), IntNumber(), true);
  EXPECT_FALSE(wide.TextFromNormalized(1.0, text));
  EXPECT_EQ(text.Str(), "20");
}

TEST(HMX_CParameter, WithAutomationTheValueChangesOnlyWhenTheHostConfirms) {
  RecordingAutomation automation;
  auto p = MakeInt();
  p->AttachAutomation(&automation);
  EXPECT_EQ(automation.calls, (std::vector<std::string>{"register 7"}));
  automation.calls.clear();

  p->SetNormalized(0.8);
  p->ResetToDefault();
  p->WriteInt32(1);
  EXPECT_EQ(p->Value(), 3);
  EXPECT_EQ(automation.calls,
            (std::vector<std::string>{"touch 7", "request 7 0.8", "release 7", "touch 7", "request 7 0.3",
                                      "release 7", "touch 7", "request 7 0.1", "release 7"}));
  automation.calls.clear();
  p->AcceptNormalized(0.8); // the host confirms
  EXPECT_EQ(p->Value(), 8);
  EXPECT_EQ(automation.calls, (std::vector<std::string>{"report 7 0.8"}));
  automation.calls.clear();
  p->AcceptNormalized(0.81); // rounds to the value it holds: nothing to tell
  EXPECT_TRUE(automation.calls.empty());
  p->AssignName("Cut-off");
  EXPECT_EQ(p->PrimaryName().Str(), "Cut-off");
  p->ReplaceDisplay(IntNumber());
  EXPECT_EQ(automation.calls, (std::vector<std::string>{"name 7", "report 7 0.8"}));
  automation.calls.clear();
  p.reset();
  EXPECT_EQ(automation.calls, (std::vector<std::string>{"unregister 7"}));
}

TEST(HMX_CParameter, NeedsReportFlagMakesAnUnchangedValueReported) {
  RecordingAutomation automation;
  auto p = MakeInt();
  p->AttachAutomation(&automation);
  automation.calls.clear();
  // Fresh from construction the flag is clear (the default was accepted without automation).
  p->AcceptNormalized(0.3);
  EXPECT_TRUE(automation.calls.empty());
  // A taper change sets the flag: the same value is reported once more.
  EXPECT_TRUE(p->ReplaceTaper(IntTaper(0, 20), false)); // position kept: 0.3 of 0..20 is 6
  EXPECT_EQ(p->Value(), 6);
  EXPECT_EQ(automation.calls, (std::vector<std::string>{"report 7 0.3"}));
  automation.calls.clear();
  EXPECT_TRUE(p->ReplaceTaper(IntTaper(0, 12), true)); // real value kept: a request at 6/12
  EXPECT_EQ(automation.calls, (std::vector<std::string>{"touch 7", "request 7 0.5", "release 7"}));
  EXPECT_FALSE(p->ReplaceTaper(UnitTaper(), true)); // a taper of another type is refused
}

TEST(HMX_CParameter, WithoutAutomationWritesApplyAtOnce) {
  HMX_CParameter<double> p("d", "Level", 0.25, UnitTaper(), HMX_CNumberDisplayDelegate<double, 2, 0>(),
                           false);
  EXPECT_FALSE(p.IsAutomatable());
  EXPECT_TRUE(p.WriteDouble(0.5));
  double d = 0;
  EXPECT_TRUE(p.ReadDouble(d));
  EXPECT_EQ(d, 0.5);
  p.SetDefaultNormalized(2.0); // constrained
  EXPECT_EQ(p.DefaultValue(), 1.0);
  p.ResetToDefault();
  EXPECT_EQ(p.Value(), 1.0);
  HMX_CParameter<double> bare("b", "Bare", 0.5, nullptr, nullptr, true);
  bare.SetNormalized(0.9);
  HMX_CString text;
  EXPECT_FALSE(bare.ValueText(text));
  EXPECT_EQ(bare.Normalized(), 0.0);
  EXPECT_FALSE(bare.TextFromNormalized(0.2, text));
  EXPECT_FALSE(bare.SetValueFromText(HMX_CString("1")));
}

} // namespace
