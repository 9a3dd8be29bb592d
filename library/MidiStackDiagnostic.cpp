// MIDI stack diagnostic on Linux: kernel, ALSA sequencer, JACK server, RtMidi's back ends.
#include "library/MidiStackDiagnostic.h"

#include "common/Logger.h"

#include <jack/jack.h>
#include <rtmidi/RtMidi.h>
#include <sys/utsname.h>

#include <cstdio>
#include <mutex>

namespace vlm {
namespace {

// True when a client of that back end can be made and can list ports; errors are kept off stderr.
bool BackEndAnswers(RtMidi::Api api) {
  try {
    RtMidiOut probe(api, "Velmora probe");
    if (probe.getCurrentApi() != api) return false;
    bool failed = false;
    probe.setErrorCallback(
        [](RtMidiError::Type type, const std::string&, void* flag) {
          if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING) *static_cast<bool*>(flag) = true;
        },
        &failed);
    (void)probe.getPortCount();
    return !failed;
  } catch (...) {
    return false;
  }
}

void QuietJackError(const char*) {}
void PrintJackError(const char* text) { std::fprintf(stderr, "%s\n", text); }

bool JackServerAnswers() {
  // A client that may not start a server of its own tells whether one runs; its "cannot connect"
  // complaint is not an error here.
  jack_set_error_function(&QuietJackError);
  jack_status_t status{};
  jack_client_t* client = jack_client_open("Velmora probe", JackNoStartServer, &status);
  jack_set_error_function(&PrintJackError);
  if (!client) return false;
  jack_client_close(client);
  return true;
}

} // namespace

MidiStackFacts ProbeMidiStackFacts() {
  MidiStackFacts facts;
  utsname name{};
  if (uname(&name) == 0) facts.kernelRelease = name.release;
  facts.alsaSequencerOpens = BackEndAnswers(RtMidi::LINUX_ALSA);
  facts.jackServerAnswers = JackServerAnswers();
  std::vector<RtMidi::Api> apis;
  RtMidi::getCompiledApi(apis);
  for (RtMidi::Api api : apis) facts.compiledApis.push_back(RtMidi::getApiName(api));
  return facts;
}

std::vector<std::string> DescribeMidiStack(const MidiStackFacts& facts) {
  std::vector<std::string> lines;
  if (!facts.kernelRelease.empty()) lines.push_back("MidiStack: Linux " + facts.kernelRelease);
  lines.push_back(std::string("MidiStack: ALSA sequencer: ") + (facts.alsaSequencerOpens ? "opens" : "NOT AVAILABLE"));
  lines.push_back(std::string("MidiStack: JACK server: ") + (facts.jackServerAnswers ? "running" : "not running"));
  std::string apis;
  for (const std::string& api : facts.compiledApis) apis += (apis.empty() ? "" : ", ") + api;
  lines.push_back("MidiStack: RtMidi back ends: " + (apis.empty() ? std::string("none") : apis));
  return lines;
}

void MidiStack() {
  static std::once_flag once;
  std::call_once(once, [] {
    try {
      for (const std::string& line : DescribeMidiStack(ProbeMidiStackFacts())) GetLogger().Log("%s", line.c_str());
    } catch (...) {
      // A diagnostic never stops the processor's construction.
    }
  });
}

} // namespace vlm
