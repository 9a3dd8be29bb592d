// Tempo-sync divisions shared by LFO-1 and LFO-2 and by the processor's division parameters.
#pragma once

#include <array>

struct LfoSyncDivision {
  const char* text;
  double beats;
};

inline constexpr int kLfoSyncDivisionCount = 22;
inline constexpr int kLfoSyncDefaultDivision = 8; // "1/4"
inline constexpr double kLfoSyncDefaultTempoBpm = 120.0;

inline constexpr std::array<LfoSyncDivision, kLfoSyncDivisionCount> kLfoSyncDivisions = {{
    {"8/1", 32.0},        {"4/1", 16.0},         {"2/1", 8.0},        {"1/1", 4.0},
    {"1/2.", 3.0},        {"1/2", 2.0},          {"1/4.", 1.5},       {"1/2T", 4.0 / 3.0},
    {"1/4", 1.0},         {"1/8.", 0.75},        {"1/4T", 2.0 / 3.0}, {"1/8", 0.5},
    {"1/16.", 0.375},     {"1/8T", 1.0 / 3.0},   {"1/16", 0.25},      {"1/32.", 0.1875},
    {"1/16T", 1.0 / 6.0}, {"1/32", 0.125},       {"1/64.", 0.09375},  {"1/32T", 1.0 / 12.0},
    {"1/64", 0.0625},     {"1/64T", 1.0 / 24.0},
}};

// Rate in Hz of a synced LFO: tempo / 60 / beats; a tempo of 0 or below counts as 120 BPM and
// the index is held within 0..21.
double LfoSyncRateHz(double tempoBpm, int divisionIndex) noexcept;
