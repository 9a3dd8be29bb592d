// MIDI and system-exclusive entry on the audio thread: thru, notes, bend, pressure, controllers, sysex
// intake.
#include <algorithm>

#include "processor/Velmora.h"
#include "processor/midi/PerformanceVolumeCurve.h"

using namespace vlm;

namespace {

constexpr double kBendRangeMaxSemitones = 12.5;

} // namespace

void Velmora::UpdateAftertouch() noexcept {
  const double amount =
      std::max(mModWheel.load(std::memory_order_relaxed), mChannelPressure.load(std::memory_order_relaxed));
  Upper.SetAftertouch(amount);
  Lower.SetAftertouch(amount);
}

void Velmora::ProcessMidiMsg(const keel::MidiMsg& msg) {
  SendMidiMsg(msg); // MIDI thru, whatever the message
  const int kind = msg.status >> 4;
  if (kind < 8 || kind > 14)
    return;
  const int d1 = msg.data1;
  const int d2 = msg.data2;
  vlm::dsp::Arpeggiator* arpeggiator = nullptr;
  switch (kind) {
  case 9:
    if (d2 > 0) {
      const double velocity = d2 / 127.0;
      if ((arpeggiator = mFxRack.FindActiveArpeggiator()))
        arpeggiator->NoteOn(d1, velocity, msg.status & 0x0F);
      else
        RouteNoteOn(d1, velocity, msg.status & 0x0F);
      break;
    }
    [[fallthrough]]; // velocity 0 is a note-off
  case 8:
    if ((arpeggiator = mFxRack.FindActiveArpeggiator())) {
      arpeggiator->NoteOff(d1);
    } else {
      Upper.NoteOff(d1);
      Lower.NoteOff(d1);
    }
    break;
  case 14: {
    const double position = (d1 + 128 * d2 - 8192) / 8192.0;
    mPitchBend.store(position, std::memory_order_relaxed);
    Upper.SetPitchBend(position);
    Lower.SetPitchBend(position);
    break;
  }
  case 13:
    mChannelPressure.store(d1 / 127.0, std::memory_order_relaxed);
    UpdateAftertouch();
    break;
  case 11:
    switch (d1) {
    case 1:
      mModWheel.store(d2 / 127.0, std::memory_order_relaxed);
      UpdateAftertouch();
      break;
    case 7: {
      const double position = std::clamp(d2 / 127.0, 0.0, 1.0);
      mPerformanceVolume.store(position, std::memory_order_relaxed);
      mPerformanceVolumeGain = PerformanceVolumeGain(position * 127.0);
      mPerformanceVolumeSmoother.SetTarget(mPerformanceVolumeGain);
      break;
    }
    case 31: {
      // The bend range goes through the idle work, so the host and the page see it as a parameter change.
      const double semitones = std::clamp(d2 * 12.5 / 100.0, 0.0, kBendRangeMaxSemitones);
      mControllerParamChanges.Push({kBendRange, semitones / kBendRangeMaxSemitones}); // dropped when full
      break;
    }
    case 64:
      // The pedal only counts while Upper "Hold" is "MIDI"; the Lower part's own setting is not consulted.
      if (static_cast<int>(GetParam(kHold)->Value()) == TonePart::kHoldMidi) {
        const bool down = d2 >= 64;
        Upper.SetHoldPedal(down);
        Lower.SetHoldPedal(down);
      }
      break;
    default:
      if (d1 >= 123 && d1 <= 127) { // all notes off, omni and mono/poly messages
        if ((arpeggiator = mFxRack.FindActiveArpeggiator()))
          arpeggiator->Reset();
        Upper.AllNotesOff();
        Lower.AllNotesOff();
      }
      break;
    }
    // Every control change then goes on to the controller maps (so 1, 7 and 64 can be mapped too).
    HandleMidiCc(d1, d2);
    break;
  default:
    break; // polyphonic key pressure and program change: thru only
  }
}

void Velmora::ProcessSysEx(const keel::SysExMsg& msg) {
  // Parsing happens in the idle work on the UI thread; here only what can be an MKS-80 message is queued.
  if (!msg.data || msg.size < 6 || msg.size >= keel::SysExRecord::kMaxBytes || msg.data[0] != 0xF0)
    return;
  keel::SysExRecord record;
  record.Assign(msg);
  mHostSysEx.Push(record); // dropped when full
}
