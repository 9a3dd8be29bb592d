// Three-band equalizer: band designs (RBJ cookbook shelves and peak) and processing.
#include "engine/fx/dynamics/EQ3Band.h"

#include <algorithm>
#include <cmath>

#include "engine/fx/EffectMath.h"
#include "engine/fx/dynamics/FlushTiny.h"

namespace vlm::dsp {

namespace {

// Each shelf band is three identical sections, so a deep cut stays smooth instead of one steep shelf.
constexpr int kShelfSections = 3;
constexpr double kMinHz = 10.0;
constexpr double kMaxHzPerRate = 0.45;
constexpr double kInvSqrt2 = 0.70710678118654752440;

// -36 dB at 0, 0 dB at the centre, +12 dB at 1: cuts reach further than boosts.
double GainDb(double v) noexcept {
  return v < 0.5 ? (1.0 - 2.0 * v) * -36.0 : (v - 0.5) * 2.0 * 12.0;
}

struct Coefs {
  double b0, b1, b2, a0, a1, a2;
};

enum class Shape { LowShelf, Peak, HighShelf };

// Per band: its design, its sections (which share the gain), and its frequency setting lowestHz x ratio^v.
struct BandLayout {
  Shape shape;
  int firstSection;
  int sections;
  double lowestHz;
  double hzRatio;
};
constexpr BandLayout kBandLayout[EQ3Band::kBands] = {
    {Shape::LowShelf, 0, kShelfSections, 50.0, 10.0},
    {Shape::Peak, kShelfSections, 1, 200.0, 25.0},
    {Shape::HighShelf, kShelfSections + 1, kShelfSections, 2000.0, 6.0}};
static_assert(2 * kShelfSections + 1 == EQ3Band::kSectionCount);

// RBJ cookbook designs: shelves with Q = 1/sqrt(2), the peak with Q = 1. At 0 dB every design's
// numerator equals its denominator; the section is then set to the exact identity, because the
// rounded coefficients of a pole near 1 (a low shelf at 192 kHz) would let rounding noise build up.
Coefs Design(Shape shape, double gainDb, double hz, double rate) noexcept {
  if (gainDb == 0.0)
    return {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
  const double f = std::clamp(hz, kMinHz, kMaxHzPerRate * rate);
  const double a = std::pow(10.0, gainDb / 40.0);
  const double w = kTwoPi * f / rate;
  const double cw = std::cos(w);
  const double sw = std::sin(w);
  if (shape == Shape::Peak) {
    const double alpha = sw / 2.0;
    return {1.0 + alpha * a, -2.0 * cw, 1.0 - alpha * a, 1.0 + alpha / a, -2.0 * cw, 1.0 - alpha / a};
  }
  const double alpha = sw * kInvSqrt2;
  const double s = 2.0 * std::sqrt(a) * alpha;
  if (shape == Shape::LowShelf)
    return {a * ((a + 1.0) - (a - 1.0) * cw + s), 2.0 * a * ((a - 1.0) - (a + 1.0) * cw),
            a * ((a + 1.0) - (a - 1.0) * cw - s), (a + 1.0) + (a - 1.0) * cw + s,
            -2.0 * ((a - 1.0) + (a + 1.0) * cw),  (a + 1.0) + (a - 1.0) * cw - s};
  return {a * ((a + 1.0) + (a - 1.0) * cw + s), -2.0 * a * ((a - 1.0) + (a + 1.0) * cw),
          a * ((a + 1.0) + (a - 1.0) * cw - s), (a + 1.0) - (a - 1.0) * cw + s,
          2.0 * ((a - 1.0) - (a + 1.0) * cw),   (a + 1.0) - (a - 1.0) * cw - s};
}

template <typename Section> void Apply(Section& s, const Coefs& c) noexcept {
  s.b0 = c.b0 / c.a0;
  s.b1 = c.b1 / c.a0;
  s.b2 = c.b2 / c.a0;
  s.a1 = c.a1 / c.a0;
  s.a2 = c.a2 / c.a0;
}

} // namespace

void EQ3Band::DesignBand(int band) noexcept {
  const BandLayout& layout = kBandLayout[band];
  const Coefs c = Design(layout.shape, mBands[band].gainDb / layout.sections, mBands[band].hz, mSampleRate);
  for (int i = 0; i < layout.sections; ++i)
    Apply(mSections[layout.firstSection + i], c);
}

void EQ3Band::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  for (int band = 0; band < kBands; ++band)
    DesignBand(band);
  Reset();
}

void EQ3Band::Reset() noexcept {
  for (auto& s : mSections)
    for (int ch = 0; ch < 2; ++ch)
      s.x1[ch] = s.x2[ch] = s.y1[ch] = s.y2[ch] = 0.0;
}

void EQ3Band::SetParameter(int index, double value) noexcept {
  if (index < 0 || index >= 2 * kBands)
    return;
  const double v = ClampUnit(value);
  // Even indices set a band's gain, odd ones its frequency.
  const int band = index / 2;
  if (index % 2 == 0)
    mBands[band].gainDb = GainDb(v);
  else
    mBands[band].hz = kBandLayout[band].lowestHz * std::pow(kBandLayout[band].hzRatio, v);
  DesignBand(band);
}

void EQ3Band::Process(double& left, double& right) noexcept {
  double l = left;
  double r = right;
  for (auto& s : mSections) {
    // A silent input must end in zeros, not in a subnormal limit cycle of the recursion.
    const double yl = FlushTiny(s.b0 * l + s.b1 * s.x1[0] + s.b2 * s.x2[0] - s.a1 * s.y1[0] - s.a2 * s.y2[0]);
    const double yr = FlushTiny(s.b0 * r + s.b1 * s.x1[1] + s.b2 * s.x2[1] - s.a1 * s.y1[1] - s.a2 * s.y2[1]);
    s.x2[0] = s.x1[0];
    s.x1[0] = l;
    s.y2[0] = s.y1[0];
    s.y1[0] = yl;
    s.x2[1] = s.x1[1];
    s.x1[1] = r;
    s.y2[1] = s.y1[1];
    s.y1[1] = yr;
    l = yl;
    r = yr;
  }
  left = l;
  right = r;
}

} // namespace vlm::dsp
