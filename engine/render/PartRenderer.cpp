// Oversampled rendering of both tone parts with the shared noise source and per-channel decimation.
#include "engine/render/PartRenderer.h"

#include <algorithm>

#include "engine/util/FloatControlScope.h"

PartRenderer::PartRenderer() {
  mLower.mSecondPart = 1;
  Prepare(48000.0, 1);
}

void PartRenderer::Prepare(double outputRate, int factor) noexcept {
  mOutputRate = outputRate > 0.0 ? outputRate : 48000.0;
  mFactor = (factor == 2 || factor == 4) ? factor : 1;
  const double rate = mOutputRate * mFactor;
  mUpper.Prepare(rate);
  mLower.Prepare(rate);
  mNoise.Prepare(rate);
  mNoise.mWaveform = Vco::kNoise;
  mLeft.Reset();
  mRight.Reset();
}

void PartRenderer::Render(std::span<double> left, std::span<double> right) noexcept {
  // Flush-to-zero here too, as the processor's block sets it: tools and benchmarks render directly.
  const FloatControlScope floatControl;
  constexpr std::size_t kChunkFrames = 64;
  double noise[kChunkFrames * 4];
  double u[kChunkFrames * 4];
  double l[kChunkFrames * 4];
  // Read once per block, as the processor does.
  const bool useNoise = mUpper.NoiseInUse() || mLower.NoiseInUse();
  const auto factor = static_cast<std::size_t>(mFactor);
  for (std::size_t start = 0; start < left.size(); start += kChunkFrames) {
    const std::size_t frames = std::min(kChunkFrames, left.size() - start);
    const int subSamples = static_cast<int>(frames * factor);
    if (useNoise)
      for (int j = 0; j < subSamples; ++j)
        noise[j] = mNoise.RenderSample();
    mUpper.RenderBlock(useNoise ? noise : nullptr, u, subSamples);
    mLower.RenderBlock(useNoise ? noise : nullptr, l, subSamples);
    for (std::size_t i = 0; i < frames; ++i) {
      left[start + i] = mLeft.Decimate(u + i * factor, mFactor);
      right[start + i] = mRight.Decimate(l + i * factor, mFactor);
    }
  }
}

void PartRenderer::RenderPerSample(std::span<double> left, std::span<double> right) noexcept {
  const FloatControlScope floatControl;
  // Read once per block, as the processor does.
  const bool noise = mUpper.NoiseInUse() || mLower.NoiseInUse();
  double u[4];
  double l[4];
  for (std::size_t i = 0; i < left.size(); ++i) {
    for (int j = 0; j < mFactor; ++j) {
      const double n = noise ? mNoise.RenderSample() : 0.0;
      u[j] = mUpper.RenderSample(n);
      l[j] = mLower.RenderSample(n);
    }
    left[i] = mLeft.Decimate(u, mFactor);
    right[i] = mRight.Decimate(l, mFactor);
  }
}
