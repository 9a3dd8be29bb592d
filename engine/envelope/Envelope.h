// Exponential ADSR contour with key follow, velocity dynamics, reset dump, attack overshoot and
// curved decay; one class serves the pitch, filter and amplifier envelopes of a voice.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/envelope/EnvelopeCurves.h"
#include "engine/util/MathUtil.h"

class Envelope {
public:
  enum State : std::uint8_t { kIdle = 0, kDump = 1, kAttack = 2, kDecay = 3, kSustain = 4, kRelease = 5 };

  static constexpr double kMinAttackMs = 2.0;
  static constexpr double kMinDecayMs = 0.1;
  static constexpr double kMinReleaseMs = 0.1;
  static constexpr double kMaxKeyFollow = 1.25;
  static constexpr double kAttackTarget = 1.3; // attack aims past 1 so it reaches 1 in finite time
  static constexpr double kDumpEndLevel = 0.02;
  static constexpr double kDumpTimeMs = 0.15;
  static constexpr double kEndThreshold = 1e-5;

  Envelope();

  void Prepare(double sampleRate) noexcept;
  void Reset() noexcept;

  void SetAttack(double ms) noexcept;
  void SetDecay(double ms) noexcept;
  void SetSustain(double level) noexcept;
  void SetRelease(double ms) noexcept;
  void SetKeyFollow(double amount) noexcept;
  void SetDynamicsEnabled(bool enabled) noexcept { mDynamicsEnabled = enabled; }
  void SetDynamicsLevel(double amount) noexcept;
  void SetDynamicsTime(double amount) noexcept;
  void SetDynamicsSensitivity(double amount) noexcept;
  void SetReset(bool enabled) noexcept { mReset = enabled; }

  // Role flags, set once by the owning voice.
  void SetAmplifierCurve(bool on) noexcept { mAmplifierCurve = on; }
  void SetFilterDecayCurve(bool on) noexcept { mFilterDecayCurve = on; }
  void SetOvershoot(bool on) noexcept;
  void SetCurvedDecay(bool on) noexcept {
    mCurvedDecay = on;
    Refresh();
  }

  // Written by the voice before each note-on: key = note + 12 x octave shift.
  void SetKey(int key) noexcept { mKey = key; }
  void SetVelocity(double velocity) noexcept { mVelocity = velocity; }

  void NoteOn(bool legato) noexcept;
  void NoteOff() noexcept;
  // One sample: Advance, then the output. Inlined into the voice's loop (as are the steps below): a
  // call per envelope and sample costs more than the step itself.
  [[gnu::always_inline]] double Tick() noexcept {
    if (!StepLevel())
      return 0.0;
    const double overshoot = StepOvershoot();
    double out = mOutputScale * ShapedLevel();
    if (overshoot > 0.0)
      out += mOvershootGain * overshoot;
    return out;
  }
  // The state step of Tick alone, for an envelope whose output nobody reads this sample (the voice's
  // unselected filter-envelope copy): it stays exactly where Tick would have left it.
  [[gnu::always_inline]] void Advance() noexcept {
    if (StepLevel())
      StepOvershoot();
  }

  State GetState() const noexcept { return static_cast<State>(mState); }
  bool IsIdle() const noexcept { return mState == kIdle; }
  bool IsAttack() const noexcept { return mState == kAttack; }
  bool IsDecay() const noexcept { return mState == kDecay; }
  bool IsSustain() const noexcept { return mState == kSustain; }
  bool IsRelease() const noexcept { return mState == kRelease; }
  double Sustain() const noexcept { return mSustain; }
  // 1 / (1 - sustain), 0 at full sustain: the decaying part of the level is scaled by it every sample.
  double DecaySpanInverse() const noexcept { return mDecaySpanInverse; }
  double OutputScale() const noexcept { return mOutputScale; }
  double Level() const noexcept { return mLevel; }
  double ReleaseStartLevel() const noexcept { return mReleaseStartLevel; }

  double AttackMs() const noexcept { return mAttackMs; }
  double DecayMs() const noexcept { return mDecayMs; }
  double ReleaseMs() const noexcept { return mReleaseMs; }
  double KeyFollow() const noexcept { return mKeyFollow; }
  double AttackCoefficient() const noexcept { return mAttackCoef; }
  double DecayCoefficient() const noexcept { return mDecayCoef; }
  double ReleaseCoefficient() const noexcept { return mReleaseCoef; }
  double OvershootAmount() const noexcept { return mOvershootAmount; }

  // Key-follow factor of times (1 at the reference key, shorter above it).
  double KeyFollowFactor() const noexcept;
  // Attack time after key follow and velocity (never below 2 ms).
  double EffectiveAttackMs() const noexcept;
  // Velocity scale of the level and factor of the decay time for the current velocity.
  double LevelScale() const noexcept;
  double DecayTimeFactor() const noexcept;

