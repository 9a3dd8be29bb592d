// The dedicated port pair on real RtMidi over a JACK server (the test script starts one): a system-exclusive
// message in through the input with clock and active sensing dropped, and one out through the output.
#include "library/MidiPortIo.h"

#include <gtest/gtest.h>

#include <rtmidi/RtMidi.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Polls until fetch gives a message or a second has passed (JACK moves MIDI once per period).
template <typename Fetch> Bytes WaitForMessage(Fetch fetch) {
  Bytes bytes;
  for (int i = 0; i < 200; ++i) {
    if (fetch(bytes) && !bytes.empty())
      return bytes;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return {};
}

TEST(MidiPortIoOnJack, CarriesSysExBothWaysAndDropsClockAndActiveSensing) {
  ::setenv("VELMORA_MIDI_API", "jack", 1); // before the process's first MIDI client
  std::unique_ptr<RtMidiOut> feeder;
  std::unique_ptr<RtMidiIn> sink;
  try {
    feeder = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "VlmFeed");
    feeder->openVirtualPort("feed");
    sink = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, "VlmSink");
    sink->ignoreTypes(false, true, true);
    sink->openVirtualPort("sink");
  } catch (const std::exception& e) {
    GTEST_SKIP() << "no JACK server: " << e.what();
  }
  vlm::MidiPortIo io;
  const auto inputs = io.ListInputs();
  if (std::find(inputs.begin(), inputs.end(), "VlmFeed:feed") == inputs.end())
    GTEST_SKIP() << "no JACK server answers";
  ASSERT_TRUE(io.OpenIn("VlmFeed:feed"));
  ASSERT_TRUE(io.OpenOut("VlmSink:sink"));
  std::this_thread::sleep_for(std::chrono::milliseconds(50)); // connections settle within a period

  const Bytes clock{0xF8}, sensing{0xFE};
  const Bytes sysex{0xF0, 0x41, 0x35, 0x00, 0x23, 0x20, 0x01, 0x0B, 0x40, 0xF7};
  feeder->sendMessage(&clock);
  feeder->sendMessage(&sensing);
  feeder->sendMessage(&sysex);
  EXPECT_EQ(WaitForMessage([&io](Bytes& b) { return io.PollIn(b); }), sysex);

  ASSERT_TRUE(io.Send(sysex.data(), sysex.size()));
  EXPECT_EQ(WaitForMessage([&sink](Bytes& b) {
              sink->getMessage(&b);
              return true;
            }),
            sysex);
  io.CloseIn();
  io.CloseOut();
  EXPECT_EQ(GetDirectMidiInPortName(), "");
}

} // namespace
