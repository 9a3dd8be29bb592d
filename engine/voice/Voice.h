// One voice: two VCOs with cross-mod and sync, mixer, high-pass, ladder low-pass and amplifier.
#pragma once

#include <cstdint>

#include "engine/envelope/Envelope.h"
#include "engine/filter/Hpf.h"
#include "engine/filter/Vcf.h"
#include "engine/lfo/LfoDelay.h"
#include "engine/oscillator/Vco.h"
#include "engine/oversampling/SmoothedValue.h"
#include "engine/util/Biquad.h"

// What the control half of a sample (envelopes, pitch, cutoff, amplifier) hands to the audio half
// (oscillators, mixer, filters). The control half never reads the audio half's state, so the two can
// run apart: VoiceLanes runs the audio half of two, four or eight voices side by side. Every field is written
// by the steps before it is read, so the record is left uninitialised: it is filled every sample.
struct VoiceControl {
  double base1Hz; // VCO-1 base frequency
  double pitch1;  // VCO-1 pitch offset in octaves before cross-modulation
  double vco2Hz;
  double width;     // pulse width of both oscillators
  double xmodDepth; // cross-mod depth, already signed by the polarity
  double amp;       // amplifier gain after its one-pole

  // What a group finishes on its lanes (ControlRun hands these over; vco2Hz and amp are then left
  // unset): VCO-2's frequency is base2Hz x 2^pitch2; the ladder's cutoff is cutoffHz x 2^octaves, at
  // least floorHz; the amplifier's one-pole aims at ampTarget x the tremolo, e^tremoloArg when tremolo.
  double base2Hz;
  double pitch2;
  double cutoffHz;   // the knob's, smoothed
  double modPercent; // the knob travel the filter envelope moves it to; -1 without envelope modulation
  double octaves;
  double floorHz;
  double tremolo; // 1 with tremolo, 0 without
  double tremoloArg;
  double ampTarget;
  double resonance;

  // Handed from one step of the control half to the next.
  double env1;
  double env1Curve;
  double filterIn; // the filter-envelope copy's output
  double env2;
  double lfo1Delayed;
  double pitchMod; // semitones of LFO-1 and ENV-1, before each VCO's mod-mode sign
  double glide;
  double keyFollow;     // octaves
  double cutoffPercent; // knob travel of cutoffHz (kept while the envelope amount is 0)
  double level;
};

// What a voice rendered in a group hands to the group's lanes each sample: the fields of VoiceControl
// that the lanes read, the terms of the two pitches (the lanes sum them), the breakpoint above the
// modulated knob travel (the lanes convert it to a frequency), and the ladder's settings after the
// control half (its jitter's noise and depth, feedback and gain bases, self-oscillation factor and
// smoothing blend); ENV-1 for the pulse width. What changes only between blocks (base frequencies,
// mod-mode signs, bend, the aftertouch's pitch factor, the pulse width's settings, the tremolo's
// depth) the group loads with the voices; the LFOs it reads itself. The breakpoint is an integer in a
// double's bits.
enum ControlValue : int {
  kControlPitchMod,
  kControlGlide,
  kControlDrift1,
  kControlDrift2,
  kControlEnv1,
  kControlXmodDepth,
  kControlCutoffHz,
  kControlModPercent,
  kControlCutoffSegment,
  kControlOctaves,
  kControlFloorHz,
  kControlAmpTarget,
  kControlJitterNoise,
  kControlJitterDepth,
  kControlLadderFeedbackBase,
  kControlLadderGainBase,
  kControlLadderSelfOscillation,
  kControlLadderBlend,
  kControlValueCount
};

