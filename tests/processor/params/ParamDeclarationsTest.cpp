// Parameter declarations: names, groups, types, ranges, defaults, steps, labels, units, flags and texts as
// the host and the page see them, and the order in which they are declared.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "common/EParams.h"
#include "processor/params/ParamDeclarations.h"
#include "tests/processor/params/DeclaredParams.h"

namespace vlm {
namespace {

class ParamDeclarationsTest : public ::testing::Test {
protected:
  static const keel::IParam& Param(int index) { return test::DeclaredParam(index); }
  static std::string Json(int index) {
    keel::HeapString json;
    Param(index).GetJSON(json, index);
    return json.Get();
  }
};

constexpr int kE = keel::IParam::FlagStepped;
constexpr int kNA = keel::IParam::FlagNotAutomatable;

struct Expected {
  int index;
  const char* name;
  const char* group;
  const char* type;
  double min, max, def, step;
  const char* label;
  int unit;
  int flags;
  int displayType;
  int textCount;
  const char* firstText;
  const char* lastText;
};

// Transcribed from the instrument's parameter list; a sample across every block.
const Expected kExpected[] = {
    {0, "Master", "", "float", -30, 0, -12, 0.5, "dB", 4, 0, 0, 0, nullptr, nullptr},
    {1, "Tune", "Master", "float", -100, 100, 0, 0.1, "cents", 21, 0, 0, 0, nullptr, nullptr},
    {2, "Dynamics Sens", "Master", "float", 0, 1, 1, 0.001, "", 21, 0, 0, 0, nullptr, nullptr},
    {3, "Key Mode", "Patch", "enum", 0, 3, 0, 1, "", 21, kE, 0, 4, "Whole", "Dual"},
    {4, "Split Point", "Patch", "float", 21, 108, 60, 1, "note", 21, 0, 0, 0, nullptr, nullptr},
    {5, "Balance", "Patch", "float", 0, 1, 0.5, 0.001, "", 21, 0, 0, 0, nullptr, nullptr},
    {6, "Octave Shift", "Patch", "enum", 0, 4, 2, 1, "", 21, kE, 0, 5, "-2", "+2"},
    {7, "Assign Mode", "Patch", "enum", 0, 4, 3, 1, "", 21, kE, 0, 5, "Solo", "Poly-2"},
    {9, "Hold", "Patch", "enum", 0, 2, 0, 1, "", 21, kE, 0, 3, "MIDI", "Off"},
    {10, "Portamento", "Patch", "float", 0, 2645, 0, 0.1, "ms", 21, 0, 0, 0, nullptr, nullptr},
    {11, "Bend Range", "Patch", "float", 0, 12.5, 2, 0.1, "st", 21, 0, 0, 0, nullptr, nullptr},
    {13, "VCO2 Bend", "Patch", "enum", 0, 2, 1, 1, "", 21, kE, 0, 3, "Wide", "Off"},
    {15, "LFO2 Rate", "Patch", "float", 0.016, 16, 1, 0.001, "Hz", 12, 0, 1, 0, nullptr, nullptr},
    {16, "AT Mode", "Patch", "enum", 0, 1, 0, 1, "", 21, kE, 0, 2, "VCO", "VCF"},
    {17, "Upper Reserved", "Upper Reserved", "enum", 0, 1, 0, 1, "", 21, kE | kNA, 0, 2, "Reserved",
     "Reserved"},
    {19, "Upper VCO Key Follow Sel", "Upper Key Follow", "enum", 0, 2, 1, 1, "", 21, kE, 0, 3, "VCO-1",
     "VCO-2"},
    {21, "Upper VCO1 Range", "Upper VCO1", "enum", 0, 4, 2, 1, "", 21, kE, 0, 5, "32'", "2'"},
    {24, "Upper VCO2 Range", "Upper VCO2", "enum", 0, 6, 3, 1, "", 21, kE, 0, 7, "LOW", "HI"},
    {25, "Upper VCO2 Wave", "Upper VCO2", "enum", 0, 3, 1, 1, "", 21, kE, 0, 4, "Triangle", "Noise"},
    {26, "Upper VCO2 Fine", "Upper VCO2", "float", -50, 50, 0, 0.1, "cents", 21, 0, 0, 0, nullptr, nullptr},
    {28, "Upper HPF Cutoff", "Upper HPF", "float", 20, 1550, 30, 0.01, "Hz", 12, 0, 1, 0, nullptr, nullptr},
    {29, "Upper VCF Cutoff", "Upper VCF", "float", 5, 30000, 4000, 0.01, "Hz", 12, 0, 1, 0, nullptr, nullptr},
    {33, "Upper VCF Env Amount", "Upper VCF", "float", 0, 9.1168, 0, 0.001, "oct", 21, 0, 0, 0, nullptr,
     nullptr},
    {38, "Upper ENV1 Attack", "Upper ENV1", "float", 2, 20352.1, 10, 0.1, "ms", 21, 0, 6, 0, nullptr,
     nullptr},
    {43, "Upper ENV1 Dynamics", "Upper ENV1", "enum", 0, 1, 0, 1, "", 21, kE, 0, 2, "On", "Off"},
    {45, "Upper ENV2 Decay", "Upper ENV2", "float", 0.1, 20000, 200, 0.1, "ms", 21, 0, 6, 0, nullptr,
     nullptr},
    {50, "Upper LFO Rate", "Upper LFO", "float", 0.02, 65.11, 5, 0.01, "Hz", 21, 0, 1, 0, nullptr, nullptr},
    {51, "Upper LFO Wave", "Upper LFO", "enum", 0, 4, 0, 1, "", 21, kE, 0, 5, "Triangle", "Random"},
    {53, "Upper VCO Mod LFO", "Upper VCO Mod", "float", 0, 61, 0, 0.001, "st", 21, 0, 0, 0, nullptr, nullptr},
    {55, "Upper Pulse Width", "Upper PWM", "float", 0, 50, 50, 0.1, "%", 21, 0, 0, 0, nullptr, nullptr},
    {57, "Upper PWM Source", "Upper PWM", "enum", 0, 2, 1, 1, "", 21, kE, 0, 3, "ENV-1", "KBD"},
    {62, "Upper VCO Sync", "Upper Sync", "enum", 0, 2, 0, 1, "", 21, kE, 0, 3, "Off", "2->1"},
    {64, "Upper Dynamics Level", "Upper Dynamics", "float", 0, 1, 0.7, 0.001, "", 21, 0, 0, 0, nullptr,
     nullptr},
    {65, "Upper ENV Reset", "Upper Dynamics", "enum", 0, 1, 0, 1, "", 21, kE, 0, 2, "On", "Off"},
    {66, "Lower Reserved", "Lower Reserved", "enum", 0, 1, 0, 1, "", 21, kE | kNA, 0, 2, "Reserved",
     "Reserved"},
    {78, "Lower VCF Cutoff", "Lower VCF", "float", 5, 30000, 4000, 0.01, "Hz", 12, 0, 1, 0, nullptr, nullptr},
    {110, "Lower Cross Mod Polarity", "Lower XMod", "enum", 0, 1, 0, 1, "", 21, kE, 0, 2, "NRM", "INV"},
    {112, "Lower Dynamics Time", "Lower Dynamics", "float", 0, 1, 0, 0.001, "", 21, 0, 0, 0, nullptr,
     nullptr},
    {115, "Oversampling", "Settings", "enum", 0, 2, 0, 1, "", 21, kE, 0, 3, "Off", "4x"},
    {116, "Polyphony", "Settings", "enum", 0, 4, 0, 1, "", 21, kE, 0, 5, "8", "24"},
    {117, "FX 1 Type", "Effects", "enum", 0, 15, 0, 1, "", 21, kE, 0, 16, "Off", "(reserved)"},
    {118, "FX 1 P0", "Effects", "float", 0, 1, 0, 0.001, "", 21, 0, 0, 0, nullptr, nullptr},
    {153, "FX 5 Type", "Effects", "enum", 0, 15, 0, 1, "", 21, kE, 0, 16, "Off", "(reserved)"},
    {161, "FX 5 P7", "Effects", "float", 0, 1, 0, 0.001, "", 21, 0, 0, 0, nullptr, nullptr},
    {162, "FX Chain Lock", "Settings", "enum", 0, 1, 0, 1, "", 21, kE, 0, 2, "Off", "On"},
    {163, "FX 1 Bypass", "Settings", "enum", 0, 1, 0, 1, "", 21, kE, 0, 2, "Off", "On"},
    {167, "FX 5 Bypass", "Settings", "enum", 0, 1, 0, 1, "", 21, kE, 0, 2, "Off", "On"},
    {168, "Patch Volume", "", "float", -12, 12, 0, 0.5, "dB", 4, 0, 0, 0, nullptr, nullptr},
    {169, "Stereo", "Patch", "enum", 0, 1, 0, 1, "", 21, kE, 0, 2, "Mix", "Separate"},
    {170, "Lower Octave Shift", "Patch", "enum", 0, 4, 2, 1, "", 21, kE, 0, 5, "-2", "+2"},
    {174, "Lower Portamento", "Patch", "float", 0, 2645, 0, 0.1, "ms", 21, 0, 0, 0, nullptr, nullptr},
    {179, "Lower LFO2 Rate", "Patch", "float", 0.016, 16, 1, 0.001, "Hz", 12, 0, 1, 0, nullptr, nullptr},
    {180, "Lower AT Mode", "Patch", "enum", 0, 1, 0, 1, "", 21, kE, 0, 2, "VCO", "VCF"},
    {181, "Upper LFO Sync", "Upper LFO", "enum", 0, 1, 0, 1, "", 21, kE, 0, 2, "Off", "On"},
    {182, "Upper LFO Sync Div", "Upper LFO", "enum", 0, 21, 8, 1, "", 21, kE, 0, 22, "8/1", "1/64T"},
    {184, "Lower LFO Sync Div", "Lower LFO", "enum", 0, 21, 8, 1, "", 21, kE, 0, 22, "8/1", "1/64T"},
    {187, "Lower LFO2 Sync", "Patch", "enum", 0, 1, 0, 1, "", 21, kE, 0, 2, "Off", "On"},
    {188, "Lower LFO2 Sync Div", "Patch", "enum", 0, 21, 8, 1, "", 21, kE, 0, 22, "8/1", "1/64T"},
    {189, "CC Map: Master", "MIDI Learn", "float", -1, 127, -1, 1, "", 21, kNA, 0, 0, nullptr, nullptr},
    {208, "CC Map: Upper VCO Key Follow Sel", "MIDI Learn", "float", -1, 127, -1, 1, "", 21, kNA, 0, 0,
     nullptr, nullptr},
    {218, "CC Map: Upper VCF Cutoff", "MIDI Learn", "float", -1, 127, -1, 1, "", 21, kNA, 0, 0, nullptr,
     nullptr},
    {299, "CC Map: Lower Cross Mod Polarity", "MIDI Learn", "float", -1, 127, -1, 1, "", 21, kNA, 0, 0,
     nullptr, nullptr},
    {377, "CC Map: Lower LFO2 Sync Div", "MIDI Learn", "float", -1, 127, -1, 1, "", 21, kNA, 0, 0, nullptr,
     nullptr},
};

TEST_F(ParamDeclarationsTest, SampleAcrossBlocksMatchesTheParameterList) {
  for (const Expected& e : kExpected) {
    SCOPED_TRACE(e.name);
    const keel::IParam& p = Param(e.index);
    char json[512];
    std::snprintf(json, sizeof json,
                  "{\"id\":%i, \"name\":\"%s\", \"type\":\"%s\", \"min\":%f, \"max\":%f, \"default\":%f, "
                  "\"display_type\":%i, \"rate\":\"control\"}",
                  e.index, e.name, e.type, e.min, e.max, e.def, e.displayType);
    EXPECT_EQ(json, Json(e.index));
    EXPECT_STREQ(e.group, p.GetGroup());
    EXPECT_STREQ(e.label, p.GetLabel());
    EXPECT_EQ(e.step, p.GetStep());
    EXPECT_EQ(e.unit, p.Unit());
    EXPECT_EQ(e.flags, p.GetFlags());
    EXPECT_EQ(e.def, p.Value());
    ASSERT_EQ(e.textCount, p.GetDisplayTextCount());
    if (e.textCount) {
      double value = -1;
      EXPECT_STREQ(e.firstText, p.GetDisplayTextAt(0, &value));
      EXPECT_EQ(0.0, value);
      EXPECT_STREQ(e.lastText, p.GetDisplayTextAt(e.textCount - 1, &value));
      EXPECT_EQ(e.textCount - 1, value);
    }
  }
}

TEST_F(ParamDeclarationsTest, EveryParameterIsDeclaredOnceWithAUniqueName) {
  std::set<std::string> names;
  for (int i = 0; i < kNumParams; ++i) {
    const keel::IParam& p = Param(i);
    EXPECT_NE(keel::kTypeNone, p.Type()) << i;
    const std::string name(p.GetName(), strnlen(p.GetName(), 32));
    EXPECT_FALSE(name.empty()) << i;
    EXPECT_TRUE(names.insert(name).second) << name;
    EXPECT_FALSE(name.ends_with("P8")) << name;
    EXPECT_EQ(i >= kCcMapFirst, name.starts_with("CC Map: ")) << name;
  }
}

TEST_F(ParamDeclarationsTest, UpperAndLowerToneBlocksDifferOnlyInTheirPrefix) {
  for (int offset = 0; offset < kNumToneParams; ++offset) {
    const keel::IParam& upper = Param(UpperToneParam(offset));
    const keel::IParam& lower = Param(LowerToneParam(offset));
    const std::string upperName = upper.GetName();
    ASSERT_TRUE(upperName.starts_with("Upper ")) << upperName;
    EXPECT_EQ("Lower " + upperName.substr(6), std::string(lower.GetName()));
    EXPECT_EQ("Lower " + std::string(upper.GetGroup()).substr(6), std::string(lower.GetGroup()));
    EXPECT_EQ(upper.GetMin(), lower.GetMin());
    EXPECT_EQ(upper.GetMax(), lower.GetMax());
    EXPECT_EQ(upper.GetDefault(), lower.GetDefault());
    EXPECT_EQ(upper.GetFlags(), lower.GetFlags());
    EXPECT_EQ(upper.GetDisplayTextCount(), lower.GetDisplayTextCount());
  }
  for (int offset = 0; offset < kNumPatchBlockParams; ++offset) {
    const keel::IParam& upper = Param(kOctaveShift + offset);
    const keel::IParam& lower = Param(kLowerOctaveShift + offset);
    EXPECT_EQ("Lower " + std::string(upper.GetName()), std::string(lower.GetName()));
    EXPECT_EQ(upper.GetDefault(), lower.GetDefault());
    EXPECT_EQ(upper.Unit(), lower.Unit());
  }
}

TEST_F(ParamDeclarationsTest, AssignmentNamesOfThirtyTwoBytesKeepEveryByte) {
  for (int index : {208, 250, 257, 299}) {
    const keel::IParam& p = Param(index);
    EXPECT_EQ(32u, std::string(p.GetName()).size()) << index;
    EXPECT_NE(std::string::npos, Json(index).find(std::string("\"name\":\"") + p.GetName() + "\", "))
        << index;
  }
  EXPECT_STREQ("CC Map: Lower VCO Key Follow Sel", Param(257).GetName());
  EXPECT_STREQ("CC Map: Upper Cross Mod Polarity", Param(250).GetName());
}

TEST_F(ParamDeclarationsTest, DivisionsReportTheirTexts) {
  const char* texts[] = {"8/1",   "4/1",  "2/1",   "1/1",   "1/2.",  "1/2",  "1/4.", "1/2T",
                         "1/4",   "1/8.", "1/4T",  "1/8",   "1/16.", "1/8T", "1/16", "1/32.",
                         "1/16T", "1/32", "1/64.", "1/32T", "1/64",  "1/64T"};
  for (int index : {kUpperLfoSyncDiv, kLowerLfoSyncDiv, kLfo2SyncDiv, kLowerLfo2SyncDiv}) {
    ASSERT_EQ(22, Param(index).GetDisplayTextCount());
    for (int v = 0; v < 22; ++v)
      EXPECT_STREQ(texts[v], Param(index).GetDisplayTextAt(v)) << index;
    EXPECT_EQ(8.0, Param(index).Value());
  }
}

TEST_F(ParamDeclarationsTest, AutomationIsBarredOnlyOnReservedAndAssignments) {
  for (int i = 0; i < kNumParams; ++i) {
    const bool barred =
        i == UpperToneParam(kToneReserved) || i == LowerToneParam(kToneReserved) || i >= kCcMapFirst;
    EXPECT_EQ(!barred, Param(i).IsAutomatable()) << i;
  }
}

TEST(ParamDeclarationOrder, FollowsTheConstructionOrder) {
  auto* params = new keel::IParam[kNumParams];
  std::vector<int> firstUse;
  std::vector<bool> seen(kNumParams, false);
  DeclareParams([&](int index) {
    if (!seen[index]) {
      seen[index] = true;
      firstUse.push_back(index);
    }
    return &params[index];
  });
  std::vector<int> expected = {0, 1, 2, 168, 169, 3, 4, 5};
  for (int i = 6; i <= 16; ++i)
    expected.push_back(i);
  for (int i = 170; i <= 188; ++i)
    expected.push_back(i);
  expected.push_back(115);
  expected.push_back(116);
  for (int i = 117; i <= 167; ++i)
    expected.push_back(i);
  for (int i = 17; i <= 114; ++i)
    expected.push_back(i);
  for (int i = 189; i <= 377; ++i)
    expected.push_back(i);
  EXPECT_EQ(expected, firstUse);
  delete[] params;
}

} // namespace
} // namespace vlm
