// The plug-in's description to an HMX host.
#include "Keel/Core/HMX/IKeelHMX_Describe.h"

#include "Keel/Core/HMX/HMXModuleHooks.h"
#include "Keel/Core/IKeelProcessor.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CheckedResult.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_HostReporting.h"

#include <algorithm>
#include <cstdio>

namespace keel {

namespace {

constexpr const char* kDescribeSource = "Keel/Core/HMX/IKeelHMX_Describe";
constexpr const char* kParametersSource = "Keel/Core/HMX/IKeelHMX_Parameters";
constexpr int32_t kEffectParametersProc = 0;
constexpr int32_t kEffectGUIProc = 1;
constexpr uint32_t kPlaceholderBytes = 4;
constexpr uint32_t kPrivateDataBytes = 8;
constexpr uint32_t kStateNumberBytes = 8;
constexpr uint32_t kTransportMask = 0xFFFF;

// Property IDs of the component's map.
enum : int32_t {
  kPropManufacturerID = 11,
  kPropProductID = 12,
  kPropPluginIDNative = 13,
  kPropPluginIDOffline = 14,
  kPropLatency = 56,
  kPropInputStemFormat = 51,
  kPropOutputStemFormat = 52,
  kPropCanBypass = 60,
  kPropHybridOutputStemFormat = 90,
  kPropHybridInputStemFormat = 91,
  kPropSideChain = 116,
  kProp151 = 151,
  kProp300 = 300,
  kPropMultiMonoUnsupported = 304,
  kPropUsesTransport = 306,
};

// A field the real-time side never reads: 4 bytes of private data with no options.
void Placeholder(HMX_VComponentDescriptor& component, int32_t field, HMX_CheckedResult& checked) {
  checked = component.DeclarePrivateData(field, kPlaceholderBytes, 0);
}

} // namespace

int32_t StemFormatForChannels(int channelCount) {
  struct Row {
    int channels;
    int32_t stemNumber;
  };
  static constexpr Row kRows[] = {{1, 0},  {2, 1},  {3, 2},  {4, 14},  {5, 5},  {6, 6},
                                  {7, 11}, {8, 12}, {9, 18}, {10, 13}, {16, 19}};
  for (const Row& row : kRows)
    if (row.channels == channelCount)
      return row.stemNumber * 65536 + row.channels;
  return kHMXStemFormatNone;
}

void DefaultSetupInfo(SetupInfo& setupInfo) {
  setupInfo = SetupInfo{};
  setupInfo.mAuxOutputStemFormats.fill(kHMXStemFormatMono);
}

void SetupInfoForIOConfig(int configIndex, const ChannelIOConfig& config, uint32_t pluginTypeID,
                          SetupInfo& setupInfo, const HMXProductDescription& product) {
  (void)configIndex;
  // An instrument without inputs still declares its output layout on the input side.
  const int inputChannels =
      config.TotalNChannels(kInput) == 0 ? config.NChansOnBus(kOutput, 0) : config.NChansOnBus(kInput, 0);
  setupInfo.mInputStemFormat = StemFormatForChannels(inputChannels);
  setupInfo.mOutputStemFormat = StemFormatForChannels(config.NChansOnBus(kOutput, 0));
  setupInfo.mNumAuxOutputStems = std::max(0, config.NBuses(kOutput) - 1);
  for (int i = 0; i < std::min(setupInfo.mNumAuxOutputStems, kMaxAuxOutputStems); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Output %i", i + 2);
    setupInfo.mAuxOutputStemNames[size_t(i)] = name;
    setupInfo.mAuxOutputStemFormats[size_t(i)] = StemFormatForChannels(config.NChansOnBus(kOutput, i + 1));
  }
  setupInfo.mManufacturerID = product.manufacturerID;
  setupInfo.mProductID = product.productID;
  setupInfo.mPluginIDNative = pluginTypeID;
  setupInfo.mInputMIDINodeName = product.midiNodeName;
  setupInfo.mOutputMIDINodeName = product.midiNodeName;
  setupInfo.mCanBypass = product.canBypass;
  setupInfo.mNeedsInputMIDI = product.needsInputMIDI;
  setupInfo.mNeedsOutputMIDI = product.needsOutputMIDI;
  setupInfo.mNeedsTransport = product.needsTransport;
  setupInfo.mInputMIDIChannelMask = product.midiChannelMask;
  setupInfo.mOutputMIDIChannelMask = product.midiChannelMask;
  setupInfo.mLatency = product.latencySamples;
}

HMX_Result DescribeComponent(HMX_VEffectDescriptor* effect, const SetupInfo& setupInfo) {
  HMX_CheckedResult checked;
  HMX_VComponentDescriptor* component = effect ? effect->CreateComponentDescriptor() : nullptr;
  if (!component || !component->V1Interface())
    checked = HMX_ERROR_NULL_OBJECT;

  // Each MIDI node the instance needs is declared in its field; the others hold a placeholder.
  struct MidiNode {
    bool needed;
    int32_t field;
    int32_t nodeType;
    const char* name;
    uint32_t mask;
  };
  const MidiNode midiNodes[] = {
      {setupInfo.mNeedsGlobalMIDI, kFieldGlobalMIDI, kNodeGlobal, setupInfo.mGlobalMIDINodeName.c_str(),
       setupInfo.mGlobalMIDIEventMask},
      {setupInfo.mNeedsInputMIDI, kFieldInputMIDI, kNodeLocalInput, setupInfo.mInputMIDINodeName.c_str(),
       setupInfo.mInputMIDIChannelMask},
      {setupInfo.mNeedsOutputMIDI, kFieldOutputMIDI, kNodeLocalOutput, setupInfo.mOutputMIDINodeName.c_str(),
       setupInfo.mOutputMIDIChannelMask},
      {setupInfo.mNeedsTransport, kFieldTransport, kNodeTransport, "Transport", kTransportMask}};
  for (const MidiNode& node : midiNodes) {
    if (node.needed)
      checked = component->DeclareMIDINode(node.field, node.nodeType, node.name, node.mask);
    else
      Placeholder(*component, node.field, checked);
  }

  if (setupInfo.mNumAdditionalInputMIDINodes > kMaxAdditionalMIDINodes)
    HMX::HostAssert(kParametersSource, __LINE__,
                    "setupInfo.mNumAdditionalInputMIDINodes <= kMaxAdditionalMIDINodes");
  for (int i = 0; i < kMaxAdditionalMIDINodes; ++i) {
    const int32_t field = kFieldFirstAdditionalMIDI + i;
    if (i < setupInfo.mNumAdditionalInputMIDINodes)
      checked = component->DeclareMIDINode(field, kNodeLocalInput, setupInfo.mInputMIDINodeName.c_str(),
                                           setupInfo.mInputMIDIChannelMask);
    else
      Placeholder(*component, field, checked);
  }

  checked = component->DeclareAudioInput(kFieldAudioInput);
  checked = component->DeclareAudioOutput(kFieldAudioOutput);
  checked = component->DeclareBufferLength(kFieldBufferLength);
  checked = component->DeclareClock(kFieldClock);

  if (setupInfo.mNumMeters >= 1)
    checked = component->DeclareMeters(kFieldMeters, setupInfo.mMeterIDs, setupInfo.mNumMeters);
  else
    Placeholder(*component, kFieldMeters, checked);
  if (setupInfo.mWantsSideChain)
    checked = component->DeclareSideChainInput(kFieldSideChain);

  if (setupInfo.mNumAuxOutputStems > kMaxAuxOutputStems)
    HMX::HostAssert(kParametersSource, __LINE__, "setupInfo.mNumAuxOutputStems <= kMaxAuxOutputStems");
  // Never more stems than the record holds names for.
  for (int i = 0; i < std::min(setupInfo.mNumAuxOutputStems, kMaxAuxOutputStems); ++i)
    checked = component->DeclareAuxOutputStem(0, setupInfo.mAuxOutputStemFormats[size_t(i)],
                                              setupInfo.mAuxOutputStemNames[size_t(i)].c_str());

  checked = component->DeclarePrivateData(kFieldPrivateData, kPrivateDataBytes, 0);
  checked = component->DeclareDataInPort(kFieldStateNumber, kStateNumberBytes, true);

  HMX_VPropertyMap* map = component->CreatePropertyMap();
  if (setupInfo.mAddsProperty151)
    checked = map->AddProperty(kProp151, 1);
  const bool hybridIn = setupInfo.mHybridInputStemFormat != kHMXStemFormatNone;
  const bool hybridOut = setupInfo.mHybridOutputStemFormat != kHMXStemFormatNone;
  if (hybridIn != hybridOut)
    HMX::HostAssert(kParametersSource, __LINE__,
                    "(HMX_eStemFormat_None != setupInfo.mHybridInputStemFormat) == "
                    "(HMX_eStemFormat_None != setupInfo.mHybridOutputStemFormat)");
  if (hybridIn && hybridOut) {
    checked = map->AddProperty(kPropHybridInputStemFormat, setupInfo.mHybridInputStemFormat);
    checked = map->AddProperty(kPropHybridOutputStemFormat, setupInfo.mHybridOutputStemFormat);
  }
  if (setupInfo.mWantsSideChain)
    checked = map->AddProperty(kPropSideChain, 1);
  checked = map->AddProperty(kPropLatency, setupInfo.mLatency);
  checked = map->AddProperty(kPropInputStemFormat, setupInfo.mInputStemFormat);
  checked = map->AddProperty(kPropOutputStemFormat, setupInfo.mOutputStemFormat);
  checked = map->AddProperty(kPropCanBypass, setupInfo.mCanBypass ? 1 : 0);
  checked = map->AddProperty(kProp300, 1);
  if (setupInfo.mNeedsTransport)
    checked = map->AddProperty(kPropUsesTransport, 1);
  checked = map->AddProperty(kPropManufacturerID, int32_t(setupInfo.mManufacturerID));
  checked = map->AddProperty(kPropProductID, int32_t(setupInfo.mProductID));
  checked = map->AddProperty(kPropPluginIDNative, int32_t(setupInfo.mPluginIDNative));
  if (setupInfo.mPluginIDOffline != HMX_FourCC("none"))
    checked = map->AddProperty(kPropPluginIDOffline, int32_t(setupInfo.mPluginIDOffline));
  if (!setupInfo.mMultiMonoSupported)
    checked = map->AddProperty(kPropMultiMonoUnsupported, 0);

  // A module whose binding registered no process procedure has nothing to run: that is a failure.
  const HMX_ProcessProc process = GetHMXModuleHooks().processInstances;
  if (!process)
    checked = HMX_ERROR_NULL_OBJECT;
  uint32_t procID = 0;
  checked = component->RegisterNativeProc(process, map, nullptr, nullptr, &procID);
  checked = effect->AttachComponent(component);
  return checked.Current();
}

HMX_Result DescribeEffects(HMX_VCollection& collection, const HMXProductDescription& product) {
  HMX_VEffectDescriptor* effect = collection.CreateEffectDescriptor();
  if (!effect || !effect->V1Interface())
    return HMX_ERROR_NULL_OBJECT;

  HMX_Result err = HMX_SUCCESS;
  auto step = [&](HMX_Result result) {
    if (result != HMX_SUCCESS)
      HMX::HostAssert(kDescribeSource, __LINE__, "err == HMX_SUCCESS");
    err |= result;
  };

  const std::string names = product.effectNames ? product.effectNames : "";
  for (size_t start = 0; start <= names.size();) {
    const size_t end = std::min(names.find('\n', start), names.size());
    const std::string name = names.substr(start, end - start);
    step(effect->AppendEffectName(name.c_str()));
    step(collection.AppendPackageName(name.c_str()));
    start = end + 1;
  }
  step(effect->AppendCategory(product.category));

  PtrList<ChannelIOConfig> configs;
  int maxInChannels = 0, maxOutChannels = 0, maxInBuses = 0, maxOutBuses = 0;
  const int configCount = IKeelProcessor::ParseChannelIOStr(product.channelIOText, configs, maxInChannels,
                                                            maxOutChannels, maxInBuses, maxOutBuses);
  SetupInfo setupInfo;
  auto describe = [&](int index, uint32_t typeID) {
    DefaultSetupInfo(setupInfo);
    SetupInfoForIOConfig(index, *configs.Get(index), typeID, setupInfo, product);
    step(DescribeComponent(effect, setupInfo));
  };
  if (maxOutBuses < 2) {
    // Configuration i takes the type ID that follows configuration i - 1's.
    for (int i = 0; i < configCount; ++i)
      describe(i, product.pluginTypeID + uint32_t(i));
  } else if (configCount > 0) {
    describe(configCount - 1, product.pluginTypeID);
  }

  step(effect->RegisterCreateProc(NewEffectParameters, kEffectParametersProc));
  step(effect->RegisterCreateProc(NewEffectGUI, kEffectGUIProc));

  HMX_Result result = err;
  if (err == HMX_SUCCESS)
    result = collection.RegisterEffect(product.effectID, effect);
  collection.SetMakerName(product.makerName);
  collection.SetPackageVersion(product.packageVersion);
  return result;
}

} // namespace keel
