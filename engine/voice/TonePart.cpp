// Tone part: voice assignment, hold, LFOs, output equaliser and the setters that reach every voice.
#include "engine/voice/TonePart.h"

#include <algorithm>
#include <cmath>

#include "engine/filter/CpuFeatures.h"
#include "engine/lfo/LfoSyncDivision.h"

namespace {

// Spread of a stacked note: "Unison-2" and full unison fan wide, "Poly-2" only thickens.
constexpr double kUnisonSpreadCents = 53.0;
constexpr double kPoly2SpreadCents = 12.0;
constexpr double kStackDriftThresholdCents = 52.5; // unison stacks also drift apart
constexpr double kStackDriftCents = 3.0;

// Positions of the voices of a stack across the detune spread (-1..1).
double StackPosition(int i, int n) noexcept {
  static constexpr double kTwo[] = {-1.0, 1.0};
  static constexpr double kFour[] = {-1.0, -0.55, 0.55, 1.0};
  static constexpr double kEight[] = {-1.0, -0.78, -0.55, -0.32, 0.32, 0.55, 0.78, 1.0};
  switch (n) {
  case 1:
    return 0.0;
  case 2:
    return kTwo[i];
  case 4:
    return kFour[i];
  case 8:
    return kEight[i];
  default:
    return 2.0 * i / (n - 1) - 1.0;
  }
}

double Frac(double x) noexcept {
  return x - std::floor(x);
}

} // namespace

TonePart::TonePart() : mOctetRendering(HasAvx512() ? 1 : 0) {
  // Without AVX-512, octets in two AVX2 registers render faster than quads; without AVX2, quads in two
  // SSE registers faster than pairs (each only where the processor has the instructions).
  SetSplitOctetRendering(!HasAvx512());
  SetSplitQuadRendering(true);
  mKeys.fill(-1);
  mLfo2.mWaveform = Lfo::kTriangle;
  UpdateLfo1Rate();
  UpdateLfo2Rate();
}

// ---- lifecycle -----------------------------------------------------------------------------------

void TonePart::Prepare(double sampleRate) noexcept {
  mSampleRate = sampleRate > 0.0 ? sampleRate : 48000.0;
  for (int i = 0; i < kVoiceCount; ++i) {
    Voice& v = mVoices[static_cast<std::size_t>(i)];
    v.Prepare(mSampleRate);
    v.SeedDrift(mSecondPart ? i + kVoiceCount : i);
    if (mSecondPart) {
      // The Lower part starts its oscillators at scattered phases with a slight detune, so that
      // "Dual" doubles do not start phase-locked to the Upper part.
      const double j = static_cast<double>(i + 1);
      v.SetRestartPhase(true, Frac(j * 0.6180339887498949),
                        (2.0 * Frac(j * 0.7548776662466927 + 0.123) - 1.0) * 1.5);
    }
  }
  DesignEqualiser();
  mLfo1.Prepare(mSampleRate);
  mLfo2.Prepare(mSampleRate);
  mLfo2.mWaveform = Lfo::kTriangle;
  Reset();
}

void TonePart::DesignEqualiser() noexcept {
  // Voicing of the part's output: warm low end, slight presence, softened top, and an eighth-order
  // Butterworth low-pass (four sections) that keeps the oversampled render free of ultrasonic content.
  const double r = mSampleRate;
  mEq[0].DesignLowShelf(r, 310.94, 8.78, 0.378);
  mEq[1].DesignPeaking(r, 2553.23, 2.0, 0.428);
  mEq[2].DesignHighShelf(r, 14678.61, -4.0, 0.799);
  const double lowPassHz = std::min(0.45 * r, 22000.0 * r / 48000.0);
  static constexpr double kButterworthQ[4] = {0.5098, 0.6013, 0.9, 2.5629};
  for (int i = 0; i < 4; ++i)
    mEq[static_cast<std::size_t>(3 + i)].DesignLowPass(r, lowPassHz, kButterworthQ[i]);
  for (Biquad& b : mEq)
    b.Reset();
}

void TonePart::Reset() noexcept {
  ForEachVoice([](Voice& v) { v.Reset(); });
  for (Biquad& b : mEq)
    b.Reset();
  mLfo1.Reset();
  mLfo2.Reset();
  mAges.fill(0);
  mAgeCounter = 0;
  mHeld.fill(0);
  mSustained.fill(0);
  mKeys.fill(-1);
  mHoldPedal = 0;
  mStackCount = 0;
  mSoundingKey = -1;
}