// A plain record without virtual calls: the tone part writes every setting to all its voices and
// renders each voice every sample. Audio thread only: setters run between samples.
class Voice {
public:
  enum KeyFollowTarget : std::uint8_t { kKeyFollowVco1 = 0, kKeyFollowNeither = 1, kKeyFollowVco2 = 2 };
  enum ModMode : std::uint8_t { kModNormal = 0, kModOff = 1, kModInverted = 2 };
  enum BendMode : std::uint8_t { kBendWide = 0, kBendNormal = 1, kBendOff = 2 };
  enum PwmSource : std::uint8_t { kPwmEnv1 = 0, kPwmLfo1 = 1, kPwmKey = 2 };
  enum SyncMode : std::uint8_t { kSyncOff = 0, kSyncVco1Master = 1, kSyncVco2Master = 2 };
  enum AftertouchMode : std::uint8_t { kAftertouchPitch = 0, kAftertouchCutoff = 1 };
  static constexpr int kVco2RangeLow = 0;
  static constexpr int kVco2RangeHigh = 6;
  // Caches start here; no input ever equals it, so the first sample always computes.
  static constexpr double kCacheSentinel = 1e300;

  Voice();

  void Prepare(double sampleRate) noexcept;
  void Reset() noexcept;
  void NoteOn(int note, double velocity, bool legato) noexcept;
  void NoteOff() noexcept;
  // One output sample; noise is the shared noise sample, lfo1 and lfo2 the part's LFO values.
  double RenderSample(double noise, double lfo1, double lfo2) noexcept;
  // The control half of n samples (at most kControlRunLength) for a voice rendered in lane `lane` of a
  // group of kLanes (2, 4 or 8; a constant, so that every value's place is a fixed offset from the
  // sample's): value v of sample s is controls[(v x kControlRunLength + s) x kLanes + lane] (v a
  // ControlValue), so the group loads one value of all its lanes at once. Stops after the sample that ends
  // the voice (that sample still sounds) and returns how many samples it ran; the rest of the run repeats
  // that sample's values, which the group's lane computes on unheard. 32 samples: longer runs measured
  // faster, and a group's control values (18 x 32 x 8 doubles) still fit L1.
  static constexpr int kControlRunLength = 32;
  template <int kLanes>
  int ControlRun(const double* lfo1, const double* lfo2, int n, double* controls, int lane) noexcept;

  bool IsActive() const noexcept { return mActive != 0; }
  // Whether two voices may render side by side in one group: the settings that steer the audio half's
  // structure agree.
  bool SharesLanesWith(const Voice& other) const noexcept;
  int Note() const noexcept { return mNote; }

  // Pitch setters: each recomputes the base frequencies at once.
  void SetTune(double cents) noexcept;
  void SetStackDetune(double cents) noexcept;
  void SetOctaveShift(int octaves) noexcept;
  void SetVco1Range(int octaves) noexcept;
  void SetVco2Range(int code) noexcept;
  void SetVcoKeyFollow(double amount) noexcept;
  void SetVcoKeyFollowTarget(int target) noexcept;
  void SetVco2FineTune(double cents) noexcept;
  void SetRestartPhase(bool on, double phase, double detuneCents) noexcept;

  // Oscillator and mixer.
  void SetVco1Waveform(std::uint8_t code) noexcept;
  void SetVco2Waveform(std::uint8_t code) noexcept;
  void SetVcoMix(double value) noexcept;
  void SetVcoModLfoAmount(double semitones) noexcept { mPitchLfoAmount = semitones; }
  void SetVcoModEnv1Amount(double semitones) noexcept { mPitchEnv1Amount = semitones; }
  void SetVco1ModMode(int mode) noexcept;
  void SetVco2ModMode(int mode) noexcept;
  void SetPulseWidth(double width) noexcept;
  void SetPwmAmount(double amount) noexcept { mPwmAmount = amount; }
  void SetPwmSource(int source) noexcept { mPwmSource = static_cast<std::uint8_t>(source); }
  void SetPwmPolarity(bool inverted) noexcept { mPwmInverted = inverted ? 1 : 0; }
  void SetXmodManual(double amount) noexcept { mXmodManual = amount; }
  void SetXmodEnv1Amount(double amount) noexcept { mXmodEnv1Amount = amount; }
  void SetXmodPolarity(bool inverted) noexcept { mXmodInverted = inverted ? 1 : 0; }
  void SetSyncMode(int mode) noexcept { mSyncMode = static_cast<std::uint8_t>(mode); }

