// Plate reverb core: line lengths, decay, damping and diffusion mappings, and processing.
#include "engine/fx/reverb/PlateCore.h"

#include <algorithm>
#include <cmath>

namespace vlm::dsp {

using namespace reverb;

namespace {

// The plate's lengths and taps are tuned in samples at this rate and scaled to the rate in use.
constexpr double kTuningRate = 29761.0;
constexpr int kInputSamples[PlateCore::kInputAllpasses] = {142, 107, 379, 277};
constexpr double kInputScale[PlateCore::kInputAllpasses] = {0.75, 0.75, 0.625, 0.625};
constexpr int kMaxInputSamples = 4092;
constexpr int kMaxTankSamples = 65532;
// Per half: modulated allpass, first delay, allpass, second delay.
constexpr int kModAllpassSamples[2] = {672, 908};
constexpr int kDelay1Samples[2] = {4453, 4217};
constexpr int kAllpassSamples[2] = {1800, 2656};
constexpr int kDelay2Samples[2] = {3720, 3163};
constexpr double kModAllpassCoef = -0.7;
constexpr double kAllpassCoef = 0.5;
constexpr double kModExcursionSamples = 8.0;
constexpr double kLfoHz = 0.7;
constexpr double kOutputGain = 0.6;
constexpr double kDecayExponent = -1.0881186788078356;
constexpr double kMinGain = 0.05;
constexpr double kMaxGain = 0.95;
constexpr double kInitialT60 = 3.0;
constexpr double kInitialGain = 0.5;

constexpr int kDelay1 = 0;
constexpr int kAllpassLine = 1;
constexpr int kDelay2 = 2;
struct TapSpec {
  int half, line, position;
  double sign;
};
// Left output from taps spread over the right half mostly, and the other way round.
constexpr TapSpec kLeftTaps[PlateCore::kOutputTaps] = {
    {1, kDelay1, 266, 1.0},  {1, kDelay1, 2974, 1.0},  {1, kAllpassLine, 1913, -1.0},
    {1, kDelay2, 1996, 1.0}, {0, kDelay1, 1990, -1.0}, {0, kAllpassLine, 187, -1.0},
    {0, kDelay2, 1066, -1.0}};
constexpr TapSpec kRightTaps[PlateCore::kOutputTaps] = {
    {0, kDelay1, 353, 1.0},  {0, kDelay1, 3627, 1.0},  {0, kAllpassLine, 1228, -1.0},
    {0, kDelay2, 2673, 1.0}, {1, kDelay1, 2111, -1.0}, {1, kAllpassLine, 335, -1.0},
    {1, kDelay2, 121, -1.0}};

int Scaled(int samples, double scale, int maxSamples) noexcept {
  return std::clamp(static_cast<int>(std::round(samples * scale)), 1, maxSamples);
}

} // namespace

PlateCore::PlateCore() noexcept
    : ReverbCore({kDecayExponent, kMinGain, kMaxGain, 1.0}, kInitialT60, kInitialGain) {
  Configure();
}

void PlateCore::Configure() noexcept {
  const double scale = mSampleRate / kTuningRate;
  for (int k = 0; k < kInputAllpasses; ++k)
    mInputLength[k] = Scaled(kInputSamples[k], scale, kMaxInputSamples);
  ApplyDiffusion();
  for (int h = 0; h < 2; ++h) {
    TankHalf& half = mHalf[h];
    half.modAllpassLength = Scaled(kModAllpassSamples[h], scale, kMaxTankSamples);
    half.delay1Length = Scaled(kDelay1Samples[h], scale, kMaxTankSamples);
    half.allpassLength = Scaled(kAllpassSamples[h], scale, kMaxTankSamples);
    half.delay2Length = Scaled(kDelay2Samples[h], scale, kMaxTankSamples);
    mModBase[h] = kModAllpassSamples[h] * scale;
  }
  mModExcursion = kModExcursionSamples * scale;
  for (int t = 0; t < kOutputTaps; ++t) {
    const TapSpec& l = kLeftTaps[t];
    const TapSpec& r = kRightTaps[t];
    mLeftTaps[t] = {l.half, l.line, Scaled(l.position, scale, kMaxTankSamples), l.sign};
    mRightTaps[t] = {r.half, r.line, Scaled(r.position, scale, kMaxTankSamples), r.sign};
  }
  mLfo.Start(0.0, kLfoHz, mSampleRate);
  ApplyDamping();
}

void PlateCore::ApplyDamping() noexcept {
  mDampCoef = OnePoleCoef(200.0 * std::pow(80.0, 1.0 - mDamping), mSampleRate);
}

void PlateCore::ApplyDiffusion() noexcept {
  for (int k = 0; k < kInputAllpasses; ++k)
    mInputCoef[k] = mDiffusion * kInputScale[k];
}

double PlateCore::RunHalf(TankHalf& half, double input, double modDelay) noexcept {
  // Modulated allpass (linear read), delay, damping, gain, allpass, delay.
  const double d = half.modAllpass.ReadLinear(std::max(1.0, modDelay));
  const double w = FlushTiny(input - kModAllpassCoef * d);
  half.modAllpass.Write(w);
  const double a = kModAllpassCoef * w + d;

  const double delayed = half.delay1.Tap(static_cast<std::size_t>(half.delay1Length));
  half.delay1.Write(a);
  const double damped = OnePole(delayed, mDampCoef, half.damp) * Gain();
  const double b = Allpass(half.allpass, half.allpassLength, kAllpassCoef, damped);

  const double out = half.delay2.Tap(static_cast<std::size_t>(half.delay2Length));
  half.delay2.Write(b);
  return out;
}

double PlateCore::ReadTap(const Tap& tap) const noexcept {
  const TankHalf& half = mHalf[tap.half];
  const auto p = static_cast<std::size_t>(tap.position);
  const double v = tap.line == kDelay1        ? half.delay1.Tap(p)
                   : tap.line == kAllpassLine ? half.allpass.Tap(p)
                                              : half.delay2.Tap(p);
  return tap.sign * v;
}

void PlateCore::Process(double input, double* left, double* right) noexcept {
  double x = input;
  for (int k = 0; k < kInputAllpasses; ++k) {
    x = Allpass(mInput[k], mInputLength[k], mInputCoef[k], x);
    mInput[k].Advance();
  }

  // Each half takes the other half's output of the previous sample: the figure of eight.
  const double s = mLfo.Sin();
  mLfo.Advance();
  const double fromRight = mHalf[1].output;
  const double fromLeft = mHalf[0].output;
  mHalf[0].output = RunHalf(mHalf[0], x + Gain() * fromRight, mModBase[0] + mModExcursion * s);
  mHalf[1].output = RunHalf(mHalf[1], x + Gain() * fromLeft, mModBase[1] - mModExcursion * s);

  // Taps read after this sample's writes, so a tap at p reads the sample written p samples ago.
  double l = 0.0;
  double r = 0.0;
  for (int t = 0; t < kOutputTaps; ++t) {
    l += ReadTap(mLeftTaps[t]);
    r += ReadTap(mRightTaps[t]);
  }
  for (TankHalf& half : mHalf) {
    half.modAllpass.Advance();
    half.delay1.Advance();
    half.allpass.Advance();
    half.delay2.Advance();
  }
  *left = l * kOutputGain;
  *right = r * kOutputGain;
}

void PlateCore::Reset() noexcept {
  for (auto& line : mInput)
    line.Clear();
  for (auto& half : mHalf) {
    half.modAllpass.Clear();
    half.delay1.Clear();
    half.allpass.Clear();
    half.delay2.Clear();
    half.damp = 0.0;
    half.output = 0.0;
  }
  mLfo.Start(0.0, kLfoHz, mSampleRate);
}

} // namespace vlm::dsp
