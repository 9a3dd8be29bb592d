// Ring queue: capacity N - 1, wrap-around, and one producer against one consumer.
#include "Keel/Core/RingQueue.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(RingQueue, HoldsOneLessThanItsSlotsAndRefusesWhenFull) {
  keel::RingQueue<int> q(513);
  for (int i = 0; i < 512; ++i) ASSERT_TRUE(q.Push(i)) << i;
  EXPECT_FALSE(q.Push(512));
  EXPECT_EQ(q.Count(), 512u);
  int v = -1;
  ASSERT_TRUE(q.Pop(v));
  EXPECT_EQ(v, 0);
  EXPECT_TRUE(q.Push(512));
  EXPECT_FALSE(q.Push(513));
}

TEST(RingQueue, KeepsOrderAndCountAcrossTheWrap) {
  keel::RingQueue<int> q(5);
  int v = 0;
  EXPECT_FALSE(q.Pop(v));
  for (int round = 0; round < 7; ++round) {
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(q.Push(round * 10 + i));
    EXPECT_EQ(q.Count(), 3u);
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(q.Pop(v));
      EXPECT_EQ(v, round * 10 + i);
    }
    EXPECT_TRUE(q.Empty());
  }
}

struct Record {
  uint64_t seq;
  uint64_t check;
};

TEST(RingQueue, OneProducerAndOneConsumerSeeEveryRecordWholeAndInOrder) {
  keel::RingQueue<Record> q(33);
  constexpr uint64_t kCount = 200000;
  std::thread producer([&] {
    for (uint64_t i = 0; i < kCount;) {
      if (q.Push({i, ~i})) ++i;
    }
  });
  uint64_t expected = 0;
  while (expected < kCount) {
    Record r{};
    if (!q.Pop(r)) continue;
    ASSERT_EQ(r.seq, expected);
    ASSERT_EQ(r.check, ~expected);
    ++expected;
  }
  producer.join();
  EXPECT_TRUE(q.Empty());
}

} // namespace
