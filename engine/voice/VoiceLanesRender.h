// The per-sample render of voices side by side (VoiceLanes<L>), included by the translation units
// that compile it: VoiceLanes.cpp (baseline and AVX2 forms) and VoiceLanesAvx512.cpp (AVX-512 form).
#pragma once

#include "engine/filter/CutoffCurve.h"
#include "engine/filter/LadderCoefficients.h"
#include "engine/util/FastMathLanes.h"
#include "engine/util/LaneMath.h"
#include "engine/voice/VoiceLanes.h"

// The amplifier's gain from LFO-1 (without its delay) at the tremolo's depth as a logarithm.
template <class L> VLM_LANES_INLINE L TremoloGain(L lfo1, L depthLog) noexcept {
  return FastExpLanes<L>((1.0 - lfo1) * 0.5 * depthLog);
}

template <class L>
VLM_LANES_INLINE L VoiceLanes<L>::AudioSample(const L& pitch1, const L& base1, const L& vco2Hz,
                                              const L& width, const L& xmodDepth, const L& noise,
                                              const L& blend) noexcept {
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
    const L y =
        mShelfB0 * s2 + mShelfB1 * mShelfX1 + mShelfB2 * mShelfX2 - mShelfA1 * mShelfY1 - mShelfA2 * mShelfY2;
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
VLM_LANES_INLINE void VoiceLanes<L>::RenderLanes(Voice* const* voices, const double* noise,
                                                 const double* lfo1, const double* lfo2, double* sum,
                                                 int n) noexcept {
  using lanemath::Max;
  using lanemath::Min;
  Load(voices);
  bool sounding[kLanes];
  int endedAt[kLanes];
  for (int lane = 0; lane < kLanes; ++lane) {
    sounding[lane] = true;
    endedAt[lane] = -1;
  }
  constexpr int kRun = Voice::kControlRunLength;
  // Each voice runs its control half over a run of samples on its own (its state stays hot) and leaves
  // its control values laid out value by value, so that the lanes load one value of all their voices
  // at once. An ended lane keeps the values of its last run and computes on unheard.
  alignas(64) double controls[kControlValueCount * kRun * kLanes];
  int controlled[kLanes]; // samples of the run whose values the voice left (fewer once it has ended)
  const double rate = voices[0]->mVcf.mSampleRate;
  const L zero = Splat<L>(0.0);
  for (int start = 0; start < n; start += kRun) {
    const int length = n - start < kRun ? n - start : kRun;
    for (int lane = 0; lane < kLanes; ++lane)
      controlled[lane] =
          sounding[lane]
              ? voices[lane]->template ControlRun<kLanes>(lfo1 + start, lfo2 + start, length, controls, lane)
              : 0;
    // With one depth on all lanes the tremolo of each sample of the run, kLanes samples at a time.
    alignas(64) double sharedTremolo[kRun];
    if (mAnyTremolo && mSharedTremoloDepth) {
      alignas(64) double lfoRun[kRun] = {};
      for (int r = 0; r < length; ++r)
        lfoRun[r] = lfo1[start + r];
      const L depthLog = Splat<L>(mTremoloLog[0]);
      for (int r = 0; r < length; r += kLanes)
        StoreLanes<L>(sharedTremolo + r, TremoloGain<L>(LoadLanes<L>(lfoRun + r), depthLog));
    }
    bool anyEnds = false; // a voice ended in this run
    for (int lane = 0; lane < kLanes; ++lane)
      anyEnds |= sounding[lane] && !voices[lane]->IsActive();
    for (int r = 0; r < length; ++r) {
      const int s = start + r;
      // One control value of sample r, all lanes.
      const auto control = [&controls, r](int value) VLM_LANES_LAMBDA {
        return LoadLanes<L>(controls + (value * kRun + r) * kLanes);
      };

      // What the voices' control halves left to the lanes: the exponentials, the ladder's cutoff and
      // coefficients (computing them every sample gives what a filter's update-on-change gives), and
      // the amplifier.
      // The envelope-modulated knob travel q as a frequency, from the breakpoint the voice found (q is
      // at most 100; at 0 the lowest frequency, below 0 no modulation: the knob's cutoff).
      const L q = control(kControlModPercent);
      const auto* segment =
          reinterpret_cast<const std::int64_t*>(controls + (kControlCutoffSegment * kRun + r) * kLanes);
      const auto breakpoint = [segment](const auto& table, int below) VLM_LANES_LAMBDA {
        return MakeLanes<L>([&](int lane) VLM_LANES_LAMBDA { return table[segment[lane] - below]; });
      };
      if (!AllLanes(SameBits(q, mModPercentIn))) {
        mModPercentIn = q;
        // The breakpoints are gathered lane by lane: only when a lane's segment changes.
        const L segmentBits = control(kControlCutoffSegment);
        if (!AllLanes(SameBits(segmentBits, mCutoffSegmentIn))) {
          mCutoffSegmentIn = segmentBits;
          mSegmentPercent = breakpoint(kCutoffCurvePercent, 1);
          mSegmentSpanInverse = breakpoint(kCutoffCurveSpanInverse, 0);
          mSegmentLog2Below = breakpoint(kCutoffLog2Hz, 1);
          mSegmentLog2Above = breakpoint(kCutoffLog2Hz, 0);
        }
        mModulatedHz =
            CutoffAlongSegment(q, mSegmentPercent, mSegmentSpanInverse, mSegmentLog2Below, mSegmentLog2Above);
      }
      const L cutoffHz = Select<L>(q > zero, mModulatedHz,
                                   Select<L>(q < zero, control(kControlCutoffHz), Splat<L>(kCutoffMinHz)));
      const L octaves = control(kControlOctaves);
      if (!AllLanes(SameBits(octaves, mOctavesIn))) {
        mOctavesIn = octaves;
        mOctaveFactor = FastExp2Lanes<L>(octaves);
      }
      const L cutoff = Max(cutoffHz * mOctaveFactor, control(kControlFloorHz));
      mLastCutoff = Max(Splat<L>(1.0), cutoff);
      const L ladderCutoff =
          Select<L>(mLastCutoff >= 1.0, Min(mLastCutoff, Splat<L>(0.49 * rate)), Splat<L>(1.0));
      mJitter = Vcf::JitterStep(control(kControlJitterNoise), mJitter, mJitterPole);
      const L jitter = mJitterNormaliser * mJitter * control(kControlJitterDepth);
      const L feedbackBase = control(kControlLadderFeedbackBase);
      const L gainBase = control(kControlLadderGainBase);
      const L selfOscillation = control(kControlLadderSelfOscillation);
      if (mAnyJitter || !AllLanes(SameBits(ladderCutoff, mLadderCutoff) & SameBits(jitter, mJitterIn) &
                                  SameBits(feedbackBase, mFeedbackBaseIn) & SameBits(gainBase, mGainBaseIn) &
                                  SameBits(selfOscillation, mSelfOscillationIn))) {
        mLadderCutoff = ladderCutoff;
        mJitterIn = jitter;
        mFeedbackBaseIn = feedbackBase;
        mGainBaseIn = gainBase;
        mSelfOscillationIn = selfOscillation;
        mLadderH = ladder::StageCoefficient(ladderCutoff, jitter, rate, mIterations);
        ladder::FeedbackAndGain(ladderCutoff, feedbackBase, gainBase, selfOscillation, rate, mLadderK,
                                mLadderGain, &mSelfOscillationSegment);
      }
      // Without tremolo on any lane (the amplifier's LFO amount at zero), its exponential is skipped.
      const L tremolo = mAnyTremolo
                            ? Select<L>(mTremolo != 0.0,
                                        mSharedTremoloDepth ? Splat<L>(sharedTremolo[r])
                                                            : TremoloGain<L>(Splat<L>(lfo1[s]), mTremoloLog),
                                        Splat<L>(1.0))
                            : Splat<L>(1.0);
      mAmp += (control(kControlAmpTarget) * tremolo - mAmp) * mAmpCoefficient;

      // The pitches in octaves, summed as the voice sums them.
      const L pitchMod = control(kControlPitchMod);
      const L aftertouch = Select<L>(mAftertouchOnPitch != 0.0, mAftertouchFactor * Splat<L>(lfo2[s]), zero);
      const L glide = control(kControlGlide);
      const L pitch1 =
          (mVco1ModSign * pitchMod + aftertouch + mVco1Bend) * (1.0 / 12.0) + glide + control(kControlDrift1);
      const L pitch2 =
          (mVco2ModSign * pitchMod + aftertouch + mVco2Bend) * (1.0 / 12.0) + glide + control(kControlDrift2);

      const L vco2Hz = mBase2Hz * FastExp2Lanes<L>(pitch2);
      // The pulse width from ENV-1, LFO-1 (without its delay) or the key, as the voice takes it.
      const L lfo1Now = Splat<L>(lfo1[s]);
      const L pwmSource =
          Select<L>(mPwmOnEnv1 != 0.0, control(kControlEnv1), Select<L>(mPwmOnLfo1 != 0.0, lfo1Now, mPwmKey));
      const L pwm = mPwmAmount * pwmSource * 0.42;
      const L unheld = Select<L>(mPwmInverted != 0.0, mPulseWidthBase - pwm, mPulseWidthBase + pwm);
      const L width = Select<L>(unheld < zero, zero, Select<L>(1.0 < unheld, Splat<L>(1.0), unheld));

      const L y = AudioSample(pitch1, mBase1Hz, vco2Hz, width, control(kControlXmodDepth),
                              Splat<L>(noise ? noise[s] : 0.0), control(kControlLadderBlend)) *
                  mAmp;
      // In lane order, unrolled so that the lanes come out of the register rather than through memory.
      double total = sum[s];
      [&]<std::size_t... I>(std::index_sequence<I...>) VLM_LANES_LAMBDA {
        ((total += sounding[I] ? y[I] : 0.0), ...);
      }
      (std::make_index_sequence<kLanes>{});
      sum[s] = total;
      // A voice that ended at this sample is stored as it stands after it.
      if (anyEnds) {
        for (int lane = 0; lane < kLanes; ++lane) {
          if (sounding[lane] && controlled[lane] == r + 1 && !voices[lane]->IsActive()) {
            Store(lane, *voices[lane]);
            sounding[lane] = false;
            endedAt[lane] = s;
          }
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
