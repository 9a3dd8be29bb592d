// Stereo phaser: two chains of second-order allpass sections with filtered feedback.
#pragma once

#include "engine/fx/EffectBase.h"

namespace vlm::dsp {

class Phaser final : public EffectBase {
public:
  static constexpr int kMaxSections = 6;

  Phaser() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

private:
  // History of one second-order allpass section.
  struct Section {
    double x1 = 0.0;
    double x2 = 0.0;
    double y1 = 0.0;
    double y2 = 0.0;
  };

  double mSampleRate = kDefaultEffectRate;
  Section mChains[2][kMaxSections];
  double mLfoPhase[2] = {0.0, 0.0};
  double mLfoIncrement = 0.0;
  double mLastOut[2] = {0.0, 0.0};
  double mFeedbackHpCoef = 0.0;
  double mFeedbackLpCoef = 1.0;
  double mHpPrevIn[2] = {0.0, 0.0};
  double mHpPrevOut[2] = {0.0, 0.0};
  double mLowpass[2] = {0.0, 0.0};
  double mDepth = 0.5;
  double mFeedback = 0.0;
  int mSections = 2;
  double mCentreHz = 700.0;
  bool mStereo = false;
  double mMix = 0.0;
  double mSharpness = 0.5;
};

} // namespace vlm::dsp
