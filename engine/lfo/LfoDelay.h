// Per-voice LFO-1 delay: silent for the delay time after each note-on, then a 450 ms fade-in.
#pragma once

class LfoDelay {
public:
  static constexpr double kMaxDelayMs = 10000.0;
  static constexpr double kFadeMs = 450.0;

  void Prepare(double sampleRate) noexcept;
  void SetDelay(double ms) noexcept;
  void Restart() noexcept;
  void Reset() noexcept;
  // Depth of LFO-1 for this sample, 0..1.
  double Tick() noexcept {
    if (mDepth >= 1.0)
      return 1.0;
    if (mRemaining > 0.0) {
      mRemaining -= 1.0;
      return mDepth;
    }
    mDepth += mFadeIncrement;
    // A tiny tolerance so that rounding in the sum does not add one sample to the fade.
    if (mDepth >= 1.0 - 1e-9)
      mDepth = 1.0;
    return mDepth;
  }

  double DelayMs() const noexcept { return mDelayMs; }
  double DelaySamples() const noexcept { return mDelaySamples; }
  double FadeIncrement() const noexcept { return mFadeIncrement; }
  double Depth() const noexcept { return mDepth; }

private:
  void UpdateLengths() noexcept;

  double mSampleRate = 48000.0;
  double mDelayMs = 0.0;
  double mDelaySamples = 0.0;
  double mFadeIncrement = 1.0;
  double mRemaining = 0.0;
  double mDepth = 1.0;
};
