// Envelope: setter limits, stage times, key follow, velocity dynamics, reset dump, overshoot, curved decay.
#include "engine/envelope/Envelope.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include <gtest/gtest.h>

namespace {

Envelope MakeEnvelope(double rate = 48000.0) {
  Envelope e;
  e.Prepare(rate);
  e.SetDynamicsEnabled(false);
  return e;
}

// Ticks until the state differs from `state`; returns the number of ticks taken.
int TicksWhile(Envelope& e, Envelope::State state, int limit = 10000000) {
  int n = 0;
  while (e.GetState() == state && n < limit) {
    e.Tick();
    ++n;
  }
  return n;
}

} // namespace

TEST(Envelope, SettersHoldTheirLimits) {
  Envelope e;
  e.SetAttack(0.0);
  e.SetDecay(0.0);
  e.SetRelease(-5.0);
  e.SetSustain(1.5);
  e.SetKeyFollow(2.0);
  EXPECT_EQ(e.AttackMs(), 2.0);
  EXPECT_EQ(e.DecayMs(), 0.1);
  EXPECT_EQ(e.ReleaseMs(), 0.1);
  EXPECT_EQ(e.Sustain(), 1.0);
  EXPECT_EQ(e.KeyFollow(), 1.25);
  e.SetSustain(std::nan(""));
  EXPECT_EQ(e.Sustain(), 0.0);
}

TEST(Envelope, StageTimesFollowTheirTimeConstants) {
  // Attack covers ln 3 time constants towards 1.3 and ends at 1; decay and release ln 9 down to 1e-5.
  const double ln3 = std::log(3.0), ln9 = std::log(9.0);
  for (double rate : {22050.0, 48000.0, 96000.0, 192000.0}) {
    for (double ms : {2.0, 10.0, 1500.0}) {
      Envelope e = MakeEnvelope(rate);
      e.SetAttack(ms);
      e.SetDecay(ms);
      e.SetSustain(0.0);
      e.SetRelease(ms);
      e.NoteOn(false);
      const double ta = ms * rate / 1000.0 / ln3;
      const int attack = TicksWhile(e, Envelope::kAttack);
      EXPECT_NEAR(attack, std::ceil(ta * std::log(1.3 / 0.3)), 1.0) << rate << " " << ms;
      const double td = ms * rate / 1000.0 / ln9;
      const int decay = TicksWhile(e, Envelope::kDecay);
      EXPECT_NEAR(decay, std::ceil(td * std::log(1e5)), 1.0) << rate << " " << ms;
      EXPECT_EQ(e.GetState(), Envelope::kSustain);
      e.SetSustain(1.0);
      e.Tick();
      e.NoteOff();
      const int release = TicksWhile(e, Envelope::kRelease);
      EXPECT_NEAR(release, std::ceil(td * std::log(1e5)), 1.0) << rate << " " << ms;
      EXPECT_TRUE(e.IsIdle());
      EXPECT_EQ(e.Tick(), 0.0);
    }
  }
}

TEST(Envelope, MinimumTimesAreStillSmoothAtTheLowestRate) {
  // 0.1 ms at 22.05 kHz is about one time constant per sample; never a zero-length stage.
  Envelope e = MakeEnvelope(22050.0);
  e.SetAttack(0.0);
  e.SetDecay(0.0);
  e.SetSustain(0.5);
  e.NoteOn(false);
  EXPECT_GT(TicksWhile(e, Envelope::kAttack), 20);
  EXPECT_GE(TicksWhile(e, Envelope::kDecay), 5);
  EXPECT_GT(e.DecayCoefficient(), 0.3);
}

