// The packet dispatcher.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CPacketPoster.h"

HMX_CPacketPoster::~HMX_CPacketPoster() {
  HMX_COwnerMutexGuard guard(mLock);
  mHandlers.clear();
  mPackets.clear();
}

void HMX_CPacketPoster::Attach(HMX_IController* controller, HMX_CEffectParameters* effect) {
  mController = controller;
  mEffect = effect;
}

DispatchPacket* HMX_CPacketPoster::RegisterPacket(int32_t fieldIndex, uint32_t size) {
  HMX_COwnerMutexGuard guard(mLock);
  auto packet = std::make_unique<DispatchPacket>();
  packet->fieldIndex = fieldIndex;
  packet->size = size;
  packet->data = std::make_unique<std::vector<uint8_t>>(size);
  DispatchPacket* raw = packet.get();
  // Handlers of a replaced packet would point at freed memory: they go with it.
  for (auto it = mHandlers.begin(); it != mHandlers.end();)
    it = it->second.packet->fieldIndex == fieldIndex ? mHandlers.erase(it) : std::next(it);
  mPackets[fieldIndex] = std::move(packet);
  return raw;
}

bool HMX_CPacketPoster::RegisterHandler(const char* id, int32_t fieldIndex,
                                        std::unique_ptr<HMX_IPacketHandler> handler) {
  HMX_COwnerMutexGuard guard(mLock);
  const auto packet = mPackets.find(fieldIndex);
  if (!id || !handler || packet == mPackets.end())
    return false;
  mHandlers.emplace(id, Handler{packet->second.get(), std::move(handler)});
  return true;
}

HMX_Result HMX_CPacketPoster::MarkDirty(const char* id, bool dirty) {
  if (!id)
    return HMX_SUCCESS;
  HMX_COwnerMutexGuard guard(mLock);
  const auto [first, last] = mHandlers.equal_range(id);
  for (auto it = first; it != last; ++it)
    it->second.packet->dirty = dirty;
  return HMX_SUCCESS;
}

HMX_Result HMX_CPacketPoster::Dispatch() {
  HMX_COwnerMutexGuard guard(mLock);
  HMX_Result result = HMX_SUCCESS;
  for (auto& [id, entry] : mHandlers) {
    DispatchPacket& packet = *entry.packet;
    if (!packet.dirty)
      continue;
    // A packet without data bytes cannot be posted; it is skipped rather than read out of range.
    if ((*entry.handler)(id.c_str(), packet) == HMX_SUCCESS && packet.data && !packet.data->empty() &&
        mController)
      result = mController->PostFieldPacket(packet.fieldIndex, packet.data->data(), packet.size);
    packet.dirty = false;
  }
  return result;
}
