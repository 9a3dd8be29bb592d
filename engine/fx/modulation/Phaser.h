// Stereo phaser: two chains of second-order allpass sections with filtered feedback.
#pragma once

#include "engine/fx/EffectBase.h"
#include "engine/fx/modulation/FeedbackFilter.h"
#include "engine/fx/modulation/StereoLfo.h"

namespace vlm::dsp {

class Phaser final : public EffectBase {
public:
  static constexpr int kMaxSections = 6;

  Phaser() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

  // The allpass centre for one LFO position: centre x 2^(3 depth tri), held within 20 Hz..0.45 rate.
  static double SweepHz(double centreHz, double depth, double tri, double sampleRate) noexcept;

  // Settings and derived values, for inspection.
  double LfoIncrement() const noexcept { return mLfo.Increment(); }
  double Depth() const noexcept { return mDepth; }
  double Feedback() const noexcept { return mFeedback; }
  int Sections() const noexcept { return mSections; }
  double CentreHz() const noexcept { return mCentreHz; }
  bool Stereo() const noexcept { return mLfo.Stereo(); }
  double Mix() const noexcept { return mMix; }
  double Sharpness() const noexcept { return mSharpness; }

private:
  void ClearState() noexcept;

  // History of one second-order allpass section.
  struct Section {
    double x1 = 0.0;
    double x2 = 0.0;
    double y1 = 0.0;
    double y2 = 0.0;
  };

  double mSampleRate = kDefaultEffectRate;
  Section mChains[2][kMaxSections];
  StereoLfo mLfo;
  double mLastOut[2] = {0.0, 0.0};
  FeedbackFilter mFeedbackFilter;
  double mDepth = 0.5;
  double mFeedback = 0.0;
  int mSections = 2;
  double mCentreHz = 700.0;
  double mMix = 0.0;
  double mSharpness = 0.5;
};

} // namespace vlm::dsp