double TonePart::RenderSample(double noise) noexcept {
  const double l1 = mLfo1.Tick();
  const double l2 = mLfo2.Tick();
  double sum = 0.0;
  for (int i = 0; i < kVoiceCount; ++i) {
    Voice& v = mVoices[static_cast<std::size_t>(i)];
    const bool wasActive = v.IsActive();
    sum += v.RenderSample(noise, l1, l2); // an inactive voice only clears its cross-mod history
    if (wasActive && !v.IsActive()) {
      mKeys[static_cast<std::size_t>(i)] = -1;
      mHeld[static_cast<std::size_t>(i)] = 0;
    }
  }
  for (Biquad& b : mEq)
    sum = b.Process(sum);
  return sum;
}

void TonePart::RenderVoiceAlone(int index, const double* noise, const double* lfo1, const double* lfo2,
                                double* sum, int n) noexcept {
  Voice& v = mVoices[static_cast<std::size_t>(index)];
  if (noise)
    for (int s = 0; s < n; ++s)
      sum[s] += v.RenderSample(noise[s], lfo1[s], lfo2[s]);
  else
    for (int s = 0; s < n; ++s)
      sum[s] += v.RenderSample(0.0, lfo1[s], lfo2[s]);
}

void TonePart::RenderBlock(const double* noise, double* out, int n) noexcept {
  double l1[kMaxChunk];
  double l2[kMaxChunk];
  std::array<int, kVoiceCount> active{};
  for (int start = 0; start < n; start += kMaxChunk) {
    const int count = std::min(kMaxChunk, n - start);
    const double* chunkNoise = noise ? noise + start : nullptr;
    double* sum = out + start;
    for (int s = 0; s < count; ++s) {
      l1[s] = mLfo1.Tick();
      l2[s] = mLfo2.Tick();
      sum[s] = 0.0;
    }
    int activeCount = 0;
    for (int i = 0; i < kVoiceCount; ++i) {
      Voice& v = mVoices[static_cast<std::size_t>(i)];
      if (v.IsActive())
        active[static_cast<std::size_t>(activeCount++)] = i;
      else
        v.RenderSample(0.0, 0.0, 0.0); // clears the cross-mod history, as every idle sample does
    }
    // Summing in voice order per sample keeps the result identical to the per-sample path (an idle
    // voice's 0 changes nothing but the sign of a zero): groups take runs of voices in that order,
    // eight where octets render (in one register or two), four where quads have their AVX2 form (or
    // beside octets) or split in two SSE registers, else two.
    const bool quadsSplit = mSplitQuads && !mQuad.VectorForm();
    const int widest = !mLaneRendering                    ? 1
                       : mOctetRendering || mSplitOctets  ? VoiceOctet::kLanes
                       : mQuad.VectorForm() || quadsSplit ? VoiceQuad::kLanes
                                                          : VoicePair::kLanes;
    int next = 0;
    while (next < activeCount) {
      Voice* group[VoiceOctet::kLanes];
      int run = 0;
      while (run < widest && next + run < activeCount) {
        group[run] = &mVoices[static_cast<std::size_t>(active[static_cast<std::size_t>(next + run)])];
        if (!group[0]->SharesLanesWith(*group[run]))
          break;
        ++run;
      }
      if (run >= VoiceOctet::kLanes) {
        if (mOctetRendering)
          mOctet.Render(group, chunkNoise, l1, l2, sum, count);
        else
          mOctetAvx2.Render(group, chunkNoise, l1, l2, sum, count);
        next += VoiceOctet::kLanes;
      } else if (run >= VoiceQuad::kLanes) {
        if (quadsSplit)
          mQuadSse42.Render(group, chunkNoise, l1, l2, sum, count);
        else
          mQuad.Render(group, chunkNoise, l1, l2, sum, count);
        next += VoiceQuad::kLanes;
      } else if (run >= VoicePair::kLanes) {
        mPair.Render(group, chunkNoise, l1, l2, sum, count);
        next += VoicePair::kLanes;
      } else {
        RenderVoiceAlone(active[static_cast<std::size_t>(next)], chunkNoise, l1, l2, sum, count);
        ++next;
      }
    }
    for (int a = 0; a < activeCount; ++a) {
      const auto i = static_cast<std::size_t>(active[static_cast<std::size_t>(a)]);
      if (!mVoices[i].IsActive()) {
        mKeys[i] = -1;
        mHeld[i] = 0;
      }
    }
    for (int s = 0; s < count; ++s) {
      double x = sum[s];
      for (Biquad& b : mEq)
        x = b.Process(x);
      sum[s] = x;
    }
  }
}

