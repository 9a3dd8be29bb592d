// The voice oscillator: double-precision phase accumulator with band-limited triangle, sawtooth,
// pulse and square, hard sync with its restart transient, and the coloured noise source.
#pragma once

#include <cstdint>

#include "engine/oscillator/NoiseSource.h"
#include "engine/oscillator/TriangleColouring.h"

class Vco {
public:
  enum Waveform : std::uint8_t { kTriangle = 0, kSawtooth = 1, kPulse = 2, kSquare = 3, kNoise = 4 };

  Vco();

  void Prepare(double sampleRate) noexcept;
  void Reset() noexcept;
  void SetFrequency(double hz) noexcept;
  void SetPulseWidth(double width) noexcept;
  void SetPhase(double phase) noexcept;

  // One sample at the current phase, then the phase advances (noise does not advance).
  double RenderSample() noexcept;
  // As RenderSample, except that the noise waveform plays the given shared noise sample.
  double RenderSampleWithNoise(double noise) noexcept;
  // Restarts at a master's wrap that happened `fraction` (0..1) of a sample ago.
  void HardSync(double fraction) noexcept;

  // The owner writes the waveform byte directly (waveform codes above; others render 0).
  std::uint8_t mWaveform = kSawtooth;

  bool Wrapped() const noexcept { return mWrapped != 0; }
  double Phase() const noexcept { return mPhase; }
  double PreviousPhase() const noexcept { return mPreviousPhase; }
  double Increment() const noexcept { return mIncrement; }
  double PulseWidth() const noexcept { return mPulseWidth; }
  double SampleRate() const noexcept { return mSampleRate; }
  double LastOutput() const noexcept { return mLastOutput; }
  double SyncTransientTau() const noexcept { return mSyncTau; }
  const TriangleColouring& Colouring() const noexcept { return mColouring; }
  const NoiseSource& Noise() const noexcept { return mNoise; }

  // Value of the waveform at the end of its cycle (sync correction target).
  double EndValue() const noexcept;
  // Naive (uncorrected) waveform value at phase p.
  double NaiveValue(double p) const noexcept;

  static constexpr double kSyncTransientDepth = 1.2;
  static constexpr double kSyncTransientRest = 1e9;

private:
  double Triangle(double p, double dt) noexcept;
  double Pulse(double p, double dt, double width) const noexcept;

  double mSampleRate = 48000.0;
  double mPhase = 0.0;
  double mIncrement = 0.0;
  double mPulseWidth = 0.5;
  std::uint8_t mWrapped = 0;
  double mLastOutput = 0.0;
  double mPreviousPhase = 0.0;
  std::uint8_t mSyncPending = 0;
  double mSyncValue = 0.0;
  double mSyncCounter = kSyncTransientRest;
  double mSyncTau = 4.0;
  TriangleColouring mColouring;
  NoiseSource mNoise;
};
