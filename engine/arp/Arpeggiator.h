// Arpeggiator effect: turns the held keys into a timed sequence of notes following the host tempo.
#pragma once

#include <atomic>
#include <bitset>
#include <cstdint>

#include "engine/arp/NoteEvent.h"
#include "engine/fx/EffectBase.h"

namespace vlm::dsp {

// Threads: everything on the audio thread; Generation() may be read from any thread.
// It has no audio Process: while active it takes the notes the processor would send to the parts,
// and the processor asks GenerateEvents once per block for the notes to play.
class Arpeggiator final : public EffectBase {
public:
  static constexpr int kMaxNotes = 16;
  static constexpr int kMaxPendingNoteOffs = 32;

  enum Mode : int { kUp = 0, kDown = 1, kUpDown = 2, kRandom = 3, kPlayed = 4, kChord = 5 };
  static constexpr int kModeCount = 6;
  static constexpr int kMaxOctaves = 4;
  static constexpr std::uint32_t kRandomSeed = 0x243F6A88u;

  Arpeggiator() = default;

  // Stores the rate (not above 0 -> 48000) and resets.
  void Prepare(double sampleRate) override;
  // Forgets every note, held key and pending note-off and bumps the generation counter, which
  // tells the processor to release whatever the arpeggiator left sounding.
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  // Stored when above 0; 0, negative and NaN are ignored.
  void SetTempo(double bpm) noexcept override;

  void NoteOn(int note, double velocity, int channel) noexcept;
  void NoteOff(int note) noexcept;

  // Writes the block's note events (offsets 0..frames-1, in time order) into `events` and returns
  // how many it wrote. `blockStartQuarterNotes` is the host's musical position at the block start,
  // used to lock the steps to the beat grid while the transport runs.
  int GenerateEvents(int frames, NoteEvent* events, int capacity, double blockStartQuarterNotes,
                     bool transportRunning) noexcept;

  std::int32_t Generation() const noexcept { return mGeneration.load(std::memory_order_acquire); }

  int GetMode() const noexcept { return mMode; }
  int GetOctaves() const noexcept { return mOctaves; }
  int GetDivision() const noexcept { return mDivision; }
  double GetGate() const noexcept { return mGate; }
  double GetSwing() const noexcept { return mSwing; }
  bool GetHold() const noexcept { return mHold != 0; }
  double GetTempo() const noexcept { return mTempo; }
  int NoteCount() const noexcept { return mNoteCount; }
  int HeldKeyCount() const noexcept { return mHeldCount; }
  bool IsRunning() const noexcept { return mRunning != 0; }
  int PendingNoteOffCount() const noexcept { return mPendingCount; }
  // The list entry's note at position i (ascending note order), for inspection.
  int NoteAt(int i) const noexcept { return i >= 0 && i < mNoteCount ? mNotes[i].note : -1; }

private:
  struct Entry {
    std::uint8_t note = 0;
    std::uint8_t channel = 0;
    float velocity = 0.0f;
    int stamp = 0;
    std::uint8_t held = 0;
  };
  // A pending note-off waits for its time, waits for the next step (tied), or - when the event
  // array was full as it fell due - waits to be sent at the start of the next block (carried).
  enum class Wait : std::uint8_t { Timed, Tied, Carried };
  struct PendingOff {
    std::uint8_t note = 0;
    std::uint8_t channel = 0;
    Wait wait = Wait::Timed;
    double remaining = 0.0;
  };
  struct StepNotes {
    int count = 0;
    std::uint8_t notes[kMaxNotes] = {};
    std::uint8_t channels[kMaxNotes] = {};
    float velocities[kMaxNotes] = {};
  };
  // Bounded writer over the caller's event array.
  struct EventSink {
    NoteEvent* events;
    int capacity;
    int count;
    bool Full() const noexcept { return count >= capacity; }
    bool Add(int offset, bool on, int note, int channel, double velocity) noexcept;
  };

  void RebuildPlayOrder() noexcept;
  void RemoveEntry(int index) noexcept;
  int CycleLength() const noexcept;
  void NotesOfStep(int step, StepNotes& out) noexcept;
  double StepLengthSamples(double positionQuarterNotes, bool transportRunning) const noexcept;
  void RunStep(int offset, double positionQuarterNotes, bool transportRunning, EventSink& sink) noexcept;
  void RemovePending(int index) noexcept;
  void AddPending(int note, int channel, Wait wait, double remaining) noexcept;
  void SendOff(int offset, int note, int channel, EventSink& sink) noexcept;
  void ElapsePending(double samples) noexcept;

  // Settings.
  int mMode = kUp;
  int mOctaves = 1;
  int mDivision = 3; // "1/16"
  double mGate = 0.5;
  double mSwing = 0.5;
  std::uint8_t mHold = 0;
  double mSampleRate = kDefaultEffectRate;
  double mTempo = 120.0;

  // Note list in ascending note order, and its positions in order of pressing.
  Entry mNotes[kMaxNotes];
  int mNoteCount = 0;
  std::uint8_t mPlayOrder[kMaxNotes] = {};
  int mStampCounter = 0;

  std::bitset<128> mHeldKeys;
  int mHeldCount = 0;

  std::uint8_t mRunning = 0;
  std::uint8_t mRestartPending = 0;
  int mStepIndex = 0;
  int mStepCounter = 0;
  double mTimeToNextStep = 0.0;

  PendingOff mPending[kMaxPendingNoteOffs];
  int mPendingCount = 0;

  std::uint32_t mRandomState = kRandomSeed;
  std::atomic<std::int32_t> mGeneration{0};
};

} // namespace vlm::dsp
