// Preferences dialog behaviour against fake audio and MIDI back ends: lists per driver, driver change,
// Apply, OK and Cancel with the stream and settings.ini, channel lists, MIDI inputs and busy ports.
#include "standalone/PreferencesTestHost.h"
#include "standalone/devices/SettingsFile.h"

#include <gtest/gtest.h>

namespace {

using keel::PrefsCombo;
using namespace vlm::testing;

std::vector<std::string> Texts(std::initializer_list<int> values) {
  std::vector<std::string> texts;
  for (int v : values)
    texts.push_back(std::to_string(v));
  return texts;
}

class PreferencesModelTest : public ::testing::Test, protected PreferencesTestHost {
protected:
  vlm::AudioMidiSettings& S() { return host->Settings(); }
  vlm::AudioMidiSettings Stored() {
    vlm::AudioMidiSettings s;
    vlm::ReadSettingsFile(options.settingsPath, s);
    return s;
  }
  int Selected(PrefsCombo which) { return model->Combo(which).selected; }
  std::string Message() {
    auto m = model->TakeMessage();
    return m ? m->caption + ": " + m->text : "";
  }
};

TEST_F(PreferencesModelTest, OpeningShowsTheListsAndSelectionsOfTheCurrentSettings) {
  vlm::AudioMidiSettings s;
  s.audioOutputDevice = "Speakers";
  s.sampleRate = 96000;
  s.bufferFrames = 256;
  s.audioOutputChannel1 = 3;
  s.audioOutputChannel2 = 4;
  s.midiInput = "Pads\tDrums";
  s.midiOutput = "Module";
  s.midiInputChannel = 16;
  vlm::PreferencesModel& m = Open(s);

  EXPECT_EQ(m.Combo(PrefsCombo::kDriver).items, (std::vector<std::string>{"ALSA", "JACK", "PulseAudio"}));
  EXPECT_EQ(Selected(PrefsCombo::kDriver), 0);
  EXPECT_TRUE(m.Combo(PrefsCombo::kAudioInput).enabled);
  EXPECT_EQ(m.Combo(PrefsCombo::kAudioInput).items, (std::vector<std::string>{" Card One"}));
  EXPECT_EQ(m.Combo(PrefsCombo::kAudioOutput).items, (std::vector<std::string>{" Card One", "Speakers"}));
  EXPECT_EQ(Selected(PrefsCombo::kAudioOutput), 1);
  EXPECT_EQ(m.Combo(PrefsCombo::kBufferSize).items,
            Texts({32, 64, 96, 128, 192, 256, 512, 1024, 2048, 4096, 8192}));
  EXPECT_EQ(Selected(PrefsCombo::kBufferSize), 5);
  // Rates both chosen devices support, in the input's order.
  EXPECT_EQ(m.Combo(PrefsCombo::kSampleRate).items, Texts({48000, 96000}));
  EXPECT_EQ(Selected(PrefsCombo::kSampleRate), 1);
  // The first channel of a pair cannot be the device's last one.
  EXPECT_EQ(m.Combo(PrefsCombo::kOutput1).items, Texts({1, 2, 3}));
  EXPECT_EQ(m.Combo(PrefsCombo::kOutput2).items, Texts({1, 2, 3, 4}));
  EXPECT_EQ(Selected(PrefsCombo::kOutput1), 2);
  EXPECT_EQ(Selected(PrefsCombo::kOutput2), 3);
  EXPECT_EQ(m.Combo(PrefsCombo::kInput1).items, Texts({1}));
  EXPECT_EQ(m.Combo(PrefsCombo::kInput2).items, Texts({1, 2}));

  EXPECT_EQ(m.MidiInputs().items, (std::vector<std::string>{"Keys", "Pads", "Drums"}));
  EXPECT_EQ(m.MidiInputs().checked, (std::vector<bool>{false, true, true}));
  EXPECT_EQ(m.Combo(PrefsCombo::kMidiOutput).items, (std::vector<std::string>{"off", "Synth", "Module"}));
  EXPECT_EQ(Selected(PrefsCombo::kMidiOutput), 2);
  EXPECT_EQ(m.Combo(PrefsCombo::kMidiInputChannel).items.size(), 17u);
  EXPECT_EQ(m.Combo(PrefsCombo::kMidiInputChannel).items.front(), "all");
  EXPECT_EQ(Selected(PrefsCombo::kMidiInputChannel), 16);
  EXPECT_EQ(Selected(PrefsCombo::kMidiOutputChannel), 0);
  EXPECT_EQ(host->DialogBackupSettings(), S());
}

TEST_F(PreferencesModelTest, MergedSettingChecksEveryInputAndAMissingOutputBecomesOff) {
  vlm::AudioMidiSettings s;
  s.midiInput = "all inputs (merged)";
  s.midiOutput = "Unplugged";
  vlm::PreferencesModel& m = Open(s);
  EXPECT_EQ(m.MidiInputs().checked, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(Selected(PrefsCombo::kMidiOutput), 0);
  EXPECT_EQ(S().midiOutput, "off");
  EXPECT_EQ(Stored().midiOutput, "off");
}

TEST_F(PreferencesModelTest, DriverChangeClosesTheStreamListsTheNewDevicesAndOkStartsIt) {
  vlm::AudioMidiSettings s;
  s.audioOutputDevice = "Speakers";
  s.audioOutputChannel1 = 3;
  s.audioOutputChannel2 = 4;
  vlm::PreferencesModel& m = Open(s);
  ASSERT_TRUE(audio && audio->running);
  const int before = apisCreated;

  m.SelectCombo(PrefsCombo::kDriver, 0);
  EXPECT_EQ(apisCreated, before) << "choosing the driver already stored does nothing";

  m.SelectCombo(PrefsCombo::kDriver, vlm::kDriverJack);
  EXPECT_EQ(apisCreated, before + 1);
  EXPECT_FALSE(audio->open) << "the new API has no stream until Apply, OK or Cancel";
  EXPECT_EQ(S().driverType, vlm::kDriverJack);
  EXPECT_EQ(S().audioInputDevice, "system");
  EXPECT_EQ(S().audioOutputDevice, "system");
  EXPECT_EQ(S().audioOutputChannel1, 1);
  EXPECT_EQ(S().audioOutputChannel2, 2);
  EXPECT_FALSE(m.Combo(PrefsCombo::kAudioInput).enabled) << "JACK plays both directions on the output device";
  EXPECT_EQ(m.Combo(PrefsCombo::kAudioOutput).items, (std::vector<std::string>{"system"}));
  EXPECT_EQ(m.Combo(PrefsCombo::kSampleRate).items, Texts({48000}));
  EXPECT_EQ(Selected(PrefsCombo::kSampleRate), 0) << "the server's own rate, although 44100 was stored";
  EXPECT_EQ(S().sampleRate, 48000);
  EXPECT_EQ(m.Combo(PrefsCombo::kBufferSize).items.size(), 11u);

  m.Ok();
  EXPECT_TRUE(audio->running);
  EXPECT_EQ(host->Audio().ActiveSettings(), S());
  EXPECT_EQ(Stored().driverType, vlm::kDriverJack);
  EXPECT_EQ(Stored().audioOutputDevice, "system");
  EXPECT_EQ(Stored().sampleRate, 48000);
}

TEST_F(PreferencesModelTest, ADriverWithoutAnApiLeavesTheDeviceListsEmpty) {
  vlm::PreferencesModel& m = Open();
  m.SelectCombo(PrefsCombo::kDriver, vlm::kDriverPulse);
  EXPECT_TRUE(m.Combo(PrefsCombo::kAudioOutput).items.empty());
  EXPECT_EQ(Selected(PrefsCombo::kAudioOutput), -1);
  EXPECT_TRUE(m.Combo(PrefsCombo::kSampleRate).items.empty());
  EXPECT_TRUE(m.Combo(PrefsCombo::kOutput2).items.empty()) << "no channels of a device no longer listed";
  EXPECT_EQ(S().audioOutputDevice, " Card One") << "names stay when the new driver lists nothing";
  m.Apply();
  EXPECT_EQ(errors, (std::vector<std::string>{"Please check the audio settings"}));
}

TEST_F(PreferencesModelTest, ApplyRestartsTheStreamWithTheChosenBufferAndRate) {
  vlm::PreferencesModel& m = Open();
  ASSERT_EQ(audio->lastBufferFrames, 512u);
  m.SelectCombo(PrefsCombo::kBufferSize, 3);
  m.SelectCombo(PrefsCombo::kSampleRate, 1);
  EXPECT_EQ(S().bufferFrames, 128);
  EXPECT_EQ(S().sampleRate, 48000);
  EXPECT_EQ(audio->lastBufferFrames, 512u) << "audio choices wait for Apply";
  m.Apply();
  EXPECT_TRUE(audio->running);
  EXPECT_EQ(audio->lastBufferFrames, 128u);
  EXPECT_EQ(audio->lastRate, 48000u);
  EXPECT_EQ(host->Audio().ActiveSettings(), S());
}

TEST_F(PreferencesModelTest, CancelPutsTheOpeningAudioSettingsBackAndRestarts) {
  vlm::PreferencesModel& m = Open();
  const vlm::AudioMidiSettings opening = S();
  m.SelectCombo(PrefsCombo::kBufferSize, 3);
  m.Apply();
  ASSERT_EQ(audio->lastBufferFrames, 128u);
  const int before = apisCreated;
  m.Cancel();
  EXPECT_EQ(S(), opening);
  EXPECT_EQ(apisCreated, before + 1);
  EXPECT_TRUE(audio->running);
  EXPECT_EQ(audio->lastBufferFrames, 512u);
}

TEST_F(PreferencesModelTest, CancelWithoutChangesLeavesTheStreamAlone) {
  vlm::PreferencesModel& m = Open();
  FakeAudioApi* running = audio;
  const int before = apisCreated;
  m.Cancel();
  EXPECT_EQ(apisCreated, before);
  EXPECT_EQ(audio, running);
  EXPECT_TRUE(audio->running);
}

TEST_F(PreferencesModelTest, DriverChangedAndBackStillGetsItsStreamAgain) {
  // The round trip closed the stream although the settings end as they began.
  for (bool ok : {true, false}) {
    vlm::PreferencesModel& m = Open();
    m.SelectCombo(PrefsCombo::kDriver, vlm::kDriverJack);
    m.SelectCombo(PrefsCombo::kDriver, vlm::kDriverAlsa);
    ASSERT_FALSE(audio->open);
    ok ? m.Ok() : m.Cancel();
    EXPECT_TRUE(audio->running) << (ok ? "OK" : "Cancel");
  }
}

TEST_F(PreferencesModelTest, CancelKeepsTheMidiChoicesThatTookEffect) {
  vlm::PreferencesModel& m = Open();
  m.SetMidiInputChecked(0, true);
  m.SelectCombo(PrefsCombo::kMidiOutput, 1);
  m.SelectCombo(PrefsCombo::kBufferSize, 0);
  m.Cancel();
  EXPECT_EQ(S().bufferFrames, 512);
  EXPECT_EQ(S().midiInput, "Keys") << "the port stays open, so the setting names it";
  EXPECT_EQ(S().midiOutput, "Synth");
  EXPECT_EQ(world.openInputs.count("Keys"), 1u);
  EXPECT_EQ(world.openOutput, "Synth");
}

TEST_F(PreferencesModelTest, OkRewritesSettingsIniAndRestartsOnlyForChanges) {
  vlm::PreferencesModel& m = Open();
  FakeAudioApi* running = audio;
  m.SelectCombo(PrefsCombo::kMidiOutputChannel, 10);
  m.SelectCombo(PrefsCombo::kMidiInputChannel, 1);
  EXPECT_EQ(Stored().midiOutputChannel, 0) << "channels are stored when the dialog ends";
  m.Ok();
  EXPECT_EQ(Stored().midiOutputChannel, 10);
  EXPECT_EQ(Stored().midiInputChannel, 1);
  EXPECT_EQ(audio, running);

  vlm::PreferencesModel& again = Open();
  again.SelectCombo(PrefsCombo::kBufferSize, 8);
  again.Ok();
  EXPECT_EQ(audio->lastBufferFrames, 2048u);
  EXPECT_EQ(Stored().bufferFrames, 2048);
}

TEST_F(PreferencesModelTest, ChannelPairsFollowTheFirstChannel) {
  vlm::AudioMidiSettings s;
  s.audioOutputDevice = "Speakers";
  vlm::PreferencesModel& m = Open(s);
  m.SelectCombo(PrefsCombo::kOutput1, 2);
  EXPECT_EQ(S().audioOutputChannel1, 3);
  EXPECT_EQ(S().audioOutputChannel2, 4);
  EXPECT_EQ(Selected(PrefsCombo::kOutput2), 3);
  m.SelectCombo(PrefsCombo::kOutput2, 0);
  EXPECT_EQ(S().audioOutputChannel2, 4) << "the second list cannot be chosen";
  EXPECT_EQ(Selected(PrefsCombo::kOutput2), 3);
  m.SelectCombo(PrefsCombo::kOutput1, 0);
  EXPECT_EQ(S().audioOutputChannel2, 2);

  // A new output device starts at channels 1 and 2 again.
  m.SelectCombo(PrefsCombo::kOutput1, 1);
  m.SelectCombo(PrefsCombo::kAudioOutput, 0);
  EXPECT_EQ(S().audioOutputDevice, " Card One");
  EXPECT_EQ(S().audioOutputChannel1, 1);
  EXPECT_EQ(S().audioOutputChannel2, 2);
  EXPECT_EQ(m.Combo(PrefsCombo::kOutput1).items, Texts({1}));
  EXPECT_EQ(m.Combo(PrefsCombo::kSampleRate).items, Texts({44100, 48000, 96000}));
}

TEST_F(PreferencesModelTest, OutputOnlyMachineStillOffersTheOutputsRates) {
  drivers[vlm::kDriverAlsa] = {{"Speakers", 0, 2, false, true}};
  driverRates[vlm::kDriverAlsa] = {{44100, 48000}};
  vlm::PreferencesModel& m = Open();
  EXPECT_TRUE(m.Combo(PrefsCombo::kAudioInput).items.empty());
  EXPECT_EQ(m.Combo(PrefsCombo::kSampleRate).items, Texts({44100, 48000}));
  EXPECT_EQ(Selected(PrefsCombo::kSampleRate), 0);
}

// OK with nothing changed still leaves sound and ticked inputs running: a stream that stopped (its
// server went away) is opened again, and a ticked port that is back is opened.
TEST_F(PreferencesModelTest, OkRestartsAStoppedStreamAndOpensTickedInputsThatAreNotOpen) {
  world.inPorts = {"Keys", "Drums"};
  vlm::AudioMidiSettings s;
  s.midiInput = "Keys\tPads";
  Open(s);
  EXPECT_EQ(world.openInputs.count("Pads"), 0u);
  world.inPorts.push_back("Pads"); // plugged in later
  audio->running = false;          // the stream stopped on its own
  model = std::make_unique<vlm::PreferencesModel>(vlm::HostPreferencesServices(*host));
  const keel::CheckListContent inputs = model->MidiInputs();
  ASSERT_EQ(inputs.items, (std::vector<std::string>{"Keys", "Drums", "Pads"}));
  EXPECT_EQ(inputs.checked, (std::vector<bool>{true, false, true}));
  model->Ok();
  EXPECT_TRUE(audio->running);
  EXPECT_EQ(world.openInputs.count("Keys"), 1u);
  EXPECT_EQ(world.openInputs.count("Pads"), 1u);
  EXPECT_EQ(Stored().midiInput, "Keys\tPads");
}

// A JACK server has one rate and one buffer size of its own: the dialog selects and keeps the server's
// rate, and a buffer size chosen while the stream runs goes back to the server's with a note.
TEST_F(PreferencesModelTest, JackTakesTheServersRateAndSaysTheBufferSizeIsTheServers) {
  vlm::AudioMidiSettings s;
  s.driverType = vlm::kDriverJack;
  s.audioOutputDevice = "system";
  s.sampleRate = 44100;
  vlm::PreferencesModel& m = Open(s);
  EXPECT_TRUE(audio->running);
  EXPECT_EQ(audio->lastRate, 48000u);
  EXPECT_EQ(m.Combo(PrefsCombo::kSampleRate).items, Texts({48000}));
  EXPECT_EQ(Selected(PrefsCombo::kSampleRate), 0);
  EXPECT_EQ(S().sampleRate, 48000);

  audio->serverBufferFrames = 256;
  m.Apply();
  EXPECT_EQ(S().bufferFrames, 256);
  m.SelectCombo(PrefsCombo::kBufferSize, 8); // 2048
  EXPECT_EQ(S().bufferFrames, 256);
  EXPECT_EQ(Selected(PrefsCombo::kBufferSize), 5);
  EXPECT_NE(Message().find("JACK server's: 256 frames"), std::string::npos);
  m.Ok();
  EXPECT_EQ(Stored().sampleRate, 48000);
  EXPECT_EQ(Stored().bufferFrames, 256);
}

TEST_F(PreferencesModelTest, CheckedInputsOpenAsMergedInputsStoredTabJoined) {
  vlm::PreferencesModel& m = Open();
  m.SetMidiInputChecked(0, true);
  m.SetMidiInputChecked(2, true);
  EXPECT_EQ(world.openInputs.count("Keys"), 1u);
  EXPECT_EQ(world.openInputs.count("Drums"), 1u);
  EXPECT_EQ(host->Midi().MergedInputs().size(), 2u);
  EXPECT_EQ(S().midiInput, "Keys\tDrums");
  EXPECT_EQ(Stored().midiInput, "Keys\tDrums") << "written at once";
  EXPECT_EQ(Message(), "");

  m.SetMidiInputChecked(0, false);
  m.SetMidiInputChecked(2, false);
  EXPECT_TRUE(world.openInputs.empty());
  EXPECT_EQ(Stored().midiInput, "off");
}

TEST_F(PreferencesModelTest, AnInputThatCannotBeOpenedIsUncheckedAndReported) {
  struct Case {
    const char* mks80Port;
    bool namesMks80;
  };
  for (const Case& c : {Case{"", false}, Case{"Pads", true}, Case{"Drums", false}}) {
    world.busyPorts = {"Pads"};
    mks80In = c.mks80Port;
    vlm::PreferencesModel& m = Open();
    m.SetMidiInputChecked(0, true);
    m.SetMidiInputChecked(1, true);
    EXPECT_EQ(m.MidiInputs().checked, (std::vector<bool>{true, false, false})) << c.mks80Port;
    EXPECT_EQ(Message(), "Velmora: " + vlm::MidiPortInUseMessage(c.namesMks80)) << c.mks80Port;
    EXPECT_EQ(Stored().midiInput, "Keys");
    EXPECT_EQ(Message(), "") << "shown once";
  }
  EXPECT_NE(vlm::MidiPortInUseMessage(true).find("in use by Velmora's MKS-80 connection"), std::string::npos);
  EXPECT_NE(vlm::MidiPortInUseMessage(false).find("already in use"), std::string::npos);
}

TEST_F(PreferencesModelTest, AnOutputThatCannotBeOpenedFallsBackToOff) {
  struct Case {
    const char* mks80Port;
    bool namesMks80;
  };
  for (const Case& c : {Case{"", false}, Case{"Module", true}}) {
    world.busyPorts = {"Module"};
    mks80Out = c.mks80Port;
    vlm::PreferencesModel& m = Open();
    m.SelectCombo(PrefsCombo::kMidiOutput, 1);
    EXPECT_EQ(world.openOutput, "Synth");
    EXPECT_EQ(Message(), "");
    m.SelectCombo(PrefsCombo::kMidiOutput, 2);
    EXPECT_EQ(Selected(PrefsCombo::kMidiOutput), 0);
    EXPECT_EQ(S().midiOutput, "off");
    EXPECT_EQ(world.openOutput, "");
    EXPECT_EQ(Message(), "Velmora: " + vlm::MidiPortInUseMessage(c.namesMks80)) << c.mks80Port;
  }
}

TEST_F(PreferencesModelTest, WithoutMidiClientsTheMidiControlsStayEmpty) {
  options.createMidiBackend = [] { return std::unique_ptr<vlm::IMidiBackend>(); };
  vlm::PreferencesModel& m = Open();
  EXPECT_TRUE(m.MidiInputs().items.empty());
  EXPECT_TRUE(m.Combo(PrefsCombo::kMidiOutput).items.empty());
  m.SetMidiInputChecked(0, true);
  m.SelectCombo(PrefsCombo::kMidiOutput, 0);
  EXPECT_EQ(S().midiInput, "off");
}

} // namespace
