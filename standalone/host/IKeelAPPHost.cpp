// Host object: start-up step and ordered shutdown.
#include "standalone/host/IKeelAPPHost.h"

#include "library/MidiPortIo.h"
#include "standalone/devices/SettingsFile.h"

#include <stdexcept>

namespace vlm {
namespace {

// A MIDI back end that creates nothing, for hosts without I/O and when none was given.
class NoMidiBackend final : public IMidiBackend {
public:
  std::unique_ptr<IMidiInClient> CreateInput(const std::string&, unsigned) override {
    throw std::runtime_error("no MIDI back end");
  }
  std::unique_ptr<IMidiOutClient> CreateOutput(const std::string&) override {
    throw std::runtime_error("no MIDI back end");
  }
};

std::unique_ptr<IMidiBackend> MakeMidiBackend(const AppHostOptions& options) {
  if (options.createMidiBackend) {
    if (auto backend = options.createMidiBackend()) return backend;
  }
  return std::make_unique<NoMidiBackend>();
}

std::unique_ptr<keel::IKeelAPP> MakeProcessor(const AppHostOptions& options, keel::IKeelAPPHostLink* link) {
  if (!options.createProcessor) throw std::invalid_argument("no processor factory");
  std::unique_ptr<keel::IKeelAPP> processor = options.createProcessor(keel::InstanceInfo{link});
  if (!processor) throw std::runtime_error("the processor could not be created");
  return processor;
}

} // namespace

IKeelAPPHost::IKeelAPPHost(AppHostOptions options)
    : mOptions(std::move(options)), mProcessor(MakeProcessor(mOptions, this)),
      mSettingsPath(mOptions.settingsPath.empty() ? SettingsFilePath() : mOptions.settingsPath),
      mMidiBackend(MakeMidiBackend(mOptions)),
      mMidi(*mMidiBackend, mSettings, *this, [this] { WriteSettingsFile(); }),
      mAudio(mSettings, *this,
             AudioDeviceHooks{mOptions.createAudioApi, [this] { WriteSettingsFile(); }, mOptions.showError,
                              [this] {
                                if (!mMidiBackend->UsesJack())
                                  return;
                                mMidi.AbandonClients();
                                AbandonMidiPortClients(); // the MKS-80 connection lives on the same server
                              },
                              [this] {
                                if (!mMidiBackend->UsesJack())
                                  return;
                                mMidi.ReopenFromSettings();
                                ReopenMidiPorts();
                              }}) {}

IKeelAPPHost::~IKeelAPPHost() {
  mMidi.SetExiting();
  mAudio.CloseAudioStream();
  mMidi.Shutdown();
}

bool IKeelAPPHost::InitHost() {
  mProcessor->SetHost("standalone", mProcessor->GetPluginVersion(false));
  ReadSettingsFile(mSettingsPath, mSettings);
  mAudio.SetNoIO(NoIO());
  mAudio.CreateAudioApi();
  mAudio.ListAudioDevices();
  mMidi.InitMidi(NoIO());
  mMidi.ProbeMidiIO();
  mMidi.SelectMIDIDevice(MidiDevices::kIn, mSettings.midiInput);
  mMidi.SelectMIDIDevice(MidiDevices::kOut, mSettings.midiOutput);
  mProcessor->OnParamReset(keel::kReset);
  mProcessor->OnActivate(true);
  return true;
}

void IKeelAPPHost::WriteSettingsFile() { vlm::WriteSettingsFile(mSettingsPath, mSettings); }

void IKeelAPPHost::PrepareForStream(double sampleRate) {
  mProcessor->SetBlockSize(int(keel::DeviceBlockCutter::kBlockFrames));
  mProcessor->SetSampleRate(sampleRate);
  mProcessor->OnReset();
}

} // namespace vlm
