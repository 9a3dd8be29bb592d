// The reverb's three algorithms (hall, plate, room), which the reverb crossfades: the interface it drives
// and the decay, damping and diffusion settings they share.
#pragma once

#include "engine/fx/EffectBase.h"

namespace vlm::dsp {

// Lines are fixed arrays inside each core, so a core never allocates. Setting changes reach a core
// through its hooks; the per-sample Process of a final core is called directly.
// Threads: audio thread (Prepare also from the processor's reset).
class ReverbCore {
public:
  ReverbCore(const ReverbCore&) = delete;
  ReverbCore& operator=(const ReverbCore&) = delete;
  virtual ~ReverbCore() = default;

  // Line lengths and coefficients for the rate (one not above 0 counts as 48000); clears lines and state.
  void Prepare(double sampleRate);
  // Clears lines, indices and state only.
  virtual void Reset() noexcept = 0;
  // Decay time in seconds: the time to fall by 60 dB, scaled by the core's time scale.
  void SetDecay(double seconds) noexcept;
  // 0..1: more damping lowers the cut-off of the loop filters.
  void SetDamping(double amount) noexcept;
  // 0..1: scales the input allpass coefficients.
  void SetDiffusion(double amount) noexcept;
  // One mono input sample to a stereo pair.
  virtual void Process(double input, double* left, double* right) noexcept = 0;

  // Feedback gain per pass, for inspection.
  double Gain() const noexcept { return mGain; }

protected:
  // How a core's feedback gain follows the decay time T: 10^(exponent / (T x timeScale)) held within
  // minGain..maxGain.
  struct DecayLaw {
    double exponent;
    double minGain;
    double maxGain;
    double timeScale;
  };
  // `t60` and `gain` stand until the first Prepare or decay setting.
  ReverbCore(const DecayLaw& law, double t60, double gain) noexcept : mLaw(law), mT60(t60), mGain(gain) {}

  // Lengths and coefficients for mSampleRate, the damping and the diffusion included.
  virtual void Configure() noexcept = 0;
  // Derive the coefficients of mDamping and of mDiffusion.
  virtual void ApplyDamping() noexcept = 0;
  virtual void ApplyDiffusion() noexcept = 0;

  double mSampleRate = kDefaultEffectRate;
  double mDiffusion = 1.0;
  double mDamping = 0.5; // kept so a new rate re-derives the damping coefficients

private:
  void UpdateGain() noexcept;

  DecayLaw mLaw;
  double mT60;
  double mGain;
};

} // namespace vlm::dsp
