// Envelope: setter limits, stage times, key follow, velocity dynamics, reset dump, overshoot, curved decay.
#include "engine/envelope/Envelope.h"

#include <cmath>

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
