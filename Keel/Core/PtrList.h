// List of owned pointers on a HeapBuffer; emptying it deletes the objects.
#pragma once

#include "Keel/Core/HeapBuffer.h"

namespace keel {

template <class T> class PtrList {
public:
  PtrList() = default;
  ~PtrList() { Empty(true); }
  PtrList(const PtrList&) = delete;
  PtrList& operator=(const PtrList&) = delete;

  int GetSize() const { return mBuf.GetSize() / static_cast<int>(sizeof(T*)); }
  T* Get(int index) const {
    T** list = static_cast<T**>(mBuf.Get());
    return list && index >= 0 && index < GetSize() ? list[index] : nullptr;
  }
  T* const* GetList() const { return static_cast<T* const*>(mBuf.Get()); }

  // Takes ownership. Returns the pointer, or null (and deletes nothing) when the list could not grow.
  T* Add(T* item) {
    const int n = GetSize();
    T** list = static_cast<T**>(mBuf.Resize((n + 1) * static_cast<int>(sizeof(T*)), false));
    if (GetSize() != n + 1)
      return nullptr;
    list[n] = item;
    return item;
  }

  // Removes the entries from the last to the first, deleting each when asked, then frees the buffer.
  void Empty(bool deleteObjects = true) {
    for (int i = GetSize() - 1; i >= 0; --i) {
      T* item = static_cast<T**>(mBuf.Get())[i];
      mBuf.Resize(i * static_cast<int>(sizeof(T*)), false);
      if (deleteObjects)
        delete item;
    }
    mBuf.Resize(0);
  }

private:
  HeapBuffer mBuf{4096};
};

} // namespace keel
