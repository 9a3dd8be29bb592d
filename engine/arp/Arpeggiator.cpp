// Arpeggiator: note list, step patterns, step timing and event generation.
#include "engine/arp/Arpeggiator.h"

#include <algorithm>
#include <cmath>

#include "engine/fx/EffectMath.h"
#include "engine/fx/NoteDivision.h"

namespace vlm::dsp {

namespace {

// "Nothing due" for the event loop's time comparisons.
constexpr double kNever = 1e300;
// Times this close to zero count as due (accumulated subtraction leaves tiny remainders).
constexpr double kDueEpsilon = 1e-9;
// A gate this long ties each note into the next step instead of releasing it early.
constexpr double kTieGate = 0.995;

} // namespace

bool Arpeggiator::EventSink::Add(int offset, bool on, int note, int channel, double velocity) noexcept {
  if (Full())
    return false;
  NoteEvent& e = events[count++];
  e.offset = offset;
  e.noteOn = on ? 1 : 0;
  e.note = static_cast<std::uint8_t>(note);
  e.channel = static_cast<std::uint8_t>(channel);
  e.velocity = on ? velocity : 0.0;
  return true;
}

void Arpeggiator::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  Reset();
}

void Arpeggiator::Reset() noexcept {
  mNoteCount = 0;
  mStampCounter = 0;
  mHeldKeys.reset();
  mHeldCount = 0;
  mRunning = 0;
  mRestartPending = 0;
  mStepIndex = 0;
  mStepCounter = 0;
  mTimeToNextStep = 0.0;
  mPendingCount = 0;
  // The processor watches this counter and releases the notes it still holds for us.
  mGeneration.fetch_add(1, std::memory_order_acq_rel);
}

void Arpeggiator::SetParameter(int index, double value) noexcept {
  const double v = ClampUnit(value);
  switch (index) {
  case 0:
    mMode = std::clamp(RoundHalfAway(5.0 * v), 0, kModeCount - 1);
    break;
  case 1:
    mOctaves = std::clamp(RoundHalfAway(3.0 * v), 0, kMaxOctaves - 1) + 1;
    break;
  case 2:
    mDivision = std::clamp(RoundHalfAway(11.0 * v), 0, kNoteDivisionCount - 1);
    break;
  case 3:
    mGate = 0.05 + 0.95 * v;
    break;
  case 4:
    mSwing = 0.5 + 0.25 * v;
    break;
  case 5:
    mHold = v >= 0.5 ? 1 : 0;
    if (mHold == 0) {
      // Keys that hold kept after their release leave with the hold.
      for (int i = mNoteCount - 1; i >= 0; --i)
        if (mNotes[i].held == 0)
          RemoveEntry(i);
      RebuildPlayOrder();
    }
    break;
  default:
    break;
  }
}

void Arpeggiator::SetTempo(double bpm) noexcept {
  if (bpm > 0.0)
    mTempo = bpm;
}

void Arpeggiator::NoteOn(int note, double velocity, int channel) noexcept {
  if (note < 0 || note > 127)
    return;
  const bool fresh = mHold != 0 ? mHeldCount == 0 : mNoteCount == 0;
  const bool wasEmpty = mNoteCount == 0;
  if (!mHeldKeys.test(static_cast<std::size_t>(note))) {
    mHeldKeys.set(static_cast<std::size_t>(note));
    ++mHeldCount;
  }
  if (mHold != 0 && fresh)
    mNoteCount = 0; // a new press after letting go of every key starts a new pattern
  const auto ch = static_cast<std::uint8_t>(std::clamp(channel, 0, 15));
  const auto vel = static_cast<float>(ClampUnit(velocity));

  int pos = 0;
  while (pos < mNoteCount && mNotes[pos].note < note)
    ++pos;
  if (pos < mNoteCount && mNotes[pos].note == note) {
    Entry& e = mNotes[pos];
    e.velocity = vel;
    e.channel = ch;
    e.stamp = mStampCounter++;
    e.held = 1;
  } else if (mNoteCount < kMaxNotes) {
    for (int i = mNoteCount; i > pos; --i)
      mNotes[i] = mNotes[i - 1];
    mNotes[pos] = Entry{static_cast<std::uint8_t>(note), ch, vel, mStampCounter++, 1};
    ++mNoteCount;
  }
  RebuildPlayOrder();
  if (fresh || wasEmpty)
    mRestartPending = 1;
}

