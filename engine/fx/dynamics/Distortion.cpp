// Distortion: parameter mapping and the five shaping curves.
#include "engine/fx/dynamics/Distortion.h"

#include <algorithm>
#include <cmath>

#include "engine/filter/FastTanh.h"
#include "engine/fx/EffectMath.h"

namespace vlm::dsp {

namespace {

constexpr int kClip = 0;
constexpr int kOverdrive = 1;
constexpr int kWaveshaper = 2;
constexpr int kTube = 3;
constexpr int kTape = 4;

// The curves. tanh is the engine's rational form (within 2e-8 of tanh, far below audibility and
// several times cheaper than the library call).
template <int Algorithm> double ShapeOne(double x) noexcept {
  if constexpr (Algorithm == kClip)
    return std::clamp(x, -1.0, 1.0);
  else if constexpr (Algorithm == kOverdrive)
    return FastTanh(x);
  else if constexpr (Algorithm == kWaveshaper)
    return x / (std::fabs(x) + 1.0);
  else if constexpr (Algorithm == kTube)
    // Asymmetric: the positive half saturates harder, as a single-ended stage does.
    return FastTanh(x > 0.0 ? 1.2 * x : 0.7 * x);
  else
    return x / std::sqrt(1.0 + x * x);
}

// Both channels: the curve of the driven input, scaled to the output level, blended with the dry input.
template <int Algorithm>
void Run(double& left, double& right, double drive, double wetScale, double dryScale) noexcept {
  left = ShapeOne<Algorithm>(drive * left) * wetScale + dryScale * left;
  right = ShapeOne<Algorithm>(drive * right) * wetScale + dryScale * right;
}

} // namespace

double Distortion::Shape(int algorithm, double x) noexcept {
  switch (algorithm) {
  case kClip:
    return ShapeOne<kClip>(x);
  case kOverdrive:
    return ShapeOne<kOverdrive>(x);
  case kWaveshaper:
    return ShapeOne<kWaveshaper>(x);
  case kTube:
    return ShapeOne<kTube>(x);
  default:
    return ShapeOne<kTape>(x);
  }
}

void Distortion::SetParameter(int index, double value) noexcept {
  const double v = ClampUnit(value);
  switch (index) {
  case 0:
    mAlgorithm = std::clamp(RoundHalfAway(4.0 * v), kClip, kTape);
    break;
  case 1:
    mDrive = std::pow(10.0, 36.0 * v / 20.0);
    break;
  case 2: {
    // -24 dB at 0, 0 dB at the centre, +12 dB at 1.
    const double db = v < 0.5 ? 48.0 * v - 24.0 : (v - 0.5) * 24.0;
    mOutput = std::pow(10.0, db / 20.0);
    break;
  }
  case 3:
    mMix = v;
    break;
  default:
    break;
  }
}

void Distortion::Process(double& left, double& right) noexcept {
  // shape(drive x) x output x mix + (1 - mix) x, with output x mix taken once.
  const double wet = mOutput * mMix;
  const double dry = 1.0 - mMix;
  switch (mAlgorithm) {
  case kClip:
    Run<kClip>(left, right, mDrive, wet, dry);
    break;
  case kOverdrive:
    Run<kOverdrive>(left, right, mDrive, wet, dry);
    break;
  case kWaveshaper:
    Run<kWaveshaper>(left, right, mDrive, wet, dry);
    break;
  case kTube:
    Run<kTube>(left, right, mDrive, wet, dry);
    break;
  default:
    Run<kTape>(left, right, mDrive, wet, dry);
    break;
  }
}

} // namespace vlm::dsp