bool TonePart::AnyVoiceActive() const noexcept {
  for (const Voice& v : mVoices)
    if (v.IsActive())
      return true;
  return false;
}

// ---- voice assignment ----------------------------------------------------------------------------

int TonePart::FindFreeVoice() const noexcept {
  for (int i = 0; i < mVoiceLimit; ++i)
    if (!mVoices[static_cast<std::size_t>(i)].IsActive())
      return i;
  int best = -1;
  for (int i = 0; i < mVoiceLimit; ++i)
    if (!mHeld[static_cast<std::size_t>(i)] &&
        (best < 0 || mAges[static_cast<std::size_t>(i)] < mAges[static_cast<std::size_t>(best)]))
      best = i;
  if (best >= 0)
    return best;
  best = 0;
  for (int i = 1; i < mVoiceLimit; ++i)
    if (mAges[static_cast<std::size_t>(i)] < mAges[static_cast<std::size_t>(best)])
      best = i;
  return best;
}

void TonePart::StartVoice(int index, int note) noexcept {
  const auto i = static_cast<std::size_t>(index);
  mKeys[i] = note;
  mHeld[i] = 1;
  mSustained[i] = 0;
  mAges[i] = ++mAgeCounter;
}

void TonePart::ReleaseVoice(int index) noexcept {
  mVoices[static_cast<std::size_t>(index)].NoteOff();
  mHeld[static_cast<std::size_t>(index)] = 0;
}

void TonePart::NoteOn(int note, double velocity) noexcept {
  if ((mLfo1Sync || mLfo2Sync) && !AnyVoiceActive()) {
    // Tempo-synced LFOs start with the phrase.
    if (mLfo1Sync)
      mLfo1.Restart();
    if (mLfo2Sync)
      mLfo2.Restart();
  }

  switch (mAssignMode) {
  case kSolo:
  case kUnison1:
    PushStackedKey(note, velocity);
    mSoundingKey = note;
    if (mAssignMode == kSolo)
      PlaySoloNote(note, velocity);
    else
      PlayUnisonNote(note, velocity);
    break;
  case kUnison2:
  case kPoly2: {
    bool present = false;
    int distinct = 0;
    for (int i = 0; i < kVoiceCount; ++i) {
      if (!mHeld[static_cast<std::size_t>(i)])
        continue;
      const int key = mKeys[static_cast<std::size_t>(i)];
      if (key == note)
        present = true;
      bool seen = false;
      for (int j = 0; j < i && !seen; ++j)
        seen = mHeld[static_cast<std::size_t>(j)] && mKeys[static_cast<std::size_t>(j)] == key;
      if (!seen)
        ++distinct;
    }
    const int d = distinct + (present ? 0 : 1);
    const int limit = mVoiceLimit;
    int perKey;
    if (mAssignMode == kUnison2)
      perKey = d <= 1 ? limit : d == 2 ? limit / 2 : d <= 4 ? limit / 4 : d <= 8 ? limit / 8 : 1;
    else
      perKey = limit >= 4 * d ? 4 : 1;
    const int n = std::min(std::max(std::min(perKey, kMaxStackVoices), 1), limit);
    if (present)
      for (int i = 0; i < kVoiceCount; ++i)
        if (mHeld[static_cast<std::size_t>(i)] && mKeys[static_cast<std::size_t>(i)] == note)
          ReleaseVoice(i);
    LimitStacks(n);
    StackNote(note, velocity, n, mAssignMode == kUnison2 ? kUnisonSpreadCents : kPoly2SpreadCents);
    break;
  }
  default: { // "Poly-1" and any unknown byte
    int index = -1;
    for (int i = 0; i < kVoiceCount && index < 0; ++i)
      if (mVoices[static_cast<std::size_t>(i)].IsActive() && mKeys[static_cast<std::size_t>(i)] == note)
        index = i;
    if (index < 0)
      index = FindFreeVoice();
    Voice& v = mVoices[static_cast<std::size_t>(index)];
    v.SetStackDetune(0.0);
    v.SetDriftAmount(0.0);
    v.NoteOn(note, velocity, false);
    StartVoice(index, note);
    break;
  }
  }
}

