// The MIDI device lists on a real JACK server while the program's own ports are open: another
// program's ports are offered, the program's own never (choosing one would loop MIDI thru back in),
// and the program's clients carry its name.
#include "standalone/devices/MidiDevices.h"

#include "JackMidiPeer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class NullSink final : public vlm::IDeviceMidiSink {
public:
  bool PushDeviceMidi(const keel::MidiMsg&) noexcept override { return true; }
  bool PushDeviceSysEx(const keel::SysExRecord&) noexcept override { return true; }
};

std::string ClientOf(const std::string& port) {
  return port.substr(0, port.find(':'));
}

TEST(MidiDevicesJack, OwnPortsNeverAppearInTheListsAndClientsAreNamedAfterTheProgram) {
  setenv("VELMORA_MIDI_API", "jack", 1);
  jacktest::MidiPeer other("vlmports", "keys", "synth");
  if (!other.Opened())
    GTEST_SKIP() << "no JACK server";
  ASSERT_TRUE(other.Active());
  const std::string& keys = other.Output();
  const std::string& synth = other.Input();
  const std::vector<std::string> portsBefore = jacktest::MidiPorts(other.Client());
  {
    std::unique_ptr<vlm::IMidiBackend> backend = vlm::CreateRtMidiBackend();
    vlm::AudioMidiSettings settings;
    NullSink sink;
    vlm::MidiDevices midi(*backend, settings, sink, nullptr);
    ASSERT_TRUE(midi.InitMidi(false));
    midi.ProbeMidiIO();
    ASSERT_TRUE(midi.SelectMIDIDevice(vlm::MidiDevices::kIn, keys));
    ASSERT_TRUE(midi.SelectMIDIDevice(vlm::MidiDevices::kOut, synth));
    midi.ProbeMidiIO();

    // The MIDI ports that came with the program's open input and output are its own.
    std::vector<std::string> ownClients;
    for (const std::string& port : jacktest::MidiPorts(other.Client()))
      if (std::find(portsBefore.begin(), portsBefore.end(), port) == portsBefore.end())
        ownClients.push_back(ClientOf(port));
    ASSERT_GE(ownClients.size(), 2u) << "the open input and output have ports";
    for (const std::string& client : ownClients)
      EXPECT_EQ(client.rfind("Velmora", 0), 0u) << client;

    auto listed = [](const std::vector<std::string>& names, const std::string& name) {
      return std::find(names.begin(), names.end(), name) != names.end();
    };
    EXPECT_TRUE(listed(midi.InputNames(), keys));
    EXPECT_TRUE(listed(midi.OutputNames(), synth));
    for (const auto* names : {&midi.InputNames(), &midi.OutputNames()})
      for (const std::string& name : *names)
        EXPECT_FALSE(std::find(ownClients.begin(), ownClients.end(), ClientOf(name)) != ownClients.end())
            << "own port listed: " << name;
    midi.Shutdown();
  }
}

} // namespace
