// Block rendering: arpeggiator events, both parts at 1x, 2x or 4x, decimation and the output stage.
#include <algorithm>
#include <cmath>

#include "processor/Velmora.h"
#include "engine/util/FloatControlScope.h"

namespace {

// Frames rendered per part call; a host block may be longer and is cut into chunks of this size. At the
// highest oversampling a chunk's sub-samples are one chunk of the parts.
constexpr int kMaxFactor = 4;
constexpr int kChunkFrames = TonePart::kMaxChunk / kMaxFactor;

} // namespace

void Velmora::BalanceGains(double balance, double& upperGain, double& lowerGain) noexcept {
  const double m = std::max(balance, 1.0 - balance);
  if (m > 1e-9) {
    upperGain = balance / m;
    lowerGain = (1.0 - balance) / m;
  } else {
    upperGain = 1.0;
    lowerGain = 1.0;
  }
}

void Velmora::PrepareEngines() noexcept {
  const double rate = GetSampleRate() * mOversampling;
  Upper.Prepare(rate);
  Lower.Prepare(rate);
  mNoise.Prepare(rate);
  mNoise.mWaveform = Vco::kNoise;
  mDecimatorLeft.Reset();
  mDecimatorRight.Reset();
}

bool Velmora::RouteNoteOn(int note, double velocity, int channel) noexcept {
  switch (mKeyMode) {
  case 0: // "Whole"
    Upper.NoteOn(note, velocity);
    return true;
  case 1: // "Split-2": the first two channels choose the part
    if (channel == 0)
      Upper.NoteOn(note, velocity);
    else if (channel == 1)
      Lower.NoteOn(note, velocity);
    return channel == 0 || channel == 1;
  case 2: // "Split-1"
    (note < mSplitPoint ? Lower : Upper).NoteOn(note, velocity);
    return true;
  case 3: // "Dual"
    Upper.NoteOn(note, velocity);
    Lower.NoteOn(note, velocity);
    return true;
  default:
    return false;
  }
}

void Velmora::DispatchNoteEvents(int sampleIndex, int eventCount) noexcept {
  while (mNextNoteEvent < eventCount &&
         mNoteEvents[static_cast<std::size_t>(mNextNoteEvent)].offset <= sampleIndex) {
    const vlm::dsp::NoteEvent& event = mNoteEvents[static_cast<std::size_t>(mNextNoteEvent++)];
    if (event.noteOn) {
      if (RouteNoteOn(event.note, event.velocity, event.channel) && mHeldNoteCount < kHeldNoteCapacity)
        mHeldNotes[static_cast<std::size_t>(mHeldNoteCount++)] = event.note;
      continue;
    }
    Upper.NoteOff(event.note);
    Lower.NoteOff(event.note);
    for (int i = 0; i < mHeldNoteCount; ++i) {
      if (mHeldNotes[static_cast<std::size_t>(i)] != event.note)
        continue;
      mHeldNotes[static_cast<std::size_t>(i)] = mHeldNotes[static_cast<std::size_t>(--mHeldNoteCount)];
      break;
    }
  }
}

void Velmora::FlushQueuedNoteOffs() noexcept {
  for (int i = 0; i < mHeldNoteCount; ++i) {
    Upper.NoteOff(mHeldNotes[static_cast<std::size_t>(i)]);
    Lower.NoteOff(mHeldNotes[static_cast<std::size_t>(i)]);
  }
  mHeldNoteCount = 0;
}

void Velmora::OutputStage(double a, double b, double& left, double& right) noexcept {
  const double g = mPerformanceVolumeSmoother.Next();
  double l = a * g;
  double r = b * g;
  const double e = mMuteRamp.Next();
  // An effect switch or reset waits for the mute's silence, so neither the old effect's tail nor the new
  // one's start is heard as a click.
  if ((mPendingEffectSwitches != 0 || mPendingEffectsReset) && (e == 0.0 || !mMuteRamp.Running()))
    CarryOutPendingEffectWork();
  mFxRack.Process(l, r);
  const double h = mOutputGainSmoother.Next();
  l = l * h * e;
  r = r * h * e;
  const double k = mDcCoefficient;
  left = l - mDcPreviousInput[0] + k * mDcPreviousOutput[0];
  right = r - mDcPreviousInput[1] + k * mDcPreviousOutput[1];
  mDcPreviousInput = {l, r};
  mDcPreviousOutput = {left, right};
}

