// Audio device selection, fallbacks, and the stream's stop handshake, against a fake audio API.
#include "standalone/FakeDevices.h"
#include "standalone/devices/AudioDevices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using vlm::testing::FakeAudioApi;

struct StubProcessor : vlm::IAudioStreamClient {
  int inputs = 0;
  double preparedRate = 0;
  int InputChannelCount() const override { return inputs; }
  int OutputChannelCount() const override { return 2; }
  void PrepareForStream(double rate) override { preparedRate = rate; }
  void RunDeviceBlock(double**, double** outputs) noexcept override {
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < 64; ++i) outputs[c][i] = 1.0;
  }
};

class AudioDevicesTest : public ::testing::Test {
protected:
  AudioDevicesTest() {
    hooks.createApi = [this](int driver) -> std::unique_ptr<vlm::IAudioApi> {
      createdDriver = driver;
      ++apisCreated;
      auto api = std::make_unique<FakeAudioApi>();
      api->devices = devices;
      fake = api.get();
      return api;
    };
    hooks.writeSettings = [this] { ++writes; };
    hooks.showError = [this](const char* text, const char* caption) { errors.push_back(std::string(caption) + ": " + text); };
  }
  vlm::AudioDevices& Make() {
    audio = std::make_unique<vlm::AudioDevices>(settings, processor, hooks);
    audio->CreateAudioApi();
    audio->ListAudioDevices();
    return *audio;
  }

  std::vector<vlm::AudioDeviceInfo> devices{{"hw: Card One", 2, 2, true, false},
                                            {"Speakers", 0, 2, false, true},
                                            {"Mic", 1, 0, false, false}};
  vlm::AudioMidiSettings settings;
  StubProcessor processor;
  vlm::AudioDeviceHooks hooks;
  FakeAudioApi* fake = nullptr;
  int createdDriver = -1;
  int apisCreated = 0;
  int writes = 0;
  std::vector<std::string> errors;
  std::unique_ptr<vlm::AudioDevices> audio;
};

TEST_F(AudioDevicesTest, ListsDevicesByDirectionAndNamesThemAfterTheFirstColon) {
  vlm::AudioDevices& a = Make();
  EXPECT_EQ(a.InputIds(), (std::vector<unsigned>{0, 2}));
  EXPECT_EQ(a.OutputIds(), (std::vector<unsigned>{0, 1}));
  EXPECT_EQ(a.DefaultInputId(), 0u);
  EXPECT_EQ(a.DefaultOutputId(), 1u);
  EXPECT_EQ(a.AudioDeviceName(0), " Card One");
  EXPECT_EQ(a.FindAudioDeviceId(" Card One"), 0u);
  EXPECT_EQ(a.FindAudioDeviceId("Card One"), std::nullopt);
}

TEST_F(AudioDevicesTest, UnknownOutputFallsBackToTheDefaultAndRewritesTheSettings) {
  settings.audioOutputDevice = "Gone";
  settings.audioInputDevice = "Gone too";
  settings.sampleRate = 48000;
  EXPECT_TRUE(Make().StartAudioFromSettings());
  EXPECT_EQ(fake->lastOutput.deviceId, 1u);
  EXPECT_EQ(fake->lastOutput.channels, 2u);
  EXPECT_FALSE(fake->lastHadInput) << "no input direction for a processor without inputs";
  EXPECT_EQ(settings.audioOutputDevice, "Speakers");
  EXPECT_EQ(settings.audioInputDevice, " Card One");
  EXPECT_GE(writes, 1);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(processor.preparedRate, 48000.0);
  EXPECT_EQ(audio->ActiveSettings(), settings);
}

TEST_F(AudioDevicesTest, OutputOnlyMachinePlaysWithoutComplaint) {
  devices = {{"Speakers", 0, 2, false, true}};
  EXPECT_TRUE(Make().StartAudioFromSettings());
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(fake->running);
}

TEST_F(AudioDevicesTest, NoOutputAtAllShowsTheSettingsMessage) {
  devices = {{"Mic", 1, 0, true, false}};
  EXPECT_FALSE(Make().StartAudioFromSettings());
  EXPECT_EQ(errors, (std::vector<std::string>{"Error: Please check the audio settings"}));
}

TEST_F(AudioDevicesTest, AStreamThatCannotOpenIsReportedNotLeftSilent) {
  vlm::AudioDevices& a = Make();
  ASSERT_TRUE(a.StartAudioFromSettings());
  fake->failOpen = true; // as after choosing settings the device refuses
  EXPECT_FALSE(a.StartAudioFromSettings());
  EXPECT_EQ(errors, (std::vector<std::string>{"Error: Please check the audio settings"}));
  const int apis = apisCreated;
  for (int i = 0; i < 25; ++i) a.CheckStream();
  EXPECT_EQ(apisCreated, apis) << "settings that just failed are not retried behind the user's back";
  EXPECT_EQ(errors.size(), 1u);
}

