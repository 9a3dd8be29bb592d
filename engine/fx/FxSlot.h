// One effect slot: an instance of every effect class, of which the slot's type makes one active.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/arp/Arpeggiator.h"
#include "engine/fx/EffectBase.h"
#include "engine/fx/dynamics/Compressor.h"
#include "engine/fx/dynamics/Delay.h"
#include "engine/fx/dynamics/Distortion.h"
#include "engine/fx/dynamics/EQ3Band.h"
#include "engine/fx/modulation/DigitalChorus.h"
#include "engine/fx/modulation/Flanger.h"
#include "engine/fx/modulation/Phaser.h"
#include "engine/fx/modulation/PitchChorus.h"
#include "engine/fx/modulation/StudioChorus.h"
#include "engine/fx/modulation/SynthChorus.h"
#include "engine/fx/reverb/Reverb.h"

namespace vlm::dsp {

// Choosing a type never allocates: every effect exists for the slot's whole life and only the
// type byte and the active pointer change. Several megabytes: keep slots on the heap, never copy.
// Threads: type changes, resets and processing on the audio thread (Prepare also from the
// processor's reset while the stream is stopped); Type() and Active() may be read from any thread.
class FxSlot {
public:
  FxSlot() = default;
  FxSlot(const FxSlot&) = delete;
  FxSlot& operator=(const FxSlot&) = delete;

  // The slot's instance for ids 1..12, else null.
  EffectBase* EffectForType(int type) noexcept;

  // Stores the type (a byte; ids outside 1..12 mean no effect) and points at its instance.
  void SetType(int type) noexcept;
  EffectType Type() const noexcept { return static_cast<EffectType>(mType.load(std::memory_order_acquire)); }
  EffectBase* Active() const noexcept { return mActive.load(std::memory_order_acquire); }

  void ResetActive() noexcept;
  // Re-derives the active pointer from the stored type and prepares every instance (may allocate).
  void Prepare(double sampleRate);
  void ResetAll() noexcept;

  Arpeggiator& GetArpeggiator() noexcept { return mArpeggiator; }

private:
  std::atomic<std::uint8_t> mType{0};
  std::atomic<EffectBase*> mActive{nullptr};
  DigitalChorus mDigitalChorus;
  SynthChorus mSynthChorus;
  StudioChorus mStudioChorus;
  Delay mDelay;
  Phaser mPhaser;
  Flanger mFlanger;
  EQ3Band mEQ3Band;
  Compressor mCompressor;
  Distortion mDistortion;
  Reverb mReverb;
  PitchChorus mPitchChorus;
  Arpeggiator mArpeggiator;
};

} // namespace vlm::dsp
