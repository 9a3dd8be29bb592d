// The dedicated port pair's clients on RtMidi, with the one MIDI API of the process.
#include "library/MidiPortIo.h"

#include <rtmidi/RtMidi.h>

#include "Keel/Platform/MidiApiChoice.h"

namespace vlm {
namespace {

constexpr const char* kClientName = kMidiClientName;
// Messages wait in RtMidi's queue between idle ticks; the MKS-80 never sends faster than this drains.
constexpr unsigned kInputQueueLimit = 100;

class RtMidiPortIn final : public IMidiPortInClient {
public:
  RtMidiPortIn() : mMidi(keel::ChosenRtMidiApi(), kClientName, kInputQueueLimit) {
    mMidi.ignoreTypes(false, true, true); // sysex passed, timing and active sensing dropped
  }
  unsigned PortCount() override { return mMidi.getPortCount(); }
  std::string PortName(unsigned index) override { return mMidi.getPortName(index); }
  void OpenPort(unsigned index, const std::string& portName) override { mMidi.openPort(index, portName); }
  void ClosePort() override { mMidi.closePort(); }
  bool IsPortOpen() override { return mMidi.isPortOpen(); }
  void GetMessage(std::vector<std::uint8_t>& bytes) override {
    bytes.clear();
    mMidi.getMessage(&bytes);
  }

private:
  RtMidiIn mMidi;
};

class RtMidiPortOut final : public IMidiPortOutClient {
public:
  RtMidiPortOut() : mMidi(keel::ChosenRtMidiApi(), kClientName) {}
  unsigned PortCount() override { return mMidi.getPortCount(); }
  std::string PortName(unsigned index) override { return mMidi.getPortName(index); }
  void OpenPort(unsigned index, const std::string& portName) override { mMidi.openPort(index, portName); }
  void ClosePort() override { mMidi.closePort(); }
  bool IsPortOpen() override { return mMidi.isPortOpen(); }
  void SendMessage(const std::uint8_t* bytes, std::size_t size) override { mMidi.sendMessage(bytes, size); }

private:
  RtMidiOut mMidi;
};

class RtMidiPortBackend final : public IMidiPortBackend {
public:
  std::unique_ptr<IMidiPortInClient> CreateInput() override { return std::make_unique<RtMidiPortIn>(); }
  std::unique_ptr<IMidiPortOutClient> CreateOutput() override { return std::make_unique<RtMidiPortOut>(); }
};

} // namespace

std::unique_ptr<IMidiPortBackend> CreateRtMidiPortBackend() {
  return std::make_unique<RtMidiPortBackend>();
}

} // namespace vlm
