// The dedicated MKS-80 MIDI input and output pair: port search by name, open, close, poll and send.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "library/OwnMidiPorts.h"

namespace vlm {

// The few MIDI client calls the port pair makes, so that it runs against RtMidi or a test fake.
// Every call may throw (RtMidi's error type derives from std::exception; a fake may throw anything).
class IMidiPortClient {
public:
  virtual ~IMidiPortClient() = default;
  virtual unsigned PortCount() = 0;
  virtual std::string PortName(unsigned index) = 0;
  virtual void OpenPort(unsigned index, const std::string& portName) = 0;
  virtual void ClosePort() = 0;
  virtual bool IsPortOpen() = 0;
};

class IMidiPortInClient : public IMidiPortClient {
public:
  // The next queued message into bytes (cleared first); empty when none is waiting.
  virtual void GetMessage(std::vector<std::uint8_t>& bytes) = 0;
};

class IMidiPortOutClient : public IMidiPortClient {
public:
  virtual void SendMessage(const std::uint8_t* bytes, std::size_t size) = 0;
};

// Creates the two clients; either call may throw, which leaves that side absent.
class IMidiPortBackend {
public:
  virtual ~IMidiPortBackend() = default;
  virtual std::unique_ptr<IMidiPortInClient> CreateInput() = 0;
  virtual std::unique_ptr<IMidiPortOutClient> CreateOutput() = 0;
};

// RtMidi with the process's one API: input with client name kMidiClientName, a queue of 100 messages, sysex
// passed, timing and active sensing ignored; output with the same client name.
std::unique_ptr<IMidiPortBackend> CreateRtMidiPortBackend();

// The back end that MidiPortIo() uses from now on; tests put a fake here before they make a processor
// (it must outlive the port pairs made with it). nullptr returns to RtMidi.
void SetDefaultMidiPortBackend(IMidiPortBackend* backend);

// One per processor object. UI thread only (constructor and destructor on the thread that makes and
// destroys the processor). RtMidi's own thread fills the input queue; nothing here installs a callback,
// and no exception leaves an operation.
class MidiPortIo {
public:
  MidiPortIo(); // the default back end: RtMidi unless a test chose another
  explicit MidiPortIo(IMidiPortBackend& backend);
  ~MidiPortIo(); // CloseIn, CloseOut, then both clients go
  MidiPortIo(const MidiPortIo&) = delete;
  MidiPortIo& operator=(const MidiPortIo&) = delete;

  bool IsInOpen();
  bool IsOutOpen();
  // The JACK server of the clients went away: they are let go unclosed (see AbandonMidiClient) and the
  // names of the open ports kept for ReopenClients.
  void AbandonClients();
  // New clients from the back end, and the ports open before AbandonClients opened again by name.
  void ReopenClients();

  // Every port's name in the order the back end reports them, the program's own left out; empty when the
  // side is absent or fails.
  std::vector<std::string> ListInputs();
  std::vector<std::string> ListOutputs();
  // Opens the port of that name (exact, else a unique base-name match; never one of the program's own);
  // an empty name closes the side.
  // Reselecting the open port changes nothing and answers true.
  bool OpenIn(const std::string& name);
  bool OpenOut(const std::string& name);
  void CloseIn();
  void CloseOut();
  // Empties bytes, then fetches the next queued input message; true when one came.
  bool PollIn(std::vector<std::uint8_t>& bytes);
  // Sends the bytes as one message on the open output; false when closed, empty or failing.
  bool Send(const std::uint8_t* data, std::size_t length);

  // Names of the open ports, empty when closed.
  const std::string& InName() const { return mInName; }
  const std::string& OutName() const { return mOutName; }

  // Index of the port called name, else of the one port sharing its base name; -1 otherwise, and for the
  // program's own ports.
  static int FindPort(IMidiPortClient& client, const std::string& name);

private:
  void CreateClients(IMidiPortBackend& backend);
  bool Open(bool input, const std::string& name);
  void Close(bool input);

  std::unique_ptr<IMidiPortBackend> mOwnedBackend; // the RtMidi one, when no other was given
  IMidiPortBackend* mBackend = nullptr;
  std::unique_ptr<IMidiPortInClient> mInput;
  std::unique_ptr<IMidiPortOutClient> mOutput;
  std::string mInName;
  std::string mOutName;
  std::string mReopenInName; // kept between AbandonClients and ReopenClients
  std::string mReopenOutName;
  bool mSendErrorLogged = false;
  bool mPollErrorLogged = false;
};

// Every MidiPortIo of the process lets its clients go, or reopens them and their ports: the program calls
// these when its JACK server goes away and when it is back. UI thread.
void AbandonMidiPortClients();
void ReopenMidiPorts();

// The name without the client number the system gives it (ALSA's trailing " 24:0", a2j's " [24]"), else
// without a trailing space and decimal number ("Port 2" -> "Port"); else the name itself.
std::string BasePortName(const std::string& name);

} // namespace vlm

// The process-wide names of the open dedicated ports (the last MidiPortIo that opened or closed one);
// the program's Preferences dialog reads them. UI thread.
std::string GetDirectMidiInPortName();
std::string GetDirectMidiOutPortName();
