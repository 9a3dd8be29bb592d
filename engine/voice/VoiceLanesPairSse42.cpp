// Four voices in two SSE registers (Lanes2x2): the lane code compiled for SSE4.2 throughout, for
// processors with SSE4.2 but without AVX2 (see VoiceLanesInstances.h).
#include "engine/voice/VoiceLanesInstances.h"

#pragma GCC diagnostic ignored "-Wignored-attributes"

#if !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("sse4.2")
#endif

VLM_LANE_PAIR_MATH_INSTANCES(Lanes2x2)
VLM_VOICE_LANES_INSTANCES(Lanes2x2)

template <class T>
void VoiceLanes<T>::RenderSse42(Voice* const* voices, const double* noise, const double* lfo1,
                                const double* lfo2, double* sum, int n) noexcept {
  RenderLanes(voices, noise, lfo1, lfo2, sum, n);
}
template void VoiceLanes<Lanes2x2>::RenderSse42(Voice* const*, const double*, const double*, const double*,
                                                double*, int) noexcept;

#if !defined(__clang__)
#pragma GCC pop_options
#endif
