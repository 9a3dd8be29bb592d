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
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetDecay(double seconds) noexcept override;
  void SetDamping(double amount) noexcept override;
  void SetDiffusion(double amount) noexcept override;
  void Process(double input, double* left, double* right) noexcept override;

  // Derived values, for inspection.
  double Gain() const noexcept { return mGain; }
  int LineLength(int k) const noexcept { return mNetwork.Length(k); }
  int EarlyTapLeft(int k) const noexcept { return mEarlyTapLeft[k]; }
  double AllpassCoef(int k) const noexcept { return mDiffuser.Coef(k); }
  double DampCoef(int k) const noexcept { return mNetwork.DampCoef(k); }

private:
  void Configure(double sampleRate) noexcept;
  void UpdateDamping() noexcept;
  void UpdateGain() noexcept;

  double mSampleRate = 48000.0;
  reverb::AllpassDiffuser<kAllpasses, kLength> mDiffuser;
  FixedDelayLine<kLength> mEarly;
  int mEarlyTapLeft[kEarlyTaps] = {};
  int mEarlyTapRight[kEarlyTaps] = {};
  double mEarlyLpCoef = 0.0;
  double mEarlyLpState[2] = {0.0, 0.0};
  reverb::ModulatedLineNetwork<kLength> mNetwork;
  double mT60 = 1.0; // already halved from the decay parameter
  double mGain = 0.5;
  double mDiffusion = 1.0;
  double mDamping = 0.5; // kept so a new rate re-derives the damping coefficients
};

} // namespace vlm::dsp
