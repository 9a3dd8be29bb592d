// The one RtMidi back end that every MIDI client of the process uses.
#pragma once

#include <rtmidi/RtMidi.h>

namespace keel {

// ALSA when its sequencer opens, else JACK; VELMORA_MIDI_API=alsa|jack forces one. Decided once
// per process (thread-safe), so that all clients of the program see the same ports.
RtMidi::Api ChosenRtMidiApi();

} // namespace keel
