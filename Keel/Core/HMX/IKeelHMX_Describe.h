// The plug-in's description to an HMX host: the effect with its names, category and create
// procedures, and one processing component per channel configuration with its context fields.
#pragma once

#include "Keel/Core/ChannelIOConfig.h"
#include "Keel/Core/HMX/HMXProductDescription.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_VCollection.h"

#include <array>
#include <string>

namespace keel {

// A stem-format code is stem number x 65536 + channel count.
inline constexpr int32_t kHMXStemFormatNone = -100 * 65536;
inline constexpr int32_t kHMXStemFormatMono = 1;
inline constexpr int kMaxAdditionalMIDINodes = 15;
inline constexpr int kMaxAuxOutputStems = 32;

// Context field indices of the component, as the real-time procedure reads them.
enum HMXContextField : int32_t {
  kFieldAudioInput = 0,
  kFieldAudioOutput = 1,
  kFieldBufferLength = 2,
  kFieldClock = 3,
  kFieldInputMIDI = 4,
  kFieldOutputMIDI = 5,
  kFieldGlobalMIDI = 6,
  kFieldTransport = 7,
  kFieldFirstAdditionalMIDI = 8, // to 22
  kFieldPrivateData = 23,        // 8 bytes: the instance's parameters object
  kFieldMeters = 24,
  kFieldStateNumber = 25, // 8-byte data-in port, buffered
  kFieldSideChain = 26,
};

// Node types of DeclareMIDINode.
enum HMXMIDINodeType : int32_t {
  kNodeLocalInput = 0,
  kNodeLocalOutput = 1,
  kNodeGlobal = 2,
  kNodeTransport = 3
};

// The description of one component.
struct SetupInfo {
  bool mNeedsGlobalMIDI = false;
  std::string mGlobalMIDINodeName = "GlobalMIDI";
  uint32_t mGlobalMIDIEventMask = 0xFFFF;
  bool mNeedsInputMIDI = false;
  std::string mInputMIDINodeName = "InputMIDI";
  uint32_t mInputMIDIChannelMask = 0xFFFF;
  int mNumAdditionalInputMIDINodes = 0;
  bool mNeedsOutputMIDI = false;
  std::string mOutputMIDINodeName = "OutputMIDI";
  uint32_t mOutputMIDIChannelMask = 0xFFFF;
  bool mNeedsTransport = false;
  int mNumMeters = 0;
  const uint32_t* mMeterIDs = nullptr;
  int mNumAuxOutputStems = 0;
  std::array<std::string, kMaxAuxOutputStems> mAuxOutputStemNames{};
  std::array<int32_t, kMaxAuxOutputStems> mAuxOutputStemFormats{};
  int32_t mHybridInputStemFormat = kHMXStemFormatNone;
  int32_t mHybridOutputStemFormat = kHMXStemFormatNone;
  int32_t mInputStemFormat = kHMXStemFormatMono;
  int32_t mOutputStemFormat = kHMXStemFormatMono;
  bool mAddsProperty151 = false;
  bool mCanBypass = true;
  bool mWantsSideChain = false;
  uint32_t mManufacturerID = HMX_FourCC("none");
  uint32_t mProductID = HMX_FourCC("none");
  uint32_t mPluginIDNative = HMX_FourCC("none");
  uint32_t mPluginIDOffline = HMX_FourCC("none");
  bool mMultiMonoSupported = true;
  int mLatency = 0;
};

int32_t StemFormatForChannels(int channelCount);
void DefaultSetupInfo(SetupInfo& setupInfo);
void SetupInfoForIOConfig(int configIndex, const ChannelIOConfig& config, uint32_t pluginTypeID,
                          SetupInfo& setupInfo, const HMXProductDescription& product = {});

// Declares one component on the effect. Any failing host call throws HMX::Exception::ResultError
// (through HMX_CheckedResult); the module's entry point catches it.
HMX_Result DescribeComponent(HMX_VEffectDescriptor* effect, const SetupInfo& setupInfo);

// Describes the effect on the host's collection; the or-ed failures, or RegisterEffect's answer.
HMX_Result DescribeEffects(HMX_VCollection& collection, const HMXProductDescription& product = {});

} // namespace keel
