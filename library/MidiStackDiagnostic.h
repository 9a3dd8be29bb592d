// A short description of the machine's MIDI stack in the program log, once per process.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vlm {

// What the diagnostic looks at; the real probe asks the system, tests give their own.
struct MidiStackFacts {
  std::string kernelRelease;            // empty when unknown
  bool alsaSequencerOpens = false;
  bool jackServerAnswers = false;
  std::vector<std::string> compiledApis; // RtMidi's names of its compiled back ends
};

MidiStackFacts ProbeMidiStackFacts();
// The "MidiStack: " lines for the facts, in order.
std::vector<std::string> DescribeMidiStack(const MidiStackFacts& facts);
// Probes and logs once per process; later calls do nothing. Never throws.
void MidiStack();

} // namespace vlm