  // Filters and amplifier.
  void SetHpfCutoff(double hz) noexcept { mHpf.SetCutoff(hz); }
  void SetVcfCutoff(double hz) noexcept { mCutoff.SetTarget(hz); }
  void SetVcfResonance(double resonance) noexcept { mResonance.SetTarget(resonance); }
  void SetVcfEnvAmount(double percent) noexcept { mVcfEnvAmount = percent; }
  void SetVcfEnvPolarity(bool inverted) noexcept { mVcfEnvInverted = inverted ? 1 : 0; }
  void SetVcfEnvSelect(bool env2) noexcept { mVcfEnvSelectEnv2 = env2 ? 1 : 0; }
  void SetVcfLfoAmount(double octaves) noexcept { mVcfLfoAmount = octaves; }
  void SetVcfKeyFollow(double amount) noexcept;
  void SetVcaLevel(double gain) noexcept { mLevel.SetTarget(gain); }
  void SetVcaLfoAmount(double amount) noexcept;

  // Performance controls.
  void SetLfo2Mode(int mode) noexcept { mAftertouchMode = static_cast<std::uint8_t>(mode); }
  void SetAftertouch(double amount) noexcept;
  void SetAftertouchSensitivity(double amount) noexcept;
  void SetPitchBend(double position) noexcept { mBend = position; }
  void SetBendRange(double semitones) noexcept;
  void SetVco1BendMode(int mode) noexcept;
  void SetVco2BendMode(int mode) noexcept;
  void SetPortamentoTime(double ms) noexcept;

  // Voice assignment.
  void SetDriftAmount(double cents) noexcept { mDriftAmount = cents < 0.0 ? 0.0 : cents; }
  void SeedDrift(int index) noexcept;

  // The processor sets the envelope values on each voice's ENV-1 pair and ENV-2 pair.
  Envelope& Env1() noexcept { return mEnv1; }
  Envelope& Env1Copy() noexcept { return mEnv1Copy; }
  Envelope& Env2() noexcept { return mEnv2; }
  Envelope& Env2Copy() noexcept { return mEnv2Copy; }
  LfoDelay& GetLfoDelay() noexcept { return mLfoDelay; }
  const Vco& Vco1() const noexcept { return mVco1; }
  const Vco& Vco2() const noexcept { return mVco2; }

  // Read-outs for the part, tests and diagnostics.
  double Base1Hz() const noexcept { return mBase1Hz; }
  double Base2Hz() const noexcept { return mBase2Hz; }
  // 1 with the amplifier's LFO amount above zero, else 0 (the tremolo's exponential is skipped).
  double TremoloOn() const noexcept { return mVcaLfoAmount == 0.0 ? 0.0 : 1.0; }
  double Vco2FinePosition() const noexcept { return mVco2FinePosition; }
  double Vco1Gain() const noexcept { return mVco1Gain; }
  double Vco2Gain() const noexcept { return mVco2Gain; }
  double StackDetune() const noexcept { return mStackDetune; }
  double DriftAmount() const noexcept { return mDriftAmount; }
  double GlideCoefficient() const noexcept { return mGlideCoef; }
  double LastFilterEnv() const noexcept { return mFilterEnvLast; }
  double LastAmpGain() const noexcept { return mAmpLastGain; }
  double LastCutoffHz() const noexcept { return mLastCutoffHz; }
  double SampleRate() const noexcept { return mSampleRate; }

  // VCO-2 knob position of a fine tune (0 at -49.86 cents, 0.5 at 0, 1 at +49.86).
  static double FineTunePosition(double cents) noexcept;
  // VCO-2 pitch offset in semitones for a range code and knob position (fine tune excluded).
  static double Vco2RangeSemitones(int code, double position) noexcept;

private:
  template <class L> friend class VoiceLanes; // moves the audio half's state in and out

