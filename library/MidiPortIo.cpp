// The dedicated MKS-80 MIDI input and output pair: port search by name, open, close, poll and send.
#include "library/MidiPortIo.h"

#include <algorithm>
#include <exception>
#include <string_view>

#include "common/Logger.h"

namespace {

// The open ports of the process, for the Preferences dialog; written and read on the UI thread.
std::string& ProcessInName() {
  static std::string name;
  return name;
}

std::string& ProcessOutName() {
  static std::string name;
  return name;
}

} // namespace

std::string GetDirectMidiInPortName() {
  return ProcessInName();
}
std::string GetDirectMidiOutPortName() {
  return ProcessOutName();
}

namespace vlm {

namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// ALSA sequencer names end in " client:port" ("UM-ONE:UM-ONE MIDI 1 24:0"); the client number changes
// with every replug or reboot.
bool StripAlsaClientPort(std::string& name) {
  const std::size_t space = name.rfind(' ');
  if (space == std::string::npos)
    return false;
  const std::string_view last = std::string_view(name).substr(space + 1);
  const std::size_t colon = last.find(':');
  if (colon == std::string_view::npos || !AllDigits(last.substr(0, colon)) ||
      !AllDigits(last.substr(colon + 1)))
    return false;
  name.erase(space);
  return true;
}

// The a2j bridge names JACK ports after the ALSA client and its number: "a2j:UM-ONE [24] (capture): ...".
bool StripA2jClientNumber(std::string& name) {
  for (std::size_t open = name.find(" ["); open != std::string::npos; open = name.find(" [", open + 1)) {
    const std::size_t close = name.find(']', open);
    if (close != std::string::npos && AllDigits(std::string_view(name).substr(open + 2, close - open - 2))) {
      name.erase(open, close + 1 - open);
      return true;
    }
  }
  return false;
}

} // namespace

std::string BasePortName(const std::string& name) {
  std::string base = name;
  if (StripAlsaClientPort(base) || StripA2jClientNumber(base))
    return base; // the port's own number that remains belongs to its name
  const std::size_t space = name.rfind(' ');
  if (space == std::string::npos)
    return name;
  const std::string last = name.substr(space + 1);
  if (!AllDigits(last))
    return name;
  return name.substr(0, space);
}

namespace {
IMidiPortBackend* gDefaultBackend = nullptr; // set by tests on the thread that makes processors

// Every live port pair, for the JACK server's going and coming back; UI thread.
std::vector<MidiPortIo*>& LivePortPairs() {
  static std::vector<MidiPortIo*> pairs;
  return pairs;
}
} // namespace

void AbandonMidiPortClients() {
  for (MidiPortIo* io : LivePortPairs())
    io->AbandonClients();
}

void ReopenMidiPorts() {
  for (MidiPortIo* io : LivePortPairs())
    io->ReopenClients();
}

void SetDefaultMidiPortBackend(IMidiPortBackend* backend) {
  gDefaultBackend = backend;
}

MidiPortIo::MidiPortIo() {
  if (gDefaultBackend) {
    mBackend = gDefaultBackend;
  } else {
    mOwnedBackend = CreateRtMidiPortBackend();
    mBackend = mOwnedBackend.get();
  }
  CreateClients(*mBackend);
  LivePortPairs().push_back(this);
}

MidiPortIo::MidiPortIo(IMidiPortBackend& backend) : mBackend(&backend) {
  CreateClients(backend);
  LivePortPairs().push_back(this);
}

void MidiPortIo::AbandonClients() {
  mReopenInName = IsInOpen() ? mInName : std::string();
  mReopenOutName = IsOutOpen() ? mOutName : std::string();
  AbandonMidiClient(mInput);
  AbandonMidiClient(mOutput);
  mInName.clear();
  mOutName.clear();
  ProcessInName().clear();
  ProcessOutName().clear();
  GetLogger().Log("MidiPortIo: the JACK server went away; its clients are let go");
}

