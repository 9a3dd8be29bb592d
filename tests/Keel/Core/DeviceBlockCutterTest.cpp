// Device callback: 64-frame blocks at several device buffer sizes, fades, and silence after "done".
#include "Keel/Core/DeviceBlockCutter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A stub processor that writes a running frame index (starting at 1) into both outputs.
struct CountingBlock {
  double next = 1.0;
  int blocks = 0;
  void operator()(double**, double** outputs) {
    for (uint32_t j = 0; j < keel::DeviceBlockCutter::kBlockFrames; ++j) {
      outputs[0][j] = next;
      outputs[1][j] = -next;
      next += 1.0;
    }
    ++blocks;
  }
};

struct Stream {
  keel::DeviceBlockCutter cutter;
  keel::DeviceStreamState state;
  CountingBlock block;
  Stream() {
    cutter.Open(0, 2);
    state.ResetForOpen();
  }
  std::vector<double> Run(uint32_t frames) {
    std::vector<double> out(frames * 2, 99.0);
    cutter.Process(out.data(), nullptr, frames, state, block);
    return out;
  }
};

TEST(DeviceBlockCutter, WholeBlocksRunInPlaceWithoutLatency) {
  for (uint32_t frames : {512u, 256u, 64u}) {
    Stream s;
    s.Run(frames); // fade-in buffer
    const int before = s.block.blocks;
    std::vector<double> out = s.Run(frames);
    EXPECT_EQ(s.block.blocks - before, int(frames / 64)) << frames;
    for (uint32_t i = 0; i < frames; ++i) {
      ASSERT_EQ(out[i], double(frames + i + 1)) << frames << " frame " << i;
      ASSERT_EQ(out[frames + i], -double(frames + i + 1));
    }
  }
}

TEST(DeviceBlockCutter, OddBuffersGoThroughTheFifoWithOneBlockOfLatency) {
  for (uint32_t frames : {96u, 32u, 100u}) {
    Stream s;
    std::vector<double> all;
    for (int k = 0; k < 12; ++k) {
      std::vector<double> out = s.Run(frames);
      if (k == 0) continue; // skip the faded first buffer
      all.insert(all.end(), out.begin(), out.begin() + frames);
    }
    // After the first buffer, frame t of the stream carries the value produced for frame t - 64.
    for (size_t i = 0; i < all.size(); ++i) {
      const double t = double(frames + i);
      const double expected = t < 64 ? 0.0 : t - 64 + 1;
      ASSERT_EQ(all[i], expected) << frames << " at " << i;
    }
  }
}

TEST(DeviceBlockCutter, FirstBufferFadesInAndEndingBufferFadesOutThenSilence) {
  keel::DeviceBlockCutter cutter;
  keel::DeviceStreamState state;
  cutter.Open(0, 1);
  state.ResetForOpen();
  auto ones = [](double**, double** outputs) {
    for (uint32_t j = 0; j < 64; ++j) outputs[0][j] = 1.0;
  };
  std::vector<double> out(128);
  cutter.Process(out.data(), nullptr, 128, state, ones);
  for (uint32_t j = 0; j < 128; ++j) ASSERT_DOUBLE_EQ(out[j], j / 128.0);

  cutter.Process(out.data(), nullptr, 128, state, ones);
  for (double v : out) ASSERT_EQ(v, 1.0);

  state.ending = true;
  EXPECT_FALSE(state.done);
  cutter.Process(out.data(), nullptr, 128, state, ones);
  EXPECT_TRUE(state.done);
  for (uint32_t j = 0; j < 128; ++j) ASSERT_DOUBLE_EQ(out[j], (127.0 - j) / 128.0);
  EXPECT_EQ(out[127], 0.0);

  std::fill(out.begin(), out.end(), 5.0);
  cutter.Process(out.data(), nullptr, 128, state, ones);
  for (double v : out) ASSERT_EQ(v, 0.0);
}

} // namespace
