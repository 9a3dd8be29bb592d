// The parameter rows: one place for every name, range, default, step, label, unit, flag, shape and item text.
#include "processor/params/ParamTable.h"

#include "engine/lfo/LfoSyncDivision.h"

#include <array>

namespace vlm {
namespace {

using keel::IParam;
constexpr int kUnitPlain = IParam::kUnitCustom;
constexpr int kUnitDb = IParam::kUnitDB;
// Frequencies in hertz; descriptive only, passed to the host.
constexpr int kUnitHz = 12;
constexpr int kNotAuto = IParam::FlagNotAutomatable;

using S = ParamShapeKind;
using K = ParamKind;

template <size_t N> using Texts = std::array<const char*, N>;

constexpr Texts<4> kKeyModeTexts = {"Whole", "Split-2", "Split-1", "Dual"};
constexpr Texts<5> kOctaveShiftTexts = {"-2", "-1", "Norm", "+1", "+2"};
constexpr Texts<5> kAssignModeTexts = {"Solo", "Unison-1", "Unison-2", "Poly-1", "Poly-2"};
constexpr Texts<3> kHoldTexts = {"MIDI", "On", "Off"};
constexpr Texts<3> kBendTexts = {"Wide", "Norm", "Off"};
constexpr Texts<2> kAtModeTexts = {"VCO", "VCF"};
constexpr Texts<3> kOversamplingTexts = {"Off", "2x", "4x"};
constexpr Texts<5> kPolyphonyTexts = {"8", "12", "16", "20", "24"};
constexpr Texts<2> kOffOnTexts = {"Off", "On"};
constexpr Texts<2> kOnOffTexts = {"On", "Off"};
constexpr Texts<2> kStereoTexts = {"Mix", "Separate"};
// The tempo divisions belong to the LFOs; the division parameters show the same texts.
constexpr auto kSyncDivisionTexts = [] {
  Texts<kLfoSyncDivisionCount> texts{};
  for (size_t i = 0; i < texts.size(); ++i)
    texts[i] = kLfoSyncDivisions[i].text;
  return texts;
}();
constexpr int kSyncDivisionDefault = kLfoSyncDefaultDivision;

constexpr Texts<2> kReservedTexts = {"Reserved", "Reserved"};
constexpr Texts<3> kKeyFollowSelTexts = {"VCO-1", "Off", "VCO-2"};
constexpr Texts<3> kVcoModTexts = {"NRM", "Off", "INV"};
constexpr Texts<5> kVco1RangeTexts = {"32'", "16'", "8'", "4'", "2'"};
constexpr Texts<4> kVco1WaveTexts = {"Triangle", "Sawtooth", "Pulse", "Square"};
constexpr Texts<7> kVco2RangeTexts = {"LOW", "32'", "16'", "8'", "4'", "2'", "HI"};
constexpr Texts<4> kVco2WaveTexts = {"Triangle", "Sawtooth", "Pulse", "Noise"};
constexpr Texts<2> kEnvSelectTexts = {"ENV-1", "ENV-2"};
constexpr Texts<2> kPolarityTexts = {"NRM", "INV"};
constexpr Texts<5> kLfoWaveTexts = {"Triangle", "Saw Up", "Saw Down", "Square", "Random"};
constexpr Texts<3> kPwmSourceTexts = {"ENV-1", "LFO-1", "KBD"};
constexpr Texts<3> kVcoSyncTexts = {"Off", "1->2", "2->1"};
constexpr Texts<16> kFxTypeTexts = {"Off",         "Synth Chorus", "Studio Chorus", "Digital Chorus",
                                    "Delay",       "Phaser",       "Flanger",       "EQ",
                                    "Compressor",  "Distortion",   "Reverb",        "Pitch Chorus",
                                    "Arpeggiator", "(reserved)",   "(reserved)",    "(reserved)"};

template <size_t N>
constexpr ParamDecl Enum(int index, const char* name, const char* group, int defaultValue,
                         const Texts<N>& texts, int flags = 0) {
  return {index,
          name,
          group,
          K::Enum,
          0.0,
          static_cast<double>(N - 1),
          static_cast<double>(defaultValue),
          1.0,
          "",
          kUnitPlain,
          flags,
          S::Linear,
          texts};
}

constexpr ParamDecl Double(int index, const char* name, const char* group, double minValue, double maxValue,
                           double defaultValue, double step, const char* label = "", S shape = S::Linear,
                           int unit = kUnitPlain, int flags = 0) {
  return {index, name,  group, K::Double, minValue, maxValue, defaultValue,
          step,  label, unit,  flags,     shape,    {}};
}

constexpr ParamDecl Gain(int index, const char* name, double minValue, double maxValue, double defaultValue,
                         double step) {
  return {index, name, "", K::Gain, minValue, maxValue, defaultValue, step, "dB", kUnitDb, 0, S::Linear, {}};
}

const ParamDecl kSingleDecls[] = {
    Gain(kMaster, "Master", -30, 0, -12, 0.5),
    Double(kTune, "Tune", "Master", -100, 100, 0, 0.1, "cents"),
    Double(kDynamicsSens, "Dynamics Sens", "Master", 0, 1, 1, 0.001),
    Enum(kKeyMode, "Key Mode", "Patch", 0, kKeyModeTexts),
    Double(kSplitPoint, "Split Point", "Patch", 21, 108, 60, 1, "note"),
    Double(kBalance, "Balance", "Patch", 0, 1, 0.5, 0.001, "", S::Balance),
    Enum(kOversampling, "Oversampling", "Settings", 0, kOversamplingTexts),
    Enum(kPolyphony, "Polyphony", "Settings", 0, kPolyphonyTexts),
    Enum(kFxChainLock, "FX Chain Lock", "Settings", 0, kOffOnTexts),
    Gain(kPatchVolume, "Patch Volume", -12, 12, 0, 0.5),
    Enum(kStereo, "Stereo", "Patch", 0, kStereoTexts),
    Enum(kUpperLfoSync, "Upper LFO Sync", "Upper LFO", 0, kOffOnTexts),
    Enum(kUpperLfoSyncDiv, "Upper LFO Sync Div", "Upper LFO", kSyncDivisionDefault, kSyncDivisionTexts),
    Enum(kLowerLfoSync, "Lower LFO Sync", "Lower LFO", 0, kOffOnTexts),
    Enum(kLowerLfoSyncDiv, "Lower LFO Sync Div", "Lower LFO", kSyncDivisionDefault, kSyncDivisionTexts),
    Enum(kLfo2Sync, "LFO2 Sync", "Patch", 0, kOffOnTexts),
    Enum(kLfo2SyncDiv, "LFO2 Sync Div", "Patch", kSyncDivisionDefault, kSyncDivisionTexts),
    Enum(kLowerLfo2Sync, "Lower LFO2 Sync", "Patch", 0, kOffOnTexts),
    Enum(kLowerLfo2SyncDiv, "Lower LFO2 Sync Div", "Patch", kSyncDivisionDefault, kSyncDivisionTexts),
};

const ParamDecl kPatchDecls[] = {
    Enum(kPatchOctaveShift, "Octave Shift", "Patch", 2, kOctaveShiftTexts),
    Enum(kPatchAssignMode, "Assign Mode", "Patch", 3, kAssignModeTexts),
    Double(kPatchUnisonDetune, "Unison Detune", "Patch", 0, 1, 0, 0.001),
    Enum(kPatchHold, "Hold", "Patch", 0, kHoldTexts),
    Double(kPatchPortamento, "Portamento", "Patch", 0, 2645, 0, 0.1, "ms", S::GlideTime),
    Double(kPatchBendRange, "Bend Range", "Patch", 0, 12.5, 2, 0.1, "st"),
    Enum(kPatchVco1Bend, "VCO1 Bend", "Patch", 1, kBendTexts),
    Enum(kPatchVco2Bend, "VCO2 Bend", "Patch", 1, kBendTexts),
    Double(kPatchAtSens, "AT Sens", "Patch", 0, 1, 0, 0.001),
    Double(kPatchLfo2Rate, "LFO2 Rate", "Patch", 0.016, 16, 1, 0.001, "Hz", S::Lfo2Rate, kUnitHz),
    Enum(kPatchAtMode, "AT Mode", "Patch", 0, kAtModeTexts),
};
static_assert(std::size(kPatchDecls) == kNumPatchBlockParams);

const ParamDecl kToneDecls[] = {
    Enum(kToneReserved, "Reserved", "Reserved", 0, kReservedTexts, kNotAuto),
    Double(kToneVcoKeyFollow, "VCO Key Follow", "Key Follow", 0, 1, 1, 0.001),
    Enum(kToneVcoKeyFollowSel, "VCO Key Follow Sel", "Key Follow", 1, kKeyFollowSelTexts),
    Enum(kToneVco1Mod, "VCO1 Mod", "VCO1", 0, kVcoModTexts),
    Enum(kToneVco1Range, "VCO1 Range", "VCO1", 2, kVco1RangeTexts),
    Enum(kToneVco1Wave, "VCO1 Wave", "VCO1", 1, kVco1WaveTexts),
    Enum(kToneVco2Mod, "VCO2 Mod", "VCO2", 0, kVcoModTexts),
    Enum(kToneVco2Range, "VCO2 Range", "VCO2", 3, kVco2RangeTexts),
    Enum(kToneVco2Wave, "VCO2 Wave", "VCO2", 1, kVco2WaveTexts),
    Double(kToneVco2Fine, "VCO2 Fine", "VCO2", -50, 50, 0, 0.1, "cents", S::Vco2Fine),
    Double(kToneVcoMix, "VCO Mix", "VCO", 0, 1, 0.5, 0.001),
    Double(kToneHpfCutoff, "HPF Cutoff", "HPF", 20, 1550, 30, 0.01, "Hz", S::HpfCutoff, kUnitHz),
    Double(kToneVcfCutoff, "VCF Cutoff", "VCF", 5, 30000, 4000, 0.01, "Hz", S::VcfCutoff, kUnitHz),
    Double(kToneVcfResonance, "VCF Resonance", "VCF", 0, 1, 0.1, 0.001),
    Enum(kToneVcfEnvSelect, "VCF Env Select", "VCF", 0, kEnvSelectTexts),
    Enum(kToneVcfEnvPolarity, "VCF Env Polarity", "VCF", 0, kPolarityTexts),
    Double(kToneVcfEnvAmount, "VCF Env Amount", "VCF", 0, 9.1168, 0, 0.001, "oct", S::VcfEnvAmount),
    Double(kToneVcfLfoAmount, "VCF LFO Amount", "VCF", 0, 5.73, 0, 0.001, "oct", S::VcfLfoAmount),
    Double(kToneVcfKeyFollow, "VCF Key Follow", "VCF", 0, 1, 0, 0.001),
    Double(kToneVcaLevel, "VCA Level", "VCA", 0, 1, 1, 0.001, "", S::VcaLevel),
    Double(kToneVcaLfoAmount, "VCA LFO Amount", "VCA", 0, 1, 0, 0.001, "", S::VcaLfoAmount),
    Double(kToneEnv1Attack, "ENV1 Attack", "ENV1", 2, 20352.1, 10, 0.1, "ms", S::Env1Attack),
    Double(kToneEnv1Decay, "ENV1 Decay", "ENV1", 0.1, 10000, 200, 0.1, "ms", S::Env1Decay),
    Double(kToneEnv1Sustain, "ENV1 Sustain", "ENV1", 0, 1, 0.7, 0.001, "", S::EnvSustain),
    Double(kToneEnv1Release, "ENV1 Release", "ENV1", 0.1, 10000, 300, 0.1, "ms", S::Env1Release),
    Double(kToneEnv1KeyFollow, "ENV1 Key Follow", "ENV1", 0, 1, 0, 0.001),
    Enum(kToneEnv1Dynamics, "ENV1 Dynamics", "ENV1", 0, kOnOffTexts),
    Double(kToneEnv2Attack, "ENV2 Attack", "ENV2", 2, 20352.1, 10, 0.1, "ms", S::Env2Attack),
    Double(kToneEnv2Decay, "ENV2 Decay", "ENV2", 0.1, 20000, 200, 0.1, "ms", S::Env2Decay),
    Double(kToneEnv2Sustain, "ENV2 Sustain", "ENV2", 0, 1, 0.7, 0.001, "", S::EnvSustain),
    Double(kToneEnv2Release, "ENV2 Release", "ENV2", 0.1, 20000, 300, 0.1, "ms", S::Env2Release),
    Double(kToneEnv2KeyFollow, "ENV2 Key Follow", "ENV2", 0, 1, 0, 0.001),
    Enum(kToneEnv2Dynamics, "ENV2 Dynamics", "ENV2", 0, kOnOffTexts),
    Double(kToneLfoRate, "LFO Rate", "LFO", 0.02, 65.11, 5, 0.01, "Hz", S::Lfo1Rate),
    Enum(kToneLfoWave, "LFO Wave", "LFO", 0, kLfoWaveTexts),
    Double(kToneLfoDelay, "LFO Delay", "LFO", 0, 3955, 0, 0.1, "ms", S::Lfo1Delay),
    Double(kToneVcoModLfo, "VCO Mod LFO", "VCO Mod", 0, 61, 0, 0.001, "st", S::VcoModLfo),
    Double(kToneVcoModEnv1, "VCO Mod ENV1", "VCO Mod", 0, 24.06, 0, 0.001, "st", S::VcoModEnv),
    Double(kTonePulseWidth, "Pulse Width", "PWM", 0, 50, 50, 0.1, "%", S::PulseWidth),
    Double(kTonePwmAmount, "PWM Amount", "PWM", 0, 1, 0, 0.001, "", S::PwmAmount),
    Enum(kTonePwmSource, "PWM Source", "PWM", 1, kPwmSourceTexts),
    Enum(kTonePwmPolarity, "PWM Polarity", "PWM", 0, kPolarityTexts),
    Double(kToneCrossMod, "Cross Mod", "XMod", 0, 1, 0, 0.001),
    Double(kToneCrossModEnv1, "Cross Mod ENV1", "XMod", 0, 1, 0, 0.001),
    Enum(kToneCrossModPolarity, "Cross Mod Polarity", "XMod", 0, kPolarityTexts),
    Enum(kToneVcoSync, "VCO Sync", "Sync", 0, kVcoSyncTexts),
    Double(kToneDynamicsTime, "Dynamics Time", "Dynamics", 0, 1, 0, 0.001, "", S::DynamicsTime),
    Double(kToneDynamicsLevel, "Dynamics Level", "Dynamics", 0, 1, 0.7, 0.001),
    Enum(kToneEnvReset, "ENV Reset", "Dynamics", 0, kOnOffTexts),
};
static_assert(std::size(kToneDecls) == kNumToneParams);

const ParamDecl kFxTypeDecl = Enum(kFxSlotType, "FX %d Type", "Effects", 0, kFxTypeTexts);
const ParamDecl kFxGenericDecl = Double(kFxSlotP0, "FX %d P%d", "Effects", 0, 1, 0, 0.001);
const ParamDecl kFxBypassDecl = Enum(kFx1Bypass, "FX %d Bypass", "Settings", 0, kOffOnTexts);
// Rounded half away from zero, a value 0..127 is the controller that drives the parameter; -1 is none.
const ParamDecl kCcMapDecl =
    Double(kCcMapFirst, "CC Map: %s", "MIDI Learn", -1, 127, -1, 1, "", S::Linear, kUnitPlain, kNotAuto);

} // namespace

std::span<const ParamDecl> SingleParamDecls() {
  return kSingleDecls;
}
std::span<const ParamDecl> PatchBlockDecls() {
  return kPatchDecls;
}
std::span<const ParamDecl> ToneBlockDecls() {
  return kToneDecls;
}
const ParamDecl& FxTypeDecl() {
  return kFxTypeDecl;
}
const ParamDecl& FxGenericDecl() {
  return kFxGenericDecl;
}
const ParamDecl& FxBypassDecl() {
  return kFxBypassDecl;
}
const ParamDecl& CcMapDecl() {
  return kCcMapDecl;
}

std::string MakePrefixedParamName(const char* prefix, const char* text) {
  std::string name(prefix);
  name += ' ';
  name += text;
  return name;
}

} // namespace vlm
