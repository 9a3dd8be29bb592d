// How an incoming controller value takes over a parameter: jump, pickup or scaling. Pure logic.
#pragma once

namespace vlm {

// Stored as the preferences' "knobMode"; any other value acts as scaling.
enum TakeoverMode : int { kTakeoverJump = 0, kTakeoverPickup = 1, kTakeoverScaling = 2 };

// Per mapped parameter; -1 everywhere means unknown (a new or rebuilt assignment).
struct TakeoverState {
  int lastCc = -1;        // the controller value seen last, 0..127
  double lastSent = -1.0; // the parameter's normalized value after the controller last set it
  double anchor = -1.0;   // normalized value the scaling mode measures from
};

struct TakeoverResult {
  bool apply = false;
  double normalized = 0.0;
};

// One controller value v (0..127) against the parameter's current normalized value. Updates the state in
// place; after an apply the caller records the parameter's actual normalized value as lastSent.
TakeoverResult TakeoverCcValue(TakeoverState& state, int mode, int v, double current) noexcept;

} // namespace vlm
