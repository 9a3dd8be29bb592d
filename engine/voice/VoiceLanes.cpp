// Voices side by side: per-lane control halves, one audio half on four or eight lanes.
#include "engine/voice/VoiceLanes.h"

#include <bit>

#include "engine/filter/CpuFeatures.h"
#include "engine/voice/VoiceLanesRender.h"

namespace {

// One scalar field from each voice, as lanes.
template <class L, class Get> VLM_LANES_INLINE L Gather(Voice* const* v, Get get) noexcept {
  return MakeLanes<L>([&](int lane) { return get(*v[lane]); });
}

// Whether the processor runs L's lanes in one register (a pair's in two).
template <class L> bool HasWideForm() noexcept {
  if constexpr (kIsLanePair<L>)
    return kLanesOf<L> == 8 ? HasAvx2() : HasSse42();
  else
    return kLanesOf<L> == 8 ? HasAvx512() : kLanesOf<L> == 4 ? HasAvx2() : HasSse42();
}

} // namespace

template <class L> VoiceLanes<L>::VoiceLanes() noexcept : mWide(HasWideForm<L>() ? 1 : 0) {}

template <class L> void VoiceLanes<L>::SetVectorForm(bool wide) noexcept {
  mWide = wide && HasWideForm<L>() ? 1 : 0;
}

