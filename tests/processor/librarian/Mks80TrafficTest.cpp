// The MKS-80 conversation against a scripted device: replies, bulk receive, bulk send and their time-outs.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "library/Mks80Messages.h"
#include "processor/librarian/Mks80Traffic.h"

using Bytes = std::vector<std::uint8_t>;
using vlm::Mks80Traffic;

namespace {

Bytes Short(std::uint8_t op, int unit = 0) {
  Bytes out(vlm::kMksShortHandshakeLength);
  out.resize(vlm::BuildShortHandshakeMessage(op, unit, out.data(), out.size()));
  return out;
}

Bytes Wsf(int unit = 0) {
  Bytes out(vlm::kMksFileMessageLength);
  out.resize(vlm::BuildWsfMessage(unit, out.data(), out.size()));
  return out;
}

Bytes Rqf(int unit = 0) {
  Bytes out(vlm::kMksFileMessageLength);
  out.resize(vlm::BuildRqfMessage(unit, out.data(), out.size()));
  return out;
}

Bytes Dat(std::uint8_t fill, int unit = 0) {
  std::array<std::uint8_t, vlm::kMksDatDataBytes> data{};
  data.fill(fill);
  Bytes out(vlm::kMksDatLength);
  out.resize(vlm::BuildDatMessage(unit, vlm::kMksFormatType, data, out.data(), out.size()));
  return out;
}

class TrafficTest : public ::testing::Test {
protected:
  std::int64_t now = 100000;
  std::vector<Bytes> sent;
  std::vector<nlohmann::json> results;
  std::vector<std::string> logs;
  std::vector<std::pair<int, double>> changes;
  bool paramRingFull = false;
  Mks80Traffic traffic{Mks80Traffic::Hooks{
      [this] { return now; }, [this](const std::uint8_t* d, std::size_t n) { sent.emplace_back(d, d + n); },
      [this](int i, double v) {
        if (paramRingFull)
          return false;
        changes.emplace_back(i, v);
        return true;
      },
      [this](const nlohmann::json& r) { results.push_back(r); },
      [this](const std::string& line) { logs.push_back(line); }}};

  void Receive(const Bytes& m) { traffic.DirectSysEx(m.data(), m.size()); }
  // One idle tick's MKS-80 steps in their order.
  void Tick() {
    traffic.SendReplies();
    traffic.RunTransfers();
    traffic.RunTimers();
  }
  std::vector<Bytes> TakeSent() { return std::exchange(sent, {}); }
  // Three DAT frames with a stray byte between two of them, as a file may hold them.
  Bytes ThreeFrameFile() {
    Bytes file = Dat(1);
    file.push_back(0x00);
    for (const auto& d : {Dat(2), Dat(3)})
      file.insert(file.end(), d.begin(), d.end());
    return file;
  }
};

TEST_F(TrafficTest, UnrequestedDumpIsAcknowledgedStoredAndAnnouncedOnce) {
  Receive(Wsf(3));
  for (int i = 0; i < 16; ++i)
    Receive(Dat(static_cast<std::uint8_t>(i), 3));
  Receive(Short(vlm::kMksOpEof, 3));
  Tick();
  const auto out = TakeSent();
  ASSERT_EQ(out.size(), 18u);
  for (const auto& m : out)
    EXPECT_EQ(m, Short(vlm::kMksOpAck, 3));
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0], nlohmann::json({{"operation", "mksBulkDumpAvailable"},
                                        {"status", "ok"},
                                        {"datMessages", 16},
                                        {"sourceName", "MKS-80 MIDI dump"}}));

  Bytes dump;
  int count = 0;
  traffic.TakeCompletedDump(dump, count);
  EXPECT_EQ(count, 16);
  ASSERT_EQ(dump.size(), 16u * 255u);
  EXPECT_EQ(Bytes(dump.begin() + 255, dump.begin() + 510), Dat(1, 3)); // frames rebuilt byte for byte
  traffic.TakeCompletedDump(dump, count);                              // taking it empties it
  EXPECT_TRUE(dump.empty());
  EXPECT_EQ(count, 0);
}