void MidiPortIo::ReopenClients() {
  if (!mInput && !mOutput)
    CreateClients(*mBackend);
  if (!mReopenInName.empty())
    OpenIn(mReopenInName);
  if (!mReopenOutName.empty())
    OpenOut(mReopenOutName);
  mReopenInName.clear();
  mReopenOutName.clear();
}

void MidiPortIo::CreateClients(IMidiPortBackend& backend) {
  try {
    mInput = backend.CreateInput();
  } catch (const std::exception& e) {
    GetLogger().Log("MidiPortIo: RtMidiIn creation FAILED: %s", e.what());
  } catch (...) {
    GetLogger().Log("MidiPortIo: RtMidiIn creation FAILED (unknown exception)");
  }
  try {
    mOutput = backend.CreateOutput();
  } catch (const std::exception& e) {
    GetLogger().Log("MidiPortIo: RtMidiOut creation FAILED: %s", e.what());
  } catch (...) {
    GetLogger().Log("MidiPortIo: RtMidiOut creation FAILED (unknown exception)");
  }
}

MidiPortIo::~MidiPortIo() {
  std::vector<MidiPortIo*>& live = LivePortPairs();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  CloseIn();
  CloseOut();
  // The clients' own destructors may throw (RtMidi's back ends report errors that way).
  try {
    mInput.reset();
  } catch (...) {
  }
  try {
    mOutput.reset();
  } catch (...) {
  }
}

namespace {

bool IsOpen(IMidiPortClient* client) {
  if (!client)
    return false;
  try {
    return client->IsPortOpen();
  } catch (...) {
    return false;
  }
}

std::vector<std::string> ListPorts(IMidiPortClient* client) {
  if (!client)
    return {};
  try {
    std::vector<std::string> names;
    const unsigned count = client->PortCount();
    for (unsigned i = 0; i < count; ++i) {
      std::string name = client->PortName(i);
      if (!IsOwnMidiPort(name))
        names.push_back(std::move(name));
    }
    return names;
  } catch (...) {
    return {}; // nothing partial
  }
}

} // namespace

bool MidiPortIo::IsInOpen() {
  return IsOpen(mInput.get());
}
bool MidiPortIo::IsOutOpen() {
  return IsOpen(mOutput.get());
}
std::vector<std::string> MidiPortIo::ListInputs() {
  return ListPorts(mInput.get());
}
std::vector<std::string> MidiPortIo::ListOutputs() {
  return ListPorts(mOutput.get());
}

int MidiPortIo::FindPort(IMidiPortClient& client, const std::string& name) {
  if (IsOwnMidiPort(name))
    return -1;
  try {
    const unsigned count = client.PortCount();
    std::vector<std::string> names;
    for (unsigned i = 0; i < count; ++i) {
      names.push_back(client.PortName(i));
      if (names.back() == name)
        return static_cast<int>(i);
    }
    // A device plugged into another socket comes back with another trailing number.
    const std::string base = BasePortName(name);
    int match = -1;
    int matches = 0;
    for (unsigned i = 0; i < count; ++i) {
      if (!IsOwnMidiPort(names[i]) && BasePortName(names[i]) == base) {
        match = static_cast<int>(i);
        ++matches;
      }
    }
    if (matches != 1)
      return -1;
    GetLogger().Log("MidiPortIo: '%s' not found, matched by base name -> port %d", name.c_str(), match);
    return match;
  } catch (...) {
    return -1;
  }
}

bool MidiPortIo::OpenIn(const std::string& name) {
  return Open(true, name);
}
bool MidiPortIo::OpenOut(const std::string& name) {
  return Open(false, name);
}
void MidiPortIo::CloseIn() {
  Close(true);
}
void MidiPortIo::CloseOut() {
  Close(false);
}

