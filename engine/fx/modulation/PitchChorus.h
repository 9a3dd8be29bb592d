// Two pitch-shifting voices (crossfaded twin taps) around a modulated delay.
#pragma once

#include "engine/fx/DelayLine.h"
#include "engine/fx/EffectBase.h"
#include "engine/fx/EqualPowerMix.h"

namespace vlm::dsp {

// One pitch-shifted voice; its line is sized in Prepare and released with the voice.
struct PitchChorusVoice {
  HeapDelayLine line;
  double tapPhase[2] = {0.0, 0.5};
  double tapDelay[2] = {1024.0, 1024.0};
  double ratio = 1.0;
  double offsetSamples = 0.0;
  double lfoPhase = 0.0;
  double lastOut = 0.0;
  double feedbackSmooth = 0.0;
};

class PitchChorus final : public EffectBase {
public:
  PitchChorus();
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

  // Line length the voices need at a rate: the longest delay and modulation plus two tap windows.
  static std::size_t RequiredLength(double sampleRate) noexcept;

  // Settings and derived values, for inspection.
  double PitchCents(int voice) const noexcept { return mPitchCents[voice]; }
  double Ratio(int voice) const noexcept { return mVoices[voice].ratio; }
  double DelayMs(int voice) const noexcept { return mDelayMs[voice]; }
  double OffsetSamples(int voice) const noexcept { return mVoices[voice].offsetSamples; }
  double Depth() const noexcept { return mDepth; }
  double ModSamples() const noexcept { return mModSamples; }
  double RateHz() const noexcept { return mRateHz; }
  double Feedback() const noexcept { return mFeedback; }
  double Mix() const noexcept { return mMix.Mix(); }
  std::size_t LineLength(int voice) const noexcept { return mVoices[voice].line.Length(); }

private:
  void SetDelay(int voice, double ms) noexcept;
  void ClearState() noexcept;
  double ProcessVoice(PitchChorusVoice& voice, double x, double modulation) noexcept;

  double mSampleRate = kDefaultEffectRate;
  PitchChorusVoice mVoices[2];
  double mPitchCents[2] = {9.0, -9.0};
  double mDelayMs[2] = {0.0, 25.0};
  double mDepth = 0.0;
  double mRateHz = 0.5;
  double mFeedback = 0.0;
  EqualPowerMix mMix; // 0.5 from construction
  double mLfoIncrement = 0.0;
  double mModSamples = 0.0;
  double mFeedbackCoef = 0.0;
};

} // namespace vlm::dsp
