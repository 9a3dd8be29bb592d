// Reverb effect: mono pre-delay into one of three cores (crossfaded on a change), tone, width and mix.
#pragma once

#include <cstdint>

#include "engine/fx/DelayLine.h"
#include "engine/fx/EffectBase.h"
#include "engine/fx/EqualPowerMix.h"
#include "engine/fx/reverb/HallCore.h"
#include "engine/fx/reverb/PlateCore.h"
#include "engine/fx/reverb/RoomCore.h"

namespace vlm::dsp {

class Reverb final : public EffectBase {
public:
  static constexpr std::size_t kPreDelayLength = 65536;
  static constexpr int kCores = 3; // 0 "Hall", 1 "Plate", 2 "Room"

  // Construction derives the coefficients for 48000 Hz: mode "Hall" at full weight, mix 0.
  Reverb() noexcept;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

  // Settings, derived values and cores, for inspection.
  int Mode() const noexcept { return mMode; }
  double PreDelaySamples() const noexcept { return mPreDelaySamples; }
  double Weight(int core) const noexcept { return mWeight[core]; }
  double TargetWeight(int core) const noexcept { return mTargetWeight[core]; }
  double WeightStep() const noexcept { return mWeightStep; }
  double ToneCoef() const noexcept { return mToneCoef; }
  double Width() const noexcept { return mWidth; }
  double DryGain() const noexcept { return mMix.Dry(); }
  double WetGain() const noexcept { return mMix.Wet(); }
  const HallCore& Hall() const noexcept { return mHall; }
  const PlateCore& Plate() const noexcept { return mPlate; }
  const RoomCore& Room() const noexcept { return mRoom; }

private:
  void UpdateRateValues() noexcept;
  void ClearState() noexcept;

  double mSampleRate = kDefaultEffectRate;
  FixedDelayLine<kPreDelayLength> mPreDelay;
  double mPreDelaySamples = 0.0; // at most 65532
  double mPreDelayMs = 0.0;      // kept so a new rate re-derives the samples
  double mPreLpCoef = 0.0;       // 9000 Hz low-pass on the pre-delay output
  double mPreLpState = 0.0;
  HallCore mHall;
  PlateCore mPlate;
  RoomCore mRoom;
  double mWeight[kCores] = {1.0, 0.0, 0.0};
  double mTargetWeight[kCores] = {1.0, 0.0, 0.0};
  double mWeightStep = 1.0 / 2400.0; // 50 ms at 48 kHz
  int mMode = 0;
  double mToneCoef = 1.0;
  double mToneHz = 0.0; // 0 until "Tone" is set (unfiltered); kept so a new rate re-derives it
  double mToneState[2] = {0.0, 0.0};
  double mWidth = 1.0;
  EqualPowerMix mMix;
};

} // namespace vlm::dsp
