// Per-sample voice rendering, note start and release, and the pitch and curve arithmetic behind them.
#include "engine/voice/Voice.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

#include "engine/filter/CutoffCurve.h"
#include "engine/filter/FastTanh.h"
#include "engine/util/FastMath.h"
#include "engine/voice/VoiceCurves.h"

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kSmoothMs = 5.0;          // cutoff, resonance and level follow their knobs in 5 ms
constexpr double kKeyFollowSmoothMs = 8.0; // key follow moves with the glide, a little slower
constexpr double kAmpOnePoleMs = 0.08;     // removes clicks from sudden gain steps
constexpr double kDecayOffsetMs = 4.0;     // an attack overshoot melts into the decay over ~4 ms
constexpr double kHighShelfHz = 16000.0;   // the high range is dulled like the hardware's top octaves
constexpr double kHighShelfDb = -5.0;
constexpr double kHighShelfQ = 0.707;
constexpr int kDriftBlock = 64; // drift moves slowly: update it once every 64 samples
constexpr double kDriftRatesHz[3] = {0.08, 0.17, 0.31};
constexpr double kStackDriftSpreadCents = 0.2; // the two VCOs of a voice drift apart by at most this

// sin x for x in 0..2 pi through the inline cosine, within 2e-15: the drift's three sines were a
// library call each, every 64 samples of every voice.
double SineOfPhase(double x) noexcept {
  double u = x / kTwoPi - 0.25; // sin x = cos(2 pi (x / 2 pi - 1/4))
  if (u > 0.5)
    u -= 1.0;
  return FastCosTurns(u);
}

double OnePoleCoefficient(double sampleRate, double ms) noexcept {
  return 1.0 - std::exp(-1.0 / (sampleRate * ms / 1000.0));
}

double Frac(double x) noexcept {
  return x - std::floor(x);
}

double ModSign(std::uint8_t mode) noexcept {
  return mode == Voice::kModNormal ? 1.0 : (mode == Voice::kModOff ? 0.0 : -1.0);
}

double BendSpan(std::uint8_t mode, double range) noexcept {
  return mode == Voice::kBendWide ? 2.0 * range : (mode == Voice::kBendNormal ? range : 0.0);
}

double MixLevel(const std::array<double, 5>& table, std::uint8_t waveform) noexcept {
  return waveform < table.size() ? table[waveform] : 1.0;
}

// Phase code of the filter envelope's curve state machine.
enum FilterPhase : int { kPhaseOther = 0, kPhaseAttack = 1, kPhaseDecay = 2, kPhaseRelease = 3 };

int FilterPhaseOf(const Envelope& e) noexcept {
  switch (e.GetState()) {
  case Envelope::kAttack:
    return kPhaseAttack;
  case Envelope::kDecay:
    return kPhaseDecay;
  case Envelope::kRelease:
    return kPhaseRelease;
  default:
    return kPhaseOther;
  }
}

} // namespace

Voice::Voice() {
  mEnv1Copy.SetFilterDecayCurve(true);
  mEnv1Copy.SetOvershoot(true);
  mEnv1Copy.SetCurvedDecay(true);
  mEnv2Copy.SetFilterDecayCurve(true);
  mEnv2Copy.SetOvershoot(true);
  mEnv2Copy.SetCurvedDecay(true);
  mEnv2.SetAmplifierCurve(true);
  SetVco1Waveform(mVco1Waveform);
  SetVco2Waveform(mVco2Waveform);
  // The mix gains keep their equal-power defaults (0.7071 each) until the mix is first set.
  UpdateBaseFrequencies();
}

void Voice::Prepare(double sampleRate) noexcept {
  mSampleRate = sampleRate > 0.0 ? sampleRate : 48000.0;
  const double r = mSampleRate;
  mVco1.Prepare(r);
  mVco2.Prepare(r);
  mHpf.Prepare(r);
  mVcf.Prepare(r);
  mEnv1.Prepare(r);
  mEnv1Copy.SetFilterDecayCurve(true);
  mEnv1Copy.SetOvershoot(true);
  mEnv1Copy.SetCurvedDecay(true);
  mEnv1Copy.Prepare(r);
  mEnv2.SetAmplifierCurve(true);
  mEnv2.Prepare(r);
  mEnv2Copy.SetFilterDecayCurve(true);
  mEnv2Copy.SetOvershoot(true);
  mEnv2Copy.SetCurvedDecay(true);
  mEnv2Copy.Prepare(r);
  mLfoDelay.Prepare(r);
  mCutoff.SetCoefficient(OnePoleCoefficient(r, kSmoothMs));
  mResonance.SetCoefficient(OnePoleCoefficient(r, kSmoothMs));
  mLevel.SetCoefficient(OnePoleCoefficient(r, kSmoothMs));
  mKeyFollow.SetCoefficient(OnePoleCoefficient(r, kKeyFollowSmoothMs));
  mAmpCoef = OnePoleCoefficient(r, kAmpOnePoleMs);
  mDecayOffsetMultiplier = std::exp(-1.0 / (r * kDecayOffsetMs / 1000.0));
  SetVco1Waveform(mVco1Waveform);
  SetVco2Waveform(mVco2Waveform);
  mHighRangeShelf.DesignHighShelf(r, kHighShelfHz, kHighShelfDb, kHighShelfQ);
  mHighRangeShelf.Reset();
  SetPortamentoTime(mPortamentoMs);
  UpdateBaseFrequencies();
}

