// The plug-in's real-time block: MIDI from the host, buffers, transport, MIDI from the editor,
// rendering, and MIDI and system-exclusive output to the host; and the MIDI output queue.
#include "Keel/Core/HMX/IKeelHMX.h"

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFTransport.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IParameter.h"

#include <algorithm>
#include <new>

namespace keel {

namespace {
int ChannelsOf(HMX_VController* controller, bool input) {
  int32_t format = 0;
  if (!controller)
    return 0;
  const HMX_Result got = input ? controller->InputStemFormat(&format) : controller->OutputStemFormat(&format);
  return got == HMX_SUCCESS ? int(format & 0xFFFF) : 0;
}

template <class T> T* Field(HMX_InstanceContext& context, int index) {
  return static_cast<T*>(context.fields[index]);
}
} // namespace

void IKeelHMX::RenderBlock(HMX_InstanceContext& context, void* const*, int32_t) {
  bool bypassed = false;
  if (mBypass)
    mBypass->ReadBool(bypassed);
  const int inputCount = ChannelsOf(Controller(), true);
  const int outputCount = std::min(ChannelsOf(Controller(), false), MaxNChannels(kOutput));

  if (DoesMidiIn()) {
    if (const auto* node = Field<HMX_MIDINode>(context, kFieldInputMIDI); node && node->buffer) {
      for (int32_t i = 0; i < node->bufferCount; ++i) {
        const HMX_MIDIPacket& packet = node->buffer[i];
        const MidiMsg msg(int(packet.timestamp), packet.data[0], packet.data[1], packet.data[2]);
        ProcessMidiMsg(msg);
        mMidiFromProcessor.Push(msg);
      }
    }
  }

  mTransport = context.fields[kFieldTransport];

  const int32_t* frameField = Field<int32_t>(context, kFieldBufferLength);
  const int frames = frameField ? *frameField : 0;
  if (frames > GetBlockSize()) {
    SetBlockSize(frames);
    OnReset();
  }

  // This product is an instrument; inputs are served for effects built on the same binding.
  auto** inputs = Field<float*>(context, kFieldAudioInput);
  if (!IsInstrument() && inputs) {
    const int count = std::min(inputCount, MaxNChannels(kInput));
    SetChannelConnections(kInput, 0, count, true);
    SetChannelConnections(kInput, count, MaxNChannels(kInput) - count, false);
    AttachBuffers(FloatBuffers{}, kInput, 0, count, inputs, frames);
  }

  SetChannelConnections(kOutput, 0, MaxNChannels(kOutput), true);
  if (MaxNBuses(kOutput) == 1)
    SetChannelConnections(kOutput, outputCount, MaxNChannels(kOutput) - outputCount, false);
  if (auto** outputs = Field<float*>(context, kFieldAudioOutput))
    AttachBuffers(FloatBuffers{}, kOutput, 0, MaxNChannels(kOutput), outputs, frames);

  if (bypassed) {
    RenderPassThrough(FloatBuffers{}, frames);
  } else {
    ReadTransport(context);
    MidiMsg msg;
    while (mMidiToProcessor.Pop(msg))
      ProcessMidiMsg(msg);
    ProcessBuffers(FloatBuffers{}, frames);
  }

  if (DoesMidiOut())
    if (const auto* node = Field<HMX_MIDINode>(context, kFieldOutputMIDI))
      PostOutput(*node);
}

void IKeelHMX::ReadTransport(HMX_InstanceContext&) {
  double tempo = 120.0;
  bool playing = false;
  int32_t numerator = 4, denominator = 4;
  int64_t ticks = -1, samples = -1, loopStart = -1, loopEnd = -1;
  bool looping = false;
  if (auto* transport = static_cast<HMX_IHCFTransport*>(mTransport)) {
    transport->Tempo(&tempo);
    transport->IsPlaying(&playing);
    transport->Meter(&numerator, &denominator);
    transport->TickPosition(&ticks);
    transport->SamplePosition(&samples);
    transport->LoopRange(&looping, &loopStart, &loopEnd);
  }
  TimeInfo info;
  info.tempo = tempo;
  info.samplePos = double(samples);
  info.ppqPos = std::max(0.0, double(ticks) / kTicksPerQuarter);
  info.lastBar = -1.0;
  info.cycleStart = double(loopStart) / kTicksPerQuarter;
  info.cycleEnd = double(loopEnd) / kTicksPerQuarter;
  info.numerator = numerator;
  info.denominator = denominator;
  info.transportIsRunning = playing;
  info.transportLoopEnabled = looping;
  SetTimeInfo(info);
}

void IKeelHMX::PostOutput(const HMX_MIDINode& node) {
  for (int i = mMidiOutRead; i < mMidiOutCount; ++i) {
    const MidiMsg& msg = mMidiOut[size_t(i)];
    HMX_MIDIPacket packet;
    packet.timestamp = uint32_t(msg.offset);
    packet.length = 3;
    packet.data[0] = msg.status;
    packet.data[1] = msg.data1;
    packet.data[2] = msg.data2;
    packet.immediate = true;
    node.Post(packet);
  }
  mMidiOutRead = 0;
  mMidiOutCount = 0;

  while (mSysExToProcessor.Pop(mSysExScratch)) {
    for (int start = 0; start < mSysExScratch.size; start += 4) {
      HMX_MIDIPacket packet;
      packet.timestamp = uint32_t(mSysExScratch.offset);
      packet.length = uint32_t(std::min(4, mSysExScratch.size - start));
      std::copy_n(mSysExScratch.data + start, packet.length, packet.data);
      packet.immediate = true;
      node.Post(packet);
    }
  }
}

bool IKeelHMX::SendMidiMsg(const MidiMsg& msg) {
  if (mMidiOutCount >= int(mMidiOut.size())) {
    if (mMidiOutRead > 0) {
      std::copy(mMidiOut.begin() + mMidiOutRead, mMidiOut.begin() + mMidiOutCount, mMidiOut.begin());
      mMidiOutCount -= mMidiOutRead;
      mMidiOutRead = 0;
    } else {
      try {
        mMidiOut.resize(mMidiOut.size() + kMidiQueueGrowth);
      } catch (const std::bad_alloc&) {
        return true; // dropped; the queue never reports failure
      }
    }
  }
  int at = mMidiOutCount;
  // Keep the queue ordered by offset; equal offsets keep their arrival order.
  while (at > mMidiOutRead && mMidiOut[size_t(at - 1)].offset > msg.offset) {
    mMidiOut[size_t(at)] = mMidiOut[size_t(at - 1)];
    --at;
  }
  mMidiOut[size_t(at)] = msg;
  ++mMidiOutCount;
  return true;
}

} // namespace keel
