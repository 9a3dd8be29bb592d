// Room reverb core: line lengths, decay, damping and diffusion mappings, and processing.
#include "engine/fx/reverb/RoomCore.h"

#include <algorithm>
#include <cmath>

namespace vlm::dsp {

using namespace reverb;

namespace {

constexpr double kAllpassSeconds[RoomCore::kAllpasses] = {0.0007, 0.00885, 0.0217};
constexpr double kAllpassScale[RoomCore::kAllpasses] = {0.5, 0.5, 0.625};
constexpr int kMaxAllpassSamples = 8188;
constexpr double kEarlyLeftSeconds[RoomCore::kEarlyTaps] = {0.005, 0.0097, 0.0142, 0.0186, 0.0234, 0.0301};
constexpr double kEarlyRightSeconds[RoomCore::kEarlyTaps] = {0.0063, 0.0115, 0.0159, 0.021, 0.0267, 0.0335};
constexpr int kMaxEarlySamples = 8188;
constexpr double kEarlyNorm = 0.40824829046386301637; // 1/sqrt(6): six taps per side
constexpr double kEarlyLowpassHz = 9000.0;
constexpr double kLineSeconds[RoomCore::kLines] = {0.019, 0.022, 0.025, 0.028, 0.031, 0.034, 0.037, 0.041};
constexpr int kMaxLineSamples = 8184;
constexpr double kLfoHz[RoomCore::kLines] = {0.71, 0.83, 0.97, 1.13, 1.27, 1.41, 1.55, 0.89};
constexpr double kLfoDepthSamples = 5.0;
// Late network (four lines per side, halved) and early reflections mixed 35 : 65.
constexpr double kLateGain = 0.5 * 0.35;
constexpr double kEarlyGain = 0.65;
constexpr double kDecayExponent = -0.088875;
constexpr double kMinGain = 0.05;
constexpr double kMaxGain = 0.97;
// A room of the same setting decays in half the time of the hall and the plate.
constexpr double kDecayTimeScale = 0.5;
constexpr double kInitialT60 = 1.0; // already halved
constexpr double kInitialGain = 0.5;

} // namespace

RoomCore::RoomCore() noexcept
    : ReverbCore({kDecayExponent, kMinGain, kMaxGain, kDecayTimeScale}, kInitialT60, kInitialGain) {
  Configure();
}

void RoomCore::Configure() noexcept {
  mDiffuser.SetLengths(kAllpassSeconds, mSampleRate, kMaxAllpassSamples);
  ApplyDiffusion();
  for (int k = 0; k < kEarlyTaps; ++k) {
    mEarlyTapLeft[k] = LengthSamples(kEarlyLeftSeconds[k], mSampleRate, kMaxEarlySamples);
    mEarlyTapRight[k] = LengthSamples(kEarlyRightSeconds[k], mSampleRate, kMaxEarlySamples);
  }
  mEarlyLpCoef = OnePoleCoef(kEarlyLowpassHz, mSampleRate);
  mNetwork.Configure(kLineSeconds, kMaxLineSamples, kLfoHz, mSampleRate);
  ApplyDamping();
}

void RoomCore::ApplyDamping() noexcept {
  const double a = std::pow(mDamping, 0.85);
  const double hz = 200.0 * std::pow(40.0, 1.0 - a);
  mNetwork.SetDampingHz(hz);
}

void RoomCore::ApplyDiffusion() noexcept {
  mDiffuser.SetDiffusion(mDiffusion, kAllpassScale);
}

void RoomCore::Process(double input, double* left, double* right) noexcept {
  const double x = mDiffuser.Process(input);

  // Early reflections: taps read after the write, so a tap at p is the sample p samples ago.
  mEarly.Write(x);
  double el = 0.0;
  double er = 0.0;
  for (int k = 0; k < kEarlyTaps; ++k) {
    el += mEarly.Tap(static_cast<std::size_t>(mEarlyTapLeft[k]));
    er += mEarly.Tap(static_cast<std::size_t>(mEarlyTapRight[k]));
  }
  mEarly.Advance();
  el = OnePole(el * kEarlyNorm, mEarlyLpCoef, mEarlyLpState[0]);
  er = OnePole(er * kEarlyNorm, mEarlyLpCoef, mEarlyLpState[1]);

  double v[kLines];
  mNetwork.Read(kLfoDepthSamples, v);
  const double lateL = v[0] + v[2] + v[4] + v[6];
  const double lateR = v[1] + v[3] + v[5] + v[7];

  mNetwork.Feed(v, Gain(), x);

  *left = lateL * kLateGain + el * kEarlyGain;
  *right = lateR * kLateGain + er * kEarlyGain;
}

void RoomCore::Reset() noexcept {
  mDiffuser.Clear();
  mEarly.Clear();
  mNetwork.Reset();
  mEarlyLpState[0] = mEarlyLpState[1] = 0.0;
}

} // namespace vlm::dsp
