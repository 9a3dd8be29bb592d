// Band-limiting correction kernels for steps (PolyBLEP) and slope changes (PolyBLAMP).
#pragma once

// Step correction at phase t for an increment magnitude dt (0 when dt <= 0).
inline double PolyBlep(double t, double dt) noexcept {
  if (dt <= 0.0)
    return 0.0;
  if (t < dt) {
    const double u = t / dt;
    return 2.0 * u - u * u - 1.0;
  }
  if (t > 1.0 - dt) {
    const double u = (t - 1.0) / dt;
    return u * u + 2.0 * u + 1.0;
  }
  return 0.0;
}

// Slope-change correction at u = distance to the corner in increments (-1..1).
inline double PolyBlamp(double u) noexcept {
  if (u < -1.0 || u >= 1.0)
    return 0.0;
  if (u < 0.0) {
    const double v = u + 1.0;
    return v * v * v / 12.0;
  }
  const double v = 1.0 - u;
  return v * v * v / 12.0;
}
