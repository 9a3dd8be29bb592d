// Voices side by side: per-lane control halves, one audio half on four or eight lanes.
#include "engine/voice/VoiceQuad.h"

#include "engine/filter/CpuFeatures.h"
#include "engine/filter/LadderCoefficients.h"
#include "engine/util/FastMathLanes.h"
#include "engine/util/LaneMath.h"

namespace {

// One scalar field from each voice, as lanes.
template <class L, class Get> VLM_LANES_INLINE L Gather(Voice* const* v, Get get) noexcept {
  return MakeLanes<L>([&](int lane) { return get(*v[lane]); });
}

// Whether the processor runs L's lanes in one register.
template <class L> bool HasWideForm() noexcept {
  return kLanesOf<L> == 8 ? HasAvx512() : HasAvx2();
}

} // namespace

template <class L> VoiceQuad::Group<L>::Group() noexcept : mWide(HasWideForm<L>() ? 1 : 0) {}

template <class L> void VoiceQuad::Group<L>::SetVectorForm(bool wide) noexcept {
  mWide = wide && HasWideForm<L>() ? 1 : 0;
}

bool VoiceQuad::Compatible(const Voice& a, const Voice& b) noexcept {
  return a.mVco1.mWaveform == b.mVco1.mWaveform && a.mVco2.mWaveform == b.mVco2.mWaveform &&
         a.mSyncMode == b.mSyncMode &&
         (a.mVco2Range == Voice::kVco2RangeHigh) == (b.mVco2Range == Voice::kVco2RangeHigh) &&
         a.mVcf.mIterations == b.mVcf.mIterations;
}

template <class L> void VoiceQuad::Group<L>::Load(Voice* const* v) noexcept {
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
  mOutput.bleedPrevIn = Gather<L>(v, [](const Voice& x) { return x.mVcf.mOutput.bleedPrevIn; });
  mOutput.bleed1 = Gather<L>(v, [](const Voice& x) { return x.mVcf.mOutput.bleed1; });
  mOutput.bleed1Prev = Gather<L>(v, [](const Voice& x) { return x.mVcf.mOutput.bleed1Prev; });
  mOutput.bleed2 = Gather<L>(v, [](const Voice& x) { return x.mVcf.mOutput.bleed2; });
  mOutput.smooth1 = Gather<L>(v, [](const Voice& x) { return x.mVcf.mOutput.smooth1; });
  mOutput.smooth2 = Gather<L>(v, [](const Voice& x) { return x.mVcf.mOutput.smooth2; });
  mAmp = Gather<L>(v, [](const Voice& x) { return x.mAmpState; });
  mAmpCoefficient = Gather<L>(v, [](const Voice& x) { return x.mAmpCoef; });
}

template <class L> void VoiceQuad::Group<L>::Store(int lane, Voice& v) const noexcept {
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
  for (int i = 0; i < 4; ++i)
    f.mStage[i] = mStage[i][lane];
  f.mOutput = {mOutput.bleedPrevIn[lane], mOutput.bleed1[lane], mOutput.bleed1Prev[lane],
               mOutput.bleed2[lane],      mOutput.smooth1[lane], mOutput.smooth2[lane]};
}