  // Curved-decay shape D (input clamped 0..1); also the amplifier's decay curve.
  static double DecayShape(double e) noexcept;

private:
  void UpdateCoefficients() noexcept;
  // Recomputes the flags the per-sample step tests, after a change of state, sustain, role or times.
  void Refresh() noexcept {
    mSlow = mState == kIdle || mDirty;
    mShaping = mCurvedDecay && mState == kDecay && mSustain < 1.0;
  }
  static double OvershootGain(double scale) noexcept {
    const double g = std::min(1.0, scale);
    return g * g;
  }
  // Sets the flags, target, coefficient and end bounds of the current state's step.
  void Aim() noexcept;
  void EndState() noexcept;
  bool StepLevel() noexcept;
  double StepOvershoot() noexcept;
  double ShapedLevel() const noexcept;

  double mSampleRate = 48000.0;
  double mAttackMs = 10.0;
  double mDecayMs = 200.0;
  double mSustain = 0.7;
  double mDecaySpanInverse = 1.0 / (1.0 - 0.7);
  double mDecaySpan = 1.0 - 0.7;
  double mReleaseMs = 300.0;
  double mKeyFollow = 0.0;
  int mReferenceKey = 60;
  std::uint8_t mDynamicsEnabled = 1;
  double mDynamicsLevel = 0.7;
  double mDynamicsTime = 0.0;
  double mDynamicsSensitivity = 1.0;
  std::uint8_t mReset = 1;
  std::uint8_t mAmplifierCurve = 0;
  std::uint8_t mFilterDecayCurve = 0;
  std::uint8_t mOvershoot = 0;
  std::uint8_t mCurvedDecay = 0;
  int mKey = 60;
  double mVelocity = 1.0;

  double mAttackCoef = 0.0;
  double mDecayCoef = 0.0;
  double mReleaseCoef = 0.0;
  double mOvershootAmount = 0.0;
  double mOvershootMultiplier = 0.0;
  std::uint8_t mDirty = 1;

  std::uint8_t mState = kIdle;
  std::uint8_t mSlow = 1;    // idle or dirty: one test per sample for both
  std::uint8_t mShaping = 0; // the output takes the curved-decay shape
  double mLevel = 0.0;
  // The step of the current state: level' = (level - mTarget) x mCoefficient + mTarget, and the state
  // ends once level' - mTarget < mEndBelow or >= mEndFrom.
  double mTarget = 0.0;
  double mCoefficient = 0.0;
  double mEndBelow = 0.0;
  double mEndFrom = 0.0;
  double mOvershootNow = 0.0;
  double mOutputScale = 1.0;
  double mOvershootGain = 1.0; // min(1, mOutputScale) squared
  double mPendingScale = 1.0;
  double mDumpMultiplier = 0.0;
  double mReleaseStartLevel = 0.0;
  // The decay shape's segment at the last sample, where the next lookup starts (a cache, so mutable).
  mutable std::uint32_t mShapeSegment = 0;
};

// The per-sample steps are inline: the voice ticks four envelopes every sample.
inline double Envelope::DecayShape(double e) noexcept {
  return kDecayShapeLookup(HoldWithin(e, 0.0, 1.0));
}

[[gnu::always_inline]] inline double Envelope::ShapedLevel() const noexcept {
  if (!mShaping)
    return mLevel;
  // While shaping, the target is the sustain (so level - target is the difference the step just took).
  // A sustain raised above the level during decay makes e negative; hold it at 0. The lookup holds e
  // at 1 itself.
  const double e = std::max(0.0, (mLevel - mTarget) * mDecaySpanInverse);
  return ((kDecayShapeLookup(e, mShapeSegment) - e) * std::sqrt(e) + e) * mDecaySpan + mTarget;
}

// The level's step; false (and nothing done) while idle.
[[gnu::always_inline]] inline bool Envelope::StepLevel() noexcept {
  if (mSlow) {
    if (mState == kIdle)
      return false;
    UpdateCoefficients();
  }
  // Every state moves the level the same way, towards its target; only its end differs.
  mLevel = (mLevel - mTarget) * mCoefficient + mTarget;
  const double d = mLevel - mTarget;
  if (d < mEndBelow || d >= mEndFrom) [[unlikely]]
    EndState();
  return true;
}

// The overshoot this sample carries (0 without one), fading for the next.
[[gnu::always_inline]] inline double Envelope::StepOvershoot() noexcept {
  const double now = mOvershootNow;
  if (!(now > 0.0))
    return 0.0;
  const double next = now * mOvershootMultiplier;
  mOvershootNow = next < 1e-4 ? 0.0 : next;
  return now;
}