  void UpdateBaseFrequencies() noexcept;
  // The two halves of RenderSample for an active voice: ControlSample, then AudioSample with its
  // record. ControlSample may end the voice (the sample it returns still sounds).
  void ControlSample(double lfo1, double lfo2, VoiceControl& c) noexcept;
  double AudioSample(const VoiceControl& c, double noise) noexcept;
  // The control half in its steps, shared by ControlSample and ControlRun: ControlEnvelopes,
  // ControlGlideAndSmoothers, ControlPitchAndFilter, ControlAmplifier, the ladder's resonance and
  // jitter, then EndIfDone. They and the curves below are inlined into both callers: as calls, the
  // record went through memory every sample and the worst case measured 7% slower.
  [[gnu::always_inline]] inline void ControlEnvelopes(VoiceControl& c) noexcept;
  [[gnu::always_inline]] inline void ControlGlideAndSmoothers(double lfo1, VoiceControl& c) noexcept;
  [[gnu::always_inline]] inline void ControlPitchAndFilter(double lfo1, double lfo2,
                                                           VoiceControl& c) noexcept;
  [[gnu::always_inline]] inline void ControlAmplifier(double lfo1, VoiceControl& c) noexcept;
  void EndIfDone() noexcept;
  // The rest of ControlSample for a voice rendered alone: the exponentials, the ladder's cutoff and
  // coefficients and the amplifier's one-pole, which a group does on its lanes.
  void FinishAlone(VoiceControl& c) noexcept;
  [[gnu::always_inline]] inline double Env1Curve(double e1) noexcept;
  [[gnu::always_inline]] inline double FilterEnvelope(double e, int code) noexcept;
  [[gnu::always_inline]] inline double AmplifierGain(double y, double scale, double sustain) noexcept;
  void ClearCurveState() noexcept;
  // The pulse width's modulation source where it is neither ENV-1 nor LFO-1: the key, or 0.
  double PwmKeySource() const noexcept;
  void ClearCaches() noexcept;

  Vco mVco1;
  Vco mVco2;
  Hpf mHpf;
  Vcf mVcf;
  Envelope mEnv1;
  Envelope mEnv1Copy;
  Envelope mEnv2;
  Envelope mEnv2Copy;
  LfoDelay mLfoDelay;
  SmoothedValue mCutoff;
  SmoothedValue mResonance;
  SmoothedValue mLevel;
  SmoothedValue mKeyFollow;
  Biquad mHighRangeShelf;

  double mSampleRate = 48000.0;

  // Settings.
  std::uint8_t mVco1Waveform = Vco::kSawtooth;
  std::uint8_t mVco2Waveform = Vco::kSawtooth;
  double mTuneCents = 0.0;
  int mVco1Range = 0;
  int mVco2Range = 3;
  double mVcoKeyFollow = 1.0;
  std::uint8_t mVcoKeyFollowTarget = kKeyFollowNeither;
  double mVco2FineCents = 0.0;
  double mVco2FinePosition = 0.5;
  double mVcoMix = 0.5;
  double mVco1Gain = 0.70710678;
  double mVco2Gain = 0.70710678;
  double mPitchLfoAmount = 0.0;
  double mPitchEnv1Amount = 0.0;
  std::uint8_t mVco1ModMode = kModNormal;
  std::uint8_t mVco2ModMode = kModNormal;
  double mPulseWidthBase = 0.5;
  double mPwmAmount = 0.0;
  std::uint8_t mPwmSource = kPwmLfo1;
  std::uint8_t mPwmInverted = 0;
  double mXmodManual = 0.0;
  double mXmodEnv1Amount = 0.0;
  std::uint8_t mXmodInverted = 0;
  std::uint8_t mSyncMode = kSyncOff;
  double mVcfEnvAmount = 0.0;
  std::uint8_t mVcfEnvInverted = 0;
  std::uint8_t mVcfEnvSelectEnv2 = 0;
  double mVcfLfoAmount = 0.0;
  double mVcfKeyFollow = 0.0;
  double mVcaLfoAmount = 0.0;
  double mVcaLfoLog = 0.0;
  std::uint8_t mAftertouchMode = kAftertouchPitch;
  double mAftertouch = 0.0;
  double mAftertouchSensitivity = 0.0;
  double mBend = 0.0;
  double mBendRange = 2.0;
  std::uint8_t mVco1BendMode = kBendNormal;
  std::uint8_t mVco2BendMode = kBendNormal;
  int mOctaveShift = 0;
  double mPortamentoMs = 0.0;
  double mGlideCoef = 1.0;
  double mStackDetune = 0.0;
  double mDriftAmount = 0.0;
  double mPartDetune = 0.0;
  std::uint8_t mRestartPhaseOn = 0;
  double mRestartPhase = 0.0;

