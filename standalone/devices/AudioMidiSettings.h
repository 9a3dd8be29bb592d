// The program's audio and MIDI device settings, as the Preferences dialog edits them and settings.ini stores them.
#pragma once

#include <string>

namespace vlm {

// Audio drivers by their stored number; the number keeps its meaning across versions.
enum AudioDriver : int { kDriverAlsa = 0, kDriverJack = 1, kDriverPulse = 2 };

struct AudioMidiSettings {
  std::string audioInputDevice = "Default Device";
  std::string audioOutputDevice = "Default Device";
  std::string midiInput = "off";  // "off", one port, tab-joined ports, or "all inputs (merged)"
  std::string midiOutput = "off"; // "off" or one port
  int driverType = kDriverAlsa;
  int sampleRate = 44100;
  int bufferFrames = 512;
  int midiInputChannel = 0; // 0 all, 1-16
  int midiOutputChannel = 0;
  int audioInputChannel1 = 1;
  int audioInputChannel2 = 2;
  int audioOutputChannel1 = 1;
  int audioOutputChannel2 = 2;

  bool operator==(const AudioMidiSettings&) const = default;
  bool AudioEquals(const AudioMidiSettings& o) const {
    return driverType == o.driverType && audioInputDevice == o.audioInputDevice &&
           audioOutputDevice == o.audioOutputDevice && sampleRate == o.sampleRate &&
           bufferFrames == o.bufferFrames && audioInputChannel1 == o.audioInputChannel1 &&
           audioInputChannel2 == o.audioInputChannel2 && audioOutputChannel1 == o.audioOutputChannel1 &&
           audioOutputChannel2 == o.audioOutputChannel2;
  }
  bool MidiEquals(const AudioMidiSettings& o) const {
    return midiInput == o.midiInput && midiOutput == o.midiOutput && midiInputChannel == o.midiInputChannel &&
           midiOutputChannel == o.midiOutputChannel;
  }
};

} // namespace vlm
