// Tempo and transport information handed to the processor before each block (audio thread only).
#pragma once

namespace keel {

struct TimeInfo {
  double tempo = 120.0;
  double samplePos = -1.0;
  double ppqPos = -1.0;
  double lastBar = -1.0;
  double cycleStart = -1.0;
  double cycleEnd = -1.0;
  int numerator = 4;
  int denominator = 4;
  bool transportIsRunning = false;
  bool transportLoopEnabled = false;
};

} // namespace keel
