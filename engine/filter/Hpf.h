// One-pole high-pass in front of the voice's ladder low-pass.
#pragma once

class Hpf {
public:
  void Prepare(double sampleRate) noexcept;
  void Reset() noexcept {
    mPrevIn = 0.0;
    mPrevOut = 0.0;
  }
  // Below 1 Hz becomes 1 Hz; above 0.49 x rate is held there.
  void SetCutoff(double hz) noexcept;
  double Process(double x) noexcept {
    const double y = mCoefficient * (mPrevOut + x - mPrevIn);
    mPrevIn = x;
    mPrevOut = y;
    return y;
  }

  double CutoffHz() const noexcept { return mCutoffHz; }
  double Coefficient() const noexcept { return mCoefficient; }

private:
  template <class L> friend class VoiceLanes; // runs the per-sample state of voices side by side

  void UpdateCoefficient() noexcept;

  double mSampleRate = 48000.0;
  double mCutoffHz = 20.0;
  double mCoefficient = 0.0;
  double mPrevIn = 0.0;
  double mPrevOut = 0.0;
};
