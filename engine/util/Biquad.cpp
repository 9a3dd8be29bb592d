// Audio-EQ-cookbook designs for Biquad, with the design frequency held below Nyquist.
#include "engine/util/Biquad.h"

#include <cmath>
#include <numbers>

double HoldDesignFrequency(double hz, double sampleRate) noexcept {
  const double limit = kMaxDesignFraction * sampleRate;
  return hz < limit ? hz : limit;
}

namespace {

struct Design {
  double cosW;
  double alpha;
  double a; // amplitude A = 10^(gainDb / 40)
};

Design MakeDesign(double sampleRate, double hz, double gainDb, double q) noexcept {
  const double w = 2.0 * std::numbers::pi * HoldDesignFrequency(hz, sampleRate) / sampleRate;
  return {std::cos(w), std::sin(w) / (2.0 * q), std::pow(10.0, gainDb / 40.0)};
}

void Normalise(Biquad& f, double b0, double b1, double b2, double a0, double a1, double a2) noexcept {
  f.b0 = b0 / a0;
  f.b1 = b1 / a0;
  f.b2 = b2 / a0;
  f.a1 = a1 / a0;
  f.a2 = a2 / a0;
}

} // namespace

void Biquad::DesignLowShelf(double sampleRate, double hz, double gainDb, double q) noexcept {
  const Design d = MakeDesign(sampleRate, hz, gainDb, q);
  const double A = d.a, c = d.cosW, s = 2.0 * std::sqrt(A) * d.alpha;
  Normalise(*this, A * ((A + 1.0) - (A - 1.0) * c + s), 2.0 * A * ((A - 1.0) - (A + 1.0) * c),
            A * ((A + 1.0) - (A - 1.0) * c - s), (A + 1.0) + (A - 1.0) * c + s,
            -2.0 * ((A - 1.0) + (A + 1.0) * c), (A + 1.0) + (A - 1.0) * c - s);
}

void Biquad::DesignHighShelf(double sampleRate, double hz, double gainDb, double q) noexcept {
  const Design d = MakeDesign(sampleRate, hz, gainDb, q);
  const double A = d.a, c = d.cosW, s = 2.0 * std::sqrt(A) * d.alpha;
  Normalise(*this, A * ((A + 1.0) + (A - 1.0) * c + s), -2.0 * A * ((A - 1.0) + (A + 1.0) * c),
            A * ((A + 1.0) + (A - 1.0) * c - s), (A + 1.0) - (A - 1.0) * c + s,
            2.0 * ((A - 1.0) - (A + 1.0) * c), (A + 1.0) - (A - 1.0) * c - s);
}

void Biquad::DesignPeaking(double sampleRate, double hz, double gainDb, double q) noexcept {
  const Design d = MakeDesign(sampleRate, hz, gainDb, q);
  const double A = d.a, c = d.cosW, al = d.alpha;
  Normalise(*this, 1.0 + al * A, -2.0 * c, 1.0 - al * A, 1.0 + al / A, -2.0 * c, 1.0 - al / A);
}

void Biquad::DesignLowPass(double sampleRate, double hz, double q) noexcept {
  const Design d = MakeDesign(sampleRate, hz, 0.0, q);
  const double c = d.cosW, al = d.alpha;
  Normalise(*this, (1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0, 1.0 + al, -2.0 * c, 1.0 - al);
}

void Biquad::SetIdentity() noexcept {
  b0 = 1.0;
  b1 = b2 = a1 = a2 = 0.0;
}
