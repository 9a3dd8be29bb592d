// Growth and shrink policy of the framework's byte buffer.
#include "Keel/Core/HeapBuffer.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace keel {

namespace {
// Large buffers grow in whole pages, leaving 96 bytes of each last page for the allocator's own bookkeeping.
constexpr long long kPage = 4096;
constexpr long long kAllocatorSlack = 96;
constexpr long long kMaxLargeExtra = 4194304;
} // namespace

HeapBuffer::~HeapBuffer() {
  std::free(mData);
}

HeapBuffer::HeapBuffer(HeapBuffer&& other) noexcept
    : mData(std::exchange(other.mData, nullptr)), mAllocation(std::exchange(other.mAllocation, 0)),
      mSize(std::exchange(other.mSize, 0)), mGranularity(other.mGranularity) {}

HeapBuffer& HeapBuffer::operator=(HeapBuffer&& other) noexcept {
  if (this != &other) {
    std::free(mData);
    mData = std::exchange(other.mData, nullptr);
    mAllocation = std::exchange(other.mAllocation, 0);
    mSize = std::exchange(other.mSize, 0);
    mGranularity = other.mGranularity;
  }
  return *this;
}

long long HeapBuffer::AllocationFor(long long size, int granularity) {
  if (size <= 0)
    return 0;
  long long extra = std::max(size / 2, static_cast<long long>(granularity));
  long long allocation;
  if (granularity < kPage) {
    allocation = size + extra;
  } else {
    extra = std::clamp(extra / kPage * kPage, kPage, kMaxLargeExtra);
    allocation = (size + kAllocatorSlack + extra) / kPage * kPage - kAllocatorSlack;
  }
  return allocation > INT_MAX ? -1 : allocation;
}

void* HeapBuffer::Resize(int newSize, bool resizeDown) {
  newSize = std::max(newSize, 0);
  if (newSize == mSize)
    return Get();

  long long threshold = 0;
  if (resizeDown && newSize < mSize)
    threshold = std::max(std::min(static_cast<long long>(mAllocation) / 2,
                                  static_cast<long long>(mAllocation) - 4LL * mGranularity),
                         1LL);

  if (newSize > mAllocation || newSize < threshold) {
    const long long allocation = AllocationFor(newSize, mGranularity);
    if (allocation < 0)
      return Get(); // would not fit in an int: keep everything as it was
    if (allocation != mAllocation) {
      if (allocation == 0) {
        std::free(mData);
        mData = nullptr;
        mAllocation = 0;
        mSize = 0;
        return nullptr;
      }
      char* data = static_cast<char*>(std::realloc(mData, static_cast<size_t>(allocation)));
      if (!data) {
        data = static_cast<char*>(std::malloc(static_cast<size_t>(allocation)));
        if (!data)
          return Get();
        if (mData)
          std::memcpy(data, mData, static_cast<size_t>(std::min(mSize, newSize)));
        std::free(mData);
      }
      mData = data;
      mAllocation = static_cast<int>(allocation);
    }
  }
  mSize = newSize;
  return Get();
}

} // namespace keel
