// The tables through which some tone parameters reach the engine in place of the curve they display.
#pragma once

namespace vlm {

// Each takes the normalized value x (held within 0..1); the tables are the hardware's measured responses.
double VcfEnvAmountPercent(double x);      // VCF Env Amount, percent of full modulation
double Env1FilterAttackFactor(double x);   // ENV-1 filter copy: attack multiplier
double Env2SustainLevel(double x);         // ENV2 Sustain, 0..1
double Env2KeyFollowAmount(double x);      // ENV2 Key Follow (slightly above 1 at the top)
double Lfo1RandomRateHz(double x);         // LFO-1 random clock rate
double DynamicsLevelAmount(double amount); // Dynamics Level: from the engine value 0..1

} // namespace vlm
