// MIDI-map documents and learn requests read from outside input: what is accepted, what is skipped.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "processor/midimaps/MidiLearn.h"
#include "processor/midimaps/MidiMaps.h"

namespace {

using namespace vlm;
using nlohmann::json;

TEST(MidiMaps, OnlySoundParametersOtherThanTheReservedSlotsAreTargets) {
  for (const int idx : {0, 16, 18, 65, 67, 188})
    EXPECT_TRUE(IsMidiMapTarget(idx)) << idx;
  for (const int idx : {-1, 17, 66, 189, 377})
    EXPECT_FALSE(IsMidiMapTarget(idx)) << idx;
}

TEST(MidiMaps, ADocumentIsAMapByItsFormatOrItsKind) {
  EXPECT_TRUE(IsMidiMapDocument(json::parse(R"({"format":"com.velmora.midi-map"})")));
  EXPECT_TRUE(IsMidiMapDocument(json::parse(R"({"kind":"midi-map"})")));
  EXPECT_TRUE(IsMidiMapDocument(json::parse(R"({"kind":"patch","format":"com.velmora.midi-map"})")));
  for (const char* text : {R"({"kind":"patch"})", R"({"format":1,"kind":["midi-map"]})", R"([])", "null",
                           R"("midi-map")", R"({})"})
    EXPECT_FALSE(IsMidiMapDocument(json::parse(text))) << text;
}

TEST(MidiMaps, MalformedAssignmentsAreSkippedAndTheRestKeptInOrder) {
  const json doc = json::parse(R"({"assignments":[
    {"paramIdx":30,"cc":1},
    {"paramIdx":17,"cc":2}, {"paramIdx":66,"cc":2}, {"paramIdx":189,"cc":2}, {"paramIdx":-1,"cc":2},
    {"paramIdx":5,"cc":128}, {"paramIdx":5,"cc":-1}, {"paramIdx":5.0,"cc":2}, {"paramIdx":5,"cc":"2"},
    {"paramIdx":5,"cc":true}, {"paramIdx":5}, {"cc":5}, 7, null, [5,5],
    {"paramIdx":18446744073709551615,"cc":3},
    {"paramIdx":0,"cc":127}
  ]})");
  const auto parsed = ParseMidiMapAssignments(doc);
  ASSERT_EQ(2u, parsed.size());
  EXPECT_EQ(30, parsed[0].paramIdx);
  EXPECT_EQ(1, parsed[0].cc);
  EXPECT_EQ(0, parsed[1].paramIdx);
  EXPECT_EQ(127, parsed[1].cc);
  EXPECT_TRUE(ParseMidiMapAssignments(json::parse(R"({"assignments":{"paramIdx":1,"cc":1}})")).empty());
  EXPECT_TRUE(ParseMidiMapAssignments(json::parse("[]")).empty());
}

TEST(MidiMaps, TheDocumentListsAssignedTargetsInIndexOrder) {
  const json doc = BuildMidiMapDocument(
      [](int i) {
        return i == 17 ? 3 : i == 40 ? 9 : i == 2 ? 127 : i == 3 ? 128 : -1;
      },
      [](int i) { return "P" + std::to_string(i); });
  EXPECT_EQ(json::parse(R"({"assignments":[{"cc":127,"paramIdx":2,"paramName":"P2"},
                                           {"cc":9,"paramIdx":40,"paramName":"P40"}],
                            "format":"com.velmora.midi-map","kind":"midi-map","pluginVersion":"1.0.13",
                            "version":1})"),
            doc);
}

TEST(MidiLearnRequests, AreReadLeniently) {
  EXPECT_FALSE(ParseLearnRequest("{"));
  EXPECT_FALSE(ParseLearnRequest(""));
  EXPECT_EQ(LearnOp::Other, ParseLearnRequest("[]")->op);
  EXPECT_EQ(LearnOp::Other, ParseLearnRequest(R"({"op":"SAVE"})")->op);
  const auto assign = ParseLearnRequest(R"({"op":"assign","paramIdx":188,"cc":0})");
  EXPECT_EQ(LearnOp::Assign, assign->op);
  EXPECT_EQ(188, assign->paramIdx);
  EXPECT_EQ(0, assign->cc);
  const auto bad = ParseLearnRequest(R"({"op":"assign","paramIdx":189,"cc":128})");
  EXPECT_FALSE(bad->paramIdx);
  EXPECT_FALSE(bad->cc);
  EXPECT_FALSE(ParseLearnRequest(R"({"op":"selectTarget","paramIdx":3.0})")->paramIdx);
  EXPECT_FALSE(ParseLearnRequest(R"({"op":"setActive","active":1})")->active);
  EXPECT_TRUE(ParseLearnRequest(R"({"op":"setActive","active":true})")->active);
}

} // namespace