void Voice::Reset() noexcept {
  mVco1.Reset();
  mVco2.Reset();
  mHpf.Reset();
  mVcf.Reset();
  mEnv1.Reset();
  mEnv1Copy.Reset();
  mEnv2.Reset();
  mEnv2Copy.Reset();
  mLfoDelay.Reset();
  mCutoff.SnapToTarget();
  mResonance.SnapToTarget();
  mLevel.SnapToTarget();
  mKeyFollow.SnapTo(0.0);
  ClearCurveState();
  mVco2History0 = mVco2History1 = 0.0;
  mHighRangeShelf.Reset();
  mAmpState = 0.0;
  mActive = 0;
  ClearCaches();
}

void Voice::ClearCurveState() noexcept {
  mFilterEnvLast = 0.0;
  mFilterEnvPrevCode = kPhaseOther;
  mFilterEnvReleaseScale = 1.0;
  mFilterEnvDecayOffset = 0.0;
  mFilterEnvCarry = 0;
  mFilterEnvCarried = 0.0;
  mFilterEnvRetrigger = 0;
  mFilterEnvCacheE = kCacheSentinel;
  mFilterEnvCacheCode = -1;
  mAmpLastGain = 0.0;
  mAmpAttackStartPending = 0;
  mAmpStartFromLevel = 0;
  mAmpStartLevel = 0.0;
  mAmpStartGain = 0.0;
  mAmpReleaseLatched = 0;
  mAmpReleaseGain = 0.0;
  mAmpReleaseReference = 0.0;
  mAmpReleaseReferenceInverse = 0.0;
}

void Voice::ClearCaches() noexcept {
  mEnv1CacheIn = kCacheSentinel;
  mVco2PitchCacheIn = kCacheSentinel;
  mXmodCacheIn = kCacheSentinel;
  mVco1PitchCacheIn = kCacheSentinel;
  mPercentCacheIn = kCacheSentinel;
  mModCutoffCacheIn = kCacheSentinel;
  mOctaveCacheIn = kCacheSentinel;
}

// ---- pitch ---------------------------------------------------------------------------------------

double Voice::FineTunePosition(double cents) noexcept {
  if (cents <= -kFineTuneEndCents)
    return 0.0;
  if (cents >= kFineTuneEndCents)
    return 1.0;
  return Interpolate(kFineTuneCentsToPercent, cents) / 100.0;
}

double Voice::Vco2RangeSemitones(int code, double position) noexcept {
  if (code <= kVco2RangeLow)
    return std::clamp(std::floor(position * 50.0) - 72.0, -72.0, -24.0);
  if (code >= kVco2RangeHigh)
    return Interpolate(kHighRangeSemitones, position * 100.0);
  return (code - 3) * 12.0;
}

void Voice::UpdateBaseFrequencies() noexcept {
  const double t = static_cast<double>(mNote + 12 * mOctaveShift - 60);
  mKeyOctaves = t / 12.0;
  const double f = (mStackDetune + mTuneCents + mPartDetune) / 100.0;
  const double k1 = mVcoKeyFollowTarget == kKeyFollowVco1 ? mVcoKeyFollow : 1.0;
  const double k2 = mVcoKeyFollowTarget == kKeyFollowVco2 ? mVcoKeyFollow : 1.0;
  mBase1Hz = 440.0 * std::exp2((k1 * t + 60.0 + f + 12.0 * mVco1Range - 69.0) / 12.0);
  const double c = Vco2RangeSemitones(mVco2Range, mVco2FinePosition);
  const bool fineTuned = mVco2Range > kVco2RangeLow && mVco2Range < kVco2RangeHigh;
  const double b = fineTuned ? mVco2FineCents / 100.0 : 0.0;
  mBase2Hz = 440.0 * std::exp2((k2 * t + 60.0 + f + c + b - 69.0) / 12.0);
  mVco1PitchCacheIn = kCacheSentinel;
  mVco2PitchCacheIn = kCacheSentinel;
}

void Voice::SetTune(double cents) noexcept {
  mTuneCents = std::clamp(cents, -100.0, 100.0);
  UpdateBaseFrequencies();
}

void Voice::SetStackDetune(double cents) noexcept {
  mStackDetune = std::clamp(cents, -100.0, 100.0);
  UpdateBaseFrequencies();
}

void Voice::SetOctaveShift(int octaves) noexcept {
  mOctaveShift = std::clamp(octaves, -2, 2);
  UpdateBaseFrequencies();
}

