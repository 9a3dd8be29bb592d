// Growable byte buffer with the framework's fixed growth and shrink policy.
#pragma once

#include <climits>

namespace keel {

// One owner, one thread at a time. Sizes are ints because chunk and string formats store them as int32.
class HeapBuffer {
public:
  // granularity: growth step in bytes; 4096 and above selects page-sized growth.
  explicit HeapBuffer(int granularity = 4096) : mGranularity(granularity) {}
  ~HeapBuffer();
  HeapBuffer(const HeapBuffer&) = delete;
  HeapBuffer& operator=(const HeapBuffer&) = delete;
  HeapBuffer(HeapBuffer&& other) noexcept;
  HeapBuffer& operator=(HeapBuffer&& other) noexcept;

  // Sets the size in use; returns the data, or null when the new size is 0. When memory runs out the old
  // data and size stay, so a caller detects failure by comparing GetSize() with what it asked for.
  void* Resize(int newSize, bool resizeDown = true);

  // The data while the size is not 0, else null.
  void* Get() const { return mSize ? mData : nullptr; }
  int GetSize() const { return mSize; }
  int GetAllocation() const { return mAllocation; }
  int GetGranularity() const { return mGranularity; }

  // The allocation the policy chooses for a size (0 for 0); -1 when it would not fit in an int.
  static long long AllocationFor(long long size, int granularity);

private:
  char* mData = nullptr;
  int mAllocation = 0;
  int mSize = 0;
  int mGranularity;
};

// A HeapBuffer seen as an array of trivially copyable T.
template <class T> class TypedHeapBuffer {
public:
  explicit TypedHeapBuffer(int granularityBytes = 4096) : mBuf(granularityBytes) {}
  // A count whose bytes would not fit in an int leaves the buffer unchanged.
  T* Resize(int count, bool resizeDown = true) {
    const long long bytes = static_cast<long long>(count) * static_cast<long long>(sizeof(T));
    if (bytes > INT_MAX)
      return Get();
    return static_cast<T*>(mBuf.Resize(static_cast<int>(bytes), resizeDown));
  }
  T* Get() const { return static_cast<T*>(mBuf.Get()); }
  int GetSize() const { return mBuf.GetSize() / static_cast<int>(sizeof(T)); }
  HeapBuffer& Raw() { return mBuf; }
  const HeapBuffer& Raw() const { return mBuf; }

private:
  HeapBuffer mBuf;
};

} // namespace keel
