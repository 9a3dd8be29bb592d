// The MKS-80 port pair on a real JACK server: the program's own ports (its device ports, another
// MKS-80 connection) are never listed, opened or found by name; its clients carry the program's name.
#include "library/MidiPortIo.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> MidiPorts(jack_client_t* client) {
  std::vector<std::string> names;
  if (const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, 0)) {
    for (const char** p = ports; *p; ++p)
      names.emplace_back(*p);
    jack_free(ports);
  }
  return names;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

TEST(MidiPortIoJack, OwnPortsAreLeftOutOfTheListsAndNeverOpened) {
  setenv("VELMORA_MIDI_API", "jack", 1);
  jack_client_t* other = jack_client_open("vlmmks", JackNoStartServer, nullptr);
  if (!other)
    GTEST_SKIP() << "no JACK server";
  jack_port_register(other, "from-mks", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  jack_port_register(other, "to-mks", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  ASSERT_EQ(jack_activate(other), 0);
  const std::string fromMks = std::string(jack_get_client_name(other)) + ":from-mks";
  const std::string toMks = std::string(jack_get_client_name(other)) + ":to-mks";
  const std::vector<std::string> portsBefore = MidiPorts(other);
  {
    // A first connection opens its ports: they are the program's own from then on.
    vlm::MidiPortIo first;
    ASSERT_TRUE(first.OpenIn(fromMks));
    ASSERT_TRUE(first.OpenOut(toMks));
    std::vector<std::string> own;
    for (const std::string& port : MidiPorts(other))
      if (std::find(portsBefore.begin(), portsBefore.end(), port) == portsBefore.end())
        own.push_back(port);
    ASSERT_GE(own.size(), 2u) << "the open input and output have ports";
    for (const std::string& port : own)
      EXPECT_TRUE(StartsWith(port, "Velmora")) << "client not named after the program: " << port;

    vlm::MidiPortIo second;
    const std::vector<std::string> inputs = second.ListInputs();
    const std::vector<std::string> outputs = second.ListOutputs();
    EXPECT_NE(std::find(inputs.begin(), inputs.end(), fromMks), inputs.end());
    EXPECT_NE(std::find(outputs.begin(), outputs.end(), toMks), outputs.end());
    for (const auto* names : {&inputs, &outputs})
      for (const std::string& name : *names)
        EXPECT_FALSE(StartsWith(name, "Velmora")) << "own port listed: " << name;
    for (const std::string& port : own) {
      EXPECT_FALSE(second.OpenIn(port)) << port;
      EXPECT_FALSE(second.OpenOut(port)) << port;
    }
    EXPECT_FALSE(second.IsInOpen());
    EXPECT_FALSE(second.IsOutOpen());
  }
  jack_deactivate(other);
  jack_client_close(other);
}

} // namespace
