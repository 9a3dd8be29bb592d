// What the host hands the real-time procedure: one context per instance, one pointer per context
// field, and the MIDI nodes with their packets.
#pragma once

#include "Keel/Core/HMX/IKeelHMX_Describe.h"

#include <cstdint>

namespace keel {

// A MIDI packet as the host's MIDI nodes exchange it: up to 4 bytes at a sample offset in the block.
struct HMX_MIDIPacket {
  uint32_t timestamp = 0;
  uint32_t length = 0;
  uint8_t data[4] = {};
  bool immediate = false;
};

// A MIDI node in a context field: the block's incoming packets, and the host's entry that takes an
// outgoing one. The entry is called on the real-time thread and must not block.
struct HMX_MIDINode {
  const HMX_MIDIPacket* buffer = nullptr;
  int32_t bufferCount = 0;
  void* hostData = nullptr;
  HMX_Result (*post)(void* hostData, const HMX_MIDIPacket& packet) = nullptr;

  HMX_Result Post(const HMX_MIDIPacket& packet) const {
    return post ? post(hostData, packet) : HMX_ERROR_NULL_OBJECT;
  }
};

inline constexpr int kHMXContextFieldCount = 27;

// One instance's context. Field contents by index: 0 float** inputs, 1 float** outputs, 2 int32_t*
// block length, 4 and 5 HMX_MIDINode*, 7 the host's HMX_IHCFTransport*, 23 the 8-byte private data
// block (filled by InitFieldData), 25 int64_t* posted state number, 26 int32_t* side-chain index.
// The process procedure receives [first, end) of an array of context pointers.
struct HMX_InstanceContext {
  void* fields[kHMXContextFieldCount] = {};
};

// The 8-byte private data block: the address of the instance's parameters object.
struct HMX_SIKeelPrivateData {
  void* instance;
};
static_assert(sizeof(HMX_SIKeelPrivateData) == 8);

} // namespace keel
