// The templates on a lane pair's per-sample path, instantiated where the pair's form is compiled under
// its target (VoiceLanesPairAvx2.cpp, VoiceLanesPairSse42.cpp): the halves' operations are compiled for
// that target, and a function on the path that is left out fails to compile (target mismatch) instead
// of lowering the halves for the baseline. Use at namespace scope under #pragma GCC target, with
// -Wignored-attributes off.
#pragma once

#include "engine/voice/VoiceLanesRender.h"

// A pair's members one by one: an explicit instantiation of the whole class would not take the target.
#define VLM_LANE_PAIR_MEMBERS(P_)                                                                            \
  template P_ P_::operator+(P_) const noexcept;                                                              \
  template P_ P_::operator+(P_::Elem) const noexcept;                                                        \
  template P_ P_::operator-(P_) const noexcept;                                                              \
  template P_ P_::operator-(P_::Elem) const noexcept;                                                        \
  template P_ P_::operator*(P_) const noexcept;                                                              \
  template P_ P_::operator*(P_::Elem) const noexcept;                                                        \
  template P_ P_::operator/(P_) const noexcept;                                                              \
  template P_ P_::operator/(P_::Elem) const noexcept;                                                        \
  template P_ P_::operator-() const noexcept;                                                                \
  template P_& P_::operator+=(P_) noexcept;                                                                  \
  template P_::Mask P_::operator<(P_) const noexcept;                                                        \
  template P_::Mask P_::operator<(P_::Elem) const noexcept;                                                  \
  template P_::Mask P_::operator>(P_) const noexcept;                                                        \
  template P_::Mask P_::operator>(P_::Elem) const noexcept;                                                  \
  template P_::Mask P_::operator<=(P_) const noexcept;                                                       \
  template P_::Mask P_::operator<=(P_::Elem) const noexcept;                                                 \
  template P_::Mask P_::operator>=(P_) const noexcept;                                                       \
  template P_::Mask P_::operator>=(P_::Elem) const noexcept;                                                 \
  template P_::Mask P_::operator==(P_) const noexcept;                                                       \
  template P_::Mask P_::operator==(P_::Elem) const noexcept;                                                 \
  template P_::Mask P_::operator!=(P_) const noexcept;                                                       \
  template P_::Mask P_::operator!=(P_::Elem) const noexcept;                                                 \
  template P_ P_::AddTo(P_::Elem, P_) noexcept;                                                              \
  template P_ P_::SubtractFrom(P_::Elem, P_) noexcept;                                                       \
  template P_ P_::MultiplyInto(P_::Elem, P_) noexcept;                                                       \
  template P_ P_::DivideInto(P_::Elem, P_) noexcept;                                                         \
  template P_::Mask P_::Below(P_::Elem, P_) noexcept;                                                        \
  template P_ P_::Choose(P_::Mask, P_, P_) noexcept;

// Masks and bits have the arithmetic members and their own bitwise ones.
#define VLM_LANE_PAIR_BIT_MEMBERS(P_)                                                                        \
  VLM_LANE_PAIR_MEMBERS(P_)                                                                                  \
  template P_ P_::operator&(P_) const noexcept;                                                              \
  template P_ P_::operator&(P_::Elem) const noexcept;                                                        \
  template P_ P_::operator|(P_) const noexcept;                                                              \
  template P_ P_::operator|(P_::Elem) const noexcept;                                                        \
  template P_ P_::operator>>(int) const noexcept;                                                            \
  template P_ P_::operator<<(int) const noexcept;                                                            \
  template P_ P_::operator~() const noexcept;                                                                \
  template P_& P_::operator|=(P_) noexcept;                                                                  \
  template bool P_::Any(P_) noexcept;                                                                        \
  template bool P_::All(P_) noexcept;

// The pair's own operations (L, its mask and its bits) and the lane helpers.
#define VLM_LANE_PAIR_MATH_INSTANCES(L)                                                                      \
  VLM_LANE_PAIR_MEMBERS(L)                                                                                   \
  VLM_LANE_PAIR_BIT_MEMBERS(MaskOf<L>)                                                                       \
  VLM_LANE_PAIR_BIT_MEMBERS(BitsOf<L>)                                                                       \
  template L operator+<L::Half>(L::Elem, L) noexcept;                                                        \
  template L operator-<L::Half>(L::Elem, L) noexcept;                                                        \
  template L operator*<L::Half>(L::Elem, L) noexcept;                                                        \
  template L operator/<L::Half>(L::Elem, L) noexcept;                                                        \
  template MaskOf<L> operator< <L::Half>(L::Elem, L) noexcept;                                               \
  template MaskOf<L> operator+<L::MaskHalf>(MaskOf<L>::Elem, MaskOf<L>) noexcept;                            \
  template MaskOf<L> operator-<L::MaskHalf>(MaskOf<L>::Elem, MaskOf<L>) noexcept;                            \
  template BitsOf<L> operator-<BitsOf<L>::Half>(BitsOf<L>::Elem, BitsOf<L>) noexcept;                        \
  template L Splat<L>(double) noexcept;                                                                      \
  template MaskOf<L> SplatMask<MaskOf<L>>(std::int64_t) noexcept;                                            \
  template bool AnyLane<MaskOf<L>>(MaskOf<L>) noexcept;                                                      \
  template bool AllLanes<MaskOf<L>>(MaskOf<L>) noexcept;                                                     \
  template MaskOf<L> SameBits<L>(L, L) noexcept;                                                             \
  template L Select<L>(MaskOf<L>, L, L) noexcept;                                                            \
  template L HoldWithinLanes<L>(L, L, L) noexcept;                                                           \
  template L MinLanes<L>(L, L) noexcept;                                                                     \
  template L MaxLanes<L>(L, L) noexcept;                                                                     \
  template L AbsLanes<L>(L) noexcept;                                                                        \
  template L fastmath::ExpSeries<L>(L) noexcept;                                                             \
  template L fastmath::Log2Reduced<L>(L, L) noexcept;                                                        \
  template L fastmath::CosQuarterTurn<L>(L) noexcept;                                                        \
  template L fastmath::Exp2TableLanes<L>(MaskOf<L>) noexcept;                                                \
  template L FastExp2Lanes<L>(L) noexcept;                                                                   \
  template L FastExpLanes<L>(L) noexcept;                                                                    \
  template L FastLog2Lanes<L>(L) noexcept;                                                                   \
  template L FastTanhRatio<L>(L) noexcept;                                                                   \
  template L FastTanh<L>(L) noexcept;

