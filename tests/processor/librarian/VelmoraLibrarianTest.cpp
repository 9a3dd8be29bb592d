// The processor's MKS-80 traffic on a fake MIDI system: page changes become MKS-80 messages, changes from
// the MKS-80 are never sent back, the idle tick's route and time-outs.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "library/Mks80Messages.h"
#include "processor/editor/EditorTags.h"
#include "processor/librarian/Mks80PresetActions.h"
#include "tests/library/FakeMidiPorts.h"
#include "tests/processor/PlayingProcessor.h"
#include "tests/processor/editor/EditorTestSupport.h"

namespace {

using namespace editortest;
using Bytes = std::vector<std::uint8_t>;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FolderEnvironment);

class VelmoraLibrarian : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    sys = new porttest::FakeMidiSystem;
    backend = new porttest::FakeBackend(*sys);
    vlm::SetDefaultMidiPortBackend(backend);
    rec = new RecordingProcessor;
    rec->processor->SetMks80Clock([] { return now; });
  }
  static void TearDownTestSuite() {
    delete rec;
    vlm::SetDefaultMidiPortBackend(nullptr);
    delete backend;
    delete sys;
  }
  void SetUp() override {
    *sys = {};
    sys->inputs = {"MKS Link 1"};
    sys->outputs = {"MKS Link 1"};
    p().GetMidiPortIo().OpenIn("MKS Link 1");
    p().GetMidiPortIo().OpenOut("MKS Link 1");
    p().OnIdle(); // whatever an earlier test left waiting
    sys->sent.clear();
    rec->Clear();
  }
  Velmora& p() { return *rec->processor; }
  int ScriptsStartingWith(const std::string& prefix) const {
    int n = 0;
    for (const auto& s : rec->scripts)
      n += s.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }

  static inline std::int64_t now = 1000000;
  static porttest::FakeMidiSystem* sys;
  static porttest::FakeBackend* backend;
  static RecordingProcessor* rec;
};

porttest::FakeMidiSystem* VelmoraLibrarian::sys = nullptr;
porttest::FakeBackend* VelmoraLibrarian::backend = nullptr;
RecordingProcessor* VelmoraLibrarian::rec = nullptr;

TEST_F(VelmoraLibrarian, PageChangeSendsTheParameterMessage) {
  p().SendParameterValueFromUI(29, 0.5); // Upper cutoff
  p().SendParameterValueFromUI(78, 1.0); // Lower cutoff
  p().SendParameterValueFromUI(0, 0.0);  // master volume: the instrument's own extension level
  EXPECT_EQ(sys->sent, (std::vector<Bytes>{{0xF0, 0x41, 0x36, 0x00, 0x20, 0x20, 0x01, 0x18, 0x32, 0xF7},
                                           {0xF0, 0x41, 0x36, 0x00, 0x20, 0x20, 0x02, 0x18, 0x64, 0xF7},
                                           {0xF0, 0x41, 0x36, 0x00, 0x20, 0x40, 0x01, 0x02, 0x00, 0xF7}}));
  const auto real = rec->Tagged(vlm::MsgTag::kParamRealValue);
  ASSERT_EQ(real.size(), 3u);
  ASSERT_EQ(real[0].payload.size(), 12u);
  std::int32_t index = 0;
  std::memcpy(&index, real[0].payload.data(), 4);
  EXPECT_EQ(index, 29);
}

TEST_F(VelmoraLibrarian, ParametersWithoutCounterpartOnlyReachThePage) {
  p().SendParameterValueFromUI(17, 1.0);
  p().SendParameterValueFromUI(162, 0.3);
  EXPECT_TRUE(sys->sent.empty());
  EXPECT_EQ(rec->Tagged(vlm::MsgTag::kParamRealValue).size(), 2u);
}

