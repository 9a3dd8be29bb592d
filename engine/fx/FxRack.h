// The chain of five effect slots that every output sample passes, slot 0 first.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>

#include "engine/fx/FxSlot.h"

namespace vlm::dsp {

// About 40 MB (the reverb lines dominate): it lives inside the processor object, never on the stack.
// Threads: every operation on the audio thread - type changes, parameters, bypass, tempo,
// processing and FindActiveArpeggiator; Prepare and ResetAll from the processor's reset (audio
// thread, or any thread while the stream is stopped). Type and bypass may be read from any thread.
class FxRack {
public:
  static constexpr int kSlotCount = 5;
  static constexpr int kParamsPerSlot = 8;

  FxRack() = default;
  FxRack(const FxRack&) = delete;
  FxRack& operator=(const FxRack&) = delete;

  // Slot outside 0..4 ignored. Only records the type; the caller resets the slot's effect and
  // sends it the slot's parameters (ResetActive, SetSlotParameters).
  void SetType(int slot, int type) noexcept;
  // Ignored for a slot outside 0..4, an index outside 0..7 or a slot without an effect.
  void SetParameter(int slot, int index, double value) noexcept;
  // The active effect (if any) gets indices 0..7 in order.
  void SetSlotParameters(int slot, std::span<const double, kParamsPerSlot> values) noexcept;
  // Turning bypass on resets the slot's effect, so it starts clean when bypass is lifted.
  void SetBypass(int slot, bool on) noexcept;
  bool IsBypassed(int slot) const noexcept;
  // Every slot's active effect, bypassed or not.
  void SetTempo(double bpm) noexcept;

  void Prepare(double sampleRate);
  void ResetAll() noexcept;
  void ResetActive() noexcept;

  // One stereo sample through slots 0..4; bypassed and empty slots are skipped.
  void Process(double& left, double& right) noexcept;

  // The arpeggiator of the first slot that is not bypassed and whose type is 12; else null.
  Arpeggiator* FindActiveArpeggiator() noexcept;

  FxSlot& Slot(int slot) noexcept { return mSlots[slot]; }
  const FxSlot& Slot(int slot) const noexcept { return mSlots[slot]; }

private:
  static constexpr bool ValidSlot(int slot) noexcept { return slot >= 0 && slot < kSlotCount; }

  std::array<FxSlot, kSlotCount> mSlots;
  std::array<std::atomic<std::uint8_t>, kSlotCount> mBypass{};
};

} // namespace vlm::dsp
