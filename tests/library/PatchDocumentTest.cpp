// Patch documents: every key survives a write and a read, the reading rules (clamping, skipped types,
// defaults, the Lower block fill, the effect lock), the Init patch, and the file-level checks.
#include "library/PatchDocument.h"

#include <gtest/gtest.h>

#include <set>

#include "../Keel/Platform/ScratchFolder.h"
#include "TestProcessor.h"
#include "library/FileIO.h"
#include "library/InitPatchDocument.h"
#include "library/JsonMembers.h"
#include "library/ParamKeyTable.h"

namespace {

using libtest::TestProcessor;
using nlohmann::json;

// Every parameter a patch document names: the 78 patch rows, both tones and their sync keys.
std::set<int> MappedIndices() {
  std::set<int> out;
  for (int row = 0; row < vlm::kPatchRowsCount; ++row)
    out.insert(vlm::ParamKeyTable[row].index);
  for (int row = vlm::kToneRowsFirst; row < vlm::kToneRowsFirst + vlm::kToneRowsCount; ++row) {
    out.insert(vlm::ParamKeyTable[row].index);
    out.insert(vlm::ParamKeyTable[row].index + vlm::kLowerToneOffset);
  }
  for (int index = vlm::kUpperLfoSync; index <= vlm::kLowerLfoSyncDiv; ++index)
    out.insert(index);
  return out;
}

class PatchDocument : public ::testing::Test {
protected:
  TestProcessor processor;
  json values = json::object();
};

TEST(ParamKeyTable, NamesEveryDocumentParameterOnceInEachRun) {
  ASSERT_EQ(vlm::ParamKeyTable.size(), 141u);
  EXPECT_EQ(MappedIndices().size(), 78u + 2 * 51u);
  std::set<std::string> patchKeys, toneKeys;
  for (int row = 0; row < vlm::kPatchRowsCount; ++row)
    patchKeys.insert(vlm::ParamKeyTable[row].key);
  for (int row = vlm::kToneRowsFirst; row < vlm::kSyncExtensionRowsFirst; ++row)
    toneKeys.insert(vlm::ParamKeyTable[row].key);
  EXPECT_EQ(patchKeys.size(), 78u);
  EXPECT_EQ(toneKeys.size(), 51u);
  EXPECT_STREQ(vlm::ParamKeyTable[33].key, "patch.fx1.type");
  EXPECT_EQ(vlm::ParamKeyTable[33].index, 117);
  EXPECT_STREQ(vlm::ParamKeyTable[77].key, "patch.fx5.p7");
  EXPECT_EQ(vlm::ParamKeyTable[77].index, 161);
  EXPECT_STREQ(vlm::ParamKeyTable[126].key, "eg.reset");
  EXPECT_EQ(vlm::ParamKeyTable[126].index, 65);
  EXPECT_STREQ(vlm::ParamKeyTable[131].key, "lower.lfo1.sync");
  EXPECT_STREQ(vlm::ParamKeyTable[140].key, "patch.lower.lfo2SyncDiv");
}

TEST_F(PatchDocument, AWrittenAndReadDocumentReproducesEveryMappedParameter) {
  // Values spread over each range; stepped parameters snap to their steps before the document is built.
  int n = 0;
  for (const int index : MappedIndices())
    processor.SetParameterValue(index, std::fmod(0.137 * ++n, 1.0));
  testutil::ScratchFolder dir;
  std::string error;
  ASSERT_TRUE(vlm::WriteJsonFile(dir / "p.80p", vlm::BuildPatchDocument(processor), error)) << error;

  TestProcessor fresh;
  json document;
  ASSERT_TRUE(vlm::ReadPatchDocument(dir / "p.80p", document, error)) << error;
  vlm::ApplyPatchDocument(fresh, document, false, values);
  EXPECT_EQ(values.size(), MappedIndices().size());
  for (const int index : MappedIndices())
    EXPECT_NEAR(fresh.Normalized(index), processor.Normalized(index), 1e-12) << index;
}

TEST_F(PatchDocument, WrittenFileHasTheDocumentLayoutAndTheProgramsVersion) {
  testutil::ScratchFolder dir;
  std::string error;
  ASSERT_TRUE(vlm::WriteJsonFile(dir / "p.80p", vlm::BuildPatchDocument(processor), error));
  const std::string text = testutil::ReadFile(dir / "p.80p");
  const std::string head = "{\n"
                           "  \"createdWith\": {\n"
                           "    \"name\": \"Velmora\",\n"
                           "    \"version\": \"1.0.13\"\n"
                           "  },\n"
                           "  \"format\": \"com.velmora.patch\",\n"
                           "  \"formatVersion\": 1,\n"
                           "  \"kind\": \"patch\",\n"
                           "  \"patch\": {\n"
                           "    \"params\": {\n"
                           "      \"patch.aftertouchSensitivity\": ";
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_EQ(text.substr(text.size() - 4), "}\n}\n");
  const json document = json::parse(text);
  EXPECT_FALSE(document.contains("metadata"));
  EXPECT_EQ(document["patch"]["params"].size(), 78u);
  for (const char* tone : {"toneA", "toneB"}) {
    EXPECT_EQ(document["patch"][tone]["modelRevision"], "rev4");
    EXPECT_EQ(document["patch"][tone]["params"].size(), 51u);
  }
  // Enumerations are stored as index / (count - 1): key mode "Split-2" of four is 1/3.
  processor.SetParameterValue(vlm::kKeyMode, 1.0 / 3.0);
  EXPECT_NEAR(vlm::BuildPatchDocument(processor)["patch"]["params"]["patch.keyMode"].get<double>(), 1.0 / 3.0,
              1e-15);
}

TEST_F(PatchDocument, NumbersAreClampedAndOtherTypesSkipped) {
  const json params = {{"vcf.cutoff", -0.2},  {"vcf.resonance", 1.7},  {"vca.level", "0.5"},
                       {"env1.attack", true}, {"env1.decay", nullptr}, {"env2.decay", 1}};
  const double levelBefore = processor.Normalized(17 + vlm::kToneVcaLevel);
  EXPECT_EQ(vlm::ApplyPresentKeys(processor, params, vlm::kToneRowsFirst, vlm::kToneRowsCount, 0, values), 3);
  EXPECT_EQ(values, json({{"29", 0.0}, {"30", 1.0}, {"45", 1.0}}));
  EXPECT_EQ(processor.Normalized(29), 0.0);
  EXPECT_EQ(processor.Normalized(30), 1.0);
  EXPECT_EQ(processor.Normalized(17 + vlm::kToneVcaLevel), levelBefore);
  EXPECT_EQ(vlm::ApplyPresentKeys(processor, json::array({1, 2}), 0, 78, 0, values), 0);
}

TEST_F(PatchDocument, ADocumentWithoutPatchFillsTheLowerBlockAndResetsTheSyncKeys) {
  for (int index = vlm::kOctaveShift; index <= vlm::kAtMode; ++index)
    processor.SetParameterValue(index, 0.75);
  for (int index = vlm::kUpperLfoSync; index <= vlm::kLowerLfo2SyncDiv; ++index)
    processor.SetParameterValue(index, 1.0);
  vlm::ApplyPatchDocument(processor, {{"format", "com.velmora.patch"}, {"kind", "patch"}}, false, values);
  std::set<std::string> keys;
  for (const auto& [key, value] : values.items())
    keys.insert(key);
  std::set<std::string> expected;
  for (int index = vlm::kLowerOctaveShift; index <= vlm::kLowerLfo2SyncDiv; ++index)
    expected.insert(std::to_string(index));
  EXPECT_EQ(keys, expected) << "170-180 from 6-16, 181-188 to their defaults, nothing else";
  for (int index = vlm::kLowerOctaveShift; index <= vlm::kLowerAtMode; ++index)
    EXPECT_EQ(processor.Normalized(index), processor.Normalized(index - 164)) << index;
  for (int index = vlm::kUpperLfoSync; index <= vlm::kLowerLfo2SyncDiv; ++index)
    EXPECT_DOUBLE_EQ(processor.Normalized(index), processor.GetParam(index)->GetDefault(true)) << index;
}

TEST_F(PatchDocument, ToneWithoutSyncKeysResetsThemAndKeepsOtherMissingTonekeys) {
  processor.SetParameterValue(66 + vlm::kToneVcfCutoff, 0.9);
  processor.SetParameterValue(vlm::kLowerLfoSync, 1.0);
  EXPECT_EQ(vlm::ApplyToneParams(processor, {{"vcf.resonance", 0.5}, {"lfo1.syncDiv", 0.0}}, 49, values), 3);
  EXPECT_EQ(values, json({{"79", 0.5}, {"184", 0.0}, {"183", processor.GetParam(183)->GetDefault(true)}}));
  EXPECT_NEAR(processor.Normalized(66 + vlm::kToneVcfCutoff), 0.9, 1e-12);
}

TEST_F(PatchDocument, EffectChainLockKeepsTheEffectSlots) {
  json document = vlm::BuildPatchDocument(processor);
  for (auto& [key, value] : document["patch"]["params"].items())
    value = key.rfind("patch.fx", 0) == 0 ? 1.0 : 0.0;
  std::vector<double> before;
  for (int index = vlm::kFxFirst; index < vlm::kFxChainLock; ++index)
    before.push_back(processor.Normalized(index));
  vlm::ApplyPatchDocument(processor, document, true, values);
  for (int index = vlm::kFxFirst; index < vlm::kFxChainLock; ++index) {
    EXPECT_EQ(processor.Normalized(index), before[static_cast<std::size_t>(index - vlm::kFxFirst)]) << index;
    EXPECT_FALSE(values.contains(std::to_string(index)));
  }
  vlm::ApplyPatchDocument(processor, document, false, values);
  EXPECT_EQ(processor.Normalized(vlm::kFxFirst + 1), 1.0);
}

TEST_F(PatchDocument, InitPatchLoadsItsListedValuesAndIsCanonicalText) {
  const json init = vlm::ParseInitPatchDocument();
  ASSERT_TRUE(vlm::IsPatchDocument(init));
  EXPECT_EQ(init["createdWith"]["version"], "0.0.1");
  EXPECT_EQ(vlm::JsonFileText(init), vlm::kInitPatchDocument) << "kept as the writer writes it";
  vlm::ApplyPatchDocument(processor, init, false, values);
  const struct {
    int index;
    double value;
  } listed[] = {
      {vlm::kSplitPoint, 0.4482758620689655},
      {vlm::kBalance, 0.5},
      {vlm::kAssignMode, 0.75},
      {vlm::kLowerBendRange, 0.16},
      {vlm::kLowerLfo2Rate, 0.21121042166647297},
      {vlm::kDynamicsSens, 1.0},
      {vlm::kLfo2SyncDiv, 0.38095238095238093},
      {vlm::kTune, 0.5},
      {vlm::kPatchVolume, 0.5},
      {vlm::kKeyMode, 0.0},
      {vlm::kFxFirst, 0.0},
      {29, 0.7215047647239513},
      {78, 0.7215047647239513},
      {28, 0.19816839762137595},
      {22, 1.0 / 3.0},
      {38, 0.15205580029368576},
      {39, 0.5105568362987465},
      {45, 0.42242915338649434},
      {96, 0.46827586552000483},
      {50, 0.6724548842860111},
      {64, 0.7},
      {113, 0.7},
      {vlm::kUpperLfoSyncDiv, 0.38095238095238093},
      {vlm::kLowerLfoSyncDiv, 0.38095238095238093},
      {vlm::kLowerLfoSync, 0.0},
      {36, 1.0},
      {85, 1.0},
  };
  for (const auto& l : listed)
    EXPECT_NEAR(processor.Normalized(l.index), l.value, 1e-9) << l.index;
  EXPECT_EQ(values.size(), MappedIndices().size());
}

TEST(PatchDocumentFiles, OutsideFilesAreRefusedWithTheirError) {
  testutil::ScratchFolder dir;
  const struct {
    const char* name;
    const char* text;
    std::string error;
  } cases[] = {
      {"broken.80p", "{\"format\": ", "Failed to parse JSON: " + (dir / "broken.80p")},
      {"tone.80p", R"({"format": "com.velmora.patch", "kind": "tone"})", "Not a Velmora patch file"},
      {"other.80p", R"({"format": "com.other", "kind": "patch"})", "Not a Velmora patch file"},
      {"typed.80p", R"({"format": ["com.velmora.patch"], "kind": "patch"})", "Not a Velmora patch file"},
      {"array.80p", "[1, 2]", "Not a Velmora patch file"},
      {"good.80p", R"({"format": "com.velmora.patch", "kind": "patch", "patch": 5})", ""},
  };
  for (const auto& c : cases) {
    testutil::WriteFile(dir / c.name, c.text);
    json document;
    std::string error;
    EXPECT_EQ(vlm::ReadPatchDocument(dir / c.name, document, error), c.error.empty()) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
  }
  std::string error;
  json document;
  EXPECT_FALSE(vlm::ReadPatchDocument(dir / "missing.80p", document, error));
  EXPECT_EQ(error, "Failed to open file: " + (dir / "missing.80p"));
}

TEST(PatchDocumentFiles, WholeModeIsKeyModeThatRoundsToZero) {
  testutil::ScratchFolder dir;
  const struct {
    const char* params;
    bool whole;
  } cases[] = {
      {R"({"patch.keyMode": 0})", true},
      {R"({"patch.keyMode": 0.1})", true},
      {R"({"patch.keyMode": 0.3333})", false},
      {R"({"patch.keyMode": -0.1})", true},
      {R"({"patch.keyMode": 1e308})", false},
      {R"({"patch.keyMode": "0"})", false},
      {R"({})", false},
  };
  for (const auto& c : cases) {
    testutil::WriteFile(dir / "p.80p", std::string(R"({"patch": {"params": )") + c.params + "}}");
    EXPECT_EQ(vlm::ReadPatchIsWhole(dir / "p.80p"), c.whole) << c.params;
  }
  EXPECT_FALSE(vlm::ReadPatchIsWhole(dir / "none.80p"));
}

TEST(PatchDocumentFiles, DocumentExtensionIsEnsuredInAnyLetterCase) {
  const struct {
    const char* in;
    bool tone;
    const char* out;
  } cases[] = {
      {"/p/Bass.txt", false, "/p/Bass.80p"},  {"/p/Bass.80P", false, "/p/Bass.80P"},
      {"/p/Bass", false, "/p/Bass.80p"},      {"/p/Pad.80p", true, "/p/Pad.80t"},
      {"/p/a.b/Pad", true, "/p/a.b/Pad.80t"},
  };
  for (const auto& c : cases) {
    std::filesystem::path path = c.in;
    vlm::EnsureDocumentExtension(path, c.tone);
    EXPECT_EQ(path, c.out) << c.in;
  }
}

TEST(JsonMembers, MissingOrMistypedMembersGiveTheDefault) {
  const json doc = {{"s", "text"}, {"n", 5}, {"o", {{"a", 1}}}};
  EXPECT_EQ(vlm::GetStringMember(doc, "s", "d"), "text");
  EXPECT_EQ(vlm::GetStringMember(doc, "n", "d"), "d");
  EXPECT_EQ(vlm::GetStringMember(doc, "x", "d"), "d");
  EXPECT_EQ(vlm::GetStringMember(json::array({"s"}), "s", "d"), "d");
  EXPECT_EQ(vlm::GetObjectMember(doc, "o"), json({{"a", 1}}));
  EXPECT_EQ(vlm::GetObjectMember(doc, "s"), json::object());
  EXPECT_EQ(vlm::GetObjectMember(json("o"), "o"), json::object());
}

} // namespace
