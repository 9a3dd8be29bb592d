// Compressor: coefficients, gain computer and processing.
#include "engine/fx/dynamics/Compressor.h"

#include <algorithm>
#include <cmath>

#include "engine/filter/FastTanh.h"
#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

namespace {

constexpr int kClean = 0;
constexpr int kOpto = 1;
constexpr int kFet = 2;
constexpr int kVariMu = 3;

// The level detector's floor: -120 dB, so silence has a finite level.
constexpr double kLevelFloor = 1e-6;
// Make-up restores half of the reduction at 0 dBFS, capped so a deep threshold cannot blow up.
constexpr double kMaxMakeUpDb = 18.0;
// "Vari-Mu" compresses over a wider knee.
constexpr double kVariMuExtraKneeDb = 12.0;
// "Opto" memory reaches 1 after 18 dB of reduction: long, heavy compression slows the release.
constexpr double kOptoMemoryFullDb = 18.0;
constexpr double kDbPerNeper = 8.6858896380650365530; // 20 / ln(10)
constexpr double kNeperPerDb = 0.1151292546497022842; // ln(10) / 20

// Coefficient of a one-pole smoother with a time constant of `samples`.
double TimeCoef(double samples) noexcept {
  return std::exp(-1.0 / std::max(1.0, samples));
}

// FET character: an offset tanh adds asymmetric (even) harmonics and stays 0 at 0. The engine's
// rational tanh (within 2e-8) is used for both terms, so the curve passes exactly through 0.
const double kFetOffset = FastTanh(1.2 * 0.08);
double Fet(double x) noexcept {
  return (FastTanh(1.2 * (x + 0.08)) - kFetOffset) / 1.2;
}

// Vari-Mu character: a gentle odd-order bend.
double VariMu(double x) noexcept {
  return x - 0.072 * std::copysign(x * x, x);
}

} // namespace

Compressor::Compressor() noexcept {
  UpdateRateCoefs();
}

void Compressor::UpdateRateCoefs() noexcept {
  UpdateTimeCoefs();
  mMemory1sCoef = TimeCoef(mSampleRate);
  mMemory3sCoef = TimeCoef(3.0 * mSampleRate);
}

void Compressor::UpdateTimeCoefs() noexcept {
  const double attack = mAttackMs * mSampleRate / 1000.0;
  const double release = mReleaseMs * mSampleRate / 1000.0;
  mAttackCoef = TimeCoef(attack);
  mReleaseCoef = TimeCoef(release);
  mRelease5Coef = TimeCoef(5.0 * release);
  mRelease15Coef = TimeCoef(15.0 * release);
}

void Compressor::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  UpdateRateCoefs();
  Reset();
}

void Compressor::Reset() noexcept {
  mReductionDb = 0.0;
  mSlowReductionDb = 0.0;
  mOptoMemory = 0.0;
}

double Compressor::MakeUpDb() const noexcept {
  return std::min(kMaxMakeUpDb, mSlope * -mThresholdDb * 0.5);
}

void Compressor::SetParameter(int index, double value) noexcept {
  const double v = ClampUnit(value);
  switch (index) {
  case 0:
    mThresholdDb = 60.0 * v - 60.0;
    break;
  case 1:
    mRatio = 19.0 * v * v + 1.0;
    mSlope = 1.0 - 1.0 / mRatio;
    break;
  case 2:
    mAttackMs = 0.1 * std::pow(2000.0, v);
    UpdateTimeCoefs();
    break;
  case 3:
    mReleaseMs = 5.0 * std::pow(200.0, v);
    UpdateTimeCoefs();
    break;
  case 4:
    mMix = v;
    break;
  case 5:
    mMode = std::clamp(RoundHalfAway(3.0 * v), kClean, kVariMu);
    break;
  case 6:
    mKneeDb = 24.0 * v;
    break;
  default:
    break;
  }
}

void Compressor::Process(double& left, double& right) noexcept {
  // Gain computer on the louder channel (stereo-linked), soft knee around the threshold.
  const double peak = std::max(kLevelFloor, std::max(std::fabs(left), std::fabs(right)));
  const double level = kDbPerNeper * std::log(peak);
  const double knee = mMode == kVariMu ? mKneeDb + kVariMuExtraKneeDb : mKneeDb;
  const double over = level - mThresholdDb;
  double target;
  if (knee <= 0.0) {
    target = level <= mThresholdDb ? 0.0 : mSlope * over;
  } else if (over < -knee / 2.0) {
    target = 0.0;
  } else if (over > knee / 2.0) {
    target = mSlope * over;
  } else {
    const double k = over + knee / 2.0;
    target = mSlope * k * k / (2.0 * knee);
  }

  double g = mReductionDb;
  g = (g - target) * (target > g ? mAttackCoef : mReleaseCoef) + target;
  mReductionDb = g;

  double reduction = g;
  if (mMode == kOpto) {
    // The memory grows with sustained reduction and stretches the release of the slow detector.
    const double memoryTarget = std::min(g / kOptoMemoryFullDb, 1.0);
    const double mc = memoryTarget > mOptoMemory ? mMemory1sCoef : mMemory3sCoef;
    mOptoMemory = (mOptoMemory - memoryTarget) * mc + memoryTarget;
    const double s = mSlowReductionDb;
    const double sc =
        target > s ? mAttackCoef : mRelease5Coef + (mRelease15Coef - mRelease5Coef) * mOptoMemory;
    mSlowReductionDb = (s - target) * sc + target;
    reduction = std::max(g, mSlowReductionDb);
  }

  const double gain = std::exp((MakeUpDb() - reduction) * kNeperPerDb);
  double l = gain * left;
  double r = gain * right;
  if (mMode == kFet) {
    l = Fet(l);
    r = Fet(r);
  } else if (mMode == kVariMu) {
    l = VariMu(l);
    r = VariMu(r);
  }
  left = (1.0 - mMix) * left + mMix * l;
  right = (1.0 - mMix) * right + mMix * r;
}

} // namespace vlm::dsp