void Voice::SetVco1Range(int octaves) noexcept {
  mVco1Range = std::clamp(octaves, -2, 2);
  UpdateBaseFrequencies();
}

void Voice::SetVco2Range(int code) noexcept {
  mVco2Range = std::clamp(code, kVco2RangeLow, kVco2RangeHigh);
  UpdateBaseFrequencies();
}

void Voice::SetVcoKeyFollow(double amount) noexcept {
  mVcoKeyFollow = std::clamp(amount, 0.0, 1.0);
  UpdateBaseFrequencies();
}

void Voice::SetVcoKeyFollowTarget(int target) noexcept {
  mVcoKeyFollowTarget = static_cast<std::uint8_t>(target);
  UpdateBaseFrequencies();
}

void Voice::SetVco2FineTune(double cents) noexcept {
  mVco2FineCents = std::clamp(cents, -50.0, 50.0);
  mVco2FinePosition = FineTunePosition(mVco2FineCents);
  UpdateBaseFrequencies();
}

void Voice::SetRestartPhase(bool on, double phase, double detuneCents) noexcept {
  mRestartPhaseOn = on ? 1 : 0;
  mRestartPhase = Frac(phase);
  mPartDetune = on ? detuneCents : 0.0;
  UpdateBaseFrequencies();
}

// ---- other settings ------------------------------------------------------------------------------

void Voice::SetVco1Waveform(std::uint8_t code) noexcept {
  mVco1Waveform = code;
  mVco1.mWaveform = code;
  mVco1MixScale = kMixerDriveGain * MixLevel(kVco1MixLevel, code);
}

void Voice::SetVco2Waveform(std::uint8_t code) noexcept {
  mVco2Waveform = code;
  mVco2.mWaveform = code;
  mVco2MixScale = kMixerDriveGain * MixLevel(kVco2MixLevel, code);
}

void Voice::SetVcoMix(double value) noexcept {
  mVcoMix = std::clamp(value, 0.0, 1.0);
  const double a = std::clamp(Interpolate(kVcoMixPosition, 100.0 * mVcoMix), 0.0, 1.0);
  // Equal-power-like crossfade in a 2.55-norm: the middle is neither dipped nor bumped by ear.
  const double n = std::pow(std::pow(1.0 - a, kVcoMixNormExponent) + std::pow(a, kVcoMixNormExponent),
                            1.0 / kVcoMixNormExponent);
  if (n <= 1e-9) {
    mVco1Gain = 1.0;
    mVco2Gain = 0.0;
  } else {
    mVco1Gain = (1.0 - a) / n;
    mVco2Gain = a / n;
  }
}

void Voice::SetVco1ModMode(int mode) noexcept {
  mVco1ModMode = static_cast<std::uint8_t>(mode);
  mVco1ModSign = ModSign(mVco1ModMode);
}

void Voice::SetVco2ModMode(int mode) noexcept {
  mVco2ModMode = static_cast<std::uint8_t>(mode);
  mVco2ModSign = ModSign(mVco2ModMode);
}

void Voice::SetBendRange(double semitones) noexcept {
  mBendRange = semitones;
  mVco1BendSpan = BendSpan(mVco1BendMode, mBendRange);
  mVco2BendSpan = BendSpan(mVco2BendMode, mBendRange);
}

void Voice::SetVco1BendMode(int mode) noexcept {
  mVco1BendMode = static_cast<std::uint8_t>(mode);
  mVco1BendSpan = BendSpan(mVco1BendMode, mBendRange);
}

void Voice::SetVco2BendMode(int mode) noexcept {
  mVco2BendMode = static_cast<std::uint8_t>(mode);
  mVco2BendSpan = BendSpan(mVco2BendMode, mBendRange);
}

void Voice::SetPulseWidth(double width) noexcept {
  mPulseWidthBase = std::clamp(width, 0.0, 0.5);
}

void Voice::SetVcfKeyFollow(double amount) noexcept {
  mVcfKeyFollow = std::clamp(amount, 0.0, 1.0);
}

void Voice::SetVcaLfoAmount(double amount) noexcept {
  mVcaLfoAmount = std::clamp(amount, 0.0, 1.0);
  mVcaLfoLog = std::log(std::max(1e-7, 1.0 - mVcaLfoAmount));
}

void Voice::SetAftertouch(double amount) noexcept {
  mAftertouch = std::clamp(amount, 0.0, 1.0);
  mAftertouchOctaves = Interpolate(kAftertouchCutoffOctaves,
                                   100.0 * std::clamp(mAftertouch * mAftertouchSensitivity, 0.0, 1.0));
}

void Voice::SetAftertouchSensitivity(double amount) noexcept {
  mAftertouchSensitivity = std::clamp(amount, 0.0, 1.0);
  SetAftertouch(mAftertouch);
}

