// Phaser: parameter mapping, swept allpass design, filtered feedback and processing.
#include "engine/fx/modulation/Phaser.h"

#include <algorithm>
#include <cmath>

#include "engine/fx/modulation/ModulationMath.h"

namespace vlm::dsp {

namespace {

constexpr double kDefaultRateHz = 0.4;
constexpr double kFeedbackHighpassHz = 140.0;
constexpr double kFeedbackLowpassHz = 9000.0;
constexpr double kLowestHz = 20.0;
constexpr double kHighestShareOfRate = 0.45;
// Sections for "Stages" 0..3: 4, 6, 8 or 12 poles.
constexpr int kStageSections[4] = {2, 3, 4, 6};

} // namespace

double Phaser::SweepHz(double centreHz, double depth, double tri, double sampleRate) noexcept {
  const double hz = std::exp2(depth * tri * 3.0) * centreHz;
  return std::clamp(hz, kLowestHz, kHighestShareOfRate * sampleRate);
}

void Phaser::ClearState() noexcept {
  for (auto& chain : mChains)
    for (auto& section : chain)
      section = Section{};
  mLastOut[0] = mLastOut[1] = 0.0;
  mFeedbackFilter.Clear();
  mLfo.Restart();
}

void Phaser::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  mLfo.SetDefaultRate(kDefaultRateHz, mSampleRate);
  mFeedbackFilter.Prepare(kFeedbackHighpassHz, kFeedbackLowpassHz, mSampleRate);
  ClearState();
}

void Phaser::Reset() noexcept {
  mLfo.SetDefaultRate(kDefaultRateHz, mSampleRate);
  ClearState();
}

void Phaser::SetParameter(int index, double value) noexcept {
  const double v = ClampUnit(value);
  switch (index) {
  case 0:
    mLfo.SetRate(0.05 * std::pow(200.0, v), mSampleRate);
    break;
  case 1:
    mDepth = v;
    break;
  case 2:
    mFeedback = 0.97 * v;
    break;
  case 3:
    mSections = kStageSections[std::clamp(RoundHalfAway(3.0 * v), 0, 3)];
    break;
  case 4:
    mCentreHz = 200.0 * std::pow(20.0, v);
    break;
  case 5:
    mLfo.SetStereo(RoundHalfAway(v) > 0);
    break;
  case 6:
    mMix = v;
    break;
  case 7:
    mSharpness = 0.5 * std::pow(8.0, v);
    break;
  default:
    break;
  }
}

void Phaser::Process(double& left, double& right) noexcept {
  const double in[2] = {left, right};
  double out[2];
  for (int ch = 0; ch < 2; ++ch) {
    const double hz = SweepHz(mCentreHz, mDepth, mLfo.TriOf(ch), mSampleRate);
    mLfo.Advance(ch);
    const double w = kTwoPi * hz / mSampleRate;
    const double q = std::sin(w) / (2.0 * mSharpness);
    const double a = (1.0 - q) / (1.0 + q);
    const double b = -(1.0 + a) * std::cos(w);

    double x = mFeedbackFilter.Process(ch, mLastOut[ch], mFeedback) + in[ch];
    Section* chain = mChains[ch];
    for (int s = 0; s < mSections; ++s) {
      Section& st = chain[s];
      const double y = a * x + b * st.x1 + st.x2 - b * st.y1 - a * st.y2;
      st.x2 = st.x1;
      st.x1 = x;
      st.y2 = st.y1;
      st.y1 = y;
      x = y;
    }
    mLastOut[ch] = x;
    out[ch] = x;
  }
  left = (out[0] + left) * 0.5 * mMix + (1.0 - mMix) * left;
  right = (out[1] + right) * 0.5 * mMix + (1.0 - mMix) * right;
}

} // namespace vlm::dsp
