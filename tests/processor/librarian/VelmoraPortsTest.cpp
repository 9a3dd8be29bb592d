// The dedicated port on the page: the port list message, selections and their failures, the program's
// standalone-midi.json and the deferred reopening of the saved ports.
#include <gtest/gtest.h>

#include "processor/editor/EditorTags.h"
#include "tests/library/FakeMidiPorts.h"
#include "tests/processor/editor/EditorTestSupport.h"

namespace {

using namespace editortest;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FolderEnvironment);

fs::path SettingsFile() {
  return FolderEnvironment::Dir() / "config" / "Velmora" / "standalone-midi.json";
}

void WriteSettings(const std::string& text) {
  fs::create_directories(SettingsFile().parent_path());
  std::ofstream(SettingsFile(), std::ios::binary | std::ios::trunc) << text;
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

// One processor for the suite, on a fake MIDI system with two inputs and two outputs.
class VelmoraPorts : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    sys = new porttest::FakeMidiSystem;
    backend = new porttest::FakeBackend(*sys);
    vlm::SetDefaultMidiPortBackend(backend);
    rec = new RecordingProcessor;
  }
  static void TearDownTestSuite() {
    delete rec;
    vlm::SetDefaultMidiPortBackend(nullptr);
    delete backend;
    delete sys;
  }
  void SetUp() override {
    *sys = {};
    sys->inputs = {"Midi Through Port-0", "MKS Link 1"};
    sys->outputs = {"Midi Through Port-0", "MKS Link 1"};
    rec->Send(vlm::MsgTag::kMidiPortSelect, R"({"direction":"in","name":""})");
    rec->Send(vlm::MsgTag::kMidiPortSelect, R"({"direction":"out","name":""})");
    rec->Clear();
    logBefore = LogText();
  }
  // The payload of the one port list sent since SetUp.
  std::string OnlyList() const {
    const auto lists = rec->Tagged(vlm::MsgTag::kMidiPortList);
    EXPECT_EQ(lists.size(), 1u);
    return lists.empty() ? std::string() : lists.back().payload;
  }
  Velmora& p() { return *rec->processor; }

  static porttest::FakeMidiSystem* sys;
  static porttest::FakeBackend* backend;
  static RecordingProcessor* rec;
  std::string logBefore;
};

porttest::FakeMidiSystem* VelmoraPorts::sys = nullptr;
porttest::FakeBackend* VelmoraPorts::backend = nullptr;
RecordingProcessor* VelmoraPorts::rec = nullptr;

TEST_F(VelmoraPorts, RefreshSendsTheExactPortList) {
  sys->inputs = {"Midi Through Port-0", "MKS \"Link\" 1"};
  rec->Send(vlm::MsgTag::kMidiPortRefresh, "");
  EXPECT_EQ(OnlyList(), R"({"inputs":["Midi Through Port-0","MKS \"Link\" 1"],"outputs":["Midi Through )"
                        R"(Port-0","MKS Link 1"],"selectedIn":"","selectedOut":""})");
  // An empty selection payload asks for the same.
  rec->Clear();
  sys->inputs.clear();
  sys->outputs.clear();
  rec->Send(vlm::MsgTag::kMidiPortSelect, "");
  EXPECT_EQ(OnlyList(), R"({"inputs":[],"outputs":[],"selectedIn":"","selectedOut":""})");
}

TEST_F(VelmoraPorts, SelectingOpensThePortAndRemembersTheChoice) {
  rec->Send(vlm::MsgTag::kMidiPortSelect, R"({"direction":"in","name":"MKS Link 1"})");
  EXPECT_EQ(OnlyList(), R"({"inputs":["Midi Through Port-0","MKS Link 1"],"outputs":["Midi Through Port-0",)"
                        R"("MKS Link 1"],"selectedIn":"MKS Link 1","selectedOut":""})");
  EXPECT_EQ(ReadText(SettingsFile()), "{\n  \"in\": \"MKS Link 1\",\n  \"out\": \"\"\n}\n");
  EXPECT_EQ(p().GetOpenMidiInName(), "MKS Link 1");
  EXPECT_EQ(GetDirectMidiInPortName(), "MKS Link 1");
  rec->Clear();
  rec->Send(vlm::MsgTag::kMidiPortSelect, R"({"direction":"out","name":"Midi Through Port-0"})");
  EXPECT_EQ(ReadText(SettingsFile()),
            "{\n  \"in\": \"MKS Link 1\",\n  \"out\": \"Midi Through Port-0\"\n}\n");
  EXPECT_EQ(GetDirectMidiOutPortName(), "Midi Through Port-0");

  // The same port again: not reopened, but logged, listed and saved.
  rec->Clear();
  fs::remove(SettingsFile());
  rec->Send(vlm::MsgTag::kMidiPortSelect, R"({"direction":"in","name":"MKS Link 1"})");
  EXPECT_EQ(sys->inOpens, 1);
  EXPECT_EQ(rec->Tagged(vlm::MsgTag::kMidiPortList).size(), 1u);
  EXPECT_TRUE(fs::exists(SettingsFile()));
  EXPECT_EQ(Count(LogSince(logBefore), "MidiPortSelect[in]: 'MKS Link 1' -> open=1"), 2);

  // An empty name closes that side and fails nothing.
  rec->Clear();
  rec->Send(vlm::MsgTag::kMidiPortSelect, R"({"direction":"in","name":""})");
  EXPECT_EQ(OnlyList(), R"({"inputs":["Midi Through Port-0","MKS Link 1"],"outputs":["Midi Through Port-0",)"
                        R"("MKS Link 1"],"selectedIn":"","selectedOut":"Midi Through Port-0"})");
  EXPECT_EQ(p().GetOpenMidiInName(), "");
  EXPECT_EQ(Count(LogSince(logBefore), "MidiPortSelect[in]: '' -> open=0"), 1);
}

