// Dedicated MKS-80 port pair: port search, open and close with their log lines, polling and sending.
#include "library/MidiPortIo.h"

#include <gtest/gtest.h>

#include "tests/library/FakeMidiPorts.h"
#include "tests/processor/SettingsTestSupport.h"

namespace {

using porttest::FakeBackend;
using porttest::FakeMidiSystem;
using settingstest::Count;

settingstest::ProcessFolders gFolders; // the log goes to a folder of this test process

// The log lines written since the fixture started.
class MidiPortIoTest : public ::testing::Test {
protected:
  void SetUp() override {
    GetLogger().Log("MidiPortIoTest: start");
    mLogMark = settingstest::LogText().size();
    sys.inputs = {"Midi Through Port-0", "USB MIDI Interface MIDI 1"};
    sys.outputs = {"Midi Through Port-0", "USB MIDI Interface MIDI 1"};
  }
  std::string Log() const { return settingstest::LogText().substr(mLogMark); }

  FakeMidiSystem sys;
  FakeBackend backend{sys};
  std::size_t mLogMark = 0;
};

TEST(BasePortName, DropsOnlyATrailingSpaceAndNumber) {
  const std::pair<const char*, const char*> cases[] = {
      {"USB MIDI Interface MIDI 2", "USB MIDI Interface MIDI"},
      {"MKS 80 12", "MKS 80"},
      {"Port A1", "Port A1"}, // letters and digits: its own base name
      {"Port1", "Port1"},     // no space
      {"Port ", "Port "},     // nothing after the space
      {"Port 1x", "Port 1x"},
      {"", ""},
      // ALSA sequencer names end in the client and port numbers, which change with a replug; the port's
      // own number before them stays part of the name.
      {"UM-ONE:UM-ONE MIDI 1 24:0", "UM-ONE:UM-ONE MIDI 1"},
      {"Midi Through:Midi Through Port-0 14:0", "Midi Through:Midi Through Port-0"},
      {"MKS:MKS 128:15", "MKS:MKS"},
      {"Port 24:x", "Port 24:x"},
      {"Port :0", "Port :0"},
      // JACK: plain port names stay whole; the a2j bridge puts the ALSA client number in brackets.
      {"system:midi_capture_1", "system:midi_capture_1"},
      {"Velmora:MKS in", "Velmora:MKS in"},
      {"a2j:UM-ONE [24] (capture): UM-ONE MIDI 1", "a2j:UM-ONE (capture): UM-ONE MIDI 1"},
      {"a2j:UM-ONE [x] (capture): UM-ONE MIDI 1", "a2j:UM-ONE [x] (capture): UM-ONE MIDI"},
  };
  for (const auto& [name, base] : cases)
    EXPECT_EQ(vlm::BasePortName(name), base) << name;
}

TEST_F(MidiPortIoTest, ListsPortsInReportedOrderAndNothingPartialOnFailure) {
  vlm::MidiPortIo io(backend);
  EXPECT_EQ(io.ListInputs(), sys.inputs);
  EXPECT_EQ(io.ListOutputs(), sys.outputs);
  sys.failList = true;
  EXPECT_TRUE(io.ListInputs().empty());
  EXPECT_TRUE(io.ListOutputs().empty());
}

TEST_F(MidiPortIoTest, OpensByExactNameAndPublishesTheOpenNames) {
  {
    vlm::MidiPortIo io(backend);
    EXPECT_FALSE(io.IsInOpen());
    ASSERT_TRUE(io.OpenIn("USB MIDI Interface MIDI 1"));
    ASSERT_TRUE(io.OpenOut("Midi Through Port-0"));
    EXPECT_TRUE(io.IsInOpen());
    EXPECT_TRUE(io.IsOutOpen());
    EXPECT_EQ(io.InName(), "USB MIDI Interface MIDI 1");
    EXPECT_EQ(GetDirectMidiInPortName(), "USB MIDI Interface MIDI 1");
    EXPECT_EQ(GetDirectMidiOutPortName(), "Midi Through Port-0");
    // Reselecting the open port keeps it as it is.
    EXPECT_TRUE(io.OpenIn("USB MIDI Interface MIDI 1"));
    EXPECT_EQ(sys.inOpens, 1);
  }
  // The destructor closes both sides.
  EXPECT_EQ(GetDirectMidiInPortName(), "");
  EXPECT_EQ(GetDirectMidiOutPortName(), "");
  const std::string log = Log();
  EXPECT_EQ(Count(log, "MidiPortIo[in]: opened 'USB MIDI Interface MIDI 1' (port 1)"), 1) << log;
  EXPECT_EQ(Count(log, "MidiPortIo[out]: opened 'Midi Through Port-0' (port 0)"), 1) << log;
  EXPECT_EQ(Count(log, "MidiPortIo[in]: closed 'USB MIDI Interface MIDI 1'"), 1) << log;
  EXPECT_EQ(Count(log, "MidiPortIo[out]: closed 'Midi Through Port-0'"), 1) << log;
}

TEST_F(MidiPortIoTest, FallsBackToAUniqueBaseNameMatch) {
  sys.inputs = {"Midi Through Port-0", "MKS Link 3"};
  vlm::MidiPortIo io(backend);
  ASSERT_TRUE(io.OpenIn("MKS Link 2"));
  EXPECT_EQ(io.InName(), "MKS Link 3");
  EXPECT_EQ(Count(Log(), "MidiPortIo: 'MKS Link 2' not found, matched by base name -> port 1"), 1);

  // Two candidates: no guess.
  sys.inputs = {"MKS Link 3", "MKS Link 4"};
  EXPECT_EQ(vlm::MidiPortIo::FindPort(*backend.CreateInput(), "MKS Link 2"), -1);
  EXPECT_EQ(vlm::MidiPortIo::FindPort(*backend.CreateInput(), "MKS Link 4"), 1);
}

TEST_F(MidiPortIoTest, ASavedPortIsFoundAgainAfterItsClientNumberChanged) {
  // Saved before a replug or reboot; the interface now has other client numbers.
  struct Case {
    std::vector<std::string> ports;
    const char* saved;
    const char* opened;
  };
  const Case cases[] = {
      {{"Midi Through:Midi Through Port-0 14:0", "UM-ONE:UM-ONE MIDI 1 28:0"},
       "UM-ONE:UM-ONE MIDI 1 24:0",
       "UM-ONE:UM-ONE MIDI 1 28:0"},
      // A two-port interface: each port keeps its own number, so each is found as itself.
      {{"MIO:MIO MIDI 1 28:0", "MIO:MIO MIDI 2 28:1"}, "MIO:MIO MIDI 2 24:1", "MIO:MIO MIDI 2 28:1"},
      {{"a2j:Midi Through [14] (capture): Midi Through Port-0", "a2j:UM-ONE [28] (capture): UM-ONE MIDI 1"},
       "a2j:UM-ONE [24] (capture): UM-ONE MIDI 1",
       "a2j:UM-ONE [28] (capture): UM-ONE MIDI 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.saved);
    sys.inputs = c.ports;
    sys.outputs = c.ports;
    vlm::MidiPortIo io(backend);
    ASSERT_TRUE(io.OpenIn(c.saved));
    ASSERT_TRUE(io.OpenOut(c.saved));
    EXPECT_EQ(io.InName(), c.opened);
    EXPECT_EQ(io.OutName(), c.opened);
  }
}

TEST_F(MidiPortIoTest, AMissingPortLeavesTheSideClosed) {
  vlm::MidiPortIo io(backend);
  ASSERT_TRUE(io.OpenIn("Midi Through Port-0"));
  EXPECT_FALSE(io.OpenIn("Gone 5"));
  EXPECT_FALSE(io.IsInOpen());
  EXPECT_EQ(io.InName(), "");
  EXPECT_EQ(GetDirectMidiInPortName(), "");
  EXPECT_EQ(Count(Log(), "MidiPortIo[in]: open 'Gone 5' FAILED (port not found)"), 1);
}

TEST_F(MidiPortIoTest, ABusyPortFailsWithItsReason) {
  sys.busy = {"USB MIDI Interface MIDI 1"};
  vlm::MidiPortIo io(backend);
  EXPECT_FALSE(io.OpenOut("USB MIDI Interface MIDI 1"));
  EXPECT_FALSE(io.IsOutOpen());
  EXPECT_EQ(io.OutName(), "");
  EXPECT_EQ(Count(Log(), "MidiPortIo[out]: open 'USB MIDI Interface MIDI 1' FAILED: device busy (port busy? "
                         "held by DAW/other app?)"),
            1);
}

TEST_F(MidiPortIoTest, AnEmptyNameClosesTheSide) {
  vlm::MidiPortIo io(backend);
  ASSERT_TRUE(io.OpenOut("Midi Through Port-0"));
  EXPECT_FALSE(io.OpenOut(""));
  EXPECT_FALSE(io.IsOutOpen());
  EXPECT_EQ(GetDirectMidiOutPortName(), "");
  EXPECT_EQ(Count(Log(), "MidiPortIo[out]: closed 'Midi Through Port-0'"), 1);
}

TEST_F(MidiPortIoTest, AMissingClientSkipsOpensAndAnswersEmpty) {
  sys.failCreateIn = true;
  sys.failCreateOut = true;
  vlm::MidiPortIo io(backend);
  EXPECT_FALSE(io.OpenIn("Midi Through Port-0"));
  EXPECT_FALSE(io.OpenOut("Midi Through Port-0"));
  EXPECT_TRUE(io.ListInputs().empty());
  std::vector<std::uint8_t> bytes{1};
  EXPECT_FALSE(io.PollIn(bytes));
  EXPECT_TRUE(bytes.empty());
  const std::uint8_t note[] = {0x90, 60, 100};
  EXPECT_FALSE(io.Send(note, 3));
  const std::string log = Log();
  EXPECT_EQ(Count(log, "MidiPortIo: RtMidiIn creation FAILED: no sequencer"), 1) << log;
  EXPECT_EQ(Count(log, "MidiPortIo: RtMidiOut creation FAILED (unknown exception)"), 1) << log;
  EXPECT_EQ(Count(log, "MidiPortIo[in]: open 'Midi Through Port-0' skipped (RtMidiIn unavailable)"), 1);
  EXPECT_EQ(Count(log, "MidiPortIo[out]: open 'Midi Through Port-0' skipped (RtMidiOut unavailable)"), 1);
}

TEST_F(MidiPortIoTest, PollsOneQueuedMessageAtATimeFromAnOpenInputOnly) {
  vlm::MidiPortIo io(backend);
  sys.queued = {{0xF0, 0x41, 0xF7}, {0xB0, 1, 2}};
  std::vector<std::uint8_t> bytes{9, 9};
  EXPECT_FALSE(io.PollIn(bytes)) << "a closed input is not polled";
  EXPECT_TRUE(bytes.empty());
  ASSERT_TRUE(io.OpenIn("Midi Through Port-0"));
  ASSERT_TRUE(io.PollIn(bytes));
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xF0, 0x41, 0xF7}));
  ASSERT_TRUE(io.PollIn(bytes));
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xB0, 1, 2}));
  EXPECT_FALSE(io.PollIn(bytes));
  EXPECT_TRUE(bytes.empty());
}

