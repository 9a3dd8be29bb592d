// Studio chorus: mode table, compander lines and processing.
#include "engine/fx/modulation/StudioChorus.h"

#include <algorithm>
#include <cmath>

#include "engine/fx/modulation/ModulationMath.h"

namespace vlm::dsp {

namespace {

struct StudioMode {
  double baseSeconds;
  double depthSeconds;
  double rateHz;
  double wetDb;
};

// Modes "1".."4"; "4" shares the timing of "3" with a louder wet signal.
constexpr StudioMode kModes[4] = {
    {0.01, 0.002, 0.25, -10.0},
    {0.0075, 0.0025, 0.25, -10.0},
    {0.0075, 0.0015, 0.5, -10.0},
    {0.0075, 0.0015, 0.5, -5.5},
};

constexpr double kHighpassHz = 80.0;
constexpr double kLowpassHz = 9000.0;
constexpr double kAttackSeconds = 0.003;
constexpr double kReleaseSeconds = 0.09;
// Compander: the line sees the signal pressed by sqrt(1 + 1.6 e), and the output is expanded back.
constexpr double kCompandAmount = 1.6;
constexpr double kLineGain = 1.18;

} // namespace

StudioChorus::StudioChorus() {
  mAttackCoef = std::exp(-1.0 / (kDefaultEffectRate * kAttackSeconds));
  mReleaseCoef = std::exp(-1.0 / (kDefaultEffectRate * kReleaseSeconds));
}

void StudioChorus::UpdateMode() noexcept {
  const StudioMode& mode = kModes[mMode];
  const auto lineRoom = static_cast<double>(kLineLength);
  mBaseDelaySamples = mSampleRate * mode.baseSeconds;
  mDepthSamples =
      std::max(0.0, std::min(mSampleRate * mode.depthSeconds, lineRoom - mBaseDelaySamples - 4.0));
  mLfoIncrement = PhaseIncrement(mode.rateHz, mSampleRate);
  mWetGain = std::pow(10.0, mode.wetDb / 20.0);
}

void StudioChorus::ClearState() noexcept {
  for (auto& line : mLines) {
    line.ring.Clear();
    line.hpPrevIn = line.hpPrevOut = line.lowpass = line.outSmooth = line.envelope = 0.0;
  }
  mLfoPhase = 0.0;
}

void StudioChorus::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  mHighpassCoef = DcBlockCoef(kHighpassHz, mSampleRate);
  mLowpassCoef = OnePoleCoef(kLowpassHz, mSampleRate);
  mAttackCoef = std::exp(-1.0 / (mSampleRate * kAttackSeconds));
  mReleaseCoef = std::exp(-1.0 / (mSampleRate * kReleaseSeconds));
  UpdateMode();
  ClearState();
}

void StudioChorus::Reset() noexcept {
  ClearState();
}

void StudioChorus::SetParameter(int index, double value) noexcept {
  const double v = ClampUnit(value);
  switch (index) {
  case 0:
    mMode = std::clamp(RoundHalfAway(3.0 * v), 0, 3);
    UpdateMode();
    break;
  case 1:
    mWidth = 2.0 * v;
    break;
  default:
    break;
  }
}

double StudioChorus::ProcessLine(Line& line, double x, double delay) noexcept {
  const double hp = DcBlock(x, mHighpassCoef, line.hpPrevIn, line.hpPrevOut);
  line.lowpass += (hp - line.lowpass) * mLowpassCoef;
  const double l = line.lowpass;
  const double level = std::fabs(l);
  const double a = level > line.envelope ? mAttackCoef : mReleaseCoef;
  line.envelope = (1.0 - a) * level + a * line.envelope;
  const double compand = std::sqrt(1.0 + kCompandAmount * line.envelope);
  line.ring.Write(l * kLineGain / compand);
  const double read = line.ring.ReadLinear(std::max(1.0, delay));
  line.ring.Advance();
  line.outSmooth += (read - line.outSmooth) * mLowpassCoef;
  return compand / kLineGain * line.outSmooth;
}

void StudioChorus::Process(double& left, double& right) noexcept {
  // asin(sin()) turns the phase into a triangle that peaks at pi/2.
  const double t = std::asin(std::sin(mLfoPhase)) * 2.0 / kPi * mDepthSamples;
  mLfoPhase = AdvancePhase(mLfoPhase, mLfoIncrement);
  const double g = ProcessLine(mLines[0], left, mBaseDelaySamples + t);
  const double h = ProcessLine(mLines[1], right, mBaseDelaySamples - t);
  const double mid = (g + h) * 0.5 * 0.8;
  const double side = (g - h) * 0.5 * mWidth * 1.8;
  left = (mid + side) * mWetGain + left;
  right = (mid - side) * mWetGain + right;
}

} // namespace vlm::dsp
