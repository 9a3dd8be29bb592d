// A short MIDI message with its sample offset in the current block.
#pragma once

#include <cstdint>

namespace keel {

struct MidiMsg {
  int offset = 0;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;

  MidiMsg() = default;
  MidiMsg(int offsetFrames, uint8_t s, uint8_t d1 = 0, uint8_t d2 = 0)
      : offset(offsetFrames), status(s), data1(d1), data2(d2) {}

  int StatusType() const { return status >> 4; }
  int Channel() const { return status & 0x0F; }
  // Bytes the status implies (1 to 3); system-exclusive start counts as 1 here.
  int Length() const;
};

} // namespace keel