void Velmora::PublishPeak(std::atomic<float>& meter, float blockPeak) noexcept {
  // The meter keeps the largest peak since the idle work last read and decayed it.
  float stored = meter.load(std::memory_order_relaxed);
  while (blockPeak > stored && !meter.compare_exchange_weak(stored, blockPeak, std::memory_order_relaxed))
    ;
}

void Velmora::ProcessBlock(double**, double** outputs, int nFrames) {
  const FloatControlScope floatControl;
  ApplyPendingChanges();
  if (mOversamplingRequested != mOversampling) {
    mOversampling = mOversamplingRequested;
    PrepareEngines();
  }

  const keel::TimeInfo& time = GetTimeInfo();
  mFxRack.SetTempo(time.tempo);
  Upper.SetTempo(time.tempo);
  Lower.SetTempo(time.tempo);

  // A new, removed or reset arpeggiator leaves no note it started sounding.
  vlm::dsp::Arpeggiator* arpeggiator = mFxRack.FindActiveArpeggiator();
  if (arpeggiator == mLastArpeggiator) {
    if (arpeggiator && arpeggiator->Generation() != mLastArpeggiatorResetCount) {
      FlushQueuedNoteOffs();
      mLastArpeggiatorResetCount = arpeggiator->Generation();
    }
  } else {
    FlushQueuedNoteOffs();
    if (arpeggiator) {
      Upper.AllNotesOff();
      Lower.AllNotesOff();
      arpeggiator->Reset();
    }
    mLastArpeggiator = arpeggiator;
    mLastArpeggiatorResetCount = arpeggiator ? arpeggiator->Generation() : 0;
  }
  const int eventCount =
      arpeggiator ? arpeggiator->GenerateEvents(nFrames, mNoteEvents.data(), vlm::dsp::kNoteEventCapacity,
                                                time.ppqPos, time.transportIsRunning)
                  : 0;
  mNextNoteEvent = 0;

  double upperGain = 1.0;
  double lowerGain = 1.0;
  BalanceGains(mBalanceSmoother.Current(), upperGain, lowerGain);
  const bool stereo = mStereoMode == 1;
  const bool noise = Upper.NoiseInUse() || Lower.NoiseInUse();
  const int factor = mOversampling;
  double* outLeft = outputs ? outputs[0] : nullptr;
  double* outRight = outputs ? outputs[1] : nullptr;
  float peakLeft = 0.0f;
  float peakRight = 0.0f;

  double noiseSamples[kChunkFrames * kMaxFactor];
  double upper[kChunkFrames * kMaxFactor];
  double lower[kChunkFrames * kMaxFactor];
  for (int frame = 0; frame < nFrames;) {
    // Each part renders voice by voice up to the next due note event (bit for bit the same as sample by
    // sample); the balance, which only mixes, still moves per frame.
    DispatchNoteEvents(frame, eventCount);
    int end = std::min(nFrames, frame + kChunkFrames);
    if (mNextNoteEvent < eventCount)
      end = std::min(end, std::max(frame + 1, mNoteEvents[static_cast<std::size_t>(mNextNoteEvent)].offset));
    const int frames = end - frame;
    const int subSamples = frames * factor;
    if (noise)
      for (int j = 0; j < subSamples; ++j)
        noiseSamples[j] = mNoise.RenderSample();
    Upper.RenderBlock(noise ? noiseSamples : nullptr, upper, subSamples);
    Lower.RenderBlock(noise ? noiseSamples : nullptr, lower, subSamples);

    for (int k = 0; k < frames; ++k) {
      const double before = mBalanceSmoother.Current();
      const double balance = mBalanceSmoother.Next();
      if (balance != before)
        BalanceGains(balance, upperGain, lowerGain);
      double left[kMaxFactor] = {};
      double right[kMaxFactor] = {};
      for (int j = 0; j < factor; ++j) {
        const int s = k * factor + j;
        if (stereo) {
          left[j] = upper[s];
          right[j] = lower[s];
        } else {
          left[j] = right[j] = lower[s] * lowerGain + upper[s] * upperGain;
        }
      }
      double outL;
      double outR;
      OutputStage(mDecimatorLeft.Decimate(left, factor), mDecimatorRight.Decimate(right, factor), outL, outR);
      if (outLeft)
        outLeft[frame + k] = outL;
      if (outRight)
        outRight[frame + k] = outR;
      peakLeft = std::max(peakLeft, static_cast<float>(std::fabs(outL)));
      peakRight = std::max(peakRight, static_cast<float>(std::fabs(outR)));
    }
    frame = end;
  }
  PublishPeak(mPeakLeft, peakLeft);
  PublishPeak(mPeakRight, peakRight);
}
