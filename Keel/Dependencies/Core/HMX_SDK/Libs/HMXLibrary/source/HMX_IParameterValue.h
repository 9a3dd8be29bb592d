// A parameter's ID and value, copied so that it can travel to the real-time thread.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IString.h"

#include <cstdint>

// IDs are at most 31 characters and a NUL.
inline constexpr int32_t eParameterDefaultMaxIdentifierSize = 32;

class HMX_IParameterValue {
public:
  virtual ~HMX_IParameterValue() = default;
  // A heap copy that the caller owns.
  virtual HMX_IParameterValue* CopyValue() const = 0;
  virtual const char* ParameterID() const = 0;
  // Each read answers only in the instance of its own type; float and text never answer.
  virtual bool ReadBool(bool& out) const = 0;
  virtual bool ReadInt32(int32_t& out) const = 0;
  virtual bool ReadFloat(float& out) const = 0;
  virtual bool ReadDouble(double& out) const = 0;
  virtual bool ReadText(HMX_IString* out) const = 0;
};
