// Turns a list of named, typed values into the data part of a host chunk and back.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_Types.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CString.h"

#include <vector>

// Data part: 01 01 01 01, then per entry a key (type prefix, name, NUL, zero-padded to 4 bytes) and a
// value (big-endian numbers; strings NUL-terminated and padded to 4 bytes).
// Threads: one owner at a time; reused for every chunk operation.
class HMX_CChunkDataParser {
public:
  enum EntryType : int32_t {
    kTypeNone = 0,
    kTypeFloat = 1,  // "f_"
    kTypeInt32 = 2,  // "l_"
    kTypeDouble = 3, // "d_"
    kTypeInt16 = 4,  // "s_"
    kTypeString = 5, // "r_"
  };
  struct ChunkEntry {
    int32_t type = kTypeNone;
    HMX_CString name;    // without the type prefix
    int64_t integer = 0; // an int32 or int16 value, or a float's bits
    double real = 0.0;   // a double value
    HMX_CString text;    // a string value
  };

  static constexpr HMX_Result kErrorChunkData = -333;

  HMX_CChunkDataParser() = default;
  virtual ~HMX_CChunkDataParser() = default;

  void Clear();
  void AddInt32(const char* name, int32_t value);
  void AddDouble(const char* name, double value);
  void AddString(const char* name, const HMX_IString& value);

  // Bytes of the data part for the current entries; negative when it would not fit an int32.
  int32_t ChunkDataSize() const;
  // Writes the data part (the chunk must hold ChunkDataSize bytes after its header) and the size
  // field; 0, or kErrorChunkData (traced) on failure.
  HMX_Result GetChunkData(PlugInChunk& chunk) const;
  // Replaces the entries with those of the chunk's data part (mSize bytes) and takes its version.
  // Malformed data ends the reading: entries read before it stay.
  void LoadChunk(const PlugInChunk& chunk);

  // Index of the entry with exactly that name, or -1; searches on from the last hit, then wraps.
  int32_t FindEntry(const char* name);
  bool FindInt32(const char* name, int32_t& out);
  bool FindDouble(const char* name, double& out);
  bool FindString(const char* name, HMX_IString* out);

  int32_t Version() const { return mVersion; }
  int32_t LastFoundIndex() const { return mLastFoundIndex; }
  const std::vector<ChunkEntry>& Entries() const { return mEntries; }

private:
  void WriteEntries(uint8_t* data, uint32_t size) const;
  const ChunkEntry* Found(const char* name, int32_t type);

  int32_t mLastFoundIndex = -1;
  int32_t mVersion = -1;
  std::vector<ChunkEntry> mEntries;
};
