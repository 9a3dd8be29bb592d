// The host program's effect instance: creation, real-time blocks and the state chunk.
#include "tools/hmxhost/HostInstance.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace hmxhost {

HostController::HostController(HostInstance& instance) : mInstance(instance) {
  Offer(HMX_IID_Controller_V1, static_cast<HMX_IHCFController*>(this));
  Offer(HMX_IID_Controller_V2, static_cast<HMX_IHCFController_V2*>(this));
  Offer(HMX_IID_Transport_V1, static_cast<HMX_IHCFTransport*>(&instance.mTransport));
  Offer(HMX_IID_Automation_V1, static_cast<HMX_IHCFAutomation*>(&instance.mAutomation));
}

HostAutomation::HostAutomation(HostInstance& instance) : mInstance(instance) {
  Offer(HMX_IID_Automation_V1, static_cast<HMX_IHCFAutomation*>(this));
}

HMX_Result HostAutomation::RequestValue(const char* id, double normalized) {
  return mInstance.mEffect ? mInstance.mEffect->UpdateParamFromHost(id, normalized, 0) : HMX_ERROR_NULL_OBJECT;
}

HMX_Result HostController::SampleRate(float* out) { return *out = mInstance.mSampleRate, HMX_SUCCESS; }

HMX_Result HostController::PostFieldPacket(int32_t field, const void* data, uint32_t size) {
  if (field == keel::kFieldStateNumber && data && size == sizeof(int64_t))
    std::memcpy(&mInstance.mStateNumber, data, sizeof(int64_t));
  return HMX_SUCCESS;
}

// The GUI asks its controller for the effect it belongs to.
HMX_Result HostController::QueryInterface(const HMX_GUID& iid, void** out) {
  if (iid == HMX_IID_EffectParameters && mInstance.mEffect)
    return mInstance.mEffect->QueryInterface(iid, out);
  return HostObject::QueryInterface(iid, out);
}

HostInstance::HostInstance(HMX_CreateProc create, HMX_ProcessProc process, float sampleRate, int blockFrames)
    : mCreate(create), mProcess(process), mSampleRate(sampleRate), mFrames(blockFrames),
      mLeft(size_t(kMaxFrames)), mRight(size_t(kMaxFrames)) {
  SetFrames(blockFrames);
  mOutputs[0] = mLeft.data();
  mOutputs[1] = mRight.data();
  mOutNode.hostData = this;
  mOutNode.post = &HostInstance::PostMidi;
  mContext.fields[keel::kFieldAudioOutput] = mOutputs;
  mContext.fields[keel::kFieldBufferLength] = &mFrames;
  mContext.fields[keel::kFieldInputMIDI] = &mInNode;
  mContext.fields[keel::kFieldOutputMIDI] = &mOutNode;
  mContext.fields[keel::kFieldTransport] = static_cast<HMX_IHCFTransport*>(&mTransport);
  mContext.fields[keel::kFieldPrivateData] = mPrivateData;
  mContext.fields[keel::kFieldStateNumber] = &mStateNumber;
  mMidiOut.reserve(4096);
}

HostInstance::~HostInstance() {
  if (mEffect) {
    Teardown();
    mEffect->Release();
  }
}

void HostInstance::SetFrames(int frames) {
  mFrames = std::clamp(frames, 1, kMaxFrames);
}

void HostInstance::SetMidiOutputNode(bool present) {
  mContext.fields[keel::kFieldOutputMIDI] = present ? &mOutNode : nullptr;
}

void HostInstance::Teardown() {
  if (mEffect && !mTornDown)
    mEffect->TeardownEffect();
  mTornDown = true;
}

bool HostInstance::Create(std::string& error) {
  IHCFUnknown* made = mCreate ? mCreate() : nullptr;
  if (!made)
    return error = "the effect's create procedure answered null", false;
  void* effect = nullptr;
  if (made->QueryInterface(HMX_IID_EffectParameters, &effect) != HMX_SUCCESS || !effect)
    return error = "the effect has no effect-parameters interface", false;
  mEffect = static_cast<HMX_IHCFEffectParameters*>(effect);
  if (const HMX_Result r = mEffect->Initialize(mController.Unknown()); r != HMX_SUCCESS)
    return error = "Initialize answered " + std::to_string(r), false;
  mEffect->InitFieldData(keel::kFieldPrivateData, mPrivateData, sizeof mPrivateData);
  return true;
}

