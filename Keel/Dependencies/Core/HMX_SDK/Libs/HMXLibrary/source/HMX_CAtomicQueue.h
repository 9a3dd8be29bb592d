// Bounded lock-free queue of N pointers (N a power of two): producers serialise on an owner mutex,
// the single consumer never locks or waits.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_COwnerMutex.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IContainer.h"

#include <array>
#include <atomic>

// Threads: Push from any number of producer threads; Pop and Peek from one consumer thread at a time.
// The queue never owns its items: whoever destroys it first pops and frees what is left.
template <typename T, int32_t N> class HMX_CAtomicQueue : public HMX_IPointerQueue<T> {
  static_assert(N >= 2 && (N & (N - 1)) == 0, "the slot count is a power of two");

public:
  HMX_CAtomicQueue() {
    for (auto& slot : mSlots)
      slot.store(nullptr);
  }
  HMX_CAtomicQueue(const HMX_CAtomicQueue&) = delete;
  HMX_CAtomicQueue& operator=(const HMX_CAtomicQueue&) = delete;

  // Frees every slot; the indexes stay where they are.
  void Clear() override {
    for (auto& slot : mSlots)
      slot.store(nullptr);
  }

  int32_t Push(T* item) override {
    if (!item)
      return HMX_IContainer::eStatus_NullItem;
    HMX_COwnerMutexGuard guard(mLock);
    const int32_t w = mWriteIndex.fetch_add(1) + 1;
    const int32_t slot = w % N;
    T* expected = nullptr;
    if (!mSlots[size_t(slot)].compare_exchange_strong(expected, item)) {
      // Full: the slot ahead still holds an item the consumer has not taken.
      int32_t from = w;
      mWriteIndex.compare_exchange_strong(from, w == 0 ? N : w - 1);
      return HMX_IContainer::eStatus_Full;
    }
    if (w >= N) {
      int32_t from = w;
      mWriteIndex.compare_exchange_strong(from, slot);
    }
    return HMX_IContainer::eStatus_Success;
  }

  T* Pop() override {
    const int32_t r = (mReadIndex + 1) % N;
    mReadIndex = r;
    T* item = mSlots[size_t(r)].exchange(nullptr);
    if (!item)
      mReadIndex = (r + N - 1) % N;
    return item;
  }

  T* Peek() const override { return mSlots[size_t((mReadIndex + 1) % N)].load(); }

private:
  HMX_COwnerMutex mLock;
  int32_t mReadIndex = 0; // consumer only
  std::atomic<int32_t> mWriteIndex{0};
  std::array<std::atomic<T*>, size_t(N)> mSlots;
};
