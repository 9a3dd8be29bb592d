// Processor base: channel configuration parsing, channel records, buffer attachment and block processing.
#include "Keel/Core/IKeelProcessor.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace keel {

namespace {
// Copies input i to output i for outputs below the input count and silences the rest.
void PassInputsToOutputs(double* const* inputs, int nInputs, double* const* outputs, int nOutputs,
                         int nFrames) {
  if (!outputs || nFrames <= 0)
    return;
  for (int ch = 0; ch < nOutputs; ++ch) {
    double* out = outputs[ch];
    if (!out)
      continue;
    const double* in = inputs && ch < nInputs ? inputs[ch] : nullptr;
    if (ch < nInputs && in) {
      if (in != out)
        std::memmove(out, in, sizeof(double) * static_cast<size_t>(nFrames));
    } else {
      std::memset(out, 0, sizeof(double) * static_cast<size_t>(nFrames));
    }
  }
}

// A bus token: "*" is a wildcard, anything that is not a number counts 0.
int ParseBusChannels(std::string_view token) {
  if (token == "*")
    return BusInfo::kWildcardChannels;
  const std::string text(token);
  const long count = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp(count, 0L, static_cast<long>(INT_MAX)));
}

// Reads one side of a configuration; returns its channel total.
int ParseSide(std::string_view side, ERoute dir, ChannelIOConfig& config) {
  int total = 0;
  size_t start = 0;
  while (start <= side.size()) {
    size_t end = side.find('.', start);
    if (end == std::string_view::npos)
      end = side.size();
    const int count = ParseBusChannels(side.substr(start, end - start));
    total += count;
    if (count != 0)
      config.Buses(dir).Add(new BusInfo(dir, count));
    start = end + 1;
  }
  return total;
}
// Calls attach(record, buffer) for each connected channel among firstChannel..firstChannel + count - 1 that
// exists, handing out the host's buffers in order (the host passes buffers for connected channels only).
template <typename Channels, typename Buffer, typename Attach>
void AttachConnected(Channels& channels, int firstChannel, int count, Buffer** buffers, Attach&& attach) {
  const long long end =
      std::min(static_cast<long long>(firstChannel) + count, static_cast<long long>(channels.size()));
  int next = 0;
  for (long long i = std::max(firstChannel, 0); i < end; ++i) {
    auto& record = *channels[static_cast<size_t>(i)];
    if (record.connected)
      attach(record, buffers[next++]);
  }
}

} // namespace

IKeelProcessor::IKeelProcessor(const PluginConfig& config)
    : mPlugType(config.plugType), mMidiIn(config.midiIn), mMidiOut(config.midiOut),
      mLatency(config.latencySamples) {
  ParseChannelIOStr(config.channelIOText, mConfigs, mMaxNInputChans, mMaxNOutputChans, mMaxNInputBuses,
                    mMaxNOutputBuses);
  mInSamples.assign(static_cast<size_t>(mMaxNInputChans), nullptr);
  mOutSamples.assign(static_cast<size_t>(mMaxNOutputChans), nullptr);
  for (ERoute dir : {kInput, kOutput}) {
    std::vector<double*>& slots = dir == kInput ? mInSamples : mOutSamples;
    for (double*& slot : slots) {
      auto record = std::make_unique<ChannelRecord>();
      record->slot = &slot;
      Channels(dir).push_back(std::move(record));
    }
  }
}

IKeelProcessor::~IKeelProcessor() = default;

