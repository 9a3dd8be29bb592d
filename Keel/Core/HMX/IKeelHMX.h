// The framework's binding of a processor to an HMX host: every framework parameter as an HMX
// parameter, the state chunk, host notifications, automation gestures and the real-time block.
#pragma once

#include "Keel/Core/ByteChunk.h"
#include "Keel/Core/HMX/HMX_CIKeelParameters.h"
#include "Keel/Core/HMX/IKeelHMXView_Interface.h"
#include "Keel/Core/IKeelAPIBase.h"
#include "Keel/Core/IKeelProcessor.h"
#include "Keel/Core/PtrList.h"
#include "Keel/Core/RingQueue.h"
#include "Keel/Core/SysExRecord.h"

#include <array>
#include <atomic>
#include <mutex>
#include <vector>

class HMX_IParameter;

namespace keel {

// What the module's create procedure knows of the new instance: nothing yet.
struct HMXInstanceInfo {};

// Threads: InitEffect, chunks, notifications, parameter updates and TeardownEffect on the host's
// non-real-time threads; RenderBlock and SendMidiMsg on its real-time thread; the editor, EditorResize,
// DeferSysexMsg and the 20 ms timer on its user-interface thread. The MIDI output queue and the host
// system-exclusive assembly are touched only by the real-time thread; the sized state only under its
// mutex.
class IKeelHMX : public IKeelAPIBase,
                 public IKeelProcessor,
                 public HMX_CIKeelParameters,
                 public IKeelHMXView_Interface {
public:
  static constexpr int kApiKindHMX = 4;
  // The MIDI output queue never grows on the real-time thread: what does not fit is dropped.
  static constexpr int kMidiOutCapacity = 2048;
  // System-exclusive messages from the editor waiting for the next real-time call: several whole
  // patch sends.
  static constexpr int kSysExToHostCapacity = 64;
  static constexpr double kTicksPerQuarter = 960000.0;

  IKeelHMX(const HMXInstanceInfo& info, const PluginConfig& config);
  ~IKeelHMX() override;

  // The HMX ID of a framework parameter: the decimal text of index + 1.
  const char* ParamID(int paramIdx) const { return mParamIDs.Get(paramIdx)->Get(); }

  // IKeelAPIBase
  void CopyTrackName(HeapString& name) override;
  bool EditorResize(int width, int height, bool needsPlatformResize) override;
  void BeginInformHostOfParamChange(int paramIdx) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void* GetHMXViewInterface() override { return static_cast<IKeelHMXView_Interface*>(this); }

  // IKeelProcessor
  bool SendMidiMsg(const MidiMsg& msg) override;
  void SetLatency(int samples) override;

  // Effect parameters
  HMX_Result OnHostNotification(uint32_t type, const void* data, uint32_t size) override;
  HMX_Result UpdateParamFromHost(const char* id, double normalized, int32_t source) override;
  HMX_Result ChunkIdAtIndex(int32_t index, uint32_t* outID) override;
  HMX_Result ChunkByteSize(uint32_t chunkID, uint32_t* outSize) override;
  HMX_Result FillChunk(uint32_t chunkID, PlugInChunk* out) override;
  HMX_Result SetChunk(uint32_t chunkID, const PlugInChunk* chunk) override;
  HMX_Result CompareActiveChunk(const PlugInChunk* chunk, bool* outEqual) override;
  HMX_Result InitEffect() override;
  HMX_Result TeardownEffect() override;
  void RenderBlock(HMX_InstanceContext& context, void* const* pairs, int32_t pairCount) override;

  // IEditorDelegate: a restore on a host thread leaves the page's refresh to the UI thread's next tick.
  void OnRestoreState() override { mRestoreRefreshPending.store(true); }
  // The editor's system-exclusive messages wait in a queue of their own for the real-time call.
  bool DeferSysexMsg(const SysExMsg& msg) override;

  // A size in physical pixels for the editor's browser; the DPI scale is 1 on Linux.
  void SetWebViewBoundsPhysical(int width, int height);

  // Messages waiting in the MIDI output queue (tests and the real-time block).
  int PendingMidiCount() const { return mMidiOutCount - mMidiOutRead; }
  const MidiMsg& PendingMidiAt(int i) const { return mMidiOut[size_t(mMidiOutRead + i)]; }

private:
  uint32_t StateChunkID() const { return uint32_t(GetUniqueID()); }
  void OnUITick();
  void TakeHostMidi(const HMX_MIDINode& node);
  void TakeHostSysExBytes(const uint8_t* bytes, int count, int offset);
  TimeInfo ReadTransport() const;
  void RenderSlices(float** inputs, int inputCount, float** outputs, int frames, bool bypassed,
                    const TimeInfo& time);
  void PostOutput(const HMX_MIDINode& node);
  void DiscardOutput();

  HMX_IParameter* mBypass = nullptr; // owned by the parameter manager; gone after TeardownEffect
  std::atomic<bool> mTornDown{false};
  void* mTransport = nullptr; // the host's transport of the current block
  PtrList<HeapString> mParamIDs;
  std::vector<MidiMsg> mMidiOut;
  int mMidiOutRead = 0;
  int mMidiOutCount = 0;
  int mMainInputChannels = 0;
  HeapString mTrackName;

  // A system-exclusive message from the host, gathered from its packets until F7.
  std::array<uint8_t, SysExRecord::kMaxBytes> mHostSysEx{};
  int mHostSysExSize = 0;
  bool mInHostSysEx = false;
  bool mHostSysExTooLong = false;

  RingQueue<SysExRecord> mSysExToHost{kSysExToHostCapacity + 1};
  std::atomic<bool> mRestoreRefreshPending{false};

  // The state serialized for the size the host asked for, handed over by the next fill.
  std::mutex mChunkMutex;
  ByteChunk mSizedState;
  bool mHasSizedState = false;
  int64_t mReportedChunkSize = -1;
};

} // namespace keel
