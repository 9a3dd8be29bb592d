// Sample ring that delays the inputs by the latency while the host bypasses the plug-in.
#pragma once

#include <vector>

namespace keel {

struct LatencyDelayLine {
  std::vector<double> samples; // latency x inputCount, frame-interleaved
  int inputCount = 0;
  int outputCount = 0;
  int position = 0;
  int length = 0; // the latency in samples

  LatencyDelayLine(int nInputs, int nOutputs) : inputCount(nInputs), outputCount(nOutputs) {}
  // Resizes to latency x inputCount samples, zeroes them and restarts at position 0.
  void Reset(int latency);
};

} // namespace keel
