// MIDI port selection, merged inputs and the device input callback.
#include "standalone/devices/MidiDevices.h"

#include "common/Logger.h"

#include <cstdio>
#include <exception>
#include <mutex>

namespace vlm {
namespace {

// Every MIDI client of the program carries its name, so that a patchbay shows "Velmora" and the program
// can tell its own ports from everyone else's.
constexpr const char* kInputClientName = kMidiClientName;
constexpr const char* kOutputClientName = kMidiClientName;
constexpr const char* kInputPortName = "Velmora MIDI In";
constexpr const char* kOutputPortName = "Velmora MIDI Out";
constexpr unsigned kInputQueueLimit = 100;

// Serialises every input callback of the process, so each device queue has one writer at a time.
std::mutex& InputCallbackMutex() {
  static std::mutex m;
  return m;
}

const char* DirText(int direction) { return direction == MidiDevices::kIn ? "in" : "out"; }

} // namespace

std::vector<std::string> SplitMidiInputNames(const std::string& setting) {
  std::vector<std::string> names;
  if (setting.empty() || setting == kMidiOff) return names;
  size_t start = 0;
  while (start <= setting.size()) {
    size_t tab = setting.find('\t', start);
    if (tab == std::string::npos) tab = setting.size();
    if (tab > start) names.push_back(setting.substr(start, tab - start));
    start = tab + 1;
  }
  return names;
}

std::string JoinMidiInputNames(const std::vector<std::string>& names) {
  if (names.empty()) return kMidiOff;
  std::string joined;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) joined += '\t';
    joined += names[i];
  }
  return joined;
}

MidiDevices::MidiDevices(IMidiBackend& backend, AudioMidiSettings& settings, IDeviceMidiSink& sink,
                         std::function<void()> writeSettings)
    : mBackend(backend), mSettings(settings), mSink(sink), mWriteSettings(std::move(writeSettings)) {}

MidiDevices::~MidiDevices() {
  SetExiting();
  Shutdown();
  mMerged.clear();
  mOutput.reset();
  mInput.reset();
}

void MidiDevices::ConfigureInput(IMidiInClient& client) {
  client.SetCallback(&MidiDevices::HostMidiInputCallback, this);
  // System-exclusive and active sensing pass; clock and time code are dropped.
  client.IgnoreTypes(false, true, false);
}

bool MidiDevices::InitMidi(bool noIO) {
  if (noIO) return true;
  try {
    mInput = mBackend.CreateInput(kInputClientName, kInputQueueLimit);
  } catch (const std::exception& e) {
    mInput.reset();
    std::fprintf(stderr, "%s\n", e.what());
    GetLogger().Log("InitMidi: RtMidiIn creation FAILED: %s", e.what());
    return false;
  }
  try {
    mOutput = mBackend.CreateOutput(kOutputClientName);
  } catch (const std::exception& e) {
    mOutput.reset();
    std::fprintf(stderr, "%s\n", e.what());
    GetLogger().Log("InitMidi: RtMidiOut creation FAILED: %s", e.what());
    return false;
  }
  try {
    ConfigureInput(*mInput);
  } catch (const std::exception& e) {
    GetLogger().Log("InitMidi: RtMidiIn creation FAILED: %s", e.what());
    mInput.reset();
    return false;
  }
  GetLogger().Log("InitMidi: OK");
  return true;
}

void MidiDevices::ProbeMidiIO() {
  if (!mInput || !mOutput) {
    GetLogger().Log("ProbeMidiIO: skipped (midi in=%d out=%d)", mInput ? 1 : 0, mOutput ? 1 : 0);
    return;
  }
  mInputNames = {kMidiOff, kAllMidiInputs};
  mOutputNames = {kMidiOff};
  auto probe = [](auto& client, std::vector<std::string>& names, const char* dir) {
    unsigned count = 0;
    try {
      count = client.PortCount();
    } catch (...) {
      return;
    }
    for (unsigned i = 0; i < count; ++i) {
      try {
        std::string name = client.PortName(i);
        // The program's own ports (its inputs, its output, the MKS-80 connection) are never offered:
        // choosing one would loop MIDI back into the program.
        if (IsOwnMidiPort(name))
          continue;
        GetLogger().Log("ProbeMidiIO: %s[%d] = '%s'", dir, int(i), name.c_str());
        names.push_back(std::move(name));
      } catch (const std::exception& e) {
        GetLogger().Log("ProbeMidiIO: %s[%d] getPortName failed: %s", dir, int(i), e.what());
      } catch (...) {
        GetLogger().Log("ProbeMidiIO: %s[%d] getPortName failed (unknown exception)", dir, int(i));
      }
    }
  };
  probe(*mInput, mInputNames, "in");
  probe(*mOutput, mOutputNames, "out");
}