TEST_F(VelmoraPorts, AFailedSelectionIsReportedAndLeavesTheSideClosed) {
  struct Case {
    const char* payload;
    const char* failed;
    const char* logLine;
  };
  sys->busy = {"MKS Link 1"};
  const Case cases[] = {
      {R"({"direction":"in","name":"Gone 3"})", R"("openFailed":{"direction":"in","name":"Gone 3"})",
       "MidiPortIo[in]: open 'Gone 3' FAILED (port not found)"},
      {R"({"direction":"out","name":"MKS Link 1"})",
       R"("openFailed":{"direction":"out","name":"MKS Link 1"})",
       "MidiPortIo[out]: open 'MKS Link 1' FAILED: device busy (port busy? held by DAW/other app?)"},
  };
  for (const Case& c : cases) {
    rec->Clear();
    rec->Send(vlm::MsgTag::kMidiPortSelect, c.payload);
    const std::string list = OnlyList();
    EXPECT_NE(list.find(c.failed), std::string::npos) << list;
    EXPECT_NE(list.find(R"("selectedIn":"","selectedOut":"")"), std::string::npos) << list;
    EXPECT_EQ(Count(LogSince(logBefore), c.logLine), 1) << c.logLine;
  }
  // The failed choice is still the one remembered.
  EXPECT_EQ(ReadText(SettingsFile()), "{\n  \"in\": \"Gone 3\",\n  \"out\": \"MKS Link 1\"\n}\n");
}

TEST_F(VelmoraPorts, AnUnknownDirectionOrAPayloadThatIsNoObjectOnlyListsThePorts) {
  rec->Send(vlm::MsgTag::kMidiPortSelect, R"({"direction":"in","name":"MKS Link 1"})");
  for (const char* payload : {R"({"direction":"sideways","name":"Midi Through Port-0"})", "not json",
                              R"(["in","Midi Through Port-0"])", R"({"direction":5,"name":"x"})"}) {
    rec->Clear();
    rec->Send(vlm::MsgTag::kMidiPortSelect, payload);
    EXPECT_NE(OnlyList().find(R"("selectedIn":"MKS Link 1","selectedOut":"")"), std::string::npos) << payload;
  }
  EXPECT_EQ(sys->inOpens, 1);
}

TEST_F(VelmoraPorts, AnIdleTickTakesAtMost64MessagesFromTheDedicatedInput) {
  rec->Send(vlm::MsgTag::kMidiPortSelect, R"({"direction":"in","name":"MKS Link 1"})");
  for (int i = 0; i < 70; ++i)
    sys->queued.push_back({0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7}); // not for the MKS-80: dropped
  p().OnIdle();
  EXPECT_EQ(sys->queued.size(), 6u) << "the rest waits in the port's own queue";
  p().OnIdle();
  EXPECT_TRUE(sys->queued.empty());
}

// A fresh processor reads standalone-midi.json; its first restore reopens the ports.
TEST_F(VelmoraPorts, TheSavedChoiceIsRestoredOnceByBaseName) {
  WriteSettings(R"({"in": 5, "out": "MKS Link 2"})");
  sys->outputs = {"Midi Through Port-0", "MKS Link 3"};
  {
    RecordingProcessor fresh;
    EXPECT_EQ(Count(LogSince(logBefore), "StandaloneMidi: restore pending in='' out='MKS Link 2'"), 1);
    ASSERT_TRUE(fresh.processor->IsPortRestorePending());
    fresh.processor->OnIdle(); // the first tick reopens the saved ports
    EXPECT_TRUE(fresh.processor->GetMidiPortIo().IsOutOpen());
    EXPECT_FALSE(fresh.processor->GetMidiPortIo().IsInOpen());
    EXPECT_EQ(Count(LogSince(logBefore), "MidiPortRestore: in='' -> open=0, out='MKS Link 2' -> open=1"), 1);
    // The port found by its base name is remembered in its place.
    EXPECT_EQ(ReadText(SettingsFile()), "{\n  \"in\": \"\",\n  \"out\": \"MKS Link 3\"\n}\n");
    const auto lists = fresh.Tagged(vlm::MsgTag::kMidiPortList);
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_NE(lists[0].payload.find(R"("selectedOut":"MKS Link 3")"), std::string::npos);
    // Once only.
    fresh.processor->RestoreMidiPorts();
    EXPECT_EQ(fresh.Tagged(vlm::MsgTag::kMidiPortList).size(), 1u);
    EXPECT_EQ(sys->outOpens, 1);
  }
  // Two ports share the base name: nothing opens, and the choice stays as it was.
  WriteSettings(R"({"in": "", "out": "MKS Link 2"})");
  sys->outputs = {"MKS Link 3", "MKS Link 4"};
  RecordingProcessor ambiguous;
  ambiguous.processor->RestoreMidiPorts();
  EXPECT_FALSE(ambiguous.processor->GetMidiPortIo().IsOutOpen());
  EXPECT_EQ(ReadText(SettingsFile()), R"({"in": "", "out": "MKS Link 2"})");
  fs::remove(SettingsFile());
}

} // namespace
