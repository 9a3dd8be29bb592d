// Breakpoint curves of the voice (pitch, mixer, cross-mod, filter and amplifier shapes), looked up with
// Interpolate.
#pragma once

#include <array>

#include "engine/envelope/EnvelopeCurves.h"
#include "engine/util/BreakpointTable.h"
#include "engine/util/IndexedBreakpoints.h"

// ENV-1 output -> percent of its effect on pitch and cross-mod (the pitch envelope is not linear).
inline constexpr std::array<Breakpoint, 21> kEnv1CurvePercent = {{
    {0, 0},         {0.00236, 5},   {0.003851, 10}, {0.01448, 15},  {0.036966, 20}, {0.072806, 25},
    {0.126002, 30}, {0.176539, 35}, {0.231638, 40}, {0.298115, 45}, {0.356732, 50}, {0.426194, 55},
    {0.486129, 60}, {0.546498, 65}, {0.617368, 70}, {0.678085, 75}, {0.738496, 80}, {0.809543, 85},
    {0.870302, 90}, {0.931318, 95}, {1, 100},
}};

// VCO-2 fine tune in cents -> knob percent; the knob is finer near the centre.
inline constexpr std::array<Breakpoint, 21> kFineTuneCentsToPercent = {{
    {-49.86282, 0},  {-41.65164, 5},  {-33.40094, 10}, {-27.87893, 15}, {-22.33887, 20}, {-19.56217, 25},
    {-13.99539, 30}, {-11.20527, 35}, {-8.41104, 40},  {-5.6119, 45},   {0, 50},         {5.6119, 55},
    {8.41104, 60},   {11.20527, 65},  {16.78102, 70},  {19.56217, 75},  {22.33887, 80},  {27.87893, 85},
    {33.40094, 90},  {41.65164, 95},  {49.86282, 100},
}};
inline constexpr double kFineTuneEndCents = 49.862823;

// VCO-2 "high" range: fine-tune knob percent -> semitones above the key.
inline constexpr std::array<Breakpoint, 21> kHighRangeSemitones = {{
    {0, 23.9},   {5, 25.9},   {10, 28.9},  {15, 30.89}, {20, 33.9},  {25, 35.9},  {30, 38.89},
    {35, 40.89}, {40, 43.89}, {45, 45.88}, {50, 48.89}, {55, 50.88}, {60, 53.88}, {65, 55.88},
    {70, 58.89}, {75, 60.89}, {80, 63.91}, {85, 65.92}, {90, 68.94}, {95, 70.95}, {100, 71.96},
}};

// VCO mix knob percent -> crossfade position a (VCO-2 share before the 2.55-norm).
inline constexpr std::array<Breakpoint, 21> kVcoMixPosition = {{
    {0, 0},         {5, 0},        {10, 0.114414}, {15, 0.202283}, {20, 0.247065}, {25, 0.296895},
    {30, 0.363533}, {35, 0.39845}, {40, 0.446443}, {45, 0.507926}, {50, 0.553077}, {55, 0.612642},
    {60, 0.658534}, {65, 0.709},   {70, 0.740727}, {75, 0.775134}, {80, 0.814711}, {85, 0.875086},
    {90, 0.925168}, {95, 0.98},    {100, 1},
}};
inline constexpr double kVcoMixNormExponent = 2.55;

// Cross-mod knob percent -> depth in octaves per unit of VCO-2 signal.
inline constexpr std::array<Breakpoint, 21> kXmodDepthOctaves = {{
    {0, 0},     {5, 0},     {10, 0.08}, {15, 0.18}, {20, 0.4},  {25, 0.68}, {30, 0.95},
    {35, 1.15}, {40, 1.35}, {45, 1.58}, {50, 1.82}, {55, 2.05}, {60, 2.25}, {65, 2.45},
    {70, 2.7},  {75, 2.9},  {80, 3.1},  {85, 3.3},  {90, 3.52}, {95, 3.75}, {100, 3.95},
}};

// Aftertouch percent -> cutoff offset in octaves (aftertouch mode VCF).
inline constexpr std::array<Breakpoint, 6> kAftertouchCutoffOctaves = {{
    {0, 0},
    {20, 0.99},
    {40, 2.22},
    {60, 3.47},
    {80, 4.62},
    {100, 5.17},
}};

