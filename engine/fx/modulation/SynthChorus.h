// Two modulated delays of the mono sum, voiced after two classic ensemble choruses ("60", "106").
#pragma once

#include "engine/fx/DelayLine.h"
#include "engine/fx/EffectBase.h"

namespace vlm::dsp {

class SynthChorus final : public EffectBase {
public:
  static constexpr std::size_t kLineLength = 4096;

  SynthChorus() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

  // Settings and derived values, for inspection.
  int Model() const noexcept { return mModel; }
  int Mode() const noexcept { return mMode; }
  double Width() const noexcept { return mWidth; }
  double Amount() const noexcept { return mAmount; }
  double BaseDelaySamples() const noexcept { return mBaseDelaySamples; }
  double Depth() const noexcept { return mDepth; }
  double Normaliser() const noexcept { return mNormaliser; }
  double LfoIncrement() const noexcept { return mLfoIncrement; }

private:
  void UpdateRow() noexcept;
  void ClearState() noexcept;

  double mSampleRate = kDefaultEffectRate;
  FixedDelayLine<kLineLength> mLines[2];
  double mInSmooth[2] = {0.0, 0.0};
  double mOutSmooth[2] = {0.0, 0.0};
  int mModel = 0; // 0 "60", 1 "106"
  int mMode = 0;  // 0 "I", 1 "II", 2 "I+II"
  double mWidth = 1.0;
  double mAmount = 1.0;
  // Values of the current model row.
  double mBaseDelaySamples = 345.6; // 0.0072 s at 48 kHz
  double mDepth = 0.16;
  double mWetGain = 0.86;
  double mDryGain = 0.92;
  double mInputGain = 1.18;
  double mWidthScale = 1.0;
  double mNormaliser = 1.0;
  double mLfoPhase = 0.0;
  double mLfoIncrement = 0.0;
  double mInCoef = 0.5;
  double mOutCoef = 0.5;
};

} // namespace vlm::dsp