int MidiDevices::GetMIDIPortNumber(int direction, const std::string& name) {
  if (name == kMidiOff) return 0;
  if (IsOwnMidiPort(name))
    return -1;
  try {
    if (direction == kIn) {
      if (!mInput) return -1;
      for (unsigned i = 0, n = mInput->PortCount(); i < n; ++i)
        if (mInput->PortName(i) == name) return int(i) + 1;
    } else {
      if (!mOutput) return -1;
      for (unsigned i = 0, n = mOutput->PortCount(); i < n; ++i)
        if (mOutput->PortName(i) == name) return int(i) + 1;
    }
  } catch (const std::exception& e) {
    GetLogger().Log("GetMIDIPortNumber[%s]: exception '%s' while resolving '%s'", DirText(direction), e.what(),
                    name.c_str());
  } catch (...) {
    GetLogger().Log("GetMIDIPortNumber[%s]: unknown exception while resolving '%s'", DirText(direction),
                    name.c_str());
  }
  return -1;
}

void MidiDevices::StopOutput() {
  // The sender thread is the only user of the output while it runs; stop it before the port goes.
  mSender.Stop();
}

bool MidiDevices::SelectMIDIDevice(int direction, const std::string& name) {
  if (direction == kIn) {
    if (name == kAllMidiInputs) return SelectAllMIDIInputs();
    if (!name.empty() && name != kMidiOff) {
      std::vector<std::string> opened;
      SelectMIDIInputs(SplitMidiInputNames(name), opened);
      return !opened.empty();
    }
    CloseMergedMIDIInputs();
  }
  int port = GetMIDIPortNumber(direction, name);
  GetLogger().Log("SelectMIDIDevice[%s]: name='%s' -> port=%d", DirText(direction), name.c_str(), port);
  if (port == -1) {
    (direction == kIn ? mSettings.midiInput : mSettings.midiOutput) = kMidiOff;
    if (mWriteSettings) mWriteSettings();
    port = 0;
  }
  if (direction == kIn ? !mInput : !mOutput) return false;
  try {
    if (direction == kIn) {
      mInput->ClosePort();
    } else {
      StopOutput();
      mOutput->ClosePort();
      if (port > 0) {
        mOutput->OpenPort(unsigned(port - 1), kOutputPortName);
        GetLogger().Log("SelectMIDIDevice[out]: opened '%s' (port %d)", name.c_str(), port - 1);
        IMidiOutClient* out = mOutput.get();
        mSender.Start([out](const uint8_t* bytes, size_t size) { out->Send(bytes, size); });
      }
    }
    return true;
  } catch (const std::exception& e) {
    GetLogger().Log("SelectMIDIDevice[%s]: FAILED to open '%s': %s \xE2\x80\x94 falling back to off", DirText(direction),
                    name.c_str(), e.what());
  } catch (...) {
    GetLogger().Log("SelectMIDIDevice[%s]: FAILED to open '%s' (unknown exception) \xE2\x80\x94 falling back to off",
                    DirText(direction), name.c_str());
  }
  (direction == kIn ? mSettings.midiInput : mSettings.midiOutput) = kMidiOff;
  if (mWriteSettings) mWriteSettings();
  return false;
}

bool MidiDevices::SelectAllMIDIInputs() {
  if (!mInput) return false;
  std::vector<std::string> names;
  try {
    for (unsigned i = 0, n = mInput->PortCount(); i < n; ++i) {
      std::string name = mInput->PortName(i);
      if (!IsOwnMidiPort(name))
        names.push_back(std::move(name));
    }
  } catch (const std::exception& e) {
    GetLogger().Log("SelectAllMIDIInputs: enumeration FAILED: %s", e.what());
  } catch (...) {
    GetLogger().Log("SelectAllMIDIInputs: enumeration FAILED (unknown exception)");
  }
  std::vector<std::string> opened;
  SelectMIDIInputs(names, opened);
  if (!opened.empty() || names.empty()) return true;
  mSettings.midiInput = kMidiOff;
  if (mWriteSettings) mWriteSettings();
  return false;
}