TEST_F(TrafficTest, DumpMayBeginWithADatAndABadDatIsAnsweredErrAndSkipped) {
  Receive(Dat(5));
  Bytes bad = Dat(6);
  bad[253] ^= 1;
  Receive(bad);
  Receive(Dat(7));
  Receive(Short(vlm::kMksOpEof));
  Tick();
  EXPECT_EQ(TakeSent(), (std::vector<Bytes>{Short(vlm::kMksOpAck), Short(vlm::kMksOpErr),
                                            Short(vlm::kMksOpAck), Short(vlm::kMksOpAck)}));
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(
      logs[0].rfind("DirectSysEx: dropped (DAT checksum mismatch) -> replied ERR len=255: F0 41 42 00 20 "
                    "06",
                    0),
      0u)
      << logs[0];
  EXPECT_EQ(logs[0].substr(logs[0].size() - 4), " ...");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0]["datMessages"], 2);
}

TEST_F(TrafficTest, EofWithoutDataCompletesNothing) {
  Receive(Wsf());
  Receive(Short(vlm::kMksOpEof));
  Tick();
  EXPECT_EQ(TakeSent().size(), 2u);
  EXPECT_TRUE(results.empty());
  EXPECT_FALSE(traffic.IsReceiving());
}

TEST_F(TrafficTest, FullTransferRingAnswersRjc) {
  for (int i = 0; i < 64; ++i) // the ring holds 64 records until the idle tick drains it
    Receive(Dat(1));
  traffic.SendReplies();
  EXPECT_EQ(TakeSent().size(), 64u);
  Receive(Dat(1));
  traffic.SendReplies();
  EXPECT_EQ(TakeSent(), std::vector<Bytes>{Short(vlm::kMksOpRjc)});
  traffic.RunTransfers(); // the 64 stored frames are still taken
  EXPECT_EQ(traffic.GetReceivedDatCount(), 64);
}

TEST_F(TrafficTest, RequestSendsRqfAndTimesOutOnlyAfterFiveSeconds) {
  traffic.StartBulkRequest();
  EXPECT_EQ(TakeSent(), std::vector<Bytes>{Rqf()});
  now += 5000;
  Tick();
  EXPECT_TRUE(results.empty());
  EXPECT_TRUE(traffic.IsRequestPending());
  now += 1;
  Tick();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0], nlohmann::json({{"operation", "requestMksBulkDump"},
                                        {"status", "error"},
                                        {"message", "Timed out waiting for MKS-80 response (5s)"}}));
  EXPECT_FALSE(traffic.IsRequestPending());
  EXPECT_FALSE(traffic.IsReceiving());
}

TEST_F(TrafficTest, FirstWsfStopsTheRequestTimer) {
  traffic.StartBulkRequest();
  Receive(Wsf());
  Tick();
  now += 5001;
  Tick();
  EXPECT_FALSE(traffic.IsRequestPending());
  // What ends it now is the dump falling silent, not the request going unanswered.
  ASSERT_EQ(results.size(), 1u);
  EXPECT_NE(results[0]["message"].get<std::string>().find("stalled"), std::string::npos);
}

TEST_F(TrafficTest, SendOfThreeFramesRunsRqfDatAckEofAck) {
  const Bytes file = ThreeFrameFile();
  ASSERT_EQ(traffic.ArmSend(file), 3u);
  EXPECT_TRUE(traffic.IsSendArmed());

  Receive(Rqf(2));
  Tick();
  EXPECT_EQ(TakeSent(), std::vector<Bytes>{Dat(1)});
  EXPECT_TRUE(traffic.IsSendActive());
  const std::vector<Bytes> expected[] = {{Dat(2)}, {Dat(3)}, {Short(vlm::kMksOpEof, 2)}};
  for (const auto& next : expected) {
    Receive(Short(vlm::kMksOpAck, 2));
    Tick();
    EXPECT_EQ(TakeSent(), next);
    EXPECT_TRUE(results.empty());
  }
  Receive(Short(vlm::kMksOpAck, 2));
  Tick();
  EXPECT_TRUE(TakeSent().empty());
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0],
            nlohmann::json({{"operation", "dumpMidFileStart"}, {"status", "ok"}, {"datMessages", 3}}));
  EXPECT_FALSE(traffic.IsSendActive());
  EXPECT_EQ(logs.back(), "MidFileDump: final ACK received, complete (3 DATs sent)");
}