void Arpeggiator::NoteOff(int note) noexcept {
  if (note < 0 || note > 127)
    return;
  // A release of a key we never saw pressed must not make the count disagree with the set, or hold
  // would take a later press for a fresh one while keys are still down.
  if (mHeldKeys.test(static_cast<std::size_t>(note))) {
    mHeldKeys.reset(static_cast<std::size_t>(note));
    mHeldCount = std::max(0, mHeldCount - 1);
  }
  for (int i = 0; i < mNoteCount; ++i) {
    if (mNotes[i].note != note)
      continue;
    if (mHold != 0) {
      mNotes[i].held = 0;
    } else {
      RemoveEntry(i);
      RebuildPlayOrder();
    }
    return;
  }
}

void Arpeggiator::RemoveEntry(int index) noexcept {
  for (int i = index; i + 1 < mNoteCount; ++i)
    mNotes[i] = mNotes[i + 1];
  --mNoteCount;
}

void Arpeggiator::RebuildPlayOrder() noexcept {
  // Insertion sort by order stamp keeps equal stamps in list order (stable).
  for (int i = 0; i < mNoteCount; ++i) {
    const auto pos = static_cast<std::uint8_t>(i);
    int j = i;
    while (j > 0 && mNotes[mPlayOrder[j - 1]].stamp > mNotes[pos].stamp) {
      mPlayOrder[j] = mPlayOrder[j - 1];
      --j;
    }
    mPlayOrder[j] = pos;
  }
}

int Arpeggiator::CycleLength() const noexcept {
  if (mNoteCount == 0)
    return 0;
  if (mMode == kChord)
    return mOctaves;
  const int e = mNoteCount * mOctaves;
  if (mMode == kUpDown)
    return e < 2 ? 1 : 2 * e - 2;
  return e;
}

void Arpeggiator::NotesOfStep(int step, StepNotes& out) noexcept {
  out.count = 0;
  const int n = mNoteCount;
  const int c = mOctaves;
  if (n == 0)
    return;
  if (mMode == kChord) {
    const int shift = 12 * (step % c);
    for (int i = 0; i < n; ++i) {
      const int note = mNotes[i].note + shift;
      if (note >= 128)
        continue;
      out.notes[out.count] = static_cast<std::uint8_t>(note);
      out.channels[out.count] = mNotes[i].channel;
      out.velocities[out.count] = mNotes[i].velocity;
      ++out.count;
    }
    return;
  }
  const int e = n * c;
  int octave = 0;
  int entry = 0;
  switch (mMode) {
  case kDown: {
    const int k = step % e;
    octave = c - 1 - k / n;
    entry = n - 1 - k % n;
    break;
  }
  case kUpDown: {
    const int cycle = e < 2 ? 1 : 2 * e - 2;
    const int k = cycle < 2 ? 0 : step % cycle;
    const int m = k < e ? k : 2 * e - k - 2;
    octave = m / n;
    entry = m % n;
    break;
  }
  case kRandom: {
    std::uint32_t x = mRandomState;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    mRandomState = x;
    const int r = static_cast<int>(x % static_cast<std::uint32_t>(e));
    octave = r / n;
    entry = r % n;
    break;
  }
  case kPlayed: {
    const int k = step % e;
    octave = k / n;
    entry = mPlayOrder[k % n];
    break;
  }
  default: { // kUp
    const int k = step % e;
    octave = k / n;
    entry = k % n;
    break;
  }
  }
  entry = std::clamp(entry, 0, n - 1);
  const int note = mNotes[entry].note + 12 * octave;
  if (note >= 128)
    return;
  out.notes[0] = static_cast<std::uint8_t>(note);
  out.channels[0] = mNotes[entry].channel;
  out.velocities[0] = mNotes[entry].velocity;
  out.count = 1;
}

