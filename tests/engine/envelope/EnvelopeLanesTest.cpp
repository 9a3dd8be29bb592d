// Four-lane envelope: each lane advances and ticks bit for bit as its own Envelope, AVX2 and baseline.
#include "engine/envelope/EnvelopeLanes.h"

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/filter/CpuFeatures.h"

namespace {

using Envelopes = std::array<Envelope, kLaneCount>;

// One sample's observations of the four lanes (the output is 0 on samples that only advance). Aligned
// for the AVX2 code's 32-byte stores (a Lanes4 alone gets 16 in baseline code).
struct alignas(32) Result {
  Lanes4 out;
  Lanes4 level;
  Lanes4 outputScale;
  Lanes4 sustain;
  Lanes4 releaseStart;
  std::array<int, kLaneCount> state;
};

// The calls a quad makes per sample: Tick where the output is read, Advance where it is not.
bool TicksAt(int sample) {
  return sample % 5 != 3;
}

VLM_LANES_INLINE void DriveLanes(EnvelopeLanes& lanes, int first, int count, std::vector<Result>& out) {
  out.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    Result& r = out[static_cast<std::size_t>(i)];
    if (TicksAt(first + i)) {
      r.out = lanes.Tick();
    } else {
      lanes.Advance();
      r.out = Splat(0.0);
    }
    r.level = lanes.Level();
    r.outputScale = lanes.OutputScale();
    r.sustain = lanes.Sustain();
    r.releaseStart = lanes.ReleaseStartLevel();
    r.state.fill(-1);
    for (int s = Envelope::kIdle; s <= Envelope::kRelease; ++s) {
      const LaneMask4 m = lanes.StateIs(static_cast<std::uint8_t>(s));
      for (int lane = 0; lane < kLaneCount; ++lane)
        if (m[lane])
          r.state[lane] = r.state[lane] == -1 ? s : 99; // two states at once shows as 99
    }
  }
}

VLM_TARGET_AVX2 void DriveLanesAvx2(EnvelopeLanes& lanes, int first, int count, std::vector<Result>& out) {
  DriveLanes(lanes, first, count, out);
}

void DriveLanesBaseline(EnvelopeLanes& lanes, int first, int count, std::vector<Result>& out) {
  DriveLanes(lanes, first, count, out);
}

