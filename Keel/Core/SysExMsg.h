// A system-exclusive message seen in place: sample offset, size and bytes (not owned).
#pragma once

#include <cstdint>

namespace keel {

struct SysExMsg {
  int offset = 0;
  int size = 0;
  const uint8_t* data = nullptr;

  SysExMsg() = default;
  SysExMsg(int offsetFrames, const uint8_t* bytes, int sizeBytes)
      : offset(offsetFrames), size(sizeBytes), data(bytes) {}
};

} // namespace keel
