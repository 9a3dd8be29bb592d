// Voices rendered side by side, one per lane of L: VoicePair (two, in the SSE2 registers every x86-64
// processor has), VoiceQuad (four, AVX2) and VoiceOctet (eight, AVX-512).
// The branchy control steps run voice by voice, the arithmetic (pitch sums, pulse width, exponentials,
// cutoff conversion, jitter, ladder coefficients, oscillators, mixer, filters, amplifier) on the lanes.
#pragma once

#include "engine/filter/LadderCoefficients.h"
#include "engine/filter/LadderStages.h"
#include "engine/oscillator/VcoLanes.h"
#include "engine/util/Lanes.h"
#include "engine/voice/Voice.h"

// Voices in one register do the same arithmetic once instead of two, four or eight times. Every lane
// does exactly the scalar operations in the scalar order, so a group renders bit for bit what its
// voices render one after another. The control steps with branches (envelope phases, curve lookups,
// note starts, latches) stay per voice: on lanes they would have to take every branch, which measured
// slower than the voices alone. What follows them without branches is summed on the lanes, and
// what the lanes compute from inputs that rest (a held note's cutoff and ladder) is kept.
//
// Voice, Vcf and Hpf open their audio state to every VoiceLanes<L>. The per-sample render is in
// VoiceLanesRender.h; the octet's AVX-512 form is compiled in VoiceLanesAvx512.cpp.
// Audio thread only; one group is reused for every run of voices.
template <class L> class VoiceLanes {
public:
  static constexpr int kLanes = kLanesOf<L>;

  VoiceLanes() noexcept;

  // Renders n samples of kLanes active voices that may share lanes (Voice::SharesLanesWith) and adds
  // the lanes to sum[s] in lane order, as kLanes RenderSample calls per sample would. noise (null for
  // silence), lfo1 and lfo2 hold n samples. A voice that ends in the block is left exactly as
  // RenderSample would leave it.
  void Render(Voice* const* voices, const double* noise, const double* lfo1, const double* lfo2, double* sum,
              int n) noexcept;

  // wide: all lanes in one register (AVX2 for four lanes, AVX-512 for eight) when the processor has
  // it (the default); otherwise, or with wide false, the same source in x86-64 baseline code. Two
  // lanes are one register in either form; their wide form is SSE4.2 code (blends, rounding and
  // 64-bit comparisons in one instruction each).
  void SetVectorForm(bool wide) noexcept;
  bool VectorForm() const noexcept { return mWide != 0; }

private:
  using Mask = MaskOf<L>;

  void Load(Voice* const* voices) noexcept;
  void Store(int lane, Voice& v) const noexcept;
  // The target attributes stand on these declarations too: a member template's instances take them
  // from here.
  VLM_TARGET_SSE42 void RenderSse42(Voice* const* voices, const double* noise, const double* lfo1,
                                    const double* lfo2, double* sum, int n) noexcept;
  VLM_TARGET_AVX2 void RenderAvx2(Voice* const* voices, const double* noise, const double* lfo1,
                                  const double* lfo2, double* sum, int n) noexcept;
  VLM_TARGET_AVX512 void RenderAvx512(Voice* const* voices, const double* noise, const double* lfo1,
                                      const double* lfo2, double* sum, int n) noexcept;
  void RenderBaseline(Voice* const* voices, const double* noise, const double* lfo1, const double* lfo2,
                      double* sum, int n) noexcept;
  VLM_LANES_INLINE void RenderLanes(Voice* const* voices, const double* noise, const double* lfo1,
                                    const double* lfo2, double* sum, int n) noexcept;
  VLM_LANES_INLINE L AudioSample(const L& pitch1, const L& base1, const L& vco2Hz, const L& width,
                                 const L& xmodDepth, const L& noise, const L& blend) noexcept;

  // As template arguments the lane types lose their alignment: VLM_LANE_ALIGN gives it back, so the
  // wide forms may use aligned full-register moves on every field.
  VcoLanes<L> mVco1;
  VcoLanes<L> mVco2;
  // Mixer.
  VLM_LANE_ALIGN(L) L mVco1MixScale{}, mVco2MixScale{}, mVco1Gain{}, mVco2Gain{};
  VLM_LANE_ALIGN(L) L mHistory0{}, mHistory1{};
  // High-range shelf (direct form I).
  VLM_LANE_ALIGN(L) L mShelfB0{}, mShelfB1{}, mShelfB2{}, mShelfA1{}, mShelfA2{};
  VLM_LANE_ALIGN(L) L mShelfX1{}, mShelfX2{}, mShelfY1{}, mShelfY2{};
  // High-pass.
  VLM_LANE_ALIGN(L) L mHpfCoefficient{}, mHpfPrevIn{}, mHpfPrevOut{};
  // Ladder stages, bleed and output smoothing.
  VLM_LANE_ALIGN(L) L mStage[4] = {};
  VLM_LANE_ALIGN(L) LadderOutput<L> mOutput;
  VLM_LANE_ALIGN(L) L mBleedCoefficient{}, mSmoothCoefficient{};
  // The cutoff jitter's low-pass.
  VLM_LANE_ALIGN(L) L mJitter{}, mJitterPole{}, mJitterNormaliser{};
  // The ladder's cutoff and coefficients of the last sample, and the amplifier.
  VLM_LANE_ALIGN(L) L mLastCutoff{}, mLadderCutoff{}, mLadderK{}, mLadderH{}, mLadderGain{};
  // Caches keyed on their inputs (no input matches their keys after Load, so the first sample
  // computes): the modulated knob travel's frequency, the cutoff's octave factor and the ladder's
  // settings behind its coefficients. While the controls rest (a held note's sustain) the lanes skip
  // that arithmetic.
  VLM_LANE_ALIGN(L) L mModPercentIn{}, mModulatedHz{}, mOctavesIn{}, mOctaveFactor{};
  // The cutoff curve's segment under the modulated travel (its breakpoint above, as bits) and its ends.
  VLM_LANE_ALIGN(L) L mCutoffSegmentIn{}, mSegmentPercent{}, mSegmentSpanInverse{};
  VLM_LANE_ALIGN(L) L mSegmentLog2Below{}, mSegmentLog2Above{};
  VLM_LANE_ALIGN(L) L mJitterIn{}, mFeedbackBaseIn{}, mGainBaseIn{}, mSelfOscillationIn{};
  VLM_LANE_ALIGN(L) L mAmp{}, mAmpCoefficient{};
  // Where each lane's cutoff was on the self-oscillation gain curve (a cache: any start is correct).
  ladder::SelfOscillationSegment<L> mSelfOscillationSegment;
  // What changes only between blocks: the base frequencies, the pitch terms' factors (mod-mode signs,
  // the bend in semitones, the aftertouch's pitch factor where it bends pitch) and which lanes have
  // tremolo and how deep.
  VLM_LANE_ALIGN(L) L mBase1Hz{}, mBase2Hz{}, mTremolo{}, mTremoloLog{};
  VLM_LANE_ALIGN(L) L mVco1ModSign{}, mVco2ModSign{}, mVco1Bend{}, mVco2Bend{};
  VLM_LANE_ALIGN(L) L mAftertouchFactor{}, mAftertouchOnPitch{};
  VLM_LANE_ALIGN(L) L mPwmOnEnv1{}, mPwmOnLfo1{}, mPwmKey{}, mPwmAmount{}, mPwmInverted{}, mPulseWidthBase{};
  std::uint8_t mAnyTremolo = 0;
  // Every lane has the same tremolo depth (voices of one patch): the tremolo then depends on the sample
  // alone, and is taken once per sample for all lanes.
  std::uint8_t mSharedTremoloDepth = 0;
  // Jitter moves the stage coefficient every sample: then the ladder's cache is not consulted.
  std::uint8_t mAnyJitter = 0;
  std::uint8_t mWide = 0;
  std::uint8_t mSyncMode = 0;
  std::uint8_t mHighRange = 0;
  int mIterations = 1;
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
// Two voices in one SSE register: where the processor lacks AVX2 (there the quad's baseline form, two
// registers per value, measured slower than the voices alone), and for runs of two or three.
using VoicePair = VoiceLanes<Lanes2>;
// Four voices, in one AVX2 register when the processor has it (the default), else in two SSE2 registers.
using VoiceQuad = VoiceLanes<Lanes4>;
// Eight voices, in one AVX-512 register when the processor has it (the default), else in four SSE2
// registers.
using VoiceOctet = VoiceLanes<Lanes8>;
// Eight voices in two AVX2 registers, and four in two SSE registers: for processors without AVX-512
// (and without AVX2). A pair has no baseline form: render one only where VectorForm() holds.
using VoiceOctetAvx2 = VoiceLanes<Lanes4x2>;
using VoiceQuadSse42 = VoiceLanes<Lanes2x2>;
#pragma GCC diagnostic pop