template <class L>
VLM_LANES_INLINE L VoiceQuad::Group<L>::AudioSample(const L& pitch1, const L& base1, const L& vco2Hz, const L& width,
                                                    const L& xmodDepth, const L& noise, const L& blend) noexcept {
  const L& k = mLadderK;
  const L& h = mLadderH;
  const L& gain = mLadderGain;
  const L zero = Splat<L>(0.0);
  const L one = Splat<L>(1.0);
  mVco1.SetPulseWidth(width);
  mVco2.SetPulseWidth(width);
  mVco2.SetFrequency(vco2Hz);

  // Cross-modulation from VCO-2's last two mixer outputs into VCO-1's pitch.
  L xm = (mHistory0 + mHistory1) * 0.5 * xmodDepth;
  xm = Select<L>(xm < zero, xm * 0.65, xm);
  mVco1.SetFrequency(base1 * FastExp2Lanes<L>(pitch1 + xm));

  // Oscillators and hard sync.
  const L v1 = mVco1.RenderSample();
  const L v2 = mVco2.RenderSampleWithNoise(noise);
  if (mSyncMode == Voice::kSyncVco1Master || mSyncMode == Voice::kSyncVco2Master) {
    VcoLanes<L>& master = mSyncMode == Voice::kSyncVco1Master ? mVco1 : mVco2;
    VcoLanes<L>& slave = mSyncMode == Voice::kSyncVco1Master ? mVco2 : mVco1;
    const Mask wrapped = master.Wrapped();
    if (AnyLane(wrapped)) {
      const L i = master.Increment();
      L f = Select<L>(i != zero, master.Phase() / Select<L>(i != zero, i, one), zero);
      f = Select<L>((f >= zero) & (f < one), f, zero);
      slave.HardSync(wrapped, f);
    }
  }

  // Mixer with soft saturation.
  const L s1 = FastTanh(v1) * mVco1MixScale;
  L s2 = FastTanh(v2) * mVco2MixScale;
  mHistory0 = mHistory1;
  mHistory1 = s2;
  if (mHighRange) {
    const L y = mShelfB0 * s2 + mShelfB1 * mShelfX1 + mShelfB2 * mShelfX2 - mShelfA1 * mShelfY1 -
                     mShelfA2 * mShelfY2;
    mShelfX2 = mShelfX1;
    mShelfX1 = s2;
    mShelfY2 = mShelfY1;
    mShelfY1 = y;
    s2 = y;
  }
  const L mix = s2 * mVco2Gain + s1 * mVco1Gain;

  // High-pass.
  const L hp = mHpfCoefficient * (mHpfPrevOut + mix - mHpfPrevIn);
  mHpfPrevIn = mix;
  mHpfPrevOut = hp;
  const L x = hp * 0.5;

  // Ladder: stages with resonance feedback, then the bleed and the output smoothing.
  LadderSteps(mStage, x, k, h, mIterations);
  return mOutput.Process(x, mStage[3], k, gain, blend, mSmoothCoefficient, mBleedCoefficient);
}

template <class L>
VLM_LANES_INLINE void VoiceQuad::Group<L>::RenderLanes(Voice* const* voices, const double* noise, const double* lfo1,
                                             const double* lfo2, double* sum, int n) noexcept {
  using lanemath::Max;
  using lanemath::Min;
  Load(voices);
  bool sounding[kLanes];
  int endedAt[kLanes];
  for (int lane = 0; lane < kLanes; ++lane) {
    sounding[lane] = true;
    endedAt[lane] = -1;
  }
  VoiceControl c[kLanes]{}; // an ended lane keeps reading its last record
  // The ladders' settings after each control half.
  double jitter[kLanes], feedbackBase[kLanes], gainBase[kLanes];
  double selfOscillation[kLanes], blend[kLanes];
  const double rate = voices[0]->mVcf.mSampleRate;
  for (int s = 0; s < n; ++s) {
    // The control halves step by step over the lanes, so that the voices' chains overlap.
    for (int lane = 0; lane < kLanes; ++lane)
      if (sounding[lane]) // an ended lane runs on unheard; its voice was stored when it ended
        voices[lane]->ControlEnvelopes(c[lane]);
    for (int lane = 0; lane < kLanes; ++lane)
      if (sounding[lane])
        voices[lane]->ControlGlideAndSmoothers(lfo1[s], c[lane]);
    for (int lane = 0; lane < kLanes; ++lane)
      if (sounding[lane])
        voices[lane]->ControlPitchAndFilter(lfo1[s], lfo2[s], c[lane]);
    bool anyEnded = false;
    for (int lane = 0; lane < kLanes; ++lane) {
      if (!sounding[lane])
        continue;
      Voice& v = *voices[lane];
      v.ControlAmplifier(lfo1[s], c[lane]);
      v.mVcf.SetResonanceAndStepJitter(c[lane].resonance);
      v.EndIfDone();
      const Vcf& f = v.mVcf;
      jitter[lane] = f.mJitterNormaliser * f.mJitter * f.mJitterDepth;
      feedbackBase[lane] = f.mFeedbackBase;
      gainBase[lane] = f.mGainBase;
      selfOscillation[lane] = f.mSelfOscillation;
      blend[lane] = f.mSmoothingBlend;
      anyEnded |= !v.IsActive();
    }
    const auto field = [&c](double VoiceControl::*m) VLM_LANES_LAMBDA { return MakeLanes<L>([&](int lane) { return c[lane].*m; }); };
    const auto lanes = [](const double* x) VLM_LANES_LAMBDA { return MakeLanes<L>([x](int lane) { return x[lane]; }); };

    // What the voices' control halves left to the lanes: the exponentials, the ladder's cutoff and
    // coefficients (computing them every sample gives what a filter's update-on-change gives), and
    // the amplifier.
    const L cutoff = Max(field(&VoiceControl::cutoffHz) * FastExp2Lanes<L>(field(&VoiceControl::octaves)),
                              field(&VoiceControl::floorHz));
    mLastCutoff = Max(Splat<L>(1.0), cutoff);
    mLadderCutoff = Select<L>(mLastCutoff >= 1.0, Min(mLastCutoff, Splat<L>(0.49 * rate)), Splat<L>(1.0));
    mLadderH = ladder::StageCoefficient(mLadderCutoff, lanes(jitter), rate, mIterations);
    ladder::FeedbackAndGain(mLadderCutoff, lanes(feedbackBase), lanes(gainBase), lanes(selfOscillation), rate,
                            mLadderK, mLadderGain);
    const L tremolo =
        Select<L>(field(&VoiceControl::tremolo) != 0.0, FastExpLanes<L>(field(&VoiceControl::tremoloArg)), Splat<L>(1.0));
    mAmp += (field(&VoiceControl::ampTarget) * tremolo - mAmp) * mAmpCoefficient;

    const L vco2Hz = field(&VoiceControl::base2Hz) * FastExp2Lanes<L>(field(&VoiceControl::pitch2));
    const L y = AudioSample(field(&VoiceControl::pitch1), field(&VoiceControl::base1Hz), vco2Hz,
                                 field(&VoiceControl::width), field(&VoiceControl::xmodDepth),
                                 Splat<L>(noise ? noise[s] : 0.0), lanes(blend)) *
                     mAmp;
    // In lane order, unrolled so that the lanes come out of the register rather than through memory.
    double total = sum[s];
    [&]<std::size_t... I>(std::index_sequence<I...>) VLM_LANES_LAMBDA {
      ((total += sounding[I] ? y[I] : 0.0), ...);
    }(std::make_index_sequence<kLanes>{});
    sum[s] = total;
    if (anyEnded) {
      for (int lane = 0; lane < kLanes; ++lane) {
        if (sounding[lane] && !voices[lane]->IsActive()) {
          Store(lane, *voices[lane]);
          sounding[lane] = false;
          endedAt[lane] = s;
        }
      }
    }
  }
  for (int lane = 0; lane < kLanes; ++lane) {
    if (sounding[lane])
      Store(lane, *voices[lane]);
    else if (endedAt[lane] < n - 1) // the samples after the end cleared the cross-mod history
      voices[lane]->mVco2History0 = voices[lane]->mVco2History1 = 0.0;
  }
}