void TonePart::PlaySoloNote(int key, double velocity) noexcept {
  for (int i = 1; i < kVoiceCount; ++i)
    if (mHeld[static_cast<std::size_t>(i)])
      ReleaseVoice(i);
  const bool legato = mHeld[0] != 0;
  Voice& v = mVoices[0];
  v.SetStackDetune(0.0);
  v.SetDriftAmount(0.0);
  v.NoteOn(key, velocity, legato);
  StartVoice(0, key);
}

void TonePart::PlayUnisonNote(int key, double velocity) noexcept {
  bool anyHeld = false;
  for (int i = 0; i < kVoiceCount; ++i) {
    if (!mHeld[static_cast<std::size_t>(i)])
      continue;
    anyHeld = true;
    mVoices[static_cast<std::size_t>(i)].NoteOn(key, velocity, true);
    StartVoice(i, key);
  }
  if (!anyHeld)
    StackNote(key, velocity, std::min(mVoiceLimit, kMaxStackVoices), kUnisonSpreadCents);
}

void TonePart::StackNote(int key, double velocity, int count, double spreadCents) noexcept {
  for (int i = 0; i < count; ++i) {
    const int index = FindFreeVoice();
    Voice& v = mVoices[static_cast<std::size_t>(index)];
    v.SetStackDetune(StackPosition(i, count) * mUnisonDetune * spreadCents);
    v.SetDriftAmount(spreadCents >= kStackDriftThresholdCents ? kStackDriftCents : 0.0);
    v.NoteOn(key, velocity, false);
    StartVoice(index, key);
  }
}

void TonePart::LimitStacks(int count) noexcept {
  const int keep = std::max(1, count);
  for (int first = 0; first < kVoiceCount; ++first) {
    if (!mHeld[static_cast<std::size_t>(first)])
      continue;
    const int key = mKeys[static_cast<std::size_t>(first)];
    bool seen = false; // keys are taken in the order of the lowest voice that holds them
    for (int j = 0; j < first && !seen; ++j)
      seen = mHeld[static_cast<std::size_t>(j)] && mKeys[static_cast<std::size_t>(j)] == key;
    if (seen)
      continue;
    for (;;) {
      int holding = 0;
      int oldest = -1;
      for (int i = 0; i < kVoiceCount; ++i) {
        const auto u = static_cast<std::size_t>(i);
        if (!mHeld[u] || mKeys[u] != key)
          continue;
        ++holding;
        if (oldest < 0 || mAges[u] < mAges[static_cast<std::size_t>(oldest)])
          oldest = i;
      }
      if (holding <= keep)
        break;
      ReleaseVoice(oldest);
    }
  }
}

// ---- note-off, hold and the monophonic key stack -------------------------------------------------

void TonePart::PushStackedKey(int note, double velocity) noexcept {
  for (int i = 0; i < mStackCount; ++i)
    if (mStackKeys[static_cast<std::size_t>(i)] == note) {
      mStackVelocities[static_cast<std::size_t>(i)] = velocity;
      return;
    }
  if (mStackCount < kMaxStackedKeys) {
    mStackKeys[static_cast<std::size_t>(mStackCount)] = note;
    mStackVelocities[static_cast<std::size_t>(mStackCount)] = velocity;
    ++mStackCount;
  }
}

void TonePart::RemoveStackedKey(int note) noexcept {
  for (int i = 0; i < mStackCount; ++i)
    if (mStackKeys[static_cast<std::size_t>(i)] == note) {
      --mStackCount;
      mStackKeys[static_cast<std::size_t>(i)] = mStackKeys[static_cast<std::size_t>(mStackCount)];
      mStackVelocities[static_cast<std::size_t>(i)] = mStackVelocities[static_cast<std::size_t>(mStackCount)];
      return;
    }
}

void TonePart::ClearMonoStack() noexcept {
  mStackCount = 0;
  mSoundingKey = -1;
}

