// Effect rack: slot routing, bypass, tempo and the per-sample chain.
#include "engine/fx/FxRack.h"

namespace vlm::dsp {

void FxRack::SetType(int slot, int type) noexcept {
  if (ValidSlot(slot))
    mSlots[slot].SetType(type);
}

void FxRack::SetParameter(int slot, int index, double value) noexcept {
  if (!ValidSlot(slot) || index < 0 || index >= kParamsPerSlot)
    return;
  if (EffectBase* effect = mSlots[slot].Active())
    effect->SetParameter(index, value);
}

void FxRack::SetSlotParameters(int slot, std::span<const double, kParamsPerSlot> values) noexcept {
  if (!ValidSlot(slot))
    return;
  if (EffectBase* effect = mSlots[slot].Active())
    for (int i = 0; i < kParamsPerSlot; ++i)
      effect->SetParameter(i, values[i]);
}

void FxRack::SetBypass(int slot, bool on) noexcept {
  if (!ValidSlot(slot))
    return;
  const bool was = mBypass[slot].exchange(on ? 1 : 0, std::memory_order_acq_rel) != 0;
  // The flag is stored first, so nothing processes the effect while it is being cleared.
  if (on && !was)
    mSlots[slot].ResetActive();
}

bool FxRack::IsBypassed(int slot) const noexcept {
  return ValidSlot(slot) && mBypass[slot].load(std::memory_order_acquire) != 0;
}

void FxRack::SetTempo(double bpm) noexcept {
  for (auto& slot : mSlots)
    if (EffectBase* effect = slot.Active())
      effect->SetTempo(bpm);
}

void FxRack::Prepare(double sampleRate) {
  for (auto& slot : mSlots)
    slot.Prepare(sampleRate);
}

void FxRack::ResetAll() noexcept {
  for (auto& slot : mSlots)
    slot.ResetAll();
}

void FxRack::ResetActive() noexcept {
  for (auto& slot : mSlots)
    slot.ResetActive();
}

void FxRack::Process(double& left, double& right) noexcept {
  for (int i = 0; i < kSlotCount; ++i) {
    if (mBypass[i].load(std::memory_order_relaxed) != 0)
      continue;
    if (EffectBase* effect = mSlots[i].Active())
      effect->Process(left, right);
  }
}

Arpeggiator* FxRack::FindActiveArpeggiator() noexcept {
  for (int i = 0; i < kSlotCount; ++i)
    if (!IsBypassed(i) && mSlots[i].Type() == EffectType::Arpeggiator)
      return &mSlots[i].GetArpeggiator();
  return nullptr;
}

} // namespace vlm::dsp
