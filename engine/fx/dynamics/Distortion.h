// Memoryless waveshaper with five curves; it keeps no state, so it has no Prepare and no Reset.
#pragma once

#include "engine/fx/EffectBase.h"

namespace vlm::dsp {

class Distortion final : public EffectBase {
public:
  Distortion() = default;
  void SetParameter(int index, double value) noexcept override;
  void Process(double& left, double& right) noexcept override;

private:
  int mAlgorithm = 1; // 0 "Clip", 1 "Overdrive", 2 "Waveshaper", 3 "Tube", 4 "Tape"
  double mDrive = 2.0;
  double mOutput = 1.0;
  double mMix = 1.0;
};

} // namespace vlm::dsp
