// Envelope: coefficients from times, key follow and velocity; the per-sample state machine.
#include "engine/envelope/Envelope.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/envelope/EnvelopeCurves.h"
#include "engine/util/MathUtil.h"

namespace {

// Time constants are set so that the nominal time covers ln 3 (attack) or ln 9 (decay, release)
// time constants.
constexpr double kLn3 = 1.0986122886681098;
constexpr double kLn9 = 2.1972245773362196;

double CoefficientForSamples(double t) noexcept {
  return std::exp(-1.0 / std::max(1.0, t));
}

} // namespace

Envelope::Envelope() {
  mDumpMultiplier = std::exp(-1.0 / (mSampleRate * kDumpTimeMs / 1000.0));
  UpdateCoefficients();
}

void Envelope::Aim() noexcept {
  Refresh();
  constexpr double kNever = std::numeric_limits<double>::infinity();
  double target = 0.0, coefficient = 0.0, endBelow = -kNever, endFrom = kNever;
  switch (mState) {
  case kDump: // ends at or below kDumpEndLevel
    coefficient = mDumpMultiplier;
    endBelow = std::nextafter(kDumpEndLevel, kNever);
    break;
  case kAttack:
    // level' >= 1 exactly when level' - kAttackTarget >= 1 - kAttackTarget: both differences are exact
    // wherever level' is near 1 (within a factor two of kAttackTarget), and rounding keeps the order.
    target = kAttackTarget;
    coefficient = mAttackCoef;
    endFrom = 1.0 - kAttackTarget;
    break;
  case kDecay:
    target = mSustain;
    coefficient = mDecayCoef;
    endBelow = kEndThreshold;
    break;
  case kSustain: // a zero coefficient lands on the sustain exactly (never on -0: it is held at +0 or more)
    target = mSustain;
    break;
  case kRelease:
    coefficient = mReleaseCoef;
    endBelow = kEndThreshold;
    break;
  default:
    break;
  }
  mTarget = target;
  mCoefficient = coefficient;
  mEndBelow = endBelow;
  mEndFrom = endFrom;
}

void Envelope::EndState() noexcept {
  switch (mState) {
  case kDump:
    mOutputScale = mPendingScale;
    mOvershootGain = OvershootGain(mOutputScale);
    mState = kAttack;
    break;
  case kAttack:
    mLevel = 1.0;
    mState = kDecay;
    mOvershootNow = mOvershootAmount;
    break;
  case kDecay:
    mLevel = mSustain;
    mState = kSustain;
    break;
  case kRelease:
    mLevel = 0.0;
    mState = kIdle;
    break;
  default:
    break;
  }
  Aim();
}

void Envelope::Prepare(double sampleRate) noexcept {
  mSampleRate = ValidRate(sampleRate);
  mDumpMultiplier = std::exp(-1.0 / (mSampleRate * kDumpTimeMs / 1000.0));
  mLevel = 0.0;
  mOvershootNow = 0.0;
  mDirty = 1;
  Aim();
}

void Envelope::Reset() noexcept {
  mState = kIdle;
  mLevel = 0.0;
  mOvershootNow = 0.0;
  Aim();
}

void Envelope::SetAttack(double ms) noexcept {
  mAttackMs = std::max(kMinAttackMs, ms == ms ? ms : kMinAttackMs);
  mDirty = 1;
  Refresh();
}

void Envelope::SetDecay(double ms) noexcept {
  mDecayMs = std::max(kMinDecayMs, ms == ms ? ms : kMinDecayMs);
  mDirty = 1;
  Refresh();
}

void Envelope::SetRelease(double ms) noexcept {
  mReleaseMs = std::max(kMinReleaseMs, ms == ms ? ms : kMinReleaseMs);
  mDirty = 1;
  Refresh();
}

void Envelope::SetKeyFollow(double amount) noexcept {
  mKeyFollow = HoldWithin(amount, 0.0, kMaxKeyFollow);
  mDirty = 1;
  Refresh();
}

void Envelope::SetSustain(double level) noexcept {
  mSustain = HoldWithin(level, 0.0, 1.0);
  mDecaySpanInverse = mSustain < 1.0 ? 1.0 / (1.0 - mSustain) : 0.0;
  mDecaySpan = 1.0 - mSustain;
  Aim(); // a decay or sustain heads for the new value from the next sample
}
void Envelope::SetDynamicsLevel(double amount) noexcept {
  mDynamicsLevel = HoldWithin(amount, 0.0, 1.0);
}
void Envelope::SetDynamicsTime(double amount) noexcept {
  mDynamicsTime = HoldWithin(amount, 0.0, 1.0);
}
void Envelope::SetDynamicsSensitivity(double amount) noexcept {
  mDynamicsSensitivity = HoldWithin(amount, 0.0, 1.0);
}

