// Three-band equalizer: low shelf (three sections), mid peak, high shelf (three sections).
#pragma once

#include "engine/fx/EffectBase.h"

namespace vlm::dsp {

class EQ3Band final : public EffectBase {
public:
  static constexpr int kSectionCount = 7; // three low shelves, one peak, three high shelves
  static constexpr int kBands = 3;        // low shelf, mid peak, high shelf; two parameters each

  EQ3Band() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

  // Settings, for inspection.
  double LowGainDb() const noexcept { return mBands[0].gainDb; }
  double LowHz() const noexcept { return mBands[0].hz; }
  double MidGainDb() const noexcept { return mBands[1].gainDb; }
  double MidHz() const noexcept { return mBands[1].hz; }
  double HighGainDb() const noexcept { return mBands[2].gainDb; }
  double HighHz() const noexcept { return mBands[2].hz; }

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

  struct Band {
    double gainDb;
    double hz;
  };

  void DesignBand(int band) noexcept;

  double mSampleRate = kDefaultEffectRate;
  Biquad mSections[kSectionCount];
  Band mBands[kBands] = {{0.0, 200.0}, {0.0, 1000.0}, {0.0, 5000.0}};
};

} // namespace vlm::dsp
