// Process-local mutex that remembers its owner thread: the owner's second Lock answers false
// instead of deadlocking, and only the owner unlocks.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

// Threads: any; a caller unlocks only when its Lock answered true (HMX_COwnerMutexGuard does that).
class HMX_COwnerMutex {
public:
  HMX_COwnerMutex();
  ~HMX_COwnerMutex();
  HMX_COwnerMutex(const HMX_COwnerMutex&) = delete;
  HMX_COwnerMutex& operator=(const HMX_COwnerMutex&) = delete;

  // True when this call took the lock; false for the owner itself or when the mutex could not be made.
  bool Lock();
  void Unlock();

private:
  struct Record {
    std::atomic<std::thread::id> owner{};
    std::mutex mutex;
  };
  std::unique_ptr<Record> mRecord;
};

// Takes the lock for a scope and unlocks on exit only when it took it.
class HMX_COwnerMutexGuard {
public:
  explicit HMX_COwnerMutexGuard(HMX_COwnerMutex& mutex) : mMutex(mutex), mTook(mutex.Lock()) {}
  ~HMX_COwnerMutexGuard() {
    if (mTook)
      mMutex.Unlock();
  }
  HMX_COwnerMutexGuard(const HMX_COwnerMutexGuard&) = delete;
  HMX_COwnerMutexGuard& operator=(const HMX_COwnerMutexGuard&) = delete;

private:
  HMX_COwnerMutex& mMutex;
  bool mTook;
};
