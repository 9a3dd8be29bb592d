// Ladder low-pass: rate-dependent iterations, resonance tables, jitter, gain curve, bleed, smoothing.
#include "engine/filter/Vcf.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/filter/CpuFeatures.h"
#include "engine/filter/CutoffCurve.h"
#include "engine/filter/LadderStages.h"
#include "engine/util/BreakpointTable.h"
#include "engine/util/FastMath.h"
#include "engine/util/IndexedBreakpoints.h"
#include "engine/util/MathUtil.h"

const std::array<double, Vcf::kTableSize> Vcf::kFeedbackTable = {
    0.136, 0.2,   0.27,  0.3,   0.42,  0.55,  0.58,  0.6,   1.376, 1.584, 1.793, 2.083, 2.372, 2.484,
    2.595, 2.74,  2.885, 3.005, 3.124, 3.217, 3.31,  3.433, 3.555, 3.645, 3.734, 3.766, 3.798, 3.831,
    3.864, 3.907, 3.949, 4.005, 4.061, 4.087, 4.112, 4.156, 4.2,   4.2,   4.2,   4.2,   4.2};

const std::array<double, Vcf::kTableSize> Vcf::kGainTable = {
    1.0,    1.0,    1.0,    1.0,    1.0,    1.0,    1.0,    1.0,    0.8242, 0.7558, 0.6873,
    0.6426, 0.598,  0.5543, 0.5105, 0.4793, 0.448,  0.4148, 0.3816, 0.3585, 0.3355, 0.3101,
    0.2848, 0.2692, 0.2537, 0.239,  0.2242, 0.2158, 0.2075, 0.1949, 0.1823, 0.1738, 0.1654,
    0.1568, 0.1482, 0.144,  0.1398, 0.1367, 0.1336, 0.132,  0.1304};

namespace {

// Gain correction (dB) of the self-oscillating filter, by cutoff in Hz; looked up in log2(Hz).
constexpr std::array<Breakpoint, 11> kSelfOscillationGainDb = {{
    {200, 2.5},
    {530, 4},
    {1300, 4.8},
    {2000, 6},
    {3300, 7},
    {5000, 6},
    {8000, 3},
    {12000, 0.5},
    {16000, 0},
    {22000, -10},
    {30000, -18},
}};

std::array<Breakpoint, 11> SelfOscillationByLog2() noexcept {
  std::array<Breakpoint, 11> t{};
  for (std::size_t i = 0; i < kSelfOscillationGainDb.size(); ++i)
    t[i] = {std::log2(kSelfOscillationGainDb[i].x), kSelfOscillationGainDb[i].y};
  return t;
}

struct LogTables {
  // The gain table in log2(Hz), indexed: a resonant filter swept every sample looks it up each time.
  IndexedBreakpoints<11> selfOscillation{SelfOscillationByLog2()};
};

const LogTables& Logs() noexcept {
  static const LogTables tables;
  return tables;
}

// The scalar lookup's own breakpoints and slopes, so the lane form gives its values bit for bit.
ladder::SelfOscillationCurve MakeSelfOscillationCurve() noexcept {
  const auto& table = Logs().selfOscillation;
  constexpr int kPoints = ladder::SelfOscillationCurve::kPoints;
  static_assert(kPoints == 11);
  ladder::SelfOscillationCurve c{};
  for (std::size_t i = 0; i < kPoints; ++i) {
    c.x[i] = table.Point(i).x;
    c.y[i] = table.Point(i).y;
    if (i + 1 < kPoints)
      c.slope[i] = table.Slope(i);
  }
  return c;
}

double ResonanceTable(const std::array<double, Vcf::kTableSize>& table, double r) noexcept {
  if (!(r > 0.0))
    return table.front();
  if (r >= 1.0)
    return table.back();
  const double index = 40.0 * r;
  const int i = std::min(static_cast<int>(index), Vcf::kTableSize - 2);
  const double frac = index - i;
  return table[i] + (table[i + 1] - table[i]) * frac;
}

} // namespace

Vcf::Vcf() {
  // Voices are built at start-up, off the audio thread: fill the shared tables and the feature
  // query here so that no first use happens while rendering.
  CutoffLog2Table();
  HasAvx2();
  const double rate = mSampleRate;
  mJitterPole = std::exp(-kTwoPi * 3.0 / rate);
  mJitterNormaliser = std::sqrt(3.0 * (1.0 + mJitterPole) / (1.0 - mJitterPole));
  mSmoothCoefficient = 1.0 - std::exp(-kTwoPi * 5000.0 / rate);
  mBleedCoefficient = std::exp(-kTwoPi * 9000.0 / rate);
  UpdateResonance();
  UpdateCoefficients();
}

int Vcf::IterationsForRate(double sampleRate) noexcept {
  const long n = std::lround(192000.0 / ValidRate(sampleRate));
  return static_cast<int>(std::clamp(n, 1L, 8L));
}

double Vcf::FeedbackBase(double resonance) noexcept {
  return ResonanceTable(kFeedbackTable, resonance);
}
double Vcf::GainBase(double resonance) noexcept {
  return ResonanceTable(kGainTable, resonance);
}

double Vcf::SelfOscillationGainDb(double hz) noexcept {
  return Logs().selfOscillation(std::log2(std::max(hz, 1.0)));
}

void Vcf::Prepare(double sampleRate) noexcept {
  const double rate = ValidRate(sampleRate);
  mSampleRate = rate;
  // The stages run at about 192 kHz whatever the rate, so the ladder stays stable up to 0.49 x rate.
  mIterations = IterationsForRate(rate);
  // Jitter: white noise through a 3 Hz low-pass, normalised back to unit variance.
  mJitterPole = std::exp(-kTwoPi * 3.0 / rate);
  mJitterNormaliser = std::sqrt(3.0 * (1.0 + mJitterPole) / (1.0 - mJitterPole));
  mJitterState = kJitterSeed;
  mJitter = 0.0;
  mSmoothCoefficient = 1.0 - std::exp(-kTwoPi * 5000.0 / rate);
  mBleedCoefficient = std::exp(-kTwoPi * 9000.0 / rate);
  mUseAvx2 = HasAvx2();
  UpdateResonance();
  StepJitter();
  UpdateCoefficients();
  Reset();
}

void Vcf::Reset() noexcept {
  for (double& s : mStage)
    s = 0.0;
  mOutput = {};
}

void Vcf::SetVectorForm(bool enabled) noexcept {
  mUseAvx2 = enabled && HasAvx2();
}

void Vcf::UpdateResonance() noexcept {
  const double r = mResonance;
  mJitterDepth = 0.012 * SmoothStep((r - 0.6) / 0.4);
  mFeedbackBase = FeedbackBase(r);
  mGainBase = GainBase(r);
  mSmoothingBlend = SmoothStep((mFeedbackBase - 3.5) / 0.6);
  mSelfOscillation = SmoothStep((mFeedbackBase - 4.05) / 0.15);
}

void Vcf::UpdateCoefficients() noexcept {
  UpdateStageCoefficient();
  ladder::FeedbackAndGain(mCutoffHz, mFeedbackBase, mGainBase, mSelfOscillation, mSampleRate, mK, mGain);
}

// Filled before main: only rendering reads it.
const ladder::SelfOscillationCurve ladder::kSelfOscillationCurve = MakeSelfOscillationCurve();

double ladder::SelfOscillationGainDbAtLog2(double log2Hz) noexcept {
  return Logs().selfOscillation(log2Hz);
}
