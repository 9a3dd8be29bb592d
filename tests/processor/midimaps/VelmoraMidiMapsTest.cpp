// Controller maps on the processor: the default map at construction, mapped controllers and their echoes,
// learn from the page through the idle tick, map documents saved and loaded, and the page's learn requests.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "common/EParams.h"
#include "processor/editor/EditorTags.h"
#include "tests/processor/editor/EditorTestSupport.h"

namespace {

using namespace editortest;
using namespace vlm;
using nlohmann::json;
namespace fs = std::filesystem;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FolderEnvironment);

// The default map the user saved earlier: one good entry among entries that must be skipped.
constexpr const char* kDefaultMap = R"({"kind":"midi-map","assignments":[
  {"paramIdx":29,"cc":74},{"paramIdx":17,"cc":5},{"paramIdx":30,"cc":200},{"paramIdx":1.5,"cc":3}]})";

class MidiMaps : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    // Written before the one processor of this executable is made, so its construction finds it.
    const fs::path config = FolderEnvironment::Dir() / "config" / "Velmora";
    fs::create_directories(config);
    std::ofstream(config / "default-midi-map.vmm") << kDefaultMap;
    rec = new RecordingProcessor;
    constructedWith29 = rec->processor->GetCcAssignment(29);
    constructedWith17 = rec->processor->GetCcAssignment(17);
    constructedWith30 = rec->processor->GetCcAssignment(30);
  }
  static void TearDownTestSuite() {
    delete rec;
    rec = nullptr;
  }
  void SetUp() override {
    Learn(R"({"op":"setActive","active":false})");
    Learn(R"({"op":"clearAll"})");
    rec->processor->OnUIPrefsPayload(R"({"knobMode":"jump"})");
    p().OnIdle();
    rec->Clear();
  }
  static Velmora& p() { return *rec->processor; }
  static void Learn(const std::string& request) {
    ASSERT_TRUE(rec->Send(MsgTag::kMidiLearnRequest, request));
  }
  static void Cc(int controller, int value) {
    p().ProcessMidiMsg(keel::MidiMsg(0, 0xB0, static_cast<uint8_t>(controller), static_cast<uint8_t>(value)));
  }
  static json LastJson(int tag) {
    const auto found = rec->Tagged(tag);
    EXPECT_FALSE(found.empty()) << tag;
    return found.empty() ? json() : json::parse(found.back().payload);
  }
  static std::vector<std::string> ScriptsStartingWith(const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& s : rec->scripts)
      if (s.rfind(prefix, 0) == 0)
        out.push_back(s);
    return out;
  }
  static inline RecordingProcessor* rec = nullptr;
  static inline int constructedWith29 = 0, constructedWith17 = 0, constructedWith30 = 0;
};

TEST_F(MidiMaps, TheDefaultMapWasAppliedAtConstructionSkippingInvalidEntries) {
  EXPECT_EQ(74, constructedWith29);
  EXPECT_EQ(-1, constructedWith17);
  EXPECT_EQ(-1, constructedWith30);
  const std::string log = LogText();
  EXPECT_NE(std::string::npos,
            log.find("] MidiMap: applied default map (1 assignments) from " +
                     (FolderEnvironment::Dir() / "config/Velmora/default-midi-map.vmm").string() + "\n"));
}