TEST_F(TrafficTest, ErrOrRjcDuringSendAbortsAndRjcLeavesOnTheNextTick) {
  for (const std::uint8_t abortOp : {vlm::kMksOpRjc, vlm::kMksOpErr}) {
    SCOPED_TRACE(abortOp);
    results.clear();
    traffic.ArmSend(ThreeFrameFile());
    Receive(Rqf(1));
    Tick();
    Receive(Short(vlm::kMksOpAck, 1));
    Tick();
    EXPECT_EQ(TakeSent().size(), 2u); // DAT 1, DAT 2
    Receive(Short(abortOp, 1));
    Tick();
    EXPECT_TRUE(TakeSent().empty());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0], nlohmann::json({{"operation", "dumpMidFileStart"},
                                          {"status", "error"},
                                          {"message", "MKS-80 reported a communication error"},
                                          {"datMessages", 1}}));
    EXPECT_FALSE(traffic.IsSendActive());
    Tick();
    EXPECT_EQ(TakeSent(), std::vector<Bytes>{Short(vlm::kMksOpRjc, 1)});
  }
}

TEST_F(TrafficTest, SilentDeviceEndsTheSendWithEofAfterFiveSecondsAndTellsHowFarItCame) {
  // Frames acknowledged before the device fell silent, and the outcome the page hears of it.
  struct Case {
    int acks;
    nlohmann::json result;
  };
  const Case cases[] = {
      {0,
       {{"operation", "dumpMidFileStart"},
        {"status", "error"},
        {"message", "MKS-80 stopped answering: 0 of 3 DAT messages acknowledged"},
        {"datMessages", 0}}},
      {1,
       {{"operation", "dumpMidFileStart"},
        {"status", "error"},
        {"message", "MKS-80 stopped answering: 1 of 3 DAT messages acknowledged"},
        {"datMessages", 1}}},
      // Every DAT taken, only the answer to the EOF missing: the MKS-80 holds the whole bank.
      {3, {{"operation", "dumpMidFileStart"}, {"status", "ok"}, {"datMessages", 3}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.acks);
    results.clear();
    traffic.ArmSend(ThreeFrameFile());
    Receive(Rqf());
    Tick();
    for (int i = 0; i < c.acks; ++i) {
      Receive(Short(vlm::kMksOpAck));
      Tick();
    }
    TakeSent();
    now += 5000;
    Tick();
    EXPECT_TRUE(TakeSent().empty());
    now += 1;
    Tick();
    EXPECT_EQ(TakeSent(), std::vector<Bytes>{Short(vlm::kMksOpEof)});
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0], c.result);
    EXPECT_EQ(logs.back(), "MidFileDump: ACK timeout (5s), sent EOF and finished (" + std::to_string(c.acks) +
                               " DATs ACKed)");
    EXPECT_FALSE(traffic.IsSendActive());
  }
}

TEST_F(TrafficTest, DumpStalledAfterItsWsfIsDiscardedAfterFiveSecondsAndTheNextStartsClean) {
  Receive(Wsf());
  Receive(Dat(1));
  Receive(Dat(2));
  Tick();
  now += 5000;
  Tick();
  EXPECT_TRUE(results.empty());
  EXPECT_TRUE(traffic.IsReceiving());
  now += 1;
  Tick();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0], nlohmann::json({{"operation", "requestMksBulkDump"},
                                        {"status", "error"},
                                        {"message", "MKS-80 dump stalled: no message for 5 s, 2 DAT "
                                                    "messages discarded"},
                                        {"datMessages", 2}}));
  EXPECT_FALSE(traffic.IsReceiving());
  EXPECT_EQ(traffic.GetReceivedDatCount(), 0);

  // A later unrequested dump that begins with a DAT holds only its own frames.
  results.clear();
  now += 60000;
  for (std::uint8_t fill : {7, 8, 9})
    Receive(Dat(fill));
  Receive(Short(vlm::kMksOpEof));
  Tick();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0]["status"], "ok");
  EXPECT_EQ(results[0]["datMessages"], 3);
  Bytes dump;
  int count = 0;
  traffic.TakeCompletedDump(dump, count);
  ASSERT_EQ(dump.size(), 3u * 255u);
  EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 255), Dat(7));
}

