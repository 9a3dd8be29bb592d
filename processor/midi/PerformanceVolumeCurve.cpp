// The 19-point controller 7 curve: a linear scan, cheap enough for the audio thread.
#include "processor/midi/PerformanceVolumeCurve.h"

#include <algorithm>
#include <array>

namespace vlm {
namespace {

constexpr std::array<double, 19> kControllerValue = {0,  5,  10,  20,  30,  40,  50,  60,  70, 80,
                                                     90, 95, 100, 105, 110, 115, 120, 125, 127};
// Flat between 105 and 110, as measured.
constexpr std::array<double, 19> kGain = {
    0.002039, 0.003852, 0.011373, 0.034703, 0.086487, 0.143969, 0.216561, 0.294219, 0.36057, 0.489801,
    0.600745, 0.664997, 0.736326, 0.815277, 0.815277, 0.903358, 1.0,      1.0,      1.0};

} // namespace

double PerformanceVolumeGain(double controllerValue) noexcept {
  for (std::size_t k = 1; k < kControllerValue.size(); ++k) {
    if (kControllerValue[k] < controllerValue)
      continue;
    const double t =
        (controllerValue - kControllerValue[k - 1]) / (kControllerValue[k] - kControllerValue[k - 1]);
    return std::clamp(kGain[k - 1] + (kGain[k] - kGain[k - 1]) * t, 0.0, 1.0);
  }
  return 1.0;
}

} // namespace vlm
