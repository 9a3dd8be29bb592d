// Fake audio and MIDI back ends for the device-selection tests.
#pragma once

#include "standalone/devices/AudioBackend.h"
#include "standalone/devices/MidiBackend.h"

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace vlm::testing {

struct FakeMidiWorld {
  std::vector<std::string> inPorts, outPorts;
  std::map<std::string, int> openInputs; // port name -> open count
  std::string openOutput;
  std::vector<std::vector<uint8_t>> sent;
  int inputClients = 0;
  bool failOutputOpen = false;
  std::vector<std::string> busyPorts; // ports held by someone else: opening them fails
  bool IsBusy(const std::string& name) const {
    for (const auto& b : busyPorts)
      if (b == name) return true;
    return false;
  }
};

class FakeMidiIn final : public IMidiInClient {
public:
  explicit FakeMidiIn(FakeMidiWorld& w) : mWorld(w) { ++mWorld.inputClients; }
  ~FakeMidiIn() override {
    ClosePort();
    --mWorld.inputClients;
  }
  unsigned PortCount() override { return unsigned(mWorld.inPorts.size()); }
  std::string PortName(unsigned i) override { return mWorld.inPorts.at(i); }
  void OpenPort(unsigned i, const std::string&) override {
    if (mWorld.IsBusy(mWorld.inPorts.at(i))) throw std::runtime_error("port busy");
    mOpen = mWorld.inPorts.at(i);
    ++mWorld.openInputs[mOpen];
  }
  void ClosePort() override {
    if (mOpen.empty()) return;
    if (--mWorld.openInputs[mOpen] == 0) mWorld.openInputs.erase(mOpen);
    mOpen.clear();
  }
  void SetCallback(MidiInputCallback cb, void* user) override {
    callback = cb;
    userData = user;
  }
  void CancelCallback() override { callback = nullptr; }
  void IgnoreTypes(bool s, bool t, bool a) override { ignored = {s, t, a}; }

  MidiInputCallback callback = nullptr;
  void* userData = nullptr;
  std::vector<bool> ignored;

private:
  FakeMidiWorld& mWorld;
  std::string mOpen;
};

class FakeMidiOut final : public IMidiOutClient {
public:
  explicit FakeMidiOut(FakeMidiWorld& w) : mWorld(w) {}
  unsigned PortCount() override { return unsigned(mWorld.outPorts.size()); }
  std::string PortName(unsigned i) override { return mWorld.outPorts.at(i); }
  void OpenPort(unsigned i, const std::string&) override {
    if (mWorld.failOutputOpen || mWorld.IsBusy(mWorld.outPorts.at(i))) throw std::runtime_error("port busy");
    mWorld.openOutput = mWorld.outPorts.at(i);
  }
  void ClosePort() override { mWorld.openOutput.clear(); }
  bool IsPortOpen() override { return !mWorld.openOutput.empty(); }
  void Send(const uint8_t* b, size_t n) override { mWorld.sent.emplace_back(b, b + n); }

private:
  FakeMidiWorld& mWorld;
};

class FakeMidiBackend final : public IMidiBackend {
public:
  explicit FakeMidiBackend(FakeMidiWorld& w) : mWorld(w) {}
  std::unique_ptr<IMidiInClient> CreateInput(const std::string&, unsigned) override {
    auto in = std::make_unique<FakeMidiIn>(mWorld);
    lastInput = in.get();
    return in;
  }
  std::unique_ptr<IMidiOutClient> CreateOutput(const std::string&) override {
    return std::make_unique<FakeMidiOut>(mWorld);
  }
  FakeMidiIn* lastInput = nullptr;

private:
  FakeMidiWorld& mWorld;
};

// An audio API whose devices are a list; the stream runs only when the test calls Pump.
class FakeAudioApi final : public IAudioApi {
public:
  std::vector<AudioDeviceInfo> devices;
  std::vector<std::vector<unsigned>> rates; // per device id; devices past its end support 44100 and 48000
  bool open = false, running = false, failOpen = false, callbackStalls = false;
  AudioStreamParams lastOutput;
  bool lastHadInput = false;
  unsigned lastRate = 0;
  unsigned lastBufferFrames = 0;
  unsigned serverBufferFrames = 0; // not 0: the stream runs at this size whatever is asked (as JACK does)
  AudioStreamCallback callback = nullptr;
  void* user = nullptr;
  int aborts = 0;

  std::vector<unsigned> DeviceIds() override {
    std::vector<unsigned> ids;
    for (unsigned i = 0; i < devices.size(); ++i) ids.push_back(i);
    return ids;
  }
  bool GetDeviceInfo(unsigned id, AudioDeviceInfo& info) override {
    if (id >= devices.size()) return false;
    info = devices[id];
    return true;
  }
  std::vector<unsigned> SampleRates(unsigned id) override {
    if (id < rates.size()) return rates[id];
    return id < devices.size() ? std::vector<unsigned>{44100, 48000} : std::vector<unsigned>{};
  }
  bool OpenStream(const AudioStreamParams& out, const AudioStreamParams* in, unsigned rate, unsigned& frames,
                  AudioStreamCallback cb, void* u) override {
    if (failOpen) return false;
    lastBufferFrames = frames;
    if (serverBufferFrames)
      frames = serverBufferFrames;
    lastOutput = out;
    lastHadInput = in != nullptr;
    lastRate = rate;
    callback = cb;
    user = u;
    open = true;
    return true;
  }
  bool StartStream() override { return running = open; }
  void AbortStream() override {
    ++aborts;
    running = false;
  }
  void CloseStream() override { open = running = false; }
  bool IsStreamOpen() override { return open; }
  bool IsStreamRunning() override { return running; }
};

} // namespace vlm::testing
