// One tone section: 32 voices, their assignment under five assign modes, hold, LFOs and output equaliser.
#pragma once

#include <array>
#include <cstdint>

#include "engine/lfo/Lfo.h"
#include "engine/util/Biquad.h"
#include "engine/voice/Voice.h"
#include "engine/voice/VoiceLanes.h"

// Held by value in the processor (Upper and Lower) and never allocates after construction.
// Audio thread only: rendering, note entry and every setter run there.
class TonePart {
public:
  static constexpr int kVoiceCount = 32;
  static constexpr int kMaxStackedKeys = 128;
  static constexpr int kMaxStackVoices = 24;
  static constexpr int kEqSections = 7;

  // Assign-mode byte as stored and exchanged.
  enum AssignMode : std::uint8_t { kSolo = 0, kUnison1 = 1, kUnison2 = 2, kPoly1 = 3, kPoly2 = 4 };
  enum HoldMode : int { kHoldMidi = 0, kHoldOn = 1, kHoldOff = 2 };

  TonePart();
  TonePart(const TonePart&) = delete;
  TonePart& operator=(const TonePart&) = delete;

  void Prepare(double sampleRate) noexcept;
  void Reset() noexcept;
  // One sample of the part; noise is the shared noise sample (0 when no part uses noise).
  double RenderSample(double noise) noexcept;
  // The same as n calls of RenderSample (bit for bit), voice by voice over the block so that each
  // voice's state stays in cache. noise holds n samples, or is null for silence. Between note events.
  void RenderBlock(const double* noise, double* out, int n) noexcept;
  // Sub-samples per chunk: a group of voices loads and stores its lanes once per chunk, so 64 frames
  // at 4x are one chunk.
  static constexpr int kMaxChunk = 256;
  // RenderBlock renders runs of voices side by side on vector lanes (the default) or every voice on its
  // own (the reference the groups are checked against); both give the same samples. Runs of four
  // render as a VoiceQuad where the quad has its AVX2 form (else see SetSplitQuadRendering), runs of
  // two or three as a VoicePair: the quad's baseline form is slower than the voices alone.
  void SetLaneRendering(bool on) noexcept { mLaneRendering = on ? 1 : 0; }
  // With lanes on, runs of eight voices render as a VoiceOctet (the default where the processor has
  // AVX-512: eight lanes in one register cost about what four do); again the same samples.
  void SetOctetRendering(bool on) noexcept { mOctetRendering = on ? 1 : 0; }
  // Without octets, runs of eight render as a VoiceOctetAvx2 (two AVX2 registers per value) where
  // the processor has AVX2; where quads lack their AVX2 form, runs of four render as a VoiceQuadSse42
  // (two SSE registers) where it has SSE4.2: the defaults, faster than quads and pairs there. Ignored
  // where the processor lacks them; again the same samples.
  void SetSplitOctetRendering(bool on) noexcept;
  void SetSplitQuadRendering(bool on) noexcept;
  VoiceQuad& Quad() noexcept { return mQuad; }
  VoicePair& Pair() noexcept { return mPair; }
  VoiceOctet& Octet() noexcept { return mOctet; }

  void NoteOn(int note, double velocity) noexcept;
  void NoteOff(int note) noexcept;
  void AllNotesOff() noexcept;

  void SetHoldPedal(bool down) noexcept;
  void SetHoldMode(int mode) noexcept;
  void SetVoiceLimit(int voices) noexcept;
  void SetUnisonDetune(double amount) noexcept;

  // LFOs and tempo.
  void SetTempo(double bpm) noexcept;
  void SetLfo1Rate(double hz) noexcept;
  void SetLfo1RandomRate(double hz) noexcept;
  void SetLfo1Waveform(int waveform) noexcept;
  void SetLfo1Sync(bool on) noexcept;
  void SetLfo1SyncDivision(int index) noexcept;
  void SetLfo1Delay(double ms) noexcept;
  void SetLfo2Rate(double hz) noexcept;
  void SetLfo2Sync(bool on) noexcept;
  void SetLfo2SyncDivision(int index) noexcept;
  void UpdateLfo1Rate() noexcept;
  void UpdateLfo2Rate() noexcept;

  // Setters with rules of their own.
  void SetPulseWidth(double percent) noexcept;
  void SetVco1Waveform(int code) noexcept;
  void SetVco2Waveform(int code) noexcept;
  void SetDynamicsSensitivity(double amount) noexcept;

  // Setters that hand their value to every voice unchanged.
  void SetAftertouch(double v) noexcept;
  void SetAftertouchSensitivity(double v) noexcept;
  void SetBendRange(double semitones) noexcept;
  void SetPitchBend(double position) noexcept;
  void SetLfo2Mode(int mode) noexcept;
  void SetTune(double cents) noexcept;
  void SetOctaveShift(int octaves) noexcept;
  void SetPortamentoTime(double ms) noexcept;
  void SetPwmAmount(double v) noexcept;
  void SetPwmPolarity(bool inverted) noexcept;
  void SetPwmSource(int source) noexcept;
  void SetSyncMode(int mode) noexcept;
  void SetVcaLevel(double gain) noexcept;
  void SetVcaLfoAmount(double v) noexcept;
  void SetVcfCutoff(double hz) noexcept;
  void SetVcfEnvAmount(double percent) noexcept;
  void SetVcfEnvPolarity(bool inverted) noexcept;
  void SetVcfEnvSelect(int select) noexcept;
  void SetVcfKeyFollow(double v) noexcept;
  void SetVcfLfoAmount(double octaves) noexcept;
  void SetVcfResonance(double v) noexcept;
  void SetVco1BendMode(int mode) noexcept;
  void SetVco1ModMode(int mode) noexcept;
  void SetVco1Range(int octaves) noexcept;
  void SetVco2BendMode(int mode) noexcept;
  void SetVco2FineTune(double cents) noexcept;
  void SetVco2ModMode(int mode) noexcept;
  void SetVco2Range(int code) noexcept;
  void SetVcoKeyFollow(double v) noexcept;
  void SetVcoKeyFollowTarget(int target) noexcept;
  void SetVcoMix(double v) noexcept;
  void SetVcoModEnv1Amount(double semitones) noexcept;
  void SetVcoModLfoAmount(double semitones) noexcept;
  void SetXmodEnv1Amount(double v) noexcept;
  void SetXmodManual(double v) noexcept;
  void SetXmodPolarity(bool inverted) noexcept;
  void SetHpfCutoff(double hz) noexcept;