double Arpeggiator::StepLengthSamples(double position, bool transportRunning) const noexcept {
  const double samplesPerBeat = mSampleRate * 60.0 / (mTempo > 0.0 ? mTempo : 120.0);
  const double beats = kNoteDivisionBeats[static_cast<std::size_t>(mDivision)];
  if (transportRunning) {
    // Steps come in swung pairs locked to the host's beat grid. A step that lands a rounding
    // error before a grid line counts as on it (within half a sample); else the next grid line
    // would follow a sample later as an extra step.
    const double pair = 2.0 * beats;
    const double onGrid = std::max(1e-6, 0.5 / samplesPerBeat);
    const double pairIndex = std::floor((position + onGrid) / pair);
    const double swungStep = pair * mSwing + pairIndex * pair;
    const double next = swungStep > position + onGrid ? swungStep : (pairIndex + 1.0) * pair;
    double d = (next - position) * samplesPerBeat;
    // The host position carries rounding; a length a hair off a whole sample count is that count,
    // so the step is not floored onto the sample before its grid line.
    const double whole = std::round(d);
    if (std::fabs(d - whole) < 1e-6)
      d = whole;
    return d > 0.0 ? d : beats * samplesPerBeat;
  }
  const double share = (mStepCounter & 1) != 0 ? 1.0 - mSwing : mSwing;
  return share * 2.0 * beats * samplesPerBeat;
}

void Arpeggiator::RemovePending(int index) noexcept {
  for (int i = index; i + 1 < mPendingCount; ++i)
    mPending[i] = mPending[i + 1];
  --mPendingCount;
}

void Arpeggiator::AddPending(int note, int channel, Wait wait, double remaining) noexcept {
  if (mPendingCount >= kMaxPendingNoteOffs)
    return;
  mPending[mPendingCount++] =
      PendingOff{static_cast<std::uint8_t>(note), static_cast<std::uint8_t>(channel), wait, remaining};
}

void Arpeggiator::SendOff(int offset, int note, int channel, EventSink& sink) noexcept {
  // A lost note-off would leave a voice sounding: when the block's array is full, the note-off
  // waits for the start of the next block instead.
  if (!sink.Add(offset, false, note, channel, 0.0))
    AddPending(note, channel, Wait::Carried, 0.0);
}

void Arpeggiator::ElapsePending(double samples) noexcept {
  for (int i = 0; i < mPendingCount; ++i)
    if (mPending[i].wait == Wait::Timed)
      mPending[i].remaining -= samples;
}

