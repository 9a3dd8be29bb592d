// Tempo-synced or free stereo delay with ping-pong, a feedback tone filter and click-free time changes.
#pragma once

#include "engine/fx/DelayLine.h"
#include "engine/fx/EffectBase.h"

namespace vlm::dsp {

class Delay final : public EffectBase {
public:
  Delay() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void SetTempo(double bpm) noexcept override;
  void Process(double& left, double& right) noexcept override;

private:
  double mSampleRate = kDefaultEffectRate;
  double mTempo = 120.0;
  // Lines sized in Prepare (2.5 s); both share one length and advance together.
  HeapDelayLine mLines[2];
  double mToneState[2] = {0.0, 0.0};
  double mToneCoef = 1.0;
  int mMode = 0;     // 0 "Sync", 1 "Free"
  int mDivision = 3; // index into kNoteDivisionBeats
  double mFreeMs = 350.0;
  int mPingPong = 0;
  double mFeedback = 0.0;
  double mMix = 0.0;
  double mDryGain = 1.0;
  double mWetGain = 0.0;
  double mWidth = 1.0;
  double mCurrentDelay = 0.0;  // samples
  double mPreviousDelay = 0.0; // samples
  int mCrossfadePos = 0;
  int mCrossfadeLength = 0;
};

} // namespace vlm::dsp