template <class L>
VLM_TARGET_AVX2 void VoiceQuad::Group<L>::RenderAvx2(Voice* const* voices, const double* noise, const double* lfo1,
                                                     const double* lfo2, double* sum, int n) noexcept {
  RenderLanes(voices, noise, lfo1, lfo2, sum, n);
}

template <class L>
VLM_TARGET_AVX512 void VoiceQuad::Group<L>::RenderAvx512(Voice* const* voices, const double* noise,
                                                         const double* lfo1, const double* lfo2, double* sum,
                                                         int n) noexcept {
  RenderLanes(voices, noise, lfo1, lfo2, sum, n);
}

template <class L>
void VoiceQuad::Group<L>::RenderBaseline(Voice* const* voices, const double* noise, const double* lfo1,
                                         const double* lfo2, double* sum, int n) noexcept {
  RenderLanes(voices, noise, lfo1, lfo2, sum, n);
}

template <class L>
void VoiceQuad::Group<L>::Render(Voice* const* voices, const double* noise, const double* lfo1, const double* lfo2,
                                 double* sum, int n) noexcept {
  if (!mWide)
    RenderBaseline(voices, noise, lfo1, lfo2, sum, n);
  else if constexpr (kLanes == 8)
    RenderAvx512(voices, noise, lfo1, lfo2, sum, n);
  else
    RenderAvx2(voices, noise, lfo1, lfo2, sum, n);
}

// The two widths, each with only its own wide form.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
template VoiceQuad::Group<Lanes4>::Group() noexcept;
template void VoiceQuad::Group<Lanes4>::SetVectorForm(bool) noexcept;
template void VoiceQuad::Group<Lanes4>::Render(Voice* const*, const double*, const double*, const double*, double*,
                                               int) noexcept;
template VoiceQuad::Group<Lanes8>::Group() noexcept;
template void VoiceQuad::Group<Lanes8>::SetVectorForm(bool) noexcept;
template void VoiceQuad::Group<Lanes8>::Render(Voice* const*, const double*, const double*, const double*, double*,
                                               int) noexcept;
#pragma GCC diagnostic pop
