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
    ProcessMidiMsg(msg);
    mMidiFromProcessor.Push(msg);
  }
  while (mDeviceSysEx.Pop(mDeviceScratch)) {
    ProcessSysEx(mDeviceScratch.AsMsg());
    mSysExFromProcessor.Push(mDeviceScratch);
  }
  while (mMidiToProcessor.Pop(msg)) ProcessMidiMsg(msg);
  ProcessBuffers(blockSize);
}

bool IKeelAPP::EditorResize(int width, int height, bool) {
  if (width == GetEditorWidth() && height == GetEditorHeight()) return false;
  if (mHost) mHost->ResizeMainWindowToEditor(width, height);
  SetEditorSize(width, height);
  return true;
}

bool IKeelAPP::SendMidiMsg(const MidiMsg& msg) {
  if (!DoesMidiOut() || !mHost) return false;
  MidiOutputSender* sender = mHost->GetMidiOutputSender();
  return sender && sender->SendShort(msg.status, msg.data1, msg.data2);
}

bool IKeelAPP::SendSysEx(const SysExMsg& msg) {
  if (!DoesMidiOut() || !mHost || !msg.data || msg.size <= 0) return false;
  MidiOutputSender* sender = mHost->GetMidiOutputSender();
  return sender && sender->SendLong(msg.data, size_t(msg.size));
}

} // namespace keel