void DriveScalar(Envelopes& envs, int first, int count, std::vector<Result>& out) {
  out.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    Result& r = out[static_cast<std::size_t>(i)];
    for (int lane = 0; lane < kLaneCount; ++lane) {
      Envelope& e = envs[lane];
      if (TicksAt(first + i)) {
        r.out[lane] = e.Tick();
      } else {
        e.Advance();
        r.out[lane] = 0.0;
      }
      r.level[lane] = e.Level();
      r.outputScale[lane] = e.OutputScale();
      r.sustain[lane] = e.Sustain();
      r.releaseStart[lane] = e.ReleaseStartLevel();
      r.state[lane] = e.GetState();
    }
  }
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Reports the first sample and lane where the two runs differ in any bit.
void ExpectIdentical(const std::vector<Result>& expected, const std::vector<Result>& actual, int first) {
  ASSERT_EQ(expected.size(), actual.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    for (int lane = 0; lane < kLaneCount; ++lane) {
      const Result& e = expected[i];
      const Result& a = actual[i];
      if (!SameBits(e.out[lane], a.out[lane]) || !SameBits(e.level[lane], a.level[lane]) ||
          !SameBits(e.outputScale[lane], a.outputScale[lane]) ||
          !SameBits(e.sustain[lane], a.sustain[lane]) ||
          !SameBits(e.releaseStart[lane], a.releaseStart[lane]) || e.state[lane] != a.state[lane]) {
        FAIL() << "sample " << first + static_cast<int>(i) << " lane " << lane << ": out " << e.out[lane]
               << " vs " << a.out[lane] << ", level " << e.level[lane] << " vs " << a.level[lane]
               << ", scale " << e.outputScale[lane] << " vs " << a.outputScale[lane] << ", state "
               << e.state[lane] << " vs " << a.state[lane];
      }
    }
}

// Everything the envelope shows, coefficients included: a stored envelope must match the reference.
void ExpectSameEnvelope(const Envelope& expected, const Envelope& actual, int sample, int lane) {
  const std::array<double, 10> e = {expected.Level(),
                                    expected.OutputScale(),
                                    expected.ReleaseStartLevel(),
                                    expected.Sustain(),
                                    expected.AttackCoefficient(),
                                    expected.DecayCoefficient(),
                                    expected.ReleaseCoefficient(),
                                    expected.OvershootAmount(),
                                    expected.AttackMs(),
                                    expected.DecayMs()};
  const std::array<double, 10> a = {actual.Level(),
                                    actual.OutputScale(),
                                    actual.ReleaseStartLevel(),
                                    actual.Sustain(),
                                    actual.AttackCoefficient(),
                                    actual.DecayCoefficient(),
                                    actual.ReleaseCoefficient(),
                                    actual.OvershootAmount(),
                                    actual.AttackMs(),
                                    actual.DecayMs()};
  for (std::size_t k = 0; k < e.size(); ++k)
    EXPECT_TRUE(SameBits(e[k], a[k])) << "stored field " << k << " after sample " << sample << " lane "
                                      << lane << ": " << e[k] << " vs " << a[k];
  EXPECT_EQ(expected.GetState(), actual.GetState()) << "after sample " << sample << " lane " << lane;
}

// The role flags a voice gives its four envelopes.
struct Role {
  bool amplifierCurve;
  bool filterDecayCurve;
  bool overshoot;
  bool curvedDecay;
};

constexpr Role kPlain{false, false, false, false};
constexpr Role kAmplifier{true, false, false, false};
constexpr Role kFilterCopy{false, true, true, true};

struct RoleCase {
  const char* name;
  std::array<Role, kLaneCount> roles;
};

const RoleCase kRoles[] = {
    {"env1", {kPlain, kPlain, kPlain, kPlain}},
    {"env1Copy", {kFilterCopy, kFilterCopy, kFilterCopy, kFilterCopy}},
    {"env2", {kAmplifier, kAmplifier, kAmplifier, kAmplifier}},
    {"env2Copy", {kFilterCopy, kFilterCopy, kFilterCopy, kFilterCopy}},
    {"mixed", {kFilterCopy, kPlain, kFilterCopy, kAmplifier}},
};

constexpr std::array<double, kLaneCount> kRates = {48000.0, 48000.0, 44100.0, 96000.0};

// Four envelopes with different times, sustain levels (0, 1 and between), key follow, velocity and
// dynamics; lane 3 never plays but has stale coefficients the whole time.
Envelopes MakeEnvelopes(const std::array<Role, kLaneCount>& roles) {
  Envelopes envs;
  for (int lane = 0; lane < kLaneCount; ++lane) {
    Envelope& e = envs[lane];
    e.SetAmplifierCurve(roles[lane].amplifierCurve);
    e.SetFilterDecayCurve(roles[lane].filterDecayCurve);
    e.SetOvershoot(roles[lane].overshoot);
    e.SetCurvedDecay(roles[lane].curvedDecay);
    e.Prepare(kRates[lane]);
  }
  // Fast and hard: reaches a sustain of 0.
  envs[0].SetAttack(3.0);
  envs[0].SetDecay(20.0);
  envs[0].SetSustain(0.0);
  envs[0].SetRelease(15.0);
  envs[0].SetDynamicsLevel(0.7);
  envs[0].SetDynamicsTime(0.5);
  envs[0].SetKey(72);
  envs[0].SetVelocity(0.9);
  // No reset, no dynamics, full key follow high up, sustain 1.
  envs[1].SetAttack(2.0);
  envs[1].SetDecay(200.0);
  envs[1].SetSustain(1.0);
  envs[1].SetRelease(60.0);
  envs[1].SetKeyFollow(1.25);
  envs[1].SetKey(84);
  envs[1].SetReset(false);
  envs[1].SetDynamicsEnabled(false);
  // Full level dynamics at a soft velocity (output scale below 1 under the overshoot), low key.
  envs[2].SetAttack(15.0);
  envs[2].SetDecay(300.0);
  envs[2].SetSustain(0.45);
  envs[2].SetRelease(40.0);
  envs[2].SetKeyFollow(0.5);
  envs[2].SetKey(36);
  envs[2].SetVelocity(0.3);
  envs[2].SetDynamicsLevel(1.0);
  envs[2].SetDynamicsTime(0.0);
  envs[2].SetDynamicsSensitivity(0.8);
  envs[3].SetDecay(50.0);
  return envs;
}

// Something the voice does to one envelope between blocks.
struct Event {
  int sample;
  int lane;
  std::function<void(Envelope&)> apply;
};

std::vector<Event> MakeEvents() {
  const auto noteOn = [](double velocity, bool legato) {
    return [velocity, legato](Envelope& e) {
      e.SetVelocity(velocity);
      e.NoteOn(legato);
    };
  };
  const auto noteOff = [](Envelope& e) { e.NoteOff(); };
  return {
      {0, 0, noteOn(0.9, false)},
      {0, 1, noteOn(0.8, false)},
      {300, 2, noteOn(0.3, false)},
      {700, 1, [](Envelope& e) { e.SetSustain(0.3); }},  // sustain drops while sustaining
      {900, 1, noteOn(0.4, true)},                       // legato without reset: only the level scale
      {1000, 3, [](Envelope& e) { e.SetRelease(5.0); }}, // an idle envelope stays dirty
      {1200, 2, [](Envelope& e) { e.SetDecay(80.0); }},  // mid-attack: coefficients recomputed in the lanes
      {1400, 1, noteOff},
      {1500, 0, noteOff},            // from a sustain of 0
      {1700, 1, noteOn(1.0, false)}, // during release, no reset: attack from there
      {1800, 0, noteOn(0.2, false)},
      {2000, 0, noteOn(0.0, false)},                     // reset with level up: dump first
      {2300, 1, [](Envelope& e) { e.SetRelease(0.1); }}, // ends while the overshoot still rings
      {2300, 1, noteOff},                                // during the decay (shaped level for curved roles)
      {2600, 0, noteOn(1.0, true)},                      // legato with reset: dumps too
      {2600, 2, [](Envelope& e) { e.SetSustain(0.9); }}, // raised above the decaying level
      {2800, 2, [](Envelope& e) { e.SetAttack(30.0); }}, // dirty while sustaining
      {3000, 2, noteOff},
      {3500, 0, noteOff},
  };
}

// Block lengths as a quad meets them.
constexpr std::array<int, 6> kBlockLengths = {48, 17, 64, 1, 31, 5};

class EnvelopeLanesTest : public ::testing::TestWithParam<std::tuple<RoleCase, bool>> {};

TEST_P(EnvelopeLanesTest, LanesRenderExactlyWhatFourEnvelopesRenderAcrossNotesAndSettingsBetweenBlocks) {
  const auto [role, avx2] = GetParam();
  if (avx2 && !HasAvx2())
    GTEST_SKIP() << "no AVX2 on this processor";
  const auto drive = avx2 ? DriveLanesAvx2 : DriveLanesBaseline;

  Envelopes reference = MakeEnvelopes(role.roles);
  Envelopes stored = reference;
  const std::vector<Event> events = MakeEvents();
  std::size_t nextEvent = 0;
  EnvelopeLanes lanes;
  std::vector<Result> expected, actual;
  std::array<bool, Envelope::kRelease + 1> sawState{};
  constexpr int kSamples = 5000;
  for (int sample = 0, block = 0; sample < kSamples; ++block) {
    for (; nextEvent < events.size() && events[nextEvent].sample <= sample; ++nextEvent) {
      const Event& ev = events[nextEvent];
      ev.apply(reference[ev.lane]);
      ev.apply(stored[ev.lane]);
    }
    const int length = kBlockLengths[static_cast<std::size_t>(block) % kBlockLengths.size()];
    // A round trip without samples first: a dirty envelope must come back still dirty.
    for (int lane = 0; lane < kLaneCount; ++lane) {
      lanes.Load(lane, stored[lane]);
      lanes.Store(lane, stored[lane]);
      ExpectSameEnvelope(reference[lane], stored[lane], sample, lane);
    }
    for (int lane = 0; lane < kLaneCount; ++lane)
      lanes.Load(lane, stored[lane]);
    DriveScalar(reference, sample, length, expected);
    drive(lanes, sample, length, actual);
    ExpectIdentical(expected, actual, sample);
    for (int lane = 0; lane < kLaneCount; ++lane) {
      lanes.Store(lane, stored[lane]);
      ExpectSameEnvelope(reference[lane], stored[lane], sample + length, lane);
    }
    if (HasFailure())
      return;
    sample += length;
    for (const Result& r : expected)
      for (int lane = 0; lane < kLaneCount; ++lane)
        sawState[static_cast<std::size_t>(r.state[lane])] = true;
  }
  // The scenario reached every state (the dump included) and lane 3 never played.
  for (int s = Envelope::kIdle; s <= Envelope::kRelease; ++s)
    EXPECT_TRUE(sawState[static_cast<std::size_t>(s)]) << "state " << s << " never reached";
  EXPECT_TRUE(reference[3].IsIdle());

  // After the last store, scalar rendering of the stored envelopes goes on exactly as the reference:
  // a new note on each (the idle lane's stale coefficients included) and its release.
  for (int lane = 0; lane < kLaneCount; ++lane) {
    reference[lane].NoteOn(false);
    stored[lane].NoteOn(false);
  }
  DriveScalar(reference, 0, 1500, expected);
  DriveScalar(stored, 0, 1500, actual);
  ExpectIdentical(expected, actual, 0);
  for (int lane = 0; lane < kLaneCount; ++lane) {
    reference[lane].NoteOff();
    stored[lane].NoteOff();
  }
  DriveScalar(reference, 1500, 3000, expected);
  DriveScalar(stored, 1500, 3000, actual);
  ExpectIdentical(expected, actual, 1500);
}

INSTANTIATE_TEST_SUITE_P(Roles, EnvelopeLanesTest,
                         ::testing::Combine(::testing::ValuesIn(kRoles), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "_avx2" : "_baseline");
                         });

} // namespace