TEST_F(MidiMaps, AMappedControllerMovesItsParametersAndTheIdleTickEchoesOnlyTheLastValue) {
  Learn(R"({"op":"assign","paramIdx":29,"cc":20})");
  Learn(R"({"op":"assign","paramIdx":80,"cc":20})"); // one controller, two parameters
  EXPECT_EQ(20, p().GetCcAssignment(29));
  EXPECT_EQ(20.0, p().GetParam(CcMapParam(29))->Value());
  rec->Clear();
  // The page's echo never goes on to the MKS-80: the suppression flag is up while it is sent.
  std::vector<bool> suppressedDuringEcho;
  p().SetScriptObserver([&](const char* script, std::function<void(const char*)>) {
    rec->scripts.emplace_back(script);
    if (rec->scripts.back().rfind("SPVFD", 0) == 0)
      suppressedDuringEcho.push_back(p().IsMks80EchoSuppressed());
  });
  Cc(20, 10);
  Cc(20, 127);
  EXPECT_DOUBLE_EQ(1.0, p().GetParam(29)->GetNormalized());
  EXPECT_DOUBLE_EQ(1.0, p().GetParam(80)->GetNormalized());
  EXPECT_TRUE(ScriptsStartingWith("SPVFD").empty()); // nothing reaches the page from the audio thread
  p().OnIdle();
  EXPECT_EQ((std::vector<std::string>{"SPVFD(29, 1.000000)", "SPVFD(80, 1.000000)"}),
            ScriptsStartingWith("SPVFD"));
  EXPECT_EQ((std::vector<bool>{true, true}), suppressedDuringEcho);
  EXPECT_FALSE(p().IsMks80EchoSuppressed());
  p().SetScriptObserver([](const char* script, std::function<void(const char*)> done) {
    rec->scripts.emplace_back(script ? script : "");
    rec->answers.push_back(std::move(done));
  });
  // Channel-mode controllers can be assigned but never move anything.
  Learn(R"({"op":"assign","paramIdx":5,"cc":120})");
  EXPECT_EQ(120, p().GetCcAssignment(5));
  const double balance = p().GetParam(5)->Value();
  Cc(120, 0);
  Cc(120, 127);
  EXPECT_EQ(balance, p().GetParam(5)->Value());
}

TEST_F(MidiMaps, ANewAssignmentStartsWithUnknownTakeoverState) {
  rec->processor->OnUIPrefsPayload(R"({"knobMode":"scaling"})");
  Learn(R"({"op":"assign","paramIdx":29,"cc":21})");
  const double before = p().GetParam(29)->GetNormalized();
  Cc(21, 64); // only records the position
  EXPECT_EQ(before, p().GetParam(29)->GetNormalized());
  Cc(21, 127);
  EXPECT_DOUBLE_EQ(1.0, p().GetParam(29)->GetNormalized());
  // Reassigning (even to the same controller) forgets the position.
  Learn(R"({"op":"assign","paramIdx":29,"cc":21})");
  Cc(21, 0);
  EXPECT_DOUBLE_EQ(1.0, p().GetParam(29)->GetNormalized());
}

TEST_F(MidiMaps, LearnRoundTripFromThePageThroughTheAudioThreadAndBack) {
  Learn(R"({"op":"setActive","active":true})");
  Learn(R"({"op":"selectTarget","paramIdx":40})");
  EXPECT_EQ(json::parse(R"({"active":true,"assignments":{},"selectedParamIdx":40})"),
            LastJson(MsgTag::kMidiLearnState));
  const double before = p().GetParam(40)->Value();
  Cc(33, 100);
  EXPECT_EQ(before, p().GetParam(40)->Value()); // learning moves nothing
  EXPECT_EQ(-1, p().GetCcAssignment(40));       // until the idle tick
  rec->Clear();
  p().OnIdle();
  EXPECT_EQ(33, p().GetCcAssignment(40));
  EXPECT_EQ(json::parse(R"({"active":true,"assignments":{"40":33},"selectedParamIdx":null})"),
            LastJson(MsgTag::kMidiLearnState));
  EXPECT_TRUE(p().IsMidiLearnActive());
  // With no target armed a controller queues nothing.
  Cc(34, 1);
  rec->Clear();
  p().OnIdle();
  EXPECT_TRUE(rec->Tagged(MsgTag::kMidiLearnState).empty());
  // The reserved slots cannot be armed; turning learn off clears the target.
  Learn(R"({"op":"selectTarget","paramIdx":17})");
  EXPECT_EQ(-1, p().GetMidiLearnTarget());
  Learn(R"({"op":"selectTarget","paramIdx":41})");
  Learn(R"({"op":"setActive","active":false})");
  EXPECT_EQ(-1, p().GetMidiLearnTarget());
  EXPECT_FALSE(p().IsMidiLearnActive());
}

