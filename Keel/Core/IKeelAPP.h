// The framework's binding of a processor to the standalone program: device MIDI queues from the input
// threads, the 64-frame block entry, and MIDI output straight to the output device.
#pragma once

#include "Keel/Core/IKeelAPIBase.h"
#include "Keel/Core/IKeelProcessor.h"
#include "Keel/Core/MidiOutputSender.h"

namespace keel {

// What the binding needs of the program's host object.
class IKeelAPPHostLink {
public:
  virtual ~IKeelAPPHostLink() = default;
  // The sender of the open MIDI output; null when the program has no MIDI output client.
  virtual MidiOutputSender* GetMidiOutputSender() = 0;
  // Resizes the main window so that its editor area is width x height logical pixels.
  virtual void ResizeMainWindowToEditor(int width, int height) = 0;
};

// The host's instance information: which host object creates the processor.
struct InstanceInfo {
  IKeelAPPHostLink* host = nullptr;
};

// Threads: RunDeviceBlock, SendMidiMsg and the processor hooks on the audio thread; PushDevice* on the
// MIDI input threads, one at a time under the host's input mutex; the rest on the UI thread.
class IKeelAPP : public IKeelAPIBase, public IKeelProcessor {
public:
  static constexpr int kApiKindStandalone = 5;

  IKeelAPP(const InstanceInfo& info, const PluginConfig& config);
  ~IKeelAPP() override;

  // One processing block of the processor's block size: device queues, editor queue, then rendering.
  void RunDeviceBlock(double** inputs, double** outputs, int nFrames) noexcept;

  // MIDI input threads: false when the queue is full (the message is dropped).
  bool PushDeviceMidi(const MidiMsg& msg) noexcept { return mDeviceMidi.Push(msg); }
  bool PushDeviceSysEx(const SysExRecord& record) noexcept { return mDeviceSysEx.Push(record); }

  // Editor system-exclusive messages go out at once instead of through the base's queue.
  bool SendSysexMsgFromUI(const SysExMsg& msg) override { return SendSysEx(msg); }
  bool EditorResize(int width, int height, bool needsPlatformResize) override;

  // MIDI thru from the audio thread: handed to the output's sender thread, never blocking. The message
  // is sent with the length its status implies. False without an open output.
  bool SendMidiMsg(const MidiMsg& msg) override;
  // UI thread. False without an open output.
  bool SendSysEx(const SysExMsg& msg) override;

  IKeelAPPHostLink* GetAppHost() const { return mHost; }

private:
  IKeelAPPHostLink* mHost;
  RingQueue<MidiMsg> mDeviceMidi{33};
  RingQueue<SysExRecord> mDeviceSysEx{5};
  SysExRecord mDeviceScratch;
};

} // namespace keel