void Voice::SetPortamentoTime(double ms) noexcept {
  mPortamentoMs = std::max(0.0, ms);
  // The glide reaches 90% of an interval in the portamento time.
  const double t = mPortamentoMs * mSampleRate / 1000.0 / std::numbers::ln10;
  mGlideCoef = (mPortamentoMs == 0.0 || t < 1.0) ? 1.0 : 1.0 - std::exp(-1.0 / t);
}

void Voice::SeedDrift(int index) noexcept {
  const double i = static_cast<double>(index);
  mDriftPhase[0] = kTwoPi * Frac(0.61803 * i);
  mDriftPhase[1] = kTwoPi * Frac(1.73205 * i + 0.37);
  mDriftPhase[2] = kTwoPi * Frac(2.41421 * i + 0.71);
}

// ---- notes ---------------------------------------------------------------------------------------

void Voice::NoteOn(int note, double velocity, bool legato) noexcept {
  mNote = note;
  mGlideTarget = static_cast<double>(note);
  mVelocity = std::clamp(velocity, 0.0, 1.0);
  if (!mHasSounded || mGlideCoef >= 1.0)
    mGlideCurrent = mGlideTarget;
  mHasSounded = 1;
  UpdateBaseFrequencies();

  const int key = note + 12 * mOctaveShift;
  for (Envelope* e : {&mEnv1, &mEnv1Copy, &mEnv2, &mEnv2Copy}) {
    e->SetKey(key);
    e->SetVelocity(mVelocity);
    e->NoteOn(legato);
  }
  mLfoDelay.Restart();

  const bool wasActive = mActive != 0;
  if (!wasActive) {
    mHpf.Reset();
    mVcf.Reset();
    mCutoff.SnapToTarget();
    mResonance.SnapToTarget();
    mLevel.SnapToTarget();
    const double t = static_cast<double>(key - 60);
    mKeyFollow.SnapTo(
        mVcfKeyFollow == 0.0 ? 0.0 : (t / 12.0 + (mGlideCurrent - mGlideTarget) / 12.0) * mVcfKeyFollow);
    ClearCurveState();
    mFilterEnvReleaseScale = 1.0;
    mAmpState = 0.0;
    if (mRestartPhaseOn) {
      mVco1.SetPhase(mRestartPhase);
      mVco2.SetPhase(mRestartPhase);
    }
  }
  mFilterEnvRetrigger = wasActive ? 1 : 0;
  mAmpAttackStartPending = wasActive ? 1 : 0;
  mActive = 1;
}

void Voice::NoteOff() noexcept {
  mEnv1.NoteOff();
  mEnv1Copy.NoteOff();
  mEnv2.NoteOff();
  mEnv2Copy.NoteOff();
}

// ---- curves --------------------------------------------------------------------------------------

inline double Voice::Env1Curve(double e1) noexcept {
  if (e1 == mEnv1CacheIn)
    return mEnv1CacheOut;
  mEnv1CacheIn = e1;
  const double e = std::clamp(e1, 0.0, 1.0);
  double w;
  if (e == 0.0)
    w = 0.0;
  else if (e == 1.0)
    w = 1.0;
  else
    // Percent to a fraction by a multiplication: a division would sit on the chain to the pitch.
    w = std::clamp(kEnv1CurveLookup(e, mEnv1Segment) * 0.01, 0.0, 1.0);
  mEnv1CacheOut = w;
  return w;
}

inline double Voice::FilterEnvelope(double e, int code) noexcept {
  if (code == kPhaseAttack) {
    mFilterEnvDecayOffset = 0.0;
    // A retriggered voice's new attack never dips below the value it had when the key came.
    if (mFilterEnvPrevCode != kPhaseAttack && mFilterEnvRetrigger) {
      mFilterEnvCarry = 1;
      mFilterEnvCarried = mFilterEnvLast;
      mFilterEnvRetrigger = 0;
    }
  } else {
    mFilterEnvCarry = 0;
    if (code == kPhaseDecay && mFilterEnvPrevCode == kPhaseAttack) {
      // The attack curve and the decay curve differ at the top; glide from one to the other.
      mFilterEnvDecayOffset = mFilterEnvLast - kFilterEnvDecayLookup(e, mFilterEnvDecaySegment);
    } else if (code == kPhaseRelease && mFilterEnvPrevCode != kPhaseRelease) {
      // A release out of the attack continues from where the attack had got to.
      const double fd = kFilterEnvDecayLookup(e, mFilterEnvDecaySegment);
      mFilterEnvReleaseScale = (mFilterEnvPrevCode == kPhaseAttack && fd > 1e-9) ? mFilterEnvLast / fd : 1.0;
    }
    if (code == kPhaseRelease || code == kPhaseOther)
      mFilterEnvDecayOffset = 0.0;
  }

  double f = mFilterEnvLast;
  if (e != mFilterEnvCacheE || code != mFilterEnvCacheCode) {
    mFilterEnvCacheE = e;
    mFilterEnvCacheCode = code;
    switch (code) {
    case kPhaseRelease:
      f = kFilterEnvDecayLookup(e, mFilterEnvDecaySegment) * mFilterEnvReleaseScale;
      break;
    case kPhaseAttack:
      f = kFilterEnvAttackLookup(std::clamp(e, 0.0, 1.0), mFilterEnvAttackSegment);
      if (mFilterEnvCarry)
        f = std::max(f, mFilterEnvCarried);
      break;
    case kPhaseDecay:
      f = kFilterEnvDecayLookup(e, mFilterEnvDecaySegment) + mFilterEnvDecayOffset;
      mFilterEnvDecayOffset *= mDecayOffsetMultiplier;
      if (std::fabs(mFilterEnvDecayOffset) < 1e-6)
        mFilterEnvDecayOffset = 0.0;
      break;
    default:
      f = kFilterEnvDecayLookup(e, mFilterEnvDecaySegment);
      break;
    }
  }
  mFilterEnvLast = f;
  mFilterEnvPrevCode = code;
  return f;
}