TEST_F(MidiMaps, AssignClearTargetAndClearAllAnswerWithTheLearnState) {
  Learn(R"({"op":"selectTarget","paramIdx":7})");
  Learn(R"({"op":"assign","paramIdx":7,"cc":128})"); // no assignment, but the target is cleared
  EXPECT_EQ(-1, p().GetCcAssignment(7));
  EXPECT_EQ(-1, p().GetMidiLearnTarget());
  Learn(R"({"op":"assign","paramIdx":7,"cc":1})");
  Learn(R"({"op":"assign","paramIdx":8,"cc":2})");
  Learn(R"({"op":"clearTarget","paramIdx":7})");
  EXPECT_EQ(json::parse(R"({"active":false,"assignments":{"8":2},"selectedParamIdx":null})"),
            LastJson(MsgTag::kMidiLearnState));
  Learn(R"({"op":"clearAll"})");
  EXPECT_EQ(json::parse(R"({"active":false,"assignments":{},"selectedParamIdx":null})"),
            LastJson(MsgTag::kMidiLearnState));
  for (int i = 0; i < kNumSoundParams; ++i)
    ASSERT_EQ(-1.0, p().GetParam(CcMapParam(i))->Value()) << i;
  // Unknown operations and non-JSON are ignored without an answer.
  rec->Clear();
  Learn(R"({"op":"frobnicate"})");
  Learn("{");
  EXPECT_TRUE(rec->Tagged(MsgTag::kMidiLearnState).empty());
  EXPECT_TRUE(rec->Tagged(MsgTag::kMidiLearnActionResult).empty());
}

TEST_F(MidiMaps, SavedMapHasTheExactDocumentTextAndLoadsBack) {
  Learn(R"({"op":"assign","paramIdx":29,"cc":74})");
  Learn(R"({"op":"assign","paramIdx":0,"cc":7})");
  const fs::path dir = FolderEnvironment::Dir() / "maps";
  p().SetMidiMapFileChooser([&](bool save, std::string& path) {
    EXPECT_TRUE(save);
    path = (dir / "Mine").string(); // typed without an extension
    return true;
  });
  Learn(R"({"op":"save"})");
  const std::string file = (dir / "Mine.vmm").string();
  EXPECT_EQ(json({{"op", "save"}, {"status", "ok"}, {"filePath", file}}),
            LastJson(MsgTag::kMidiLearnActionResult));
  const std::string name0 = p().GetParam(0)->GetName();
  const std::string name29 = p().GetParam(29)->GetName();
  EXPECT_EQ(
      "{\n  \"assignments\": [\n    {\n      \"cc\": 7,\n      \"paramIdx\": 0,\n      \"paramName\": \"" +
          name0 + "\"\n    },\n    {\n      \"cc\": 74,\n      \"paramIdx\": 29,\n      \"paramName\": \"" +
          name29 +
          "\"\n    }\n  ],\n  \"format\": \"com.velmora.midi-map\",\n  \"kind\": \"midi-map\",\n"
          "  \"pluginVersion\": \"1.0.13\",\n  \"version\": 1\n}\n",
      ReadText(file));

  Learn(R"({"op":"clearAll"})");
  Learn(R"({"op":"assign","paramIdx":50,"cc":3})"); // a load replaces everything
  p().SetMidiMapFileChooser([&](bool save, std::string& path) {
    EXPECT_FALSE(save);
    path = file;
    return true;
  });
  rec->Clear();
  Learn(R"({"op":"load"})");
  EXPECT_EQ(json({{"op", "load"}, {"status", "ok"}, {"filePath", file}}),
            LastJson(MsgTag::kMidiLearnActionResult));
  EXPECT_EQ(74, p().GetCcAssignment(29));
  EXPECT_EQ(7, p().GetCcAssignment(0));
  EXPECT_EQ(-1, p().GetCcAssignment(50));
  EXPECT_EQ(json::parse(R"({"active":false,"assignments":{"0":7,"29":74},"selectedParamIdx":null})"),
            LastJson(MsgTag::kMidiLearnState));
  p().SetMidiMapFileChooser(nullptr);
}

