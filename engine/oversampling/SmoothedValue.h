// One-pole parameter smoother that glides a value toward its target and lands on it exactly.
#pragma once

#include <cmath>

// The owner sets the target; Next() runs one step per sample. Audio thread only.
class SmoothedValue {
public:
  // Coefficient for a time constant of timeMs at the given rate; 1 (no smoothing) without a valid rate.
  static double CoefficientFor(double timeMs, double sampleRate) noexcept {
    if (!(sampleRate > 0.0))
      return 1.0;
    return 1.0 - std::exp(-1.0 / (sampleRate * timeMs / 1000.0));
  }

  void SetTimeConstant(double timeMs, double sampleRate) noexcept {
    mCoefficient = CoefficientFor(timeMs, sampleRate);
  }
  void SetCoefficient(double coefficient) noexcept { mCoefficient = coefficient; }
  void SetTarget(double target) noexcept { mTarget = target; }
  void SetCurrent(double current) noexcept { mCurrent = current; }
  void SnapToTarget() noexcept { mCurrent = mTarget; }
  // Both ends at once, so the value starts settled.
  void SnapTo(double value) noexcept { mCurrent = mTarget = value; }

  double Current() const noexcept { return mCurrent; }
  double Target() const noexcept { return mTarget; }
  double Coefficient() const noexcept { return mCoefficient; }

  double Next() noexcept {
    if (mCurrent == mTarget)
      return mCurrent;
    mCurrent += (mTarget - mCurrent) * mCoefficient;
    // Snap once the remaining distance is negligible, so a settled value compares equal to its target
    // and callers can cache on it.
    if (std::fabs(mTarget - mCurrent) <= 1e-9 * (std::fabs(mTarget) + 1.0))
      mCurrent = mTarget;
    return mCurrent;
  }

private:
  double mCurrent = 0.0;
  double mTarget = 0.0;
  double mCoefficient = 1.0;
};
