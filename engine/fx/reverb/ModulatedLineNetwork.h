// Late network of the hall and the room: eight lines read at LFO-swept lengths through their damping
// low-passes, mixed by a Hadamard matrix and fed back with the diffused input.
#pragma once

#include <cmath>
#include <cstddef>

#include "engine/fx/DelayLine.h"
#include "engine/fx/reverb/ReverbMath.h"

namespace vlm::dsp::reverb {

inline constexpr int kNetworkLines = 8; // the Hadamard mix is eight-point

template <std::size_t kCapacity> class ModulatedLineNetwork {
public:
  static constexpr int kLines = kNetworkLines;

  // Lengths, LFO rates and the rate; restarts the LFOs.
  void Configure(const double (&seconds)[kLines], int maxSamples, const double (&lfoHz)[kLines],
                 double rate) noexcept {
    mRate = rate;
    for (int k = 0; k < kLines; ++k) {
      mLength[k] = LengthSamples(seconds[k], rate, maxSamples);
      mLfoHz[k] = lfoHz[k];
    }
    StartLfos();
  }
  // The loop filters' cut-off, spread per line around `hz`.
  void SetDampingHz(double hz) noexcept {
    for (int k = 0; k < kLines; ++k)
      mDampCoef[k] = OnePoleCoef(hz * std::exp2(kDampOctaves[k]), mRate);
  }
  // Each line's damped output at its length swept by +-depthSamples. `eachLine(k, line)` sees every line
  // before it is written, for output taps.
  template <typename EachLine>
  void Read(double depthSamples, double (&v)[kLines], EachLine&& eachLine) noexcept {
    for (int k = 0; k < kLines; ++k) {
      const double read = mLine[k].ReadLinear(mLength[k] + depthSamples * mLfo[k].Sin());
      mLfo[k].Advance();
      v[k] = OnePole(read, mDampCoef[k], mDampState[k]);
      eachLine(k, mLine[k]);
    }
  }
  void Read(double depthSamples, double (&v)[kLines]) noexcept {
    Read(depthSamples, v, [](int, const FixedDelayLine<kCapacity>&) {});
  }
  // Mixes the outputs (in place) and writes them back, scaled by `gain`, with the input.
  void Feed(double (&v)[kLines], double gain, double x) noexcept {
    Hadamard8(v);
    const double feedback = gain * kInvSqrt8;
    for (int k = 0; k < kLines; ++k) {
      mLine[k].Write(v[k] * feedback + x);
      mLine[k].Advance();
    }
  }
  void Reset() noexcept {
    for (auto& line : mLine)
      line.Clear();
    for (double& s : mDampState)
      s = 0.0;
    StartLfos();
  }
  int Length(int k) const noexcept { return mLength[k]; }
  double DampCoef(int k) const noexcept { return mDampCoef[k]; }

private:
  // Per-line damping offsets in octaves, so the lines do not all lose the same band.
  static constexpr double kDampOctaves[kLines] = {-0.25,      0.125,      0.25,      -0.125,
                                                  -1.0 / 6.0, 1.0 / 24.0, 1.0 / 6.0, -1.0 / 24.0};

  void StartLfos() noexcept {
    for (int k = 0; k < kLines; ++k)
      mLfo[k].Start(k * kPi / 4.0, mLfoHz[k], mRate);
  }

  double mRate = 48000.0;
  FixedDelayLine<kCapacity> mLine[kLines];
  int mLength[kLines] = {};
  double mLfoHz[kLines] = {};
  SineLfo mLfo[kLines];
  double mDampCoef[kLines] = {};
  double mDampState[kLines] = {};
};

} // namespace vlm::dsp::reverb