void TonePart::NoteOff(int note) noexcept {
  if (mHoldMode == kHoldOn)
    return;
  if (mAssignMode == kSolo || mAssignMode == kUnison1) {
    RemoveStackedKey(note);
    if (note != mSoundingKey)
      return;
    if (mStackCount > 0) {
      // Low-note priority: fall back to the lowest key still down.
      int lowest = 0;
      for (int i = 1; i < mStackCount; ++i)
        if (mStackKeys[static_cast<std::size_t>(i)] < mStackKeys[static_cast<std::size_t>(lowest)])
          lowest = i;
      const int key = mStackKeys[static_cast<std::size_t>(lowest)];
      const double velocity = mStackVelocities[static_cast<std::size_t>(lowest)];
      mSoundingKey = key;
      if (mAssignMode == kSolo)
        PlaySoloNote(key, velocity);
      else
        PlayUnisonNote(key, velocity);
      return;
    }
    mSoundingKey = -1;
  }
  ReleaseKey(note);
}

void TonePart::ReleaseKey(int note) noexcept {
  const bool sustain = mHoldMode == kHoldMidi && mHoldPedal;
  for (int i = 0; i < kVoiceCount; ++i) {
    const auto u = static_cast<std::size_t>(i);
    if (!mHeld[u] || mKeys[u] != note)
      continue;
    if (sustain) {
      mHeld[u] = 0;
      mSustained[u] = 1;
    } else {
      ReleaseVoice(i);
    }
  }
}

void TonePart::SetHoldPedal(bool down) noexcept {
  mHoldPedal = down ? 1 : 0;
  if (down)
    return;
  for (int i = 0; i < kVoiceCount; ++i)
    if (mSustained[static_cast<std::size_t>(i)]) {
      mVoices[static_cast<std::size_t>(i)].NoteOff();
      mSustained[static_cast<std::size_t>(i)] = 0;
    }
}

void TonePart::SetHoldMode(int mode) noexcept {
  mode = std::clamp(mode, 0, 2);
  if (mode == mHoldMode)
    return;
  const bool leavingOn = mHoldMode == kHoldOn;
  mHoldMode = mode;
  if (leavingOn) {
    AllNotesOff();
    return;
  }
  mHoldPedal = 0;
  for (int i = 0; i < kVoiceCount; ++i)
    if (mSustained[static_cast<std::size_t>(i)]) {
      mVoices[static_cast<std::size_t>(i)].NoteOff();
      mSustained[static_cast<std::size_t>(i)] = 0;
    }
}

void TonePart::AllNotesOff() noexcept {
  for (int i = 0; i < kVoiceCount; ++i) {
    const auto u = static_cast<std::size_t>(i);
    if (mHeld[u] || mSustained[u])
      mVoices[u].NoteOff();
    mHeld[u] = 0;
    mSustained[u] = 0;
  }
  mHoldPedal = 0;
  ClearMonoStack();
}

void TonePart::SetVoiceLimit(int voices) noexcept {
  mVoiceLimit = std::clamp(voices, 1, kVoiceCount);
}

void TonePart::SetUnisonDetune(double amount) noexcept {
  mUnisonDetune = std::clamp(amount, 0.0, 1.0);
}

// ---- LFOs ----------------------------------------------------------------------------------------

void TonePart::UpdateLfo1Rate() noexcept {
  if (mLfo1Sync) {
    const double hz = LfoSyncRateHz(mTempoBpm, mLfo1Division);
    mLfo1.SetRate(hz);
    mLfo1.SetRandomRate(hz);
  } else {
    mLfo1.SetRate(mLfo1RateHz);
    mLfo1.SetRandomRate(mLfo1RandomRateHz);
  }
}

void TonePart::UpdateLfo2Rate() noexcept {
  mLfo2.SetRate(mLfo2Sync ? LfoSyncRateHz(mTempoBpm, mLfo2Division) : mLfo2RateHz);
}

void TonePart::SetTempo(double bpm) noexcept {
  if (!(bpm > 0.0) || std::fabs(bpm - mTempoBpm) < 1e-6)
    return;
  mTempoBpm = bpm;
  if (mLfo1Sync)
    UpdateLfo1Rate();
  if (mLfo2Sync)
    UpdateLfo2Rate();
}

void TonePart::SetLfo1Rate(double hz) noexcept {
  mLfo1RateHz = hz;
  UpdateLfo1Rate();
}

