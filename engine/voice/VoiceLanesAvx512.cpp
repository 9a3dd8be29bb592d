// The octet's AVX-512 form: the lane code for eight lanes compiled for AVX-512 throughout.
//
// A vector comparison is shaped by the target of the function it is written in: written in a template
// compiled for the x86-64 baseline, a comparison of eight doubles comes out lane by lane (scalar compares
// and inserts), even when the template is inlined into an AVX-512 function; AVX-512 compares into mask
// registers only where the function itself is compiled for it. So every eight-lane template on the
// octet's path that compares is instantiated here under the AVX-512 target, before anything else in
// this file uses it. A caller must have every target option of an always-inlined callee, so a function
// on that path that is left out (while something it calls is listed) fails to compile rather than
// silently running lane by lane; only a listed function's own comparisons depend on the list.
//
// These instances live in this file only: the baseline octet (VoiceLanes.cpp) instantiates the same
// templates for the baseline, and always inlines them there, so neither form calls the other's copies.
// The members that run outside the per-sample path (VcoLanes' Load, Store and colouring rebuilds)
// are left to the baseline, as they are shared.
#include "engine/voice/VoiceLanesRender.h"

#pragma GCC diagnostic ignored "-Wignored-attributes"

// clang inlines before it selects instructions, so only RenderAvx512's own target matters there.
#if !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx512f,avx512dq,avx512vl")
#endif

using L = Lanes8;
using M = LaneMask8;

template L Splat<L>(double) noexcept;
template M SplatMask<M>(std::int64_t) noexcept;
template bool AnyLane<M>(M) noexcept;
template bool AllLanes<M>(M) noexcept;
template M SameBits<L>(L, L) noexcept;
template L Select<L>(M, L, L) noexcept;
template L HoldWithinLanes<L>(L, L, L) noexcept;
template L MinLanes<L>(L, L) noexcept;
template L MaxLanes<L>(L, L) noexcept;
template L AbsLanes<L>(L) noexcept;
template L fastmath::Exp2TableLanes<L>(M) noexcept;
template L FastExp2Lanes<L>(L) noexcept;
template L FastExpLanes<L>(L) noexcept;
template L FastLog2Lanes<L>(L) noexcept;
template L lanemath::Min<L>(L, L) noexcept;
template L lanemath::Max<L>(L, L) noexcept;
template L lanemath::Hold<L>(L, double, double) noexcept;
template L lanemath::Smooth<L>(L) noexcept;
template L lanemath::Log2<L>(L) noexcept;
template L lanemath::Exp<L>(L) noexcept;
template L lanemath::Exp2<L>(L) noexcept;
template L CutoffAlongSegment<L>(L, L, L, L, L) noexcept;
template L TremoloGain<L>(L, L) noexcept;
template L Vcf::JitterStep<L>(L, L, L) noexcept;
template L FastTanh<L>(L) noexcept;
template void LadderSteps<L>(L*, L, L, L, int) noexcept;
template L ladder::StageCoefficient<L>(L, L, double, int) noexcept;
template L ladder::SelfOscillationGainDbAtLog2<L>(L) noexcept;
template L ladder::SelfOscillationGain<L>(L, L, L, ladder::SelfOscillationSegment<L>*) noexcept;
template L ladder::SelfOscillationSegment<L>::DbAtLog2(L) noexcept;
template void ladder::FeedbackAndGain<L>(L, L, L, L, double, L&, L&,
                                         ladder::SelfOscillationSegment<L>*) noexcept;
template L vcolanes::Fabs<L>(L) noexcept;
template L vcolanes::PolyBlep<L>(L, L) noexcept;
template L vcolanes::PolyBlamp<L>(L) noexcept;
template L vcolanes::SmoothStep<L>(L) noexcept;
template L vcolanes::WrapPhase<L>(L) noexcept;
template L vcolanes::FastCosTurns<L>(L) noexcept;
template void VcoLanes<L>::SetFrequency(L) noexcept;
template void VcoLanes<L>::SetPulseWidth(L) noexcept;
template L VcoLanes<L>::RenderSample() noexcept;
template L VcoLanes<L>::RenderSampleWithNoise(L) noexcept;
template void VcoLanes<L>::HardSync(M, L) noexcept;
template L VcoLanes<L>::PlayNoise(L) noexcept;
template L VcoLanes<L>::RenderWaveform() noexcept;
template L VcoLanes<L>::Triangle(L, L) noexcept;
template L VcoLanes<L>::Pulse(L, L, L) const noexcept;
template L VcoLanes<L>::EndValue() const noexcept;
template L VcoLanes<L>::NaiveValue(L) const noexcept;
template void VcoLanes<L>::UpdateColouring() noexcept;
template L VcoLanes<L>::EvaluateColouring(L) const noexcept;
template L VoiceLanes<L>::AudioSample(const L&, const L&, const L&, const L&, const L&, const L&,
                                      const L&) noexcept;
template void VoiceLanes<L>::RenderLanes(Voice* const*, const double*, const double*, const double*, double*,
                                         int) noexcept;

template <class T>
void VoiceLanes<T>::RenderAvx512(Voice* const* voices, const double* noise, const double* lfo1,
                                 const double* lfo2, double* sum, int n) noexcept {
  RenderLanes(voices, noise, lfo1, lfo2, sum, n);
}
template void VoiceLanes<L>::RenderAvx512(Voice* const*, const double*, const double*, const double*, double*,
                                          int) noexcept;

#if !defined(__clang__)
#pragma GCC pop_options
#endif