inline double Voice::AmplifierGain(double y, double scale, double sustain) noexcept {
  // The scale changes only at a note start; its inverse is kept so the per-sample step multiplies.
  if (scale != mAmpScaleIn) {
    mAmpScaleIn = scale;
    mAmpScaleInverse = scale <= 1e-9 ? 0.0 : 1.0 / scale;
  }
  const double j = y * mAmpScaleInverse;
  double g;
  if (mEnv2.IsAttack()) {
    if (mAmpAttackStartPending) {
      // A retriggered voice rises from the gain it had, not from silence.
      mAmpAttackStartPending = 0;
      mAmpStartFromLevel = j < 1.0 ? 1 : 0;
      mAmpStartLevel = j;
      mAmpStartGain = mAmpLastGain;
    }
    if (mAmpStartFromLevel) {
      const double span = 1.0 - mAmpStartLevel;
      const double h = span <= 1e-6 ? 1.0 : std::clamp((j - mAmpStartLevel) / span, 0.0, 1.0);
      g = kAmpAttackLookup(h, mAmpAttackSegment) * (1.0 - mAmpStartGain) + mAmpStartGain;
    } else {
      g = kAmpAttackLookup(j, mAmpAttackSegment);
    }
    mAmpReleaseLatched = 0;
  } else {
    mAmpStartFromLevel = 0;
    if (mEnv2.IsDecay()) {
      const double span = 1.0 - sustain;
      g = span > 1e-6 ? kAmpDecayLookup(std::clamp((j - sustain) * mEnv2.DecaySpanInverse(), 0.0, 1.0),
                                        mAmpDecaySegment) *
                                span +
                            sustain
                      : j;
      mAmpReleaseLatched = 0;
    } else if (mEnv2.IsRelease()) {
      if (!mAmpReleaseLatched) {
        mAmpReleaseLatched = 1;
        mAmpReleaseGain = mAmpLastGain;
        mAmpReleaseReference = scale * mEnv2.ReleaseStartLevel();
        mAmpReleaseReferenceInverse = mAmpReleaseReference <= 1e-6 ? 0.0 : 1.0 / mAmpReleaseReference;
      }
      g = mAmpReleaseReference <= 1e-6
              ? 0.0
              : mAmpReleaseGain * kAmpReleaseLookup(std::clamp(y * mAmpReleaseReferenceInverse, 0.0, 1.0),
                                                    mAmpReleaseSegment);
    } else {
      g = j;
      mAmpReleaseLatched = 0;
    }
  }
  mAmpLastGain = g;
  return g;
}

// ---- rendering -----------------------------------------------------------------------------------

double Voice::RenderSample(double noise, double lfo1, double lfo2) noexcept {
  if (!mActive) {
    mVco2History0 = mVco2History1 = 0.0;
    return 0.0;
  }
  VoiceControl c;
  ControlSample(lfo1, lfo2, c);
  return AudioSample(c, noise);
}

void Voice::ControlSample(double lfo1, double lfo2, VoiceControl& c) noexcept {
  ControlEnvelopes(c);
  ControlGlideAndSmoothers(lfo1, c);
  ControlPitchAndFilter(lfo1, lfo2, c);
  ControlAmplifier(lfo1, c);
  FinishAlone(c);
  EndIfDone();
}

