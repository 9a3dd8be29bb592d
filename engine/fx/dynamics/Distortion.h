// Memoryless waveshaper with five curves; it keeps no state, so it has no Prepare and no Reset.
#pragma once

#include "engine/fx/EffectBase.h"

namespace vlm::dsp {

class Distortion final : public EffectBase {
public:
  static constexpr int kAlgorithmCount = 5;

  Distortion() = default;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

  // The curve of `algorithm` (0 "Clip", 1 "Overdrive", 2 "Waveshaper", 3 "Tube", 4 "Tape").
  static double Shape(int algorithm, double x) noexcept;

  // Settings, for inspection.
  int Algorithm() const noexcept { return mAlgorithm; }
  double Drive() const noexcept { return mDrive; }
  double Output() const noexcept { return mOutput; }
  double Mix() const noexcept { return mMix; }

private:
  int mAlgorithm = 1; // 0 "Clip", 1 "Overdrive", 2 "Waveshaper", 3 "Tube", 4 "Tape"
  double mDrive = 2.0;
  double mOutput = 1.0;
  double mMix = 1.0;
};

} // namespace vlm::dsp
