// Another program on the test's JACK server: a client with one MIDI output and one MIDI input, so that
// device lists have ports that are not the program's own to show beside those that are.
#pragma once

#include <jack/jack.h>

#include <string>
#include <vector>

namespace jacktest {

// Every MIDI port on the server, as JACK names them ("client:port").
inline std::vector<std::string> MidiPorts(jack_client_t* client) {
  std::vector<std::string> names;
  if (const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, 0)) {
    for (const char** p = ports; *p; ++p)
      names.emplace_back(*p);
    jack_free(ports);
  }
  return names;
}

class MidiPeer {
public:
  // Opens without starting a server; Active() tells whether a server answered.
  MidiPeer(const char* clientName, const char* outputPort, const char* inputPort)
      : mClient(jack_client_open(clientName, JackNoStartServer, nullptr)) {
    if (!mClient)
      return;
    jack_port_register(mClient, outputPort, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_port_register(mClient, inputPort, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    mActive = jack_activate(mClient) == 0;
    mOutput = std::string(jack_get_client_name(mClient)) + ":" + outputPort;
    mInput = std::string(jack_get_client_name(mClient)) + ":" + inputPort;
  }
  ~MidiPeer() {
    if (!mClient)
      return;
    jack_deactivate(mClient);
    jack_client_close(mClient);
  }
  MidiPeer(const MidiPeer&) = delete;
  MidiPeer& operator=(const MidiPeer&) = delete;

  bool Opened() const { return mClient != nullptr; }
  bool Active() const { return mActive; }
  jack_client_t* Client() const { return mClient; }
  const std::string& Output() const { return mOutput; } // a source the program may read from
  const std::string& Input() const { return mInput; }   // a destination the program may send to

private:
  jack_client_t* mClient;
  bool mActive = false;
  std::string mOutput, mInput;
};

} // namespace jacktest
