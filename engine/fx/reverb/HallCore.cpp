// Hall reverb core: line lengths, decay, damping and diffusion mappings, and processing.
#include "engine/fx/reverb/HallCore.h"

#include <algorithm>
#include <cmath>

namespace vlm::dsp {

using namespace reverb;

namespace {

constexpr double kAllpassSeconds[HallCore::kAllpasses] = {0.0047, 0.0098, 0.0175, 0.0314};
constexpr double kAllpassScale[HallCore::kAllpasses] = {0.65, 0.6, 0.55, 0.5};
constexpr int kMaxAllpassSamples = 8188;
// Mutually detuned lengths spread the network's modes evenly.
constexpr double kLineSeconds[HallCore::kLines] = {0.065, 0.078, 0.092, 0.107, 0.121, 0.134, 0.149, 0.165};
constexpr int kMaxLineSamples = 32760;
// Slow, unrelated LFO rates keep the modulation from beating audibly.
constexpr double kLfoHz[HallCore::kLines] = {0.41, 0.59, 0.71, 0.89, 1.03, 1.19, 1.31, 1.49};
constexpr double kLfoDepthSamples = 3.0;
constexpr double kTapFraction[HallCore::kTapFractions] = {0.6, 0.85, 1.0};
constexpr double kTapNorm = 0.28867513459481288225; // 1/sqrt(12): twelve taps per side
// The outputs lose part of their lows (below 180 Hz) so long halls do not boom.
constexpr double kLowCutHz = 180.0;
constexpr double kLowCutAmount = 0.108749;
// Gain per pass that gives the decay time over the network's mean loop.
constexpr double kDecayExponent = -0.341625;
constexpr double kMinGain = 0.3;
constexpr double kMaxGain = 0.99;
constexpr double kInitialT60 = 4.0;
constexpr double kInitialGain = 0.7;

} // namespace

HallCore::HallCore() noexcept
    : ReverbCore({kDecayExponent, kMinGain, kMaxGain, 1.0}, kInitialT60, kInitialGain) {
  Configure();
}

void HallCore::Configure() noexcept {
  mDiffuser.SetLengths(kAllpassSeconds, mSampleRate, kMaxAllpassSamples);
  ApplyDiffusion();
  mNetwork.Configure(kLineSeconds, kMaxLineSamples, kLfoHz, mSampleRate);
  for (int k = 0; k < kLines; ++k)
    for (int f = 0; f < kTapFractions; ++f)
      mTap[f][k] = std::max(1, static_cast<int>(std::round(kTapFraction[f] * mNetwork.Length(k))));
  mLowCutCoef = OnePoleCoef(kLowCutHz, mSampleRate);
  ApplyDamping();
}

void HallCore::ApplyDamping() noexcept {
  mNetwork.SetDampingHz(200.0 * std::pow(80.0, 1.0 - mDamping));
}

void HallCore::ApplyDiffusion() noexcept {
  mDiffuser.SetDiffusion(mDiffusion, kAllpassScale);
}

void HallCore::Process(double input, double* left, double* right) noexcept {
  const double x = mDiffuser.Process(input);

  double v[kLines];
  double sum[2] = {0.0, 0.0};
  mNetwork.Read(kLfoDepthSamples, v, [&](int k, const auto& line) {
    // Even lines feed the left output, odd lines the right.
    double& s = sum[k & 1];
    for (int f = 0; f < kTapFractions; ++f)
      s += line.Tap(static_cast<std::size_t>(mTap[f][k]));
  });
  mNetwork.Feed(v, Gain(), x);

  double l = sum[0] * kTapNorm;
  double r = sum[1] * kTapNorm;
  l -= kLowCutAmount * OnePole(l, mLowCutCoef, mLowCutState[0]);
  r -= kLowCutAmount * OnePole(r, mLowCutCoef, mLowCutState[1]);
  *left = l;
  *right = r;
}

void HallCore::Reset() noexcept {
  mDiffuser.Clear();
  mNetwork.Reset();
  mLowCutState[0] = mLowCutState[1] = 0.0;
}

} // namespace vlm::dsp
