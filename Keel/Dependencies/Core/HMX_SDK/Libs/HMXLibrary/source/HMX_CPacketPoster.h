// The packet dispatcher: ties parameter IDs to data packets for the host's context fields, keeps
// dirty marks per ID and posts the dirty packets when the effect flushes its updates.
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_COwnerMutex.h"
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_IController.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class HMX_CEffectParameters;

struct DispatchPacket {
  int32_t fieldIndex = 0;
  bool dirty = false;
  uint32_t size = 0;
  std::unique_ptr<std::vector<uint8_t>> data;
};

// Fills a packet for posting; answers 0 when the packet is ready to go.
class HMX_IPacketHandler {
public:
  virtual ~HMX_IPacketHandler() = default;
  virtual HMX_Result operator()(const char* id, DispatchPacket& packet) = 0;
};

// Threads: MarkDirty on host update threads, Dispatch on the flushing thread; the owner mutex guards
// the dirty marks and the tables.
class HMX_CPacketPoster {
public:
  HMX_CPacketPoster() = default;
  ~HMX_CPacketPoster();
  HMX_CPacketPoster(const HMX_CPacketPoster&) = delete;
  HMX_CPacketPoster& operator=(const HMX_CPacketPoster&) = delete;

  void Attach(HMX_IController* controller, HMX_CEffectParameters* effect);
  // A packet of size bytes for the context field (replacing one already there).
  DispatchPacket* RegisterPacket(int32_t fieldIndex, uint32_t size);
  // Ties the ID to the field's packet; the dispatcher owns the handler. False without such a packet.
  bool RegisterHandler(const char* id, int32_t fieldIndex, std::unique_ptr<HMX_IPacketHandler> handler);

  // Sets the dirty flag of every packet registered under exactly this ID; 0.
  HMX_Result MarkDirty(const char* id, bool dirty = true);
  // Posts each dirty packet whose handler fills it; the last post's result, or 0.
  HMX_Result Dispatch();

  HMX_IController* Controller() const { return mController; }
  HMX_CEffectParameters* Effect() const { return mEffect; }

private:
  struct Handler {
    DispatchPacket* packet;
    std::unique_ptr<HMX_IPacketHandler> handler;
  };
  std::map<int32_t, std::unique_ptr<DispatchPacket>> mPackets;
  std::multimap<std::string, Handler> mHandlers;
  HMX_IController* mController = nullptr;
  HMX_CEffectParameters* mEffect = nullptr;
  HMX_COwnerMutex mLock;
};
