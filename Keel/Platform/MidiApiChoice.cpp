// Chooses the MIDI back end once per process.
#include "Keel/Platform/MidiApiChoice.h"

#include <cstdlib>
#include <cstring>

namespace keel {
namespace {

bool AlsaSequencerOpens() {
  try {
    RtMidiOut probe(RtMidi::LINUX_ALSA, "Velmora probe");
    return probe.getCurrentApi() == RtMidi::LINUX_ALSA;
  } catch (...) {
    return false;
  }
}

RtMidi::Api Decide() {
  const char* forced = std::getenv("VELMORA_MIDI_API");
  if (forced && std::strcmp(forced, "alsa") == 0) return RtMidi::LINUX_ALSA;
  if (forced && std::strcmp(forced, "jack") == 0) return RtMidi::UNIX_JACK;
  return AlsaSequencerOpens() ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
}

} // namespace

RtMidi::Api ChosenRtMidiApi() {
  static const RtMidi::Api api = Decide();
  return api;
}

} // namespace keel
