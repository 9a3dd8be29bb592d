// Per-channel state of the processor: connection, its slot in the sample-pointer array, scratch buffer.
#pragma once

#include "Keel/Core/HeapBuffer.h"

namespace keel {

struct ChannelRecord {
  bool connected = false;
  double** slot = nullptr;               // this channel's entry in its direction's sample-pointer array
  float* hostBuffer = nullptr;           // the host's float output buffer (float path only)
  TypedHeapBuffer<double> scratch{4096}; // one block of samples
};

} // namespace keel
