// Audio-side base of every plug-in: channel configurations and records, buffers, block size, MIDI hooks.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "Keel/Core/ChannelIOConfig.h"
#include "Keel/Core/ChannelRecord.h"
#include "Keel/Core/HeapString.h"
#include "Keel/Core/LatencyDelayLine.h"
#include "Keel/Core/MidiMsg.h"
#include "Keel/Core/PluginConfig.h"
#include "Keel/Core/PtrList.h"
#include "Keel/Core/SysExMsg.h"
#include "Keel/Core/TimeInfo.h"

namespace keel {

// Selects the 32-bit float overloads that only the plug-in binding uses.
struct FloatBuffers {};

// Threads: connections, buffer attachment, MIDI delivery and processing on the audio thread; SetBlockSize
// also from the thread that (re)opens the stream while no block runs. Nothing here allocates while the block
// size stays the same.
class IKeelProcessor {
public:
  explicit IKeelProcessor(const PluginConfig& config);
  virtual ~IKeelProcessor();
  IKeelProcessor(const IKeelProcessor&) = delete;
  IKeelProcessor& operator=(const IKeelProcessor&) = delete;

  // Default: copies input i to output i for outputs below the input count, zeroes the others.
  virtual void ProcessBlock(double** inputs, double** outputs, int nFrames);
  // Default: passes the message on to SendMidiMsg.
  virtual void ProcessMidiMsg(const MidiMsg& msg);
  virtual void ProcessSysEx(const SysExMsg& msg) { (void)msg; }
  // The sample rate or block size changed.
  virtual void OnReset() {}
  virtual void OnActivate(bool active) { (void)active; }
  virtual bool SendMidiMsg(const MidiMsg& msg) = 0;
  // Sends every message, even after a failure; true only when all succeeded.
  virtual bool SendMidiMsgs(std::span<const MidiMsg> msgs);
  virtual bool SendSysEx(const SysExMsg& msg) {
    (void)msg;
    return false;
  }
  virtual void GetBusName(ERoute direction, int busIndex, int nBuses, HeapString& name) const;
  virtual void SetLatency(int samples);
  virtual void SetProcessorIntSetting(int value) { mIntSetting = value; }

  // Parses blank-separated configurations "in-out", buses separated by '.', "*" a wildcard bus.
  // Returns the number of configurations; the text is not changed.
  static int ParseChannelIOStr(const char* text, PtrList<ChannelIOConfig>& configs, int& maxNInputChans,
                               int& maxNOutputChans, int& maxNInputBuses, int& maxNOutputBuses);

  void SetChannelConnections(ERoute direction, int firstChannel, int count, bool connected);
  int NChannelsConnected(ERoute direction) const;
  bool IsChannelConnected(ERoute direction, int channel) const;
  // Connected channels in [first, first + count) take the next pointer each; unconnected ones take none.
  void AttachBuffers(ERoute direction, int firstChannel, int count, double** samples);
  // Float host buffers: inputs are converted into the scratch buffers; outputs render into scratch and are
  // converted back by ProcessBuffers(FloatBuffers, ...).
  void AttachBuffers(FloatBuffers, ERoute direction, int firstChannel, int count, float** samples,
                     int nFrames);
  void SetBlockSize(int nFrames);
  void ProcessBuffers(int nFrames);
  void ProcessBuffers(FloatBuffers, int nFrames);
  void RenderPassThrough(int nFrames);
  void RenderPassThrough(FloatBuffers, int nFrames);

  int GetMaxBusCount(ERoute direction, int* configIndex = nullptr) const;
  // -1 when the first configuration has a wildcard bus in that direction.
  int GetMaxChannelsOnBus(ERoute direction, int busIndex) const;
  int MaxNChannels(ERoute direction) const {
    return direction == kInput ? mMaxNInputChans : mMaxNOutputChans;
  }
  int MaxNBuses(ERoute direction) const { return direction == kInput ? mMaxNInputBuses : mMaxNOutputBuses; }
  int NChannelIOConfigs() const { return mConfigs.GetSize(); }
  const ChannelIOConfig* GetChannelIOConfig(int index) const { return mConfigs.Get(index); }
  double** GetSamplePointers(ERoute direction);

  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double rate) { mSampleRate = rate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  int GetPlugType() const { return mPlugType; }
  bool IsInstrument() const { return mPlugType == kPlugTypeInstrument; }
  bool DoesMidiIn() const { return mMidiIn; }
  bool DoesMidiOut() const { return mMidiOut; }
  bool GetRenderingOffline() const { return mRenderingOffline; }
  void SetRenderingOffline(bool offline) { mRenderingOffline = offline; }
  int GetProcessorIntSetting() const { return mIntSetting; }
  const TimeInfo& GetTimeInfo() const { return mTimeInfo; }
  void SetTimeInfo(const TimeInfo& info) { mTimeInfo = info; }
  const LatencyDelayLine* GetLatencyDelayLine() const { return mLatencyDelay.get(); }
  // Only the plug-in binding creates a delay line, and only when the processor has inputs.
  void CreateLatencyDelayLine();

private:
  std::vector<std::unique_ptr<ChannelRecord>>& Channels(ERoute dir) {
    return dir == kInput ? mInChannels : mOutChannels;
  }
  const std::vector<std::unique_ptr<ChannelRecord>>& Channels(ERoute dir) const {
    return dir == kInput ? mInChannels : mOutChannels;
  }
  void ConvertOutputsToFloat(int nFrames);

  int mPlugType;
  bool mMidiIn;
  bool mMidiOut;
  int mLatency;
  double mSampleRate = 48000.0;
  int mBlockSize = 0;
  int mIntSetting = 0;
  bool mUnusedFlag = false;
  bool mRenderingOffline = false;
  PtrList<ChannelIOConfig> mConfigs;
  int mMaxNInputChans = 0;
  int mMaxNOutputChans = 0;
  int mMaxNInputBuses = 0;
  int mMaxNOutputBuses = 0;
  std::vector<double*> mInSamples;
  std::vector<double*> mOutSamples;
  std::vector<std::unique_ptr<ChannelRecord>> mInChannels;
  std::vector<std::unique_ptr<ChannelRecord>> mOutChannels;
  std::unique_ptr<LatencyDelayLine> mLatencyDelay;
  TimeInfo mTimeInfo;
};

} // namespace keel
