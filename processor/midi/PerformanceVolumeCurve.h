// Controller 7 (performance volume) position to output gain, as the hardware's volume response.
#pragma once

namespace vlm {

// controllerValue is 0..127 (fractions allowed); the gain is held within 0..1, and 1 beyond the last point.
double PerformanceVolumeGain(double controllerValue) noexcept;

} // namespace vlm
