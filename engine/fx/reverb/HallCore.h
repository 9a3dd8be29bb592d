// Hall algorithm: four input allpasses and an eight-line modulated Hadamard feedback network.
#pragma once

#include "engine/fx/ReverbCore.h"
#include "engine/fx/reverb/AllpassDiffuser.h"
#include "engine/fx/reverb/ModulatedLineNetwork.h"

namespace vlm::dsp {

class HallCore final : public ReverbCore {
public:
  static constexpr int kAllpasses = 4;
  static constexpr int kLines = reverb::kNetworkLines;
  static constexpr int kTapFractions = 3;
  static constexpr std::size_t kAllpassLength = 8192;
  static constexpr std::size_t kLineLength = 32768;

  // Construction derives lengths and coefficients for 48000 Hz, so the core sounds before Prepare.
  HallCore() noexcept;
  void Reset() noexcept override;
  void Process(double input, double* left, double* right) noexcept override;

  // Derived values, for inspection.
  int LineLength(int k) const noexcept { return mNetwork.Length(k); }
  int AllpassLength(int k) const noexcept { return mDiffuser.Length(k); }
  double AllpassCoef(int k) const noexcept { return mDiffuser.Coef(k); }
  double DampCoef(int k) const noexcept { return mNetwork.DampCoef(k); }

private:
  void Configure() noexcept override;
  void ApplyDamping() noexcept override;
  void ApplyDiffusion() noexcept override;

  reverb::AllpassDiffuser<kAllpasses, kAllpassLength> mDiffuser;
  reverb::ModulatedLineNetwork<kLineLength> mNetwork;
  int mTap[kTapFractions][kLines] = {}; // output tap positions, by fraction of each line's length
  double mLowCutCoef = 0.0;             // 180 Hz low-pass that the outputs partly subtract
  double mLowCutState[2] = {0.0, 0.0};
};

} // namespace vlm::dsp