TEST_F(VelmoraLibrarian, ChangesFromTheMks80AreAppliedWithoutEcho) {
  sys->queued.push_back({0xF0, 0x41, 0x36, 0x00, 0x20, 0x20, 0x02, 24, 25, 0xF7}); // Lower cutoff 25 %
  p().OnIdle();
  EXPECT_DOUBLE_EQ(p().GetParam(78)->GetNormalized(), 0.25);
  EXPECT_TRUE(sys->sent.empty());
  EXPECT_EQ(rec->Tagged(vlm::MsgTag::kParamRealValue).size(), 1u);
  EXPECT_EQ(ScriptsStartingWith("SPVFD(78,"), 1);
  EXPECT_FALSE(p().IsMks80EchoSuppressed());
  // The same change from the page goes out once.
  p().SendParameterValueFromUI(78, 0.5);
  EXPECT_EQ(sys->sent.size(), 1u);
}

TEST_F(VelmoraLibrarian, RefreshAfterARestoreSendsNothingToTheMks80) {
  p().OnParamReset(keel::kReset);
  p().OnIdle();
  EXPECT_TRUE(sys->sent.empty());
  EXPECT_GE(ScriptsStartingWith("SPVFD("), vlm::kNumParams);
}

TEST_F(VelmoraLibrarian, HostInputIsHeardOnlyWhileTheDedicatedInputIsClosed) {
  const Bytes wsf = {0xF0, 0x41, 0x40, 0x02, 0x20, 'M', 'K', 'S', '-', '8', '0', 0x00, 0xF7};
  p().ProcessSysEx(keel::SysExMsg(0, wsf.data(), static_cast<int>(wsf.size())));
  p().OnIdle();
  EXPECT_TRUE(sys->sent.empty()); // discarded, not deferred

  p().GetMidiPortIo().CloseIn();
  p().ProcessSysEx(keel::SysExMsg(0, wsf.data(), static_cast<int>(wsf.size())));
  p().OnIdle();
  EXPECT_EQ(sys->sent, (std::vector<Bytes>{{0xF0, 0x41, 0x43, 0x02, 0x20, 0xF7}})); // ACK in the same tick
}

TEST_F(VelmoraLibrarian, DedicatedInputIsReadAtMost64MessagesATick) {
  for (int i = 0; i < 70; ++i)
    sys->queued.push_back({0xF0, 0x41, 0x45, 0x00, 0x20, 0xF7}); // EOF: each answered ACK
  p().OnIdle();
  EXPECT_EQ(sys->sent.size(), 64u);
  EXPECT_EQ(sys->queued.size(), 6u);
  p().OnIdle();
  EXPECT_EQ(sys->sent.size(), 70u);
}

TEST_F(VelmoraLibrarian, UnansweredRequestTimesOutAfterFiveSeconds) {
  p().GetMks80Traffic().StartBulkRequest();
  EXPECT_EQ(sys->sent,
            (std::vector<Bytes>{{0xF0, 0x41, 0x41, 0x00, 0x20, 'M', 'K', 'S', '-', '8', '0', 0x00, 0xF7}}));
  now += 5000;
  p().OnIdle();
  EXPECT_TRUE(rec->Tagged(vlm::MsgTag::kPresetActionResult).empty());
  now += 1;
  p().OnIdle();
  const auto results = rec->Tagged(vlm::MsgTag::kPresetActionResult);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(nlohmann::json::parse(results[0].payload),
            nlohmann::json({{"operation", "requestMksBulkDump"},
                            {"status", "error"},
                            {"message", "Timed out waiting for MKS-80 response (5s)"}}));
}

TEST_F(VelmoraLibrarian, CurrentPatchIsFiveMessages) {
  EXPECT_EQ(p().SendCurrentPatchToDevice(), 5);
  ASSERT_EQ(sys->sent.size(), 5u);
  const std::size_t lengths[] = {10, 23, 23, 56, 56};
  const std::uint8_t groups[] = {0x00, 0x01, 0x02, 0x01, 0x02};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(sys->sent[i].size(), lengths[i]);
    if (i > 0) {
      EXPECT_EQ(sys->sent[i][6], groups[i]);
    }
  }
}

