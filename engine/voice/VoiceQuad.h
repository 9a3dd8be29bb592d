// Four voices rendered side by side: the branchy control steps run voice by voice, the arithmetic
// (exponentials, ladder coefficients, oscillators, mixer, filters, amplifier) on four lanes.
#pragma once

#include "engine/filter/LadderStages.h"
#include "engine/oscillator/VcoLanes.h"
#include "engine/util/Lanes.h"
#include "engine/voice/Voice.h"

// Four voices in one register do the same arithmetic once instead of four times. Every lane does
// exactly the scalar operations in the scalar order, so a quad renders bit for bit what the four
// voices render one after another. The control steps stay per voice: on lanes they would have to
// take every branch, which measured slower than four voices alone.
// Audio thread only; one quad is reused for every group of four.
class VoiceQuad {
public:
  VoiceQuad() noexcept;

  // Whether two voices may share a quad: the settings that steer the audio half's structure agree.
  static bool Compatible(const Voice& a, const Voice& b) noexcept;

  // Renders n samples of four active, mutually compatible voices and adds the lanes to sum[s] in lane
  // order, as four RenderSample calls per sample would. noise (null for silence), lfo1 and lfo2 hold n
  // samples. A voice that ends in the block is left exactly as RenderSample would leave it.
  void Render(Voice* const* voices, const double* noise, const double* lfo1, const double* lfo2, double* sum,
              int n) noexcept;

  // Four lanes in one AVX2 register when the processor has it (the default), else two SSE2 registers.
  void SetVectorForm(bool avx2) noexcept;
  bool VectorForm() const noexcept { return mUseAvx2 != 0; }

private:
  void Load(Voice* const* voices) noexcept;
  void Store(int lane, Voice& v) const noexcept;
  void RenderAvx2(Voice* const* voices, const double* noise, const double* lfo1, const double* lfo2, double* sum,
                  int n) noexcept;
  void RenderBaseline(Voice* const* voices, const double* noise, const double* lfo1, const double* lfo2,
                      double* sum, int n) noexcept;
  VLM_LANES_INLINE void RenderLanes(Voice* const* voices, const double* noise, const double* lfo1,
                                    const double* lfo2, double* sum, int n) noexcept;
  VLM_LANES_INLINE Lanes4 AudioSample(const Lanes4& pitch1, const Lanes4& base1, const Lanes4& vco2Hz,
                                      const Lanes4& width, const Lanes4& xmodDepth, const Lanes4& noise,
                                      const Lanes4& blend) noexcept;

  std::uint8_t mUseAvx2 = 0;
  VcoLanes mVco1;
  VcoLanes mVco2;
  std::uint8_t mSyncMode = 0;
  std::uint8_t mHighRange = 0;
  int mIterations = 1;

  // Mixer.
  Lanes4 mVco1MixScale{}, mVco2MixScale{}, mVco1Gain{}, mVco2Gain{};
  Lanes4 mHistory0{}, mHistory1{};
  // High-range shelf (direct form I).
  Lanes4 mShelfB0{}, mShelfB1{}, mShelfB2{}, mShelfA1{}, mShelfA2{};
  Lanes4 mShelfX1{}, mShelfX2{}, mShelfY1{}, mShelfY2{};
  // High-pass.
  Lanes4 mHpfCoefficient{}, mHpfPrevIn{}, mHpfPrevOut{};
  // Ladder stages, bleed and output smoothing.
  Lanes4 mStage[4] = {};
// As a template argument Lanes4 loses its 32-byte alignment; alignas on the member gives it back
// (every field is 32 bytes, so all of them land on 32).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-attributes"
  alignas(32) LadderOutput<Lanes4> mOutput;
#pragma GCC diagnostic pop
  Lanes4 mBleedCoefficient{}, mSmoothCoefficient{};
  // The ladder's cutoff and coefficients of the last sample, and the amplifier.
  Lanes4 mLastCutoff{}, mLadderCutoff{}, mLadderK{}, mLadderH{}, mLadderGain{};
  Lanes4 mAmp{}, mAmpCoefficient{};
};
