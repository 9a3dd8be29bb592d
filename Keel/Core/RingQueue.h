// Lock-free single-producer single-consumer ring of fixed-size records; N slots hold N - 1 records.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace keel {

// Threads: exactly one thread calls Push and exactly one (other) thread calls Pop; Count and
// Empty may be called from either of them. Storage is allocated once, at construction, so both
// ends are safe on the audio thread.
template <typename T>
class RingQueue {
public:
  explicit RingQueue(uint64_t slots) : mSlots(slots < 2 ? 2 : slots), mData(new T[mSlots]()) {}
  RingQueue(const RingQueue&) = delete;
  RingQueue& operator=(const RingQueue&) = delete;

  // Stores a copy of the record; false (record dropped) when the ring is full.
  bool Push(const T& item) noexcept {
    const uint64_t write = mWrite.load(std::memory_order_relaxed);
    const uint64_t next = (write + 1) % mSlots;
    if (next == mRead.load(std::memory_order_acquire)) return false;
    mData[write] = item;
    mWrite.store(next, std::memory_order_release);
    return true;
  }

  // Copies the oldest record out; false when the ring is empty.
  bool Pop(T& item) noexcept {
    const uint64_t read = mRead.load(std::memory_order_relaxed);
    if (read == mWrite.load(std::memory_order_acquire)) return false;
    item = mData[read];
    mRead.store((read + 1) % mSlots, std::memory_order_release);
    return true;
  }

  uint64_t Count() const noexcept {
    const uint64_t write = mWrite.load(std::memory_order_acquire);
    const uint64_t read = mRead.load(std::memory_order_acquire);
    return write >= read ? write - read : write + mSlots - read;
  }
  bool Empty() const noexcept { return Count() == 0; }
  uint64_t Capacity() const noexcept { return mSlots - 1; }

private:
  const uint64_t mSlots;
  std::unique_ptr<T[]> mData;
  std::atomic<uint64_t> mWrite{0};
  std::atomic<uint64_t> mRead{0};
};

} // namespace keel