TEST(Envelope, KeyFollowShortensTimesAboveTheReferenceKey) {
  Envelope e = MakeEnvelope();
  EXPECT_EQ(e.KeyFollowFactor(), 1.0);
  e.SetKeyFollow(1.0);
  e.SetKey(72);
  EXPECT_DOUBLE_EQ(e.KeyFollowFactor(), 0.5);
  e.SetKeyFollow(1.25);
  e.SetKey(48);
  EXPECT_DOUBLE_EQ(e.KeyFollowFactor(), std::exp2(1.25));
  e.SetKeyFollow(1.0);
  e.SetKey(72);
  e.SetAttack(100.0);
  EXPECT_DOUBLE_EQ(e.EffectiveAttackMs(), 50.0);
  e.SetAttack(3.0); // 1.5 ms after key follow is held at 2 ms
  EXPECT_EQ(e.EffectiveAttackMs(), 2.0);
}

TEST(Envelope, VelocityShapesAttackTimeAroundVelocity052) {
  Envelope e;
  e.SetAttack(100.0);
  for (double time : {0.0, 0.3, 1.0})
    for (double sens : {0.2, 1.0}) {
      e.SetDynamicsTime(time);
      e.SetDynamicsSensitivity(sens);
      e.SetVelocity(0.52);
      EXPECT_DOUBLE_EQ(e.EffectiveAttackMs(), 100.0);
    }
  e.SetDynamicsTime(1.0);
  e.SetDynamicsSensitivity(1.0);
  e.SetVelocity(1.0);
  EXPECT_EQ(e.EffectiveAttackMs(), 2.0); // 1.89 ms is held at the minimum
  e.SetAttack(1000.0);
  e.SetVelocity(0.0);
  EXPECT_NEAR(e.EffectiveAttackMs(), 1000.0 * std::exp2(-0.52 * -11.927), 1e-6);
  e.SetDynamicsEnabled(false);
  EXPECT_DOUBLE_EQ(e.EffectiveAttackMs(), 1000.0);
}

TEST(Envelope, VelocityCurvesOfLevelAndDecayTime) {
  struct Case {
    bool amplifier, filter;
    double velocity, levelCurve, decayCurve;
  };
  const Case cases[] = {
      {true, false, 1.0, 1.7901, 1.48},
      {true, false, 0.0, 0.0, 0.9},
      {false, false, 0.5039, 0.943, 0.9 + 0.23 * (0.5039 - 0.315) / (0.504 - 0.315)},
      {false, true, 0.1, 0.001 + 0.024 * (0.1 - 0.063) / 0.063, 0.5},
      {false, true, 1.0, 2.264, 1.18},
      {false, true, 0.63, 1.299 + (1.465 - 1.299) * (0.63 - 0.6299) / 0.063, 1.06},
      {true, false, 1.5, 1.7901, 1.48},
  };
  for (const Case& c : cases) {
    Envelope e;
    e.SetAmplifierCurve(c.amplifier);
    e.SetFilterDecayCurve(c.filter);
    e.SetDynamicsLevel(0.6);
    e.SetDynamicsSensitivity(0.5); // a = 0.3
    e.SetVelocity(c.velocity);
    EXPECT_NEAR(e.LevelScale(), c.levelCurve * 0.3 + 0.7, 1e-12) << c.velocity;
    EXPECT_NEAR(e.DecayTimeFactor(), c.decayCurve * 0.3 + 0.7, 1e-12) << c.velocity;
  }
  Envelope off;
  off.SetDynamicsLevel(0.0);
  off.SetVelocity(0.1);
  EXPECT_EQ(off.LevelScale(), 1.0);
  EXPECT_EQ(off.DecayTimeFactor(), 1.0);
}

TEST(Envelope, NoteOnAppliesTheLevelScale) {
  Envelope e;
  e.Prepare(48000.0);
  e.SetAmplifierCurve(true);
  e.SetDynamicsLevel(1.0);
  e.SetVelocity(1.0);
  e.NoteOn(false);
  EXPECT_DOUBLE_EQ(e.OutputScale(), 1.7901);
  const double first = e.Tick();
  EXPECT_DOUBLE_EQ(first, 1.7901 * e.Level());
}

