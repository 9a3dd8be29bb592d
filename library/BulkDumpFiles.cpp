// The Standard MIDI File container of a received MKS-80 bulk dump.
#include "library/BulkDumpFiles.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "library/Mks80Messages.h"

namespace vlm {

namespace {

constexpr std::uint32_t kTicksPerQuarter = 480;
constexpr std::uint32_t kMessageGapTicks = 192; // 200 ms at 500000 us per quarter: the MKS-80 keeps up

// A system-exclusive event: delta, F0, the length of the rest, the message without its F0.
void AppendSysExEvent(std::vector<std::uint8_t>& track, std::uint32_t delta, const std::uint8_t* message,
                      std::size_t size) {
  AppendVarLen(track, delta);
  track.push_back(0xF0);
  AppendVarLen(track, static_cast<std::uint32_t>(size - 1));
  track.insert(track.end(), message + 1, message + size);
}

std::uint32_t ReadUInt32BE(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

// A variable-length quantity inside [at, end); false when it runs past the end or over four bytes.
bool ReadVarLen(std::span<const std::uint8_t> bytes, std::size_t& at, std::size_t end, std::uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (at >= end)
      return false;
    const std::uint8_t b = bytes[at++];
    value = value << 7 | (b & 0x7Fu);
    if ((b & 0x80) == 0)
      return true;
  }
  return false;
}

// One track's system-exclusive bytes appended to out; false when the track is malformed.
bool AppendTrackSysEx(std::span<const std::uint8_t> smf, std::size_t at, std::size_t end,
                      std::vector<std::uint8_t>& out) {
  std::uint8_t running = 0;
  while (at < end) {
    std::uint32_t delta = 0;
    if (!ReadVarLen(smf, at, end, delta) || at >= end)
      return false;
    std::uint8_t status = smf[at];
    if (status == 0xF0 || status == 0xF7) {
      ++at;
      std::uint32_t length = 0;
      if (!ReadVarLen(smf, at, end, length) || length > end - at)
        return false;
      if (status == 0xF0)
        out.push_back(0xF0); // the event leaves its F0 out; an F7 event carries its bytes as they are
      out.insert(out.end(), smf.begin() + static_cast<std::ptrdiff_t>(at),
                 smf.begin() + static_cast<std::ptrdiff_t>(at + length));
      at += length;
      running = 0;
      continue;
    }
    if (status == 0xFF) {
      at += 2;
      std::uint32_t length = 0;
      if (at > end || !ReadVarLen(smf, at, end, length) || length > end - at)
        return false;
      at += length;
      continue;
    }
    if (status & 0x80) {
      running = status;
      ++at;
    } else if (running == 0) {
      return false; // a data byte with no status before it
    }
    const std::uint8_t kind = running & 0xF0;
    const std::size_t dataBytes = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
    if (dataBytes > end - at)
      return false;
    at += dataBytes;
  }
  return true;
}

} // namespace

std::vector<std::uint8_t> SysExFromSmf(std::span<const std::uint8_t> smf) {
  std::vector<std::uint8_t> out;
  std::size_t at = 0;
  bool header = false;
  while (smf.size() - at >= 8) {
    const bool isHeader = std::equal(smf.begin() + static_cast<std::ptrdiff_t>(at),
                                     smf.begin() + static_cast<std::ptrdiff_t>(at + 4), "MThd");
    const bool isTrack = std::equal(smf.begin() + static_cast<std::ptrdiff_t>(at),
                                    smf.begin() + static_cast<std::ptrdiff_t>(at + 4), "MTrk");
    const std::uint32_t length = ReadUInt32BE(smf, at + 4);
    at += 8;
    if (length > smf.size() - at || (!header && !isHeader))
      return {};
    header = true;
    if (isTrack && !AppendTrackSysEx(smf, at, at + length, out))
      return {};
    at += length;
  }
  return out;
}

void AppendUInt32BE(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (count > 1)
    out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
  out.push_back(groups[0]);
}

std::vector<std::uint8_t> BuildSysExDumpSmf(std::span<const std::uint8_t> dump, int datCount) {
  if (dump.empty() || datCount <= 0)
    return {};

  std::vector<std::uint8_t> events;
  int messages = 0;
  int unit = -1;
  for (std::size_t pos = 0; pos < dump.size(); ++pos) {
    if (dump[pos] != 0xF0)
      continue;
    std::size_t end = pos + 1;
    while (end < dump.size() && dump[end] != 0xF7)
      ++end;
    if (end >= dump.size())
      break; // an unfinished message ends the scan
    const std::size_t size = end - pos + 1;
    if (unit < 0 && size >= 5 && dump[pos + 1] == 0x41 && dump[pos + 2] == kMksOpDat)
      unit = dump[pos + 3] & 0x0F;
    AppendSysExEvent(events, kMessageGapTicks, dump.data() + pos, size);
    ++messages;
    pos = end;
  }
  if (messages == 0)
    return {};
  if (unit < 0)
    unit = 0;

  std::vector<std::uint8_t> track = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}; // 500000 us per quarter
  std::uint8_t wsf[kMksFileMessageLength];
  AppendSysExEvent(track, 0, wsf, BuildWsfMessage(unit, wsf, sizeof wsf));
  track.insert(track.end(), events.begin(), events.end());
  std::uint8_t eof[kMksShortHandshakeLength];
  AppendSysExEvent(track, kMessageGapTicks, eof, BuildEofMessage(unit, eof, sizeof eof));
  track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});

  std::vector<std::uint8_t> file = {'M',
                                    'T',
                                    'h',
                                    'd',
                                    0,
                                    0,
                                    0,
                                    6,
                                    0,
                                    0,
                                    0,
                                    1,
                                    static_cast<std::uint8_t>(kTicksPerQuarter >> 8),
                                    static_cast<std::uint8_t>(kTicksPerQuarter & 0xFF),
                                    'M',
                                    'T',
                                    'r',
                                    'k'};
  AppendUInt32BE(file, static_cast<std::uint32_t>(track.size()));
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

namespace {

std::string LowerExtension(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

} // namespace

void ApplyDumpFileExtension(std::filesystem::path& path) {
  const std::string ext = LowerExtension(path);
  if (ext != ".mid" && ext != ".midi" && ext != ".syx")
    path.replace_extension(".mid");
}

bool IsRawSysExFileName(const std::filesystem::path& path) {
  return LowerExtension(path) == ".syx";
}

std::vector<std::uint8_t> DumpFileContent(const std::filesystem::path& path,
                                          std::vector<std::uint8_t> bytes) {
  if (!IsRawSysExFileName(path) || (!bytes.empty() && bytes[0] == 0xF0))
    return bytes;
  return SysExFromSmf(bytes);
}

std::string MakeBackupFileName() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  return std::string("MKS-80-Backup-") + stamp;
}

} // namespace vlm
