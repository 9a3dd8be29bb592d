// Test helper: an in-memory MIDI system behind the dedicated port pair's client interface.
#pragma once

#include <deque>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "library/MidiPortIo.h"

namespace porttest {

// What the fake clients see; tests arrange ports, busy ports, queued input and failures here.
struct FakeMidiSystem {
  std::vector<std::string> inputs;
  std::vector<std::string> outputs;
  std::set<std::string> busy;                   // ports another program holds: opening them throws
  std::deque<std::vector<std::uint8_t>> queued; // input messages waiting to be polled
  std::vector<std::vector<std::uint8_t>> sent;
  bool failCreateIn = false;
  bool failCreateOut = false;
  bool failPoll = false;
  bool failSend = false;
  bool failList = false;
  int inOpens = 0; // successful input opens, to see that a reselection does not reopen
  int outOpens = 0;
};

class FakeClientBase {
public:
  FakeClientBase(FakeMidiSystem& system, bool input) : mSystem(system), mInput(input) {}

protected:
  const std::vector<std::string>& Ports() const { return mInput ? mSystem.inputs : mSystem.outputs; }
  unsigned Count() const {
    if (mSystem.failList)
      throw std::runtime_error("list broke");
    return static_cast<unsigned>(Ports().size());
  }
  std::string Name(unsigned index) const {
    if (index >= Ports().size())
      throw std::runtime_error("no such port");
    return Ports()[index];
  }
  void Open(unsigned index) {
    const std::string name = Name(index);
    if (mSystem.busy.count(name))
      throw std::runtime_error("device busy");
    mOpen = true;
    ++(mInput ? mSystem.inOpens : mSystem.outOpens);
  }
  FakeMidiSystem& mSystem;
  bool mInput;
  bool mOpen = false;
};

class FakeIn final : public porttest::FakeClientBase, public vlm::IMidiPortInClient {
public:
  explicit FakeIn(FakeMidiSystem& system) : FakeClientBase(system, true) {}
  unsigned PortCount() override { return Count(); }
  std::string PortName(unsigned index) override { return Name(index); }
  void OpenPort(unsigned index, const std::string&) override { Open(index); }
  void ClosePort() override { mOpen = false; }
  bool IsPortOpen() override { return mOpen; }
  void GetMessage(std::vector<std::uint8_t>& bytes) override {
    bytes.clear();
    if (mSystem.failPoll)
      throw std::runtime_error("poll broke");
    if (!mSystem.queued.empty()) {
      bytes = mSystem.queued.front();
      mSystem.queued.pop_front();
    }
  }
};

class FakeOut final : public porttest::FakeClientBase, public vlm::IMidiPortOutClient {
public:
  explicit FakeOut(FakeMidiSystem& system) : FakeClientBase(system, false) {}
  unsigned PortCount() override { return Count(); }
  std::string PortName(unsigned index) override { return Name(index); }
  void OpenPort(unsigned index, const std::string&) override { Open(index); }
  void ClosePort() override { mOpen = false; }
  bool IsPortOpen() override { return mOpen; }
  void SendMessage(const std::uint8_t* bytes, std::size_t size) override {
    if (mSystem.failSend)
      throw std::runtime_error("send broke");
    mSystem.sent.emplace_back(bytes, bytes + size);
  }
};

class FakeBackend final : public vlm::IMidiPortBackend {
public:
  explicit FakeBackend(FakeMidiSystem& system) : mSystem(system) {}
  std::unique_ptr<vlm::IMidiPortInClient> CreateInput() override {
    if (mSystem.failCreateIn)
      throw std::runtime_error("no sequencer");
    return std::make_unique<FakeIn>(mSystem);
  }
  std::unique_ptr<vlm::IMidiPortOutClient> CreateOutput() override {
    if (mSystem.failCreateOut)
      throw 42; // not a standard exception
    return std::make_unique<FakeOut>(mSystem);
  }

private:
  FakeMidiSystem& mSystem;
};

} // namespace porttest
