// The program's MIDI side: input and output clients, port lists, selection by name with fallback
// to "off", merged inputs, and the input callback that feeds the audio thread's device queues.
#pragma once

#include "Keel/Core/MidiMsg.h"
#include "Keel/Core/MidiOutputSender.h"
#include "Keel/Core/SysExRecord.h"
#include "library/OwnMidiPorts.h"
#include "standalone/devices/AudioMidiSettings.h"
#include "standalone/devices/MidiBackend.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vlm {

// Where incoming device messages go (the processor's two device queues; audio thread reads them).
class IDeviceMidiSink {
public:
  virtual ~IDeviceMidiSink() = default;
  virtual bool PushDeviceMidi(const keel::MidiMsg& msg) noexcept = 0;
  virtual bool PushDeviceSysEx(const keel::SysExRecord& record) noexcept = 0;
};

struct MergedMidiInput {
  std::string name;
  std::unique_ptr<IMidiInClient> client;
};

inline constexpr const char* kMidiOff = "off";
inline constexpr const char* kAllMidiInputs = "all inputs (merged)";

std::vector<std::string> SplitMidiInputNames(const std::string& setting);
std::string JoinMidiInputNames(const std::vector<std::string>& names);

// Threads: everything on the UI thread except HostMidiInputCallback (MIDI back-end threads, one
// at a time under a process-wide mutex) and Sender().SendShort (the audio thread).
class MidiDevices {
public:
  enum Direction { kIn = 0, kOut = 1 };

  MidiDevices(IMidiBackend& backend, AudioMidiSettings& settings, IDeviceMidiSink& sink,
              std::function<void()> writeSettings);
  ~MidiDevices();
  MidiDevices(const MidiDevices&) = delete;
  MidiDevices& operator=(const MidiDevices&) = delete;

  // With noIO (no I/O or screenshot mode) nothing is created and true is returned.
  bool InitMidi(bool noIO);
  void ProbeMidiIO();
  int GetMIDIPortNumber(int direction, const std::string& name);
  bool SelectMIDIDevice(int direction, const std::string& name);
  bool SelectAllMIDIInputs();
  void SelectMIDIInputs(const std::vector<std::string>& names, std::vector<std::string>& opened);
  void CloseMergedMIDIInputs();
  // The destructor's guarded MIDI shutdown: merged inputs, main input callback, output port.
  void Shutdown();
  // The JACK server of the clients went away. Closing a client of a dead server crashes libjack once a
  // client of a new server exists, so they are let go without another call (a few bytes each); the
  // ports are opened again by ReopenFromSettings when the server is back.
  void AbandonClients();
  // New clients, and the ports of the settings opened again; the stored choices stay as they were.
  void ReopenFromSettings();

  static void HostMidiInputCallback(double timeStamp, const std::vector<uint8_t>& bytes, void* self);

  void SetExiting() { mExiting.store(true, std::memory_order_release); }
  const std::vector<std::string>& InputNames() const { return mInputNames; }
  const std::vector<std::string>& OutputNames() const { return mOutputNames; }
  const std::vector<MergedMidiInput>& MergedInputs() const { return mMerged; }
  keel::MidiOutputSender& Sender() { return mSender; }
  bool HasInputClient() const { return mInput != nullptr; }
  bool HasOutputClient() const { return mOutput != nullptr; }

private:
  void ConfigureInput(IMidiInClient& client);
  void StopOutput();

  IMidiBackend& mBackend;
  AudioMidiSettings& mSettings;
  IDeviceMidiSink& mSink;
  std::function<void()> mWriteSettings;
  std::unique_ptr<IMidiInClient> mInput;
  std::vector<MergedMidiInput> mMerged;
  std::unique_ptr<IMidiOutClient> mOutput;
  std::vector<std::string> mInputNames;
  std::vector<std::string> mOutputNames;
  std::atomic<bool> mExiting{false};
  bool mShutDown = false;
  keel::MidiOutputSender mSender;
};

} // namespace vlm
