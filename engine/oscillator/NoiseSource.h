// Coloured noise: LFSR white noise with a slow amplitude flutter, shaped by shelves, plus a
// low rumble from a slower LFSR, smoothed by a one-pole.
#pragma once

#include <cstdint>

#include "engine/util/Biquad.h"

class NoiseSource {
public:
  static constexpr std::uint32_t kWhiteSeed = 44257;
  static constexpr std::uint32_t kWhiteMask = 0xD0000001u;
  static constexpr std::uint8_t kFlutterSeed = 119;
  static constexpr std::uint8_t kFlutterMask = 0xB8;
  static constexpr std::uint32_t kRumbleSeed = 0x123456;
  static constexpr std::uint32_t kRumbleMask = 0xE10000u;
  static constexpr double kFlutterClockHz = 29.3;
  static constexpr double kRumbleClockHz = 1000.0;

  NoiseSource();

  // The registers keep running through Prepare and Reset: the sequence never restarts.
  void Prepare(double sampleRate) noexcept;
  void Reset() noexcept;
  double RenderSample() noexcept;

  // One step of each Galois LFSR (shift right, exclusive-or the mask when a 1 falls out).
  static std::uint32_t StepWhite(std::uint32_t r) noexcept { return (r >> 1) ^ ((r & 1u) ? kWhiteMask : 0u); }
  static std::uint8_t StepFlutter(std::uint8_t r) noexcept {
    return static_cast<std::uint8_t>((r >> 1) ^ ((r & 1u) ? kFlutterMask : 0u));
  }
  static std::uint32_t StepRumble(std::uint32_t r) noexcept {
    return (r >> 1) ^ ((r & 1u) ? kRumbleMask : 0u);
  }

  double Gain() const noexcept { return mGain; }
  std::uint32_t WhiteRegister() const noexcept { return mWhite; }
  std::uint8_t FlutterRegister() const noexcept { return mFlutter; }
  std::uint32_t RumbleRegister() const noexcept { return mRumble; }
  double FlutterDepth() const noexcept { return mFlutterDepth; }
  const Biquad& ShapingFilter(int i) const noexcept { return mShape[i]; }
  const Biquad& RumbleFilter(int i) const noexcept { return mRumbleFilter[i]; }

private:
  double mSampleRate = 48000.0;
  std::uint32_t mWhite = kWhiteSeed;
  double mClockPhase = 0.0;
  double mClockIncrement = 1.0;
  double mWhiteValue = 0.0;
  double mGain = 3.18;
  double mFlutterPhase = 0.0;
  double mFlutterIncrement = kFlutterClockHz / 48000.0;
  std::uint8_t mFlutter = kFlutterSeed;
  double mFlutterDepth = 0.5;
  double mFlutterEnvelope = 0.0;
  double mFlutterCoefficient = 0.0; // one-pole at 1 kHz
  Biquad mShape[3];
  double mRumblePhase = 0.0;
  double mRumbleIncrement = kRumbleClockHz / 48000.0;
  std::uint32_t mRumble = kRumbleSeed;
  double mRumbleValue = 0.0;
  Biquad mRumbleFilter[2];
  double mOutput = 0.0;
  double mOutputCoefficient = 0.0; // one-pole at 1 MHz
};