inline void Voice::ControlEnvelopes(VoiceControl& c) noexcept {
  // 1. Envelopes.
  // ENV-1 reaches the sound only through pitch, cross-mod depth and pulse width; with all three off its
  // curve would be multiplied by zero (it is finite and never negative), so it only advances.
  double e1 = 0.0;
  double w = 0.0;
  if (mPitchEnv1Amount != 0.0 || mXmodEnv1Amount != 0.0 || mPwmSource == kPwmEnv1) {
    e1 = mEnv1.Tick();
    w = Env1Curve(e1);
  } else {
    mEnv1.Advance();
  }
  // Only the filter-envelope copy that the filter reads needs its shaped output.
  double e1Copy = 0.0;
  double e2Copy = 0.0;
  if (mVcfEnvSelectEnv2) {
    mEnv1Copy.Advance();
    e2Copy = mEnv2Copy.Tick();
  } else {
    e1Copy = mEnv1Copy.Tick();
    mEnv2Copy.Advance();
  }
  c.filterIn = mVcfEnvSelectEnv2 ? e2Copy : e1Copy;
  c.env1 = e1;
  c.env1Curve = w;
  c.env2 = mEnv2.Tick();
}

inline void Voice::ControlGlideAndSmoothers(double lfo1, VoiceControl& c) noexcept {
  // 2-4. Delayed LFO-1 and glide.
  c.lfo1Delayed = mLfoDelay.Tick() * lfo1;
  if (mGlideCurrent != mGlideTarget) {
    mGlideCurrent += (mGlideTarget - mGlideCurrent) * mGlideCoef;
    if (std::fabs(mGlideTarget - mGlideCurrent) <= 1e-9)
      mGlideCurrent = mGlideTarget;
  }
  c.glide = mGlideCurrent == mGlideTarget ? 0.0 : (mGlideCurrent - mGlideTarget) / 12.0;

  // 5. Drift: three slow sines, refreshed every 64 samples.
  mDriftCountdown -= 1.0;
  if (mDriftCountdown < 1.0) {
    mDriftCountdown = kDriftBlock;
    double s[3];
    for (int i = 0; i < 3; ++i) {
      mDriftPhase[i] += kTwoPi * kDriftBlock / mSampleRate * kDriftRatesHz[i];
      if (mDriftPhase[i] >= kTwoPi)
        mDriftPhase[i] -= kTwoPi;
      s[i] = SineOfPhase(mDriftPhase[i]);
    }
    const double a = (0.5 * s[0] - 0.3 * s[1] - 0.2 * s[2]) * kStackDriftSpreadCents / 1200.0;
    const double cents = (s[0] + 0.7 * s[1] + 0.5 * s[2]) / 2.2 * mDriftAmount / 1200.0;
    mDrift1 = cents + a;
    mDrift2 = cents - a;
  }

  // 15. Key follow, cutoff and resonance, and the amplifier's level.
  mKeyFollow.SetTarget(mVcfKeyFollow == 0.0 ? 0.0 : (mKeyOctaves + c.glide) * mVcfKeyFollow);
  c.keyFollow = mKeyFollow.Next();
  c.cutoffHz = std::max(1.0, mCutoff.Next());
  c.resonance = mResonance.Next();
  c.level = mLevel.Next();
  // The knob travel of the cutoff, for the envelope's modulation (step 16).
  if (mVcfEnvAmount > 0.0 && c.cutoffHz != mPercentCacheIn) {
    mPercentCacheIn = c.cutoffHz;
    mPercentCacheOut = CutoffFrequencyToPercent(c.cutoffHz);
  }
  c.cutoffPercent = mPercentCacheOut;
}

