// Synth chorus: model rows, parameter mapping and processing.
#include "engine/fx/modulation/SynthChorus.h"

#include <algorithm>
#include <cmath>

#include "engine/fx/modulation/ModulationMath.h"

namespace vlm::dsp {

namespace {

// One voicing of the chorus: LFO rate, delay and depth, gains, smoothing and stereo spread.
struct ChorusRow {
  double rateHz;
  double delaySeconds;
  double depth;
  double wet;
  double dry;
  double inputGain;
  double inputLowpassHz;
  double outputLowpassHz;
  double widthScale;
};

// [model]["I", "II", "I+II"]: "60" (model 0) and "106" (model 1).
constexpr ChorusRow kRows[2][3] = {
    {{0.51, 0.0072, 0.16, 0.86, 0.92, 1.18, 7200.0, 5200.0, 1.0},
     {0.86, 0.0067, 0.24, 0.94, 0.9, 1.24, 7200.0, 5200.0, 1.0},
     {7.1, 0.0058, 0.12, 0.72, 0.95, 1.12, 7600.0, 5600.0, 1.04}},
    {{0.6, 0.0066, 0.18, 0.88, 0.9, 1.1, 8400.0, 6300.0, 1.08},
     {1.08, 0.0061, 0.28, 1.0, 0.88, 1.14, 8500.0, 6500.0, 1.14},
     {6.7, 0.0053, 0.15, 0.8, 0.92, 1.08, 9000.0, 7000.0, 1.16}},
};

// The delay swing stays inside this ratio range, and the read inside the line.
constexpr double kMinSwing = 0.55;
constexpr double kMaxSwing = 1.55;
constexpr double kMaxDelaySamples = 4092.0;

} // namespace

void SynthChorus::UpdateRow() noexcept {
  const ChorusRow& row = kRows[mModel][mMode];
  mBaseDelaySamples = mSampleRate * row.delaySeconds;
  mDepth = row.depth;
  mWetGain = row.wet;
  mDryGain = row.dry;
  mInputGain = row.inputGain;
  mWidthScale = row.widthScale;
  mLfoIncrement = PhaseIncrement(row.rateHz, mSampleRate);
  mInCoef = OnePoleCoef(row.inputLowpassHz, mSampleRate);
  mOutCoef = OnePoleCoef(row.outputLowpassHz, mSampleRate);
  mNormaliser = 1.0 / (std::max(1.0, mWidthScale * mWidth) * mInputGain * mWetGain + mDryGain);
}

void SynthChorus::ClearState() noexcept {
  for (auto& line : mLines)
    line.Clear();
  mInSmooth[0] = mInSmooth[1] = 0.0;
  mOutSmooth[0] = mOutSmooth[1] = 0.0;
  mLfoPhase = 0.0;
}

void SynthChorus::Prepare(double sampleRate) {
  mSampleRate = EffectRateOrDefault(sampleRate);
  UpdateRow();
  ClearState();
}

void SynthChorus::Reset() noexcept {
  ClearState();
}

void SynthChorus::SetParameter(int index, double value) noexcept {
  const double v = ClampUnit(value);
  switch (index) {
  case 0: {
    const int model = RoundHalfAway(v) > 0 ? 1 : 0;
    if (model != mModel) {
      mModel = model;
      UpdateRow();
    }
    break;
  }
  case 1: {
    const int mode = std::clamp(RoundHalfAway(2.0 * v), 0, 2);
    if (mode != mMode) {
      mMode = mode;
      UpdateRow();
    }
    break;
  }
  case 2:
    mWidth = 2.0 * v;
    mNormaliser = 1.0 / (std::max(1.0, mWidthScale * mWidth) * mInputGain * mWetGain + mDryGain);
    break;
  case 3:
    mAmount = v;
    break;
  default:
    break;
  }
}

void SynthChorus::Process(double& left, double& right) noexcept {
  const double m = (left + right) * 0.5;
  const double t = Tri(mLfoPhase);
  mLfoPhase = AdvancePhase(mLfoPhase, mLfoIncrement);

  double out[2];
  for (int k = 0; k < 2; ++k) {
    const double swing = k == 0 ? t : -t;
    mInSmooth[k] += (m * mInputGain - mInSmooth[k]) * mInCoef;
    mLines[k].Write(mInSmooth[k]);
    const double delay = delay_read::HoldDelay(
        mBaseDelaySamples / std::clamp(1.0 + mDepth * swing, kMinSwing, kMaxSwing), 1.0, kMaxDelaySamples);
    const double read = mLines[k].ReadLinear(delay);
    mLines[k].Advance();
    mOutSmooth[k] += (read - mOutSmooth[k]) * mOutCoef;
    out[k] = mOutSmooth[k];
  }

  const double side = (out[0] - out[1]) * 0.5 * mWidth * mWidthScale;
  const double mid = (out[0] + out[1]) * 0.5;
  const double dry = m * mDryGain;
  left = ((mid + side) * mWetGain + dry) * mNormaliser * mAmount + (1.0 - mAmount) * left;
  right = ((mid - side) * mWetGain + dry) * mNormaliser * mAmount + (1.0 - mAmount) * right;
}

} // namespace vlm::dsp
