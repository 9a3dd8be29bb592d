// Cubic-interpolated stereo flanger with an optional through-zero reference.
#pragma once

#include "engine/fx/DelayLine.h"
#include "engine/fx/EffectBase.h"

namespace vlm::dsp {

class Flanger final : public EffectBase {
public:
  static constexpr std::size_t kLineLength = 16384;

  Flanger() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

private:
  double mSampleRate = kDefaultEffectRate;
  // Both lines advance together, so they share one write position.
  FixedDelayLine<kLineLength> mLines[2];
  double mLastRead[2] = {0.0, 0.0};
  double mFeedbackHpCoef = 0.0;
  double mFeedbackLpCoef = 1.0;
  double mHpPrevIn[2] = {0.0, 0.0};
  double mHpPrevOut[2] = {0.0, 0.0};
  double mLowpass[2] = {0.0, 0.0};
  double mLfoPhase[2] = {0.0, 0.0};
  double mLfoIncrement = 0.0;
  double mManualMs = 2.0;
  double mManualSamples = 96.0;
  double mDepth = 0.0; // octaves of delay swing
  double mFeedback = 0.0;
  bool mStereo = false;
  double mMix = 0.0;
  double mColour = 1.0; // +1 "Normal", -1 "Inv"
  bool mThroughZero = false;
};

} // namespace vlm::dsp