inline void Voice::ControlPitchAndFilter(double lfo1, double lfo2, VoiceControl& c) noexcept {
  const double e1 = c.env1;
  const double w = c.env1Curve;
  const double d1 = c.lfo1Delayed;
  const double g = c.glide;

  // 6. Pitch in octaves.
  const double m = d1 * mPitchLfoAmount + w * mPitchEnv1Amount;
  c.pitchMod = m;
  const double at =
      mAftertouchMode == kAftertouchPitch ? mAftertouch * mAftertouchSensitivity * 2.0 * lfo2 : 0.0;
  // One multiplication per oscillator: the semitone terms are summed first. (By 1/12, not a division:
  // it is on the chain from the modulation to the oscillators' increments.)
  const double p1 = (mVco1ModSign * m + at + mBend * mVco1BendSpan) * (1.0 / 12.0) + g + mDrift1;
  const double p2 = (mVco2ModSign * m + at + mBend * mVco2BendSpan) * (1.0 / 12.0) + g + mDrift2;

  // 7. Pulse width (LFO-1 without its delay).
  const double pwmSource = mPwmSource == kPwmEnv1 ? e1 : mPwmSource == kPwmLfo1 ? lfo1 : PwmKeySource();
  const double pwm = mPwmAmount * pwmSource * 0.42;
  c.width = std::clamp(mPwmInverted ? mPulseWidthBase - pwm : mPulseWidthBase + pwm, 0.0, 1.0);

  // Modulated pitches, cutoff octaves and the tremolo change every sample; their exponentials are the
  // inline forms, a few ulp from the library's (a pitch error of ~1e-13 cents).

  // 8. VCO-2 frequency.
  c.base2Hz = mBase2Hz;
  c.pitch2 = p2;

  // 9. Cross-modulation depth; the audio half applies it to VCO-2's last two mixer outputs.
  const double xmodIn = 100.0 * std::clamp(w * mXmodEnv1Amount + mXmodManual, 0.0, 1.0);
  if (xmodIn != mXmodCacheIn) {
    mXmodCacheIn = xmodIn;
    mXmodDepth = kXmodDepthLookup(xmodIn, mXmodSegment);
  }
  // Negation is exact, so the sign may go on the depth instead of the product.
  c.xmodDepth = mXmodInverted ? -mXmodDepth : mXmodDepth;
  c.base1Hz = mBase1Hz;
  c.pitch1 = p1;

  // 14. Filter envelope.
  const Envelope& filterEnv = mVcfEnvSelectEnv2 ? mEnv2Copy : mEnv1Copy;
  const int code = FilterPhaseOf(filterEnv);
  const double F = FilterEnvelope(c.filterIn, code);

  // 16. Envelope modulation in knob travel, so it sounds even across the range (converted to a
  // frequency by FinishAlone or the group's lanes).
  c.modPercent = -1.0;
  if (mVcfEnvAmount > 0.0 && F > 0.0) {
    const double amount = mVcfEnvInverted ? -mVcfEnvAmount * F : mVcfEnvAmount * F;
    c.modPercent = std::clamp(amount + c.cutoffPercent, 0.0, 100.0);
  }

  // 17. Octave offsets from LFO-1 (delayed), key follow and aftertouch.
  double o = d1 * mVcfLfoAmount + c.keyFollow;
  if (mAftertouchMode == kAftertouchCutoff)
    o += mAftertouchOctaves;

  // 18. Floors keep an enveloped filter from closing completely while the envelope is up.
  double floorHz = -std::numeric_limits<double>::infinity();
  if (mVcfEnvAmount > 0.0 && !mVcfEnvInverted) {
    if (code == kPhaseDecay || code == kPhaseRelease || F <= 0.0)
      floorHz = 1.0;
    else if (code == kPhaseAttack)
      floorHz = 5.0;
    else
      floorHz = 15.0;
  }
  c.octaves = o;
  c.floorHz = floorHz;
}

inline void Voice::ControlAmplifier(double lfo1, VoiceControl& c) noexcept {
  // 20-21. Tremolo from LFO-1 without the delay, and the amplifier.
  const double gain = AmplifierGain(c.env2, mEnv2.OutputScale(), mEnv2.Sustain());
  c.ampTarget = c.level * gain * mEnv2.OutputScale();
  c.tremolo = TremoloOn();
  c.tremoloArg = (1.0 - lfo1) * 0.5 * mVcaLfoLog;
}

void Voice::FinishAlone(VoiceControl& c) noexcept {
  if (c.pitch2 != mVco2PitchCacheIn) {
    mVco2PitchCacheIn = c.pitch2;
    mVco2FreqHz = mBase2Hz * FastExp2(c.pitch2);
  }
  c.vco2Hz = mVco2FreqHz;
  if (c.octaves != mOctaveCacheIn) {
    mOctaveCacheIn = c.octaves;
    mOctaveCacheOut = FastExp2(c.octaves);
  }
  double cutoffHz = c.cutoffHz;
  if (!(c.modPercent < 0.0)) {
    if (c.modPercent != mModCutoffCacheIn) {
      mModCutoffCacheIn = c.modPercent;
      mModCutoffCacheOut = CutoffPercentToFrequency(c.modPercent, mCutoffSegment);
    }
    cutoffHz = mModCutoffCacheOut;
  }
  const double cutoff = std::max(cutoffHz * mOctaveCacheOut, c.floorHz);
  // 19. Ladder coefficients (the audio half runs the ladder).
  mLastCutoffHz = std::max(1.0, cutoff);
  mVcf.SetCutoffAndResonance(mLastCutoffHz, c.resonance);
  const double trem = c.tremolo == 0.0 ? 1.0 : FastExp(c.tremoloArg);
  mAmpState += (c.ampTarget * trem - mAmpState) * mAmpCoef;
  c.amp = mAmpState;
}

