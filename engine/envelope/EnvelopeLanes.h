// Four envelopes side by side, one per lane, giving bit for bit what four Envelope give.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/envelope/Envelope.h"
#include "engine/util/Lanes.h"

// Four Envelope in structure-of-arrays form. The caller loads four envelopes, advances or ticks them
// any number of samples, and stores them back into the same objects; note-ons, note-offs and setters
// happen only between Store and the next Load. Every lane runs its own state machine: each scalar
// branch is computed for all lanes and picked per lane with Select. The role flags are kept per lane,
// so the four envelopes need not share a role. Audio thread only; per-sample calls are always inlined
// so that an AVX2-compiled caller gets them in AVX2. Baseline code aligns a Lanes4 to 16 bytes only,
// while AVX2 code moves it with aligned 32-byte loads and stores; the class asks for 32 itself.
class alignas(32) EnvelopeLanes {
public:
  EnvelopeLanes() noexcept {
    const Envelope idle;
    for (int lane = 0; lane < kLaneCount; ++lane)
      Load(lane, idle);
  }

  // Copies envelope e into lane `lane` (0..3). A non-idle envelope with stale coefficients recomputes
  // them on its first advance; that is done here on a copy, and Store hands the result back only once
  // the lane has advanced, so a block without samples leaves the envelope as dirty as it was.
  void Load(int lane, const Envelope& e) noexcept {
    mState[lane] = e.mState;
    mLevel[lane] = e.mLevel;
    mSustain[lane] = e.mSustain;
    mDumpMultiplier[lane] = e.mDumpMultiplier;
    mOvershootNow[lane] = e.mOvershootNow;
    mOvershootOut[lane] = e.mOvershootOut;
    mOutputScale[lane] = e.mOutputScale;
    mPendingScale[lane] = e.mPendingScale;
    mReleaseStartLevel[lane] = e.mReleaseStartLevel;
    mCurvedDecay[lane] = e.mCurvedDecay ? -1 : 0;
    const bool refresh = e.mDirty && e.mState != Envelope::kIdle;
    mRefreshed[lane] = refresh ? -1 : 0;
    mRefreshPending[lane] = refresh ? -1 : 0;
    if (refresh) [[unlikely]] {
      Envelope fresh = e;
      fresh.UpdateCoefficients();
      LoadCoefficients(lane, fresh);
    } else {
      LoadCoefficients(lane, e);
    }
  }

  // Copies lane `lane` back into e, which must be the envelope loaded into that lane: only what
  // advancing changes is written.
  void Store(int lane, Envelope& e) const noexcept {
    e.mState = static_cast<std::uint8_t>(mState[lane]);
    e.mLevel = mLevel[lane];
    e.mOvershootNow = mOvershootNow[lane];
    e.mOvershootOut = mOvershootOut[lane];
    e.mOutputScale = mOutputScale[lane];
    if (mRefreshed[lane] && !mRefreshPending[lane]) {
      e.mAttackCoef = mAttackCoef[lane];
      e.mDecayCoef = mDecayCoef[lane];
      e.mReleaseCoef = mReleaseCoef[lane];
      e.mOvershootAmount = mOvershootAmount[lane];
      e.mOvershootMultiplier = mOvershootMultiplier[lane];
      e.mDirty = 0;
    }
  }

  // Envelope::Advance on every lane.
  VLM_LANES_INLINE void Advance() noexcept {
    const LaneMask4 active = mState != 0.0;
    if (AnyLane(active))
      Step(active);
  }

  // Envelope::Tick on every lane: idle lanes give 0 and do not advance.
  VLM_LANES_INLINE Lanes4 Tick() noexcept {
    const LaneMask4 active = mState != 0.0;
    if (!AnyLane(active))
      return Splat(0.0);
    Step(active);
    return Select(active, Output(), Splat(0.0));
  }

  VLM_LANES_INLINE LaneMask4 StateIs(std::uint8_t state) const noexcept {
    return mState == static_cast<double>(state);
  }
  VLM_LANES_INLINE Lanes4 OutputScale() const noexcept { return mOutputScale; }
  VLM_LANES_INLINE Lanes4 Sustain() const noexcept { return mSustain; }
  VLM_LANES_INLINE Lanes4 ReleaseStartLevel() const noexcept { return mReleaseStartLevel; }
  VLM_LANES_INLINE Lanes4 Level() const noexcept { return mLevel; }

private:
  void LoadCoefficients(int lane, const Envelope& e) noexcept {
    mAttackCoef[lane] = e.mAttackCoef;
    mDecayCoef[lane] = e.mDecayCoef;
    mReleaseCoef[lane] = e.mReleaseCoef;
    mOvershootAmount[lane] = e.mOvershootAmount;
    mOvershootMultiplier[lane] = e.mOvershootMultiplier;
  }

