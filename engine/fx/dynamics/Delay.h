// Tempo-synced or free stereo delay with ping-pong, a feedback tone filter and click-free time changes.
#pragma once

#include <cstddef>

#include "engine/fx/DelayLine.h"
#include "engine/fx/EffectBase.h"
#include "engine/fx/EqualPowerMix.h"

namespace vlm::dsp {

class Delay final : public EffectBase {
public:
  Delay() = default;
  void Prepare(double sampleRate) override;
  void Reset() noexcept override;
  void SetParameter(int index, double value) noexcept override;
  void SetTempo(double bpm) noexcept override;
  void Process(double& left, double& right) noexcept override;

  // Settings and derived values, for inspection.
  std::size_t LineLength() const noexcept { return mLines[0].Length(); }
  double CurrentDelay() const noexcept { return mCurrentDelay; }
  double PreviousDelay() const noexcept { return mPreviousDelay; }
  int CrossfadeLength() const noexcept { return mCrossfadeLength; }
  bool Crossfading() const noexcept { return mCrossfadePos < mCrossfadeLength; }
  double Tempo() const noexcept { return mTempo; }
  double ToneCoef() const noexcept { return mToneCoef; }
  int Mode() const noexcept { return mMode; }
  int Division() const noexcept { return mDivision; }
  double FreeMs() const noexcept { return mFreeMs; }
  bool PingPong() const noexcept { return mPingPong != 0; }
  double Feedback() const noexcept { return mFeedback; }
  double Width() const noexcept { return mWidth; }
  double DryGain() const noexcept { return mMix.Dry(); }
  double WetGain() const noexcept { return mMix.Wet(); }

private:
  // Derives the delay in samples from the mode, time and tempo. With `crossfade`, a change of a
  // sample or more fades from the old read position to the new one; without, it jumps.
  void UpdateTime(bool crossfade) noexcept;
  double ReadDelayed(const HeapDelayLine& line) const noexcept;

  double mSampleRate = kDefaultEffectRate;
  double mTempo = 120.0;
  // Lines sized in Prepare (2.5 s); both share one length and advance together.
  HeapDelayLine mLines[2];
  double mToneState[2] = {0.0, 0.0};
  double mToneCoef = 1.0;
  // Cut-off of the tone filter; 0 until "Tone" is set, so the repeats stay unfiltered. Kept so a
  // new rate re-derives the coefficient instead of losing the setting.
  double mToneHz = 0.0;
  int mMode = 0;     // 0 "Sync", 1 "Free"
  int mDivision = 3; // index into kNoteDivisionBeats
  double mFreeMs = 350.0;
  int mPingPong = 0;
  double mFeedback = 0.0;
  EqualPowerMix mMix;
  double mWidth = 1.0;
  double mCurrentDelay = 0.0;  // samples
  double mPreviousDelay = 0.0; // samples
  int mCrossfadePos = 0;
  int mCrossfadeLength = 0;
};

} // namespace vlm::dsp
