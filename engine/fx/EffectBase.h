// The interface every effect of the rack offers, and the ids that choose an effect for a slot.
#pragma once

#include <cstdint>

namespace vlm::dsp {

// The slot-type parameter's value; stored and exchanged as one byte. Any value outside 1..12
// (the parameter's reserved items 13..15 included) means the slot has no effect.
enum class EffectType : std::uint8_t {
  Off = 0,
  SynthChorus = 1,
  StudioChorus = 2,
  DigitalChorus = 3,
  Delay = 4,
  Phaser = 5,
  Flanger = 6,
  EQ3Band = 7,
  Compressor = 8,
  Distortion = 9,
  Reverb = 10,
  PitchChorus = 11,
  Arpeggiator = 12,
};

inline constexpr int kFirstEffectType = 1;
inline constexpr int kLastEffectType = 12;

// True for the ids 1..12 that name an effect class.
constexpr bool IsEffectType(int type) noexcept {
  return type >= kFirstEffectType && type <= kLastEffectType;
}

// Sample rate an effect assumes when it is prepared with a rate that is not above 0 (or NaN).
inline constexpr double kDefaultEffectRate = 48000.0;
constexpr double EffectRateOrDefault(double rate) noexcept {
  return rate > 0.0 ? rate : kDefaultEffectRate;
}

// Every effect lives for its slot's whole life; only the slot's active pointer changes.
// Threads: all operations on the audio thread (Prepare and Reset also from the processor's reset
// while the stream is stopped).
class EffectBase {
public:
  EffectBase() = default;
  EffectBase(const EffectBase&) = delete;
  EffectBase& operator=(const EffectBase&) = delete;
  virtual ~EffectBase() = default;

  // May size buffers and compute coefficients; a rate not above 0 counts as 48000.
  virtual void Prepare(double /*sampleRate*/) {}
  // Clears delay lines and running state only.
  virtual void Reset() noexcept {}
  // index 0..7 of the slot's parameters, value normalised; values are clamped to 0..1 and other
  // indices ignored.
  virtual void SetParameter(int /*index*/, double /*value*/) noexcept {}
  // Host tempo; only the delay and the arpeggiator use it.
  virtual void SetTempo(double /*bpm*/) noexcept {}
  // One stereo sample in place.
  virtual void Process(double& /*left*/, double& /*right*/) noexcept {}
};

} // namespace vlm::dsp
