// RtMidi behind the program's MIDI client interface.
#include "standalone/devices/MidiBackend.h"

#include "Keel/Platform/MidiApiChoice.h"

#include <rtmidi/RtMidi.h>

namespace vlm {
namespace {

class RtMidiInClient final : public IMidiInClient {
public:
  RtMidiInClient(const std::string& clientName, unsigned queueLimit)
      : mIn(keel::ChosenRtMidiApi(), clientName, queueLimit) {}

  unsigned PortCount() override { return mIn.getPortCount(); }
  std::string PortName(unsigned index) override { return mIn.getPortName(index); }
  void OpenPort(unsigned index, const std::string& portName) override { mIn.openPort(index, portName); }
  void ClosePort() override { mIn.closePort(); }
  void SetCallback(MidiInputCallback callback, void* userData) override {
    mCallback = callback;
    mUserData = userData;
    mIn.setCallback(&RtMidiInClient::Forward, this);
  }
  void CancelCallback() override { mIn.cancelCallback(); }
  void IgnoreTypes(bool sysex, bool timing, bool activeSensing) override {
    mIn.ignoreTypes(sysex, timing, activeSensing);
  }

private:
  static void Forward(double timeStamp, std::vector<unsigned char>* bytes, void* self) {
    auto* client = static_cast<RtMidiInClient*>(self);
    if (!bytes || !client->mCallback) return;
    try {
      client->mCallback(timeStamp, *bytes, client->mUserData);
    } catch (...) {
      // Nothing may unwind into the back end's thread.
    }
  }

  RtMidiIn mIn;
  MidiInputCallback mCallback = nullptr;
  void* mUserData = nullptr;
};

class RtMidiOutClient final : public IMidiOutClient {
public:
  explicit RtMidiOutClient(const std::string& clientName) : mOut(keel::ChosenRtMidiApi(), clientName) {}

  unsigned PortCount() override { return mOut.getPortCount(); }
  std::string PortName(unsigned index) override { return mOut.getPortName(index); }
  void OpenPort(unsigned index, const std::string& portName) override { mOut.openPort(index, portName); }
  void ClosePort() override { mOut.closePort(); }
  bool IsPortOpen() override { return mOut.isPortOpen(); }
  void Send(const uint8_t* bytes, size_t size) override { mOut.sendMessage(bytes, size); }

private:
  RtMidiOut mOut;
};

class RtMidiBackend final : public IMidiBackend {
public:
  std::unique_ptr<IMidiInClient> CreateInput(const std::string& clientName, unsigned queueLimit) override {
    return std::make_unique<RtMidiInClient>(clientName, queueLimit);
  }
  std::unique_ptr<IMidiOutClient> CreateOutput(const std::string& clientName) override {
    return std::make_unique<RtMidiOutClient>(clientName);
  }
  bool UsesJack() const override { return keel::ChosenRtMidiApi() == RtMidi::UNIX_JACK; }
};

} // namespace

std::unique_ptr<IMidiBackend> CreateRtMidiBackend() { return std::make_unique<RtMidiBackend>(); }

} // namespace vlm