TEST(Envelope, ResetDumpsASoundingLevelBeforeTheNewAttack) {
  Envelope e = MakeEnvelope();
  e.SetAttack(2.0);
  e.SetDecay(1.0);
  e.SetSustain(0.5);
  e.NoteOn(false);
  TicksWhile(e, Envelope::kAttack);
  TicksWhile(e, Envelope::kDecay);
  ASSERT_EQ(e.Level(), 0.5);
  e.NoteOn(false);
  EXPECT_EQ(e.GetState(), Envelope::kDump);
  // 0.15 ms time constant: 0.5 falls to 0.02 in ln(25) x 7.2 samples.
  const int dump = TicksWhile(e, Envelope::kDump);
  EXPECT_EQ(dump, static_cast<int>(std::ceil(std::log(25.0) * 48000.0 * 0.15 / 1000.0)));
  EXPECT_GT(e.Level(), 0.0);
  EXPECT_LE(e.Level(), 0.02);
  const double from = e.Level();
  e.Tick();
  EXPECT_GT(e.Level(), from); // attacks from where the dump ended

  Envelope quiet = MakeEnvelope();
  quiet.SetRelease(1.0);
  quiet.NoteOn(false);
  TicksWhile(quiet, Envelope::kAttack);
  quiet.NoteOff();
  while (quiet.Level() > 0.01)
    quiet.Tick();
  quiet.NoteOn(false);
  EXPECT_EQ(quiet.GetState(), Envelope::kAttack);
  EXPECT_EQ(quiet.Level(), 0.0);
}

TEST(Envelope, WithoutResetNotesContinueFromTheCurrentLevel) {
  Envelope e = MakeEnvelope();
  e.SetReset(false);
  e.SetSustain(0.8);
  e.NoteOn(false);
  TicksWhile(e, Envelope::kAttack);
  e.NoteOff();
  for (int i = 0; i < 100; ++i)
    e.Tick();
  const double level = e.Level();
  e.NoteOn(false);
  EXPECT_EQ(e.GetState(), Envelope::kAttack);
  EXPECT_EQ(e.Level(), level);

  // A legato note during decay keeps decaying and takes the new scale.
  TicksWhile(e, Envelope::kAttack);
  e.Tick();
  ASSERT_TRUE(e.IsDecay());
  e.SetDynamicsEnabled(true);
  e.SetDynamicsLevel(1.0);
  e.SetVelocity(0.5039);
  const double before = e.Level();
  e.NoteOn(true);
  EXPECT_TRUE(e.IsDecay());
  EXPECT_EQ(e.Level(), before);
  EXPECT_DOUBLE_EQ(e.OutputScale(), 0.943);
}

TEST(Envelope, FullSustainEndsDecayInOneSampleWithoutShaping) {
  Envelope e = MakeEnvelope();
  e.SetCurvedDecay(true);
  e.SetSustain(1.0);
  e.NoteOn(false);
  TicksWhile(e, Envelope::kAttack);
  EXPECT_EQ(e.Tick(), 1.0);
  EXPECT_TRUE(e.IsSustain());
}

TEST(Envelope, NoteOffOnIdleDoesNothing) {
  Envelope e = MakeEnvelope();
  e.NoteOff();
  EXPECT_TRUE(e.IsIdle());
  EXPECT_EQ(e.Tick(), 0.0);
}