int IKeelProcessor::ParseChannelIOStr(const char* text, PtrList<ChannelIOConfig>& configs,
                                      int& maxNInputChans, int& maxNOutputChans, int& maxNInputBuses,
                                      int& maxNOutputBuses) {
  maxNInputChans = maxNOutputChans = maxNInputBuses = maxNOutputBuses = 0;
  const std::string copy = text ? text : "";
  int count = 0;
  size_t pos = 0;
  while (pos < copy.size()) {
    const size_t start = copy.find_first_not_of(" \t", pos);
    if (start == std::string::npos)
      break;
    size_t end = copy.find_first_of(" \t", start);
    if (end == std::string::npos)
      end = copy.size();
    const std::string_view token(copy.data() + start, end - start);
    pos = end;

    const size_t dash = token.find('-');
    const std::string_view inputs = token.substr(0, dash);
    const std::string_view outputs =
        dash == std::string_view::npos ? std::string_view() : token.substr(dash + 1);
    auto* config = new ChannelIOConfig;
    const int nIn = ParseSide(inputs, kInput, *config);
    const int nOut = ParseSide(outputs, kOutput, *config);
    maxNInputChans = std::max(maxNInputChans, nIn);
    maxNOutputChans = std::max(maxNOutputChans, nOut);
    maxNInputBuses = std::max(maxNInputBuses, config->NBuses(kInput));
    maxNOutputBuses = std::max(maxNOutputBuses, config->NBuses(kOutput));
    if (!configs.Add(config)) {
      delete config;
      break;
    }
    ++count;
  }
  return count;
}

void IKeelProcessor::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  PassInputsToOutputs(inputs, mMaxNInputChans, outputs, mMaxNOutputChans, nFrames);
}

void IKeelProcessor::ProcessMidiMsg(const MidiMsg& msg) {
  SendMidiMsg(msg);
}

bool IKeelProcessor::SendMidiMsgs(std::span<const MidiMsg> msgs) {
  bool allSent = true;
  for (const MidiMsg& msg : msgs)
    allSent = SendMidiMsg(msg) && allSent;
  return allSent;
}

void IKeelProcessor::GetBusName(ERoute direction, int busIndex, int nBuses, HeapString& name) const {
  constexpr int kMaxBusName = 32;
  if (direction == kInput) {
    if (nBuses == 1)
      name.Set("Input");
    else if (nBuses == 2)
      name.Set(busIndex == 0 ? "Main" : "Aux");
    else
      name.SetFormatted(kMaxBusName, "Input %i", busIndex);
  } else {
    if (nBuses == 1)
      name.Set("Output");
    else
      name.SetFormatted(kMaxBusName, "Output %i", busIndex);
  }
}

void IKeelProcessor::SetLatency(int samples) {
  mLatency = samples;
  if (mLatencyDelay)
    mLatencyDelay->Reset(samples);
}

void IKeelProcessor::CreateLatencyDelayLine() {
  if (mMaxNInputChans <= 0)
    return;
  mLatencyDelay = std::make_unique<LatencyDelayLine>(mMaxNInputChans, mMaxNOutputChans);
  mLatencyDelay->Reset(mLatency);
}

void IKeelProcessor::SetChannelConnections(ERoute direction, int firstChannel, int count, bool connected) {
  auto& channels = Channels(direction);
  const long long end =
      std::min(static_cast<long long>(firstChannel) + count, static_cast<long long>(channels.size()));
  for (long long i = std::max(firstChannel, 0); i < end; ++i) {
    ChannelRecord& record = *channels[static_cast<size_t>(i)];
    record.connected = connected;
    if (!connected)
      *record.slot = record.scratch.Get();
  }
}

int IKeelProcessor::NChannelsConnected(ERoute direction) const {
  return static_cast<int>(std::count_if(Channels(direction).begin(), Channels(direction).end(),
                                        [](const auto& record) { return record->connected; }));
}

bool IKeelProcessor::IsChannelConnected(ERoute direction, int channel) const {
  const auto& channels = Channels(direction);
  return channel >= 0 && channel < static_cast<int>(channels.size()) &&
         channels[static_cast<size_t>(channel)]->connected;
}

void IKeelProcessor::AttachBuffers(ERoute direction, int firstChannel, int count, double** samples) {
  AttachConnected(Channels(direction), firstChannel, count, samples,
                  [](ChannelRecord& record, double* host) { *record.slot = host; });
}