TEST_F(MidiMaps, MapFileErrorsAndCancelsAreAnsweredAndChangeNothing) {
  Learn(R"({"op":"assign","paramIdx":29,"cc":74})");
  const fs::path dir = FolderEnvironment::Dir() / "bad";
  fs::create_directories(dir);
  std::ofstream(dir / "patch.vmm") << R"({"kind":"patch","assignments":[{"paramIdx":1,"cc":1}]})";
  std::ofstream(dir / "broken.vmm") << "{";
  struct Case {
    std::string chosen; // empty: cancelled
    bool save;
    json answer;
  };
  const std::vector<Case> cases = {
      {"", true, {{"op", "save"}, {"status", "cancel"}}},
      {"", false, {{"op", "load"}, {"status", "cancel"}}},
      {(dir / "patch.vmm").string(),
       false,
       {{"op", "load"}, {"status", "error"}, {"message", "Not a Velmora MIDI map file (.vmm)"}}},
  };
  for (const Case& c : cases) {
    p().SetMidiMapFileChooser([&](bool, std::string& path) {
      path = c.chosen;
      return !c.chosen.empty();
    });
    rec->Clear();
    Learn(c.save ? R"({"op":"save"})" : R"({"op":"load"})");
    EXPECT_EQ(c.answer, LastJson(MsgTag::kMidiLearnActionResult)) << c.chosen;
    EXPECT_EQ(74, p().GetCcAssignment(29));
  }
  // Unreadable files and unwritable places carry the reader's and writer's own error text.
  for (const auto& [chosen, save] : {std::pair<std::string, bool>{(dir / "broken.vmm").string(), false},
                                     {(dir / "missing.vmm").string(), false},
                                     {(dir / "patch.vmm" / "x.vmm").string(), true}}) {
    p().SetMidiMapFileChooser([&](bool, std::string& path) {
      path = chosen;
      return true;
    });
    rec->Clear();
    Learn(save ? R"({"op":"save"})" : R"({"op":"load"})");
    const json answer = LastJson(MsgTag::kMidiLearnActionResult);
    EXPECT_EQ("error", answer["status"]) << chosen;
    EXPECT_TRUE(answer["message"].is_string() && !answer["message"].get<std::string>().empty()) << chosen;
    EXPECT_EQ(74, p().GetCcAssignment(29));
  }
  p().SetMidiMapFileChooser(nullptr);
}

TEST_F(MidiMaps, SetDefaultWritesTheDefaultMapThatTheNextInstanceLoads) {
  Learn(R"({"op":"assign","paramIdx":100,"cc":11})");
  rec->Clear();
  Learn(R"({"op":"setDefault"})");
  const std::string path = (FolderEnvironment::Dir() / "config/Velmora/default-midi-map.vmm").string();
  EXPECT_EQ(json({{"op", "setDefault"}, {"status", "ok"}, {"filePath", path}}),
            LastJson(MsgTag::kMidiLearnActionResult));
  EXPECT_NE(std::string::npos, LogText().find("] MidiMap: saved default map to " + path + "\n"));
  // What construction does with it: stored into the assignment parameters, then the lookup rebuilt.
  Learn(R"({"op":"clearAll"})");
  p().LoadDefaultMidiMap();
  p().RebuildCcLookup();
  EXPECT_EQ(11, p().GetCcAssignment(100));
  EXPECT_EQ(11.0, p().GetParam(CcMapParam(100))->Value());
  EXPECT_EQ(-1, p().GetCcAssignment(29));
}

TEST_F(MidiMaps, TheInitialStateCarriesTheLearnState) {
  Learn(R"({"op":"assign","paramIdx":3,"cc":9})");
  rec->Clear();
  ASSERT_TRUE(rec->Send(MsgTag::kRequestInit, ""));
  EXPECT_EQ(json::parse(R"({"active":false,"assignments":{"3":9},"selectedParamIdx":null})"),
            LastJson(MsgTag::kMidiLearnState));
}

} // namespace
