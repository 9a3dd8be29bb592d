// Turns a list of named, typed values into the data part of a host chunk and back.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CChunkDataParser.h"

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostReporting.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

constexpr uint8_t kMarker[4] = {1, 1, 1, 1};
constexpr uint32_t kMaxKeyBytes = 255; // a key and its NUL are read from at most this many bytes

constexpr uint64_t RoundUp4(uint64_t n) {
  return (n + 3) & ~uint64_t(3);
}

const char* Prefix(int32_t type) {
  switch (type) {
  case HMX_CChunkDataParser::kTypeFloat:
    return "f_";
  case HMX_CChunkDataParser::kTypeInt32:
    return "l_";
  case HMX_CChunkDataParser::kTypeDouble:
    return "d_";
  case HMX_CChunkDataParser::kTypeInt16:
    return "s_";
  case HMX_CChunkDataParser::kTypeString:
    return "r_";
  default:
    return nullptr;
  }
}

uint64_t ValueBytes(const HMX_CChunkDataParser::ChunkEntry& entry) {
  switch (entry.type) {
  case HMX_CChunkDataParser::kTypeDouble:
    return 8;
  case HMX_CChunkDataParser::kTypeString:
    return RoundUp4(uint64_t(entry.text.Length()) + 1);
  default:
    return 4;
  }
}

void WriteBigEndian(uint8_t* out, uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i, value >>= 8)
    out[i] = uint8_t(value);
}

uint64_t ReadBigEndian(const uint8_t* in, int bytes) {
  uint64_t value = 0;
  for (int i = 0; i < bytes; ++i)
    value = (value << 8) | in[i];
  return value;
}

} // namespace

void HMX_CChunkDataParser::Clear() {
  mEntries.clear();
  mLastFoundIndex = -1;
  mVersion = -1;
}

void HMX_CChunkDataParser::AddInt32(const char* name, int32_t value) {
  ChunkEntry entry;
  entry.type = kTypeInt32;
  entry.name = name;
  entry.integer = value;
  mEntries.push_back(std::move(entry));
}

void HMX_CChunkDataParser::AddDouble(const char* name, double value) {
  ChunkEntry entry;
  entry.type = kTypeDouble;
  entry.name = name;
  entry.real = value;
  mEntries.push_back(std::move(entry));
}

void HMX_CChunkDataParser::AddString(const char* name, const HMX_IString& value) {
  ChunkEntry entry;
  entry.type = kTypeString;
  entry.name = name;
  entry.text = value;
  mEntries.push_back(std::move(entry));
}

int32_t HMX_CChunkDataParser::ChunkDataSize() const {
  uint64_t size = sizeof kMarker;
  for (const ChunkEntry& entry : mEntries)
    size += RoundUp4(uint64_t(entry.name.Length()) + 3) + ValueBytes(entry);
  return size > uint64_t(std::numeric_limits<int32_t>::max()) ? -1 : int32_t(size);
}

void HMX_CChunkDataParser::WriteEntries(uint8_t* data, uint32_t size) const {
  std::memset(data, 0, size);
  std::memcpy(data, kMarker, sizeof kMarker);
  uint64_t position = sizeof kMarker;
  for (const ChunkEntry& entry : mEntries) {
    const uint64_t keyEnd = RoundUp4(position + 2 + entry.name.Length() + 1);
    if (keyEnd + ValueBytes(entry) > size)
      throw std::out_of_range("aborting: chunk data will overflow buffer");
    if (const char* prefix = Prefix(entry.type))
      std::memcpy(data + position, prefix, 2);
    std::memcpy(data + position + 2, entry.name.Text(), entry.name.Length()); // the NUL is already there
    position = keyEnd;
    switch (entry.type) {
    case kTypeDouble: {
      uint64_t bits;
      std::memcpy(&bits, &entry.real, sizeof bits);
      WriteBigEndian(data + position, bits, 8);
      break;
    }
    case kTypeInt16:
      WriteBigEndian(data + position, uint64_t(entry.integer), 2);
      break;
    case kTypeString:
      std::memcpy(data + position, entry.text.Text(), entry.text.Length());
      break;
    default:
      WriteBigEndian(data + position, uint64_t(entry.integer), 4);
      break;
    }
    position += ValueBytes(entry);
  }
}

HMX_Result HMX_CChunkDataParser::GetChunkData(PlugInChunk& chunk) const {
  try {
    const int32_t size = ChunkDataSize();
    if (size < int32_t(sizeof kMarker))
      return kErrorChunkData;
    WriteEntries(chunk.Data(), uint32_t(size));
    chunk.mSize = size;
    return HMX_SUCCESS;
  } catch (const std::exception& e) {
    HMX::HostTrace(HMX::kTracePriorityException, "HMX_CChunkDataParser::GetChunkData ERROR: %s", e.what());
  } catch (...) {
  }
  return kErrorChunkData;
}

