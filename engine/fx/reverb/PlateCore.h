// Plate algorithm: input diffusion and a figure-of-eight tank of modulated allpasses and delays.
#pragma once

#include "engine/fx/DelayLine.h"
#include "engine/fx/ReverbCore.h"
#include "engine/fx/reverb/ReverbMath.h"

namespace vlm::dsp {

class PlateCore final : public ReverbCore {
public:
  static constexpr int kInputAllpasses = 4;
  static constexpr int kOutputTaps = 7;
  static constexpr std::size_t kInputLength = 4096;
  static constexpr std::size_t kTankLength = 65536;

  // Construction derives lengths and coefficients for 48000 Hz, so the core sounds before Prepare.
  PlateCore() noexcept;
  void Reset() noexcept override;
  void Process(double input, double* left, double* right) noexcept override;

  // Derived values, for inspection.
  double DampCoef() const noexcept { return mDampCoef; }
  int InputLength(int k) const noexcept { return mInputLength[k]; }
  double InputCoef(int k) const noexcept { return mInputCoef[k]; }
  int Delay1Length(int half) const noexcept { return mHalf[half].delay1Length; }

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
  // An output tap: which line of which half, where, and its sign.
  struct Tap {
    int half;
    int line; // 0 delay1, 1 allpass, 2 delay2
    int position;
    double sign;
  };

  void Configure() noexcept override;
  void ApplyDamping() noexcept override;
  void ApplyDiffusion() noexcept override;
  double RunHalf(TankHalf& half, double input, double modulation) noexcept;
  double ReadTap(const Tap& tap) const noexcept;

  FixedDelayLine<kInputLength> mInput[kInputAllpasses];
  int mInputLength[kInputAllpasses] = {0, 0, 0, 0};
  double mInputCoef[kInputAllpasses] = {0.75, 0.75, 0.625, 0.625};
  TankHalf mHalf[2];
  double mModBase[2] = {0.0, 0.0}; // the two modulated allpasses' centre delays, scaled
  double mModExcursion = 0.0;      // samples of the 8-sample swing at 29761 Hz, scaled
  reverb::SineLfo mLfo;
  Tap mLeftTaps[kOutputTaps] = {};
  Tap mRightTaps[kOutputTaps] = {};
  double mDampCoef = 0.5;
};

} // namespace vlm::dsp
