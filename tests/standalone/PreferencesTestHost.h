// A host object over fake devices for the Preferences tests: ALSA lists a duplex card and a
// four-channel output, JACK one duplex device, PulseAudio cannot start; settings.ini in a temporary folder.
#pragma once

#include "standalone/FakeDevices.h"
#include "standalone/host/IKeelAPPHost.h"
#include "standalone/preferences/PreferencesModel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>

namespace vlm::testing {

class StubAppProcessor : public keel::IKeelAPP {
public:
  explicit StubAppProcessor(const keel::InstanceInfo& info) : IKeelAPP(info, Config()) {}
  static keel::PluginConfig Config() {
    keel::PluginConfig c;
    c.paramCount = 1;
    return c;
  }
  void ProcessBlock(double**, double**, int) override {}
};

class PreferencesTestHost {
public:
  PreferencesTestHost() {
    folder = std::filesystem::temp_directory_path() /
             ("vlm-prefs-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    world.inPorts = {"Keys", "Pads", "Drums"};
    world.outPorts = {"Synth", "Module"};
    drivers[kDriverAlsa] = {{"hw: Card One", 2, 2, true, true}, {"Speakers", 0, 4, false, false}};
    driverRates[kDriverAlsa] = {{44100, 48000, 96000}, {48000, 96000, 192000}};
    drivers[kDriverJack] = {{"system", 2, 2, true, true}};
    driverRates[kDriverJack] = {{48000}};
    options.settingsPath = (folder / "settings.ini").string();
    options.createProcessor = [](const keel::InstanceInfo& info) {
      return std::make_unique<StubAppProcessor>(info);
    };
    options.createAudioApi = [this](int driver) -> std::unique_ptr<IAudioApi> {
      ++apisCreated;
      audio = nullptr;
      if (!drivers.count(driver))
        return nullptr;
      auto api = std::make_unique<FakeAudioApi>();
      api->devices = drivers[driver];
      api->rates = driverRates[driver];
      audio = api.get();
      return api;
    };
    options.createMidiBackend = [this] { return std::make_unique<FakeMidiBackend>(world); };
    options.showError = [this](const char* text, const char*) { errors.push_back(text); };
  }
  ~PreferencesTestHost() {
    model.reset();
    host.reset();
    std::filesystem::remove_all(folder);
  }

  // The program's start with these settings, then the dialog's opening.
  PreferencesModel& Open(const AudioMidiSettings& settings = {}) {
    model.reset();
    host = std::make_unique<IKeelAPPHost>(options);
    host->Settings() = settings;
    host->InitHost();
    host->StartAudioFromSettings();
    PreferencesServices services = HostPreferencesServices(*host);
    services.mks80InputPort = [this] { return mks80In; };
    services.mks80OutputPort = [this] { return mks80Out; };
    model = std::make_unique<PreferencesModel>(services);
    return *model;
  }

  std::filesystem::path folder;
  FakeMidiWorld world;
  std::map<int, std::vector<AudioDeviceInfo>> drivers;
  std::map<int, std::vector<std::vector<unsigned>>> driverRates;
  AppHostOptions options;
  FakeAudioApi* audio = nullptr;
  int apisCreated = 0;
  std::vector<std::string> errors;
  std::string mks80In, mks80Out;
  std::unique_ptr<IKeelAPPHost> host;
  std::unique_ptr<PreferencesModel> model;
};

} // namespace vlm::testing
