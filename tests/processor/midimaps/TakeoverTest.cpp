// Jump, pickup and scaling takeover as tables of controller moves against a parameter.
#include <gtest/gtest.h>

#include <vector>

#include "processor/midimaps/Takeover.h"

namespace {

using namespace vlm;

struct Step {
  int cc;
  bool applies;
  double expected; // the parameter afterwards
};

// Plays the moves as the processor does: an applied value becomes the parameter and the state's lastSent.
void Play(int mode, double start, const std::vector<Step>& steps) {
  TakeoverState state;
  double value = start;
  for (size_t i = 0; i < steps.size(); ++i) {
    const TakeoverResult r = TakeoverCcValue(state, mode, steps[i].cc, value);
    EXPECT_EQ(steps[i].applies, r.apply) << "step " << i << " cc " << steps[i].cc;
    if (r.apply) {
      value = r.normalized;
      state.lastSent = value;
    }
    EXPECT_NEAR(steps[i].expected, value, 1e-9) << "step " << i << " cc " << steps[i].cc;
  }
}

TEST(Takeover, JumpSetsTheParameterFromTheFirstMessage) {
  Play(kTakeoverJump, 0.8, {{0, true, 0.0}, {127, true, 1.0}, {64, true, 64 / 127.0}});
}

TEST(Takeover, PickupWaitsUntilTheControllerCrossesOrMeetsTheParameter) {
  // The parameter sits at 0.8 = 101.6 steps; a controller coming up from 0 catches it only past 101.6.
  Play(kTakeoverPickup, 0.8,
       {{0, false, 0.8},
        {50, false, 0.8},
        {101, false, 0.8},
        {102, true, 102 / 127.0},
        {90, true, 90 / 127.0}});
  // Coming down across it in one jump also catches it.
  Play(kTakeoverPickup, 0.8, {{127, false, 0.8}, {60, true, 60 / 127.0}});
  // Within half a step catches it at once.
  Play(kTakeoverPickup, 0.5, {{64, true, 64 / 127.0}});
}

TEST(Takeover, PickupLetsGoWhenSomethingElseMovedTheParameter) {
  TakeoverState state;
  TakeoverResult r = TakeoverCcValue(state, kTakeoverPickup, 64, 64 / 127.0);
  ASSERT_TRUE(r.apply);
  state.lastSent = r.normalized;
  // The page moved it to 0.2 (25.4 steps): the controller at 70 and 80 is far from it.
  EXPECT_FALSE(TakeoverCcValue(state, kTakeoverPickup, 70, 0.2).apply);
  EXPECT_EQ(-1.0, state.lastSent);
  EXPECT_FALSE(TakeoverCcValue(state, kTakeoverPickup, 80, 0.2).apply);
  // Sweeping down past 25.4 picks it up again.
  EXPECT_TRUE(TakeoverCcValue(state, kTakeoverPickup, 20, 0.2).apply);
}

TEST(Takeover, ScalingMapsTheRemainingTravelOntoTheRemainingRange) {
  // The first message only records the position; then both ends of the travel reach both ends.
  Play(kTakeoverScaling, 0.5,
       {{64, false, 0.5}, {64, false, 0.5}, {127, true, 1.0}, {0, true, 0.0}, {127, true, 1.0}});
  // Converging: from 0.8 with the controller at 32, each step up closes part of the distance to 1.
  const double afterFirst = 0.8 + (64 - 32) / 95.0 * 0.2;
  Play(kTakeoverScaling, 0.8, {{32, false, 0.8}, {64, true, afterFirst}, {127, true, 1.0}, {0, true, 0.0}});
  // Down from 32 to 16 halves the value.
  Play(kTakeoverScaling, 0.8, {{32, false, 0.8}, {16, true, 0.4}});
}

TEST(Takeover, ScalingRebasesOnAValueMovedElsewhere) {
  TakeoverState state;
  EXPECT_FALSE(TakeoverCcValue(state, kTakeoverScaling, 64, 0.5).apply);
  TakeoverResult r = TakeoverCcValue(state, kTakeoverScaling, 127, 0.5);
  ASSERT_TRUE(r.apply);
  state.lastSent = r.normalized;
  // Something set 0.25 since: going down from 127 to 0 now measures from 0.25.
  r = TakeoverCcValue(state, kTakeoverScaling, 63, 0.25);
  ASSERT_TRUE(r.apply);
  EXPECT_NEAR(0.25 - 64 / 127.0 * 0.25, r.normalized, 1e-12);
}

TEST(Takeover, AnUnknownModeNeverApplies) {
  TakeoverState state;
  EXPECT_FALSE(TakeoverCcValue(state, 7, 127, 0.0).apply);
  EXPECT_FALSE(TakeoverCcValue(state, -1, 0, 1.0).apply);
}

} // namespace
