// The MKS-80 conversation of one processor: classifies incoming system-exclusive messages, answers the
// handshake, and runs the bulk receive and bulk send state machines with their five-second timers.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "Keel/Core/RingQueue.h"
#include "Keel/Core/SysExRecord.h"
#include "library/Mks80Messages.h"
#include "library/Mks80Parser.h"

namespace vlm {

// One handshake message waiting for the state machines.
struct MksTransferRecord {
  std::uint8_t operation = 0;
  std::uint8_t unit = 0;
  std::uint8_t format = 0;
  std::uint8_t checksum = 0;
  std::array<std::uint8_t, kMksDatDataBytes> data{};
};
static_assert(sizeof(MksTransferRecord) == 252);

// A short answer to the MKS-80 (ACK, ERR or RJC), packed as operation | unit << 8.
struct MksReply {
  std::uint16_t packed = 0;
  static MksReply Make(std::uint8_t operation, std::uint8_t unit) {
    return {static_cast<std::uint16_t>(operation | unit << 8)};
  }
  std::uint8_t Operation() const { return static_cast<std::uint8_t>(packed & 0xFF); }
  std::uint8_t Unit() const { return static_cast<std::uint8_t>(packed >> 8); }
};
static_assert(sizeof(MksReply) == 2);

// Threads: UI thread only (the idle tick, the page's preset actions); the two send flags are atomic so
// that other threads may look at them.
class Mks80Traffic {
public:
  static constexpr std::int64_t kTimeoutMs = 5000; // the MKS-80 answers within this, or never
  static constexpr int kMaxPollPerTick = 64;       // the rest waits in the port's own queue
  static constexpr int kMaxDropLogLines = 100;
  // A real dump is 16 DATs; a stream far past that is no dump, and holding it would grow without bound.
  static constexpr int kMaxReceivedDats = 256;
  static constexpr int kTypicalDumpDats = 16;
  static_assert(kMaxReceivedDats % kTypicalDumpDats == 0, "the buffer doubles from one dump to the cap");

  // What the traffic needs from its processor; everything is called on the UI thread.
  struct Hooks {
    std::function<std::int64_t()> nowMs;
    // One complete message by the MKS-80 route (dedicated output when open, else the host).
    std::function<void(const std::uint8_t* data, std::size_t size)> sendToDevice;
    // A change decoded from the MKS-80 for the idle work; false when its ring is full.
    std::function<bool(int index, double normalized)> pushParamChange;
    // A tag 203 answer to the page.
    std::function<void(const nlohmann::json& result)> sendResult;
    std::function<void(const std::string& line)> log;
  };

  explicit Mks80Traffic(Hooks hooks);
  Mks80Traffic(const Mks80Traffic&) = delete;
  Mks80Traffic& operator=(const Mks80Traffic&) = delete;

  // --- Incoming ---
  // One incoming system-exclusive message: parameter messages to the idle work, handshake messages to the
  // transfer ring (answered at once where the protocol says so), everything else dropped and logged.
  void DirectSysEx(const std::uint8_t* data, std::size_t size);
  // Reads at most 64 messages from the dedicated input (poll fills the vector, false when none came).
  int DrainDedicatedInput(const std::function<bool(std::vector<std::uint8_t>&)>& poll);
  // Drains the host's queue; while the dedicated input is open the host's messages are discarded.
  void DrainHostSysEx(const std::function<bool(keel::SysExRecord&)>& pop, bool dedicatedInOpen);

  // --- The idle tick's steps ---
  void SendReplies();  // every queued ACK, ERR and RJC
  void RunTransfers(); // the state machines on every queued record, then a completed dump
  void RunTimers();    // the request and send time-outs

  // --- Started from the page ---
  // requestMksBulkDump: waits for the MKS-80's dump and sends the RQF that asks for it; returns its length.
  std::size_t StartBulkRequest();
  // dumpMidFileStart: drops any previous send, stores the bytes and arms when they hold a DAT frame.
  // Returns the number of frames.
  std::size_t ArmSend(std::vector<std::uint8_t> data);
  // dumpMidFileCancel: EOF when a transfer was running; the send state is cleared.
  struct CancelOutcome {
    bool wasActive = false;
    int acknowledged = 0; // DATs the MKS-80 had taken before the cancel
  };
  CancelOutcome CancelSend();
  // mksBulkDumpFormatChoice: takes the last completed dump out (and so clears it).
  void TakeCompletedDump(std::vector<std::uint8_t>& bytes, int& datCount);

  bool IsSendArmed() const { return mSendArmed.load(std::memory_order_acquire); }
  bool IsSendActive() const { return mSendActive.load(std::memory_order_acquire); }
  bool IsRequestPending() const { return mRequestPending; }
  bool IsReceiving() const { return mReceiving; }
  int GetReceivedDatCount() const { return mReceivedDats; }
  int GetAcknowledgedCount() const { return mAcknowledged; }
  std::size_t GetReceiveBufferBytes() const { return mReceiveBuffer.capacity(); }

private:
  Hooks mHooks;
  keel::RingQueue<MksTransferRecord> mTransfers{65};
  keel::RingQueue<MksReply> mReplies{65};
  int mDropLogLines = 0;
  bool mFirstParamAccepted = false;
  bool mFirstHostAccepted = false;

  // Bulk receive.
  std::vector<std::uint8_t> mReceiveBuffer;
  int mReceivedDats = 0;
  bool mReceiving = false;
  std::vector<std::uint8_t> mCompletedDump;
  int mCompletedDats = 0;
  bool mRequestPending = false;
  std::int64_t mRequestStartMs = 0;
  std::int64_t mLastReceiveMs = 0; // when the dump being received last brought a frame
  bool mRefusingDats = false;      // after an overflow, until the stream ends: DATs are answered RJC

  // Bulk send.
  std::atomic<bool> mSendArmed{false};
  std::atomic<bool> mSendActive{false};
  std::vector<std::uint8_t> mSendData;
  std::vector<MksFrameSpan> mFrames;
  std::size_t mNextFrame = 0;
  std::int64_t mLastSendMs = 0;
  std::uint8_t mTransferUnit = 0;
  int mAcknowledged = 0;

  void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // The shared budget of the receiver's diagnostic lines; false once it is spent.
  bool TakeDropLogLine();
  void QueueReply(std::uint8_t operation, std::uint8_t unit);
  void OnHandshake(const MksHandshakeFrame& frame);
  void LogDropped(const std::uint8_t* data, std::size_t size, const char* reason, bool repliedErr);
  // Receive side; true when an EOF closed a non-empty dump.
  bool OnReceiveRecord(const MksTransferRecord& record);
  // Drops the dump being received and gives its memory back.
  void DiscardReceive();
  void TellReceiveFailed(const std::string& message, int datCount);
  void OnSendRecord(const MksTransferRecord& record);
  void SendFrame(std::size_t frame);
  void SendEof(std::uint8_t unit);
  void SendDumpResult(const std::string& status, int count, const std::string& message);
  void ClearSend();
};

} // namespace vlm