void MidiDevices::SelectMIDIInputs(const std::vector<std::string>& names, std::vector<std::string>& opened) {
  opened.clear();
  if (!mInput) return;
  try {
    mInput->ClosePort();
  } catch (...) {
    GetLogger().Log("SelectMIDIInputs: closePort FAILED (ignored)");
  }
  auto wanted = [&](const std::string& n) {
    for (const auto& w : names)
      if (w == n) return true;
    return false;
  };
  for (auto it = mMerged.begin(); it != mMerged.end();) {
    if (wanted(it->name)) {
      ++it;
      continue;
    }
    try {
      it->client->CancelCallback();
      it->client->ClosePort();
      GetLogger().Log("SelectMIDIInputs: closed '%s'", it->name.c_str());
    } catch (...) {
      GetLogger().Log("SelectMIDIInputs: close '%s' FAILED (ignored)", it->name.c_str());
    }
    it = mMerged.erase(it);
  }
  for (const std::string& name : names) {
    bool open = false;
    for (const auto& m : mMerged)
      if (m.name == name) open = true;
    if (open) {
      opened.push_back(name);
      continue;
    }
    try {
      std::unique_ptr<IMidiInClient> client = mBackend.CreateInput(kInputClientName, kInputQueueLimit);
      int found = -1;
      for (unsigned i = 0, n = client->PortCount(); i < n && found < 0 && !IsOwnMidiPort(name); ++i)
        if (client->PortName(i) == name) found = int(i);
      if (found < 0) {
        GetLogger().Log("SelectMIDIInputs: '%s' not found (skipped)", name.c_str());
        continue;
      }
      ConfigureInput(*client);
      client->OpenPort(unsigned(found), kInputPortName);
      mMerged.push_back({name, std::move(client)});
      opened.push_back(name);
      GetLogger().Log("SelectMIDIInputs: opened '%s' (port %d)", name.c_str(), found);
    } catch (const std::exception& e) {
      GetLogger().Log("SelectMIDIInputs: '%s' FAILED: %s (skipped)", name.c_str(), e.what());
    } catch (...) {
      GetLogger().Log("SelectMIDIInputs: '%s' FAILED (unknown exception, skipped)", name.c_str());
    }
  }
  GetLogger().Log("SelectMIDIInputs: %d/%d ports open", int(mMerged.size()), int(names.size()));
}

void MidiDevices::CloseMergedMIDIInputs() {
  for (auto& m : mMerged) {
    try {
      m.client->CancelCallback();
      m.client->ClosePort();
    } catch (...) {
      GetLogger().Log("CloseMergedMIDIInputs: close '%s' FAILED (ignored)", m.name.c_str());
    }
  }
  if (!mMerged.empty()) GetLogger().Log("CloseMergedMIDIInputs: closed %d merged inputs", int(mMerged.size()));
  mMerged.clear();
}

void MidiDevices::Shutdown() {
  if (mShutDown) return;
  mShutDown = true;
  try {
    CloseMergedMIDIInputs();
    if (mInput) mInput->CancelCallback();
    StopOutput();
    if (mOutput) mOutput->ClosePort();
  } catch (...) {
    GetLogger().Log("~IKeelAPPHost: exception while closing MIDI (ignored)");
  }
}

void MidiDevices::AbandonClients() {
  StopOutput();
  GetLogger().Log("MIDI: the JACK server went away; its clients are let go");
  for (MergedMidiInput& m : mMerged)
    AbandonMidiClient(m.client);
  mMerged.clear();
  AbandonMidiClient(mOutput);
  AbandonMidiClient(mInput);
}

void MidiDevices::ReopenFromSettings() {
  const AudioMidiSettings stored = mSettings;
  if (!InitMidi(false)) return;
  ProbeMidiIO();
  SelectMIDIDevice(kIn, stored.midiInput);
  SelectMIDIDevice(kOut, stored.midiOutput);
  // A port whose program has not come back to the server yet is not a reason to forget the choice.
  if (mSettings.midiInput != stored.midiInput || mSettings.midiOutput != stored.midiOutput) {
    mSettings.midiInput = stored.midiInput;
    mSettings.midiOutput = stored.midiOutput;
    if (mWriteSettings) mWriteSettings();
  }
}

void MidiDevices::HostMidiInputCallback(double, const std::vector<uint8_t>& bytes, void* self) {
  std::lock_guard<std::mutex> lock(InputCallbackMutex());
  auto* devices = static_cast<MidiDevices*>(self);
  if (bytes.empty() || devices->mExiting.load(std::memory_order_acquire)) return;
  if (bytes.size() < 4) {
    keel::MidiMsg msg(0, bytes[0], bytes.size() > 1 ? bytes[1] : 0, bytes.size() > 2 ? bytes[2] : 0);
    devices->mSink.PushDeviceMidi(msg);
  } else if (bytes.size() <= size_t(keel::SysExRecord::kMaxBytes)) {
    // Built in place: the record is 520 bytes and this runs on the back end's thread.
    static thread_local keel::SysExRecord record;
    record.Assign(0, bytes.data(), int(bytes.size()));
    devices->mSink.PushDeviceSysEx(record);
  }
}

} // namespace vlm