TEST_F(MidiPortIoTest, PollAndSendFailuresAreLoggedOnceUntilTheNextOpen) {
  vlm::MidiPortIo io(backend);
  ASSERT_TRUE(io.OpenIn("Midi Through Port-0"));
  ASSERT_TRUE(io.OpenOut("Midi Through Port-0"));
  const std::uint8_t sysex[] = {0xF0, 0x41, 0x35, 0x00, 0xF7};
  EXPECT_FALSE(io.Send(nullptr, 3));
  EXPECT_FALSE(io.Send(sysex, 0));
  ASSERT_TRUE(io.Send(sysex, sizeof sysex));
  ASSERT_EQ(sys.sent.size(), 1u);
  EXPECT_EQ(sys.sent[0], std::vector<std::uint8_t>(sysex, sysex + sizeof sysex));

  sys.failPoll = true;
  sys.failSend = true;
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(io.PollIn(bytes));
    EXPECT_FALSE(io.Send(sysex, sizeof sysex));
  }
  std::string log = Log();
  EXPECT_EQ(Count(log, "MidiPortIo[in]: poll FAILED on 'Midi Through Port-0': poll broke (further errors "
                       "suppressed)"),
            1);
  EXPECT_EQ(Count(log, "MidiPortIo[out]: send FAILED on 'Midi Through Port-0': send broke (further errors "
                       "suppressed)"),
            1);
  // A fresh open of each side reports the next failure again.
  ASSERT_TRUE(io.OpenIn("USB MIDI Interface MIDI 1"));
  ASSERT_TRUE(io.OpenOut("USB MIDI Interface MIDI 1"));
  EXPECT_FALSE(io.PollIn(bytes));
  EXPECT_FALSE(io.Send(sysex, sizeof sysex));
  log = Log();
  EXPECT_EQ(Count(log, "poll FAILED on 'USB MIDI Interface MIDI 1'"), 1);
  EXPECT_EQ(Count(log, "send FAILED on 'USB MIDI Interface MIDI 1'"), 1);
}

} // namespace
