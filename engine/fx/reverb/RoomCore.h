// Room algorithm: three input allpasses, twelve early-reflection taps and a short eight-line network.
#pragma once

#include "engine/fx/DelayLine.h"
#include "engine/fx/ReverbCore.h"
#include "engine/fx/reverb/ReverbMath.h"

namespace vlm::dsp {

class RoomCore final : public ReverbCore {
public:
  static constexpr int kAllpasses = 3;
  static constexpr int kLines = 8;
  static constexpr int kEarlyTaps = 6; // per side
  static constexpr std::size_t kLength = 8192;

  // Construction derives lengths and coefficients for 48000 Hz, so the core sounds before Prepare.
  RoomCore() noexcept;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetDecay(double seconds) noexcept override;
  void SetDamping(double amount) noexcept override;
  void SetDiffusion(double amount) noexcept override;
  void Process(double input, double* left, double* right) noexcept override;

  // Derived values, for inspection.
  double Gain() const noexcept { return mGain; }
  int LineLength(int k) const noexcept { return mLineLength[k]; }
  int EarlyTapLeft(int k) const noexcept { return mEarlyTapLeft[k]; }
  double AllpassCoef(int k) const noexcept { return mAllpassCoef[k]; }
  double DampCoef(int k) const noexcept { return mDampCoef[k]; }

private:
  void Configure(double sampleRate) noexcept;
  void UpdateDamping() noexcept;
  void UpdateGain() noexcept;

  double mSampleRate = 48000.0;
  FixedDelayLine<kLength> mAllpass[kAllpasses];
  int mAllpassLength[kAllpasses] = {0, 0, 0};
  double mAllpassCoef[kAllpasses] = {0.5, 0.5, 0.625};
  FixedDelayLine<kLength> mEarly;
  int mEarlyTapLeft[kEarlyTaps] = {};
  int mEarlyTapRight[kEarlyTaps] = {};
  double mEarlyLpCoef = 0.0;
  double mEarlyLpState[2] = {0.0, 0.0};
  FixedDelayLine<kLength> mLine[kLines];
  int mLineLength[kLines] = {};
  reverb::SineLfo mLfo[kLines];
  double mDampCoef[kLines] = {};
  double mDampState[kLines] = {};
  double mT60 = 1.0; // already halved from the decay parameter
  double mGain = 0.5;
  double mDiffusion = 1.0;
  double mDamping = 0.5; // kept so a new rate re-derives the damping coefficients
};

} // namespace vlm::dsp
