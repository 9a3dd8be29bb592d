// Eight voices in two AVX2 registers (Lanes4x2): the lane code compiled for AVX2 throughout, for
// processors with AVX2 but without AVX-512 (see VoiceLanesInstances.h).
#include "engine/voice/VoiceLanesInstances.h"

#pragma GCC diagnostic ignored "-Wignored-attributes"

#if !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

VLM_LANE_PAIR_MATH_INSTANCES(Lanes4x2)
VLM_VOICE_LANES_INSTANCES(Lanes4x2)

template <class T>
void VoiceLanes<T>::RenderAvx2(Voice* const* voices, const double* noise, const double* lfo1,
                               const double* lfo2, double* sum, int n) noexcept {
  RenderLanes(voices, noise, lfo1, lfo2, sum, n);
}
template void VoiceLanes<Lanes4x2>::RenderAvx2(Voice* const*, const double*, const double*, const double*,
                                               double*, int) noexcept;

#if !defined(__clang__)
#pragma GCC pop_options
#endif