float HostInstance::Render(const std::vector<keel::HMX_MIDIPacket>& midiIn) {
  // Each block starts from silent buffers, so what an effect leaves unwritten is silence.
  std::fill_n(mLeft.begin(), mFrames, 0.0f);
  std::fill_n(mRight.begin(), mFrames, 0.0f);
  mInNode.buffer = midiIn.data();
  mInNode.bufferCount = int32_t(midiIn.size());
  keel::HMX_InstanceContext* contexts[] = {&mContext};
  mProcess(contexts, contexts + 1);
  mInNode.buffer = nullptr;
  mInNode.bufferCount = 0;
  mTransport.samples += mFrames;
  mTransport.ticks = int64_t(double(mTransport.samples) / mSampleRate * 2.0 * 960000.0); // 120 bpm
  float peak = 0.0f;
  for (int i = 0; i < mFrames; ++i)
    peak = std::max({peak, std::fabs(mLeft[size_t(i)]), std::fabs(mRight[size_t(i)])});
  return peak;
}

HMX_Result HostInstance::PostMidi(void* self, const keel::HMX_MIDIPacket& packet) {
  auto* instance = static_cast<HostInstance*>(self);
  if (instance->mMidiOut.size() < instance->mMidiOut.capacity()) // never grows on the real-time thread
    instance->mMidiOut.push_back(packet);
  return HMX_SUCCESS;
}

std::vector<uint8_t> HostInstance::SaveState(std::string& error, const std::function<void()>& between) {
  constexpr size_t kGuardBytes = 256;
  constexpr uint8_t kGuard = 0xA5;
  uint32_t id = 0, size = 0;
  if (mEffect->ChunkIdAtIndex(0, &id) != HMX_SUCCESS)
    return error = "no chunk at index 0", std::vector<uint8_t>{};
  if (const HMX_Result r = mEffect->ChunkByteSize(id, &size); r != HMX_SUCCESS || size == 0)
    return error = "ChunkByteSize answered " + std::to_string(r), std::vector<uint8_t>{};
  if (between)
    between();
  const size_t sized = PlugInChunk::kDataOffset + size;
  std::vector<uint8_t> storage(sized + kGuardBytes, kGuard);
  auto* chunk = reinterpret_cast<PlugInChunk*>(storage.data());
  chunk->mSize = int32_t(size);
  chunk->mChunkID = id;
  const HMX_Result filled = mEffect->FillChunk(id, chunk);
  if (std::any_of(storage.begin() + std::ptrdiff_t(sized), storage.end(),
                  [](uint8_t b) { return b != kGuard; }))
    return error = "FillChunk wrote past the " + std::to_string(size) + " bytes it reported",
           std::vector<uint8_t>{};
  if (filled != HMX_SUCCESS)
    return error = "FillChunk answered " + std::to_string(filled), std::vector<uint8_t>{};
  if (chunk->mSize < 0 || uint32_t(chunk->mSize) > size)
    return error = "FillChunk reported " + std::to_string(chunk->mSize) + " bytes of " + std::to_string(size),
           std::vector<uint8_t>{};
  storage.resize(PlugInChunk::kDataOffset + size_t(chunk->mSize));
  return storage;
}

bool HostInstance::RestoreState(const std::vector<uint8_t>& storage, std::string& error) {
  if (storage.size() < PlugInChunk::kDataOffset)
    return error = "the chunk is shorter than its header", false;
  std::vector<uint8_t> copy(storage);
  const auto* chunk = reinterpret_cast<const PlugInChunk*>(copy.data());
  if (const HMX_Result r = mEffect->SetChunk(chunk->mChunkID, chunk); r != HMX_SUCCESS)
    return error = "SetChunk answered " + std::to_string(r), false;
  return true;
}

} // namespace hmxhost
