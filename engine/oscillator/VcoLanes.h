// Voice oscillators side by side, one per lane (four or eight), giving bit for bit what each Vco gives.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "engine/oscillator/NoiseSource.h"
#include "engine/oscillator/TriangleColouring.h"
#include "engine/oscillator/Vco.h"
#include "engine/util/FastMath.h"
#include "engine/util/Lanes.h"
#include "engine/util/MathUtil.h"

// The lane forms below repeat the scalar expressions operation for operation (the same IEEE steps in
// the same order); a branch of the scalar code becomes a Select, computed for every lane.
namespace vcolanes {

// std::fabs lane by lane: clears the sign bit, so -0 becomes +0 (AbsLanes keeps -0, which would
// change the sign of a later 0 result).
template <LaneVector L> VLM_LANES_INLINE L Fabs(L x) noexcept {
  return LaneCast<L>(LaneCast<MaskOf<L>>(x) & SplatMask<MaskOf<L>>(INT64_MAX));
}

// PolyBlep(t, dt). The one division serves whichever side of the step t is on; lanes away from a
// step skip it altogether.
template <LaneVector L> VLM_LANES_INLINE L PolyBlep(L t, L dt) noexcept {
  const MaskOf<L> on = dt > 0.0;
  const MaskOf<L> rise = on & (t < dt);
  const MaskOf<L> fall = on & ~rise & (t > 1.0 - dt);
  if (!AnyLane(rise | fall))
    return Splat<L>(0.0);
  const L u = Select<L>(rise, t, t - 1.0) / dt;
  const L up = 2.0 * u - u * u - 1.0;
  const L down = u * u + 2.0 * u + 1.0;
  return Select<L>(rise, up, Select<L>(fall, down, Splat<L>(0.0)));
}

// PolyBlamp(u).
template <LaneVector L> VLM_LANES_INLINE L PolyBlamp(L u) noexcept {
  const L a = u + 1.0;
  const L b = 1.0 - u;
  const L v = Select<L>(u < 0.0, a, b);
  return Select<L>((u < -1.0) | (u >= 1.0), Splat<L>(0.0), v * v * v / 12.0);
}

// SmoothStep(u).
template <LaneVector L> VLM_LANES_INLINE L SmoothStep(L u) noexcept {
  u = HoldWithinLanes<L>(u, Splat<L>(0.0), Splat<L>(1.0));
  return (3.0 - 2.0 * u) * u * u;
}

// WrapPhase(x). For x in -1..2 floor(x) is -1, +-0 (the sign of x, as floor keeps it) or 1, and NaN
// stays NaN; only lanes outside that range (never met by a phase plus an increment) call floor.
template <LaneVector L> VLM_LANES_INLINE L WrapPhase(L x) noexcept {
  const L whole = Select<L>(x < 0.0, Splat<L>(-1.0), Select<L>(x >= 1.0, Splat<L>(1.0), x * 0.0));
  const L d = x - whole;
  L wrapped = Select<L>(d < 1.0, d, Splat<L>(0.0));
  const MaskOf<L> far = (x < -1.0) | (x >= 2.0);
  if (AnyLane(far)) [[unlikely]] {
    for (int lane = 0; lane < kLanesOf<L>; ++lane)
      if (far[lane])
        wrapped[lane] = ::WrapPhase(x[lane]);
  }
  return wrapped;
}

// FastCosTurns(u), term for term.
template <LaneVector L> VLM_LANES_INLINE L FastCosTurns(L u) noexcept {
  L v = Select<L>(u < 0.0, -u, u);
  const MaskOf<L> back = v > 0.25;
  v = Select<L>(back, 0.5 - v, v);
  const L c = fastmath::CosQuarterTurn(v);
  return Select<L>(back, -c, c);
}

} // namespace vcolanes

