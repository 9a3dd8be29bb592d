// Room algorithm: three input allpasses, twelve early-reflection taps and a short eight-line network.
#pragma once

#include "engine/fx/DelayLine.h"
#include "engine/fx/ReverbCore.h"

namespace vlm::dsp {

class RoomCore final : public ReverbCore {
public:
  static constexpr int kAllpasses = 3;
  static constexpr int kLines = 8;
  static constexpr int kEarlyTaps = 6; // per side
  static constexpr std::size_t kLength = 8192;

  RoomCore() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetDecay(double seconds) noexcept override;
  void SetDamping(double amount) noexcept override;
  void SetDiffusion(double amount) noexcept override;
  void Process(double input, double* left, double* right) noexcept override;

private:
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
  double mLfoPhase[kLines] = {};
  double mLfoIncrement[kLines] = {};
  double mDampCoef[kLines] = {};
  double mDampState[kLines] = {};
  double mT60 = 1.0; // already halved from the decay parameter
  double mGain = 0.5;
  double mDiffusion = 1.0;
};

} // namespace vlm::dsp
