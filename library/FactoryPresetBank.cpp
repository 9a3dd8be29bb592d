// The factory bank: each patch is the Init patch with the few values that make its sound, so every
// document is complete and loads the same way whatever later changes the Init patch sees.
#include "library/FactoryPresetBank.h"

#include <initializer_list>
#include <vector>

#include <nlohmann/json.hpp>

#include "library/FileIO.h"
#include "library/PatchDocument.h"

namespace vlm {

namespace {

// Where a value goes: the patch parameters, tone A (Upper), tone B (Lower), or both tones.
enum class Scope { Patch, ToneA, ToneB, Tones };

struct Setting {
  Scope scope;
  const char* key;
  double value; // normalized, as documents store it
};

struct Recipe {
  const char* path;
  std::initializer_list<Setting> settings;
};

// Key modes are stored as index / 3: Whole 0, Split-2 1/3, Split-1 2/3, Dual 1.
constexpr double kSplit2 = 1.0 / 3.0;
constexpr double kDual = 1.0;
// Waveforms of VCO-1 and VCO-2 are stored as index / 3.
constexpr double kWave1 = 1.0 / 3.0;
constexpr double kWave2 = 2.0 / 3.0;
// Effect types are stored as index / 15 (sixteen entries, "Off" first).
constexpr double kStudioChorus = 2.0 / 15.0;
constexpr double kReverb = 10.0 / 15.0;

const Recipe kRecipes[] = {
    {"Bass/Round Bass.80p",
     {{Scope::Tones, "vcf.cutoff", 0.38},
      {Scope::Tones, "vcf.resonance", 0.22},
      {Scope::Tones, "vcf.envAmount", 0.45},
      {Scope::Tones, "env1.attack", 0.0},
      {Scope::Tones, "env1.decay", 0.42},
      {Scope::Tones, "env1.sustain", 0.2},
      {Scope::Tones, "vco1.range", 0.25},
      {Scope::Patch, "patch.assignMode", 0.0}}},
    {"Bass/Resonant Pluck.80p",
     {{Scope::Tones, "vcf.cutoff", 0.3},
      {Scope::Tones, "vcf.resonance", 0.62},
      {Scope::Tones, "vcf.envAmount", 0.7},
      {Scope::Tones, "env1.attack", 0.0},
      {Scope::Tones, "env1.decay", 0.3},
      {Scope::Tones, "env1.sustain", 0.0},
      {Scope::Tones, "env2.sustain", 0.0},
      {Scope::Tones, "env2.decay", 0.5}}},
    {"Bass/Sub Unison.80p",
     {{Scope::Tones, "vcf.cutoff", 0.45},
      {Scope::Tones, "vco2.fineTune", 0.53},
      {Scope::Tones, "vco1.range", 0.25},
      {Scope::Tones, "vco2.range", 0.25},
      {Scope::Patch, "patch.assignMode", 0.5},
      {Scope::Patch, "patch.unisonDetune", 0.3}}},
    {"Brass/Bright Section.80p",
     {{Scope::Tones, "vcf.cutoff", 0.55},
      {Scope::Tones, "vcf.envAmount", 0.55},
      {Scope::Tones, "env1.attack", 0.3},
      {Scope::Tones, "env1.decay", 0.45},
      {Scope::Tones, "env1.sustain", 0.65},
      {Scope::Tones, "vco2.fineTune", 0.52},
      {Scope::Tones, "vco2.wave", kWave2}}},
    {"Brass/Soft Horns.80p",
     {{Scope::Tones, "vcf.cutoff", 0.42},
      {Scope::Tones, "vcf.envAmount", 0.35},
      {Scope::Tones, "env1.attack", 0.38},
      {Scope::Tones, "env2.attack", 0.3},
      {Scope::Tones, "vcoMod.lfoAmount", 0.08},
      {Scope::Tones, "lfo1.delay", 0.5}}},
    {"Keys/Electric Piano.80p",
     {{Scope::Tones, "vcf.cutoff", 0.5},
      {Scope::Tones, "env1.attack", 0.0},
      {Scope::Tones, "env1.sustain", 0.25},
      {Scope::Tones, "env2.attack", 0.0},
      {Scope::Tones, "env2.decay", 0.6},
      {Scope::Tones, "env2.sustain", 0.3},
      {Scope::Tones, "vco1.wave", kWave2},
      {Scope::Tones, "pwm.amount", 0.3}}},
    {"Keys/Clavi.80p",
     {{Scope::Tones, "vcf.cutoff", 0.62},
      {Scope::Tones, "vcf.resonance", 0.3},
      {Scope::Tones, "env1.attack", 0.0},
      {Scope::Tones, "env1.decay", 0.25},
      {Scope::Tones, "env1.sustain", 0.0},
      {Scope::Tones, "env2.attack", 0.0},
      {Scope::Tones, "env2.decay", 0.35},
      {Scope::Tones, "env2.sustain", 0.0},
      {Scope::Tones, "hpf.cutoff", 0.5}}},
    {"Keys/Organ.80p",
     {{Scope::Tones, "vcf.cutoff", 0.8},
      {Scope::Tones, "env2.attack", 0.0},
      {Scope::Tones, "env2.sustain", 1.0},
      {Scope::Tones, "env2.release", 0.2},
      {Scope::Tones, "vco1.wave", 0.0},
      {Scope::Tones, "vco2.wave", 0.0},
      {Scope::Tones, "vco2.range", 0.75}}},
    {"Leads/Sync Lead.80p",
     {{Scope::Tones, "sync.mode", 0.5},
      {Scope::Tones, "vcf.cutoff", 0.7},
      {Scope::Tones, "vcoMod.env1Amount", 0.4},
      {Scope::Patch, "patch.assignMode", 0.0},
      {Scope::Patch, "patch.portamentoTime", 0.2}}},
    {"Leads/Vibrato Whistle.80p",
     {{Scope::Tones, "vcf.cutoff", 0.6},
      {Scope::Tones, "vco1.wave", kWave1},
      {Scope::Tones, "vco.mix", 0.0},
      {Scope::Tones, "vcoMod.lfoAmount", 0.12},
      {Scope::Tones, "lfo1.rate", 0.55},
      {Scope::Tones, "lfo1.delay", 0.4}}},
    {"Pads/Warm Strings.80p",
     {{Scope::Tones, "vcf.cutoff", 0.48},
      {Scope::Tones, "env1.attack", 0.55},
      {Scope::Tones, "env2.attack", 0.5},
      {Scope::Tones, "env2.release", 0.62},
      {Scope::Tones, "vco2.fineTune", 0.515},
      {Scope::Tones, "pwm.amount", 0.4},
      {Scope::Patch, "patch.fx1.type", kStudioChorus}}},
    {"Pads/Slow Sweep.80p",
     {{Scope::Tones, "vcf.cutoff", 0.3},
      {Scope::Tones, "vcf.resonance", 0.45},
      {Scope::Tones, "vcf.lfoAmount", 0.35},
      {Scope::Tones, "lfo1.rate", 0.3},
      {Scope::Tones, "env1.attack", 0.7},
      {Scope::Tones, "env2.attack", 0.65},
      {Scope::Tones, "env2.release", 0.7}}},
    {"Pads/Glass Choir.80p",
     {{Scope::Tones, "vcf.cutoff", 0.58},
      {Scope::Tones, "xmod.manual", 0.3},
      {Scope::Tones, "env2.attack", 0.45},
      {Scope::Tones, "env2.release", 0.66},
      {Scope::Tones, "hpf.cutoff", 0.45},
      {Scope::Patch, "patch.fx1.type", kReverb}}},
    {"- Splits and Layers/Bass and Piano.80p",
     {{Scope::Patch, "patch.keyMode", kSplit2},
      {Scope::Patch, "patch.lower.octaveShift", 0.25},
      {Scope::ToneB, "vcf.cutoff", 0.36},
      {Scope::ToneB, "env1.decay", 0.4},
      {Scope::ToneB, "env1.sustain", 0.2},
      {Scope::ToneA, "env2.attack", 0.0},
      {Scope::ToneA, "env2.decay", 0.6},
      {Scope::ToneA, "env2.sustain", 0.3}}},
    {"- Splits and Layers/Brass over Strings.80p",
     {{Scope::Patch, "patch.keyMode", kDual},
      {Scope::Patch, "patch.balance", 0.45},
      {Scope::ToneA, "vcf.envAmount", 0.55},
      {Scope::ToneA, "env1.attack", 0.3},
      {Scope::ToneB, "env2.attack", 0.5},
      {Scope::ToneB, "env2.release", 0.6},
      {Scope::ToneB, "vco2.fineTune", 0.515}}},
};

// A complete document: the Init patch without its metadata, marked as written by the current version.
std::string MakeDocumentText(const Recipe& recipe) {
  nlohmann::json document = ParseInitPatchDocument();
  document.erase("metadata");
  document["createdWith"]["version"] = "1.0.13";
  nlohmann::json& patch = document["patch"];
  patch["toneA"].erase("metadata");
  patch["toneB"].erase("metadata");
  for (const Setting& s : recipe.settings) {
    if (s.scope == Scope::Patch)
      patch["params"][s.key] = s.value;
    if (s.scope == Scope::ToneA || s.scope == Scope::Tones)
      patch["toneA"]["params"][s.key] = s.value;
    if (s.scope == Scope::ToneB || s.scope == Scope::Tones)
      patch["toneB"]["params"][s.key] = s.value;
  }
  return JsonFileText(document);
}

std::vector<FactoryPresetRow> BuildBank() {
  std::vector<FactoryPresetRow> rows;
  for (const Recipe& recipe : kRecipes)
    rows.push_back({recipe.path, MakeDocumentText(recipe)});
  return rows;
}

} // namespace

std::span<const FactoryPresetRow> FactoryPresetBank() {
  static const std::vector<FactoryPresetRow> bank = BuildBank();
  return bank;
}

} // namespace vlm