void TonePart::SetLfo1RandomRate(double hz) noexcept {
  mLfo1RandomRateHz = hz;
  UpdateLfo1Rate();
}

void TonePart::SetLfo1Waveform(int waveform) noexcept {
  mLfo1.mWaveform = static_cast<std::uint8_t>(waveform);
}

void TonePart::SetLfo1Sync(bool on) noexcept {
  if ((mLfo1Sync != 0) == on)
    return;
  mLfo1Sync = on ? 1 : 0;
  UpdateLfo1Rate();
}

void TonePart::SetLfo1SyncDivision(int index) noexcept {
  const bool changed = index != mLfo1Division;
  mLfo1Division = index;
  if (mLfo1Sync) {
    UpdateLfo1Rate();
    if (changed)
      mLfo1.Restart();
  }
}

void TonePart::SetLfo1Delay(double ms) noexcept {
  ForEachVoice([ms](Voice& v) { v.GetLfoDelay().SetDelay(ms); });
}

void TonePart::SetLfo2Rate(double hz) noexcept {
  mLfo2RateHz = hz;
  UpdateLfo2Rate();
}

void TonePart::SetLfo2Sync(bool on) noexcept {
  if ((mLfo2Sync != 0) == on)
    return;
  mLfo2Sync = on ? 1 : 0;
  UpdateLfo2Rate();
}

void TonePart::SetLfo2SyncDivision(int index) noexcept {
  const bool changed = index != mLfo2Division;
  mLfo2Division = index;
  if (mLfo2Sync) {
    UpdateLfo2Rate();
    if (changed)
      mLfo2.Restart();
  }
}

// ---- setters -------------------------------------------------------------------------------------

void TonePart::SetPulseWidth(double percent) noexcept {
  // Knob 0..50 % maps to a width of 0.5 down to a very narrow pulse; the last 5 % of travel
  // narrows from 0.014 to 0, where the oscillator's narrow-pulse gain takes over.
  const double x = std::clamp(percent, 0.0, 50.0);
  const double c = std::clamp(100.0 - 2.0 * x, 0.0, 100.0);
  const double width = c <= 95.0 ? 0.5 - c / 95.0 * 0.486 : (1.0 - (c - 95.0) / 5.0) * 0.014;
  ForEachVoice([width](Voice& v) { v.SetPulseWidth(width); });
}

void TonePart::SetVco1Waveform(int code) noexcept {
  const auto c = static_cast<std::uint8_t>(code);
  ForEachVoice([c](Voice& v) { v.SetVco1Waveform(c); });
}

void TonePart::SetVco2Waveform(int code) noexcept {
  mNoiseInUse = code == Vco::kNoise ? 1 : 0;
  const auto c = static_cast<std::uint8_t>(code);
  ForEachVoice([c](Voice& v) { v.SetVco2Waveform(c); });
}

void TonePart::SetSplitOctetRendering(bool on) noexcept {
  mSplitOctets = on && mOctetAvx2.VectorForm() ? 1 : 0;
}

void TonePart::SetSplitQuadRendering(bool on) noexcept {
  mSplitQuads = on && mQuadSse42.VectorForm() ? 1 : 0;
}

void TonePart::SetDynamicsSensitivity(double amount) noexcept {
  ForEachVoice([amount](Voice& v) {
    v.Env1().SetDynamicsSensitivity(amount);
    v.Env1Copy().SetDynamicsSensitivity(amount);
    v.Env2().SetDynamicsSensitivity(amount);
    v.Env2Copy().SetDynamicsSensitivity(amount);
  });
}

