// The plug-in's real-time block: MIDI from the host, buffers, transport, MIDI from the editor,
// rendering, and MIDI and system-exclusive output to the host; and the MIDI output queue. Nothing
// here allocates, locks or logs.
#include "Keel/Core/HMX/IKeelHMX.h"

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFTransport.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IParameter.h"

#include <algorithm>

namespace keel {

namespace {
constexpr int kMaxSliceChannels = 16;
constexpr uint8_t kSysExStart = 0xF0;
constexpr uint8_t kSysExEnd = 0xF7;
constexpr uint8_t kFirstRealTime = 0xF8;

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

// The transport's positions a number of frames later.
TimeInfo Advanced(const TimeInfo& time, int frames, double sampleRate) {
  TimeInfo later = time;
  if (frames == 0)
    return later;
  if (later.samplePos >= 0.0)
    later.samplePos += frames;
  if (later.ppqPos >= 0.0 && sampleRate > 0.0)
    later.ppqPos += double(frames) / sampleRate * later.tempo / 60.0;
  return later;
}
} // namespace

void IKeelHMX::RenderBlock(HMX_InstanceContext& context, void* const*, int32_t) {
  // After teardown the parameters, the bypass among them, are gone.
  if (mTornDown.load(std::memory_order_acquire))
    return;
  bool bypassed = false;
  if (mBypass)
    mBypass->ReadBool(bypassed);
  const int inputCount = std::min(ChannelsOf(Controller(), true), MaxNChannels(kInput));
  const int outputCount = std::min(ChannelsOf(Controller(), false), MaxNChannels(kOutput));

  if (DoesMidiIn())
    if (const auto* node = Field<HMX_MIDINode>(context, kFieldInputMIDI); node && node->buffer)
      TakeHostMidi(*node);

  mTransport = context.fields[kFieldTransport];

  const int32_t* frameField = Field<int32_t>(context, kFieldBufferLength);
  const int frames = frameField ? std::max(*frameField, 0) : 0;

  SetChannelConnections(kOutput, 0, MaxNChannels(kOutput), true);
  if (MaxNBuses(kOutput) == 1)
    SetChannelConnections(kOutput, outputCount, MaxNChannels(kOutput) - outputCount, false);

  // This product is an instrument; inputs are served for effects built on the same binding.
  auto** inputs = IsInstrument() ? nullptr : Field<float*>(context, kFieldAudioInput);
  if (inputs) {
    SetChannelConnections(kInput, 0, inputCount, true);
    SetChannelConnections(kInput, inputCount, MaxNChannels(kInput) - inputCount, false);
  }

  TimeInfo time;
  if (!bypassed) {
    time = ReadTransport();
    MidiMsg msg;
    while (mMidiToProcessor.Pop(msg))
      ProcessMidiMsg(msg);
  }
  if (auto** outputs = Field<float*>(context, kFieldAudioOutput))
    RenderSlices(inputs, inputCount, outputs, frames, bypassed, time);

  if (!DoesMidiOut())
    return;
  if (const auto* node = Field<HMX_MIDINode>(context, kFieldOutputMIDI))
    PostOutput(*node);
  else
    DiscardOutput(); // a host without MIDI routing would never take them
}

// The host's block in slices of the processor's own block size: a longer block never resets the
// processor (which would end its notes) nor grows its buffers here.
void IKeelHMX::RenderSlices(float** inputs, int inputCount, float** outputs, int frames, bool bypassed,
                            const TimeInfo& time) {
  const int slice = std::max(GetBlockSize(), 1);
  const int outputChannels = std::min(MaxNChannels(kOutput), kMaxSliceChannels);
  const int inputChannels = std::min(inputCount, kMaxSliceChannels);
  float* sliceOutputs[kMaxSliceChannels] = {};
  float* sliceInputs[kMaxSliceChannels] = {};
  for (int start = 0; start < frames; start += slice) {
    const int n = std::min(slice, frames - start);
    for (int c = 0; c < outputChannels; ++c)
      sliceOutputs[c] = outputs[c] ? outputs[c] + start : nullptr;
    if (inputs) {
      for (int c = 0; c < inputChannels; ++c)
        sliceInputs[c] = inputs[c] ? inputs[c] + start : nullptr;
      AttachBuffers(FloatBuffers{}, kInput, 0, inputChannels, sliceInputs, n);
    }
    AttachBuffers(FloatBuffers{}, kOutput, 0, outputChannels, sliceOutputs, n);
    if (bypassed) {
      RenderPassThrough(FloatBuffers{}, n);
    } else {
      SetTimeInfo(Advanced(time, start, GetSampleRate()));
      ProcessBuffers(FloatBuffers{}, n);
    }
  }
}

void IKeelHMX::TakeHostMidi(const HMX_MIDINode& node) {
  for (int32_t i = 0; i < node.bufferCount; ++i) {
    const HMX_MIDIPacket& packet = node.buffer[i];
    const int length = std::min<int>(int(packet.length), 4);
    if (length <= 0)
      continue;
    const uint8_t status = packet.data[0];
    // A packet continues a system-exclusive message unless it starts a message of another kind.
    const bool startsOther =
        status >= 0x80 && status != kSysExStart && status != kSysExEnd && status < kFirstRealTime;
    if (status == kSysExStart || (mInHostSysEx && !startsOther && status < kFirstRealTime)) {
      TakeHostSysExBytes(packet.data, length, int(packet.timestamp));
      continue;
    }
    if (startsOther)
      mInHostSysEx = false; // an unfinished system-exclusive message is abandoned
    // Each message as long as the packet says; the bytes after it are not the message's.
    const MidiMsg msg(int(packet.timestamp), status, length > 1 ? packet.data[1] : 0,
                      length > 2 ? packet.data[2] : 0);
    ProcessMidiMsg(msg);
    mMidiFromProcessor.Push(msg); // dropped when full
  }
}

void IKeelHMX::TakeHostSysExBytes(const uint8_t* bytes, int count, int offset) {
  for (int i = 0; i < count; ++i) {
    const uint8_t byte = bytes[i];
    if (byte >= kFirstRealTime) {
      // Real-time bytes may come between a message's bytes; they are messages of their own.
      const MidiMsg msg(offset, byte);
      ProcessMidiMsg(msg);
      mMidiFromProcessor.Push(msg);
      continue;
    }
    if (byte == kSysExStart) {
      mInHostSysEx = true;
      mHostSysExSize = 0;
      mHostSysExTooLong = false;
    } else if (!mInHostSysEx) {
      continue; // bytes after a message's end up to the packet's length
    }
    if (mHostSysExSize < int(mHostSysEx.size()))
      mHostSysEx[size_t(mHostSysExSize++)] = byte;
    else
      mHostSysExTooLong = true;
    if (byte == kSysExEnd) {
      mInHostSysEx = false;
      if (!mHostSysExTooLong)
        ProcessSysEx(SysExMsg(offset, mHostSysEx.data(), mHostSysExSize));
    }
  }
}

TimeInfo IKeelHMX::ReadTransport() const {
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
  return info;
}

void IKeelHMX::PostOutput(const HMX_MIDINode& node) {
  for (int i = mMidiOutRead; i < mMidiOutCount; ++i) {
    const MidiMsg& msg = mMidiOut[size_t(i)];
    HMX_MIDIPacket packet;
    packet.timestamp = uint32_t(msg.offset);
    packet.length = uint32_t(msg.Length()); // as long as the status says
    packet.data[0] = msg.status;
    packet.data[1] = packet.length > 1 ? msg.data1 : 0;
    packet.data[2] = packet.length > 2 ? msg.data2 : 0;
    packet.immediate = true;
    node.Post(packet);
  }
  mMidiOutRead = 0;
  mMidiOutCount = 0;

  while (mSysExToHost.Pop(mSysExScratch)) {
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

void IKeelHMX::DiscardOutput() {
  mMidiOutRead = 0;
  mMidiOutCount = 0;
  while (mSysExToHost.Pop(mSysExScratch)) {
  }
}

bool IKeelHMX::SendMidiMsg(const MidiMsg& msg) {
  if (mMidiOutCount >= int(mMidiOut.size())) {
    if (mMidiOutRead == 0)
      return true; // full: dropped, never grown on the real-time thread
    std::copy(mMidiOut.begin() + mMidiOutRead, mMidiOut.begin() + mMidiOutCount, mMidiOut.begin());
    mMidiOutCount -= mMidiOutRead;
    mMidiOutRead = 0;
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
