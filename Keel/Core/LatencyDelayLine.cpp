// Resizing and clearing of the bypass delay line.
#include "Keel/Core/LatencyDelayLine.h"

#include <algorithm>

namespace keel {

void LatencyDelayLine::Reset(int latency) {
  length = std::max(latency, 0);
  samples.assign(static_cast<size_t>(length) * static_cast<size_t>(std::max(inputCount, 0)), 0.0);
  position = 0;
}

} // namespace keel