template <int kLanes>
int Voice::ControlRun(const double* lfo1, const double* lfo2, int n, double* controls, int lane) noexcept {
  const auto at = [controls, lane](int value, int s) -> double& {
    return controls[(value * kControlRunLength + s) * kLanes + lane];
  };
  int ran = n;
  for (int s = 0; s < n; ++s) {
    VoiceControl c;
    ControlEnvelopes(c);
    ControlGlideAndSmoothers(lfo1[s], c);
    ControlPitchAndFilter(lfo1[s], lfo2[s], c);
    ControlAmplifier(lfo1[s], c);
    mVcf.SetResonanceAndStepNoise(c.resonance);
    at(kControlPitchMod, s) = c.pitchMod;
    at(kControlGlide, s) = c.glide;
    at(kControlDrift1, s) = mDrift1;
    at(kControlDrift2, s) = mDrift2;
    at(kControlEnv1, s) = c.env1;
    at(kControlXmodDepth, s) = c.xmodDepth;
    at(kControlCutoffHz, s) = c.cutoffHz;
    at(kControlModPercent, s) = c.modPercent;
    // The modulated travel is at most 100; at 0 the lanes take the lowest frequency without a segment.
    const std::uint64_t segment = c.modPercent > 0.0 ? CutoffPercentSegment(c.modPercent, mCutoffSegment) : 1;
    at(kControlCutoffSegment, s) = std::bit_cast<double>(segment);
    at(kControlOctaves, s) = c.octaves;
    at(kControlFloorHz, s) = c.floorHz;
    at(kControlAmpTarget, s) = c.ampTarget;
    at(kControlJitterNoise, s) = mVcf.JitterNoise();
    at(kControlJitterDepth, s) = mVcf.JitterDepth();
    at(kControlLadderFeedbackBase, s) = mVcf.FeedbackBaseValue();
    at(kControlLadderGainBase, s) = mVcf.GainBaseValue();
    at(kControlLadderSelfOscillation, s) = mVcf.SelfOscillationFactor();
    at(kControlLadderBlend, s) = mVcf.SmoothingBlend();
    EndIfDone();
    if (!mActive) {
      ran = s + 1;
      break;
    }
  }
  for (int s = ran; s < n; ++s)
    for (int value = 0; value < kControlValueCount; ++value)
      at(value, s) = at(value, ran - 1);
  return ran;
}

template int Voice::ControlRun<2>(const double*, const double*, int, double*, int) noexcept;
template int Voice::ControlRun<4>(const double*, const double*, int, double*, int) noexcept;
template int Voice::ControlRun<8>(const double*, const double*, int, double*, int) noexcept;

double Voice::PwmKeySource() const noexcept {
  return mPwmSource == kPwmKey ? std::clamp((mNote - 60) / 24.0, -1.0, 1.0) : 0.0;
}

bool Voice::SharesLanesWith(const Voice& other) const noexcept {
  return mVco1.mWaveform == other.mVco1.mWaveform && mVco2.mWaveform == other.mVco2.mWaveform &&
         mSyncMode == other.mSyncMode &&
         (mVco2Range == kVco2RangeHigh) == (other.mVco2Range == kVco2RangeHigh) &&
         mVcf.Iterations() == other.mVcf.Iterations();
}

// 22. The voice ends with ENV-2; its last sample still sounds.
void Voice::EndIfDone() noexcept {
  if (mEnv2.IsIdle())
    mActive = 0;
}

double Voice::AudioSample(const VoiceControl& c, double noise) noexcept {
  // Setting the width and VCO-2's frequency every sample gives what setting them on a change gives.
  mVco1.SetPulseWidth(c.width);
  mVco2.SetPulseWidth(c.width);
  mVco2.SetFrequency(c.vco2Hz);

  // 9. Cross-modulation from VCO-2's last two mixer outputs into VCO-1's pitch.
  double xm = (mVco2History0 + mVco2History1) * 0.5 * c.xmodDepth;
  if (xm < 0.0)
    xm *= 0.65; // downward sweeps are shallower than upward ones
  const double pitch1 = c.pitch1 + xm;
  if (pitch1 != mVco1PitchCacheIn) {
    mVco1PitchCacheIn = pitch1;
    mVco1FreqHz = c.base1Hz * FastExp2(pitch1);
    mVco1.SetFrequency(mVco1FreqHz);
  }

  // 10-11. Oscillators and hard sync.
  const double v1 = mVco1.RenderSample();
  const double v2 = mVco2.RenderSampleWithNoise(noise);
  if (mSyncMode == kSyncVco1Master && mVco1.Wrapped()) {
    const double i = mVco1.Increment();
    double f = i != 0.0 ? mVco1.Phase() / i : 0.0;
    if (!(f >= 0.0 && f < 1.0))
      f = 0.0;
    mVco2.HardSync(f);
  } else if (mSyncMode == kSyncVco2Master && mVco2.Wrapped()) {
    const double i = mVco2.Increment();
    double f = i != 0.0 ? mVco2.Phase() / i : 0.0;
    if (!(f >= 0.0 && f < 1.0))
      f = 0.0;
    mVco1.HardSync(f);
  }

  // 12. Mixer with soft saturation.
  double t1, t2;
  FastTanhPair(v1, v2, t1, t2);
  const double s1 = t1 * mVco1MixScale;
  double s2 = t2 * mVco2MixScale;
  mVco2History0 = mVco2History1;
  mVco2History1 = s2;
  if (mVco2Range == kVco2RangeHigh)
    s2 = mHighRangeShelf.Process(s2);
  const double mix = s2 * mVco2Gain + s1 * mVco1Gain;

  // 13. High-pass, then the ladder with the coefficients the control half set.
  const double h = mHpf.Process(mix) * 0.5;
  const double y = mVcf.Process(h);
  return y * c.amp;
}