void Arpeggiator::RunStep(int offset, double position, bool transportRunning, EventSink& sink) noexcept {
  // Notes tied over from the previous step end at this step, after its note-ons (legato).
  PendingOff tied[kMaxPendingNoteOffs];
  int tiedCount = 0;
  for (int i = 0; i < mPendingCount;) {
    if (mPending[i].wait == Wait::Tied) {
      tied[tiedCount++] = mPending[i];
      RemovePending(i);
    } else {
      ++i;
    }
  }

  const int cycle = CycleLength();
  if (cycle == 0) {
    for (int i = 0; i < tiedCount; ++i)
      SendOff(offset, tied[i].note, tied[i].channel, sink);
    mRunning = 0;
    return;
  }

  StepNotes step;
  for (int attempt = 0; attempt < cycle; ++attempt) {
    NotesOfStep(mStepIndex, step);
    mStepIndex = (mStepIndex + 1) % cycle;
    if (step.count > 0)
      break;
  }

  const double d = StepLengthSamples(position, transportRunning);
  ++mStepCounter;
  const bool tie = mGate >= kTieGate;
  mTimeToNextStep = std::max(1.0, d);
  const double noteLength = std::max(1.0, mGate * mTimeToNextStep);

  // A tied note that repeats is released before it sounds again.
  bool handled[kMaxPendingNoteOffs] = {};
  for (int i = 0; i < tiedCount; ++i)
    for (int k = 0; k < step.count; ++k)
      if (step.notes[k] == tied[i].note) {
        SendOff(offset, tied[i].note, tied[i].channel, sink);
        handled[i] = true;
        break;
      }

  for (int k = 0; k < step.count; ++k) {
    const int note = step.notes[k];
    for (int i = 0; i < mPendingCount;) {
      if (mPending[i].note == note) {
        const PendingOff off = mPending[i];
        RemovePending(i);
        SendOff(offset, off.note, off.channel, sink);
        // A note-off that had to wait leaves the note sounding; it cannot start again yet.
        if (sink.Full())
          break;
      } else {
        ++i;
      }
    }
    // A note-on goes out only with room for its note-off, so nothing we start can hang.
    if (mPendingCount >= kMaxPendingNoteOffs || sink.Full())
      continue;
    sink.Add(offset, true, note, step.channels[k], step.velocities[k]);
    AddPending(note, step.channels[k], tie ? Wait::Tied : Wait::Timed, tie ? 0.0 : noteLength);
  }

  for (int i = 0; i < tiedCount; ++i)
    if (!handled[i])
      SendOff(offset, tied[i].note, tied[i].channel, sink);
}

int Arpeggiator::GenerateEvents(int frames, NoteEvent* events, int capacity, double blockStart,
                                bool transportRunning) noexcept {
  if (events == nullptr || capacity <= 0 || frames <= 0)
    return 0;
  EventSink sink{events, capacity, 0};

  // Note-offs that found the previous block's array full go first.
  for (int i = 0; i < mPendingCount && !sink.Full();) {
    if (mPending[i].wait == Wait::Carried) {
      sink.Add(0, false, mPending[i].note, mPending[i].channel, 0.0);
      RemovePending(i);
    } else {
      ++i;
    }
  }

  if (mRestartPending != 0) {
    mRunning = 1;
    mRestartPending = 0;
    mStepIndex = 0;
    mStepCounter = 0;
    mTimeToNextStep = 0.0;
  }

  const double framesD = static_cast<double>(frames);
  const double quarterNotesPerSample = mTempo / 60.0 / mSampleRate;
  double elapsed = 0.0;
  for (int iteration = 0; iteration < frames + 136; ++iteration) {
    double nextOff = kNever;
    for (int i = 0; i < mPendingCount; ++i)
      if (mPending[i].wait == Wait::Timed)
        nextOff = std::min(nextOff, mPending[i].remaining);
    const double nextStep = mRunning != 0 ? mTimeToNextStep : kNever;
    const double advance = std::min(nextStep, nextOff);
    const double t = elapsed + advance;
    if (t >= framesD)
      break;
    if (mRunning != 0)
      mTimeToNextStep -= advance;
    ElapsePending(advance);
    const int offset = std::clamp(static_cast<int>(std::floor(t)), 0, frames - 1);

    bool emitted = false;
    for (int i = 0; i < mPendingCount;) {
      if (mPending[i].wait == Wait::Timed && mPending[i].remaining <= kDueEpsilon) {
        const PendingOff off = mPending[i];
        RemovePending(i);
        SendOff(offset, off.note, off.channel, sink);
        emitted = true;
      } else {
        ++i;
      }
    }

    if (mRunning != 0 && mTimeToNextStep <= kDueEpsilon)
      RunStep(offset, blockStart + t * quarterNotesPerSample, transportRunning, sink);
    else if (!emitted)
      break;
    elapsed = t;
  }

  const double rest = framesD - elapsed;
  if (mRunning != 0)
    mTimeToNextStep -= rest;
  ElapsePending(rest);
  return sink.count;
}

} // namespace vlm::dsp