// Vco on L's lanes (L or Lanes8) in structure-of-arrays form. The caller loads one oscillator per
// lane (all sharing one waveform),
// renders any number of samples, and stores them back; stored oscillators are exactly as the scalar
// calls would have left them. Audio thread only; per-sample calls are always inlined so that an
// AVX2- or AVX-512-compiled caller gets them in its own instructions.
template <class L> class VcoLanes {
  using Mask = MaskOf<L>;
  static constexpr int kLanes = kLanesOf<L>;

public:
  VcoLanes() noexcept {
    const Vco idle;
    for (int lane = 0; lane < kLanes; ++lane)
      Load(lane, idle);
  }

  // Copies oscillator v's state into lane `lane` (0..kLanes - 1) and takes its waveform for all lanes.
  void Load(int lane, const Vco& v) noexcept {
    mWaveform = v.mWaveform;
    mSampleRate[lane] = v.mSampleRate;
    mRateInverse[lane] = v.mRateInverse;
    mPhase[lane] = v.mPhase;
    mIncrement[lane] = v.mIncrement;
    mPulseWidth[lane] = v.mPulseWidth;
    mWrapped[lane] = v.mWrapped ? -1 : 0;
    mLastOutput[lane] = v.mLastOutput;
    mPreviousPhase[lane] = v.mPreviousPhase;
    mSyncPending[lane] = v.mSyncPending ? -1 : 0;
    mSyncValue[lane] = v.mSyncValue;
    mSyncCounter[lane] = v.mSyncCounter;
    mSyncTau[lane] = v.mSyncTau;
    mColouring[lane] = v.mColouring;
    CopyColouringIntoLane(lane);
    mNoise[lane] = v.mNoise;
  }

  // Copies lane `lane` back into v; the waveform byte stays the owner's.
  void Store(int lane, Vco& v) const noexcept {
    v.mSampleRate = mSampleRate[lane];
    v.mRateInverse = mRateInverse[lane];
    v.mPhase = mPhase[lane];
    v.mIncrement = mIncrement[lane];
    v.mPulseWidth = mPulseWidth[lane];
    v.mWrapped = mWrapped[lane] != 0 ? 1 : 0;
    v.mLastOutput = mLastOutput[lane];
    v.mPreviousPhase = mPreviousPhase[lane];
    v.mSyncPending = mSyncPending[lane] != 0 ? 1 : 0;
    v.mSyncValue = mSyncValue[lane];
    v.mSyncCounter = mSyncCounter[lane];
    v.mSyncTau = mSyncTau[lane];
    v.mColouring = mColouring[lane];
    // The lanes keep only the cached increment up to date; the rest changes on a rebuild, which
    // updates the lane's own colouring.
    v.mColouring.mCachedIncrement = mCachedIncrement[lane];
    v.mNoise = mNoise[lane];
  }

  VLM_LANES_INLINE void SetFrequency(L hz) noexcept {
    const L half = 0.5 * mSampleRate;
    mIncrement = Select<L>(hz == hz, HoldWithinLanes<L>(hz, -half, half), Splat<L>(0.0)) * mRateInverse;
  }

  VLM_LANES_INLINE void SetPulseWidth(L width) noexcept {
    mPulseWidth = HoldWithinLanes<L>(width, Splat<L>(0.0), Splat<L>(1.0));
  }

  // One sample per lane at the current phase, then the phases advance (noise: each lane's own source).
  VLM_LANES_INLINE L RenderSample() noexcept {
    if (mWaveform != Vco::kNoise)
      return RenderWaveform();
    L noise;
    for (int lane = 0; lane < kLanes; ++lane)
      noise[lane] = mNoise[lane].RenderSample();
    return PlayNoise(noise);
  }

  // As RenderSample, except that the noise waveform plays the given noise samples.
  VLM_LANES_INLINE L RenderSampleWithNoise(L noise) noexcept {
    return mWaveform == Vco::kNoise ? PlayNoise(noise) : RenderWaveform();
  }

  VLM_LANES_INLINE Mask Wrapped() const noexcept { return mWrapped; }
  VLM_LANES_INLINE L Phase() const noexcept { return mPhase; }
  VLM_LANES_INLINE L Increment() const noexcept { return mIncrement; }

  // Vco::HardSync(fraction[lane]) on every lane whose mask is set (non-zero); others untouched.
  VLM_LANES_INLINE void HardSync(Mask lanes, L fraction) noexcept {
    lanes = lanes != 0;
    if (!AnyLane(lanes))
      return;
    // Lanes left alone get a harmless fraction, so a stray value there costs no slow wrap.
    const L f = Select<L>(lanes, fraction, Splat<L>(0.0));
    const L q = vcolanes::WrapPhase<L>(mPreviousPhase + (1.0 - f) * mIncrement);
    mSyncValue = Select<L>(lanes, NaiveValue(q), mSyncValue);
    mPhase = Select<L>(lanes, vcolanes::WrapPhase<L>(f * mIncrement), mPhase);
    mSyncCounter = Select<L>(lanes, Splat<L>(0.0), mSyncCounter);
    mSyncPending |= lanes;
  }

private:
  VLM_LANES_INLINE L PlayNoise(L noise) noexcept {
    mLastOutput = noise;
    mWrapped = SplatMask<Mask>(0);
    mSyncPending = SplatMask<Mask>(0);
    return noise;
  }

  // Vco::RenderSample for every waveform but noise.
  VLM_LANES_INLINE L RenderWaveform() noexcept {
    const L p = mPhase;
    const L dt = vcolanes::Fabs<L>(mIncrement);
    L v;
    switch (mWaveform) {
    case Vco::kTriangle:
      v = Triangle(p, dt);
      break;
    case Vco::kSawtooth:
      v = 2.0 * p - 1.0 - vcolanes::PolyBlep<L>(p, dt);
      break;
    case Vco::kPulse:
      v = Pulse(p, dt, mPulseWidth);
      break;
    case Vco::kSquare:
      v = Pulse(p, dt, Splat<L>(0.5));
      break;
    default:
      v = Splat<L>(0.0);
      break;
    }

    if (AnyLane(mSyncPending)) {
      const L corrected = v + vcolanes::PolyBlep<L>(p, dt) * (EndValue() - mSyncValue) / 2.0;
      v = Select<L>(mSyncPending & (dt > 0.0), corrected, v);
      mSyncPending = SplatMask<Mask>(0);
    }
    const Mask transient = mSyncCounter < 8.0 * mSyncTau;
    if (AnyLane(transient)) {
      // std::exp itself, lane by lane: an approximation would not match the scalar form.
      const L x = -mSyncCounter / mSyncTau;
      L decay = Splat<L>(0.0);
      for (int lane = 0; lane < kLanes; ++lane)
        if (transient[lane])
          decay[lane] = std::exp(x[lane]);
      v = Select<L>(transient, v - Vco::kSyncTransientDepth * decay, v);
      mSyncCounter = Select<L>(transient, mSyncCounter + 1.0, mSyncCounter);
    }

    mPreviousPhase = p;
    const L next = p + mIncrement;
    mWrapped = (next >= 1.0) | (next < 0.0);
    mPhase = AnyLane(mWrapped) ? Select<L>(mWrapped, vcolanes::WrapPhase<L>(next), next) : next;
    mLastOutput = v;
    return v;
  }

  VLM_LANES_INLINE L Triangle(L p, L dt) noexcept {
    L v = Select<L>(p < 0.5, 4.0 * p - 1.0, 3.0 - 4.0 * p);
    const Mask on = dt > 0.0;
    // The corner at 0.5 first, then the one at 0/1, as the scalar form adds them. |p - 0.5| < dt is
    // the exact condition for the rounded quotient to lie within -1..1, so it gates the division.
    const L fromPeak = p - 0.5;
    const Mask nearPeak = on & (AbsLanes<L>(fromPeak) < dt);
    if (AnyLane(nearPeak)) {
      const L c = fromPeak / dt;
      v = Select<L>(nearPeak & (c > -1.0) & (c < 1.0), v - vcolanes::PolyBlamp<L>(c) * (8.0 * dt), v);
    }
    const Mask start = on & (p < dt);
    const Mask end = on & ~start & (p > 1.0 - dt);
    if (AnyLane(start | end)) {
      const L u = Select<L>(start, p, p - 1.0) / dt;
      v = Select<L>(start | end, v + vcolanes::PolyBlamp<L>(u) * (8.0 * dt), v);
    }
    UpdateColouring();
    if (AnyLane(mColourActive))
      v = Select<L>(mColourActive, v + EvaluateColouring(p), v);
    return v;
  }

  VLM_LANES_INLINE L Pulse(L p, L dt, L width) const noexcept {
    const L rise = vcolanes::PolyBlep<L>(p, dt);
    L d = p - width;
    d = Select<L>(d < 0.0, d + 1.0, d);
    const L fall = vcolanes::PolyBlep<L>(d, dt);
    const L level = Select<L>(p < width, Splat<L>(1.0), Splat<L>(-1.0));
    const L v = rise + level - fall;
    // Gain 1 leaves a value unchanged, so lanes without the narrow-pulse loss may multiply by it.
    const Mask narrow = width < 0.05;
    if (!AnyLane(narrow))
      return v;
    return v *
           Select<L>(narrow, 0.59 + 0.41 * vcolanes::SmoothStep<L>((width - 0.014) / 0.036), Splat<L>(1.0));
  }

  // Vco::EndValue for the waveforms that reach the sync correction.
  VLM_LANES_INLINE L EndValue() const noexcept {
    switch (mWaveform) {
    case Vco::kSawtooth:
      return Splat<L>(1.0);
    case Vco::kTriangle:
    case Vco::kPulse:
    case Vco::kSquare:
      return Splat<L>(-1.0);
    default:
      return Splat<L>(0.0);
    }
  }

  VLM_LANES_INLINE L NaiveValue(L p) const noexcept {
    switch (mWaveform) {
    case Vco::kTriangle:
      return Select<L>(p < 0.5, 4.0 * p - 1.0, 3.0 - 4.0 * p);
    case Vco::kSawtooth:
      return 2.0 * p - 1.0;
    case Vco::kPulse:
      return Select<L>(p < mPulseWidth, Splat<L>(1.0), Splat<L>(-1.0));
    case Vco::kSquare:
      return Select<L>(p < 0.5, Splat<L>(1.0), Splat<L>(-1.0));
    case Vco::kNoise:
      return mLastOutput;
    default:
      return Splat<L>(0.0);
    }
  }

  // TriangleColouring::Update on every lane; a rebuild (rare: the pitch crossed into the fade near
  // Nyquist) runs the scalar code on that lane's colouring.
  VLM_LANES_INLINE void UpdateColouring() noexcept {
    const Mask changed = mIncrement != mCachedIncrement;
    if (!AnyLane(changed))
      return;
    const Mask keep = changed & mColourAllFull &
                      (vcolanes::Fabs<L>(mIncrement) * TriangleColouring::kLastHarmonic <=
                       TriangleColouring::kFullWeightEnd);
    mCachedIncrement = Select<L>(keep, mIncrement, mCachedIncrement);
    const Mask rebuild = changed & ~keep;
    if (AnyLane(rebuild)) [[unlikely]] {
      for (int lane = 0; lane < kLanes; ++lane)
        if (rebuild[lane])
          RebuildColouring(lane);
    }
  }

  // TriangleColouring::Evaluate, lane by lane with each lane's polynomial.
  VLM_LANES_INLINE L EvaluateColouring(L p) const noexcept {
    return TriangleColouring::Series(mCoefficients, vcolanes::FastCosTurns<L>(p - 0.5));
  }

  void RebuildColouring(int lane) noexcept {
    mColouring[lane].Rebuild(mIncrement[lane]);
    CopyColouringIntoLane(lane);
  }

  void CopyColouringIntoLane(int lane) noexcept {
    const TriangleColouring& c = mColouring[lane];
    for (int i = 0; i <= TriangleColouring::kLastHarmonic; ++i)
      mCoefficients[i][lane] = c.mCoefficients[static_cast<std::size_t>(i)];
    mCachedIncrement[lane] = c.mCachedIncrement;
    mColourActive[lane] = c.mActive ? -1 : 0;
    mColourAllFull[lane] = c.mAllFull ? -1 : 0;
  }

  VLM_LANE_ALIGN(L) L mSampleRate;
  VLM_LANE_ALIGN(L) L mRateInverse;
  VLM_LANE_ALIGN(L) L mPhase;
  VLM_LANE_ALIGN(L) L mIncrement;
  VLM_LANE_ALIGN(L) L mPulseWidth;
  VLM_LANE_ALIGN(L) Mask mWrapped;
  VLM_LANE_ALIGN(L) L mLastOutput;
  VLM_LANE_ALIGN(L) L mPreviousPhase;
  VLM_LANE_ALIGN(L) Mask mSyncPending;
  VLM_LANE_ALIGN(L) L mSyncValue;
  VLM_LANE_ALIGN(L) L mSyncCounter;
  VLM_LANE_ALIGN(L) L mSyncTau;
  // The colouring's hot state in lanes; the per-lane objects hold the weights and rebuild.
  VLM_LANE_ALIGN(L) L mCoefficients[TriangleColouring::kLastHarmonic + 1];
  VLM_LANE_ALIGN(L) L mCachedIncrement;
  VLM_LANE_ALIGN(L) Mask mColourActive;
  VLM_LANE_ALIGN(L) Mask mColourAllFull;
  std::uint8_t mWaveform = Vco::kSawtooth;
  std::array<TriangleColouring, kLanes> mColouring;
  std::array<NoiseSource, kLanes> mNoise;
};