// The watch reopens a stream that stopped on its own (closed by its back end, or no longer called
// back), quietly while the device is away, telling the user once when that lasts; a stream closed on
// purpose stays closed.
TEST_F(AudioDevicesTest, TheWatchReopensAStreamThatStoppedOnItsOwn) {
  vlm::AudioDevices& a = Make();
  ASSERT_TRUE(a.StartAudioFromSettings());
  const int first = apisCreated;
  fake->running = false; // the back end stopped it
  a.CheckStream();
  EXPECT_EQ(apisCreated, first + 1) << "a fresh audio API";
  EXPECT_TRUE(fake->running);

  // Running, but no callbacks for a few checks.
  a.CheckStream();
  a.CheckStream();
  EXPECT_EQ(apisCreated, first + 1) << "a short pause is left alone";
  a.CheckStream();
  EXPECT_EQ(apisCreated, first + 2);
  EXPECT_TRUE(fake->running);
  EXPECT_TRUE(errors.empty());

  // The device goes away for a while, then comes back.
  const std::vector<vlm::AudioDeviceInfo> present = devices;
  devices.clear();
  fake->running = false;
  for (int i = 0; i < 25; ++i)
    a.CheckStream();
  EXPECT_EQ(errors, (std::vector<std::string>{"Error: Please check the audio settings"}));
  devices = present;
  a.CheckStream();
  EXPECT_TRUE(fake && fake->running);

  a.CloseAudioStream();
  const int closed = apisCreated;
  a.CheckStream();
  EXPECT_EQ(apisCreated, closed);
  EXPECT_FALSE(fake->running);
}

// Under JACK a stream that the back end closed means the server went away (its MIDI clients died with
// it); a stream that only stopped calling back does not.
TEST_F(AudioDevicesTest, AJackStreamClosedByItsBackEndReportsTheServerLostAndBack) {
  int lost = 0, back = 0;
  hooks.serverLost = [&] { ++lost; };
  hooks.serverBack = [&] { ++back; };
  settings.driverType = vlm::kDriverJack;
  vlm::AudioDevices& a = Make();
  ASSERT_TRUE(a.StartAudioFromSettings());
  for (int i = 0; i < 3; ++i) a.CheckStream(); // no callbacks: reopened, server still there
  EXPECT_EQ(lost, 0);

  const std::vector<vlm::AudioDeviceInfo> present = devices;
  devices.clear();
  fake->open = fake->running = false; // closed by the back end
  for (int i = 0; i < 3; ++i) a.CheckStream();
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(back, 0);
  devices = present;
  a.CheckStream();
  EXPECT_TRUE(fake->running);
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(back, 1);
}

TEST_F(AudioDevicesTest, JackUsesTheOutputNameForBothDirections) {
  settings.driverType = vlm::kDriverJack;
  settings.audioOutputDevice = "Speakers";
  settings.audioInputDevice = "Nonexistent";
  processor.inputs = 2;
  EXPECT_TRUE(Make().StartAudioFromSettings());
  EXPECT_EQ(createdDriver, 1);
  EXPECT_EQ(settings.audioInputDevice, "Nonexistent") << "no input fallback was needed";
  EXPECT_EQ(writes, 0);
}

TEST_F(AudioDevicesTest, NoIOCreatesNothingAndSucceeds) {
  audio = std::make_unique<vlm::AudioDevices>(settings, processor, hooks);
  audio->SetNoIO(true);
  audio->CreateAudioApi();
  audio->ListAudioDevices();
  EXPECT_FALSE(audio->HasApi());
  EXPECT_TRUE(audio->StartAudioFromSettings());
  EXPECT_TRUE(audio->OutputIds().empty());
}

TEST_F(AudioDevicesTest, NewApiForgetsTheOldDefaultDevices) {
  vlm::AudioDevices& a = Make();
  devices = {{"Other", 0, 2, false, false}};
  a.CreateAudioApi();
  a.ListAudioDevices();
  EXPECT_EQ(a.DefaultOutputId(), std::nullopt);
}

TEST_F(AudioDevicesTest, StopFadesTheLastBufferOutWhileTheDeviceRuns) {
  settings.audioOutputDevice = "Speakers";
  vlm::AudioDevices& a = Make();
  ASSERT_TRUE(a.StartAudioFromSettings());
  std::atomic<bool> quit{false};
  std::vector<double> lastNonSilent;
  std::thread device([&] {
    std::vector<double> buffer(2 * 128);
    while (!quit) {
      fake->callback(buffer.data(), nullptr, 128, fake->user);
      if (buffer[0] != 0.0 || buffer[1] != 0.0) lastNonSilent = buffer;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  a.CloseAudioStream();
  quit = true;
  device.join();
  EXPECT_TRUE(a.StreamState().done);
  ASSERT_EQ(lastNonSilent.size(), 256u);
  EXPECT_DOUBLE_EQ(lastNonSilent[0], 127.0 / 128.0);
  EXPECT_EQ(lastNonSilent[127], 0.0);
  EXPECT_FALSE(fake->open);
}

TEST_F(AudioDevicesTest, StopGivesUpWaitingWhenTheDeviceNoLongerCallsBack) {
  settings.audioOutputDevice = "Speakers";
  vlm::AudioDevices& a = Make();
  ASSERT_TRUE(a.StartAudioFromSettings());
  const auto start = std::chrono::steady_clock::now();
  a.CloseAudioStream();
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_LT(waited, std::chrono::seconds(2));
  EXPECT_EQ(fake->aborts, 1);
  EXPECT_FALSE(fake->open);
}

} // namespace
