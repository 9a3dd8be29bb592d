// Arpeggiator (being written).
#include "engine/arp/Arpeggiator.h"

namespace vlm::dsp {
void Arpeggiator::Prepare(double sampleRate) { mSampleRate = EffectRateOrDefault(sampleRate); Reset(); }
void Arpeggiator::Reset() noexcept { mGeneration.fetch_add(1, std::memory_order_acq_rel); }
void Arpeggiator::SetParameter(int, double) noexcept {}
void Arpeggiator::SetTempo(double) noexcept {}
void Arpeggiator::NoteOn(int, double, int) noexcept {}
void Arpeggiator::NoteOff(int) noexcept {}
int Arpeggiator::GenerateEvents(int, NoteEvent*, int, double, bool) noexcept { return 0; }
} // namespace vlm::dsp
