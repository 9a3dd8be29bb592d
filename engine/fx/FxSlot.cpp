// Effect slot: type to instance mapping, preparation and resets.
#include "engine/fx/FxSlot.h"

namespace vlm::dsp {

EffectBase* FxSlot::EffectForType(int type) noexcept {
  switch (type) {
  case 1:
    return &mSynthChorus;
  case 2:
    return &mStudioChorus;
  case 3:
    return &mDigitalChorus;
  case 4:
    return &mDelay;
  case 5:
    return &mPhaser;
  case 6:
    return &mFlanger;
  case 7:
    return &mEQ3Band;
  case 8:
    return &mCompressor;
  case 9:
    return &mDistortion;
  case 10:
    return &mReverb;
  case 11:
    return &mPitchChorus;
  case 12:
    return &mArpeggiator;
  default:
    return nullptr;
  }
}

void FxSlot::SetType(int type) noexcept {
  // The type is stored as the parameter's byte; anything that is not a byte counts as "Off".
  const auto stored = static_cast<std::uint8_t>(type >= 0 && type <= 255 ? type : 0);
  mType.store(stored, std::memory_order_release);
  mActive.store(EffectForType(stored), std::memory_order_release);
}

void FxSlot::ResetActive() noexcept {
  if (EffectBase* effect = Active())
    effect->Reset();
}

void FxSlot::Prepare(double sampleRate) {
  mActive.store(EffectForType(mType.load(std::memory_order_acquire)), std::memory_order_release);
  for (int type = kFirstEffectType; type <= kLastEffectType; ++type)
    EffectForType(type)->Prepare(sampleRate);
}

void FxSlot::ResetAll() noexcept {
  for (int type = kFirstEffectType; type <= kLastEffectType; ++type)
    EffectForType(type)->Reset();
}

} // namespace vlm::dsp
