// Host object: start-up with fake devices, MIDI from an input reaching the processor, ordered shutdown.
#include "standalone/FakeDevices.h"
#include "standalone/host/IKeelAPPHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

using namespace vlm::testing;

class StubProcessor : public keel::IKeelAPP {
public:
  explicit StubProcessor(const keel::InstanceInfo& info) : IKeelAPP(info, Config()) {}
  static keel::PluginConfig Config() {
    keel::PluginConfig c;
    c.paramCount = 1;
    return c;
  }
  std::vector<int> notes;
  int resets = 0;
  bool active = false;
  void OnReset() override { ++resets; }
  void OnActivate(bool a) override { active = a; }
  void ProcessMidiMsg(const keel::MidiMsg& m) override { notes.push_back(m.data1); }
  void ProcessBlock(double**, double** outputs, int n) override {
    for (int i = 0; i < n; ++i) outputs[0][i] = outputs[1][i] = notes.empty() ? 0.0 : 0.5;
  }
};

class IKeelAPPHostTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() / ("vlm-host-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    world.inPorts = {"Keys"};
    world.outPorts = {"Synth"};
    options.settingsPath = (folder / "settings.ini").string();
    options.createProcessor = [this](const keel::InstanceInfo& info) {
      auto p = std::make_unique<StubProcessor>(info);
      processor = p.get();
      return p;
    };
    options.createAudioApi = [this](int) -> std::unique_ptr<vlm::IAudioApi> {
      auto api = std::make_unique<FakeAudioApi>();
      api->devices = {{"Speakers", 0, 2, false, true}};
      audio = api.get();
      return api;
    };
    options.createMidiBackend = [this] { return std::make_unique<FakeMidiBackend>(world); };
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::filesystem::path folder;
  FakeMidiWorld world;
  vlm::AppHostOptions options;
  StubProcessor* processor = nullptr;
  FakeAudioApi* audio = nullptr;
};

TEST_F(IKeelAPPHostTest, StartsDevicesFromSettingsAndNotesFromAnInputReachTheProcessor) {
  auto host = std::make_unique<vlm::IKeelAPPHost>(options);
  host->Settings().midiInput = "Keys";
  host->InitHost();
  EXPECT_STREQ(processor->GetHostName(), "standalone");
  EXPECT_TRUE(processor->active);
  EXPECT_EQ(world.openInputs.count("Keys"), 1u) << "no settings file yet: the setting in memory is used";
  ASSERT_TRUE(host->StartAudioFromSettings());
  EXPECT_EQ(processor->GetBlockSize(), 64);
  EXPECT_GE(processor->resets, 1);

  std::vector<uint8_t> note = {0x90, 60, 100};
  vlm::MidiDevices::HostMidiInputCallback(0.0, note, &host->Midi());
  std::vector<double> buffer(2 * 256);
  audio->callback(buffer.data(), nullptr, 256, audio->user);
  audio->callback(buffer.data(), nullptr, 256, audio->user);
  EXPECT_EQ(processor->notes, (std::vector<int>{60}));
  EXPECT_EQ(buffer[100], 0.5);
  host.reset(); // stream stopped (bounded wait), ports closed, processor deleted last
  EXPECT_TRUE(world.openInputs.empty());
}

TEST_F(IKeelAPPHostTest, NoIOOpensNothing) {
  vlm::IKeelAPPHost host(options);
  host.SetScreenshotPath("/tmp/shot.png");
  EXPECT_TRUE(host.NoIO());
  host.InitHost();
  EXPECT_TRUE(host.StartAudioFromSettings());
  EXPECT_EQ(audio, nullptr);
  EXPECT_FALSE(host.Midi().HasInputClient());
  EXPECT_TRUE(std::filesystem::exists(folder / "settings.ini"));
}

} // namespace
