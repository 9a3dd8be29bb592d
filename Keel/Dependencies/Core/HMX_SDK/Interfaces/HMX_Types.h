// Plain types shared by the module and the HMX host: result codes, interface IDs, chunk record.
#pragma once

#include <cstddef>
#include <cstdint>

using HMX_Result = int32_t;

// 128-bit interface and class identifier, laid out like the host's GUIDs.
struct HMX_GUID {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
  friend constexpr bool operator==(const HMX_GUID& a, const HMX_GUID& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3)
      return false;
    for (int i = 0; i < 8; ++i)
      if (a.data4[i] != b.data4[i])
        return false;
    return true;
  }
};

// Four-character codes are 32-bit values whose bytes, most significant first, spell the characters.
constexpr uint32_t HMX_FourCC(const char (&text)[5]) {
  return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
         (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3]));
}

// A view size as the host passes it: height first, then width.
struct HMX_ViewSize {
  float height;
  float width;
};

// Chunk record exchanged with the host. The data part follows the 56-byte header and is as long as
// mSize says; whoever allocates the record allocates header and data together.
struct PlugInChunk {
  int32_t mSize;
  int32_t mVersion;
  uint32_t mReserved[3]; // left as the host passes them
  uint32_t mChunkID;
  char mName[32];

  static constexpr size_t kDataOffset = 56;
  uint8_t* Data() { return reinterpret_cast<uint8_t*>(this) + kDataOffset; }
  const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(this) + kDataOffset; }
};
static_assert(offsetof(PlugInChunk, mChunkID) == 20 && offsetof(PlugInChunk, mName) == 24);
static_assert(sizeof(PlugInChunk) == PlugInChunk::kDataOffset);

// Procedures that the description registers with the host.
class IHCFUnknown;
using HMX_CreateProc = IHCFUnknown* (*)();
using HMX_ProcessProc = void (*)(void* firstInstanceContext, void* endInstanceContext);
using HMX_InstanceInitProc = HMX_Result (*)(void* instanceContext);
using HMX_BackgroundProc = HMX_Result (*)(void* instanceContext);