void Envelope::SetOvershoot(bool on) noexcept {
  mOvershoot = on;
  mDirty = 1;
  Refresh();
}

double Envelope::KeyFollowFactor() const noexcept {
  if (mKeyFollow == 0.0)
    return 1.0;
  return std::exp2(-(mKey - mReferenceKey) / 12.0 * mKeyFollow);
}

double Envelope::EffectiveAttackMs() const noexcept {
  double ms = mAttackMs * KeyFollowFactor();
  const double c = mDynamicsSensitivity * mDynamicsTime;
  // Harder notes attack faster; velocity 0.52 leaves the time unchanged.
  if (mDynamicsEnabled && c > 0.0)
    ms *= std::exp2((mVelocity - 0.52) * (-11.927 * c));
  return std::max(kMinAttackMs, ms);
}

double Envelope::LevelScale() const noexcept {
  const double a = mDynamicsSensitivity * mDynamicsLevel;
  if (!mDynamicsEnabled || a == 0.0)
    return 1.0;
  const double v = HoldWithin(mVelocity, 0.0, 1.0);
  const double curve =
      mAmplifierCurve ? Interpolate(kAmplifierVelocityCurve, v) : Interpolate(kVelocityCurve, v);
  return curve * a + (1.0 - a);
}

double Envelope::DecayTimeFactor() const noexcept {
  const double a = mDynamicsSensitivity * mDynamicsLevel;
  if (!mDynamicsEnabled || a == 0.0)
    return 1.0;
  const double v = HoldWithin(mVelocity, 0.0, 1.0);
  const double curve =
      mFilterDecayCurve ? Interpolate(kFilterDecayVelocityCurve, v) : Interpolate(kDecayVelocityCurve, v);
  return curve * a + (1.0 - a);
}

void Envelope::UpdateCoefficients() noexcept {
  const double r = mSampleRate;
  const double kf = KeyFollowFactor();
  const double attackMs = EffectiveAttackMs();
  mAttackCoef = CoefficientForSamples(attackMs * r / 1000.0 / kLn3);
  mDecayCoef = CoefficientForSamples(DecayTimeFactor() * kf * mDecayMs * r / 1000.0 / kLn9);
  mReleaseCoef = CoefficientForSamples(kf * mReleaseMs * r / 1000.0 / kLn9);
  if (mOvershoot) {
    const double a = attackMs / kLn3;
    const double w = mDynamicsEnabled ? mDynamicsSensitivity * mDynamicsTime : 0.0;
    // Fast attacks overshoot more; velocity-dependent attack time damps it.
    mOvershootAmount = 1.1 * (1.0 - std::exp(-2.0 / a)) * std::exp(-4.0 * w);
    mOvershootMultiplier = CoefficientForSamples(r * 6.0 / 1000.0);
  } else {
    mOvershootAmount = 0.0;
    mOvershootMultiplier = 0.0;
  }
  mDirty = 0;
  Aim();
}

void Envelope::NoteOn(bool legato) noexcept {
  UpdateCoefficients();
  const double scale = LevelScale();
  const bool sounding = mState == kAttack || mState == kDecay || mState == kSustain;
  if (!mReset && legato && sounding) {
    mOutputScale = scale;
    mOvershootGain = OvershootGain(scale);
    return;
  }
  mOvershootNow = 0.0;
  if (mReset && mState != kIdle && mLevel > kDumpEndLevel) {
    // Dump the old level quickly so the new attack starts near silence without a click.
    mPendingScale = scale;
    mState = kDump;
    Aim();
    return;
  }
  mOutputScale = scale;
  mOvershootGain = OvershootGain(scale);
  if (mReset || mState == kIdle)
    mLevel = 0.0;
  mState = kAttack;
  Aim();
}

void Envelope::NoteOff() noexcept {
  if (mState == kIdle)
    return;
  if (mCurvedDecay && mState == kDecay)
    mLevel = ShapedLevel();
  mReleaseStartLevel = mLevel;
  mState = kRelease;
  Aim();
}