template <class L> void VoiceLanes<L>::Load(Voice* const* v) noexcept {
  for (int lane = 0; lane < kLanes; ++lane) {
    mVco1.Load(lane, v[lane]->mVco1);
    mVco2.Load(lane, v[lane]->mVco2);
  }
  mSyncMode = v[0]->mSyncMode;
  mHighRange = v[0]->mVco2Range == Voice::kVco2RangeHigh ? 1 : 0;
  mIterations = v[0]->mVcf.mIterations;
  mVco1MixScale = Gather<L>(v, [](const Voice& x) { return x.mVco1MixScale; });
  mVco2MixScale = Gather<L>(v, [](const Voice& x) { return x.mVco2MixScale; });
  mVco1Gain = Gather<L>(v, [](const Voice& x) { return x.mVco1Gain; });
  mVco2Gain = Gather<L>(v, [](const Voice& x) { return x.mVco2Gain; });
  mHistory0 = Gather<L>(v, [](const Voice& x) { return x.mVco2History0; });
  mHistory1 = Gather<L>(v, [](const Voice& x) { return x.mVco2History1; });
  mShelfB0 = Gather<L>(v, [](const Voice& x) { return x.mHighRangeShelf.b0; });
  mShelfB1 = Gather<L>(v, [](const Voice& x) { return x.mHighRangeShelf.b1; });
  mShelfB2 = Gather<L>(v, [](const Voice& x) { return x.mHighRangeShelf.b2; });
  mShelfA1 = Gather<L>(v, [](const Voice& x) { return x.mHighRangeShelf.a1; });
  mShelfA2 = Gather<L>(v, [](const Voice& x) { return x.mHighRangeShelf.a2; });
  mShelfX1 = Gather<L>(v, [](const Voice& x) { return x.mHighRangeShelf.x1; });
  mShelfX2 = Gather<L>(v, [](const Voice& x) { return x.mHighRangeShelf.x2; });
  mShelfY1 = Gather<L>(v, [](const Voice& x) { return x.mHighRangeShelf.y1; });
  mShelfY2 = Gather<L>(v, [](const Voice& x) { return x.mHighRangeShelf.y2; });
  mHpfCoefficient = Gather<L>(v, [](const Voice& x) { return x.mHpf.mCoefficient; });
  mHpfPrevIn = Gather<L>(v, [](const Voice& x) { return x.mHpf.mPrevIn; });
  mHpfPrevOut = Gather<L>(v, [](const Voice& x) { return x.mHpf.mPrevOut; });
  for (int i = 0; i < 4; ++i)
    mStage[i] = Gather<L>(v, [i](const Voice& x) { return x.mVcf.mStage[i]; });
  mBleedCoefficient = Gather<L>(v, [](const Voice& x) { return x.mVcf.mBleedCoefficient; });
  mSmoothCoefficient = Gather<L>(v, [](const Voice& x) { return x.mVcf.mSmoothCoefficient; });
  mJitter = Gather<L>(v, [](const Voice& x) { return x.mVcf.mJitter; });
  mJitterPole = Gather<L>(v, [](const Voice& x) { return x.mVcf.mJitterPole; });
  mJitterNormaliser = Gather<L>(v, [](const Voice& x) { return x.mVcf.mJitterNormaliser; });
  mOutput.bleedPrevIn = Gather<L>(v, [](const Voice& x) { return x.mVcf.mOutput.bleedPrevIn; });
  mOutput.bleed1 = Gather<L>(v, [](const Voice& x) { return x.mVcf.mOutput.bleed1; });
  mOutput.bleed1Prev = Gather<L>(v, [](const Voice& x) { return x.mVcf.mOutput.bleed1Prev; });
  mOutput.bleed2 = Gather<L>(v, [](const Voice& x) { return x.mVcf.mOutput.bleed2; });
  mOutput.smooth1 = Gather<L>(v, [](const Voice& x) { return x.mVcf.mOutput.smooth1; });
  mOutput.smooth2 = Gather<L>(v, [](const Voice& x) { return x.mVcf.mOutput.smooth2; });
  mAmp = Gather<L>(v, [](const Voice& x) { return x.mAmpState; });
  mAmpCoefficient = Gather<L>(v, [](const Voice& x) { return x.mAmpCoef; });
  mBase1Hz = Gather<L>(v, [](const Voice& x) { return x.mBase1Hz; });
  mBase2Hz = Gather<L>(v, [](const Voice& x) { return x.mBase2Hz; });
  mTremolo = Gather<L>(v, [](const Voice& x) { return x.TremoloOn(); });
  // The caches' keys start at a signalling NaN: arithmetic never gives one (it quiets them), so no
  // control value matches it, not even a NaN.
  const L none = LaneCast<L>(BitsOf<L>{} + 0x7FF4000000000001ull);
  mModPercentIn = mOctavesIn = mLadderCutoff = mCutoffSegmentIn = none;
  mTremoloLog = Gather<L>(v, [](const Voice& x) { return x.mVcaLfoLog; });
  mVco1ModSign = Gather<L>(v, [](const Voice& x) { return x.mVco1ModSign; });
  mVco2ModSign = Gather<L>(v, [](const Voice& x) { return x.mVco2ModSign; });
  mVco1Bend = Gather<L>(v, [](const Voice& x) { return x.mBend * x.mVco1BendSpan; });
  mVco2Bend = Gather<L>(v, [](const Voice& x) { return x.mBend * x.mVco2BendSpan; });
  mAftertouchFactor =
      Gather<L>(v, [](const Voice& x) { return x.mAftertouch * x.mAftertouchSensitivity * 2.0; });
  mPwmOnEnv1 = Gather<L>(v, [](const Voice& x) { return x.mPwmSource == Voice::kPwmEnv1 ? 1.0 : 0.0; });
  mPwmOnLfo1 = Gather<L>(v, [](const Voice& x) { return x.mPwmSource == Voice::kPwmLfo1 ? 1.0 : 0.0; });
  mPwmKey = Gather<L>(v, [](const Voice& x) { return x.PwmKeySource(); });
  mPwmAmount = Gather<L>(v, [](const Voice& x) { return x.mPwmAmount; });
  mPwmInverted = Gather<L>(v, [](const Voice& x) { return x.mPwmInverted ? 1.0 : 0.0; });
  mPulseWidthBase = Gather<L>(v, [](const Voice& x) { return x.mPulseWidthBase; });
  mAftertouchOnPitch =
      Gather<L>(v, [](const Voice& x) { return x.mAftertouchMode == Voice::kAftertouchPitch ? 1.0 : 0.0; });
  mAnyTremolo = 0;
  mAnyJitter = 0;
  mSharedTremoloDepth = 1;
  const auto depthBits = [](const Voice* x) { return std::bit_cast<std::uint64_t>(x->mVcaLfoLog); };
  for (int lane = 0; lane < kLanes; ++lane) {
    mSharedTremoloDepth &= depthBits(v[lane]) == depthBits(v[0]) ? 1 : 0;
    mAnyTremolo |= v[lane]->TremoloOn() != 0.0 ? 1 : 0;
    mAnyJitter |= v[lane]->mVcf.mJitterDepth > 0.0 ? 1 : 0;
  }
}

template <class L> void VoiceLanes<L>::Store(int lane, Voice& v) const noexcept {
  mVco1.Store(lane, v.mVco1);
  mVco2.Store(lane, v.mVco2);
  // The exponentials were taken here: the voice's caches of their inputs no longer hold.
  v.mVco1PitchCacheIn = Voice::kCacheSentinel;
  v.mVco2PitchCacheIn = Voice::kCacheSentinel;
  v.mOctaveCacheIn = Voice::kCacheSentinel;
  v.mAmpState = mAmp[lane];
  v.mLastCutoffHz = mLastCutoff[lane];
  v.mVco2History0 = mHistory0[lane];
  v.mVco2History1 = mHistory1[lane];
  Biquad& shelf = v.mHighRangeShelf;
  shelf.x1 = mShelfX1[lane];
  shelf.x2 = mShelfX2[lane];
  shelf.y1 = mShelfY1[lane];
  shelf.y2 = mShelfY2[lane];
  v.mHpf.mPrevIn = mHpfPrevIn[lane];
  v.mHpf.mPrevOut = mHpfPrevOut[lane];
  Vcf& f = v.mVcf;
  f.mCutoffHz = mLadderCutoff[lane];
  f.mK = mLadderK[lane];
  f.mH = mLadderH[lane];
  f.mGain = mLadderGain[lane];
  f.mJitter = mJitter[lane];
  for (int i = 0; i < 4; ++i)
    f.mStage[i] = mStage[i][lane];
  f.mOutput = {mOutput.bleedPrevIn[lane], mOutput.bleed1[lane],  mOutput.bleed1Prev[lane],
               mOutput.bleed2[lane],      mOutput.smooth1[lane], mOutput.smooth2[lane]};
}

