// The twelve note divisions that the tempo-synced effects (delay, arpeggiator) offer.
#pragma once

#include <array>

namespace vlm::dsp {

inline constexpr int kNoteDivisionCount = 12;

// Length of each division in beats (quarter notes), by division index.
inline constexpr std::array<double, kNoteDivisionCount> kNoteDivisionBeats = {
    0.0625, 0.125, 1.0 / 6.0, 0.25, 1.0 / 3.0, 0.375, 0.5, 2.0 / 3.0, 0.75, 1.0, 1.5, 2.0};

// Editor labels of the divisions, by index.
inline constexpr std::array<const char*, kNoteDivisionCount> kNoteDivisionTexts = {
    "1/64", "1/32", "1/16T", "1/16", "1/8T", "1/16.", "1/8", "1/4T", "1/8.", "1/4", "1/4.", "1/2"};

} // namespace vlm::dsp
