// Test and benchmark harness: renders the Upper and Lower parts at 1x, 2x or 4x and decimates to the output
// rate.
#pragma once

#include <span>

#include "engine/oscillator/Vco.h"
#include "engine/oversampling/ChannelDecimator.h"
#include "engine/voice/TonePart.h"

// The processor's render loop without its output stage: the shared noise source feeds both parts,
// the Upper part goes to the left channel and the Lower part to the right, each decimated on its own.
// About 250 KB: allocate on the heap and reuse. Audio thread (or the one test thread) only.
class PartRenderer {
public:
  PartRenderer();
  PartRenderer(const PartRenderer&) = delete;
  PartRenderer& operator=(const PartRenderer&) = delete;

  // Prepares both parts and the noise source at outputRate x factor (factor 1, 2 or 4) and clears the
  // decimators; the parts' voices fall silent.
  void Prepare(double outputRate, int factor) noexcept;

  // Renders left.size() frames (right must be at least as long), each part voice by voice over
  // blocks of sub-samples.
  void Render(std::span<double> left, std::span<double> right) noexcept;
  // The reference form: every sub-sample through both parts in turn, as the processor's frame loop
  // does. Gives the same samples as Render.
  void RenderPerSample(std::span<double> left, std::span<double> right) noexcept;

  TonePart& Upper() noexcept { return mUpper; }
  TonePart& Lower() noexcept { return mLower; }
  int Factor() const noexcept { return mFactor; }
  double OutputRate() const noexcept { return mOutputRate; }

private:
  TonePart mUpper;
  TonePart mLower;
  Vco mNoise;
  ChannelDecimator mLeft;
  ChannelDecimator mRight;
  double mOutputRate = 48000.0;
  int mFactor = 1;
};
