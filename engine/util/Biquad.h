// Second-order section (direct form I, a0 normalised to 1) with the audio-EQ-cookbook designs.
#pragma once

// Highest design frequency as a fraction of the rate: cookbook shelves and peaks designed
// above Nyquist turn unstable, so every design holds its frequency at or below this.
inline constexpr double kMaxDesignFraction = 0.45;

// The frequency a biquad may be designed at for the given rate: at most 0.45 x rate.
double HoldDesignFrequency(double hz, double sampleRate) noexcept;

struct Biquad {
  double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
  double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;

  // Each design holds hz with HoldDesignFrequency and keeps the history.
  void DesignLowShelf(double sampleRate, double hz, double gainDb, double q) noexcept;
  void DesignHighShelf(double sampleRate, double hz, double gainDb, double q) noexcept;
  void DesignPeaking(double sampleRate, double hz, double gainDb, double q) noexcept;
  void DesignLowPass(double sampleRate, double hz, double q) noexcept;
  void SetIdentity() noexcept;

  void Reset() noexcept { x1 = x2 = y1 = y2 = 0.0; }

  double Process(double x) noexcept {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};