TEST_F(TrafficTest, SlowButSteadyDumpIsNotCutShort) {
  Receive(Wsf());
  Tick();
  for (std::uint8_t fill = 0; fill < 4; ++fill) {
    now += 4000;
    Receive(Dat(fill));
    Tick();
  }
  Receive(Short(vlm::kMksOpEof));
  Tick();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0]["datMessages"], 4);
}

TEST_F(TrafficTest, EndlessDatStreamIsCappedRefusedAndTheNextDumpStartsClean) {
  // A device that never sends its EOF: memory stays bounded, the device hears RJC, the page is told once.
  const std::size_t cap = static_cast<std::size_t>(Mks80Traffic::kMaxReceivedDats) * vlm::kMksDatLength;
  Receive(Wsf());
  Tick();
  TakeSent();
  int rjc = 0;
  for (int tick = 0; tick < 200; ++tick) {
    for (int i = 0; i < 50; ++i)
      Receive(Dat(static_cast<std::uint8_t>(i)));
    Tick();
    now += 20;
    for (const Bytes& reply : TakeSent())
      rjc += reply == Short(vlm::kMksOpRjc) ? 1 : 0;
    ASSERT_LE(traffic.GetReceiveBufferBytes(), cap) << tick;
  }
  EXPECT_GT(rjc, 9000);                           // every DAT after the cap is refused
  EXPECT_EQ(traffic.GetReceiveBufferBytes(), 0u); // what was held is given back
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0]["operation"], "requestMksBulkDump");
  EXPECT_EQ(results[0]["status"], "error");
  EXPECT_EQ(results[0]["message"], "MKS-80 dump discarded: more than " +
                                       std::to_string(Mks80Traffic::kMaxReceivedDats) + " DAT messages");

  results.clear();
  Receive(Short(vlm::kMksOpEof));
  Receive(Wsf());
  Receive(Dat(1));
  Receive(Short(vlm::kMksOpEof));
  Tick();
  EXPECT_EQ(TakeSent(), std::vector<Bytes>(4, Short(vlm::kMksOpAck)));
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0]["datMessages"], 1);
}

TEST_F(TrafficTest, HandshakeOutsideATransfer) {
  // RQF unarmed is refused; ACK is ignored silently; ERR and RJC are only logged.
  Receive(Rqf(4));
  Receive(Short(vlm::kMksOpAck));
  Receive(Short(vlm::kMksOpErr, 2));
  Receive(Short(vlm::kMksOpRjc, 2));
  Tick();
  EXPECT_EQ(TakeSent(), std::vector<Bytes>{Short(vlm::kMksOpRjc, 4)});
  EXPECT_EQ(logs,
            (std::vector<std::string>{
                "DirectSysEx: RQF (bulk request) received (unit=4) but bulk send is not armed -> replied RJC",
                "DirectSysEx: ERR received outside transfer (unit=2), ignored",
                "DirectSysEx: RJC received outside transfer (unit=2), ignored"}));
  EXPECT_TRUE(results.empty());
}

TEST_F(TrafficTest, CancelSendsEofOnlyWhileActive) {
  traffic.ArmSend(ThreeFrameFile());
  traffic.CancelSend();
  EXPECT_TRUE(TakeSent().empty());
  EXPECT_FALSE(traffic.IsSendArmed());

  traffic.ArmSend(ThreeFrameFile());
  Receive(Rqf(5));
  Tick();
  TakeSent();
  traffic.CancelSend();
  EXPECT_EQ(TakeSent(), std::vector<Bytes>{Short(vlm::kMksOpEof, 5)});
  Receive(Short(vlm::kMksOpAck, 5)); // a late ACK no longer belongs to a transfer
  Tick();
  EXPECT_TRUE(TakeSent().empty());
  EXPECT_TRUE(results.empty());
}

TEST_F(TrafficTest, ArmingWithoutDatFramesStaysIdle) {
  EXPECT_EQ(traffic.ArmSend(Wsf()), 0u);
  EXPECT_FALSE(traffic.IsSendArmed());
}