TEST(Envelope, OvershootRidesOnTopAfterTheAttackAndFades) {
  Envelope e = MakeEnvelope();
  e.SetOvershoot(true);
  e.SetAttack(2.0);
  e.SetDecay(10000.0);
  e.SetSustain(1.0);
  e.NoteOn(false);
  const double a = 2.0 / std::log(3.0);
  const double amount = 1.1 * (1.0 - std::exp(-2.0 / a));
  EXPECT_DOUBLE_EQ(e.OvershootAmount(), amount);
  TicksWhile(e, Envelope::kAttack);
  const double multiplier = std::exp(-1.0 / (48000.0 * 6.0 / 1000.0));
  double o = amount * multiplier; // the attack's last tick already added the first overshoot term
  for (int i = 0; i < 5; ++i) {
    EXPECT_NEAR(e.Tick(), 1.0 + o, 1e-12);
    o *= multiplier;
  }
  for (int i = 0; i < 48000; ++i)
    e.Tick();
  EXPECT_EQ(e.Tick(), 1.0);

  Envelope damped = MakeEnvelope();
  damped.SetOvershoot(true);
  damped.SetDynamicsEnabled(true);
  damped.SetDynamicsTime(0.5);
  damped.SetVelocity(0.52);
  damped.NoteOn(false);
  EXPECT_NEAR(damped.OvershootAmount(),
              1.1 * (1.0 - std::exp(-2.0 / (10.0 / std::log(3.0)))) * std::exp(-2.0), 1e-12);
}

TEST(Envelope, CurvedDecayBendsTheLevel) {
  Envelope e = MakeEnvelope();
  e.SetCurvedDecay(true);
  e.SetSustain(0.2);
  e.SetDecay(100.0);
  e.NoteOn(false);
  TicksWhile(e, Envelope::kAttack);
  for (int i = 0; i < 500; ++i)
    e.Tick();
  ASSERT_TRUE(e.IsDecay());
  const double out = e.Tick();
  const double x = (e.Level() - 0.2) / 0.8;
  EXPECT_NEAR(out, ((Envelope::DecayShape(x) - x) * std::sqrt(x) + x) * 0.8 + 0.2, 1e-12);
  EXPECT_NE(out, e.Level());
  e.NoteOff();
  EXPECT_NEAR(e.ReleaseStartLevel(), out, 1e-12);
  EXPECT_NEAR(Envelope::DecayShape(0.5), 0.6835, 1e-15);
  EXPECT_EQ(Envelope::DecayShape(2.0), 1.0);
  EXPECT_EQ(Envelope::DecayShape(-1.0), 0.0);
}

TEST(Envelope, NoteOffAfterSustainWasRaisedAboveTheDecayingLevelStaysFinite) {
  Envelope e = MakeEnvelope();
  e.SetCurvedDecay(true);
  e.SetSustain(0.1);
  e.NoteOn(false);
  TicksWhile(e, Envelope::kAttack);
  for (int i = 0; i < 2000; ++i)
    e.Tick();
  ASSERT_TRUE(e.IsDecay());
  e.SetSustain(0.9); // above the current level, before the next tick
  e.NoteOff();
  EXPECT_TRUE(std::isfinite(e.ReleaseStartLevel()));
  EXPECT_DOUBLE_EQ(e.ReleaseStartLevel(), 0.9);
  EXPECT_TRUE(std::isfinite(e.Tick()));
}

TEST(Envelope, ChangedTimesApplyAtTheNextTick) {
  Envelope e = MakeEnvelope();
  e.SetAttack(10000.0);
  e.NoteOn(false);
  e.Tick();
  const double slow = e.AttackCoefficient();
  e.SetAttack(2.0);
  e.Tick();
  EXPECT_LT(e.AttackCoefficient(), slow);
}

// The voice only advances the filter-envelope copy it does not read; switching to it later must find it
// exactly where a ticked one would be, through overshoot, curved decay, release and a retrigger.
TEST(Envelope, AdvanceLeavesTheSameStateAsTick) {
  Envelope ticked = MakeEnvelope();
  Envelope advanced = MakeEnvelope();
  for (Envelope* e : {&ticked, &advanced}) {
    e->SetOvershoot(true);
    e->SetCurvedDecay(true);
    e->SetFilterDecayCurve(true);
    e->SetAttack(3.0);
    e->SetDecay(40.0);
    e->SetSustain(0.3);
    e->SetRelease(20.0);
    e->NoteOn(false);
  }
  for (int i = 0; i < 12000; ++i) {
    if (i == 4000)
      for (Envelope* e : {&ticked, &advanced})
        e->NoteOff();
    if (i == 4300)
      for (Envelope* e : {&ticked, &advanced})
        e->NoteOn(false);
    const double want = ticked.Tick();
    if (i % 7 != 0) { // read now and then, as after a switch of the filter's envelope
      advanced.Advance();
      continue;
    }
    ASSERT_EQ(advanced.Tick(), want) << i;
    ASSERT_EQ(advanced.GetState(), ticked.GetState()) << i;
  }
}

