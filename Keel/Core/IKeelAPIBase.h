// Host-independent half of every plug-in object: host identity, the queues between the audio side and
// the editor side, the 20 ms UI timer, and editor actions turned into host and processor calls.
#pragma once

#include "Keel/Core/IPluginBase.h"
#include "Keel/Core/MidiMsg.h"
#include "Keel/Core/ParamChange.h"
#include "Keel/Core/RingQueue.h"
#include "Keel/Core/SysExRecord.h"
#include "Keel/Core/Timer.h"

#include <memory>

namespace keel {

// Threads: SendParameterValueFromAPI from one host thread; DeferMidiMsg/DeferSysexMsg and the timer on the
// UI thread; the queues to and from the processor are drained and filled by the host binding's block entry
// on the audio thread. Every queue has one producer and one consumer.
class IKeelAPIBase : public IPluginBase {
public:
  static constexpr unsigned kTimerPeriodMs = 20;

  IKeelAPIBase(const PluginConfig& config, int apiKind);
  ~IKeelAPIBase() override;

  // Starts the 20 ms UI timer (replacing any previous one); each host binding calls it last in its
  // construction.
  void CreateTimer();
  // One tick: parameter values, MIDI and system-exclusive messages to the editor, then OnIdle.
  void OnTimer();

  // Stores the host's name, id and version, traces it and calls OnHostIdentified.
  void SetHost(const char* hostName, int packedVersion);

  void InformHostOfAllParamValues() override;
  void BeginParamChangeFromUI(int paramIdx) override { BeginInformHostOfParamChange(paramIdx); }
  void SendParameterValueFromUI(int paramIdx, double normalizedValue) override;
  void EndParamChangeFromUI(int paramIdx) override { EndInformHostOfParamChange(paramIdx); }
  bool EditorResizeFromUI(int viewWidth, int viewHeight, bool needsPlatformResize) override;
  void SendMidiMsgFromUI(const MidiMsg& msg) override { DeferMidiMsg(msg); }
  bool SendSysexMsgFromUI(const SysExMsg& msg) override { return DeferSysexMsg(msg); }
  void SendArbitraryMsgFromUI(int msgTag, int ctrlTag, int dataSize, const void* data) override {
    OnMessage(msgTag, ctrlTag, dataSize, data);
  }
  void DeferMidiMsg(const MidiMsg& msg) override { mMidiToProcessor.Push(msg); }
  bool DeferSysexMsg(const SysExMsg& msg) override;

  // True when every parameter's value and data[start + index], both as 32-bit floats, differ by less
  // than 0.00001. False when the data holds fewer than start + parameter count doubles.
  virtual bool CompareState(const double* data, int dataCount, int startIdx) const;
  virtual bool OnAboutRequested() { return false; }
  virtual bool OnHelpRequested() { return false; }
  virtual void OnHostIdentified() {}
  virtual void* GetHMXViewInterface() { return nullptr; }
  virtual void OnIdle() {}
  virtual void CopyTrackName(HeapString& name) { (void)name; }
  // Converts a normalized value to real when asked and queues it for the editor; the parameter itself
  // is not changed.
  virtual void SendParameterValueFromAPI(int paramIdx, double value, bool normalized);
  virtual void TraceFormatted(int line, const char* format, ...) { (void)line, (void)format; }
  virtual bool EditorResize(int width, int height, bool needsPlatformResize) {
    (void)width, (void)height, (void)needsPlatformResize;
    return false;
  }
  virtual void BeginInformHostOfParamChange(int paramIdx) { (void)paramIdx; }
  virtual void EndInformHostOfParamChange(int paramIdx) { (void)paramIdx; }
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) { (void)paramIdx, (void)normalizedValue; }

  // Stores Constrain(FromNormalized(value)), informs the host with the value as given, then
  // OnParamChange(index, "UI", -1).
  void SetParameterValue(int paramIdx, double normalizedValue);
  // The framework's trace sink; writes nothing in this system.
  void Trace(const char* functionName, int line) { (void)functionName, (void)line; }

protected:
  std::unique_ptr<Timer> mTimer;
  RingQueue<ParamChange> mParamChangeToEditor{513};
  RingQueue<MidiMsg> mMidiToProcessor{33};
  RingQueue<MidiMsg> mMidiFromProcessor{33};
  RingQueue<SysExRecord> mSysExToProcessor{5};
  RingQueue<SysExRecord> mSysExFromProcessor{5};
  // Scratch record for the plug-in binding's real-time call.
  SysExRecord mSysExScratch;
};

} // namespace keel
