// Four voice oscillators side by side, one per lane, giving bit for bit what four Vco give.
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

VLM_LANES_INLINE LaneMask4 SplatMask(std::int64_t x) noexcept {
  return LaneMask4{x, x, x, x};
}

// std::fabs lane by lane: clears the sign bit, so -0 becomes +0 (AbsLanes keeps -0, which would
// change the sign of a later 0 result).
VLM_LANES_INLINE Lanes4 Fabs(Lanes4 x) noexcept {
  return __builtin_bit_cast(Lanes4, __builtin_bit_cast(LaneMask4, x) & SplatMask(INT64_MAX));
}

// PolyBlep(t, dt). The one division serves whichever side of the step t is on; lanes away from a
// step skip it altogether.
VLM_LANES_INLINE Lanes4 PolyBlep(Lanes4 t, Lanes4 dt) noexcept {
  const LaneMask4 on = dt > 0.0;
  const LaneMask4 rise = on & (t < dt);
  const LaneMask4 fall = on & ~rise & (t > 1.0 - dt);
  if (!AnyLane(rise | fall))
    return Splat(0.0);
  const Lanes4 u = Select(rise, t, t - 1.0) / dt;
  const Lanes4 up = 2.0 * u - u * u - 1.0;
  const Lanes4 down = u * u + 2.0 * u + 1.0;
  return Select(rise, up, Select(fall, down, Splat(0.0)));
}

// PolyBlamp(u).
VLM_LANES_INLINE Lanes4 PolyBlamp(Lanes4 u) noexcept {
  const Lanes4 a = u + 1.0;
  const Lanes4 b = 1.0 - u;
  const Lanes4 v = Select(u < 0.0, a, b);
  return Select((u < -1.0) | (u >= 1.0), Splat(0.0), v * v * v / 12.0);
}

// SmoothStep(u).
VLM_LANES_INLINE Lanes4 SmoothStep(Lanes4 u) noexcept {
  u = HoldWithinLanes(u, Splat(0.0), Splat(1.0));
  return (3.0 - 2.0 * u) * u * u;
}

// WrapPhase(x). For x in -1..2 floor(x) is -1, +-0 (the sign of x, as floor keeps it) or 1, and NaN
// stays NaN; only lanes outside that range (never met by a phase plus an increment) call floor.
VLM_LANES_INLINE Lanes4 WrapPhase(Lanes4 x) noexcept {
  const Lanes4 whole = Select(x < 0.0, Splat(-1.0), Select(x >= 1.0, Splat(1.0), x * 0.0));
  const Lanes4 d = x - whole;
  Lanes4 wrapped = Select(d < 1.0, d, Splat(0.0));
  const LaneMask4 far = (x < -1.0) | (x >= 2.0);
  if (AnyLane(far)) [[unlikely]] {
    for (int lane = 0; lane < kLaneCount; ++lane)
      if (far[lane])
        wrapped[lane] = ::WrapPhase(x[lane]);
  }
  return wrapped;
}

// FastCosTurns(u), term for term.
VLM_LANES_INLINE Lanes4 FastCosTurns(Lanes4 u) noexcept {
  Lanes4 v = Select(u < 0.0, -u, u);
  const LaneMask4 back = v > 0.25;
  v = Select(back, 0.5 - v, v);
  const Lanes4 c = fastmath::CosQuarterTurn(v);
  return Select(back, -c, c);
}

} // namespace vcolanes

// Four Vco in structure-of-arrays form. The caller loads four oscillators (sharing one waveform),
// renders any number of samples, and stores them back; stored oscillators are exactly as the scalar
// calls would have left them. Audio thread only; per-sample calls are always inlined so that an
// AVX2-compiled caller gets them in AVX2.
class VcoLanes {
public:
  VcoLanes() noexcept {
    const Vco idle;
    for (int lane = 0; lane < kLaneCount; ++lane)
      Load(lane, idle);
  }

