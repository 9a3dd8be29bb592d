// The flanger's and the phaser's triangle LFO pair: in stereo the right channel runs half a turn ahead.
#pragma once

#include "engine/fx/modulation/ModulationMath.h"

namespace vlm::dsp {

class StereoLfo {
public:
  void SetRate(double hz, double sampleRate) noexcept { mIncrement = PhaseIncrement(hz, sampleRate); }
  // The effect's own rate until a rate is set.
  void SetDefaultRate(double hz, double sampleRate) noexcept {
    if (mIncrement == 0.0)
      SetRate(hz, sampleRate);
  }
  // A change moves the right phase against the left one without a restart.
  void SetStereo(bool stereo) noexcept {
    if (stereo == mStereo)
      return;
    mStereo = stereo;
    mPhase[1] = stereo ? WrapPhaseRadians(mPhase[0] + kPi) : mPhase[0];
  }
  void Restart() noexcept {
    mPhase[0] = 0.0;
    mPhase[1] = mStereo ? kPi : 0.0;
  }
  // The channel's triangle (+1 at phase 0), and its step to the next sample.
  double TriOf(int ch) const noexcept { return Tri(mPhase[ch]); }
  void Advance(int ch) noexcept { mPhase[ch] = AdvancePhase(mPhase[ch], mIncrement); }
  double Increment() const noexcept { return mIncrement; }
  bool Stereo() const noexcept { return mStereo; }
  double Phase(int ch) const noexcept { return mPhase[ch]; }

private:
  double mPhase[2] = {0.0, 0.0};
  double mIncrement = 0.0;
  bool mStereo = false;
};

} // namespace vlm::dsp
