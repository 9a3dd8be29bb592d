// The output mute ramp: its fade, silence and fade back, lengthening, and re-arming from another thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "processor/render/OutputMuteRamp.h"

namespace {

std::vector<double> Factors(OutputMuteRamp& ramp, int samples) {
  std::vector<double> e;
  for (int i = 0; i < samples; ++i)
    e.push_back(ramp.Next());
  return e;
}

TEST(OutputMuteRamp, TwentyMillisecondsAt48kHzFadeOutHoldSilenceAndFadeIn) {
  OutputMuteRamp ramp;
  ramp.Arm(960);
  const std::vector<double> e = Factors(ramp, 1000);
  EXPECT_EQ(1.0, e[0]);
  EXPECT_DOUBLE_EQ(1.0 - 239.0 / 240.0, e[239]);
  for (int i = 240; i < 720; ++i)
    ASSERT_EQ(0.0, e[i]) << i;
  EXPECT_EQ(0.0, e[720]);
  EXPECT_DOUBLE_EQ(1.0 - 1.0 / 240.0, e[959]);
  for (int i = 960; i < 1000; ++i)
    ASSERT_EQ(1.0, e[i]) << i;
  EXPECT_FALSE(ramp.Running());
}

TEST(OutputMuteRamp, ARunningRampIsLengthenedNeverShortened) {
  OutputMuteRamp ramp;
  ramp.Arm(1920);
  Factors(ramp, 100);
  ramp.Arm(480);
  EXPECT_EQ(1920, ramp.Total());
  EXPECT_EQ(1820, ramp.Remaining());
  ramp.Arm(0);
  EXPECT_EQ(1820, ramp.Remaining());
  Factors(ramp, 1800);
  ramp.Arm(480); // 20 left: a new ramp starts
  EXPECT_EQ(480, ramp.Total());
  EXPECT_EQ(480, ramp.Remaining());
}

TEST(OutputMuteRamp, TheFactorStaysWithinZeroAndOneWhileAnotherThreadRearms) {
  OutputMuteRamp ramp;
  std::atomic<bool> stop{false};
  std::thread armer([&] {
    // Unsigned: the other thread may run long enough for a signed product to overflow.
    for (unsigned i = 0; !stop.load(); ++i)
      ramp.Arm(1 + static_cast<int>(i * 7919u % 2000u));
  });
  for (int i = 0; i < 200000; ++i) {
    const double e = ramp.Next();
    ASSERT_GE(e, 0.0);
    ASSERT_LE(e, 1.0);
  }
  stop.store(true);
  armer.join();
}

} // namespace
