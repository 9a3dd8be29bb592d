// Conversion rules between MKS-80 data bytes and normalized values.
#include "library/Mks80Values.h"

#include <algorithm>
#include <cmath>

namespace vlm {

namespace {

// The integer part of y + 0.5, for y inside (0, 128).
int Near(double y) {
  return static_cast<int>(y + 0.5);
}

// Where x falls on a scale of steps + 1 points, with the ends and NaN fixed first.
int Steps(double x, int steps) {
  if (!(x > 0.0))
    return 0;
  if (x >= 1.0)
    return steps;
  return std::min(Near(steps * x), steps);
}

// The 12-semitone range step of an MKS-80 range byte (below 36 counts as the lowest).
int RangeStep(std::uint8_t byte) {
  const int c = byte < 36 ? 6 : byte - 30;
  return c / 12;
}

} // namespace

double DecodeMksValue(MksValueRule rule, std::uint8_t byte) {
  const int b = byte & 0x7F;
  switch (rule) {
  case MksValueRule::Percent:
    return std::min(b / 100.0, 1.0);
  case MksValueRule::FourStepInverted:
    return (3 - (b & 3)) / 3.0;
  case MksValueRule::ThreeStepInverted:
    return (b & 3) == 0 ? 1.0 : (b & 3) == 1 ? 0.5 : 0.0;
  case MksValueRule::SwitchInverted:
    return (b & 1) == 0 ? 1.0 : 0.0;
  case MksValueRule::LfoWave: {
    constexpr double kWave[4] = {1.0, 0.75, 0.25, 0.0};
    return kWave[b & 3];
  }
  case MksValueRule::SyncMode: {
    constexpr double kSync[4] = {1.0, 0.0, 0.5, 0.0};
    return kSync[b & 3];
  }
  case MksValueRule::Vco1Range:
    return std::min(RangeStep(static_cast<std::uint8_t>(b)), 4) / 4.0;
  case MksValueRule::Vco2Range: {
    if (b == 0)
      return 0.0;
    if (b >= 100)
      return 1.0;
    const int d = RangeStep(static_cast<std::uint8_t>(b));
    return d > 4 ? 5.0 / 6.0 : std::min(d + 1, 6) / 6.0;
  }
  case MksValueRule::SplitPoint:
    return b < 21 ? 0.0 : (std::min(b, 108) - 21) / 87.0;
  case MksValueRule::FiveStep:
    return std::min(b, 4) / 4.0;
  case MksValueRule::None:
    break;
  }
  return 0.0;
}

std::uint8_t EncodeMksValue(MksValueRule rule, double x) {
  const bool low = !(x > 0.0); // NaN too
  const bool high = !low && x >= 1.0;
  int byte = 0;
  switch (rule) {
  case MksValueRule::Percent:
    byte = low ? 0 : high ? 100 : Near(100.0 * x);
    break;
  case MksValueRule::FourStepInverted:
    byte = 3 - Steps(x, 3);
    break;
  case MksValueRule::ThreeStepInverted:
    byte = 2 - Steps(x, 2);
    break;
  case MksValueRule::SwitchInverted:
    byte = low || x < 0.5 ? 1 : 0;
    break;
  case MksValueRule::LfoWave: {
    constexpr int kWave[5] = {3, 2, 2, 1, 0};
    byte = kWave[Steps(x, 4)];
    break;
  }
  case MksValueRule::SyncMode: {
    constexpr int kSync[3] = {1, 2, 0};
    byte = kSync[Steps(x, 2)];
    break;
  }
  case MksValueRule::Vco1Range:
    byte = (Steps(x, 4) + 3) * 12;
    break;
  case MksValueRule::Vco2Range: {
    const int a = Steps(x, 6);
    byte = a == 0 ? 0 : a == 6 ? 100 : (a + 2) * 12;
    break;
  }
  case MksValueRule::SplitPoint:
    byte = low ? 21 : high ? 108 : static_cast<int>(87.0 * x + 21.5);
    break;
  case MksValueRule::FiveStep:
    byte = Steps(x, 4);
    break;
  case MksValueRule::None:
    break;
  }
  return static_cast<std::uint8_t>(byte & 0x7F);
}

} // namespace vlm
