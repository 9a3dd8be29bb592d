// Parameter serialization and identity of the plug-in base.
#include "Keel/Core/IPluginBase.h"

namespace keel {

namespace {
constexpr int kMaxNameBytes = 128;
} // namespace

IPluginBase::IPluginBase(int nParams, int nPresets) : WebViewEditorDelegate(nParams) {
  for (int i = 0; i < nPresets; ++i)
    mPresets.Add(new PresetSlot);
}

IPluginBase::~IPluginBase() = default;

void IPluginBase::SetIdentity(const PluginConfig& config) {
  mPluginName.Set(config.pluginName, kMaxNameBytes);
  mProductName.Set(config.productName, kMaxNameBytes);
  mMakerName.Set(config.makerName, kMaxNameBytes);
  mVersion = config.version;
  mUniqueID = config.uniqueId;
  mMakerID = config.makerId;
  mHasUI = config.hasUI;
  mHostResize = config.hostCanResize;
  mIdentifierText1.Set(config.identifierText1);
  mIdentifierText2.Set(config.identifierText2);
}

void IPluginBase::SetHostInfo(const char* name, int hostId, int packedVersion) {
  mHostName.Set(name);
  mHostId = hostId;
  mHostVersion = packedVersion;
}

bool IPluginBase::SerializeParams(ByteChunk& chunk) const {
  const int start = chunk.Size();
  for (int i = 0; i < NParams(); ++i) {
    const int before = chunk.Size();
    // A chunk that did not grow by one whole value is a failure, wherever it happens; a state with some
    // parameters missing must not be handed to the host as complete.
    if (chunk.Put(GetParam(i)->Value()) != before + static_cast<int>(sizeof(double))) {
      chunk.Resize(start);
      return false;
    }
  }
  return true;
}

int IPluginBase::UnserializeParams(const ByteChunk& chunk, int startPos) {
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i) {
    double value = 0.0;
    pos = chunk.Get(&value, pos);
    if (pos < 0)
      break;
    IParam* param = GetParam(i);
    param->Set(param->Constrain(value));
  }
  // The processor hears about every parameter, also those that kept their old values.
  OnParamReset(kPresetRecall);
  return pos;
}

} // namespace keel
