// The interface of the reverb's three algorithms (hall, plate, room), which the reverb crossfades.
#pragma once

namespace vlm::dsp {

// Lines are fixed arrays inside each core, so a core never allocates.
// Threads: audio thread (Prepare also from the processor's reset).
class ReverbCore {
public:
  ReverbCore() = default;
  ReverbCore(const ReverbCore&) = delete;
  ReverbCore& operator=(const ReverbCore&) = delete;
  virtual ~ReverbCore() = default;

  // Line lengths and coefficients for the rate; clears lines and state.
  virtual void Prepare(double sampleRate) = 0;
  // Clears lines, indices and state only.
  virtual void Reset() noexcept = 0;
  // Decay time in seconds (time to fall by 60 dB, as each core interprets it).
  virtual void SetDecay(double seconds) noexcept = 0;
  // 0..1: more damping lowers the cut-off of the loop filters.
  virtual void SetDamping(double amount) noexcept = 0;
  // 0..1: scales the input allpass coefficients.
  virtual void SetDiffusion(double amount) noexcept = 0;
  // One mono input sample to a stereo pair.
  virtual void Process(double input, double* left, double* right) noexcept = 0;
};

} // namespace vlm::dsp