// Filter envelope in decay, sustain and release (Fd): input may exceed 1 with velocity dynamics.
inline constexpr std::array<Breakpoint, 26> kFilterEnvDecayShape = {{
    {0, 0},           {0.0024, 0.0159}, {0.0039, 0.0259}, {0.0145, 0.0961}, {0.037, 0.2453},
    {0.0728, 0.2898}, {0.126, 0.3325},  {0.1765, 0.3624}, {0.2316, 0.4148}, {0.2981, 0.4652},
    {0.3567, 0.5188}, {0.4262, 0.566},  {0.4861, 0.6132}, {0.5465, 0.6557}, {0.6174, 0.7156},
    {0.6781, 0.7568}, {0.7385, 0.8049}, {0.81, 0.8457},   {0.87, 0.9131},   {0.93, 0.9593},
    {1, 1},           {1.2991, 1.09},   {1.637, 1.34},    {1.915, 1.53},    {2.113, 1.65},
    {2.264, 1.77},
}};

// Filter envelope in attack (Fa).
inline constexpr std::array<Breakpoint, 21> kFilterEnvAttackShape = {{
    {0, 0},         {0.0024, 0.0005}, {0.0039, 0.001}, {0.0145, 0.004}, {0.037, 0.012}, {0.0728, 0.03},
    {0.126, 0.07},  {0.1765, 0.115},  {0.2316, 0.16},  {0.2981, 0.22},  {0.3567, 0.28}, {0.4262, 0.355},
    {0.4861, 0.43}, {0.5465, 0.51},   {0.6174, 0.59},  {0.6781, 0.66},  {0.7385, 0.86}, {0.81, 0.91},
    {0.87, 0.95},   {0.93, 0.98},     {1, 1},
}};

// Amplifier gain in attack (Ga): a slow start, most of the rise late in the attack.
inline constexpr std::array<Breakpoint, 21> kAmpAttackShape = {{
    {0, 0},        {0.05, 0.0002}, {0.1, 0.0002}, {0.15, 0.0003}, {0.2, 0.0005}, {0.25, 0.0016},
    {0.3, 0.0044}, {0.35, 0.0119}, {0.4, 0.0292}, {0.45, 0.0612}, {0.5, 0.097},  {0.55, 0.1491},
    {0.6, 0.2115}, {0.65, 0.2753}, {0.7, 0.3529}, {0.75, 0.4369}, {0.8, 0.5305}, {0.85, 0.631},
    {0.9, 0.7704}, {0.95, 0.8813}, {1, 1},
}};

// Amplifier gain in release (Gr), by the envelope relative to where the release started.
inline constexpr std::array<Breakpoint, 30> kAmpReleaseShape = {{
    {0, 0},         {0.005, 0.0003}, {0.01, 0.0006}, {0.015, 0.0011}, {0.02, 0.0021}, {0.025, 0.0042},
    {0.03, 0.0066}, {0.035, 0.0112}, {0.04, 0.0152}, {0.045, 0.0233}, {0.05, 0.0306}, {0.1, 0.1168},
    {0.15, 0.2029}, {0.2, 0.2817},   {0.25, 0.3461}, {0.3, 0.4087},   {0.35, 0.4707}, {0.4, 0.5222},
    {0.45, 0.5694}, {0.5, 0.61},     {0.55, 0.646},  {0.6, 0.6836},   {0.65, 0.7196}, {0.7, 0.7614},
    {0.75, 0.8102}, {0.8, 0.8449},   {0.85, 0.8661}, {0.9, 0.9},      {0.95, 0.9481}, {1, 1},
}};

// Mixer level by waveform code (triangle, sawtooth, pulse, square, noise): matches the voices' loudness.
inline constexpr std::array<double, 5> kVco1MixLevel = {0.94, 0.933, 0.905, 0.905, 1.0};
inline constexpr std::array<double, 5> kVco2MixLevel = {0.872, 0.894, 0.886, 0.886, 1.0};
// Gain after FastTanh so that a full-scale oscillator (+-1) leaves the mixer at +-1 before the level.
inline constexpr double kMixerDriveGain = 1.3130352854993315;

// Constant-time forms of the curves that the voice reads every sample.
inline constexpr IndexedBreakpoints kEnv1CurveLookup{kEnv1CurvePercent};
inline constexpr IndexedBreakpoints kXmodDepthLookup{kXmodDepthOctaves};
inline constexpr IndexedBreakpoints kFilterEnvDecayLookup{kFilterEnvDecayShape};
inline constexpr IndexedBreakpoints kFilterEnvAttackLookup{kFilterEnvAttackShape};
inline constexpr IndexedBreakpoints kAmpAttackLookup{kAmpAttackShape};
inline constexpr IndexedBreakpoints kAmpReleaseLookup{kAmpReleaseShape};
// The amplifier's decay curve is the envelope's decay shape.
inline constexpr const auto& kAmpDecayLookup = kDecayShapeLookup;
