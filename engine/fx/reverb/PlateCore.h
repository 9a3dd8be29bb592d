// Plate algorithm: input diffusion and a figure-of-eight tank of modulated allpasses and delays.
#pragma once

#include "engine/fx/DelayLine.h"
#include "engine/fx/ReverbCore.h"

namespace vlm::dsp {

class PlateCore final : public ReverbCore {
public:
  static constexpr int kInputAllpasses = 4;
  static constexpr std::size_t kInputLength = 4096;
  static constexpr std::size_t kTankLength = 65536;

  PlateCore() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetDecay(double seconds) noexcept override;
  void SetDamping(double amount) noexcept override;
  void SetDiffusion(double amount) noexcept override;
  void Process(double input, double* left, double* right) noexcept override;

private:
  // One half of the tank: modulated allpass, delay, damping, allpass, delay.
  struct TankHalf {
    FixedDelayLine<kTankLength> modAllpass;
    FixedDelayLine<kTankLength> delay1;
    FixedDelayLine<kTankLength> allpass;
    FixedDelayLine<kTankLength> delay2;
    int modAllpassLength = 0;
    int delay1Length = 0;
    int allpassLength = 0;
    int delay2Length = 0;
    double damp = 0.0;
    double output = 0.0; // previous sample's output, fed to the other half
  };

  double mSampleRate = 48000.0;
  FixedDelayLine<kInputLength> mInput[kInputAllpasses];
  int mInputLength[kInputAllpasses] = {0, 0, 0, 0};
  double mInputCoef[kInputAllpasses] = {0.75, 0.75, 0.625, 0.625};
  TankHalf mHalf[2];
  double mModExcursion = 0.0; // samples of the 8-sample swing at 29761 Hz, scaled
  double mLfoPhase = 0.0;
  double mLfoIncrement = 0.0;
  int mLeftTaps[7] = {};
  int mRightTaps[7] = {};
  double mT60 = 3.0;
  double mGain = 0.5;
  double mDiffusion = 1.0;
  double mDampCoef = 0.5;
};

} // namespace vlm::dsp
