// Reverb effect: mono pre-delay into one of three cores (crossfaded on a change), tone, width and mix.
#pragma once

#include <cstdint>

#include "engine/fx/DelayLine.h"
#include "engine/fx/EffectBase.h"
#include "engine/fx/reverb/HallCore.h"
#include "engine/fx/reverb/PlateCore.h"
#include "engine/fx/reverb/RoomCore.h"

namespace vlm::dsp {

class Reverb final : public EffectBase {
public:
  static constexpr std::size_t kPreDelayLength = 65536;
  static constexpr int kCores = 3; // 0 "Hall", 1 "Plate", 2 "Room"

  Reverb() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

private:
  double mSampleRate = kDefaultEffectRate;
  FixedDelayLine<kPreDelayLength> mPreDelay;
  double mPreDelaySamples = 0.0; // at most 65532
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
  double mToneState[2] = {0.0, 0.0};
  double mWidth = 1.0;
  double mMix = 0.0;
  double mDryGain = 1.0;
  double mWetGain = 0.0;
};

} // namespace vlm::dsp
