// The queued, self-contained form of a system-exclusive message (up to 512 bytes).
#pragma once

#include "Keel/Core/SysExMsg.h"

#include <cstdint>
#include <cstring>

namespace keel {

struct SysExRecord {
  static constexpr int kMaxBytes = 512;

  int offset = 0;
  int size = 0;
  uint8_t data[kMaxBytes] = {};

  SysExRecord() = default;
  // Copies the message; false (record left empty) when it is larger than a record holds.
  bool Assign(int offsetFrames, const uint8_t* bytes, int sizeBytes) noexcept {
    if (sizeBytes < 0 || sizeBytes > kMaxBytes || (sizeBytes > 0 && !bytes)) {
      offset = 0;
      size = 0;
      return false;
    }
    offset = offsetFrames;
    size = sizeBytes;
    if (sizeBytes > 0) std::memcpy(data, bytes, size_t(sizeBytes));
    return true;
  }
  bool Assign(const SysExMsg& msg) noexcept { return Assign(msg.offset, msg.data, msg.size); }
  SysExMsg AsMsg() const noexcept { return SysExMsg(offset, data, size); }
};

static_assert(sizeof(SysExRecord) == 520);

} // namespace keel
