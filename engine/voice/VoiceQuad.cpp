// Four voices side by side: per-lane control halves, one audio half on four lanes.
#include "engine/voice/VoiceQuad.h"

#include "engine/filter/CpuFeatures.h"
#include "engine/filter/LadderCoefficients.h"
#include "engine/util/FastMathLanes.h"
#include "engine/util/LaneMath.h"

namespace {

// Four scalar fields, one from each voice, as lanes.
template <class Get>
VLM_LANES_INLINE Lanes4 Gather(Voice* const* v, Get get) noexcept {
  return Lanes4{get(*v[0]), get(*v[1]), get(*v[2]), get(*v[3])};
}

} // namespace

VoiceQuad::VoiceQuad() noexcept : mUseAvx2(HasAvx2() ? 1 : 0) {}

void VoiceQuad::SetVectorForm(bool avx2) noexcept {
  mUseAvx2 = avx2 && HasAvx2() ? 1 : 0;
}

bool VoiceQuad::Compatible(const Voice& a, const Voice& b) noexcept {
  return a.mVco1.mWaveform == b.mVco1.mWaveform && a.mVco2.mWaveform == b.mVco2.mWaveform &&
         a.mSyncMode == b.mSyncMode &&
         (a.mVco2Range == Voice::kVco2RangeHigh) == (b.mVco2Range == Voice::kVco2RangeHigh) &&
         a.mVcf.mIterations == b.mVcf.mIterations;
}

void VoiceQuad::Load(Voice* const* v) noexcept {
  for (int lane = 0; lane < kLaneCount; ++lane) {
    mVco1.Load(lane, v[lane]->mVco1);
    mVco2.Load(lane, v[lane]->mVco2);
  }
  mSyncMode = v[0]->mSyncMode;
  mHighRange = v[0]->mVco2Range == Voice::kVco2RangeHigh ? 1 : 0;
  mIterations = v[0]->mVcf.mIterations;
  mVco1MixScale = Gather(v, [](const Voice& x) { return x.mVco1MixScale; });
  mVco2MixScale = Gather(v, [](const Voice& x) { return x.mVco2MixScale; });
  mVco1Gain = Gather(v, [](const Voice& x) { return x.mVco1Gain; });
  mVco2Gain = Gather(v, [](const Voice& x) { return x.mVco2Gain; });
  mHistory0 = Gather(v, [](const Voice& x) { return x.mVco2History0; });
  mHistory1 = Gather(v, [](const Voice& x) { return x.mVco2History1; });
  mShelfB0 = Gather(v, [](const Voice& x) { return x.mHighRangeShelf.b0; });
  mShelfB1 = Gather(v, [](const Voice& x) { return x.mHighRangeShelf.b1; });
  mShelfB2 = Gather(v, [](const Voice& x) { return x.mHighRangeShelf.b2; });
  mShelfA1 = Gather(v, [](const Voice& x) { return x.mHighRangeShelf.a1; });
  mShelfA2 = Gather(v, [](const Voice& x) { return x.mHighRangeShelf.a2; });
  mShelfX1 = Gather(v, [](const Voice& x) { return x.mHighRangeShelf.x1; });
  mShelfX2 = Gather(v, [](const Voice& x) { return x.mHighRangeShelf.x2; });
  mShelfY1 = Gather(v, [](const Voice& x) { return x.mHighRangeShelf.y1; });
  mShelfY2 = Gather(v, [](const Voice& x) { return x.mHighRangeShelf.y2; });
  mHpfCoefficient = Gather(v, [](const Voice& x) { return x.mHpf.mCoefficient; });
  mHpfPrevIn = Gather(v, [](const Voice& x) { return x.mHpf.mPrevIn; });
  mHpfPrevOut = Gather(v, [](const Voice& x) { return x.mHpf.mPrevOut; });
  for (int i = 0; i < 4; ++i)
    mStage[i] = Gather(v, [i](const Voice& x) { return x.mVcf.mStage[i]; });
  mBleedCoefficient = Gather(v, [](const Voice& x) { return x.mVcf.mBleedCoefficient; });
  mSmoothCoefficient = Gather(v, [](const Voice& x) { return x.mVcf.mSmoothCoefficient; });
  mOutput.bleedPrevIn = Gather(v, [](const Voice& x) { return x.mVcf.mOutput.bleedPrevIn; });
  mOutput.bleed1 = Gather(v, [](const Voice& x) { return x.mVcf.mOutput.bleed1; });
  mOutput.bleed1Prev = Gather(v, [](const Voice& x) { return x.mVcf.mOutput.bleed1Prev; });
  mOutput.bleed2 = Gather(v, [](const Voice& x) { return x.mVcf.mOutput.bleed2; });
  mOutput.smooth1 = Gather(v, [](const Voice& x) { return x.mVcf.mOutput.smooth1; });
  mOutput.smooth2 = Gather(v, [](const Voice& x) { return x.mVcf.mOutput.smooth2; });
  mAmp = Gather(v, [](const Voice& x) { return x.mAmpState; });
  mAmpCoefficient = Gather(v, [](const Voice& x) { return x.mAmpCoef; });
}

