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
// Per-line damping offsets in octaves, so the lines do not all lose the same band.
constexpr double kDampOctaves[HallCore::kLines] = {-0.25,      0.125,      0.25,      -0.125,
                                                   -1.0 / 6.0, 1.0 / 24.0, 1.0 / 6.0, -1.0 / 24.0};
constexpr double kTapFraction[HallCore::kTapFractions] = {0.6, 0.85, 1.0};
constexpr double kTapNorm = 0.28867513459481288225; // 1/sqrt(12): twelve taps per side
// The outputs lose part of their lows (below 180 Hz) so long halls do not boom.
constexpr double kLowCutHz = 180.0;
constexpr double kLowCutAmount = 0.108749;
// Gain per pass that gives the decay time over the network's mean loop.
constexpr double kDecayExponent = -0.341625;

} // namespace

HallCore::HallCore() noexcept {
  Configure(48000.0);
}

void HallCore::Configure(double sampleRate) noexcept {
  mSampleRate = sampleRate > 0.0 ? sampleRate : 48000.0;
  for (int k = 0; k < kAllpasses; ++k)
    mAllpassLength[k] = LengthSamples(kAllpassSeconds[k], mSampleRate, kMaxAllpassSamples);
  SetDiffusion(mDiffusion);
  for (int k = 0; k < kLines; ++k) {
    mLineLength[k] = LengthSamples(kLineSeconds[k], mSampleRate, kMaxLineSamples);
    for (int f = 0; f < kTapFractions; ++f)
      mTap[f][k] = std::max(1, static_cast<int>(std::round(kTapFraction[f] * mLineLength[k])));
    mLfo[k].Start(k * kPi / 4.0, kLfoHz[k], mSampleRate);
  }
  mLowCutCoef = OnePoleCoef(kLowCutHz, mSampleRate);
  UpdateDamping();
}

void HallCore::Prepare(double sampleRate) {
  Configure(sampleRate);
  UpdateGain();
  Reset();
}

void HallCore::UpdateGain() noexcept {
  mGain = std::clamp(std::pow(10.0, kDecayExponent / mT60), 0.3, 0.99);
}

void HallCore::SetDecay(double seconds) noexcept {
  mT60 = seconds >= 1e-6 ? seconds : 1e-6;
  UpdateGain();
}

void HallCore::UpdateDamping() noexcept {
  const double hz = 200.0 * std::pow(80.0, 1.0 - mDamping);
  for (int k = 0; k < kLines; ++k)
    mDampCoef[k] = OnePoleCoef(hz * std::exp2(kDampOctaves[k]), mSampleRate);
}

void HallCore::SetDamping(double amount) noexcept {
  mDamping = ClampUnit(amount);
  UpdateDamping();
}

void HallCore::SetDiffusion(double amount) noexcept {
  mDiffusion = ClampUnit(amount);
  for (int k = 0; k < kAllpasses; ++k)
    mAllpassCoef[k] = mDiffusion * kAllpassScale[k];
}

void HallCore::Process(double input, double* left, double* right) noexcept {
  double x = input;
  for (int k = 0; k < kAllpasses; ++k) {
    x = Allpass(mAllpass[k], mAllpassLength[k], mAllpassCoef[k], x);
    mAllpass[k].Advance();
  }

  double v[kLines];
  double sum[2] = {0.0, 0.0};
  for (int k = 0; k < kLines; ++k) {
    const double read = mLine[k].ReadLinear(mLineLength[k] + kLfoDepthSamples * mLfo[k].Sin());
    mLfo[k].Advance();
    v[k] = OnePole(read, mDampCoef[k], mDampState[k]);
    // Even lines feed the left output, odd lines the right.
    double& s = sum[k & 1];
    for (int f = 0; f < kTapFractions; ++f)
      s += mLine[k].Tap(static_cast<std::size_t>(mTap[f][k]));
  }

  Hadamard8(v);
  const double feedback = mGain * kInvSqrt8;
  for (int k = 0; k < kLines; ++k) {
    mLine[k].Write(v[k] * feedback + x);
    mLine[k].Advance();
  }

  double l = sum[0] * kTapNorm;
  double r = sum[1] * kTapNorm;
  l -= kLowCutAmount * OnePole(l, mLowCutCoef, mLowCutState[0]);
  r -= kLowCutAmount * OnePole(r, mLowCutCoef, mLowCutState[1]);
  *left = l;
  *right = r;
}

void HallCore::Reset() noexcept {
  for (auto& line : mAllpass)
    line.Clear();
  for (auto& line : mLine)
    line.Clear();
  for (double& s : mDampState)
    s = 0.0;
  mLowCutState[0] = mLowCutState[1] = 0.0;
  for (int k = 0; k < kLines; ++k)
    mLfo[k].Start(k * kPi / 4.0, kLfoHz[k], mSampleRate);
}

} // namespace vlm::dsp
