// LfoDelay: delay and fade lengths from the rate; restart at each note-on.
#include "engine/lfo/LfoDelay.h"

#include "engine/util/MathUtil.h"

void LfoDelay::Prepare(double sampleRate) noexcept {
  mSampleRate = ValidRate(sampleRate);
  mDelayMs = HoldWithin(mDelayMs, 0.0, kMaxDelayMs);
  UpdateLengths();
  Reset();
}

void LfoDelay::SetDelay(double ms) noexcept {
  mDelayMs = HoldWithin(ms, 0.0, kMaxDelayMs);
  UpdateLengths();
}

void LfoDelay::UpdateLengths() noexcept {
  mDelaySamples = mSampleRate * mDelayMs / 1000.0;
  const double fadeSamples = mSampleRate * kFadeMs / 1000.0;
  // Without a delay nothing fades in: the depth is 1 from the note-on.
  mFadeIncrement = (mDelayMs > 0.0 && fadeSamples > 0.0) ? 1.0 / fadeSamples : 1.0;
}

void LfoDelay::Restart() noexcept {
  if (mDelayMs <= 0.0) {
    mDepth = 1.0;
    mRemaining = 0.0;
    return;
  }
  mDepth = 0.0;
  mRemaining = mDelaySamples;
}

void LfoDelay::Reset() noexcept {
  mRemaining = 0.0;
  mDepth = 1.0;
}