void IKeelProcessor::AttachBuffers(FloatBuffers, ERoute direction, int firstChannel, int count,
                                   float** samples, int nFrames) {
  AttachConnected(Channels(direction), firstChannel, count, samples, [&](ChannelRecord& record, float* host) {
    double* scratch = record.scratch.Get();
    *record.slot = scratch;
    if (direction == kInput) {
      // Never write past the scratch buffer, whatever frame count the host announces.
      const int frames = std::min(nFrames, record.scratch.GetSize());
      for (int s = 0; s < frames; ++s)
        scratch[s] = host[s];
    } else {
      record.hostBuffer = host;
    }
  });
}

void IKeelProcessor::SetBlockSize(int nFrames) {
  nFrames = std::max(nFrames, 0);
  if (nFrames == mBlockSize)
    return;
  for (ERoute dir : {kInput, kOutput}) {
    for (auto& record : Channels(dir)) {
      double* data = record->scratch.Resize(nFrames);
      if (data)
        std::memset(data, 0, sizeof(double) * static_cast<size_t>(record->scratch.GetSize()));
    }
  }
  mBlockSize = nFrames;
}

double** IKeelProcessor::GetSamplePointers(ERoute direction) {
  std::vector<double*>& slots = direction == kInput ? mInSamples : mOutSamples;
  return slots.empty() ? nullptr : slots.data();
}

void IKeelProcessor::ProcessBuffers(int nFrames) {
  ProcessBlock(GetSamplePointers(kInput), GetSamplePointers(kOutput), nFrames);
}

void IKeelProcessor::ConvertOutputsToFloat(int nFrames) {
  for (auto& record : mOutChannels) {
    if (!record->connected || !record->hostBuffer || !*record->slot)
      continue;
    const double* in = *record->slot;
    const int frames = std::min(nFrames, record->scratch.GetSize());
    for (int s = 0; s < frames; ++s)
      record->hostBuffer[s] = static_cast<float>(in[s]);
  }
}

void IKeelProcessor::ProcessBuffers(FloatBuffers, int nFrames) {
  ProcessBuffers(nFrames);
  ConvertOutputsToFloat(nFrames);
}

void IKeelProcessor::RenderPassThrough(int nFrames) {
  double** inputs = GetSamplePointers(kInput);
  double** outputs = GetSamplePointers(kOutput);
  LatencyDelayLine* line = mLatencyDelay.get();
  if (mLatency != 0 && line && line->length > 0 && inputs && outputs) {
    const int nChans = std::min(line->inputCount, line->outputCount);
    for (int s = 0; s < nFrames; ++s) {
      double* frame = line->samples.data() + static_cast<size_t>(line->position) * line->inputCount;
      for (int ch = 0; ch < nChans; ++ch) {
        const double delayed = frame[ch];
        frame[ch] = inputs[ch] ? inputs[ch][s] : 0.0;
        if (outputs[ch])
          outputs[ch][s] = delayed;
      }
      line->position = (line->position + 1) % line->length;
    }
    return;
  }
  PassInputsToOutputs(inputs, mMaxNInputChans, outputs, mMaxNOutputChans, nFrames);
}

void IKeelProcessor::RenderPassThrough(FloatBuffers, int nFrames) {
  RenderPassThrough(nFrames);
  ConvertOutputsToFloat(nFrames);
}

int IKeelProcessor::GetMaxBusCount(ERoute direction, int* configIndex) const {
  int maxCount = 0;
  int index = -1;
  for (int i = 0; i < mConfigs.GetSize(); ++i) {
    const int n = mConfigs.Get(i)->NBuses(direction);
    if (n >= maxCount) {
      maxCount = n;
      index = i;
    }
  }
  if (configIndex)
    *configIndex = index;
  return maxCount;
}

int IKeelProcessor::GetMaxChannelsOnBus(ERoute direction, int busIndex) const {
  const ChannelIOConfig* first = mConfigs.Get(0);
  if (!first)
    return 0;
  for (int b = 0; b < first->NBuses(direction); ++b) {
    if (first->NChansOnBus(direction, b) == BusInfo::kWildcardChannels)
      return -1;
  }
  int maxCount = 0;
  for (int i = 0; i < mConfigs.GetSize(); ++i)
    maxCount = std::max(maxCount, mConfigs.Get(i)->NChansOnBus(direction, busIndex));
  return maxCount;
}

} // namespace keel