  // Running state.
  int mNote = 60;
  double mVelocity = 1.0;
  std::uint8_t mActive = 0;
  std::uint8_t mHasSounded = 0;
  double mGlideCurrent = 60.0;
  double mGlideTarget = 60.0;
  double mBase1Hz = 440.0;
  double mBase2Hz = 440.0;
  double mDriftPhase[3] = {0.0, 0.0, 0.0};
  double mDriftCountdown = 1.0;
  double mDrift1 = 0.0;
  double mDrift2 = 0.0;
  double mVco2History0 = 0.0; // older
  double mVco2History1 = 0.0; // newer

  // Filter-envelope curve state.
  double mFilterEnvLast = 0.0;
  int mFilterEnvPrevCode = 0;
  double mFilterEnvReleaseScale = 1.0;
  double mFilterEnvDecayOffset = 0.0;
  double mDecayOffsetMultiplier = 0.0;
  std::uint8_t mFilterEnvCarry = 0;
  double mFilterEnvCarried = 0.0;
  std::uint8_t mFilterEnvRetrigger = 0;
  double mFilterEnvCacheE = kCacheSentinel;
  int mFilterEnvCacheCode = -1;
  // Where each curve's lookup starts: the segment it was read in at the last sample (caches).
  std::uint32_t mEnv1Segment = 0;
  std::uint32_t mXmodSegment = 0;
  std::uint32_t mFilterEnvAttackSegment = 0;
  std::uint32_t mFilterEnvDecaySegment = 0;
  std::uint32_t mAmpAttackSegment = 0;
  std::uint32_t mAmpDecaySegment = 0;
  std::uint32_t mAmpReleaseSegment = 0;
  std::uint32_t mCutoffSegment = 1; // the breakpoint above it

  // Amplifier curve state.
  double mAmpLastGain = 0.0;
  std::uint8_t mAmpAttackStartPending = 0;
  std::uint8_t mAmpStartFromLevel = 0;
  double mAmpStartLevel = 0.0;
  double mAmpStartGain = 0.0;
  std::uint8_t mAmpReleaseLatched = 0;
  double mAmpReleaseGain = 0.0;
  double mAmpReleaseReference = 0.0;
  double mAmpReleaseReferenceInverse = 0.0;
  double mAmpScaleIn = 0.0;
  double mAmpScaleInverse = 0.0;
  double mAmpState = 0.0;
  double mAmpCoef = 1.0;

  // Caches keyed on their inputs.
  double mEnv1CacheIn = kCacheSentinel;
  double mEnv1CacheOut = 0.0;
  double mVco2PitchCacheIn = kCacheSentinel;
  double mVco2FreqHz = 0.0;
  double mXmodCacheIn = kCacheSentinel;
  double mXmodDepth = 0.0;
  double mVco1PitchCacheIn = kCacheSentinel;
  double mVco1FreqHz = 0.0;
  double mPercentCacheIn = kCacheSentinel;
  double mPercentCacheOut = 0.0;
  double mModCutoffCacheIn = kCacheSentinel;
  double mModCutoffCacheOut = 0.0;
  double mOctaveCacheIn = kCacheSentinel;
  double mOctaveCacheOut = 1.0;
  double mAftertouchOctaves = 0.0;
  double mKeyOctaves = 0.0;   // (note + 12 x octave shift - 60) / 12
  double mVco1MixScale = 1.0; // mixer drive gain x VCO-1 waveform level
  double mVco2MixScale = 1.0;
  double mLastCutoffHz = 0.0;
  // Mod-mode signs and bend spans, kept with their settings so the render reads them directly.
  double mVco1ModSign = 1.0;
  double mVco2ModSign = 1.0;
  double mVco1BendSpan = 2.0;
  double mVco2BendSpan = 2.0;
};
