// MIDI port selection, merged inputs and the input callback, against a fake MIDI back end.
#include "standalone/FakeDevices.h"
#include "standalone/devices/MidiDevices.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using vlm::MidiDevices;

struct RecordingSink : vlm::IDeviceMidiSink {
  std::vector<keel::MidiMsg> midi;
  std::vector<int> sysexSizes;
  bool PushDeviceMidi(const keel::MidiMsg& m) noexcept override {
    midi.push_back(m);
    return true;
  }
  bool PushDeviceSysEx(const keel::SysExRecord& r) noexcept override {
    sysexSizes.push_back(r.size);
    return true;
  }
};

class MidiDevicesTest : public ::testing::Test {
protected:
  MidiDevicesTest() : backend(world), midi(backend, settings, sink, [this] { ++writes; }) {
    world.inPorts = {"Keys", "Pads", "Drums"};
    world.outPorts = {"Synth", "Module"};
    EXPECT_TRUE(midi.InitMidi(false));
    midi.ProbeMidiIO();
  }
  vlm::testing::FakeMidiWorld world;
  vlm::testing::FakeMidiBackend backend;
  vlm::AudioMidiSettings settings;
  RecordingSink sink;
  int writes = 0;
  MidiDevices midi;
};

TEST_F(MidiDevicesTest, ListsOffMergedAndEveryPort) {
  EXPECT_EQ(midi.InputNames(), (std::vector<std::string>{"off", "all inputs (merged)", "Keys", "Pads", "Drums"}));
  EXPECT_EQ(midi.OutputNames(), (std::vector<std::string>{"off", "Synth", "Module"}));
  EXPECT_EQ(midi.GetMIDIPortNumber(MidiDevices::kOut, "Module"), 2);
  EXPECT_EQ(midi.GetMIDIPortNumber(MidiDevices::kIn, "off"), 0);
  EXPECT_EQ(midi.GetMIDIPortNumber(MidiDevices::kIn, "Nope"), -1);
}

TEST_F(MidiDevicesTest, AllInputsOpensEachPortThroughItsOwnClient) {
  EXPECT_TRUE(midi.SelectMIDIDevice(MidiDevices::kIn, "all inputs (merged)"));
  EXPECT_EQ(world.openInputs.size(), 3u);
  EXPECT_EQ(midi.MergedInputs().size(), 3u);
  EXPECT_EQ(world.inputClients, 4) << "three merged clients and the main one";
}

TEST_F(MidiDevicesTest, SelectingOnePortOfTwoClosesOnlyTheOther) {
  std::vector<std::string> opened;
  midi.SelectMIDIInputs({"Keys", "Pads"}, opened);
  ASSERT_EQ(opened.size(), 2u);
  const vlm::IMidiInClient* pads = midi.MergedInputs()[1].client.get();
  midi.SelectMIDIInputs({"Pads"}, opened);
  EXPECT_EQ(opened, (std::vector<std::string>{"Pads"}));
  ASSERT_EQ(midi.MergedInputs().size(), 1u);
  EXPECT_EQ(midi.MergedInputs()[0].client.get(), pads) << "the kept port was not reopened";
  EXPECT_EQ(world.openInputs.count("Keys"), 0u);
}

TEST_F(MidiDevicesTest, TabJoinedSettingOpensKnownPortsOnceAndSkipsUnknownOnes) {
  EXPECT_TRUE(midi.SelectMIDIDevice(MidiDevices::kIn, "Keys\tGhost\tKeys\t\tDrums"));
  EXPECT_EQ(world.openInputs["Keys"], 1);
  EXPECT_EQ(world.openInputs["Drums"], 1);
  EXPECT_EQ(midi.MergedInputs().size(), 2u);
  std::vector<std::string> opened;
  midi.SelectMIDIInputs({"Keys", "Keys"}, opened);
  EXPECT_EQ(opened, (std::vector<std::string>{"Keys", "Keys"}));
  EXPECT_EQ(world.openInputs["Keys"], 1);
}

