// Hall algorithm: four input allpasses and an eight-line modulated Hadamard feedback network.
#pragma once

#include "engine/fx/DelayLine.h"
#include "engine/fx/ReverbCore.h"

namespace vlm::dsp {

class HallCore final : public ReverbCore {
public:
  static constexpr int kAllpasses = 4;
  static constexpr int kLines = 8;
  static constexpr std::size_t kAllpassLength = 8192;
  static constexpr std::size_t kLineLength = 32768;

  HallCore() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetDecay(double seconds) noexcept override;
  void SetDamping(double amount) noexcept override;
  void SetDiffusion(double amount) noexcept override;
  void Process(double input, double* left, double* right) noexcept override;

private:
  double mSampleRate = 48000.0;
  FixedDelayLine<kAllpassLength> mAllpass[kAllpasses];
  int mAllpassLength[kAllpasses] = {0, 0, 0, 0};
  double mAllpassCoef[kAllpasses] = {0.65, 0.6, 0.55, 0.5};
  FixedDelayLine<kLineLength> mLine[kLines];
  int mLineLength[kLines] = {};
  double mLfoPhase[kLines] = {};
  double mLfoIncrement[kLines] = {};
  double mDampCoef[kLines] = {};
  double mDampState[kLines] = {};
  double mLowCutCoef = 0.0; // 180 Hz low-pass that the outputs partly subtract
  double mLowCutState[2] = {0.0, 0.0};
  double mT60 = 4.0;
  double mGain = 0.7;
  double mDiffusion = 1.0;
};

} // namespace vlm::dsp