TEST_F(TrafficTest, ParameterMessagesGoToTheIdleRingAndFullRingDropsQuietly) {
  const Bytes ipr = {0xF0, 0x41, 0x36, 0x00, 0x20, 0x20, 0x02, 24, 50, 0xF7}; // Lower cutoff 50 %
  Receive(ipr);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].first, 78);
  EXPECT_DOUBLE_EQ(changes[0].second, 0.5);
  EXPECT_EQ(logs, std::vector<std::string>{"DirectSysEx: first IPR/APR accepted (op=0x36, 1 changes)"});
  paramRingFull = true;
  Receive(ipr);
  EXPECT_EQ(logs.size(), 1u); // first-accept line once per object; the full ring is silent
  Tick();
  EXPECT_TRUE(TakeSent().empty()); // never answered
}

TEST_F(TrafficTest, DroppedMessageLinesStopAfterOneHundredButErrStillGoesOut) {
  const Bytes foreign = {0xF0, 0x43, 0x10, 0x00, 0x00, 0xF7};
  Receive(foreign);
  EXPECT_EQ(logs.back(), "DirectSysEx: dropped (non-Roland manufacturer ID) len=6: F0 43 10 00 00 F7");
  Receive({0xF0, 0x41, 0x44, 0x00, 0x20, 0xF7});
  EXPECT_EQ(logs.back(), "DirectSysEx: dropped (unrecognized Roland opcode) len=6: F0 41 44 00 20 F7");
  for (int i = 2; i < 100; ++i)
    Receive(foreign);
  ASSERT_EQ(logs.size(), 101u);
  EXPECT_EQ(logs.back(), "DirectSysEx: further dropped-message logs suppressed");
  Bytes bad = Dat(1);
  bad[253] ^= 1;
  Receive(bad);
  EXPECT_EQ(logs.size(), 101u);
  traffic.SendReplies();
  EXPECT_EQ(TakeSent(), std::vector<Bytes>{Short(vlm::kMksOpErr)});
}

TEST_F(TrafficTest, DedicatedInputIsPolledAtMost64TimesATick) {
  int queued = 100;
  int polls = 0;
  const auto poll = [&](std::vector<std::uint8_t>& m) {
    ++polls;
    if (queued == 0)
      return false;
    --queued;
    m = Short(vlm::kMksOpRjc); // logged outside a transfer: counts what reached the receiver
    return true;
  };
  EXPECT_EQ(traffic.DrainDedicatedInput(poll), 64);
  EXPECT_EQ(polls, 64);
  EXPECT_EQ(logs.size(), 64u);
  EXPECT_EQ(traffic.DrainDedicatedInput(poll), 36);

  // Channel messages on the port never reach the receiver.
  queued = 1;
  logs.clear();
  const auto noteOn = [&](std::vector<std::uint8_t>& m) {
    if (queued-- <= 0)
      return false;
    m = {0x90, 60, 100};
    return true;
  };
  EXPECT_EQ(traffic.DrainDedicatedInput(noteOn), 1);
  EXPECT_TRUE(logs.empty());
}

TEST_F(TrafficTest, HostMessagesAreDiscardedWhileTheDedicatedInputIsOpen) {
  std::vector<Bytes> queue;
  const auto pop = [&](keel::SysExRecord& r) {
    if (queue.empty())
      return false;
    r.Assign(0, queue.front().data(), static_cast<int>(queue.front().size()));
    queue.erase(queue.begin());
    return true;
  };
  queue = {Wsf(), Dat(1)};
  traffic.DrainHostSysEx(pop, true);
  EXPECT_TRUE(queue.empty());
  traffic.SendReplies();
  EXPECT_TRUE(TakeSent().empty()); // discarded, not deferred

  queue = {Wsf(), Dat(1)};
  traffic.DrainHostSysEx(pop, false);
  EXPECT_EQ(logs.front(), "HostSysExFallback: first sysex accepted from host MIDI in (13 bytes)");
  traffic.SendReplies();
  EXPECT_EQ(TakeSent().size(), 2u);
}

} // namespace
