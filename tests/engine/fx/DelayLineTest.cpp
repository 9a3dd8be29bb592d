// Delay lines: read positions, interpolation, and wrapping by the real length whatever the delay.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "engine/fx/DelayLine.h"

using vlm::dsp::FixedDelayLine;
using vlm::dsp::HeapDelayLine;

namespace {

// Writes 1, 2, 3, ... so that a read at delay D after writing k values gives k - D.
template <typename Line> void WriteRamp(Line& line, int count) {
  for (int i = 1; i <= count; ++i) {
    line.Advance();
    line.Write(static_cast<double>(i));
  }
}

TEST(DelayLineTest, ReadsCountBackFromTheLastWrittenSample) {
  auto line = std::make_unique<FixedDelayLine<16>>();
  WriteRamp(*line, 40); // wraps the ring twice
  EXPECT_EQ(line->Tap(0), 40.0);
  EXPECT_EQ(line->Tap(5), 35.0);
  EXPECT_DOUBLE_EQ(line->ReadLinear(2.25), 37.75);
  // Catmull-Rom reproduces a straight line exactly.
  EXPECT_DOUBLE_EQ(line->ReadCubic(3.5), 36.5);
  EXPECT_DOUBLE_EQ(line->ReadCubic(1.0), 39.0);
}

TEST(DelayLineTest, DelaysBeyondTheLineOrNotANumberStayInside) {
  struct Case {
    double delay;
    double linear; // after a ramp of 100 into 16 samples
  };
  const Case cases[] = {
      {1e9, 86.0},   // held at length - 2
      {-4.0, 100.0}, // held at 0
      {std::numeric_limits<double>::quiet_NaN(), 100.0},
      {std::numeric_limits<double>::infinity(), 86.0},
  };
  FixedDelayLine<16> line;
  WriteRamp(line, 100);
  for (const auto& c : cases) {
    EXPECT_EQ(line.ReadLinear(c.delay), c.linear) << c.delay;
    EXPECT_TRUE(std::isfinite(line.ReadCubic(c.delay))) << c.delay;
  }
  EXPECT_EQ(line.Tap(1000), 85.0);
}

TEST(DelayLineTest, HeapLineWrapsByItsLengthAfterShrinking) {
  // A rate change from high to low: the line keeps its memory but its length shrinks, and a delay
  // computed at the old rate must still read within the new length.
  HeapDelayLine line;
  line.Resize(1000);
  line.Resize(10);
  EXPECT_EQ(line.Length(), 10u);
  EXPECT_GE(line.Capacity(), 1000u);
  WriteRamp(line, 25);
  EXPECT_EQ(line.Tap(0), 25.0);
  EXPECT_EQ(line.Tap(9), 16.0);
  EXPECT_EQ(line.Tap(900), 16.0);
  EXPECT_DOUBLE_EQ(line.ReadLinear(800.0), 17.0);
  EXPECT_DOUBLE_EQ(line.ReadCubic(3.5), 21.5);

  line.Resize(20);
  EXPECT_EQ(line.Tap(0), 0.0) << "resizing clears";
}

TEST(DelayLineTest, EmptyHeapLineReadsSilence) {
  HeapDelayLine line;
  line.Write(1.0);
  line.Advance();
  EXPECT_EQ(line.Tap(0), 0.0);
  EXPECT_EQ(line.ReadLinear(3.0), 0.0);
  EXPECT_EQ(line.ReadCubic(3.0), 0.0);
  line.Resize(8);
  line.Release();
  EXPECT_EQ(line.Capacity(), 0u);
  EXPECT_EQ(line.ReadCubic(1.0), 0.0);
}

} // namespace
