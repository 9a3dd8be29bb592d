// One effect instance as the host program drives it: controller, transport, context fields and
// MIDI nodes, real-time blocks, and the state chunk.
#pragma once

#include "tools/hmxhost/HostObject.h"

#include "Keel/Core/HMX/HMXRealtimeContext.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFAutomation.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFController.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFEffectParameters.h"
#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFTransport.h"

#include <functional>
#include <string>
#include <vector>

namespace hmxhost {

// The host's transport: a steady tempo, playing from the start.
class HostTransport : public HostObject<HMX_IHCFTransport> {
public:
  HostTransport() { Offer(HMX_IID_Transport_V1, static_cast<HMX_IHCFTransport*>(this)); }
  HMX_Result Tempo(double* bpm) override { return *bpm = 120.0, HMX_SUCCESS; }
  HMX_Result Meter(int32_t* n, int32_t* d) override { return *n = 4, *d = 4, HMX_SUCCESS; }
  HMX_Result IsPlaying(bool* out) override { return *out = true, HMX_SUCCESS; }
  HMX_Result TickPosition(int64_t* out) override { return *out = ticks, HMX_SUCCESS; }
  HMX_Result SamplePosition(int64_t* out) override { return *out = samples, HMX_SUCCESS; }
  HMX_Result LoopRange(bool* on, int64_t* s, int64_t* e) override { return *on = false, *s = 0, *e = 0, HMX_SUCCESS; }
  int64_t ticks = 0;
  int64_t samples = 0;
};

class HostInstance;

// The host's automation: a value the effect requests is confirmed at once through
// UpdateParamFromHost, as a host does once it has recorded it.
class HostAutomation : public HostObject<HMX_IHCFAutomation> {
public:
  explicit HostAutomation(HostInstance& instance);
  HMX_Result RegisterParam(const char*) override { return HMX_SUCCESS; }
  HMX_Result UnregisterParam(const char*) override { return HMX_SUCCESS; }
  HMX_Result RequestValue(const char* id, double normalized) override;
  HMX_Result ReportValue(const char*, double) override { return HMX_SUCCESS; }
  HMX_Result RequestTouch(const char*) override { return ++touches, HMX_SUCCESS; }
  HMX_Result RequestRelease(const char*) override { return HMX_SUCCESS; }
  int touches = 0;

private:
  HostInstance& mInstance;
};

// The controller an instance and its GUI are initialised with.
class HostController : public HostObject<HMX_IHCFController_V2> {
public:
  explicit HostController(HostInstance& instance);
  HMX_Result SampleRate(float* out) override;
  HMX_Result InputStemFormat(int32_t* out) override { return *out = 0, HMX_SUCCESS; }
  HMX_Result OutputStemFormat(int32_t* out) override { return *out = 2, HMX_SUCCESS; }
  HMX_Result SetSignalLatency(int32_t) override { return HMX_SUCCESS; }
  HMX_Result PostFieldPacket(int32_t field, const void* data, uint32_t size) override;
  HMX_Result SendNotification(uint32_t, const void*, uint32_t) override { return HMX_SUCCESS; }
  HMX_Result QueryInterface(const HMX_GUID& iid, void** out) override;

private:
  HostInstance& mInstance;
};

class HostInstance {
public:
  // The longest block the host program renders.
  static constexpr int kMaxFrames = 8192;

  HostInstance(HMX_CreateProc create, HMX_ProcessProc process, float sampleRate, int blockFrames);
  ~HostInstance();
  HostInstance(const HostInstance&) = delete;
  HostInstance& operator=(const HostInstance&) = delete;

  // Creates and initialises the effect; false with the reason in error.
  bool Create(std::string& error);
  // One block with the given MIDI packets; answers the block's peak level.
  float Render(const std::vector<keel::HMX_MIDIPacket>& midiIn);
  // The length of the following blocks, 1 to kMaxFrames.
  void SetFrames(int frames);
  // Leaves out the MIDI output node (as a host without MIDI routing does), or puts it back.
  void SetMidiOutputNode(bool present);
  // The effect's teardown, as a host calls it before the last release; later blocks still render.
  void Teardown();
  // The state chunk (header and data); empty on failure, with the reason in error. between runs after
  // the size query and before the fill, as host work on other threads may. The record is allocated at
  // the size the effect reported, with guard bytes after it that must stay untouched.
  std::vector<uint8_t> SaveState(std::string& error, const std::function<void()>& between = {});
  bool RestoreState(const std::vector<uint8_t>& chunk, std::string& error);

  HMX_IHCFEffectParameters* Effect() const { return mEffect; }
  IHCFUnknown* Controller() { return mController.Unknown(); }
  float SampleRate() const { return mSampleRate; }
  const std::vector<keel::HMX_MIDIPacket>& MidiOut() const { return mMidiOut; }
  void ClearMidiOut() { mMidiOut.clear(); }
  // The last block's output, left and right.
  const float* Left() const { return mLeft.data(); }
  const float* Right() const { return mRight.data(); }
  int Frames() const { return mFrames; }
  int64_t PostedStateNumber() const { return mStateNumber; }

private:
  friend class HostController;
  friend class HostAutomation;
  static HMX_Result PostMidi(void* self, const keel::HMX_MIDIPacket& packet);

  HMX_CreateProc mCreate;
  HMX_ProcessProc mProcess;
  float mSampleRate;
  int32_t mFrames;
  HostTransport mTransport; // before the controller, which offers it and the automation
  HostAutomation mAutomation{*this};
  HostController mController{*this};
  HMX_IHCFEffectParameters* mEffect = nullptr;
  bool mTornDown = false;
  std::vector<float> mLeft, mRight;
  float* mOutputs[2] = {};
  alignas(8) unsigned char mPrivateData[8] = {};
  int64_t mStateNumber = 0;
  keel::HMX_MIDINode mInNode;
  keel::HMX_MIDINode mOutNode;
  std::vector<keel::HMX_MIDIPacket> mMidiOut;
  keel::HMX_InstanceContext mContext;
};

} // namespace hmxhost
