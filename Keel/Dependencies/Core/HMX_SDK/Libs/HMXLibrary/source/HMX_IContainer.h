// Container and pointer-queue interfaces of the HMX library; queues hold pointers they do not own.
#pragma once

#include <cstdint>

class HMX_IContainer {
public:
  enum EStatus : int32_t {
    eStatus_Success = 0,
    eStatus_Full = 1,
    eStatus_NullItem = 4,
  };
  virtual ~HMX_IContainer() = default;
  virtual void Clear() = 0;
};

template <typename T> class HMX_IPointerQueue : public HMX_IContainer {
public:
  virtual int32_t Push(T* item) = 0;
  virtual T* Pop() = 0;
  virtual T* Peek() const = 0;
};
