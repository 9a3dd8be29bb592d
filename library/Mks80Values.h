// Conversion rules between an MKS-80 data byte (0-127) and this instrument's normalized value (0-1).
#pragma once

#include <cstdint>

namespace vlm {

enum class MksValueRule : std::uint8_t {
  None,
  Percent,           // 0-100
  FourStepInverted,  // 3 -> 0, 0 -> 1
  ThreeStepInverted, // 2 -> 0, 0 -> 1
  SwitchInverted,    // odd -> 0, even -> 1
  LfoWave,
  SyncMode,
  Vco1Range,  // 36, 48, 60, 72, 84
  Vco2Range,  // 0, 36, 48, 60, 72, 84, 100
  SplitPoint, // MIDI notes 21-108
  FiveStep,   // 0-4
};

// Reads only the bits each rule uses; None gives 0.
double DecodeMksValue(MksValueRule rule, std::uint8_t byte);
// Values at or below 0, and values that are not numbers, give the rule's byte for 0; at or above 1 its
// byte for 1. Always below 0x80; None gives 0.
std::uint8_t EncodeMksValue(MksValueRule rule, double normalized);

} // namespace vlm
