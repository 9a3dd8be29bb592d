// Cubic-interpolated stereo flanger with an optional through-zero reference.
#pragma once

#include "engine/fx/DelayLine.h"
#include "engine/fx/EffectBase.h"
#include "engine/fx/modulation/FeedbackFilter.h"
#include "engine/fx/modulation/StereoLfo.h"

namespace vlm::dsp {

class Flanger final : public EffectBase {
public:
  static constexpr std::size_t kLineLength = 16384;

  Flanger() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

  // Settings and derived values, for inspection.
  double LfoIncrement() const noexcept { return mLfo.Increment(); }
  double Depth() const noexcept { return mDepth; }
  double Feedback() const noexcept { return mFeedback; }
  double ManualMs() const noexcept { return mManualMs; }
  double ManualSamples() const noexcept { return mManualSamples; }
  bool Stereo() const noexcept { return mLfo.Stereo(); }
  double Mix() const noexcept { return mMix; }
  double Colour() const noexcept { return mColour; }
  bool ThroughZero() const noexcept { return mThroughZero; }
  double LfoPhase(int channel) const noexcept { return mLfo.Phase(channel); }

private:
  void ClearState() noexcept;

  double mSampleRate = kDefaultEffectRate;
  // Both lines advance together, so they share one write position.
  FixedDelayLine<kLineLength> mLines[2];
  double mLastRead[2] = {0.0, 0.0};
  FeedbackFilter mFeedbackFilter;
  StereoLfo mLfo;
  double mManualMs = 2.0;
  double mManualSamples = 96.0;
  double mDepth = 0.0; // octaves of delay swing
  double mFeedback = 0.0;
  double mMix = 0.0;
  double mColour = 1.0; // +1 "Normal", -1 "Inv"
  bool mThroughZero = false;
};

} // namespace vlm::dsp
