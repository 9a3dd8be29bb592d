// One to four detuned chorus voices with a filtered, saturated feedback path.
#pragma once

#include "engine/fx/DelayLine.h"
#include "engine/fx/EffectBase.h"
#include "engine/fx/modulation/FeedbackFilter.h"

namespace vlm::dsp {

class DigitalChorus final : public EffectBase {
public:
  static constexpr std::size_t kLineLength = 8192;
  static constexpr int kMaxVoices = 4;

  DigitalChorus() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

  // Settings and derived values, for inspection.
  double RateHz() const noexcept { return mRateHz; }
  double DepthSamples() const noexcept { return mDepthSamples; }
  double BaseDelaySamples() const noexcept { return mBaseDelaySamples; }
  double Width() const noexcept { return mWidth; }
  double Feedback() const noexcept { return mFeedback; }
  double Mix() const noexcept { return mMix; }
  int Voices() const noexcept { return mVoices; }
  double Detune() const noexcept { return mDetune; }
  double VoiceIncrement(int voice) const noexcept { return mVoiceIncrement[voice]; }

private:
  void UpdateVoiceIncrements() noexcept;

  double mSampleRate = kDefaultEffectRate;
  // Both lines advance together, so they share one write position.
  FixedDelayLine<kLineLength> mLines[2];
  FeedbackFilter mFeedbackFilter;
  double mVoicePhase[kMaxVoices] = {0.0, 0.0, 0.0, 0.0};
  double mVoiceIncrement[kMaxVoices] = {0.0, 0.0, 0.0, 0.0};
  double mRateHz = 0.5;
  double mDepthSamples = 200.0;
  double mBaseDelaySamples = 350.0;
  double mMix = 0.0;
  double mFeedback = 0.0;
  double mWidth = 1.0;
  int mVoices = 2;
  double mDetune = 0.3;
};

} // namespace vlm::dsp
