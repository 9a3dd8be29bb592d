// Plug-in base: identity (names, version, IDs), what is known of the host, preset slots, and the state hooks
// whose default is the framework's parameter serialization (each value as a little-endian double).
#pragma once

#include "Keel/Core/ByteChunk.h"
#include "Keel/Core/HeapString.h"
#include "Keel/Core/PluginConfig.h"
#include "Keel/Core/PtrList.h"
#include "Keel/Core/WebViewEditorDelegate.h"

namespace keel {

// A preset slot; created at construction, nothing reads or writes it afterwards.
struct PresetSlot {
  bool initialized = false;
  char name[256] = "empty";
  ByteChunk state;
};

// Threads: the state hooks run on the host thread that saves or restores state (never the audio thread);
// parameter values are stored atomically, so the audio thread sees each one whole.
class IPluginBase : public WebViewEditorDelegate {
public:
  IPluginBase(int nParams, int nPresets);
  ~IPluginBase() override;

  // The plug-in's state; the defaults are SerializeParams and UnserializeParams.
  virtual bool SerializeState(ByteChunk& chunk) const { return SerializeParams(chunk); }
  virtual int UnserializeState(const ByteChunk& chunk, int startPos) {
    return UnserializeParams(chunk, startPos);
  }

  // Appends every parameter's value as a double, in index order. False when the chunk could not grow by
  // 8 bytes for a value; the chunk is then left as it was before the call.
  bool SerializeParams(ByteChunk& chunk) const;
  // Reads one double per parameter from startPos (constrained, stored atomically), then
  // OnParamReset("Preset") in every case. Returns startPos + 8 x count, -1 when the chunk is too short
  // (values read before the shortage stay), or startPos itself when it is negative (nothing read).
  int UnserializeParams(const ByteChunk& chunk, int startPos);

  // The packed version, or major x 10000 + minor x 100 + bugfix when decimal.
  int GetPluginVersion(bool decimal) const { return decimal ? DecimalVersion(mVersion) : mVersion; }
  int GetHostVersion(bool decimal) const { return decimal ? DecimalVersion(mHostVersion) : mHostVersion; }
  static int DecimalVersion(int packed) {
    return (packed >> 16) * 10000 + ((packed >> 8) & 255) * 100 + (packed & 255);
  }

  const char* GetPluginName() const { return mPluginName.Get(); }
  const char* GetProductName() const { return mProductName.Get(); }
  const char* GetMakerName() const { return mMakerName.Get(); }
  int GetUniqueID() const { return mUniqueID; }
  int GetMakerID() const { return mMakerID; }
  int GetHost() const { return mHostId; }
  const char* GetHostName() const { return mHostName.Get(); }
  int GetAPI() const { return mAPIKind; }
  const char* GetIdentifierText1() const { return mIdentifierText1.Get(); }
  const char* GetIdentifierText2() const { return mIdentifierText2.Get(); }
  bool HasUI() const { return mHasUI; }
  bool GetHostResize() const { return mHostResize; }
  int NPresets() const { return mPresets.GetSize(); }
  const PresetSlot* GetPreset(int index) const { return mPresets.Get(index); }

protected:
  // Names (each at most 128 bytes), version, IDs, flags and identifier texts from the configuration; the
  // host-API base calls it while it is being built.
  void SetIdentity(const PluginConfig& config);
  void SetHostInfo(const char* name, int hostId, int packedVersion);
  void SetAPIKind(int kind) { mAPIKind = kind; }

  HeapString mPluginName;
  HeapString mProductName;
  HeapString mMakerName;
  int mUniqueID = 0;
  int mMakerID = 0;
  int mVersion = 0;
  int mHostVersion = 0;
  int mHostId = -1;
  HeapString mHostName;
  int mAPIKind = 0;
  HeapString mIdentifierText1;
  HeapString mIdentifierText2;
  bool mHasUI = false;
  bool mHostResize = false;
  ByteChunk mUnusedChunk;
  PtrList<PresetSlot> mPresets;
};

} // namespace keel
