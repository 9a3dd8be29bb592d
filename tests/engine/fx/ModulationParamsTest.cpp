// Chorus, flanger and phaser parameters: each normalised value against the setting it derives.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

#include "engine/fx/modulation/DigitalChorus.h"
#include "engine/fx/modulation/Flanger.h"
#include "engine/fx/modulation/Phaser.h"
#include "engine/fx/modulation/PitchChorus.h"
#include "engine/fx/modulation/StudioChorus.h"
#include "engine/fx/modulation/SynthChorus.h"

using namespace vlm::dsp;

namespace {

constexpr double kPi = std::numbers::pi;
double Inc(double hz, double rate = 48000.0) {
  return 2.0 * kPi * hz / rate;
}

// One row: after Prepare(rate), set the parameters in order and read one derived value.
template <typename Effect> struct Row {
  const char* what;
  double rate;
  std::vector<std::pair<int, double>> params;
  std::function<double(const Effect&)> read;
  double expected;
};

template <typename Effect> void CheckTable(const std::vector<Row<Effect>>& rows) {
  for (const auto& row : rows) {
    auto fx = std::make_unique<Effect>();
    fx->Prepare(row.rate);
    for (auto [index, value] : row.params)
      fx->SetParameter(index, value);
    const double got = row.read(*fx);
    EXPECT_NEAR(got, row.expected, 1e-9 * std::max(1.0, std::fabs(row.expected))) << row.what;
  }
}

TEST(ModulationParamsTest, SynthChorus) {
  using E = SynthChorus;
  CheckTable<E>({
      {"model below half is 60", 48000, {{0, 0.4}}, [](const E& e) { return e.Model(); }, 0},
      {"model 0.6 is 106", 48000, {{0, 0.6}}, [](const E& e) { return e.Model(); }, 1},
      {"mode halves round up", 48000, {{1, 0.25}}, [](const E& e) { return e.Mode(); }, 1},
      {"mode 1 is I+II", 48000, {{1, 1.0}}, [](const E& e) { return e.Mode(); }, 2},
      {"60 I delay", 48000, {}, [](const E& e) { return e.BaseDelaySamples(); }, 345.6},
      {"106 I+II delay", 48000, {{0, 1}, {1, 1}}, [](const E& e) { return e.BaseDelaySamples(); }, 254.4},
      {"106 II depth", 48000, {{0, 1}, {1, 0.5}}, [](const E& e) { return e.Depth(); }, 0.28},
      {"60 II LFO", 44100, {{1, 0.5}}, [](const E& e) { return e.LfoIncrement(); }, Inc(0.86, 44100)},
      {"width", 48000, {{2, 0.25}}, [](const E& e) { return e.Width(); }, 0.5},
      {"normaliser at width 0.5",
       48000,
       {{2, 0.25}},
       [](const E& e) { return e.Normaliser(); },
       1.0 / (1.18 * 0.86 + 0.92)},
      {"normaliser at width 2 (106 I+II)",
       48000,
       {{0, 1}, {1, 1}, {2, 1}},
       [](const E& e) { return e.Normaliser(); },
       1.0 / (2.32 * 1.08 * 0.8 + 0.92)},
      {"amount", 48000, {{3, 0.3}}, [](const E& e) { return e.Amount(); }, 0.3},
      {"index 4 ignored", 48000, {{4, 1.0}}, [](const E& e) { return e.Amount(); }, 1.0},
  });
}

TEST(ModulationParamsTest, StudioChorus) {
  using E = StudioChorus;
  CheckTable<E>({
      {"mode 1 delay", 48000, {}, [](const E& e) { return e.BaseDelaySamples(); }, 480},
      {"mode 1 depth", 48000, {}, [](const E& e) { return e.DepthSamples(); }, 96},
      {"mode 1 LFO", 48000, {}, [](const E& e) { return e.LfoIncrement(); }, Inc(0.25)},
      {"N(1.5) is mode 3", 48000, {{0, 0.5}}, [](const E& e) { return e.Mode(); }, 2},
      {"mode 2 depth", 48000, {{0, 1.0 / 3.0}}, [](const E& e) { return e.DepthSamples(); }, 120},
      {"mode 4 delay", 48000, {{0, 1}}, [](const E& e) { return e.BaseDelaySamples(); }, 360},
      {"mode 4 LFO", 48000, {{0, 1}}, [](const E& e) { return e.LfoIncrement(); }, Inc(0.5)},
      {"mode 3 wet -10 dB",
       48000,
       {{0, 2.0 / 3.0}},
       [](const E& e) { return e.WetGain(); },
       std::pow(10.0, -0.5)},
      {"mode 4 wet -5.5 dB",
       48000,
       {{0, 1}},
       [](const E& e) { return e.WetGain(); },
       std::pow(10.0, -5.5 / 20)},
      {"depth leaves room in the line", 400000, {}, [](const E& e) { return e.DepthSamples(); }, 92},
      {"width", 48000, {{1, 0.5}}, [](const E& e) { return e.Width(); }, 1.0},
  });
}

TEST(ModulationParamsTest, DigitalChorus) {
  using E = DigitalChorus;
  CheckTable<E>({
      {"base delay 7 ms", 48000, {}, [](const E& e) { return e.BaseDelaySamples(); }, 336},
      {"base delay at 192k", 192000, {}, [](const E& e) { return e.BaseDelaySamples(); }, 1344},
      {"rate 0", 48000, {{0, 0}}, [](const E& e) { return e.RateHz(); }, 0.05},
      {"rate 1", 48000, {{0, 1}}, [](const E& e) { return e.RateHz(); }, 6.0},
      {"depth 1", 48000, {{1, 1}}, [](const E& e) { return e.DepthSamples(); }, 720},
      {"depth 1 at 192k", 192000, {{1, 1}}, [](const E& e) { return e.DepthSamples(); }, 2880},
      {"width", 48000, {{2, 0.75}}, [](const E& e) { return e.Width(); }, 1.5},
      {"feedback", 48000, {{3, 1}}, [](const E& e) { return e.Feedback(); }, 0.7},
      {"mix", 48000, {{4, 0.25}}, [](const E& e) { return e.Mix(); }, 0.25},
      {"voices 0", 48000, {{5, 0}}, [](const E& e) { return e.Voices(); }, 1},
      {"voices N(1.5)+1", 48000, {{5, 0.5}}, [](const E& e) { return e.Voices(); }, 3},
      {"voices 1", 48000, {{5, 1}}, [](const E& e) { return e.Voices(); }, 4},
      {"detune", 48000, {{6, 0.4}}, [](const E& e) { return e.Detune(); }, 0.4},
      {"lowest voice 5 % slow",
       48000,
       {{0, 0}, {5, 1}, {6, 1}},
       [](const E& e) { return e.VoiceIncrement(0); },
       Inc(0.05 * 0.95)},
      {"second voice",
       48000,
       {{0, 0}, {5, 1}, {6, 1}},
       [](const E& e) { return e.VoiceIncrement(1); },
       Inc(0.05 * (1.0 + (2.0 / 3.0 - 1.0) * 0.05))},
      {"highest voice 5 % fast",
       48000,
       {{0, 0}, {5, 1}, {6, 1}},
       [](const E& e) { return e.VoiceIncrement(3); },
       Inc(0.05 * 1.05)},
      {"one voice: no detune",
       48000,
       {{0, 0}, {6, 1}, {5, 0}},
       [](const E& e) { return e.VoiceIncrement(0); },
       Inc(0.05)},
      {"voices beyond n run plain",
       48000,
       {{0, 0}, {6, 1}, {5, 1.0 / 3.0}},
       [](const E& e) { return e.VoiceIncrement(3); },
       Inc(0.05)},
  });
}

TEST(ModulationParamsTest, Flanger) {
  using E = Flanger;
  CheckTable<E>({
      {"untouched rate is 0.3 Hz", 48000, {}, [](const E& e) { return e.LfoIncrement(); }, Inc(0.3)},
      {"rate 0", 48000, {{0, 0}}, [](const E& e) { return e.LfoIncrement(); }, Inc(0.05)},
      {"rate 1", 48000, {{0, 1}}, [](const E& e) { return e.LfoIncrement(); }, Inc(8.0)},
      {"depth", 48000, {{1, 0.5}}, [](const E& e) { return e.Depth(); }, 1.0},
      {"feedback", 48000, {{2, 1}}, [](const E& e) { return e.Feedback(); }, 0.97},
      {"manual 0", 48000, {{3, 0}}, [](const E& e) { return e.ManualSamples(); }, 24},
      {"manual 1", 48000, {{3, 1}}, [](const E& e) { return e.ManualMs(); }, 12},
      {"manual 1 samples", 96000, {{3, 1}}, [](const E& e) { return e.ManualSamples(); }, 1152},
      {"stereo", 48000, {{4, 0.5}}, [](const E& e) { return e.Stereo(); }, 1},
      {"stereo offsets the right LFO", 48000, {{4, 1}}, [](const E& e) { return e.LfoPhase(1); }, kPi},
      {"mix", 48000, {{5, 0.7}}, [](const E& e) { return e.Mix(); }, 0.7},
      {"colour normal", 48000, {{6, 0.49}}, [](const E& e) { return e.Colour(); }, 1},
      {"colour inverted", 48000, {{6, 0.5}}, [](const E& e) { return e.Colour(); }, -1},
      {"through-zero", 48000, {{7, 0.5}}, [](const E& e) { return e.ThroughZero(); }, 1},
  });
}

TEST(ModulationParamsTest, Phaser) {
  using E = Phaser;
  CheckTable<E>({
      {"untouched rate is 0.4 Hz", 48000, {}, [](const E& e) { return e.LfoIncrement(); }, Inc(0.4)},
      {"rate 1", 48000, {{0, 1}}, [](const E& e) { return e.LfoIncrement(); }, Inc(10.0)},
      {"depth", 48000, {{1, 0.3}}, [](const E& e) { return e.Depth(); }, 0.3},
      {"feedback", 48000, {{2, 1}}, [](const E& e) { return e.Feedback(); }, 0.97},
      {"stages 0", 48000, {{3, 0}}, [](const E& e) { return e.Sections(); }, 2},
      {"stages 1/3", 48000, {{3, 1.0 / 3.0}}, [](const E& e) { return e.Sections(); }, 3},
      {"stages N(1.5)", 48000, {{3, 0.5}}, [](const E& e) { return e.Sections(); }, 4},
      {"stages 1", 48000, {{3, 1}}, [](const E& e) { return e.Sections(); }, 6},
      {"centre 0", 48000, {{4, 0}}, [](const E& e) { return e.CentreHz(); }, 200},
      {"centre 1", 48000, {{4, 1}}, [](const E& e) { return e.CentreHz(); }, 4000},
      {"mix", 48000, {{6, 1}}, [](const E& e) { return e.Mix(); }, 1},
      {"sharp", 48000, {{7, 1}}, [](const E& e) { return e.Sharpness(); }, 4},
  });
  // The sweep never leaves 20 Hz .. 0.45 x rate.
  EXPECT_DOUBLE_EQ(Phaser::SweepHz(4000.0, 1.0, 1.0, 48000.0), 21600.0);
  EXPECT_DOUBLE_EQ(Phaser::SweepHz(100.0, 1.0, -1.0, 48000.0), 20.0);
  EXPECT_DOUBLE_EQ(Phaser::SweepHz(700.0, 0.5, 1.0, 48000.0), 700.0 * std::exp2(1.5));
}

TEST(ModulationParamsTest, PitchChorus) {
  using E = PitchChorus;
  CheckTable<E>({
      {"pitch A +50 cents", 48000, {{0, 1}}, [](const E& e) { return e.Ratio(0); }, std::exp2(50.0 / 1200.0)},
      {"pitch B -50 cents", 48000, {{1, 0}}, [](const E& e) { return e.PitchCents(1); }, -50},
      {"default pitch A", 48000, {}, [](const E& e) { return e.PitchCents(0); }, 9},
      {"delay A 500 ms", 48000, {{2, 1}}, [](const E& e) { return e.OffsetSamples(0); }, 24000},
      {"delay B 25 ms by default", 48000, {}, [](const E& e) { return e.OffsetSamples(1); }, 1200},
      {"delay B", 96000, {{3, 0.1}}, [](const E& e) { return e.OffsetSamples(1); }, 4800},
      {"mod depth", 48000, {{4, 1}}, [](const E& e) { return e.ModSamples(); }, 96},
      {"mod rate", 48000, {{5, 1}}, [](const E& e) { return e.RateHz(); }, 6},
      {"feedback", 48000, {{6, 1}}, [](const E& e) { return e.Feedback(); }, 0.7},
      {"mix", 48000, {{7, 0.2}}, [](const E& e) { return e.Mix(); }, 0.2},
      {"line at 48k", 48000, {}, [](const E& e) { return double(e.LineLength(0)); }, 96 + 24000 + 4160},
      {"line at 192k", 192000, {}, [](const E& e) { return double(e.LineLength(1)); }, 384 + 96000 + 4160},
  });

  // Delays set before the first Prepare are not lost to the still-empty line.
  auto fresh = std::make_unique<PitchChorus>();
  fresh->SetParameter(2, 1.0);
  EXPECT_EQ(fresh->OffsetSamples(0), 24000.0);
  fresh->Prepare(48000.0);
  EXPECT_EQ(fresh->OffsetSamples(0), 24000.0);

  // The lines only grow: after 192k, a 44.1k Prepare keeps the longer line.
  fresh->Prepare(192000.0);
  fresh->Prepare(44100.0);
  EXPECT_EQ(fresh->LineLength(0), PitchChorus::RequiredLength(192000.0));
}

} // namespace