template <class L>
VLM_TARGET_AVX2 void VoiceLanes<L>::RenderAvx2(Voice* const* voices, const double* noise, const double* lfo1,
                                               const double* lfo2, double* sum, int n) noexcept {
  RenderLanes(voices, noise, lfo1, lfo2, sum, n);
}

template <class L>
VLM_TARGET_SSE42 void VoiceLanes<L>::RenderSse42(Voice* const* voices, const double* noise,
                                                 const double* lfo1, const double* lfo2, double* sum,
                                                 int n) noexcept {
  RenderLanes(voices, noise, lfo1, lfo2, sum, n);
}

template <class L>
void VoiceLanes<L>::RenderBaseline(Voice* const* voices, const double* noise, const double* lfo1,
                                   const double* lfo2, double* sum, int n) noexcept {
  RenderLanes(voices, noise, lfo1, lfo2, sum, n);
}

template <class L>
void VoiceLanes<L>::Render(Voice* const* voices, const double* noise, const double* lfo1, const double* lfo2,
                           double* sum, int n) noexcept {
  if constexpr (kIsLanePair<L>) {
    if constexpr (kLanes == 8)
      RenderAvx2(voices, noise, lfo1, lfo2, sum, n);
    else
      RenderSse42(voices, noise, lfo1, lfo2, sum, n);
  } else if (!mWide)
    RenderBaseline(voices, noise, lfo1, lfo2, sum, n);
  else if constexpr (kLanes == 8)
    RenderAvx512(voices, noise, lfo1, lfo2, sum, n);
  else if constexpr (kLanes == 4)
    RenderAvx2(voices, noise, lfo1, lfo2, sum, n);
  else
    RenderSse42(voices, noise, lfo1, lfo2, sum, n);
}

// The three widths; the octet's AVX-512 form is in VoiceLanesAvx512.cpp.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
template VoiceLanes<Lanes2>::VoiceLanes() noexcept;
template void VoiceLanes<Lanes2>::SetVectorForm(bool) noexcept;
template void VoiceLanes<Lanes2>::Render(Voice* const*, const double*, const double*, const double*, double*,
                                         int) noexcept;
template VoiceLanes<Lanes4>::VoiceLanes() noexcept;
template void VoiceLanes<Lanes4>::SetVectorForm(bool) noexcept;
template void VoiceLanes<Lanes4>::Render(Voice* const*, const double*, const double*, const double*, double*,
                                         int) noexcept;
// The pairs' forms are compiled in VoiceLanesPairAvx2.cpp and VoiceLanesPairSse42.cpp; their loads and
// stores, which run on any processor, here.
extern template void VoiceLanes<Lanes4x2>::RenderAvx2(Voice* const*, const double*, const double*,
                                                      const double*, double*, int) noexcept;
extern template void VoiceLanes<Lanes2x2>::RenderSse42(Voice* const*, const double*, const double*,
                                                       const double*, double*, int) noexcept;
template VoiceLanes<Lanes4x2>::VoiceLanes() noexcept;
template void VoiceLanes<Lanes4x2>::SetVectorForm(bool) noexcept;
template void VoiceLanes<Lanes4x2>::Render(Voice* const*, const double*, const double*, const double*,
                                           double*, int) noexcept;
template void VoiceLanes<Lanes4x2>::Load(Voice* const*) noexcept;
template void VoiceLanes<Lanes4x2>::Store(int, Voice&) const noexcept;
template VoiceLanes<Lanes2x2>::VoiceLanes() noexcept;
template void VoiceLanes<Lanes2x2>::SetVectorForm(bool) noexcept;
template void VoiceLanes<Lanes2x2>::Render(Voice* const*, const double*, const double*, const double*,
                                           double*, int) noexcept;
template void VoiceLanes<Lanes2x2>::Load(Voice* const*) noexcept;
template void VoiceLanes<Lanes2x2>::Store(int, Voice&) const noexcept;
template VoiceLanes<Lanes8>::VoiceLanes() noexcept;
template void VoiceLanes<Lanes8>::SetVectorForm(bool) noexcept;
template void VoiceLanes<Lanes8>::Render(Voice* const*, const double*, const double*, const double*, double*,
                                         int) noexcept;
#pragma GCC diagnostic pop
