// MIDI stack diagnostic: the lines for given facts, and once per process.
#include "library/MidiStackDiagnostic.h"

#include "common/Logger.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

TEST(MidiStackDiagnostic, DescribesTheStackInPrefixedLines) {
  vlm::MidiStackFacts facts{"6.1.0-13-amd64", true, false, {"alsa", "jack"}};
  EXPECT_EQ(vlm::DescribeMidiStack(facts),
            (std::vector<std::string>{"MidiStack: Linux 6.1.0-13-amd64", "MidiStack: ALSA sequencer: opens",
                                      "MidiStack: JACK server: not running", "MidiStack: RtMidi back ends: alsa, jack"}));
  vlm::MidiStackFacts none;
  EXPECT_EQ(vlm::DescribeMidiStack(none),
            (std::vector<std::string>{"MidiStack: ALSA sequencer: NOT AVAILABLE", "MidiStack: JACK server: not running",
                                      "MidiStack: RtMidi back ends: none"}));
}

TEST(MidiStackDiagnostic, LogsOncePerProcess) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("vlm-midistack-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  setenv("TMPDIR", dir.c_str(), 1);
  unsetenv("TEMP");
  unsetenv("TMP");
  vlm::MidiStack();
  vlm::MidiStack();
  std::ifstream in(GetLogger().LogFilePath());
  std::stringstream text;
  text << in.rdbuf();
  size_t count = 0;
  for (size_t at = text.str().find("RtMidi back ends"); at != std::string::npos;
       at = text.str().find("RtMidi back ends", at + 1))
    ++count;
  EXPECT_EQ(count, 1u);
  std::filesystem::remove_all(dir);
}

} // namespace
