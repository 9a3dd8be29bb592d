// A timed note that the arpeggiator produces for the processor to play on the tone parts.
#pragma once

#include <cstdint>

namespace vlm::dsp {

struct NoteEvent {
  std::int32_t offset = 0;  // sample offset in the block
  std::uint8_t noteOn = 0;  // 1 note-on, 0 note-off
  std::uint8_t note = 0;    // 0..127
  std::uint8_t channel = 0; // 0..15
  double velocity = 0.0;    // 0..1; 0 for note-offs
};

// Size of the event array the processor hands to the arpeggiator once per block.
inline constexpr int kNoteEventCapacity = 256;

} // namespace vlm::dsp