void VoiceQuad::Store(int lane, Voice& v) const noexcept {
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

VLM_LANES_INLINE Lanes4 VoiceQuad::AudioSample(const Lanes4& pitch1, const Lanes4& base1, const Lanes4& vco2Hz,
                                               const Lanes4& width, const Lanes4& xmodDepth, const Lanes4& noise,
                                               const Lanes4& blend) noexcept {
  const Lanes4& k = mLadderK;
  const Lanes4& h = mLadderH;
  const Lanes4& gain = mLadderGain;
  const Lanes4 zero = Splat(0.0);
  const Lanes4 one = Splat(1.0);
  mVco1.SetPulseWidth(width);
  mVco2.SetPulseWidth(width);
  mVco2.SetFrequency(vco2Hz);

  // Cross-modulation from VCO-2's last two mixer outputs into VCO-1's pitch.
  Lanes4 xm = (mHistory0 + mHistory1) * 0.5 * xmodDepth;
  xm = Select(xm < zero, xm * 0.65, xm);
  mVco1.SetFrequency(base1 * FastExp2Lanes(pitch1 + xm));

  // Oscillators and hard sync.
  const Lanes4 v1 = mVco1.RenderSample();
  const Lanes4 v2 = mVco2.RenderSampleWithNoise(noise);
  if (mSyncMode == Voice::kSyncVco1Master || mSyncMode == Voice::kSyncVco2Master) {
    VcoLanes& master = mSyncMode == Voice::kSyncVco1Master ? mVco1 : mVco2;
    VcoLanes& slave = mSyncMode == Voice::kSyncVco1Master ? mVco2 : mVco1;
    const LaneMask4 wrapped = master.Wrapped();
    if (AnyLane(wrapped)) {
      const Lanes4 i = master.Increment();
      Lanes4 f = Select(i != zero, master.Phase() / Select(i != zero, i, one), zero);
      f = Select((f >= zero) & (f < one), f, zero);
      slave.HardSync(wrapped, f);
    }
  }

  // Mixer with soft saturation.
  const Lanes4 s1 = FastTanh(v1) * mVco1MixScale;
  Lanes4 s2 = FastTanh(v2) * mVco2MixScale;
  mHistory0 = mHistory1;
  mHistory1 = s2;
  if (mHighRange) {
    const Lanes4 y = mShelfB0 * s2 + mShelfB1 * mShelfX1 + mShelfB2 * mShelfX2 - mShelfA1 * mShelfY1 -
                     mShelfA2 * mShelfY2;
    mShelfX2 = mShelfX1;
    mShelfX1 = s2;
    mShelfY2 = mShelfY1;
    mShelfY1 = y;
    s2 = y;
  }
  const Lanes4 mix = s2 * mVco2Gain + s1 * mVco1Gain;

  // High-pass.
  const Lanes4 hp = mHpfCoefficient * (mHpfPrevOut + mix - mHpfPrevIn);
  mHpfPrevIn = mix;
  mHpfPrevOut = hp;
  const Lanes4 x = hp * 0.5;

  // Ladder: stages with resonance feedback, then the bleed and the output smoothing.
  LadderSteps(mStage, x, k, h, mIterations);
  return mOutput.Process(x, mStage[3], k, gain, blend, mSmoothCoefficient, mBleedCoefficient);
}

VLM_LANES_INLINE void VoiceQuad::RenderLanes(Voice* const* voices, const double* noise, const double* lfo1,
                                             const double* lfo2, double* sum, int n) noexcept {
  using lanemath::Max;
  using lanemath::Min;
  Load(voices);
  bool sounding[kLaneCount] = {true, true, true, true};
  int endedAt[kLaneCount] = {-1, -1, -1, -1};
  VoiceControl c[kLaneCount]{}; // an ended lane keeps reading its last record
  // The ladders' settings after each control half.
  double jitter[kLaneCount], feedbackBase[kLaneCount], gainBase[kLaneCount];
  double selfOscillation[kLaneCount], blend[kLaneCount];
  const double rate = voices[0]->mVcf.mSampleRate;
  for (int s = 0; s < n; ++s) {
    // The control halves step by step over the lanes, so that the four voices' chains overlap.
    for (int lane = 0; lane < kLaneCount; ++lane)
      if (sounding[lane]) // an ended lane runs on unheard; its voice was stored when it ended
        voices[lane]->ControlEnvelopes(c[lane]);
    for (int lane = 0; lane < kLaneCount; ++lane)
      if (sounding[lane])
        voices[lane]->ControlGlideAndSmoothers(lfo1[s], c[lane]);
    for (int lane = 0; lane < kLaneCount; ++lane)
      if (sounding[lane])
        voices[lane]->ControlPitchAndFilter(lfo1[s], lfo2[s], c[lane]);
    bool anyEnded = false;
    for (int lane = 0; lane < kLaneCount; ++lane) {
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
    const auto field = [&c](double VoiceControl::*m) {
      return Lanes4{c[0].*m, c[1].*m, c[2].*m, c[3].*m};
    };
    const auto lanes = [](const double* x) { return Lanes4{x[0], x[1], x[2], x[3]}; };

    // What the voices' control halves left to the lanes: the exponentials, the ladder's cutoff and
    // coefficients (computing them every sample gives what a filter's update-on-change gives), and
    // the amplifier.
    const Lanes4 cutoff = Max(field(&VoiceControl::cutoffHz) * FastExp2Lanes(field(&VoiceControl::octaves)),
                              field(&VoiceControl::floorHz));
    mLastCutoff = Max(Splat(1.0), cutoff);
    mLadderCutoff = Select(mLastCutoff >= 1.0, Min(mLastCutoff, Splat(0.49 * rate)), Splat(1.0));
    mLadderH = ladder::StageCoefficient(mLadderCutoff, lanes(jitter), rate, mIterations);
    ladder::FeedbackAndGain(mLadderCutoff, lanes(feedbackBase), lanes(gainBase), lanes(selfOscillation), rate,
                            mLadderK, mLadderGain);
    const Lanes4 tremolo =
        Select(field(&VoiceControl::tremolo) != 0.0, FastExpLanes(field(&VoiceControl::tremoloArg)), Splat(1.0));
    mAmp += (field(&VoiceControl::ampTarget) * tremolo - mAmp) * mAmpCoefficient;

    const Lanes4 vco2Hz = field(&VoiceControl::base2Hz) * FastExp2Lanes(field(&VoiceControl::pitch2));
    const Lanes4 y = AudioSample(field(&VoiceControl::pitch1), field(&VoiceControl::base1Hz), vco2Hz,
                                 field(&VoiceControl::width), field(&VoiceControl::xmodDepth),
                                 Splat(noise ? noise[s] : 0.0), lanes(blend)) *
                     mAmp;
    double total = sum[s];
    for (int lane = 0; lane < kLaneCount; ++lane)
      total += sounding[lane] ? y[lane] : 0.0;
    sum[s] = total;
    if (anyEnded) {
      for (int lane = 0; lane < kLaneCount; ++lane) {
        if (sounding[lane] && !voices[lane]->IsActive()) {
          Store(lane, *voices[lane]);
          sounding[lane] = false;
          endedAt[lane] = s;
        }
      }
    }
  }
  for (int lane = 0; lane < kLaneCount; ++lane) {
    if (sounding[lane])
      Store(lane, *voices[lane]);
    else if (endedAt[lane] < n - 1) // the samples after the end cleared the cross-mod history
      voices[lane]->mVco2History0 = voices[lane]->mVco2History1 = 0.0;
  }
}

VLM_TARGET_AVX2 void VoiceQuad::RenderAvx2(Voice* const* voices, const double* noise, const double* lfo1,
                                           const double* lfo2, double* sum, int n) noexcept {
  RenderLanes(voices, noise, lfo1, lfo2, sum, n);
}

void VoiceQuad::RenderBaseline(Voice* const* voices, const double* noise, const double* lfo1, const double* lfo2,
                               double* sum, int n) noexcept {
  RenderLanes(voices, noise, lfo1, lfo2, sum, n);
}

void VoiceQuad::Render(Voice* const* voices, const double* noise, const double* lfo1, const double* lfo2,
                       double* sum, int n) noexcept {
  if (mUseAvx2)
    RenderAvx2(voices, noise, lfo1, lfo2, sum, n);
  else
    RenderBaseline(voices, noise, lfo1, lfo2, sum, n);
}
