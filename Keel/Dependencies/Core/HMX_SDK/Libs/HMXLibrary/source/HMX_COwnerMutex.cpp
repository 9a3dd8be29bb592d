// Process-local mutex that remembers its owner thread.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_COwnerMutex.h"

#include <new>

HMX_COwnerMutex::HMX_COwnerMutex() : mRecord(new (std::nothrow) Record) {}

HMX_COwnerMutex::~HMX_COwnerMutex() = default;

bool HMX_COwnerMutex::Lock() {
  if (!mRecord)
    return false;
  if (mRecord->owner.load() == std::this_thread::get_id())
    return false;
  mRecord->mutex.lock();
  mRecord->owner.store(std::this_thread::get_id());
  return true;
}

void HMX_COwnerMutex::Unlock() {
  if (!mRecord || mRecord->owner.load() != std::this_thread::get_id())
    return;
  mRecord->owner.store(std::thread::id{});
  mRecord->mutex.unlock();
}
