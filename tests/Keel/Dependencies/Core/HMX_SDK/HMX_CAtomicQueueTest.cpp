// The HMX pointer queue: capacity, order, refusals, and one producer against one consumer.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CAtomicQueue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(HMX_CAtomicQueue, HoldsAllSlotsRefusesOneMoreAndTakesAgainAfterAPop) {
  HMX_CAtomicQueue<int, 256> queue;
  std::vector<int> items(300);
  for (int i = 0; i < 256; ++i)
    ASSERT_EQ(queue.Push(&items[size_t(i)]), HMX_IContainer::eStatus_Success) << i;
  EXPECT_EQ(queue.Push(&items[256]), HMX_IContainer::eStatus_Full);
  EXPECT_EQ(queue.Pop(), &items[0]);
  EXPECT_EQ(queue.Push(&items[256]), HMX_IContainer::eStatus_Success);
  for (int i = 1; i <= 256; ++i)
    ASSERT_EQ(queue.Pop(), &items[size_t(i)]) << i;
  EXPECT_EQ(queue.Pop(), nullptr);
}

TEST(HMX_CAtomicQueue, EmptyPopPeekAndNullPushLeaveTheQueueAsItWas) {
  HMX_CAtomicQueue<int, 4> queue;
  int a = 1, b = 2;
  EXPECT_EQ(queue.Pop(), nullptr);
  EXPECT_EQ(queue.Peek(), nullptr);
  EXPECT_EQ(queue.Push(nullptr), HMX_IContainer::eStatus_NullItem);
  ASSERT_EQ(queue.Push(&a), 0);
  ASSERT_EQ(queue.Push(&b), 0);
  EXPECT_EQ(queue.Peek(), &a);
  EXPECT_EQ(queue.Peek(), &a);
  EXPECT_EQ(queue.Pop(), &a);
  EXPECT_EQ(queue.Pop(), &b);
  EXPECT_EQ(queue.Pop(), nullptr);
  // Wrapping many times keeps the order.
  for (int round = 0; round < 10; ++round) {
    ASSERT_EQ(queue.Push(&a), 0);
    ASSERT_EQ(queue.Push(&b), 0);
    ASSERT_EQ(queue.Pop(), &a);
    ASSERT_EQ(queue.Pop(), &b);
  }
}

TEST(HMX_CAtomicQueue, ClearEmptiesEverySlot) {
  HMX_CAtomicQueue<int, 8> queue;
  int a = 1;
  queue.Push(&a);
  queue.Push(&a);
  queue.Clear();
  EXPECT_EQ(queue.Pop(), nullptr);
}

// One producer, one consumer: every item arrives once, in order (run under ThreadSanitizer by CI).
TEST(HMX_CAtomicQueue, OneProducerOneConsumerKeepOrder) {
  constexpr int kItems = 20000;
  std::vector<int> items(kItems);
  for (int i = 0; i < kItems; ++i)
    items[size_t(i)] = i;
  HMX_CAtomicQueue<int, 64> queue;
  std::thread producer([&] {
    for (int i = 0; i < kItems;) {
      if (queue.Push(&items[size_t(i)]) == HMX_IContainer::eStatus_Success)
        ++i;
      else
        std::this_thread::yield();
    }
  });
  int expected = 0;
  while (expected < kItems) {
    if (int* item = queue.Pop()) {
      ASSERT_EQ(*item, expected);
      ++expected;
    } else {
      std::this_thread::yield();
    }
  }
  producer.join();
  EXPECT_EQ(queue.Pop(), nullptr);
}

// Producers serialise on the owner mutex; items of two producers all arrive, each producer's in order.
TEST(HMX_CAtomicQueue, TwoProducersSerialiseOnTheLock) {
  constexpr int kEach = 5000;
  std::vector<int> items(2 * kEach);
  for (int i = 0; i < 2 * kEach; ++i)
    items[size_t(i)] = i;
  HMX_CAtomicQueue<int, 32> queue;
  auto produce = [&](int first) {
    for (int i = first; i < first + kEach;) {
      if (queue.Push(&items[size_t(i)]) == 0)
        ++i;
      else
        std::this_thread::yield();
    }
  };
  std::thread p1(produce, 0), p2(produce, kEach);
  int next[2] = {0, kEach}, received = 0;
  while (received < 2 * kEach) {
    if (int* item = queue.Pop()) {
      const int who = *item < kEach ? 0 : 1;
      ASSERT_EQ(*item, next[who]);
      ++next[who];
      ++received;
    } else {
      std::this_thread::yield();
    }
  }
  p1.join();
  p2.join();
}

} // namespace