TEST_F(VelmoraLibrarian, DumpOfTheCurrentPatchCountsOnlyWhatARouteTook) {
  // The program without a MIDI output: nothing leaves, and the page hears so.
  p().GetMidiPortIo().CloseOut();
  vlm::HandleMks80PresetAction(p(), "dumpCurrentToMidi", nlohmann::json::object(), nullptr, nullptr);
  auto results = rec->Tagged(vlm::MsgTag::kPresetActionResult);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(nlohmann::json::parse(results[0].payload),
            nlohmann::json({{"operation", "dumpCurrentToMidi"},
                            {"status", "error"},
                            {"message", "The MIDI output took 0 of 5 messages"},
                            {"sysexMessages", 0}}));
  // A dedicated output that refuses every message.
  rec->Clear();
  p().GetMidiPortIo().OpenOut("MKS Link 1");
  sys->failSend = true;
  vlm::HandleMks80PresetAction(p(), "dumpCurrentToMidi", nlohmann::json::object(), nullptr, nullptr);
  sys->failSend = false;
  results = rec->Tagged(vlm::MsgTag::kPresetActionResult);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(nlohmann::json::parse(results[0].payload)["sysexMessages"], 0);
}

// At idle the page is left alone: a control value goes out when the page has none yet or it changed.
TEST_F(VelmoraLibrarian, ControlValuesReachThePageOnlyWhenTheyChange) {
  const auto controlCalls = [this] { return ScriptsStartingWith("SCVFD("); };
  p().SendInitialStateToUI(); // a freshly loaded page holds none of them
  rec->Clear();
  p().OnIdle();
  for (int tag = vlm::CtrlTag::kOutMeterL; tag <= vlm::CtrlTag::kHostTempo; ++tag)
    EXPECT_EQ(ScriptsStartingWith("SCVFD(" + std::to_string(tag) + ","), 1) << tag;
  rec->Clear();
  for (int tick = 0; tick < 5; ++tick)
    p().OnIdle();
  EXPECT_EQ(controlCalls(), 0);

  playing::Midi(p(), 0xB0, 1, 64); // the modulation wheel moves
  p().OnIdle();
  p().OnIdle();
  EXPECT_EQ(rec->scripts, (std::vector<std::string>{"SCVFD(3, " + std::to_string(64.0 / 127.0) + ")"}));
  playing::Midi(p(), 0xB0, 1, 0);
  p().OnIdle();

  // A played note raises the meters; they fall back to the floor and then go quiet.
  p().SetBlockSize(64);
  p().SetSampleRate(48000.0);
  p().OnReset();
  playing::Midi(p(), 0x90, 60, 127);
  playing::Render(p(), 4800);
  playing::Midi(p(), 0x80, 60, 0);
  int ticksWithMeters = 0;
  for (int tick = 0; tick < 500; ++tick) {
    rec->Clear();
    p().OnIdle();
    if (controlCalls() == 0)
      break;
    EXPECT_EQ(controlCalls(), ScriptsStartingWith("SCVFD(0,") + ScriptsStartingWith("SCVFD(1,"));
    ++ticksWithMeters;
  }
  EXPECT_GT(ticksWithMeters, 10); // about 1.9 s of decay from full scale to the -60 dB floor
  EXPECT_LT(ticksWithMeters, 500);
  for (int tick = 0; tick < 5; ++tick)
    p().OnIdle();
  EXPECT_EQ(controlCalls(), 0);
}

// The page's transfer actions, with dialogs that answer from the test.
class VelmoraTransferActions : public VelmoraLibrarian {
protected:
  void Act(const nlohmann::json& request) {
    vlm::HandleMks80PresetAction(p(), request["operation"], request, nullptr, nullptr);
  }
  std::vector<nlohmann::json> Answers() const {
    std::vector<nlohmann::json> out;
    for (const auto& m : rec->Tagged(vlm::MsgTag::kPresetActionResult))
      out.push_back(nlohmann::json::parse(m.payload));
    return out;
  }
  static Bytes Dat(std::uint8_t fill) {
    std::array<std::uint8_t, vlm::kMksDatDataBytes> data{};
    data.fill(fill);
    Bytes out(vlm::kMksDatLength);
    out.resize(vlm::BuildDatMessage(0, vlm::kMksFormatType, data, out.data(), out.size()));
    return out;
  }
};