void HMX_CChunkDataParser::LoadChunk(const PlugInChunk& chunk) {
  Clear();
  mVersion = chunk.mVersion;
  const int64_t n = chunk.mSize;
  const uint8_t* data = chunk.Data();
  if (n <= int64_t(sizeof kMarker) || std::memcmp(data, kMarker, sizeof kMarker) != 0)
    return;
  int64_t position = sizeof kMarker;
  while (position < n) {
    const int64_t keyWindow = std::min<int64_t>(n - position, kMaxKeyBytes);
    const auto* keyStart = reinterpret_cast<const char*>(data + position);
    const void* nul = std::memchr(keyStart, 0, size_t(keyWindow));
    if (!nul)
      return; // a key without its NUL inside the data or within 255 bytes
    const size_t keyLength = size_t(static_cast<const char*>(nul) - keyStart);
    ChunkEntry entry;
    entry.name = keyLength > 2 ? std::string(keyStart + 2, keyLength - 2).c_str() : "";
    position = int64_t(RoundUp4(uint64_t(position) + keyLength + 1));
    // The key may end on the last data byte, leaving the rounded position past the end.
    auto need = [&](int64_t bytes) { return position + bytes <= n; };
    switch (keyLength ? keyStart[0] : '\0') {
    case 'd': {
      if (!need(8))
        return;
      const uint64_t bits = ReadBigEndian(data + position, 8);
      std::memcpy(&entry.real, &bits, sizeof bits);
      entry.type = kTypeDouble;
      position += 8;
      break;
    }
    case 'f':
    case 'l':
      if (!need(4))
        return;
      entry.type = keyStart[0] == 'f' ? kTypeFloat : kTypeInt32;
      entry.integer = keyStart[0] == 'f' ? int64_t(ReadBigEndian(data + position, 4))
                                         : int64_t(int32_t(uint32_t(ReadBigEndian(data + position, 4))));
      position += 4;
      break;
    case 's':
      if (!need(2))
        return;
      entry.type = kTypeInt16;
      entry.integer = int16_t(uint16_t(ReadBigEndian(data + position, 2)));
      position += 4;
      break;
    case 'r': {
      if (!need(1))
        return; // no room for even the string's NUL
      const auto* text = reinterpret_cast<const char*>(data + position);
      const void* end = std::memchr(text, 0, size_t(n - position));
      if (!end)
        return; // a string that runs past the data
      const size_t length = size_t(static_cast<const char*>(end) - text);
      entry.type = kTypeString;
      entry.text = std::string(text, length).c_str();
      position = int64_t(RoundUp4(uint64_t(position) + length + 1));
      break;
    }
    default:
      entry.type = kTypeNone;
      break; // unknown key: kept, no value read
    }
    mEntries.push_back(std::move(entry));
  }
}

int32_t HMX_CChunkDataParser::FindEntry(const char* name) {
  if (!name)
    return -1;
  const int32_t count = int32_t(mEntries.size());
  if (mLastFoundIndex >= count - 1)
    mLastFoundIndex = -1;
  if (mLastFoundIndex < -1)
    return -1;
  for (int32_t i = mLastFoundIndex + 1; i < count; ++i)
    if (std::strcmp(mEntries[size_t(i)].name.Text(), name) == 0)
      return mLastFoundIndex = i;
  if (mLastFoundIndex == -1)
    return -1;
  for (int32_t i = 0; i <= mLastFoundIndex; ++i)
    if (std::strcmp(mEntries[size_t(i)].name.Text(), name) == 0)
      return mLastFoundIndex = i;
  return -1;
}

const HMX_CChunkDataParser::ChunkEntry* HMX_CChunkDataParser::Found(const char* name, int32_t type) {
  const int32_t index = FindEntry(name);
  if (index < 0 || mEntries[size_t(index)].type != type)
    return nullptr;
  return &mEntries[size_t(index)];
}

bool HMX_CChunkDataParser::FindInt32(const char* name, int32_t& out) {
  const ChunkEntry* entry = Found(name, kTypeInt32);
  if (!entry)
    return false;
  out = int32_t(entry->integer);
  return true;
}

bool HMX_CChunkDataParser::FindDouble(const char* name, double& out) {
  const ChunkEntry* entry = Found(name, kTypeDouble);
  if (!entry)
    return false;
  out = entry->real;
  return true;
}

bool HMX_CChunkDataParser::FindString(const char* name, HMX_IString* out) {
  const ChunkEntry* entry = out ? Found(name, kTypeString) : nullptr;
  if (!entry)
    return false;
  out->SetText(entry->text.Text());
  return true;
}
