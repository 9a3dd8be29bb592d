// Companded stereo chorus with the dry signal always present.
#pragma once

#include "engine/fx/DelayLine.h"
#include "engine/fx/EffectBase.h"

namespace vlm::dsp {

class StudioChorus final : public EffectBase {
public:
  static constexpr std::size_t kLineLength = 4096;

  StudioChorus();
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

  // Settings and derived values, for inspection.
  int Mode() const noexcept { return mMode; }
  double Width() const noexcept { return mWidth; }
  double BaseDelaySamples() const noexcept { return mBaseDelaySamples; }
  double DepthSamples() const noexcept { return mDepthSamples; }
  double WetGain() const noexcept { return mWetGain; }
  double LfoIncrement() const noexcept { return mLfoIncrement; }

private:
  void UpdateMode() noexcept;
  void ClearState() noexcept;

  // One companded line: its ring, filters, smoother and envelope follower.
  struct Line {
    FixedDelayLine<kLineLength> ring;
    double hpPrevIn = 0.0;
    double hpPrevOut = 0.0;
    double lowpass = 0.0;
    double outSmooth = 0.0;
    double envelope = 0.0;
  };

  double ProcessLine(Line& line, double x, double delay) noexcept;

  double mSampleRate = kDefaultEffectRate;
  Line mLines[2];
  double mBaseDelaySamples = 360.0; // 7.5 ms at 48 kHz
  double mDepthSamples = 96.0;      // 2 ms at 48 kHz
  double mLfoIncrement = 0.0;
  double mLfoPhase = 0.0;
  int mMode = 0;                 // 0..3, the editor's "1".."4"
  double mWetGain = 0.316227766; // -10 dB
  double mWidth = 1.0;
  double mHighpassCoef = 0.99;
  double mLowpassCoef = 0.5;
  double mAttackCoef = 0.0;
  double mReleaseCoef = 0.0;
};

} // namespace vlm::dsp
