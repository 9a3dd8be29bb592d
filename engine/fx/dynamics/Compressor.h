// Feed-forward stereo-linked compressor with four characters ("Clean", "Opto", "FET", "Vari-Mu").
#pragma once

#include "engine/fx/EffectBase.h"

namespace vlm::dsp {

class Compressor final : public EffectBase {
public:
  // Construction derives the time coefficients for 48000 Hz, so the effect works before Prepare.
  Compressor() noexcept;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

  // Settings and running state, for inspection.
  double ThresholdDb() const noexcept { return mThresholdDb; }
  double Ratio() const noexcept { return mRatio; }
  double KneeDb() const noexcept { return mKneeDb; }
  int Mode() const noexcept { return mMode; }
  double AttackMs() const noexcept { return mAttackMs; }
  double ReleaseMs() const noexcept { return mReleaseMs; }
  double AttackCoef() const noexcept { return mAttackCoef; }
  double ReleaseCoef() const noexcept { return mReleaseCoef; }
  double MakeUpDb() const noexcept;
  double ReductionDb() const noexcept { return mReductionDb; }
  double Mix() const noexcept { return mMix; }

private:
  void UpdateTimeCoefs() noexcept;
  // The attack and release coefficients and the "Opto" memory ones, for the rate.
  void UpdateRateCoefs() noexcept;

  double mSampleRate = kDefaultEffectRate;
  double mThresholdDb = -12.0;
  double mRatio = 4.0;
  double mSlope = 0.75; // 1 - 1/ratio
  double mKneeDb = 6.0;
  int mMode = 0; // 0 "Clean", 1 "Opto", 2 "FET", 3 "Vari-Mu"
  double mAttackMs = 10.0;
  double mReleaseMs = 100.0;
  double mAttackCoef = 0.0;
  double mReleaseCoef = 0.0;
  double mRelease5Coef = 0.0;
  double mRelease15Coef = 0.0;
  double mMemory1sCoef = 0.0;
  double mMemory3sCoef = 0.0;
  double mReductionDb = 0.0;
  double mSlowReductionDb = 0.0;
  double mOptoMemory = 0.0;
  double mMix = 1.0;
};

} // namespace vlm::dsp
