// A parameter's ID (fixed 32-byte array) and value of type T (bool, int or double).
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostReporting.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IParameterValue.h"

#include <atomic>
#include <cstring>
#include <type_traits>

// A value type: made on a host thread, read on the real-time thread after it was handed over. The value
// itself is atomic: a parameter's live value (the master bypass) is read by the real-time call while a
// host thread writes it.
template <typename T> class HMX_CParameterValue : public HMX_IParameterValue {
public:
  HMX_CParameterValue(const char* id, T value) : mValue(value) { SetID(id); }
  HMX_CParameterValue(const HMX_CParameterValue& other) : HMX_IParameterValue(other), mValue(other.Value()) {
    std::memcpy(mID, other.mID, sizeof mID);
  }
  HMX_CParameterValue& operator=(const HMX_CParameterValue&) = delete;

  HMX_IParameterValue* CopyValue() const override { return new HMX_CParameterValue(*this); }
  const char* ParameterID() const override { return mID; }

  bool ReadBool(bool& out) const override { return Read<bool>(out); }
  bool ReadInt32(int32_t& out) const override { return Read<int32_t>(out); }
  bool ReadFloat(float&) const override { return false; }
  bool ReadDouble(double& out) const override { return Read<double>(out); }
  bool ReadText(HMX_IString*) const override { return false; }

  T Value() const { return mValue.load(std::memory_order_relaxed); }
  void SetValue(T value) { mValue.store(value, std::memory_order_relaxed); }

  // Copies the ID; a longer one is reported to the host and cut to its first 31 characters.
  void SetID(const char* id) {
    const char* text = id ? id : "";
    const size_t length = std::strlen(text);
    if (!(length < size_t(eParameterDefaultMaxIdentifierSize)))
      HMX::HostAssert("HMX_CParameter", __LINE__, "len < eParameterDefaultMaxIdentifierSize");
    const size_t kept = length < size_t(eParameterDefaultMaxIdentifierSize)
                            ? length
                            : size_t(eParameterDefaultMaxIdentifierSize - 1);
    std::memcpy(mID, text, kept);
    std::memset(mID + kept, 0, sizeof mID - kept);
  }

private:
  template <typename U> bool Read(U& out) const {
    if constexpr (std::is_same_v<T, U>) {
      out = Value();
      return true;
    } else {
      return false;
    }
  }

  char mID[eParameterDefaultMaxIdentifierSize] = {};
  std::atomic<T> mValue;
  static_assert(std::atomic<T>::is_always_lock_free);
};
