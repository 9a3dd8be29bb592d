// Three-band equalizer: low shelf (three sections), mid peak, high shelf (three sections).
#pragma once

#include "engine/fx/EffectBase.h"

namespace vlm::dsp {

class EQ3Band final : public EffectBase {
public:
  static constexpr int kSectionCount = 7; // three low shelves, one peak, three high shelves

  EQ3Band() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

  // Settings, for inspection.
  double LowGainDb() const noexcept { return mLowGainDb; }
  double LowHz() const noexcept { return mLowHz; }
  double MidGainDb() const noexcept { return mMidGainDb; }
  double MidHz() const noexcept { return mMidHz; }
  double HighGainDb() const noexcept { return mHighGainDb; }
  double HighHz() const noexcept { return mHighHz; }

private:
  // One biquad: coefficients (identity until designed) and a direct-form-I history per channel.
  struct Biquad {
    double b0 = 1.0;
    double b1 = 0.0;
    double b2 = 0.0;
    double a1 = 0.0;
    double a2 = 0.0;
    double x1[2] = {0.0, 0.0};
    double x2[2] = {0.0, 0.0};
    double y1[2] = {0.0, 0.0};
    double y2[2] = {0.0, 0.0};
  };

  void DesignLow() noexcept;
  void DesignMid() noexcept;
  void DesignHigh() noexcept;

  double mSampleRate = kDefaultEffectRate;
  Biquad mSections[kSectionCount];
  double mLowGainDb = 0.0;
  double mLowHz = 200.0;
  double mMidGainDb = 0.0;
  double mMidHz = 1000.0;
  double mHighGainDb = 0.0;
  double mHighHz = 5000.0;
};

} // namespace vlm::dsp
