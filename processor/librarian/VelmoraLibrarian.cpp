// The processor's MKS-80 traffic: the one outgoing route, the parameter echo to the page and the MKS-80,
// the whole patch to the device, the receiver's feeders, and the idle tick's librarian steps.
#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "common/Logger.h"
#include "library/Mks80Messages.h"
#include "processor/Velmora.h"
#include "processor/editor/EditorTags.h"
#include "processor/window/WindowState.h"

namespace {

// Raises a flag for a scope and puts back what it was, so that nested raises do not end early.
class ScopedRaise {
public:
  explicit ScopedRaise(std::atomic<bool>& flag) : mFlag(flag), mBefore(flag.exchange(true)) {}
  ~ScopedRaise() { mFlag.store(mBefore); }
  ScopedRaise(const ScopedRaise&) = delete;
  ScopedRaise& operator=(const ScopedRaise&) = delete;

private:
  std::atomic<bool>& mFlag;
  bool mBefore;
};

// Reads the meter and leaves it decayed, in one step against the audio thread's raises.
float TakeDecayedPeak(std::atomic<float>& meter) {
  float peak = meter.load(std::memory_order_relaxed);
  while (!meter.compare_exchange_weak(peak, peak * 0.93f, std::memory_order_relaxed)) {
  }
  return peak;
}

double MeterDb(float peak) {
  return peak <= 0.0f ? -60.0 : std::max(-60.0, 20.0 * std::log10(static_cast<double>(peak)));
}

} // namespace

vlm::Mks80Traffic::Hooks Velmora::MakeMks80Hooks() {
  vlm::Mks80Traffic::Hooks hooks;
  hooks.nowMs = [this] { return mMks80Clock ? mMks80Clock() : vlm::SteadyNowMs(); };
  hooks.sendToDevice = [this](const std::uint8_t* data, std::size_t size) {
    SendMks80Sysex(data, static_cast<int>(size));
  };
  hooks.pushParamChange = [this](int index, double normalized) {
    return mIdleParamChanges.Push(IdleParamChange{index, normalized});
  };
  hooks.sendResult = [this](const nlohmann::json& result) {
    SendJsonToUI(vlm::MsgTag::kPresetActionResult, result);
  };
  hooks.log = [](const std::string& line) { GetLogger().Log("%s", line.c_str()); };
  return hooks;
}

bool Velmora::SendMks80Sysex(const std::uint8_t* data, int size) {
  if (!data || size <= 0)
    return false;
  if (mMidiPortIo.IsOutOpen())
    return mMidiPortIo.Send(data, static_cast<std::size_t>(size)); // failures are logged by the port itself
#ifdef VLM_PLUGIN
  // The host's real-time hand-over carries records of up to 511 bytes.
  if (size >= keel::SysExRecord::kMaxBytes) {
    GetLogger().Log("SendMks80Sysex: host fallback dropped oversized frame (%d bytes)", size);
    return false;
  }
#endif
  // The plug-in queues it for the host's next real-time call, the program sends it at once; a full queue
  // or a program without a MIDI output refuses it.
  return SendSysexMsgFromUI(keel::SysExMsg(0, data, size));
}

void Velmora::OnParamChangeUI(int paramIdx, keel::ParamSource source) {
  (void)source; // every source is shown and sent alike
  if (paramIdx < 0 || paramIdx >= vlm::kNumParams)
    return;
  unsigned char record[12];
  const std::int32_t index = paramIdx;
  const double value = GetParam(paramIdx)->Value();
  static_assert(std::endian::native == std::endian::little, "the page reads little-endian records");
  std::memcpy(record, &index, 4);
  std::memcpy(record + 4, &value, 8);
  SendArbitraryMsgFromDelegate(vlm::MsgTag::kParamRealValue, sizeof record, record);
  if (mSuppressMks80Echo.load())
    return; // the change came from the MKS-80 (or a refresh or an assignment): nothing goes back
  std::uint8_t ipr[vlm::kMksIprLength];
  const std::size_t size = vlm::BuildIprMessage(
      paramIdx, 0, vlm::ReadParamValue, static_cast<const keel::IEditorDelegate*>(this), ipr, sizeof ipr);
  if (size > 0)
    SendMks80Sysex(ipr, static_cast<int>(size));
}

int Velmora::SendCurrentPatchToDevice() {
  const keel::IEditorDelegate* self = this;
  const vlm::ToneReadContext upper{self, false};
  const vlm::ToneReadContext lower{self, true};
  std::uint8_t buffer[64];
  int sent = 0;
  const auto send = [&](std::size_t size) {
    if (size > 0 && SendMks80Sysex(buffer, static_cast<int>(size)))
      ++sent; // a message no route took is not counted: the page must not report a dump that never left
  };
  send(vlm::BuildProgramMessage(0, 0, buffer, sizeof buffer));
  send(vlm::BuildAprPatchMessage(1, 0, vlm::ReadParamValueByRef, &self, buffer, sizeof buffer));
  send(vlm::BuildAprPatchMessage(2, 0, vlm::ReadParamValueByRef, &self, buffer, sizeof buffer));
  send(vlm::BuildAprToneMessage(1, 0, vlm::ReadToneValue, &upper, buffer, sizeof buffer));
  send(vlm::BuildAprToneMessage(2, 0, vlm::ReadToneValue, &lower, buffer, sizeof buffer));
  return sent;
}

void Velmora::DirectSysEx(const keel::SysExMsg& msg) {
  if (!msg.data || msg.size <= 0)
    return;
  mMks80.DirectSysEx(msg.data, static_cast<std::size_t>(msg.size));
}

void Velmora::DrainDirectMidiInput() {
  if (!mMidiPortIo.IsInOpen())
    return;
  mMks80.DrainDedicatedInput([this](std::vector<std::uint8_t>& bytes) { return mMidiPortIo.PollIn(bytes); });
}

void Velmora::HostSysExFallback() {
  if (mHostSysEx.Empty())
    return;
  mMks80.DrainHostSysEx([this](keel::SysExRecord& record) { return mHostSysEx.Pop(record); },
                        mMidiPortIo.IsInOpen());
}

void Velmora::ApplyParamChangesFromMks80() {
  const ScopedRaise suppress(mSuppressMks80Echo);
  const auto apply = [this](const IdleParamChange& change) {
    if (change.index < 0 || change.index >= vlm::kNumParams)
      return;
    SendParameterValueFromUI(change.index, change.normalized);
    SendParameterValueFromDelegate(change.index, change.normalized, true);
  };
  IdleParamChange change;
  while (mIdleParamChanges.Pop(change))
    apply(change);
  while (mControllerParamChanges.Pop(change))
    apply(change);
}

void Velmora::SendControlValues() {
  const auto send = [this](int tag, double value) {
    if (mSentControlValues.Update(tag, value))
      SendControlValueFromDelegate(tag, value);
  };
  // The meters decay every tick while they are above the floor and then stay there.
  send(vlm::CtrlTag::kOutMeterL, MeterDb(TakeDecayedPeak(mPeakLeft)));
  send(vlm::CtrlTag::kOutMeterR, MeterDb(TakeDecayedPeak(mPeakRight)));
  send(vlm::CtrlTag::kPitchBend, (GetPitchBend() + 1.0) * 0.5);
  send(vlm::CtrlTag::kModWheel, GetModWheel());
  send(vlm::CtrlTag::kPerfVolume, GetPerformanceVolume());
  send(vlm::CtrlTag::kHostTempo, GetTimeInfo().tempo / 1000.0);
}
