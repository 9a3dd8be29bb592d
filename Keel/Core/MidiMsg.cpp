// Length of a MIDI message from its status byte.
#include "Keel/Core/MidiMsg.h"

namespace keel {

int MidiMsg::Length() const {
  if (status < 0x80)
    return 1;
  if (status < 0xF0)
    return (status & 0xE0) == 0xC0 ? 2 : 3; // program change and channel pressure carry one data byte
  switch (status) {
  case 0xF1:
  case 0xF3:
    return 2;
  case 0xF2:
    return 3;
  default:
    return 1;
  }
}

} // namespace keel