// The voice group's per-sample path on L.
#define VLM_VOICE_LANES_INSTANCES(L)                                                                         \
  template L lanemath::Min<L>(L, L) noexcept;                                                                \
  template L lanemath::Max<L>(L, L) noexcept;                                                                \
  template L lanemath::Hold<L>(L, double, double) noexcept;                                                  \
  template L lanemath::Smooth<L>(L) noexcept;                                                                \
  template L lanemath::Log2<L>(L) noexcept;                                                                  \
  template L lanemath::Exp<L>(L) noexcept;                                                                   \
  template L lanemath::Exp2<L>(L) noexcept;                                                                  \
  template L CutoffAlongSegment<L>(L, L, L, L, L) noexcept;                                                  \
  template L TremoloGain<L>(L, L) noexcept;                                                                  \
  template L Vcf::JitterStep<L>(L, L, L) noexcept;                                                           \
  template void LadderSteps<L>(L*, L, L, L, int) noexcept;                                                   \
  template void LadderSteps<L::Half>(L::Half*, L::Half, L::Half, L::Half, int) noexcept;                     \
  template L::Half FastTanh<L::Half>(L::Half) noexcept;                                                      \
  template L::Half FastTanhRatio<L::Half>(L::Half) noexcept;                                                 \
  template L::Half Select<L::Half>(MaskOf<L::Half>, L::Half, L::Half) noexcept;                              \
  template L::Half Splat<L::Half>(double) noexcept;                                                          \
  template L LadderOutput<L>::Process(L, L, L, L, L, L, L) noexcept;                                         \
  template L ladder::StageCoefficient<L>(L, L, double, int) noexcept;                                        \
  template L ladder::SelfOscillationGainDbAtLog2<L>(L) noexcept;                                             \
  template L ladder::SelfOscillationGain<L>(L, L, L, ladder::SelfOscillationSegment<L>*) noexcept;           \
  template L ladder::SelfOscillationSegment<L>::DbAtLog2(L) noexcept;                                        \
  template void ladder::FeedbackAndGain<L>(L, L, L, L, double, L&, L&,                                       \
                                           ladder::SelfOscillationSegment<L>*) noexcept;                     \
  template L TriangleColouring::Series<L>(const L*, L) noexcept;                                             \
  template L vcolanes::Fabs<L>(L) noexcept;                                                                  \
  template L vcolanes::PolyBlep<L>(L, L) noexcept;                                                           \
  template L vcolanes::PolyBlamp<L>(L) noexcept;                                                             \
  template L vcolanes::SmoothStep<L>(L) noexcept;                                                            \
  template L vcolanes::WrapPhase<L>(L) noexcept;                                                             \
  template L vcolanes::FastCosTurns<L>(L) noexcept;                                                          \
  template void VcoLanes<L>::SetFrequency(L) noexcept;                                                       \
  template void VcoLanes<L>::SetPulseWidth(L) noexcept;                                                      \
  template L VcoLanes<L>::RenderSample() noexcept;                                                           \
  template L VcoLanes<L>::RenderSampleWithNoise(L) noexcept;                                                 \
  template void VcoLanes<L>::HardSync(MaskOf<L>, L) noexcept;                                                \
  template L VcoLanes<L>::PlayNoise(L) noexcept;                                                             \
  template L VcoLanes<L>::RenderWaveform() noexcept;                                                         \
  template L VcoLanes<L>::Triangle(L, L) noexcept;                                                           \
  template L VcoLanes<L>::Pulse(L, L, L) const noexcept;                                                     \
  template L VcoLanes<L>::EndValue() const noexcept;                                                         \
  template L VcoLanes<L>::NaiveValue(L) const noexcept;                                                      \
  template void VcoLanes<L>::UpdateColouring() noexcept;                                                     \
  template L VcoLanes<L>::EvaluateColouring(L) const noexcept;                                               \
  template L VoiceLanes<L>::AudioSample(const L&, const L&, const L&, const L&, const L&, const L&,          \
                                        const L&) noexcept;                                                  \
  template void VoiceLanes<L>::RenderLanes(Voice* const*, const double*, const double*, const double*,       \
                                           double*, int) noexcept;
