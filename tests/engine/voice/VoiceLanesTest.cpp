// Two, four or eight voices rendered side by side give bit for bit what the voices give one at a time, in
// each width's vector forms, through note starts, retriggers, voice ends inside blocks and mixed settings.
#include "engine/voice/TonePart.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/filter/CpuFeatures.h"
#include "engine/filter/FastTanh.h"
#include "engine/util/FastMath.h"
#include "engine/util/FastMathLanes.h"
#include "engine/voice/VoiceLanesInstances.h"

// Lanes4 and Lanes8 as template arguments lose their aligned attribute; no field here needs it.
#pragma GCC diagnostic ignored "-Wignored-attributes"

namespace {

struct LanePatch {
  const char* name;
  std::uint8_t vco1;
  std::uint8_t vco2;
  int sync;
  int vco2Range;
  bool xmodInverted;
  bool vcfEnvInverted;
  double resonance;
  double vcaLfo; // tremolo, or none at 0
  int pwmSource;
  bool pwmInverted;
  int aftertouchMode; // what the aftertouch moves: pitch or cutoff
};

// Every waveform on each oscillator, both sync directions, the high range's shelf, both cross-mod and
// filter-envelope polarities, a resonance with cutoff jitter, tremolo on and off, each source and
// polarity of the pulse width's modulation (on a pulse wave), and aftertouch on pitch and on cutoff.
const LanePatch kPatches[] = {
    {"saw-pulse", Vco::kSawtooth, Vco::kPulse, Voice::kSyncOff, 3, false, false, 0.3, 0.0, Voice::kPwmLfo1,
     false, Voice::kAftertouchPitch},
    {"triangle-pulse-sync2", Vco::kTriangle, Vco::kPulse, Voice::kSyncVco2Master, 3, false, true, 0.85, 0.4,
     Voice::kPwmEnv1, true, Voice::kAftertouchCutoff},
    {"square-triangle-sync1", Vco::kSquare, Vco::kTriangle, Voice::kSyncVco1Master, 6, true, false, 0.95, 0.4,
     Voice::kPwmEnv1, false, Voice::kAftertouchPitch},
    {"noise-saw", Vco::kNoise, Vco::kSawtooth, Voice::kSyncVco1Master, 0, false, true, 0.6, 0.0,
     Voice::kPwmKey, true, Voice::kAftertouchCutoff},
    {"pulse-noise-high", Vco::kPulse, Vco::kNoise, Voice::kSyncVco2Master, 6, true, false, 0.7, 0.4,
     Voice::kPwmKey, false, Voice::kAftertouchPitch},
};

void ApplyPatch(TonePart& p, const LanePatch& q) {
  p.mAssignMode = TonePart::kPoly1;
  p.SetVoiceLimit(32);
  p.SetVco1Waveform(q.vco1);
  p.SetVco2Waveform(q.vco2);
  p.SetSyncMode(q.sync);
  p.SetVco2Range(q.vco2Range);
  p.SetXmodPolarity(q.xmodInverted);
  p.SetXmodManual(0.5);
  p.SetXmodEnv1Amount(0.3);
  p.SetVcoMix(0.4);
  p.SetVcoModLfoAmount(0.3);
  p.SetVcoModEnv1Amount(5.0);
  p.SetPwmAmount(0.9);
  p.SetPwmSource(q.pwmSource);
  p.SetPwmPolarity(q.pwmInverted);
  p.SetLfo2Mode(q.aftertouchMode);
  p.SetAftertouchSensitivity(0.8);
  p.SetAftertouch(0.6);
  p.SetVco2ModMode(Voice::kModInverted);
  p.SetPulseWidth(40.0);
  p.SetVcfCutoff(900.0);
  p.SetVcfResonance(q.resonance);
  p.SetVcfEnvAmount(50.0);
  p.SetVcfEnvPolarity(q.vcfEnvInverted);
  p.SetVcfLfoAmount(0.7);
  p.SetVcfKeyFollow(0.8);
  p.SetVcaLevel(0.7);
  p.SetVcaLfoAmount(q.vcaLfo);
  p.SetLfo1Rate(5.0);
  p.SetPortamentoTime(30.0);
  p.SetPitchBend(-0.2);
  for (int i = 0; i < TonePart::kVoiceCount; ++i) // short releases: voices end inside blocks
    p.GetVoice(i).Env2().SetRelease(2.0 + i % 5);
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (a == 0.0 && b == 0.0);
}

// How the grouped part renders: the widest group, and whether the groups use their wide vector form
// (SSE4.2 for pairs, AVX2 for quads, AVX-512 for octets; a quad beside octets takes AVX2 when the
// processor has it).
// Pairs take the runs a quad leaves, and every run where quads are baseline code without octets.
// split: the widest groups in two registers per value, octets in AVX2 (quads beside them AVX2), quads
// in SSE4.2 (pairs beside them SSE4.2).
struct Form {
  int lanes;
  bool wide;
  bool split = false;
};

bool Runs(Form f) {
  if (f.split)
    return f.lanes == 8 ? HasAvx2() : HasSse42();
  return !f.wide || (f.lanes == 8 ? HasAvx512() : f.lanes == 4 ? HasAvx2() : HasSse42());
}

std::string Describe(Form f) {
  if (f.split)
    return f.lanes == 8 ? " (octets in two AVX2 registers)" : " (quads in two SSE registers)";
  return std::string(f.lanes == 8   ? " (octets, "
                     : f.lanes == 4 ? " (quads, "
                                    : " (pairs, ") +
         (f.wide ? (f.lanes == 8   ? "AVX-512)"
                    : f.lanes == 4 ? "AVX2)"
                                   : "SSE4.2)")
                 : "baseline)");
}

// Plays the same score on a part rendered in groups and on one rendered voice by voice; returns the
// first sample where they differ, or an empty string.
std::string FirstDifference(const LanePatch& q, double rate, Form form, bool mixedVoices) {
  auto grouped = std::make_unique<TonePart>();
  auto alone = std::make_unique<TonePart>();
  alone->SetLaneRendering(false);
  grouped->SetLaneRendering(true);
  grouped->SetOctetRendering(form.lanes == 8 && !form.split);
  grouped->SetSplitOctetRendering(form.split && form.lanes == 8);
  grouped->SetSplitQuadRendering(form.split && form.lanes == 4);
  grouped->Quad().SetVectorForm(form.wide && !(form.split && form.lanes == 4));
  grouped->Octet().SetVectorForm(form.wide);
  grouped->Pair().SetVectorForm(form.wide);
  std::vector<double> noise(TonePart::kMaxChunk * 3);
  for (std::size_t i = 0; i < noise.size(); ++i)
    noise[i] = std::sin(0.37 * static_cast<double>(i) * static_cast<double>(i));
  for (TonePart* p : {grouped.get(), alone.get()}) {
    p->Prepare(rate);
    ApplyPatch(*p, q);
    if (mixedVoices) // a voice the others cannot share a group with
      p->GetVoice(5).SetVco2Waveform(q.vco2 == Vco::kSawtooth ? Vco::kSquare : Vco::kSawtooth);
  }
  std::vector<double> a(noise.size()), b(noise.size());
  for (int block = 0; block < 160; ++block) {
    for (TonePart* p : {grouped.get(), alone.get()}) {
      if (block % 40 == 0)
        for (int k = 0; k < 14; ++k) // fourteen notes
          p->NoteOn(36 + 5 * k + block / 40, 0.4 + 0.05 * k);
      if (block % 40 == 12)
        p->NoteOn(36 + 5 * 3 + block / 40, 0.9); // retrigger of a sounding voice
      if (block % 40 == 20)
        for (int k = 0; k < 14; k += 2)
          p->NoteOff(36 + 5 * k + block / 40);
      if (block % 40 == 25) { // settings a group takes with its voices, changed between blocks
        p->SetTune(block / 40 % 2 == 0 ? 7.0 : -3.0);
        p->SetVcaLfoAmount(block / 40 % 2 == 0 ? (q.vcaLfo == 0.0 ? 0.3 : 0.0) : q.vcaLfo);
      }
      if (block % 40 == 30)
        p->AllNotesOff();
    }
    const int n = 37 + block % 3 * 140; // blocks of one chunk and of two, none a multiple of it
    grouped->RenderBlock(noise.data(), a.data(), n);
    alone->RenderBlock(noise.data(), b.data(), n);
    for (int i = 0; i < n; ++i)
      if (!SameBits(a[static_cast<std::size_t>(i)], b[static_cast<std::size_t>(i)]))
        return "block " + std::to_string(block) + " sample " + std::to_string(i) + ": " +
               std::to_string(a[static_cast<std::size_t>(i)]) + " vs " +
               std::to_string(b[static_cast<std::size_t>(i)]);
  }
  for (int i = 0; i < TonePart::kVoiceCount; ++i)
    if (grouped->GetVoice(i).IsActive() != alone->GetVoice(i).IsActive())
      return "voice " + std::to_string(i) + " activity";
  return "";
}

// Fourteen notes: with octets an octet, a quad and a pair; with quads three quads and a pair; else pairs.
// The quads' baseline form renders beside baseline octets.
const Form kForms[] = {{2, false}, {2, true},       {4, true},      {8, false},
                       {8, true},  {8, true, true}, {4, true, true}};

TEST(VoiceLanes, GroupsRenderWhatTheVoicesRenderAlone) {
  for (Form form : kForms) {
    if (!Runs(form))
      continue; // the wide form's test below reports the skip
    for (const LanePatch& q : kPatches)
      for (double rate : {48000.0, 192000.0})
        EXPECT_EQ(FirstDifference(q, rate, form, false), "") << q.name << " at " << rate << Describe(form);
  }
}

TEST(VoiceLanes, OctetsRunInAvx512WhereTheProcessorHasIt) {
  if (!HasAvx512())
    GTEST_SKIP() << "no AVX-512 on this processor";
  TonePart part;
  EXPECT_TRUE(part.Octet().VectorForm());
  EXPECT_EQ(FirstDifference(kPatches[1], 96000.0, {8, true}, false), "");
}

TEST(VoiceLanes, AVoiceWithOtherSettingsRendersAloneInOrder) {
  for (Form form : kForms) {
    if (Runs(form)) {
      EXPECT_EQ(FirstDifference(kPatches[1], 96000.0, form, true), "") << Describe(form);
    }
  }
}

// Inputs for the lane forms of the fast functions.
const double kExp2Inputs[] = {-1000.0, -1500.0, -37.3, -1.0 / 128.0, -0.0,   0.0,    1e-300,      0.49,
                              1.0,     3.999,   17.25, 999.9,        1000.0, 2000.0, std::nan("")};
const double kLog2Inputs[] = {1.0,    1.0 + 1e-15, 1.4142135623730951, 1.4142135623730949, 500.0, 14000.0,
                              1e-300, 3e300};
const double kTanhInputs[] = {-20.0, -9.2, -9.19, -3.0, -0.5, -0.0, 0.0, 1e-10, 0.7, 4.5, 9.2, 9.21, 1e300};

// Every input in every lane of a lane vector (the others hold a neutral value), through exp2, log2
// and tanh; the results of input i in lane j land at out[(i x lanes + j) x 3 + function].
template <class L> VLM_LANES_INLINE void FastFunctionsOnLanes(std::vector<double>& out) {
  constexpr int kLanes = kLanesOf<L>;
  const auto put = [&](std::size_t i, int lane, int function, double y) {
    out[(i * kLanes + static_cast<std::size_t>(lane)) * 3 + static_cast<std::size_t>(function)] = y;
  };
  out.assign(std::size(kExp2Inputs) * kLanes * 3, 0.0);
  for (std::size_t i = 0; i < std::size(kExp2Inputs); ++i)
    for (int lane = 0; lane < kLanes; ++lane) {
      L x = Splat<L>(0.5);
      x[lane] = kExp2Inputs[i];
      put(i, lane, 0, FastExp2Lanes(x)[lane]);
      x = Splat<L>(2.0);
      x[lane] = i < std::size(kLog2Inputs) ? kLog2Inputs[i] : 1.0;
      put(i, lane, 1, FastLog2Lanes(x)[lane]);
      x = Splat<L>(0.1);
      x[lane] = i < std::size(kTanhInputs) ? kTanhInputs[i] : 0.0;
      put(i, lane, 2, FastTanh(x)[lane]);
    }
}

// The eight lane forms of a test template: a target is a function's attribute, so each form needs its
// own function, Name##Wide2 (SSE4.2), Name##Wide4 (AVX2), Name##Wide8 (AVX-512), Name##Baseline2,
// Name##Baseline4, Name##Baseline8, Name##Split8 (two AVX2 registers) and Name##Split4 (two SSE
// registers).
#define VLM_LANE_FORMS(Name, Template)                                                                       \
  VLM_TARGET_SSE42 void Name##Wide2(std::vector<double>& out) {                                              \
    Template<Lanes2>(out);                                                                                   \
  }                                                                                                          \
  VLM_TARGET_AVX2 void Name##Wide4(std::vector<double>& out) {                                               \
    Template<Lanes4>(out);                                                                                   \
  }                                                                                                          \
  VLM_TARGET_AVX512 void Name##Wide8(std::vector<double>& out) {                                             \
    Template<Lanes8>(out);                                                                                   \
  }                                                                                                          \
  void Name##Baseline2(std::vector<double>& out) {                                                           \
    Template<Lanes2>(out);                                                                                   \
  }                                                                                                          \
  void Name##Baseline4(std::vector<double>& out) {                                                           \
    Template<Lanes4>(out);                                                                                   \
  }                                                                                                          \
  void Name##Baseline8(std::vector<double>& out) {                                                           \
    Template<Lanes8>(out);                                                                                   \
  }                                                                                                          \
  VLM_TARGET_AVX2 void Name##Split8(std::vector<double>& out) {                                              \
    Template<Lanes4x2>(out);                                                                                 \
  }                                                                                                          \
  VLM_TARGET_SSE42 void Name##Split4(std::vector<double>& out) {                                             \
    Template<Lanes2x2>(out);                                                                                 \
  }