namespace {

// The per-sample step written plainly, one formula per state, as the reference the envelope's own step
// must match bit for bit. It keeps its own state and takes the coefficients from the envelope under test.
struct ReferenceStep {
  int state = Envelope::kIdle;
  double level = 0.0;
  double overshootNow = 0.0;
  double overshootOut = 0.0;
  double outputScale = 1.0;
  double pendingScale = 1.0;

  void NoteOn(const Envelope& e, bool reset, bool legato) {
    const double scale = e.LevelScale();
    const bool sounding =
        state == Envelope::kAttack || state == Envelope::kDecay || state == Envelope::kSustain;
    if (!reset && legato && sounding) {
      outputScale = scale;
      return;
    }
    overshootNow = 0.0;
    if (reset && state != Envelope::kIdle && level > Envelope::kDumpEndLevel) {
      pendingScale = scale;
      state = Envelope::kDump;
      return;
    }
    outputScale = scale;
    if (reset || state == Envelope::kIdle)
      level = 0.0;
    state = Envelope::kAttack;
  }
  void NoteOff(const Envelope& e, bool curved) {
    if (state == Envelope::kIdle)
      return;
    if (curved && state == Envelope::kDecay)
      level = Shaped(e, curved);
    state = Envelope::kRelease;
  }
  double Shaped(const Envelope& e, bool curved) const {
    const double s = e.Sustain();
    if (!curved || state != Envelope::kDecay || !(s < 1.0))
      return level;
    const double x = std::max(0.0, (level - s) * e.DecaySpanInverse());
    return ((Envelope::DecayShape(x) - x) * std::sqrt(x) + x) * (1.0 - s) + s;
  }
  // `e` has just taken the same step, so its coefficients are the ones this step uses.
  void Advance(const Envelope& e, double dumpMultiplier, double overshootMultiplier) {
    const double s = e.Sustain();
    switch (state) {
    case Envelope::kIdle:
      return;
    case Envelope::kDump:
      level *= dumpMultiplier;
      if (level <= Envelope::kDumpEndLevel) {
        outputScale = pendingScale;
        state = Envelope::kAttack;
      }
      break;
    case Envelope::kAttack:
      level = Envelope::kAttackTarget - (Envelope::kAttackTarget - level) * e.AttackCoefficient();
      if (level >= 1.0) {
        level = 1.0;
        state = Envelope::kDecay;
        overshootNow = e.OvershootAmount();
      }
      break;
    case Envelope::kDecay:
      level = (level - s) * e.DecayCoefficient() + s;
      if (level - s < Envelope::kEndThreshold) {
        level = s;
        state = Envelope::kSustain;
      }
      break;
    case Envelope::kSustain:
      level = s;
      break;
    case Envelope::kRelease:
      level *= e.ReleaseCoefficient();
      if (level < Envelope::kEndThreshold) {
        level = 0.0;
        state = Envelope::kIdle;
      }
      break;
    }
    overshootOut = 0.0;
    if (overshootNow > 0.0) {
      overshootOut = overshootNow;
      overshootNow *= overshootMultiplier;
      if (overshootNow < 1e-4)
        overshootNow = 0.0;
    }
  }
  double Output(const Envelope& e, bool curved) const {
    double out = outputScale * Shaped(e, curved);
    if (overshootOut > 0.0) {
      const double g = std::min(1.0, outputScale);
      out += g * g * overshootOut;
    }
    return out;
  }
};

std::uint64_t Bits(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

} // namespace

// Random settings, notes, sustain and time changes between samples, read by Tick or only advanced: every
// output, level and state equals the reference step's, bit for bit.
TEST(Envelope, StepMatchesTheReferenceBitForBit) {
  std::mt19937 g(20261210);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const auto chance = [&](double p) { return u(g) < p; };
  const auto anyTime = [&](double longest) { return longest * u(g) * u(g) * u(g); };
  const auto anySustain = [&]() {
    return chance(0.15) ? 0.0 : chance(0.15) ? 1.0 : chance(0.1) ? 1e-6 : u(g);
  };
  std::uint64_t ticks = 0;
  for (int trial = 0; trial < 800; ++trial) {
    const double rate = std::array{22050.0, 44100.0, 48000.0, 96000.0, 192000.0}[trial % 5];
    bool reset = chance(0.5);
    const bool curved = chance(0.6);
    const bool overshoot = chance(0.6);
    Envelope e;
    e.Prepare(rate);
    e.SetOvershoot(overshoot);
    e.SetCurvedDecay(curved);
    e.SetAmplifierCurve(chance(0.3));
    e.SetFilterDecayCurve(chance(0.3));
    e.SetReset(reset);
    e.SetDynamicsEnabled(chance(0.7));
    e.SetDynamicsLevel(u(g));
    e.SetDynamicsTime(u(g));
    e.SetDynamicsSensitivity(u(g));
    e.SetKeyFollow(chance(0.5) ? 0.0 : 1.25 * u(g));
    e.SetAttack(anyTime(200.0));
    e.SetDecay(anyTime(300.0));
    e.SetSustain(anySustain());
    e.SetRelease(anyTime(300.0));
    const double dumpMultiplier = std::exp(-1.0 / (rate * Envelope::kDumpTimeMs / 1000.0));
    const double overshootMultiplier = overshoot ? std::exp(-1.0 / std::max(1.0, rate * 6.0 / 1000.0)) : 0.0;
    ReferenceStep r;
    bool read = true;
    for (int i = 0; i < 6000; ++i) {
      if (chance(0.003)) {
        const bool legato = chance(0.5);
        e.SetKey(24 + static_cast<int>(u(g) * 72.0));
        e.SetVelocity(u(g));
        r.NoteOn(e, reset, legato);
        e.NoteOn(legato);
      }
      if (chance(0.002)) {
        r.NoteOff(e, curved);
        e.NoteOff();
      }
      if (chance(0.004))
        e.SetSustain(anySustain());
      if (chance(0.001))
        e.SetAttack(anyTime(200.0));
      if (chance(0.001))
        e.SetDecay(anyTime(300.0));
      if (chance(0.001))
        e.SetRelease(anyTime(300.0));
      if (chance(0.0005))
        e.SetKeyFollow(1.25 * u(g));
      if (chance(0.0005)) {
        reset = !reset;
        e.SetReset(reset);
      }
      if (chance(0.0002)) {
        e.Prepare(rate);
        r.level = 0.0;
        r.overshootNow = 0.0;
      }
      if (chance(0.0002)) {
        e.Reset();
        r.state = Envelope::kIdle;
        r.level = 0.0;
        r.overshootNow = 0.0;
      }
      ASSERT_EQ(Bits(e.Level()), Bits(r.level)) << trial << " " << i;
      if (chance(0.01))
        read = !read;
      if (read) {
        const bool wasIdle = r.state == Envelope::kIdle;
        const double out = e.Tick();
        r.Advance(e, dumpMultiplier, overshootMultiplier);
        ASSERT_EQ(Bits(out), Bits(wasIdle ? 0.0 : r.Output(e, curved))) << trial << " " << i;
      } else {
        e.Advance();
        r.Advance(e, dumpMultiplier, overshootMultiplier);
      }
      ASSERT_EQ(e.GetState(), r.state) << trial << " " << i;
      ASSERT_EQ(Bits(e.Level()), Bits(r.level)) << trial << " " << i;
      ticks += e.IsIdle() ? 0 : 1;
    }
  }
  EXPECT_GT(ticks, 400000u); // most of the time is spent sounding
}
