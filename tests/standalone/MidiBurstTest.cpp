// A dense MIDI burst through the program's input callback, larger than the device queue, then silence:
// every note-off and pedal release still reaches the processor, so no voice is left sounding.
#include "engine/voice/TonePart.h"
#include "processor/Velmora.h"
#include "standalone/FakeDevices.h"
#include "standalone/host/IKeelAPPHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

namespace {

using namespace vlm::testing;

int HeldVoices(const TonePart& part) {
  int held = 0;
  for (int i = 0; i < TonePart::kVoiceCount; ++i)
    held += part.VoiceHeld(i) ? 1 : 0;
  return held;
}

int ActiveVoices(const TonePart& part) {
  int active = 0;
  for (int i = 0; i < TonePart::kVoiceCount; ++i)
    active += part.GetVoice(i).IsActive() ? 1 : 0;
  return active;
}

TEST(MidiBurst, ABurstLargerThanTheDeviceQueueLeavesNoVoiceSounding) {
  const auto folder = std::filesystem::temp_directory_path() / ("vlm-burst-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  FakeMidiWorld world;
  world.inPorts = {"Keys"};
  FakeAudioApi* audio = nullptr;
  Velmora* processor = nullptr;
  vlm::AppHostOptions options;
  options.settingsPath = (folder / "settings.ini").string();
  options.createProcessor = [&processor](const keel::InstanceInfo& info) {
    processor = CreatePluginInstance(info);
    return std::unique_ptr<keel::IKeelAPP>(processor);
  };
  options.createAudioApi = [&audio](int) -> std::unique_ptr<vlm::IAudioApi> {
    auto api = std::make_unique<FakeAudioApi>();
    api->devices = {{"Speakers", 0, 2, false, true}};
    audio = api.get();
    return api;
  };
  options.createMidiBackend = [&world] { return std::make_unique<FakeMidiBackend>(world); };
  auto host = std::make_unique<vlm::IKeelAPPHost>(options);
  host->Settings().midiInput = "Keys";
  host->InitHost();
  ASSERT_TRUE(host->StartAudioFromSettings());
  ASSERT_NE(nullptr, audio);
  ASSERT_NE(nullptr, processor);

  std::vector<double> buffer(2 * 512);
  const auto render = [&] { audio->callback(buffer.data(), nullptr, 512, audio->user); };
  const auto send = [&](std::vector<uint8_t> bytes) {
    vlm::MidiDevices::HostMidiInputCallback(0.0, bytes, &host->Midi());
  };
  render();

  // 48 keys down under the pedal, then all of them up and the pedal too, faster than a block: the
  // device queue holds 32 messages.
  for (int round = 0; round < 3; ++round) {
    send({0xB0, 64, 127});
    for (uint8_t key = 36; key < 84; ++key)
      send({0x90, key, 100});
    for (uint8_t key = 36; key < 84; ++key)
      send({0x80, key, 0});
    send({0xB0, 64, 0});
    render();
    EXPECT_EQ(0, HeldVoices(processor->GetUpper())) << round;
    EXPECT_EQ(0, HeldVoices(processor->GetLower())) << round;
  }

  // Then silence: the releases end and nothing sounds.
  for (int i = 0; i < 500 && ActiveVoices(processor->GetUpper()) + ActiveVoices(processor->GetLower()) > 0;
       ++i)
    render();
  EXPECT_EQ(0, ActiveVoices(processor->GetUpper()));
  EXPECT_EQ(0, ActiveVoices(processor->GetLower()));
  double peak = 0.0;
  render();
  for (double s : buffer)
    peak = std::max(peak, std::fabs(s));
  EXPECT_LT(peak, 1e-6);

  host.reset();
  std::filesystem::remove_all(folder);
}

} // namespace