void TonePart::SetAftertouch(double value) noexcept {
  PassToVoices(&Voice::SetAftertouch, value);
}
void TonePart::SetAftertouchSensitivity(double value) noexcept {
  PassToVoices(&Voice::SetAftertouchSensitivity, value);
}
void TonePart::SetBendRange(double value) noexcept {
  PassToVoices(&Voice::SetBendRange, value);
}
void TonePart::SetPitchBend(double value) noexcept {
  PassToVoices(&Voice::SetPitchBend, value);
}
void TonePart::SetLfo2Mode(int value) noexcept {
  PassToVoices(&Voice::SetLfo2Mode, value);
}
void TonePart::SetTune(double value) noexcept {
  PassToVoices(&Voice::SetTune, value);
}
void TonePart::SetOctaveShift(int value) noexcept {
  PassToVoices(&Voice::SetOctaveShift, value);
}
void TonePart::SetPortamentoTime(double value) noexcept {
  PassToVoices(&Voice::SetPortamentoTime, value);
}
void TonePart::SetPwmAmount(double value) noexcept {
  PassToVoices(&Voice::SetPwmAmount, value);
}
void TonePart::SetPwmPolarity(bool value) noexcept {
  PassToVoices(&Voice::SetPwmPolarity, value);
}
void TonePart::SetPwmSource(int value) noexcept {
  PassToVoices(&Voice::SetPwmSource, value);
}
void TonePart::SetSyncMode(int value) noexcept {
  PassToVoices(&Voice::SetSyncMode, value);
}
void TonePart::SetVcaLevel(double value) noexcept {
  PassToVoices(&Voice::SetVcaLevel, value);
}
void TonePart::SetVcaLfoAmount(double value) noexcept {
  PassToVoices(&Voice::SetVcaLfoAmount, value);
}
void TonePart::SetVcfCutoff(double value) noexcept {
  PassToVoices(&Voice::SetVcfCutoff, value);
}
void TonePart::SetVcfEnvAmount(double value) noexcept {
  PassToVoices(&Voice::SetVcfEnvAmount, value);
}
void TonePart::SetVcfEnvPolarity(bool value) noexcept {
  PassToVoices(&Voice::SetVcfEnvPolarity, value);
}
void TonePart::SetVcfKeyFollow(double value) noexcept {
  PassToVoices(&Voice::SetVcfKeyFollow, value);
}
void TonePart::SetVcfLfoAmount(double value) noexcept {
  PassToVoices(&Voice::SetVcfLfoAmount, value);
}
void TonePart::SetVcfResonance(double value) noexcept {
  PassToVoices(&Voice::SetVcfResonance, value);
}
void TonePart::SetVco1BendMode(int value) noexcept {
  PassToVoices(&Voice::SetVco1BendMode, value);
}
void TonePart::SetVco1ModMode(int value) noexcept {
  PassToVoices(&Voice::SetVco1ModMode, value);
}
void TonePart::SetVco1Range(int value) noexcept {
  PassToVoices(&Voice::SetVco1Range, value);
}
void TonePart::SetVco2BendMode(int value) noexcept {
  PassToVoices(&Voice::SetVco2BendMode, value);
}
void TonePart::SetVco2FineTune(double value) noexcept {
  PassToVoices(&Voice::SetVco2FineTune, value);
}
void TonePart::SetVco2ModMode(int value) noexcept {
  PassToVoices(&Voice::SetVco2ModMode, value);
}
void TonePart::SetVco2Range(int value) noexcept {
  PassToVoices(&Voice::SetVco2Range, value);
}
void TonePart::SetVcoKeyFollow(double value) noexcept {
  PassToVoices(&Voice::SetVcoKeyFollow, value);
}
void TonePart::SetVcoKeyFollowTarget(int value) noexcept {
  PassToVoices(&Voice::SetVcoKeyFollowTarget, value);
}
void TonePart::SetVcoMix(double value) noexcept {
  PassToVoices(&Voice::SetVcoMix, value);
}
void TonePart::SetVcoModEnv1Amount(double value) noexcept {
  PassToVoices(&Voice::SetVcoModEnv1Amount, value);
}
void TonePart::SetVcoModLfoAmount(double value) noexcept {
  PassToVoices(&Voice::SetVcoModLfoAmount, value);
}
void TonePart::SetXmodEnv1Amount(double value) noexcept {
  PassToVoices(&Voice::SetXmodEnv1Amount, value);
}
void TonePart::SetXmodManual(double value) noexcept {
  PassToVoices(&Voice::SetXmodManual, value);
}
void TonePart::SetXmodPolarity(bool value) noexcept {
  PassToVoices(&Voice::SetXmodPolarity, value);
}
void TonePart::SetHpfCutoff(double value) noexcept {
  PassToVoices(&Voice::SetHpfCutoff, value);
}
// Any non-zero select picks the ENV-2 copy.
void TonePart::SetVcfEnvSelect(int select) noexcept {
  PassToVoices(&Voice::SetVcfEnvSelect, select != 0);
}
