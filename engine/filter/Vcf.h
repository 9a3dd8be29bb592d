// Four-pole transistor-ladder low-pass: saturating stages, resonance feedback, internal
// oversampling, cutoff jitter at high resonance, resonance-dependent gain and input bleed.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <numbers>

#include "engine/filter/LadderCoefficients.h"
#include "engine/filter/LadderStages.h"
#include "engine/util/MathUtil.h"

class Vcf {
public:
  static constexpr int kTableSize = 41;
  // Feedback base K(r) and gain base G(r) at resonance index 40 r.
  static const std::array<double, kTableSize> kFeedbackTable;
  static const std::array<double, kTableSize> kGainTable;
  static constexpr std::uint32_t kJitterSeed = 74565;

  Vcf();

  void Prepare(double sampleRate) noexcept;
  void Reset() noexcept;
  // Called every sample; recomputes coefficients only when something changed or jitter runs.
  void SetCutoffAndResonance(double hz, double resonance) noexcept;
  // The part of SetCutoffAndResonance that needs neither the cutoff nor the jitter's low-pass: takes
  // the resonance, steps the jitter's noise and says whether the resonance changed. The low-pass
  // (JitterStep) and the coefficients are then functions of the noise, the cutoff and the filter's
  // fields, so a caller may compute them itself (VoiceLanes does, for all its lanes at once).
  bool SetResonanceAndStepNoise(double resonance) noexcept;
  // The jitter's low-pass after one step, from the noise state (its 32 bits as a double), for a double
  // and for lanes alike.
  template <class T> static T JitterStep(T noise, T jitter, T pole) noexcept {
    const T n = noise / 4294967295.0 * 2.0 - 1.0;
    return n * (1.0 - pole) + pole * jitter;
  }
  double Process(double x) noexcept;

  // Chooses the four-wide stage update; it is used only when the processor has AVX2.
  // Prepare selects it whenever available.
  void SetVectorForm(bool enabled) noexcept;
  bool VectorForm() const noexcept { return mUseAvx2 != 0; }

  // Internal iterations per sample for a rate: 192000 / rate rounded, held within 1..8.
  static int IterationsForRate(double sampleRate) noexcept;
  static double FeedbackBase(double resonance) noexcept;
  static double GainBase(double resonance) noexcept;
  // Self-oscillation gain correction in dB by cutoff.
  static double SelfOscillationGainDb(double hz) noexcept;

  int Iterations() const noexcept { return mIterations; }
  double CutoffHz() const noexcept { return mCutoffHz; }
  double Resonance() const noexcept { return mResonance; }
  double StageCoefficient() const noexcept { return mH; }
  double Feedback() const noexcept { return mK; }
  double OutputGain() const noexcept { return mGain; }
  double FeedbackBaseValue() const noexcept { return mFeedbackBase; }
  double GainBaseValue() const noexcept { return mGainBase; }
  double JitterDepth() const noexcept { return mJitterDepth; }
  double SmoothingBlend() const noexcept { return mSmoothingBlend; }
  double SelfOscillationFactor() const noexcept { return mSelfOscillation; }
  // The jitter's cutoff offset as the stage coefficient takes it.
  double JitterOffset() const noexcept { return mJitterNormaliser * mJitter * mJitterDepth; }
  double JitterNoise() const noexcept { return mJitterState; }

private:
  template <class L> friend class VoiceLanes; // runs the per-sample state of voices side by side

  static constexpr double kTwoPi = 2.0 * std::numbers::pi;

  void UpdateResonance() noexcept;
  void StepJitter() noexcept;
  void UpdateStageCoefficient() noexcept;
  void UpdateCoefficients() noexcept;

  double mSampleRate = 48000.0;
  double mCutoffHz = 1000.0;
  double mResonance = 0.0;
  double mH = 0.0;
  double mK = 0.0;
  double mGain = 1.0;
  double mFeedbackBase = 0.0;
  double mGainBase = 1.0;
  double mSelfOscillation = 0.0;
  double mSmoothingBlend = 0.0;
  double mJitterDepth = 0.0;
  alignas(32) double mStage[4] = {0.0, 0.0, 0.0, 0.0};
  int mIterations = 2;
  std::uint8_t mUseAvx2 = 0;
  double mSmoothCoefficient = 0.0;
  double mBleedCoefficient = 0.0;
  LadderOutput<double> mOutput;
  double mJitter = 0.0;
  double mJitterPole = 0.0;
  double mJitterNormaliser = 0.0;
  std::uint32_t mJitterState = kJitterSeed;
};

// The per-sample calls are inline: every voice makes them every sample.
inline void Vcf::StepJitter() noexcept {
  mJitterState = mJitterState * 1664525u + 1013904223u;
  mJitter = JitterStep<double>(mJitterState, mJitter, mJitterPole);
}

inline void Vcf::UpdateStageCoefficient() noexcept {
  mH = ladder::StageCoefficient(mCutoffHz, JitterOffset(), mSampleRate, mIterations);
}

inline bool Vcf::SetResonanceAndStepNoise(double resonance) noexcept {
  const double r = HoldWithin(resonance, 0.0, 1.0);
  const bool changed = r != mResonance;
  mResonance = r;
  if (changed)
    UpdateResonance();
  mJitterState = mJitterState * 1664525u + 1013904223u;
  return changed;
}

inline void Vcf::SetCutoffAndResonance(double hz, double resonance) noexcept {
  const double fc = hz >= 1.0 ? std::min(hz, 0.49 * mSampleRate) : 1.0;
  const bool cutoffChanged = fc != mCutoffHz;
  mCutoffHz = fc;
  const bool resonanceChanged = SetResonanceAndStepNoise(resonance);
  mJitter = JitterStep<double>(mJitterState, mJitter, mJitterPole);
  // Jitter moves only the stage coefficient; feedback and gain follow cutoff and resonance.
  if (cutoffChanged || resonanceChanged)
    UpdateCoefficients();
  else if (mJitterDepth > 0.0)
    UpdateStageCoefficient();
}

inline double Vcf::Process(double x) noexcept {
  const double y = mUseAvx2 ? LadderIterateAvx2(mStage, x, mK, mH, mIterations)
                            : LadderIterateScalar(mStage, x, mK, mH, mIterations);
  return mOutput.Process(x, y, mK, mGain, mSmoothingBlend, mSmoothCoefficient, mBleedCoefficient);
}
