// Room algorithm: three input allpasses, twelve early-reflection taps and a short eight-line network.
#pragma once

#include "engine/fx/DelayLine.h"
#include "engine/fx/ReverbCore.h"
#include "engine/fx/reverb/AllpassDiffuser.h"
#include "engine/fx/reverb/ModulatedLineNetwork.h"

namespace vlm::dsp {

class RoomCore final : public ReverbCore {
public:
  static constexpr int kAllpasses = 3;
  static constexpr int kLines = reverb::kNetworkLines;
  static constexpr int kEarlyTaps = 6; // per side
  static constexpr std::size_t kLength = 8192;

  // Construction derives lengths and coefficients for 48000 Hz, so the core sounds before Prepare.
  RoomCore() noexcept;
  void Reset() noexcept override;
  void Process(double input, double* left, double* right) noexcept override;

  // Derived values, for inspection.
  int LineLength(int k) const noexcept { return mNetwork.Length(k); }
  int EarlyTapLeft(int k) const noexcept { return mEarlyTapLeft[k]; }
  double AllpassCoef(int k) const noexcept { return mDiffuser.Coef(k); }
  double DampCoef(int k) const noexcept { return mNetwork.DampCoef(k); }

private:
  void Configure() noexcept override;
  void ApplyDamping() noexcept override;
  void ApplyDiffusion() noexcept override;

  reverb::AllpassDiffuser<kAllpasses, kLength> mDiffuser;
  FixedDelayLine<kLength> mEarly;
  int mEarlyTapLeft[kEarlyTaps] = {};
  int mEarlyTapRight[kEarlyTaps] = {};
  double mEarlyLpCoef = 0.0;
  double mEarlyLpState[2] = {0.0, 0.0};
  reverb::ModulatedLineNetwork<kLength> mNetwork;
};

} // namespace vlm::dsp