TEST_F(MidiDevicesTest, MissingOrBusyOutputFallsBackToOff) {
  settings.midiOutput = "Gone";
  EXPECT_TRUE(midi.SelectMIDIDevice(MidiDevices::kOut, "Gone"));
  EXPECT_EQ(settings.midiOutput, "off");
  EXPECT_EQ(writes, 1);
  world.failOutputOpen = true;
  settings.midiOutput = "Synth";
  EXPECT_FALSE(midi.SelectMIDIDevice(MidiDevices::kOut, "Synth"));
  EXPECT_EQ(settings.midiOutput, "off");
  EXPECT_EQ(writes, 2);
}

TEST_F(MidiDevicesTest, OpenedOutputSendsThroughTheSender) {
  ASSERT_TRUE(midi.SelectMIDIDevice(MidiDevices::kOut, "Module"));
  EXPECT_EQ(world.openOutput, "Module");
  EXPECT_TRUE(midi.Sender().SendShort(0xC0, 5, 0));
  for (int i = 0; i < 200 && world.sent.empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  midi.Shutdown();
  ASSERT_EQ(world.sent.size(), 1u);
  EXPECT_EQ(world.sent[0], (std::vector<uint8_t>{0xC0, 5}));
  EXPECT_FALSE(midi.Sender().SendShort(0x90, 60, 1)) << "nothing is sent once the port is closed";
}

TEST_F(MidiDevicesTest, CallbackQueuesShortMessagesAndSysexUpTo512Bytes) {
  auto feed = [&](std::vector<uint8_t> bytes) { MidiDevices::HostMidiInputCallback(0.0, bytes, &midi); };
  feed({0x90, 60, 100});
  feed({0xC1, 7});
  feed(std::vector<uint8_t>(512, 0x41));
  feed(std::vector<uint8_t>(600, 0x41));
  feed({});
  ASSERT_EQ(sink.midi.size(), 2u);
  EXPECT_EQ(sink.midi[0].status, 0x90);
  EXPECT_EQ(sink.midi[0].data2, 100);
  EXPECT_EQ(sink.midi[1].data1, 7);
  EXPECT_EQ(sink.midi[1].data2, 0);
  EXPECT_EQ(sink.sysexSizes, (std::vector<int>{512}));
  midi.SetExiting();
  feed({0x90, 61, 100});
  EXPECT_EQ(sink.midi.size(), 2u);
}

TEST_F(MidiDevicesTest, InputsPassSysexAndDropClock) {
  std::vector<std::string> opened;
  midi.SelectMIDIInputs({"Keys"}, opened);
  EXPECT_EQ(backend.lastInput->ignored, (std::vector<bool>{false, true, false}));
}

TEST(MidiInputNames, OwnPortsAreThoseOfTheProgramsClientsInJackAndAlsaForm) {
  struct Case {
    const char* name;
    bool own;
  } cases[] = {
      {"Velmora:Velmora MIDI In", true},
      {"Velmora-01:Velmora MIDI Out", true},
      {"Velmora:Velmora MIDI In 129:0", true},
      {"Velmora-12:MKS-80 In", true},
      {"Velmora probe:x", false},
      {"Velmoras:x", false},
      {"Velmora-1a:x", false},
      {"Velmora-:x", false},
      {"vlmtest:a", false},
      {"Velmora", false},
      {"Midi Through:Midi Through Port-0 14:0", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(vlm::IsOwnMidiPort(c.name), c.own) << c.name;
}

TEST(MidiInputNames, SplitAndJoin) {
  EXPECT_TRUE(vlm::SplitMidiInputNames("off").empty());
  EXPECT_TRUE(vlm::SplitMidiInputNames("").empty());
  EXPECT_EQ(vlm::SplitMidiInputNames("\tA\t\tB\t"), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(vlm::JoinMidiInputNames({}), "off");
  EXPECT_EQ(vlm::JoinMidiInputNames({"A", "B"}), "A\tB");
}

} // namespace
