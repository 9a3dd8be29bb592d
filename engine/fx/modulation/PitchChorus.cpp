// Pitch chorus: line sizing, parameter mapping and the two crossfaded-tap pitch shifters.
#include "engine/fx/modulation/PitchChorus.h"

#include <algorithm>
#include <cmath>

#include "engine/fx/modulation/ModulationMath.h"

namespace vlm::dsp {

namespace {

// A tap sweeps its delay for 2048 samples, then restarts at 1024 while the other tap covers it.
constexpr double kTapPeriod = 2048.0;
constexpr double kTapStartDelay = 1024.0;
constexpr double kMaxDelayMs = 500.0;
constexpr double kMaxModMs = 2.0;
constexpr double kFeedbackLowpassHz = 6000.0;
// The tap window and the interpolation points stay this far inside the line.
constexpr double kLineMargin = 4096.0 + 16.0;
constexpr double kDefaultMix = 0.5;

} // namespace

PitchChorus::PitchChorus() {
  mMix.Set(kDefaultMix);
  // Construction settings at 48 kHz: voice B sits 25 ms back.
  for (int v = 0; v < 2; ++v) {
    mVoices[v].ratio = 1.0;
    mVoices[v].offsetSamples = mDelayMs[v] * kDefaultEffectRate / 1000.0;
  }
}

std::size_t PitchChorus::RequiredLength(double sampleRate) noexcept {
  const double rate = EffectRateOrDefault(sampleRate);
  return static_cast<std::size_t>(0.002 * rate) + static_cast<std::size_t>(0.5 * rate) + 4160;
}

void PitchChorus::SetDelay(int voice, double ms) noexcept {
  mDelayMs[voice] = ms;
  // Before the first Prepare the line is still empty: bound by the length Prepare will give it.
  const double length =
      static_cast<double>(std::max(mVoices[voice].line.Length(), RequiredLength(mSampleRate)));
  mVoices[voice].offsetSamples = std::max(0.0, std::min(ms * mSampleRate / 1000.0, length - kLineMargin));
}

void PitchChorus::ClearState() noexcept {
  for (int v = 0; v < 2; ++v) {
    PitchChorusVoice& voice = mVoices[v];
    voice.line.Clear();
    voice.tapPhase[0] = 0.0;
    voice.tapPhase[1] = 0.5;
    voice.tapDelay[0] = voice.tapDelay[1] = kTapStartDelay;
    voice.lfoPhase = v == 0 ? 0.0 : kPi;
    voice.lastOut = 0.0;
    voice.feedbackSmooth = 0.0;
  }
}

void PitchChorus::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  const std::size_t length = RequiredLength(mSampleRate);
  for (auto& voice : mVoices)
    if (voice.line.Length() < length)
      voice.line.Resize(length);
  mLfoIncrement = PhaseIncrement(mRateHz, mSampleRate);
  mModSamples = mDepth * kMaxModMs * mSampleRate / 1000.0;
  mFeedbackCoef = OnePoleCoef(kFeedbackLowpassHz, mSampleRate);
  ClearState();
}

void PitchChorus::Reset() noexcept {
  mLfoIncrement = PhaseIncrement(mRateHz, mSampleRate);
  mModSamples = mDepth * kMaxModMs * mSampleRate / 1000.0;
  mFeedbackCoef = OnePoleCoef(kFeedbackLowpassHz, mSampleRate);
  ClearState();
}

void PitchChorus::SetParameter(int index, double value) noexcept {
  const double v = ClampUnit(value);
  switch (index) {
  case 0:
  case 1:
    mPitchCents[index] = (v - 0.5) * 100.0;
    mVoices[index].ratio = std::exp2(mPitchCents[index] / 1200.0);
    break;
  case 2:
  case 3:
    SetDelay(index - 2, kMaxDelayMs * v);
    break;
  case 4:
    mDepth = v;
    mModSamples = v * kMaxModMs * mSampleRate / 1000.0;
    break;
  case 5:
    mRateHz = 0.05 * std::pow(120.0, v);
    mLfoIncrement = PhaseIncrement(mRateHz, mSampleRate);
    break;
  case 6:
    mFeedback = 0.7 * v;
    break;
  case 7:
    mMix.Set(v);
    break;
  default:
    break;
  }
}

double PitchChorus::ProcessVoice(PitchChorusVoice& voice, double x, double modulation) noexcept {
  voice.feedbackSmooth += (voice.lastOut - voice.feedbackSmooth) * mFeedbackCoef;
  voice.line.Write(voice.feedbackSmooth * mFeedback + x);
  double out = 0.0;
  for (int t = 0; t < 2; ++t) {
    voice.tapPhase[t] += 1.0 / kTapPeriod;
    voice.tapDelay[t] -= voice.ratio - 1.0;
    if (voice.tapPhase[t] >= 1.0) {
      voice.tapPhase[t] -= 1.0;
      voice.tapDelay[t] = kTapStartDelay;
    }
    const double tap = voice.line.ReadCubic(voice.tapDelay[t] + modulation + voice.offsetSamples);
    out += tap * std::sin(kPi * voice.tapPhase[t]);
  }
  voice.lastOut = out;
  voice.line.Advance();
  return out;
}

void PitchChorus::Process(double& left, double& right) noexcept {
  const double m = (left + right) * 0.5;
  PitchChorusVoice& a = mVoices[0];
  PitchChorusVoice& b = mVoices[1];
  const double modA = std::sin(a.lfoPhase) * mModSamples;
  const double modB = std::sin(b.lfoPhase) * mModSamples;
  a.lfoPhase = AdvancePhase(a.lfoPhase, mLfoIncrement);
  b.lfoPhase = AdvancePhase(b.lfoPhase, mLfoIncrement);
  const double ya = ProcessVoice(a, m, modA);
  const double yb = ProcessVoice(b, m, modB);
  left = mMix.Wet() * ya + mMix.Dry() * left;
  right = mMix.Wet() * yb + mMix.Dry() * right;
}

} // namespace vlm::dsp