bool MidiPortIo::Open(bool input, const std::string& name) {
  IMidiPortClient* client = input ? static_cast<IMidiPortClient*>(mInput.get()) : mOutput.get();
  const char* side = input ? "in" : "out";
  std::string& openName = input ? mInName : mOutName;
  std::string& processName = input ? ProcessInName() : ProcessOutName();
  if (!client) {
    GetLogger().Log("MidiPortIo[%s]: open '%s' skipped (%s unavailable)", side, name.c_str(),
                    input ? "RtMidiIn" : "RtMidiOut");
    return false;
  }
  if (name.empty()) {
    Close(input);
    return false;
  }
  if (IsOpen(client) && openName == name)
    return true;
  Close(input);
  const int port = FindPort(*client, name);
  if (port < 0) {
    GetLogger().Log("MidiPortIo[%s]: open '%s' FAILED (port not found)", side, name.c_str());
    return false;
  }
  try {
    client->OpenPort(static_cast<unsigned>(port), name);
  } catch (const std::exception& e) {
    GetLogger().Log("MidiPortIo[%s]: open '%s' FAILED: %s (port busy? held by DAW/other app?)", side,
                    name.c_str(), e.what());
    openName.clear();
    processName.clear();
    return false;
  } catch (...) {
    GetLogger().Log("MidiPortIo[%s]: open '%s' FAILED (unknown exception)", side, name.c_str());
    openName.clear();
    processName.clear();
    return false;
  }
  std::string portName;
  try {
    portName = client->PortName(static_cast<unsigned>(port));
  } catch (...) {
  }
  openName = portName.empty() ? name : portName;
  processName = openName;
  (input ? mPollErrorLogged : mSendErrorLogged) = false;
  GetLogger().Log("MidiPortIo[%s]: opened '%s' (port %d)", side, openName.c_str(), port);
  return true;
}

void MidiPortIo::Close(bool input) {
  IMidiPortClient* client = input ? static_cast<IMidiPortClient*>(mInput.get()) : mOutput.get();
  const char* side = input ? "in" : "out";
  std::string& openName = input ? mInName : mOutName;
  const std::string wasName = openName;
  openName.clear();
  (input ? ProcessInName() : ProcessOutName()).clear();
  if (!client)
    return;
  try {
    if (client->IsPortOpen()) {
      client->ClosePort();
      if (!wasName.empty())
        GetLogger().Log("MidiPortIo[%s]: closed '%s'", side, wasName.c_str());
    }
  } catch (const std::exception& e) {
    GetLogger().Log("MidiPortIo[%s]: close '%s' FAILED: %s (handle may leak!)", side, wasName.c_str(),
                    e.what());
  } catch (...) {
    GetLogger().Log("MidiPortIo[%s]: close '%s' FAILED (unknown exception, handle may leak!)", side,
                    wasName.c_str());
  }
}

bool MidiPortIo::PollIn(std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  if (!IsOpen(mInput.get()))
    return false;
  try {
    mInput->GetMessage(bytes);
    return !bytes.empty();
  } catch (const std::exception& e) {
    if (!mPollErrorLogged)
      GetLogger().Log("MidiPortIo[in]: poll FAILED on '%s': %s (further errors suppressed)", mInName.c_str(),
                      e.what());
  } catch (...) {
    if (!mPollErrorLogged)
      GetLogger().Log("MidiPortIo[in]: poll FAILED on '%s' (unknown exception, suppressed)", mInName.c_str());
  }
  mPollErrorLogged = true;
  bytes.clear();
  return false;
}

bool MidiPortIo::Send(const std::uint8_t* data, std::size_t length) {
  if (!mOutput || !data || length == 0)
    return false;
  if (!IsOpen(mOutput.get()))
    return false;
  try {
    mOutput->SendMessage(data, length);
    return true;
  } catch (const std::exception& e) {
    if (!mSendErrorLogged)
      GetLogger().Log("MidiPortIo[out]: send FAILED on '%s': %s (further errors suppressed)",
                      mOutName.c_str(), e.what());
  } catch (...) {
    if (!mSendErrorLogged)
      GetLogger().Log("MidiPortIo[out]: send FAILED on '%s' (unknown exception, suppressed)",
                      mOutName.c_str());
  }
  mSendErrorLogged = true;
  return false;
}

} // namespace vlm
