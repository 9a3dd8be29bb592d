// Editor-facing base of the plug-in object: the parameter list, the editor size and its limits, and the
// hooks by which editor and processor talk.
#pragma once

#include <atomic>

#include "Keel/Core/ByteChunk.h"
#include "Keel/Core/IParam.h"
#include "Keel/Core/MidiMsg.h"
#include "Keel/Core/ParamChange.h"
#include "Keel/Core/PtrList.h"
#include "Keel/Core/SysExMsg.h"

namespace keel {

// A key the page forwards: Windows virtual-key code, up to 4 bytes of its text, and the modifiers.
struct KeyPressRecord {
  int VK = 0;
  char utf8[5] = {};
  bool S = false; // shift
  bool C = false; // control
  bool A = false; // alt
};

// Threads: the editor hooks and the Send*FromDelegate calls run on the UI thread; the parameter
// values are atomics that any thread may read.
class IEditorDelegate {
public:
  static constexpr int kDefaultMinSize = 10;
  static constexpr int kDefaultMaxSize = 100000;

  // One undefined parameter per index.
  explicit IEditorDelegate(int nParams);
  virtual ~IEditorDelegate();
  IEditorDelegate(const IEditorDelegate&) = delete;
  IEditorDelegate& operator=(const IEditorDelegate&) = delete;

  virtual void* OpenWindow(void* parent);
  virtual void CloseWindow();
  virtual void OnParentWindowResize(int width, int height) { (void)width, (void)height; }
  virtual void OnUIOpen();
  virtual void OnUIClose() {}
  virtual void OnParamChange(int paramIdx) { (void)paramIdx; }
  virtual void OnParamChange(int paramIdx, ParamSource source, int sampleOffset);
  virtual void OnParamChangeUI(int paramIdx, ParamSource source) { (void)paramIdx, (void)source; }
  // Both change hooks of every parameter, in index order.
  virtual void OnParamReset(ParamSource source);
  virtual void OnMidiMsgUI(const MidiMsg& msg) { (void)msg; }
  virtual void OnSysexMsgUI(const SysExMsg& msg) { (void)msg; }
  virtual bool OnMessage(int msgTag, int ctrlTag, int dataSize, const void* data);
  virtual void OnRestoreState();
  virtual bool OnKeyDown(const KeyPressRecord& key) { return (void)key, false; }
  virtual bool OnKeyUp(const KeyPressRecord& key) { return (void)key, false; }

  virtual void SendControlValueFromDelegate(int ctrlTag, double normalizedValue) {
    (void)ctrlTag, (void)normalizedValue;
  }
  virtual void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize, const void* data);
  virtual void SendArbitraryMsgFromDelegate(int msgTag, int dataSize, const void* data);
  virtual void SendMidiMsgFromDelegate(const MidiMsg& msg);
  virtual void SendSysexMsgFromDelegate(const SysExMsg& msg);
  virtual void SendParameterValueFromDelegate(int paramIdx, double value, bool normalized);

  virtual void InformHostOfAllParamValues() {}
  virtual void BeginParamChangeFromUI(int paramIdx) = 0;
  // Sets the parameter from a normalized value and tells the editor hooks (source "UI").
  virtual void SendParameterValueFromUI(int paramIdx, double normalizedValue);
  virtual void EndParamChangeFromUI(int paramIdx) = 0;
  virtual bool EditorResizeFromUI(int viewWidth, int viewHeight, bool needsPlatformResize);
  virtual void SendMidiMsgFromUI(const MidiMsg& msg) { (void)msg; }
  virtual bool SendSysexMsgFromUI(const SysExMsg& msg) { return (void)msg, false; }
  virtual void SendArbitraryMsgFromUI(int msgTag, int ctrlTag, int dataSize, const void* data);
  virtual void DeferMidiMsg(const MidiMsg& msg) { (void)msg; }
  virtual bool DeferSysexMsg(const SysExMsg& msg) { return (void)msg, false; }

  // True when the size lies within the limits; otherwise clamps it into them and returns false.
  virtual bool ConstrainEditorResize(int& width, int& height) const;
  virtual bool SerializeEditorState(ByteChunk& chunk) const { return (void)chunk, true; }
  virtual int UnserializeEditorState(const ByteChunk& chunk, int startPos) { return (void)chunk, startPos; }

  // Null when the index is outside the list.
  IParam* GetParam(int paramIdx) const { return mParams.Get(paramIdx); }
  int NParams() const { return mParams.GetSize(); }
  // Every parameter's normalized value to the editor, in index order.
  void SendAllParamValuesFromDelegate();

  int GetEditorWidth() const { return mEditorWidth; }
  int GetEditorHeight() const { return mEditorHeight; }
  void SetEditorSize(int width, int height) {
    mEditorWidth = width;
    mEditorHeight = height;
  }
  // A state restore on a host thread sets the limits while the UI thread reads them.
  void SetSizeConstraints(int minWidth, int maxWidth, int minHeight, int maxHeight) {
    mMinWidth.store(minWidth, std::memory_order_relaxed);
    mMaxWidth.store(maxWidth, std::memory_order_relaxed);
    mMinHeight.store(minHeight, std::memory_order_relaxed);
    mMaxHeight.store(maxHeight, std::memory_order_relaxed);
  }
  int GetMinWidth() const { return mMinWidth.load(std::memory_order_relaxed); }
  int GetMaxWidth() const { return mMaxWidth.load(std::memory_order_relaxed); }
  int GetMinHeight() const { return mMinHeight.load(std::memory_order_relaxed); }
  int GetMaxHeight() const { return mMaxHeight.load(std::memory_order_relaxed); }

protected:
  PtrList<IParam> mParams;
  int mEditorWidth = 0;
  int mEditorHeight = 0;
  std::atomic<int> mMinWidth{kDefaultMinSize};
  std::atomic<int> mMaxWidth{kDefaultMaxSize};
  std::atomic<int> mMinHeight{kDefaultMinSize};
  std::atomic<int> mMaxHeight{kDefaultMaxSize};
};

} // namespace keel
