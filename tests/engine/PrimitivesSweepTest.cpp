// Every setting of the oscillator, envelope, filters and LFOs over part rates 22050..192000 stays finite.
#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "engine/envelope/Envelope.h"
#include "engine/filter/Hpf.h"
#include "engine/filter/Vcf.h"
#include "engine/lfo/Lfo.h"
#include "engine/lfo/LfoDelay.h"
#include "engine/oscillator/Vco.h"

namespace {

const double kRates[] = {22050.0, 24000.0, 29000.0, 32000.0,  44100.0,
                         48000.0, 88200.0, 96000.0, 176400.0, 192000.0};

} // namespace

TEST(PrimitivesSweep, OscillatorNeverYieldsNaNOrInfinity) {
  for (double rate : kRates) {
    for (std::uint8_t waveform = 0; waveform <= 5; ++waveform) {
      for (double hz : {-3000.0, 0.0, 8.0, 440.0, 7000.0, 0.45 * rate, 0.5 * rate, 1e9}) {
        for (double width : {0.0, 0.01, 0.03, 0.5, 1.0}) {
          Vco master, slave;
          master.Prepare(rate);
          slave.Prepare(rate);
          master.SetFrequency(hz * 0.37 + 50.0);
          slave.mWaveform = waveform;
          slave.SetFrequency(hz);
          slave.SetPulseWidth(width);
          double peak = 0.0;
          for (int i = 0; i < 600; ++i) {
            master.RenderSample();
            if (master.Wrapped() && master.Increment() > 0.0)
              slave.HardSync(std::clamp(master.Phase() / master.Increment(), 0.0, 1.0));
            const double y = slave.RenderSample();
            ASSERT_TRUE(std::isfinite(y)) << rate << " " << int(waveform) << " " << hz << " " << width;
            peak = std::max(peak, std::fabs(y));
          }
          EXPECT_LT(peak, 5.0) << rate << " " << int(waveform) << " " << hz << " " << width;
        }
      }
    }
  }
}

TEST(PrimitivesSweep, EnvelopeNeverYieldsNaNOrInfinity) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> action(0, 99);
  for (double rate : kRates) {
    for (double ms : {0.0, 0.1, 2.0, 50.0, 10000.0}) {
      for (double sustain : {0.0, 0.3, 1.0}) {
        for (int flags = 0; flags < 16; ++flags) {
          Envelope e;
          e.Prepare(rate);
          e.SetAttack(ms);
          e.SetDecay(ms);
          e.SetRelease(ms);
          e.SetSustain(sustain);
          e.SetKeyFollow(flags & 1 ? 1.25 : 0.0);
          e.SetKey(flags & 1 ? 127 + 24 : 0);
          e.SetAmplifierCurve(flags & 2);
          e.SetFilterDecayCurve(!(flags & 2));
          e.SetOvershoot(flags & 4);
          e.SetCurvedDecay(flags & 4);
          e.SetReset(flags & 8);
          e.SetDynamicsTime(1.0);
          e.SetVelocity((flags & 3) / 3.0);
          for (int i = 0; i < 3000; ++i) {
            const int a = action(rng);
            if (a == 0)
              e.NoteOn(flags & 1);
            else if (a == 1)
              e.NoteOff();
            else if (a == 2)
              e.SetSustain(action(rng) / 99.0);
            const double y = e.Tick();
            ASSERT_TRUE(std::isfinite(y)) << rate << " " << ms << " " << flags;
            ASSERT_LT(std::fabs(y), 6.0);
          }
        }
      }
    }
  }
}

TEST(PrimitivesSweep, FiltersNeverYieldNaNOrInfinity) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> noise(-3.0, 3.0);
  for (double rate : kRates) {
    for (double cutoff : {0.0, 1.0, 100.0, 1000.0, 0.4 * rate, 1e6}) {
      for (double resonance : {-1.0, 0.0, 0.5, 0.61, 0.9, 1.0, 2.0}) {
        Vcf f;
        Hpf h;
        f.Prepare(rate);
        h.Prepare(rate);
        h.SetCutoff(cutoff);
        for (int i = 0; i < 1500; ++i) {
          f.SetCutoffAndResonance(cutoff * (1.0 + 0.5 * std::sin(i * 0.01)), resonance);
          const double x = i < 750 ? noise(rng) : (i % 40 < 20 ? 3.0 : -3.0);
          const double y = f.Process(h.Process(x));
          ASSERT_TRUE(std::isfinite(y)) << rate << " " << cutoff << " " << resonance;
          ASSERT_LT(std::fabs(y), 50.0) << rate << " " << cutoff << " " << resonance;
        }
      }
    }
  }
}

TEST(PrimitivesSweep, LfosNeverYieldNaNOrInfinity) {
  for (double rate : kRates) {
    for (std::uint8_t waveform = 0; waveform <= 5; ++waveform) {
      for (double hz : {-1.0, 0.0, 0.02, 5.0, 64.0, 300.0}) {
        Lfo lfo;
        lfo.Prepare(rate);
        lfo.mWaveform = waveform;
        lfo.SetRate(hz);
        lfo.SetRandomRate(hz);
        LfoDelay delay;
        delay.Prepare(rate);
        delay.SetDelay(hz);
        delay.Restart();
        for (int i = 0; i < 4000; ++i) {
          const double y = lfo.Tick() * delay.Tick();
          ASSERT_TRUE(std::isfinite(y));
          ASSERT_LE(std::fabs(y), 1.0);
          ASSERT_GE(lfo.Phase(), 0.0);
          ASSERT_LT(lfo.Phase(), 1.0);
        }
      }
    }
  }
}