  // Copies oscillator v's state into lane `lane` (0..3) and takes its waveform for all lanes.
  void Load(int lane, const Vco& v) noexcept {
    mWaveform = v.mWaveform;
    mSampleRate[lane] = v.mSampleRate;
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

  VLM_LANES_INLINE void SetFrequency(Lanes4 hz) noexcept {
    const Lanes4 half = 0.5 * mSampleRate;
    mIncrement = Select(hz == hz, HoldWithinLanes(hz, -half, half), Splat(0.0)) / mSampleRate;
  }

  VLM_LANES_INLINE void SetPulseWidth(Lanes4 width) noexcept {
    mPulseWidth = HoldWithinLanes(width, Splat(0.0), Splat(1.0));
  }

  // One sample per lane at the current phase, then the phases advance (noise: each lane's own source).
  VLM_LANES_INLINE Lanes4 RenderSample() noexcept {
    if (mWaveform != Vco::kNoise)
      return RenderWaveform();
    Lanes4 noise;
    for (int lane = 0; lane < kLaneCount; ++lane)
      noise[lane] = mNoise[lane].RenderSample();
    return PlayNoise(noise);
  }

  // As RenderSample, except that the noise waveform plays the given noise samples.
  VLM_LANES_INLINE Lanes4 RenderSampleWithNoise(Lanes4 noise) noexcept {
    return mWaveform == Vco::kNoise ? PlayNoise(noise) : RenderWaveform();
  }

  VLM_LANES_INLINE LaneMask4 Wrapped() const noexcept { return mWrapped; }
  VLM_LANES_INLINE Lanes4 Phase() const noexcept { return mPhase; }
  VLM_LANES_INLINE Lanes4 Increment() const noexcept { return mIncrement; }

  // Vco::HardSync(fraction[lane]) on every lane whose mask is set (non-zero); others untouched.
  VLM_LANES_INLINE void HardSync(LaneMask4 lanes, Lanes4 fraction) noexcept {
    lanes = lanes != 0;
    if (!AnyLane(lanes))
      return;
    // Lanes left alone get a harmless fraction, so a stray value there costs no slow wrap.
    const Lanes4 f = Select(lanes, fraction, Splat(0.0));
    const Lanes4 q = vcolanes::WrapPhase(mPreviousPhase + (1.0 - f) * mIncrement);
    mSyncValue = Select(lanes, NaiveValue(q), mSyncValue);
    mPhase = Select(lanes, vcolanes::WrapPhase(f * mIncrement), mPhase);
    mSyncCounter = Select(lanes, Splat(0.0), mSyncCounter);
    mSyncPending |= lanes;
  }

private:
  VLM_LANES_INLINE Lanes4 PlayNoise(Lanes4 noise) noexcept {
    mLastOutput = noise;
    mWrapped = vcolanes::SplatMask(0);
    mSyncPending = vcolanes::SplatMask(0);
    return noise;
  }

  // Vco::RenderSample for every waveform but noise.
  VLM_LANES_INLINE Lanes4 RenderWaveform() noexcept {
    const Lanes4 p = mPhase;
    const Lanes4 dt = vcolanes::Fabs(mIncrement);
    Lanes4 v;
    switch (mWaveform) {
    case Vco::kTriangle:
      v = Triangle(p, dt);
      break;
    case Vco::kSawtooth:
      v = 2.0 * p - 1.0 - vcolanes::PolyBlep(p, dt);
      break;
    case Vco::kPulse:
      v = Pulse(p, dt, mPulseWidth);
      break;
    case Vco::kSquare:
      v = Pulse(p, dt, Splat(0.5));
      break;
    default:
      v = Splat(0.0);
      break;
    }

    if (AnyLane(mSyncPending)) {
      const Lanes4 corrected = v + vcolanes::PolyBlep(p, dt) * (EndValue() - mSyncValue) / 2.0;
      v = Select(mSyncPending & (dt > 0.0), corrected, v);
      mSyncPending = vcolanes::SplatMask(0);
    }
    const LaneMask4 transient = mSyncCounter < 8.0 * mSyncTau;
    if (AnyLane(transient)) {
      // std::exp itself, lane by lane: an approximation would not match the scalar form.
      const Lanes4 x = -mSyncCounter / mSyncTau;
      Lanes4 decay = Splat(0.0);
      for (int lane = 0; lane < kLaneCount; ++lane)
        if (transient[lane])
          decay[lane] = std::exp(x[lane]);
      v = Select(transient, v - Vco::kSyncTransientDepth * decay, v);
      mSyncCounter = Select(transient, mSyncCounter + 1.0, mSyncCounter);
    }

    mPreviousPhase = p;
    const Lanes4 next = p + mIncrement;
    mWrapped = (next >= 1.0) | (next < 0.0);
    mPhase = AnyLane(mWrapped) ? Select(mWrapped, vcolanes::WrapPhase(next), next) : next;
    mLastOutput = v;
    return v;
  }

  VLM_LANES_INLINE Lanes4 Triangle(Lanes4 p, Lanes4 dt) noexcept {
    Lanes4 v = Select(p < 0.5, 4.0 * p - 1.0, 3.0 - 4.0 * p);
    const LaneMask4 on = dt > 0.0;
    // The corner at 0.5 first, then the one at 0/1, as the scalar form adds them. |p - 0.5| < dt is
    // the exact condition for the rounded quotient to lie within -1..1, so it gates the division.
    const Lanes4 fromPeak = p - 0.5;
    const LaneMask4 nearPeak = on & (AbsLanes(fromPeak) < dt);
    if (AnyLane(nearPeak)) {
      const Lanes4 c = fromPeak / dt;
      v = Select(nearPeak & (c > -1.0) & (c < 1.0), v - vcolanes::PolyBlamp(c) * (8.0 * dt), v);
    }
    const LaneMask4 start = on & (p < dt);
    const LaneMask4 end = on & ~start & (p > 1.0 - dt);
    if (AnyLane(start | end)) {
      const Lanes4 u = Select(start, p, p - 1.0) / dt;
      v = Select(start | end, v + vcolanes::PolyBlamp(u) * (8.0 * dt), v);
    }
    UpdateColouring();
    if (AnyLane(mColourActive))
      v = Select(mColourActive, v + EvaluateColouring(p), v);
    return v;
  }

  VLM_LANES_INLINE Lanes4 Pulse(Lanes4 p, Lanes4 dt, Lanes4 width) const noexcept {
    const Lanes4 rise = vcolanes::PolyBlep(p, dt);
    Lanes4 d = p - width;
    d = Select(d < 0.0, d + 1.0, d);
    const Lanes4 fall = vcolanes::PolyBlep(d, dt);
    const Lanes4 level = Select(p < width, Splat(1.0), Splat(-1.0));
    const Lanes4 v = rise + level - fall;
    // Gain 1 leaves a value unchanged, so lanes without the narrow-pulse loss may multiply by it.
    const LaneMask4 narrow = width < 0.05;
    if (!AnyLane(narrow))
      return v;
    return v * Select(narrow, 0.59 + 0.41 * vcolanes::SmoothStep((width - 0.014) / 0.036), Splat(1.0));
  }

  // Vco::EndValue for the waveforms that reach the sync correction.
  VLM_LANES_INLINE Lanes4 EndValue() const noexcept {
    switch (mWaveform) {
    case Vco::kSawtooth:
      return Splat(1.0);
    case Vco::kTriangle:
    case Vco::kPulse:
    case Vco::kSquare:
      return Splat(-1.0);
    default:
      return Splat(0.0);
    }
  }

  VLM_LANES_INLINE Lanes4 NaiveValue(Lanes4 p) const noexcept {
    switch (mWaveform) {
    case Vco::kTriangle:
      return Select(p < 0.5, 4.0 * p - 1.0, 3.0 - 4.0 * p);
    case Vco::kSawtooth:
      return 2.0 * p - 1.0;
    case Vco::kPulse:
      return Select(p < mPulseWidth, Splat(1.0), Splat(-1.0));
    case Vco::kSquare:
      return Select(p < 0.5, Splat(1.0), Splat(-1.0));
    case Vco::kNoise:
      return mLastOutput;
    default:
      return Splat(0.0);
    }
  }

  // TriangleColouring::Update on every lane; a rebuild (rare: the pitch crossed into the fade near
  // Nyquist) runs the scalar code on that lane's colouring.
  VLM_LANES_INLINE void UpdateColouring() noexcept {
    const LaneMask4 changed = mIncrement != mCachedIncrement;
    if (!AnyLane(changed))
      return;
    const LaneMask4 keep =
        changed & mColourAllFull &
        (vcolanes::Fabs(mIncrement) * TriangleColouring::kLastHarmonic <= TriangleColouring::kFullWeightEnd);
    mCachedIncrement = Select(keep, mIncrement, mCachedIncrement);
    const LaneMask4 rebuild = changed & ~keep;
    if (AnyLane(rebuild)) [[unlikely]] {
      for (int lane = 0; lane < kLaneCount; ++lane)
        if (rebuild[lane])
          RebuildColouring(lane);
    }
  }

  // TriangleColouring::Evaluate, lane by lane with each lane's polynomial.
  VLM_LANES_INLINE Lanes4 EvaluateColouring(Lanes4 p) const noexcept {
    return TriangleColouring::Series(mCoefficients, vcolanes::FastCosTurns(p - 0.5));
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

  Lanes4 mSampleRate;
  Lanes4 mPhase;
  Lanes4 mIncrement;
  Lanes4 mPulseWidth;
  LaneMask4 mWrapped;
  Lanes4 mLastOutput;
  Lanes4 mPreviousPhase;
  LaneMask4 mSyncPending;
  Lanes4 mSyncValue;
  Lanes4 mSyncCounter;
  Lanes4 mSyncTau;
  // The colouring's hot state in lanes; the per-lane objects hold the weights and rebuild.
  Lanes4 mCoefficients[TriangleColouring::kLastHarmonic + 1];
  Lanes4 mCachedIncrement;
  LaneMask4 mColourActive;
  LaneMask4 mColourAllFull;
  std::uint8_t mWaveform = Vco::kSawtooth;
  std::array<TriangleColouring, kLaneCount> mColouring;
  std::array<NoiseSource, kLaneCount> mNoise;
};
