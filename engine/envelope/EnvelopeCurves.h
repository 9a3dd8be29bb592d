// Velocity and decay-shape breakpoint curves of the envelope.
#pragma once

#include "engine/util/BreakpointTable.h"
#include "engine/util/IndexedBreakpoints.h"

// Velocity to level scale of the amplifier envelope.
inline constexpr auto kAmplifierVelocityCurve = std::to_array<Breakpoint>({
    {0, 0},
    {0.126, 0.0455},
    {0.252, 0.2944},
    {0.378, 0.588},
    {0.5039, 0.8838},
    {0.6299, 1.1732},
    {0.7559, 1.4484},
    {0.8661, 1.6629},
    {1, 1.7901},
});

// Velocity to level scale of every other envelope.
inline constexpr auto kVelocityCurve = std::to_array<Breakpoint>({
    {0, 0},
    {0.063, 0.001},
    {0.126, 0.025},
    {0.189, 0.18},
    {0.252, 0.36},
    {0.315, 0.413},
    {0.378, 0.588},
    {0.4409, 0.766},
    {0.5039, 0.943},
    {0.5669, 1.119},
    {0.6299, 1.299},
    {0.6929, 1.465},
    {0.7559, 1.637},
    {0.8189, 1.798},
    {0.8819, 1.954},
    {0.9449, 2.113},
    {1, 2.264},
});

// Velocity to decay-time factor of the filter envelope copies (0.5 up to 0.236).
inline constexpr auto kFilterDecayVelocityCurve = std::to_array<Breakpoint>({
    {0.236, 0.5},
    {0.315, 0.62},
    {0.504, 1.03},
    {0.63, 1.06},
    {0.787, 1.1},
    {0.866, 1.13},
    {0.945, 1.15},
    {1, 1.18},
});

// Velocity to decay-time factor of the other envelopes (0.9 up to 0.315).
inline constexpr auto kDecayVelocityCurve = std::to_array<Breakpoint>({
    {0.315, 0.9},
    {0.504, 1.13},
    {0.63, 1.23},
    {0.787, 1.34},
    {1, 1.48},
});

// Decay shape D: bends the exponential decay of the filter copies and the amplifier.
inline constexpr auto kDecayShapeCurve = std::to_array<Breakpoint>({
    {0, 0},         {0.005, 0.0009}, {0.01, 0.0046}, {0.015, 0.0137}, {0.02, 0.0266}, {0.025, 0.0418},
    {0.03, 0.0599}, {0.035, 0.0766}, {0.04, 0.0917}, {0.045, 0.1056}, {0.05, 0.1214}, {0.1, 0.239},
    {0.15, 0.3251}, {0.2, 0.3999},   {0.25, 0.4561}, {0.3, 0.5175},   {0.35, 0.5606}, {0.4, 0.6074},
    {0.45, 0.6475}, {0.5, 0.6835},   {0.55, 0.7247}, {0.6, 0.763},    {0.65, 0.7915}, {0.7, 0.8173},
    {0.75, 0.8379}, {0.8, 0.8609},   {0.85, 0.8886}, {0.9, 0.921},    {0.95, 0.9581}, {1, 1},
});

// Constant-time form: every curved-decay envelope reads D once per sample while it decays.
inline constexpr IndexedBreakpoints kDecayShapeLookup{kDecayShapeCurve};
