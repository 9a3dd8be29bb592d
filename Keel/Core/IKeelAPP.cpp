// Standalone binding: block entry and MIDI output.
#include "Keel/Core/IKeelAPP.h"

namespace keel {

IKeelAPP::IKeelAPP(const InstanceInfo& info, const PluginConfig& config)
    : IKeelAPIBase(config, kApiKindStandalone), IKeelProcessor(config), mHost(info.host) {
  Trace("keel::IKeelAPP::IKeelAPP", 30);
  SetChannelConnections(kInput, 0, MaxNChannels(kInput), true);
  SetChannelConnections(kOutput, 0, MaxNChannels(kOutput), true);
  SetBlockSize(512);
  CreateTimer();
}

IKeelAPP::~IKeelAPP() {
  // The timer calls back into the derived object; it must be gone before anything else is.
  if (mTimer) mTimer->Stop();
}

void IKeelAPP::RunDeviceBlock(double** inputs, double** outputs, int) noexcept {
  const int blockSize = GetBlockSize();
  const int inputCount = MaxNChannels(kInput);
  const int outputCount = MaxNChannels(kOutput);
  SetChannelConnections(kInput, 0, inputCount, !IsInstrument());
  SetChannelConnections(kOutput, 0, outputCount, true);
  AttachBuffers(kInput, 0, NChannelsConnected(kInput), inputs);
  AttachBuffers(kOutput, 0, NChannelsConnected(kOutput), outputs);

  MidiMsg msg;
  while (mDeviceMidi.Pop(msg)) {
    HandleHeldReleasesBefore(mDeviceMidiPopped);
    ++mDeviceMidiPopped;
    HandleDeviceMidi(msg);
  }
  HandleHeldReleasesBefore(mDeviceMidiPopped);
  HandleOverflowedReleases();
  while (mDeviceSysEx.Pop(mDeviceScratch)) {
    ProcessSysEx(mDeviceScratch.AsMsg());
    mSysExFromProcessor.Push(mDeviceScratch);
  }
  while (mMidiToProcessor.Pop(msg)) ProcessMidiMsg(msg);
  ProcessBuffers(blockSize);
}

namespace {

bool IsRelease(const MidiMsg& msg) noexcept {
  switch (msg.status & 0xF0) {
  case 0x80:
    return true;
  case 0x90:
    return msg.data2 == 0;
  case 0xB0:
    return (msg.data1 == 64 && msg.data2 < 64) || msg.data1 == 120 || msg.data1 >= 123;
  default:
    return false;
  }
}

} // namespace

bool IKeelAPP::PushDeviceMidi(const MidiMsg& msg) noexcept {
  if (mDeviceMidi.Push(msg)) {
    ++mDeviceMidiPushed;
    return true;
  }
  if (!IsRelease(msg))
    return false;
  if (!mHeldReleases.Push(HeldRelease{mDeviceMidiPushed, msg}))
    mOverflowedReleaseChannels.fetch_or(1u << (msg.status & 0x0F), std::memory_order_release);
  return true;
}

void IKeelAPP::HandleDeviceMidi(const MidiMsg& msg) noexcept {
  ProcessMidiMsg(msg);
  mMidiFromProcessor.Push(msg);
}

void IKeelAPP::HandleHeldReleasesBefore(uint64_t position) noexcept {
  // A release held at position p came after the first p queued messages and before the others.
  for (;;) {
    if (!mHasNextHeldRelease && !(mHasNextHeldRelease = mHeldReleases.Pop(mNextHeldRelease)))
      return;
    if (mNextHeldRelease.position > position)
      return;
    mHasNextHeldRelease = false;
    HandleDeviceMidi(mNextHeldRelease.msg);
  }
}

void IKeelAPP::HandleOverflowedReleases() noexcept {
  // More releases than the ring holds arrived within one block: what they would have released, and
  // perhaps a key still held, is released.
  const uint32_t channels = mOverflowedReleaseChannels.exchange(0, std::memory_order_acquire);
  for (int channel = 0; channel < 16; ++channel) {
    if (channels & (1u << channel)) {
      HandleDeviceMidi(MidiMsg(0, uint8_t(0xB0 | channel), 64, 0));
      HandleDeviceMidi(MidiMsg(0, uint8_t(0xB0 | channel), 123, 0));
    }
  }
}

bool IKeelAPP::EditorResize(int width, int height, bool) {
  if (width == GetEditorWidth() && height == GetEditorHeight())
    return false;
  if (mHost)
    mHost->ResizeMainWindowToEditor(width, height);
  SetEditorSize(width, height);
  return true;
}

bool IKeelAPP::SendMidiMsg(const MidiMsg& msg) {
  if (!DoesMidiOut() || !mHost)
    return false;
  MidiOutputSender* sender = mHost->GetMidiOutputSender();
  return sender && sender->SendShort(msg.status, msg.data1, msg.data2);
}

bool IKeelAPP::SendSysEx(const SysExMsg& msg) {
  if (!DoesMidiOut() || !mHost || !msg.data || msg.size <= 0)
    return false;
  MidiOutputSender* sender = mHost->GetMidiOutputSender();
  return sender && sender->SendLong(msg.data, size_t(msg.size));
}

} // namespace keel
