// The MIDI client operations the program needs, so that device flows run against RtMidi or a fake.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vlm {

// Called on a MIDI back-end thread with one complete message.
using MidiInputCallback = void (*)(double timeStamp, const std::vector<uint8_t>& bytes, void* userData);

// Every operation may throw std::exception (the back end's own error type derives from it).
class IMidiInClient {
public:
  virtual ~IMidiInClient() = default;
  virtual unsigned PortCount() = 0;
  virtual std::string PortName(unsigned index) = 0;
  virtual void OpenPort(unsigned index, const std::string& portName) = 0;
  virtual void ClosePort() = 0;
  virtual void SetCallback(MidiInputCallback callback, void* userData) = 0;
  virtual void CancelCallback() = 0;
  virtual void IgnoreTypes(bool sysex, bool timing, bool activeSensing) = 0;
};

class IMidiOutClient {
public:
  virtual ~IMidiOutClient() = default;
  virtual unsigned PortCount() = 0;
  virtual std::string PortName(unsigned index) = 0;
  virtual void OpenPort(unsigned index, const std::string& portName) = 0;
  virtual void ClosePort() = 0;
  virtual bool IsPortOpen() = 0;
  virtual void Send(const uint8_t* bytes, size_t size) = 0;
};

class IMidiBackend {
public:
  virtual ~IMidiBackend() = default;
  virtual std::unique_ptr<IMidiInClient> CreateInput(const std::string& clientName, unsigned queueLimit) = 0;
  virtual std::unique_ptr<IMidiOutClient> CreateOutput(const std::string& clientName) = 0;
  // True when the clients live on the JACK server (and die with it).
  virtual bool UsesJack() const { return false; }
};

// RtMidi with the one API that every client of the process uses.
std::unique_ptr<IMidiBackend> CreateRtMidiBackend();

} // namespace vlm
