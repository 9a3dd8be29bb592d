// Reverb cores: decay gains at both ends and their holds, damping and diffusion mappings, lengths, and the
// exact output each core renders.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>

#include "engine/fx/reverb/HallCore.h"
#include "engine/fx/reverb/PlateCore.h"
#include "engine/fx/reverb/Reverb.h"
#include "engine/fx/reverb/RoomCore.h"

using namespace vlm::dsp;

namespace {

double Coef(double hz, double rate) {
  return 1.0 - std::exp(-2.0 * M_PI * hz / rate);
}

TEST(ReverbCoreTest, DecayParameterGivesEachCoresGainAtBothEnds) {
  auto fx = std::make_unique<Reverb>();
  fx->Prepare(48000.0);
  // "Decay" 0: 0.3 s; 1: 10 s (the room halves it).
  fx->SetParameter(2, 0.0);
  EXPECT_DOUBLE_EQ(fx->Hall().Gain(), 0.3) << "10^(-0.341625/0.3) = 0.073, held at 0.3";
  EXPECT_DOUBLE_EQ(fx->Plate().Gain(), 0.05) << "10^(-1.088/0.3), held at 0.05";
  EXPECT_NEAR(fx->Room().Gain(), std::pow(10.0, -0.088875 / 0.15), 1e-12);
  fx->SetParameter(2, 1.0);
  EXPECT_NEAR(fx->Hall().Gain(), std::pow(10.0, -0.341625 / 10.0), 1e-12);
  EXPECT_NEAR(fx->Plate().Gain(), std::pow(10.0, -1.0881186788078356 / 10.0), 1e-12);
  EXPECT_NEAR(fx->Room().Gain(), std::pow(10.0, -0.088875 / 5.0), 1e-12);
}

TEST(ReverbCoreTest, DecayGainsAreHeldForExtremeTimes) {
  auto hall = std::make_unique<HallCore>();
  auto plate = std::make_unique<PlateCore>();
  auto room = std::make_unique<RoomCore>();
  struct Case {
    double seconds;
    double hall, plate, room;
  };
  for (Case c : {Case{1000.0, 0.99, 0.95, 0.97}, Case{0.0, 0.3, 0.05, 0.05}, Case{-5.0, 0.3, 0.05, 0.05}}) {
    hall->SetDecay(c.seconds);
    plate->SetDecay(c.seconds);
    room->SetDecay(c.seconds);
    EXPECT_EQ(hall->Gain(), c.hall) << c.seconds;
    EXPECT_EQ(plate->Gain(), c.plate) << c.seconds;
    EXPECT_EQ(room->Gain(), c.room) << c.seconds;
  }
  // Prepare derives the gain from the stored time.
  hall->SetDecay(4.0);
  hall->Prepare(44100.0);
  EXPECT_NEAR(hall->Gain(), std::pow(10.0, -0.341625 / 4.0), 1e-12);
}

TEST(ReverbCoreTest, DampingAndDiffusionMapToTheirCoefficientsAndFollowTheRate) {
  auto hall = std::make_unique<HallCore>();
  auto plate = std::make_unique<PlateCore>();
  auto room = std::make_unique<RoomCore>();
  for (double rate : {48000.0, 96000.0}) {
    hall->Prepare(rate);
    plate->Prepare(rate);
    room->Prepare(rate);
    hall->SetDamping(1.0);  // 200 Hz, line 0 a quarter octave lower
    plate->SetDamping(0.0); // 16 kHz
    room->SetDamping(0.0);  // 8 kHz, line 2 a quarter octave higher
    EXPECT_NEAR(hall->DampCoef(0), Coef(200.0 * std::exp2(-0.25), rate), 1e-12);
    EXPECT_NEAR(plate->DampCoef(), Coef(16000.0, rate), 1e-12);
    EXPECT_NEAR(room->DampCoef(2), Coef(8000.0 * std::exp2(0.25), rate), 1e-12);
  }
  // The coefficients follow a new rate without the damping being set again.
  hall->Prepare(192000.0);
  plate->Prepare(192000.0);
  EXPECT_NEAR(hall->DampCoef(0), Coef(200.0 * std::exp2(-0.25), 192000.0), 1e-12);
  EXPECT_NEAR(plate->DampCoef(), Coef(16000.0, 192000.0), 1e-12);
  room->SetDamping(0.5);
  EXPECT_NEAR(room->DampCoef(1),
              Coef(200.0 * std::pow(40.0, 1.0 - std::pow(0.5, 0.85)) * std::exp2(0.125), 96000.0), 1e-12);

  hall->SetDiffusion(0.5);
  plate->SetDiffusion(2.0);
  room->SetDiffusion(0.0);
  EXPECT_DOUBLE_EQ(hall->AllpassCoef(0), 0.325);
  EXPECT_DOUBLE_EQ(hall->AllpassCoef(3), 0.25);
  EXPECT_DOUBLE_EQ(plate->InputCoef(2), 0.625);
  EXPECT_EQ(room->AllpassCoef(2), 0.0);
}

TEST(ReverbCoreTest, LengthsScaleWithTheRateWithinTheirLines) {
  auto hall = std::make_unique<HallCore>();
  auto plate = std::make_unique<PlateCore>();
  auto room = std::make_unique<RoomCore>();
  EXPECT_EQ(hall->AllpassLength(0), 226) << "0.0047 s at 48 kHz, rounded";
  EXPECT_EQ(hall->LineLength(7), 7920);
  EXPECT_EQ(plate->Delay1Length(0), 7182) << "4453 x 48000 / 29761, rounded";
  EXPECT_EQ(room->EarlyTapLeft(0), 240);
  EXPECT_EQ(room->LineLength(7), 1968);
  hall->Prepare(192000.0);
  plate->Prepare(192000.0);
  room->Prepare(192000.0);
  EXPECT_EQ(hall->LineLength(7), 31680);
  EXPECT_EQ(plate->Delay1Length(0), 28728);
  EXPECT_EQ(room->LineLength(7), 7872);
  // Far above the rates in use every length is held inside its ring.
  hall->Prepare(1e6);
  plate->Prepare(1e6);
  room->Prepare(1e6);
  EXPECT_EQ(hall->LineLength(7), 32760);
  EXPECT_EQ(hall->AllpassLength(3), 8188);
  EXPECT_EQ(plate->Delay1Length(0), 65532);
  EXPECT_EQ(room->LineLength(7), 8184);
  EXPECT_EQ(room->EarlyTapLeft(5), 8188);
  double l = 0.0, r = 0.0;
  for (int n = 0; n < 1000; ++n) {
    hall->Process(n == 0 ? 1.0 : 0.0, &l, &r);
    plate->Process(n == 0 ? 1.0 : 0.0, &l, &r);
    room->Process(n == 0 ? 1.0 : 0.0, &l, &r);
  }
}

// FNV-1a over the bit patterns of a core's output for noise with a setting change midway, so a change in the
// order or rounding of any operation shows. After a deliberate change of sound, take the new values from the
// failure messages.
std::uint64_t RenderHash(ReverbCore& core, double rate) {
  core.SetDecay(3.0);
  core.SetDamping(0.4);
  core.SetDiffusion(0.7);
  core.Prepare(rate);
  std::uint64_t hash = 14695981039346656037ull;
  auto mix = [&hash](double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (int b = 0; b < 64; b += 8)
      hash = (hash ^ ((bits >> b) & 0xff)) * 1099511628211ull;
  };
  unsigned noise = 1;
  double l = 0.0, r = 0.0;
  for (int n = 0; n < 12000; ++n) {
    if (n == 6000) {
      core.SetDecay(0.8);
      core.SetDamping(0.9);
      core.SetDiffusion(0.2);
    }
    noise = noise * 1664525u + 1013904223u;
    core.Process(static_cast<double>(noise >> 8) / 16777216.0 - 0.5, &l, &r);
    mix(l);
    mix(r);
  }
  return hash;
}

TEST(ReverbCoreTest, EachCoreRendersItsRecordedOutputBitForBit) {
  auto hall = std::make_unique<HallCore>();
  auto plate = std::make_unique<PlateCore>();
  auto room = std::make_unique<RoomCore>();
  struct Case {
    const char* name;
    ReverbCore* core;
    double rate;
    std::uint64_t hash;
  };
  const Case cases[] = {
      {"hall", hall.get(), 48000.0, 7705901355601528139ull},
      {"hall", hall.get(), 44100.0, 12175301502646247999ull},
      {"plate", plate.get(), 48000.0, 16130990877068583354ull},
      {"plate", plate.get(), 44100.0, 17959143633832503613ull},
      {"room", room.get(), 48000.0, 12640123715735414010ull},
      {"room", room.get(), 44100.0, 525971392159947398ull},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.hash, RenderHash(*c.core, c.rate)) << c.name << " at " << c.rate;
}

} // namespace
