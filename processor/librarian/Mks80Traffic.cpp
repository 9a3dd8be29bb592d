// The MKS-80 conversation: receiver, replies, bulk receive and bulk send with their time-outs.
#include "processor/librarian/Mks80Traffic.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

#include <nlohmann/json.hpp>

#include "library/PresetLibrary.h"

namespace vlm {

namespace {

bool IsOneOf(std::uint8_t op, std::initializer_list<std::uint8_t> ops) {
  for (const std::uint8_t candidate : ops)
    if (op == candidate)
      return true;
  return false;
}

} // namespace

Mks80Traffic::Mks80Traffic(Hooks hooks) : mHooks(std::move(hooks)) {}

void Mks80Traffic::Log(const char* format, ...) {
  if (!mHooks.log)
    return;
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  mHooks.log(line);
}

bool Mks80Traffic::TakeDropLogLine() {
  if (mDropLogLines >= kMaxDropLogLines)
    return false;
  ++mDropLogLines;
  return true;
}

void Mks80Traffic::QueueReply(std::uint8_t operation, std::uint8_t unit) {
  mReplies.Push(MksReply::Make(operation, unit)); // a full reply ring loses the reply
}

// --- Incoming ---

void Mks80Traffic::DirectSysEx(const std::uint8_t* data, std::size_t size) {
  if (!data || size < 6)
    return;
  const MksParamChanges ipr = ParseIprMessage(data, size);
  const MksParamChanges apr = ipr.ok ? MksParamChanges{} : ParseAprMessage(data, size);
  const MksParamChanges& changes = ipr.ok ? ipr : apr;
  if (changes.ok) {
    if (!mFirstParamAccepted) {
      mFirstParamAccepted = true;
      Log("DirectSysEx: first IPR/APR accepted (op=0x%02X, %d changes)", data[2], changes.count);
    }
    for (int i = 0; i < changes.count; ++i) {
      const auto& entry = changes.entries[static_cast<std::size_t>(i)];
      if (mHooks.pushParamChange)
        mHooks.pushParamChange(entry.index, entry.normalized); // a full ring drops the change
    }
    return;
  }

  const MksHandshakeFrame frame = ParseHandshakeMessage(data, size);
  if (frame.ok) {
    OnHandshake(frame);
    return;
  }
  const bool repliedErr = frame.operation == kMksOpDat;
  if (repliedErr)
    QueueReply(kMksOpErr, frame.unit); // the unit stays 0 when its own byte was bad
  const char* reason = ipr.error         ? ipr.error
                       : apr.error       ? apr.error
                       : frame.error     ? frame.error
                       : data[1] == 0x41 ? "unrecognized Roland opcode"
                                         : "non-Roland manufacturer ID";
  LogDropped(data, size, reason, repliedErr);
}

void Mks80Traffic::OnHandshake(const MksHandshakeFrame& frame) {
  MksTransferRecord record;
  record.operation = frame.operation;
  record.unit = frame.unit;
  record.format = kMksFormatType;
  switch (frame.operation) {
  case kMksOpAck:
  case kMksOpErr:
  case kMksOpRjc:
    if (IsSendActive()) {
      mTransfers.Push(record);
    } else if (frame.operation != kMksOpAck && TakeDropLogLine()) {
      Log("DirectSysEx: %s received outside transfer (unit=%d), ignored",
          frame.operation == kMksOpErr ? "ERR" : "RJC", frame.unit);
    }
    return;
  case kMksOpRqf:
    if (IsSendArmed()) {
      mTransfers.Push(record);
      return;
    }
    if (TakeDropLogLine())
      Log("DirectSysEx: RQF (bulk request) received (unit=%d) but bulk send is not armed -> replied RJC",
          frame.unit);
    QueueReply(kMksOpRjc, frame.unit);
    return;
  default: // WSF, DAT, EOF
    if (frame.operation == kMksOpDat && mRefusingDats) {
      QueueReply(kMksOpRjc, frame.unit); // the overflowed stream is refused until it ends or falls silent
      mLastReceiveMs = mHooks.nowMs();
      return;
    }
    if (frame.operation != kMksOpDat)
      mRefusingDats = false;
    record.format = frame.format;
    record.checksum = frame.checksum;
    record.data = frame.data;
    QueueReply(mTransfers.Push(record) ? kMksOpAck : kMksOpRjc, frame.unit);
    return;
  }
}

void Mks80Traffic::LogDropped(const std::uint8_t* data, std::size_t size, const char* reason,
                              bool repliedErr) {
  if (!TakeDropLogLine())
    return;
  char hex[80] = {};
  std::size_t used = 0;
  const std::size_t shown = size < 16 ? size : 16;
  for (std::size_t i = 0; i < shown && used + 4 < sizeof hex; ++i)
    used += static_cast<std::size_t>(
        std::snprintf(hex + used, sizeof hex - used, i == 0 ? "%02X" : " %02X", data[i]));
  if (size > 16 && used + 4 < sizeof hex)
    std::snprintf(hex + used, sizeof hex - used, " ...");
  Log("DirectSysEx: dropped (%s)%s len=%d: %s", reason, repliedErr ? " -> replied ERR" : "",
      static_cast<int>(size), hex);
  if (mDropLogLines == kMaxDropLogLines)
    Log("DirectSysEx: further dropped-message logs suppressed");
}

int Mks80Traffic::DrainDedicatedInput(const std::function<bool(std::vector<std::uint8_t>&)>& poll) {
  std::vector<std::uint8_t> message;
  int polled = 0;
  while (polled < kMaxPollPerTick && poll(message)) {
    ++polled;
    if (message.size() >= 2 && message[0] == 0xF0)
      DirectSysEx(message.data(), message.size());
  }
  return polled;
}

void Mks80Traffic::DrainHostSysEx(const std::function<bool(keel::SysExRecord&)>& pop, bool dedicatedInOpen) {
  keel::SysExRecord record;
  while (pop(record)) {
    if (dedicatedInOpen)
      continue; // the dedicated port speaks for the MKS-80; the host's copy is discarded, not deferred
    if (record.size < 2 || record.data[0] != 0xF0)
      continue;
    if (!mFirstHostAccepted) {
      mFirstHostAccepted = true;
      Log("HostSysExFallback: first sysex accepted from host MIDI in (%d bytes)", record.size);
    }
    DirectSysEx(record.data, static_cast<std::size_t>(record.size));
  }
}

// --- Idle steps ---

void Mks80Traffic::SendReplies() {
  MksReply reply;
  while (mReplies.Pop(reply)) {
    std::uint8_t bytes[kMksShortHandshakeLength];
    const std::uint8_t op = reply.Operation();
    if (!IsOneOf(op, {kMksOpAck, kMksOpErr, kMksOpRjc}))
      continue;
    const std::size_t size = BuildShortHandshakeMessage(op, reply.Unit(), bytes, sizeof bytes);
    if (size > 0 && mHooks.sendToDevice)
      mHooks.sendToDevice(bytes, size);
  }
}

void Mks80Traffic::RunTransfers() {
  bool completed = false;
  MksTransferRecord record;
  while (mTransfers.Pop(record)) {
    if (IsOneOf(record.operation, {kMksOpWsf, kMksOpDat, kMksOpEof}))
      completed = OnReceiveRecord(record) || completed;
    else
      OnSendRecord(record);
  }
  if (!completed)
    return;
  mRequestPending = false;
  nlohmann::json result = MakeOperationResult("mksBulkDumpAvailable", "ok", std::string());
  result["datMessages"] = mCompletedDats;
  result["sourceName"] = "MKS-80 MIDI dump";
  if (mHooks.sendResult)
    mHooks.sendResult(result);
}

bool Mks80Traffic::OnReceiveRecord(const MksTransferRecord& record) {
  switch (record.operation) {
  case kMksOpWsf:
    DiscardReceive();
    mReceiving = true;
    mRequestPending = false;
    mLastReceiveMs = mHooks.nowMs();
    return false;
  case kMksOpDat: {
    if (mRefusingDats)
      return false;    // acknowledged before the overflow was seen; not kept
    if (!mReceiving) { // an unrequested dump may begin with its first DAT
      DiscardReceive();
      mReceiving = true;
    }
    mRequestPending = false;
    mLastReceiveMs = mHooks.nowMs();
    if (mReceivedDats >= kMaxReceivedDats) {
      const int held = mReceivedDats;
      DiscardReceive();
      mRefusingDats = true;
      mLastReceiveMs = mHooks.nowMs();
      QueueReply(kMksOpRjc, record.unit);
      Log("MksBulkReceive: more than %d DATs without EOF, dump discarded (%d held)", kMaxReceivedDats, held);
      TellReceiveFailed(
          "MKS-80 dump discarded: more than " + std::to_string(kMaxReceivedDats) + " DAT messages", held);
      return false;
    }
    if (mReceiveBuffer.capacity() == 0) // a real dump in one allocation; doubling then meets the cap exactly
      mReceiveBuffer.reserve(kTypicalDumpDats * kMksDatLength);
    const std::uint8_t head[] = {0xF0, 0x41, kMksOpDat, static_cast<std::uint8_t>(record.unit & 0x0F),
                                 record.format};
    mReceiveBuffer.insert(mReceiveBuffer.end(), std::begin(head), std::end(head));
    mReceiveBuffer.insert(mReceiveBuffer.end(), record.data.begin(), record.data.end());
    mReceiveBuffer.push_back(record.checksum);
    mReceiveBuffer.push_back(0xF7);
    ++mReceivedDats;
    return false;
  }
  default: { // EOF
    const bool completed = mReceiving && !mReceiveBuffer.empty();
    if (completed) {
      mCompletedDump = std::move(mReceiveBuffer); // a later dump in the same tick replaces it
      mCompletedDats = mReceivedDats;
    }
    DiscardReceive();
    mRefusingDats = false;
    return completed;
  }
  }
}

void Mks80Traffic::DiscardReceive() {
  std::vector<std::uint8_t>().swap(mReceiveBuffer);
  mReceivedDats = 0;
  mReceiving = false;
  mLastReceiveMs = 0;
}

void Mks80Traffic::TellReceiveFailed(const std::string& message, int datCount) {
  // The page waits on its request (or on nothing, for an unrequested dump); either way it shows this.
  nlohmann::json result = MakeOperationResult("requestMksBulkDump", "error", message);
  result["datMessages"] = datCount;
  if (mHooks.sendResult)
    mHooks.sendResult(result);
}

void Mks80Traffic::OnSendRecord(const MksTransferRecord& record) {
  if (record.operation == kMksOpRqf) {
    if (!IsSendArmed() || mFrames.empty())
      return;
    mSendArmed.store(false, std::memory_order_release);
    mSendActive.store(true, std::memory_order_release);
    mTransferUnit = record.unit;
    mNextFrame = 0;
    mAcknowledged = 0;
    SendFrame(0);
    mNextFrame = 1;
    mLastSendMs = mHooks.nowMs();
    Log("MidFileDump: RQF received (unit=%d), sent DAT 1/%zu", record.unit, mFrames.size());
    return;
  }
  if (!IsSendActive())
    return; // the transfer ended while this record waited
  if (record.operation == kMksOpAck) {
    if (mNextFrame < mFrames.size()) {
      ++mAcknowledged;
      SendFrame(mNextFrame);
      ++mNextFrame;
      mLastSendMs = mHooks.nowMs();
    } else if (mNextFrame == mFrames.size()) {
      ++mAcknowledged;
      SendEof(mTransferUnit);
      ++mNextFrame;
      mLastSendMs = mHooks.nowMs();
      Log("MidFileDump: sent EOF, awaiting final ACK");
    } else {
      SendDumpResult("ok", mAcknowledged, std::string());
      ClearSend();
      Log("MidFileDump: final ACK received, complete (%d DATs sent)", mAcknowledged);
    }
    return;
  }
  // ERR or RJC
  QueueReply(kMksOpRjc, mTransferUnit);
  SendDumpResult("error", mAcknowledged, "MKS-80 reported a communication error");
  ClearSend();
  Log("MidFileDump: aborted on ERR/RJC from MKS-80");
}

void Mks80Traffic::RunTimers() {
  const std::int64_t now = mHooks.nowMs();
  if (mRequestPending && now - mRequestStartMs > kTimeoutMs) {
    mRequestPending = false;
    DiscardReceive();
    if (mHooks.sendResult)
      mHooks.sendResult(
          MakeOperationResult("requestMksBulkDump", "error", "Timed out waiting for MKS-80 response (5s)"));
  }
  // A dump that began and then fell silent would otherwise be held forever and merged into the next one.
  if (!mRequestPending && (mReceiving || mRefusingDats) && mLastReceiveMs > 0 &&
      now - mLastReceiveMs > kTimeoutMs) {
    const int held = mReceivedDats;
    const bool wasRefusing = mRefusingDats;
    DiscardReceive();
    mRefusingDats = false;
    if (!wasRefusing) {
      Log("MksBulkReceive: no message for 5 s, dump discarded (%d DATs)", held);
      TellReceiveFailed("MKS-80 dump stalled: no message for 5 s, " + std::to_string(held) +
                            " DAT messages discarded",
                        held);
    }
  }
  if (IsSendActive() && mLastSendMs > 0 && now - mLastSendMs > kTimeoutMs) {
    // A silent MKS-80 still gets a closed file. Only a device that took every DAT holds the whole dump.
    SendEof(mTransferUnit);
    const int frames = static_cast<int>(mFrames.size());
    if (mAcknowledged >= frames)
      SendDumpResult("ok", mAcknowledged, std::string());
    else
      SendDumpResult("error", mAcknowledged,
                     "MKS-80 stopped answering: " + std::to_string(mAcknowledged) + " of " +
                         std::to_string(frames) + " DAT messages acknowledged");
    ClearSend();
    Log("MidFileDump: ACK timeout (5s), sent EOF and finished (%d DATs ACKed)", mAcknowledged);
  }
}

// --- Started from the page ---

std::size_t Mks80Traffic::StartBulkRequest() {
  mRequestStartMs = mHooks.nowMs();
  DiscardReceive();
  mRefusingDats = false;
  mRequestPending = true;
  mReceiving = true;
  std::uint8_t rqf[kMksFileMessageLength];
  const std::size_t size = BuildRqfMessage(0, rqf, sizeof rqf);
  if (size > 0 && mHooks.sendToDevice)
    mHooks.sendToDevice(rqf, size);
  return size;
}

std::size_t Mks80Traffic::ArmSend(std::vector<std::uint8_t> data) {
  ClearSend();
  mAcknowledged = 0;
  mFrames = FindDatFrames(data);
  if (mFrames.empty())
    return 0;
  mSendData = std::move(data);
  mSendArmed.store(true, std::memory_order_release);
  return mFrames.size();
}

Mks80Traffic::CancelOutcome Mks80Traffic::CancelSend() {
  CancelOutcome outcome;
  outcome.wasActive = mSendActive.exchange(false, std::memory_order_acq_rel);
  mSendArmed.store(false, std::memory_order_release);
  if (outcome.wasActive)
    SendEof(mTransferUnit);
  outcome.acknowledged = mAcknowledged;
  ClearSend();
  mAcknowledged = 0;
  return outcome;
}

void Mks80Traffic::TakeCompletedDump(std::vector<std::uint8_t>& bytes, int& datCount) {
  bytes = std::move(mCompletedDump);
  datCount = mCompletedDats;
  mCompletedDump.clear();
  mCompletedDats = 0;
}

// --- Helpers ---

void Mks80Traffic::SendFrame(std::size_t frame) {
  const MksFrameSpan span = mFrames[frame];
  // Frames come from FindDatFrames over the same bytes; the range test guards a changed buffer all the same.
  if (span.length == 0 || span.offset > mSendData.size() || span.length > mSendData.size() - span.offset)
    return;
  if (mHooks.sendToDevice)
    mHooks.sendToDevice(mSendData.data() + span.offset, static_cast<std::size_t>(span.length));
}

void Mks80Traffic::SendEof(std::uint8_t unit) {
  std::uint8_t eof[kMksShortHandshakeLength];
  const std::size_t size = BuildEofMessage(unit, eof, sizeof eof);
  if (size > 0 && mHooks.sendToDevice)
    mHooks.sendToDevice(eof, size);
}

void Mks80Traffic::SendDumpResult(const std::string& status, int count, const std::string& message) {
  nlohmann::json result = MakeOperationResult("dumpMidFileStart", status, message);
  result["datMessages"] = count;
  if (mHooks.sendResult)
    mHooks.sendResult(result);
}

void Mks80Traffic::ClearSend() {
  mSendActive.store(false, std::memory_order_release);
  mSendArmed.store(false, std::memory_order_release);
  mSendData.clear();
  mFrames.clear();
  mNextFrame = 0;
  mLastSendMs = 0;
}

} // namespace vlm
