// The framework's binding of a processor to the standalone program: device MIDI queues from the input
// threads, the 64-frame block entry, and MIDI output straight to the output device.
#pragma once

#include <atomic>
#include <cstdint>

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

  // MIDI input threads: false when the queue is full and the message is dropped. A release (note-off,
  // pedal up, all sound or notes off, mode change) is never refused: when the queue is full it waits in a
  // ring of its own and is handled in its place among the queued messages, and should that ring be full
  // too, the next block releases the pedal and every note of its channel.
  bool PushDeviceMidi(const MidiMsg& msg) noexcept;
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
  // A release that found the device queue full, and how many messages that queue had taken before it.
  struct HeldRelease {
    uint64_t position = 0;
    MidiMsg msg;
  };
  // Room for the releases of several hundred milliseconds of the densest input (11,000 messages a second),
  // far more than one audio callback lasts.
  static constexpr uint64_t kHeldReleaseSlots = 2048;

  void HandleDeviceMidi(const MidiMsg& msg) noexcept;
  // Audio thread: the held releases whose place comes before the device message at position.
  void HandleHeldReleasesBefore(uint64_t position) noexcept;
  void HandleOverflowedReleases() noexcept;

  IKeelAPPHostLink* mHost;
  RingQueue<MidiMsg> mDeviceMidi{33};
  RingQueue<HeldRelease> mHeldReleases{kHeldReleaseSlots};
  uint64_t mDeviceMidiPushed = 0; // MIDI input threads
  uint64_t mDeviceMidiPopped = 0; // audio thread
  HeldRelease mNextHeldRelease;   // audio thread: taken from the ring, its place not yet reached
  bool mHasNextHeldRelease = false;
  // Channels (bit n for channel n) whose releases found even that ring full: the audio thread releases
  // the pedal and every note there.
  std::atomic<uint32_t> mOverflowedReleaseChannels{0};
  RingQueue<SysExRecord> mDeviceSysEx{5};
  SysExRecord mDeviceScratch;
};

} // namespace keel
