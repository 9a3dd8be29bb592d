// The MIDI device lists on a real JACK server while the program's own ports are open: another
// program's ports are offered, the program's own never (choosing one would loop MIDI thru back in),
// and the program's clients carry its name.
#include "standalone/devices/MidiDevices.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

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

std::vector<std::string> MidiPorts(jack_client_t* client) {
  std::vector<std::string> names;
  if (const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, 0)) {
    for (const char** p = ports; *p; ++p)
      names.emplace_back(*p);
    jack_free(ports);
  }
  return names;
}

TEST(MidiDevicesJack, OwnPortsNeverAppearInTheListsAndClientsAreNamedAfterTheProgram) {
  setenv("VELMORA_MIDI_API", "jack", 1);
  jack_client_t* other = jack_client_open("vlmports", JackNoStartServer, nullptr);
  if (!other)
    GTEST_SKIP() << "no JACK server";
  jack_port_register(other, "keys", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  jack_port_register(other, "synth", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  ASSERT_EQ(jack_activate(other), 0);
  const std::string keys = std::string(jack_get_client_name(other)) + ":keys";
  const std::string synth = std::string(jack_get_client_name(other)) + ":synth";
  const std::vector<std::string> portsBefore = MidiPorts(other);
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
    for (const std::string& port : MidiPorts(other))
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
  jack_deactivate(other);
  jack_client_close(other);
}

} // namespace