// The pairs' forms of FastFunctionsOnLanes: compiled under their targets, as the renderers compile them.
#if !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
} // namespace
VLM_LANE_PAIR_MATH_INSTANCES(Lanes4x2)
namespace {
template void FastFunctionsOnLanes<Lanes4x2>(std::vector<double>&);
#if !defined(__clang__)
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("sse4.2")
#endif
} // namespace
VLM_LANE_PAIR_MATH_INSTANCES(Lanes2x2)
namespace {
template void FastFunctionsOnLanes<Lanes2x2>(std::vector<double>&);
#if !defined(__clang__)
#pragma GCC pop_options
#endif

VLM_LANE_FORMS(FastFunctions, FastFunctionsOnLanes)

// exp2 at inputs that pick every entry of its table, each on every lane (the eight-lane form picks the
// entries by permutes and the index's upper bits): out[i x lanes + lane].
template <class L> VLM_LANES_INLINE void Exp2TableOnLanes(std::vector<double>& out) {
  constexpr int kLanes = kLanesOf<L>;
  out.assign(128 * kLanes, 0.0);
  for (int i = 0; i < 128; ++i)
    for (int lane = 0; lane < kLanes; ++lane) {
      L x = Splat<L>(-3.0);
      x[lane] = (i - 64) / 64.0 + 0.3 / 64.0;
      out[static_cast<std::size_t>(i * kLanes + lane)] = FastExp2Lanes(x)[lane];
    }
}
// The pairs' forms of Exp2TableOnLanes: compiled under their targets, as the renderers compile them.
#if !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
template void Exp2TableOnLanes<Lanes4x2>(std::vector<double>&);
#if !defined(__clang__)
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("sse4.2")
#endif
template void Exp2TableOnLanes<Lanes2x2>(std::vector<double>&);
#if !defined(__clang__)
#pragma GCC pop_options
#endif

VLM_LANE_FORMS(Exp2Table, Exp2TableOnLanes)

// One lane form (width, wide or baseline code) of a function under test, writing its results to `out`.
struct LaneFormRun {
  const char* name;
  int lanes;
  bool wide;
  bool split;
  void (*run)(std::vector<double>&);
};
#define VLM_LANE_FORM_RUNS(Name)                                                                             \
  std::array<LaneFormRun, 8> {                                                                               \
    {                                                                                                        \
      {"2 baseline", 2, false, false, Name##Baseline2}, {"2 SSE4.2", 2, true, false, Name##Wide2},           \
          {"4 baseline", 4, false, false, Name##Baseline4}, {"4 AVX2", 4, true, false, Name##Wide4},         \
          {"8 baseline", 8, false, false, Name##Baseline8}, {"8 in two AVX2", 8, true, true, Name##Split8},  \
          {"4 in two SSE4.2", 4, true, true, Name##Split4}, {                                                \
        "8 AVX-512", 8, true, false, Name##Wide8                                                             \
      }                                                                                                      \
    }                                                                                                        \
  }

// Runs each form the processor has and hands its results to check(form, out).
template <class Check> void ForEachLaneForm(const std::array<LaneFormRun, 8>& forms, Check check) {
  for (const LaneFormRun& form : forms) {
    if (!Runs({form.lanes, form.wide, form.split}))
      continue;
    std::vector<double> out;
    form.run(out);
    check(form, out);
  }
}

TEST(VoiceLanes, LaneFormsOfExp2PickEveryTableEntryAsTheScalarForm) {
  ForEachLaneForm(VLM_LANE_FORM_RUNS(Exp2Table), [](const LaneFormRun& c, const std::vector<double>& out) {
    for (int i = 0; i < 128; ++i)
      for (int lane = 0; lane < c.lanes; ++lane) {
        const double x = (i - 64) / 64.0 + 0.3 / 64.0;
        EXPECT_TRUE(SameBits(out[static_cast<std::size_t>(i * c.lanes + lane)], FastExp2(x)))
            << c.name << " exp2 " << x << " lane " << lane;
      }
  });
}

TEST(VoiceLanes, LaneFormsOfTheFastFunctionsMatchTheScalarForms) {
  ForEachLaneForm(VLM_LANE_FORM_RUNS(FastFunctions), [](const LaneFormRun& c,
                                                        const std::vector<double>& out) {
    for (std::size_t i = 0; i < std::size(kExp2Inputs); ++i)
      for (int lane = 0; lane < c.lanes; ++lane) {
        const double* y = &out[(i * static_cast<std::size_t>(c.lanes) + static_cast<std::size_t>(lane)) * 3];
        EXPECT_TRUE(SameBits(y[0], FastExp2(kExp2Inputs[i]))) << c.name << " exp2 " << kExp2Inputs[i];
        if (i < std::size(kLog2Inputs)) {
          EXPECT_TRUE(SameBits(y[1], FastLog2(kLog2Inputs[i]))) << c.name << " log2 " << kLog2Inputs[i];
        }
        if (i < std::size(kTanhInputs)) {
          EXPECT_TRUE(SameBits(y[2], FastTanh(kTanhInputs[i]))) << c.name << " tanh " << kTanhInputs[i];
        }
      }
  });
}

} // namespace