  // Written directly by the processor.
  std::uint8_t mAssignMode = kPoly1;
  // Set by the processor on the Lower part before its first Prepare.
  std::uint8_t mSecondPart = 0;

  // The processor walks the voices to set envelope values.
  Voice& GetVoice(int index) noexcept { return mVoices[static_cast<std::size_t>(index)]; }
  const Voice& GetVoice(int index) const noexcept { return mVoices[static_cast<std::size_t>(index)]; }

  bool NoiseInUse() const noexcept { return mNoiseInUse != 0; }
  bool AnyVoiceActive() const noexcept;
  int VoiceKey(int index) const noexcept { return mKeys[static_cast<std::size_t>(index)]; }
  bool VoiceHeld(int index) const noexcept { return mHeld[static_cast<std::size_t>(index)] != 0; }
  bool VoiceSustained(int index) const noexcept { return mSustained[static_cast<std::size_t>(index)] != 0; }
  std::uint64_t VoiceAge(int index) const noexcept { return mAges[static_cast<std::size_t>(index)]; }
  int VoiceLimit() const noexcept { return mVoiceLimit; }
  int HoldMode() const noexcept { return mHoldMode; }
  bool HoldPedal() const noexcept { return mHoldPedal != 0; }
  int SoundingKey() const noexcept { return mSoundingKey; }
  int StackedKeyCount() const noexcept { return mStackCount; }
  double SampleRate() const noexcept { return mSampleRate; }
  const Lfo& Lfo1() const noexcept { return mLfo1; }
  const Lfo& Lfo2() const noexcept { return mLfo2; }
  const Biquad& EqSection(int index) const noexcept { return mEq[static_cast<std::size_t>(index)]; }

  int FindFreeVoice() const noexcept;

private:
  void StartVoice(int index, int note) noexcept;
  void ReleaseVoice(int index) noexcept;
  void PlaySoloNote(int key, double velocity) noexcept;
  void PlayUnisonNote(int key, double velocity) noexcept;
  void StackNote(int key, double velocity, int count, double spreadCents) noexcept;
  void LimitStacks(int count) noexcept;
  void ReleaseKey(int note) noexcept;
  void PushStackedKey(int note, double velocity) noexcept;
  void RemoveStackedKey(int note) noexcept;
  void ClearMonoStack() noexcept;
  void DesignEqualiser() noexcept;

  template <typename F> void ForEachVoice(F&& f) noexcept {
    for (Voice& v : mVoices)
      f(v);
  }
  template <typename T> void PassToVoices(void (Voice::*setter)(T) noexcept, T value) noexcept {
    for (Voice& v : mVoices)
      (v.*setter)(value);
  }

  std::array<Voice, kVoiceCount> mVoices;
  std::array<int, kVoiceCount> mKeys{};
  std::array<std::uint8_t, kVoiceCount> mHeld{};
  std::array<std::uint8_t, kVoiceCount> mSustained{};
  std::array<std::uint64_t, kVoiceCount> mAges{};
  std::uint64_t mAgeCounter = 0;

  int mVoiceLimit = 8;
  double mUnisonDetune = 0.0;
  int mHoldMode = kHoldMidi;
  std::uint8_t mHoldPedal = 0;

  std::array<int, kMaxStackedKeys> mStackKeys{};
  std::array<double, kMaxStackedKeys> mStackVelocities{};
  int mStackCount = 0;
  int mSoundingKey = -1;

  std::uint8_t mNoiseInUse = 0;

  Lfo mLfo1;
  Lfo mLfo2;
  double mTempoBpm = 120.0;
  std::uint8_t mLfo1Sync = 0;
  std::uint8_t mLfo2Sync = 0;
  int mLfo1Division = 8;
  int mLfo2Division = 8;
  double mLfo1RateHz = 5.0;
  double mLfo1RandomRateHz = 5.0;
  double mLfo2RateHz = 1.0;

  double mSampleRate = 48000.0;
  std::array<Biquad, kEqSections> mEq;

private:
  void RenderVoiceAlone(int index, const double* noise, const double* lfo1, const double* lfo2, double* sum,
                        int n) noexcept;

  std::uint8_t mLaneRendering = 1;
  std::uint8_t mOctetRendering = 0; // set in the constructor
  std::uint8_t mSplitOctets = 0;    // set in the constructor
  std::uint8_t mSplitQuads = 0;     // set in the constructor
  VoiceQuad mQuad;
  VoiceOctet mOctet; // 64-byte aligned: a heap TonePart gets that from the aligned operator new
  VoiceOctetAvx2 mOctetAvx2;
  VoiceQuadSse42 mQuadSse42;
  VoicePair mPair;
};