TEST_F(VelmoraTransferActions, BulkSendFromTheArmedFileToTheFinalAck) {
  Bytes file = Dat(1);
  const Bytes second = Dat(2);
  file.insert(file.end(), second.begin(), second.end());
  Act({{"operation", "dumpMidFileStart"},
       {"data", Base64(std::string(file.begin(), file.end()))},
       {"datCount", 2}});
  EXPECT_TRUE(Answers().empty()); // the answer waits for the end of the transfer
  const Bytes ack = {0xF0, 0x41, 0x43, 0x00, 0x20, 0xF7};
  sys->queued.push_back({0xF0, 0x41, 0x41, 0x00, 0x20, 'M', 'K', 'S', '-', '8', '0', 0x00, 0xF7});
  p().OnIdle();
  for (int i = 0; i < 3; ++i) {
    sys->queued.push_back(ack);
    p().OnIdle();
  }
  EXPECT_EQ(sys->sent, (std::vector<Bytes>{Dat(1), Dat(2), {0xF0, 0x41, 0x45, 0x00, 0x20, 0xF7}}));
  ASSERT_EQ(Answers().size(), 1u);
  EXPECT_EQ(Answers()[0],
            nlohmann::json({{"operation", "dumpMidFileStart"}, {"status", "ok"}, {"datMessages", 2}}));
}

TEST_F(VelmoraTransferActions, StartAndCancelAnswers) {
  const struct {
    nlohmann::json request;
    const char* message;
  } errors[] = {
      {{{"operation", "dumpMidFileStart"}}, "Empty payload"},
      {{{"operation", "dumpMidFileStart"}, {"data", "@@@"}}, "base64 decode failed"},
      {{{"operation", "dumpMidFileStart"}, {"data", Base64(std::string("\xF0\x41\x43\x00\x20\xF7", 6))}},
       "No MKS-80 DAT frames found in payload"}};
  for (const auto& e : errors) {
    rec->Clear();
    Act(e.request);
    ASSERT_EQ(Answers().size(), 1u) << e.message;
    EXPECT_EQ(Answers()[0]["message"], e.message);
  }
  rec->Clear();
  Act({{"operation", "dumpMidFileCancel"}});
  EXPECT_EQ(Answers()[0],
            nlohmann::json({{"operation", "dumpMidFileStart"}, {"status", "cancelled"}, {"datMessages", 0}}));
  EXPECT_TRUE(sys->sent.empty()); // nothing was running: no EOF
}

TEST_F(VelmoraTransferActions, ReceivedDumpIsUsedUpByAnyChoice) {
  Act({{"operation", "requestMksBulkDump"}});
  sys->queued.push_back(Dat(4));
  sys->queued.push_back({0xF0, 0x41, 0x45, 0x00, 0x20, 0xF7});
  p().OnIdle();
  ASSERT_EQ(Answers().size(), 1u);
  EXPECT_EQ(Answers()[0]["operation"], "mksBulkDumpAvailable");
  EXPECT_EQ(Answers()[0]["datMessages"], 1);
  rec->Clear();
  Act({{"operation", "mksBulkDumpFormatChoice"}, {"choice", "wav"}});
  EXPECT_EQ(Answers()[0]["message"], "Unknown format choice");
  rec->Clear();
  Act({{"operation", "mksBulkDumpFormatChoice"}, {"choice", "mid"}});
  EXPECT_EQ(Answers()[0],
            nlohmann::json({{"operation", "mksBulkDumpFormatChoice"}, {"status", "cancelled"}}));
}

TEST_F(VelmoraTransferActions, CurrentPatchAnswerCountsTheMessages) {
  Act({{"operation", "dumpCurrentToMidi"}});
  EXPECT_EQ(Answers()[0],
            nlohmann::json({{"operation", "dumpCurrentToMidi"}, {"status", "ok"}, {"sysexMessages", 5}}));
  EXPECT_EQ(sys->sent.size(), 5u);
}

} // namespace
