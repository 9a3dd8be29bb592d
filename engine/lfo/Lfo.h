// Low-frequency oscillator of a tone part: triangle, saw up, saw down, square and sample-and-hold.
#pragma once

#include <cstdint>

class Lfo {
public:
  enum Waveform : std::uint8_t { kTriangle = 0, kSawUp = 1, kSawDown = 2, kSquare = 3, kRandom = 4 };

  static constexpr double kMinRateHz = 0.02;
  static constexpr double kMaxRateHz = 64.0;
  static constexpr double kMinRandomRateHz = 0.02;
  static constexpr double kMaxRandomRateHz = 250.0;
  static constexpr std::uint32_t kSeed = 0xC0FFEE;

  void Prepare(double sampleRate) noexcept;
  void Reset() noexcept;
  void SetRate(double hz) noexcept;
  void SetRandomRate(double hz) noexcept;
  // Back to phase 0 with a fresh random value (tempo-synced LFOs at the first note).
  void Restart() noexcept;
  double Tick() noexcept;

  // Written directly by the tone part.
  std::uint8_t mWaveform = kTriangle;

  double RateHz() const noexcept { return mIncrement * mSampleRate; }
  double RandomRateHz() const noexcept { return mRandomRateHz; }
  double Increment() const noexcept { return mIncrement; }
  double Phase() const noexcept { return mPhase; }
  double PreviousPhase() const noexcept { return mPreviousPhase; }
  double LastOutput() const noexcept { return mLastOutput; }
  double RandomValue() const noexcept { return mRandomValue; }

private:
  void StepRandom() noexcept;

  double mSampleRate = 48000.0;
  double mPhase = 0.0;
  double mPreviousPhase = 0.0;
  double mIncrement = 5.0 / 48000.0;
  double mRandomRateHz = 5.0;
  double mRandomIncrement = 5.0 / 48000.0;
  std::uint32_t mXorshift = kSeed;
  double mRandomValue = 0.0;
  double mLastOutput = 0.0;
};
