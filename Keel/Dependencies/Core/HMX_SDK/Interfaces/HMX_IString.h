// The string interface of the host boundary: byte text (UTF-8), NUL-terminated, length without the NUL.
#pragma once

#include <cstdint>

class HMX_IString {
public:
  virtual ~HMX_IString() = default;
  virtual uint32_t Length() const = 0;
  virtual uint32_t MaxLength() const = 0;
  virtual const char* Text() const = 0;
  virtual void SetText(const char* text) = 0;
  virtual HMX_IString& operator=(const char* text) = 0;
  virtual HMX_IString& operator=(const HMX_IString& other) = 0;
};
