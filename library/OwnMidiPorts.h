// What every MIDI client of the program shares: its name, how its own ports are told from others', and
// how clients of a JACK server that went away are let go.
#pragma once

#include <memory>
#include <string>

namespace vlm {

// The client name of every MIDI client the program makes (device ports and the MKS-80 connection).
inline constexpr const char* kMidiClientName = "Velmora";

// True for a port of one of the program's own clients ("Velmora", or "Velmora-NN" as JACK renames a
// second client of that name): never offered, opened or stored, as that would loop MIDI back in.
bool IsOwnMidiPort(const std::string& portName);

// Closing a client of a dead JACK server crashes libjack once a client of a new server exists, so the
// client is let go without another call (a few bytes each).
template <typename Client> void AbandonMidiClient(std::unique_ptr<Client>& client) {
  (void)client.release();
}

} // namespace vlm
