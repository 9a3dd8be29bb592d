// The MKS-80 port pair on a real JACK server: the program's own ports (its device ports, another
// MKS-80 connection) are never listed, opened or found by name; its clients carry the program's name.
#include "library/MidiPortIo.h"

#include "JackMidiPeer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool StartsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

TEST(MidiPortIoJack, OwnPortsAreLeftOutOfTheListsAndNeverOpened) {
  setenv("VELMORA_MIDI_API", "jack", 1);
  jacktest::MidiPeer other("vlmmks", "from-mks", "to-mks");
  if (!other.Opened())
    GTEST_SKIP() << "no JACK server";
  ASSERT_TRUE(other.Active());
  const std::string& fromMks = other.Output();
  const std::string& toMks = other.Input();
  const std::vector<std::string> portsBefore = jacktest::MidiPorts(other.Client());
  {
    // A first connection opens its ports: they are the program's own from then on.
    vlm::MidiPortIo first;
    ASSERT_TRUE(first.OpenIn(fromMks));
    ASSERT_TRUE(first.OpenOut(toMks));
    std::vector<std::string> own;
    for (const std::string& port : jacktest::MidiPorts(other.Client()))
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
}

} // namespace