  // The body of Envelope::Advance for the lanes in `active` (the non-idle ones).
  VLM_LANES_INLINE void Step(LaneMask4 active) noexcept {
    mRefreshPending &= ~active;
    const Lanes4 s = mSustain;
    const Lanes4 level = mLevel;
    const Lanes4 state = mState;
    const LaneMask4 dump = state == static_cast<double>(Envelope::kDump);
    const LaneMask4 attack = state == static_cast<double>(Envelope::kAttack);
    const LaneMask4 decay = state == static_cast<double>(Envelope::kDecay);
    const LaneMask4 sustain = state == static_cast<double>(Envelope::kSustain);
    const LaneMask4 release = state == static_cast<double>(Envelope::kRelease);

    const Lanes4 dumped = level * mDumpMultiplier;
    const LaneMask4 dumpDone = dump & (dumped <= Envelope::kDumpEndLevel);
    Lanes4 attacked = Envelope::kAttackTarget - (Envelope::kAttackTarget - level) * mAttackCoef;
    const LaneMask4 attackDone = attack & (attacked >= 1.0);
    attacked = Select(attackDone, Splat(1.0), attacked);
    Lanes4 decayed = (level - s) * mDecayCoef + s;
    const LaneMask4 decayDone = decay & (decayed - s < Envelope::kEndThreshold);
    decayed = Select(decayDone, s, decayed);
    Lanes4 released = level * mReleaseCoef;
    const LaneMask4 releaseDone = release & (released < Envelope::kEndThreshold);
    released = Select(releaseDone, Splat(0.0), released);

    mLevel = Select(dump, dumped,
                    Select(attack, attacked,
                           Select(decay, decayed, Select(sustain, s, Select(release, released, level)))));
    mState = Select(dumpDone, Splat(Envelope::kAttack),
                    Select(attackDone, Splat(Envelope::kDecay),
                           Select(decayDone, Splat(Envelope::kSustain),
                                  Select(releaseDone, Splat(Envelope::kIdle), state))));
    mOutputScale = Select(dumpDone, mPendingScale, mOutputScale);
    const Lanes4 overshoot = Select(attackDone, mOvershootAmount, mOvershootNow);

    // The overshoot of this sample, then its decay; idle lanes keep theirs untouched.
    const LaneMask4 ringing = active & (overshoot > 0.0);
    mOvershootOut = Select(ringing, overshoot, Select(active, Splat(0.0), mOvershootOut));
    Lanes4 next = overshoot * mOvershootMultiplier;
    next = Select(next < 1e-4, Splat(0.0), next);
    mOvershootNow = Select(ringing, next, overshoot);
  }

  // Envelope::ShapedLevel. The decay shape is a table lookup and the root a library call, so both run
  // lane by lane, and only on lanes in a curved decay.
  VLM_LANES_INLINE Lanes4 ShapedLevel() const noexcept {
    const Lanes4 s = mSustain;
    const LaneMask4 curved = mCurvedDecay & (mState == static_cast<double>(Envelope::kDecay)) & (s < 1.0);
    if (!AnyLane(curved))
      return mLevel;
    const Lanes4 span = 1.0 - s;
    // Lanes outside `curved` may divide by 0 here; their result is dropped below.
    const Lanes4 e = MaxLanes(Splat(0.0), (mLevel - s) / span);
    Lanes4 shape = Splat(0.0);
    Lanes4 root = Splat(0.0);
    for (int lane = 0; lane < kLaneCount; ++lane)
      if (curved[lane]) {
        shape[lane] = Envelope::DecayShape(e[lane]);
        root[lane] = std::sqrt(e[lane]);
      }
    return Select(curved, ((shape - e) * root + e) * span + s, mLevel);
  }

  // Envelope::Output.
  VLM_LANES_INLINE Lanes4 Output() const noexcept {
    const Lanes4 out = mOutputScale * ShapedLevel();
    const LaneMask4 ringing = mOvershootOut > 0.0;
    if (!AnyLane(ringing))
      return out;
    const Lanes4 g = MinLanes(Splat(1.0), mOutputScale);
    return Select(ringing, out + g * g * mOvershootOut, out);
  }

  // The state as a double (0..5): compared and selected in the same registers as the levels.
  Lanes4 mState;
  Lanes4 mLevel;
  Lanes4 mSustain;
  Lanes4 mDumpMultiplier;
  Lanes4 mAttackCoef;
  Lanes4 mDecayCoef;
  Lanes4 mReleaseCoef;
  Lanes4 mOvershootAmount;
  Lanes4 mOvershootMultiplier;
  Lanes4 mOvershootNow;
  Lanes4 mOvershootOut;
  Lanes4 mOutputScale;
  Lanes4 mPendingScale;
  Lanes4 mReleaseStartLevel;
  LaneMask4 mCurvedDecay;
  // Lanes whose coefficients were recomputed at Load, and those of them that have not advanced yet.
  LaneMask4 mRefreshed;
  LaneMask4 mRefreshPending;
};
