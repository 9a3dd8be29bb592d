// Distortion: parameter mapping and the five shaping curves.
#include "engine/fx/dynamics/Distortion.h"

#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

// The effect processing task fills SetParameter and Process; until then audio passes unchanged.
void Distortion::SetParameter(int index, double value) noexcept {
  (void)index;
  (void)value;
}

void Distortion::Process(double& left, double& right) noexcept {
  (void)left;
  (void)right;
}

} // namespace vlm::dsp
