// The 19-point map between cutoff-knob position (percent) and cutoff frequency.
#pragma once

#include <array>

inline constexpr int kCutoffCurvePoints = 19;
inline constexpr std::array<double, kCutoffCurvePoints> kCutoffCurvePercent = {
    0, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100};
inline constexpr std::array<double, kCutoffCurvePoints> kCutoffCurveHz = {
    5,       20,      55.6,   72.59,   112.22,  164.6,    239.85,   370.23,  548.75, 869.63,
    1320.47, 2013.03, 3351.5, 5056.53, 8046.93, 12324.85, 17010.45, 23661.1, 30000};
inline constexpr double kCutoffMinHz = 5.0;
inline constexpr double kCutoffMaxHz = 30000.0;

// log2 of kCutoffCurveHz, filled once on first use.
const std::array<double, kCutoffCurvePoints>& CutoffLog2Table() noexcept;

// Knob percent (0..100) of a frequency, interpolated in log2(f).
double CutoffFrequencyToPercent(double hz) noexcept;
// Frequency (5..30000 Hz) of a knob percent, interpolated in log2(f); p <= 0 gives 5 Hz.
double CutoffPercentToFrequency(double percent) noexcept;
