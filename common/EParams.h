// The instrument's parameter index space: 189 sound parameters and one controller assignment for each.
#pragma once

namespace vlm {

constexpr int kNumSoundParams = 189;
constexpr int kNumParams = 2 * kNumSoundParams;
constexpr int kNumToneParams = 49;
constexpr int kNumPatchBlockParams = 11;
constexpr int kNumFxSlots = 5;
constexpr int kNumFxSlotParams = 9;

// Offsets inside a tone block (Upper at kUpperToneFirst, Lower at kLowerToneFirst).
enum EToneParam : int {
  kToneReserved = 0,
  kToneVcoKeyFollow,
  kToneVcoKeyFollowSel,
  kToneVco1Mod,
  kToneVco1Range,
  kToneVco1Wave,
  kToneVco2Mod,
  kToneVco2Range,
  kToneVco2Wave,
  kToneVco2Fine,
  kToneVcoMix,
  kToneHpfCutoff,
  kToneVcfCutoff,
  kToneVcfResonance,
  kToneVcfEnvSelect,
  kToneVcfEnvPolarity,
  kToneVcfEnvAmount,
  kToneVcfLfoAmount,
  kToneVcfKeyFollow,
  kToneVcaLevel,
  kToneVcaLfoAmount,
  kToneEnv1Attack,
  kToneEnv1Decay,
  kToneEnv1Sustain,
  kToneEnv1Release,
  kToneEnv1KeyFollow,
  kToneEnv1Dynamics,
  kToneEnv2Attack,
  kToneEnv2Decay,
  kToneEnv2Sustain,
  kToneEnv2Release,
  kToneEnv2KeyFollow,
  kToneEnv2Dynamics,
  kToneLfoRate,
  kToneLfoWave,
  kToneLfoDelay,
  kToneVcoModLfo,
  kToneVcoModEnv1,
  kTonePulseWidth,
  kTonePwmAmount,
  kTonePwmSource,
  kTonePwmPolarity,
  kToneCrossMod,
  kToneCrossModEnv1,
  kToneCrossModPolarity,
  kToneVcoSync,
  kToneDynamicsTime,
  kToneDynamicsLevel,
  kToneEnvReset,
  kToneParamCount
};
static_assert(kToneParamCount == kNumToneParams);

// Offsets inside a patch block (Upper at kOctaveShift, Lower at kLowerOctaveShift).
enum EPatchParam : int {
  kPatchOctaveShift = 0,
  kPatchAssignMode,
  kPatchUnisonDetune,
  kPatchHold,
  kPatchPortamento,
  kPatchBendRange,
  kPatchVco1Bend,
  kPatchVco2Bend,
  kPatchAtSens,
  kPatchLfo2Rate,
  kPatchAtMode,
  kPatchParamCount
};
static_assert(kPatchParamCount == kNumPatchBlockParams);

// Positions inside an effect slot: the type, then the effect's eight generic parameters P0..P7.
enum EFxSlotParam : int { kFxSlotType = 0, kFxSlotP0, kFxSlotParamCount = kFxSlotP0 + 8 };
static_assert(kFxSlotParamCount == kNumFxSlotParams);

enum EParams : int {
  kMaster = 0,
  kTune = 1,
  kDynamicsSens = 2,
  kKeyMode = 3,
  kSplitPoint = 4,
  kBalance = 5,

  kOctaveShift = 6,
  kAssignMode = 7,
  kUnisonDetune = 8,
  kHold = 9,
  kPortamento = 10,
  kBendRange = 11,
  kVco1Bend = 12,
  kVco2Bend = 13,
  kAtSens = 14,
  kLfo2Rate = 15,
  kAtMode = 16,

  kUpperToneFirst = 17,
  kLowerToneFirst = kUpperToneFirst + kNumToneParams, // 66

  kOversampling = 115,
  kPolyphony = 116,

  kFxFirst = 117, // slot n (0-based) starts at kFxFirst + 9 n
  kFxChainLock = 162,
  kFx1Bypass = 163, // slot n (0-based) at kFx1Bypass + n

  kPatchVolume = 168,
  kStereo = 169,

  kLowerOctaveShift = 170,
  kLowerAssignMode = 171,
  kLowerUnisonDetune = 172,
  kLowerHold = 173,
  kLowerPortamento = 174,
  kLowerBendRange = 175,
  kLowerVco1Bend = 176,
  kLowerVco2Bend = 177,
  kLowerAtSens = 178,
  kLowerLfo2Rate = 179,
  kLowerAtMode = 180,

  kUpperLfoSync = 181,
  kUpperLfoSyncDiv = 182,
  kLowerLfoSync = 183,
  kLowerLfoSyncDiv = 184,
  kLfo2Sync = 185,
  kLfo2SyncDiv = 186,
  kLowerLfo2Sync = 187,
  kLowerLfo2SyncDiv = 188,

  kCcMapFirst = kNumSoundParams, // controller assignment of sound parameter i at kCcMapFirst + i
};

static_assert(kLowerToneFirst + kNumToneParams == kOversampling);
static_assert(kFxFirst + kNumFxSlots * kNumFxSlotParams == kFxChainLock);
static_assert(kFx1Bypass + kNumFxSlots == kPatchVolume);
static_assert(kLowerOctaveShift - kOctaveShift == 164);
static_assert(kLowerOctaveShift + kNumPatchBlockParams == kUpperLfoSync);
static_assert(kLowerLfo2SyncDiv + 1 == kNumSoundParams);

// Index helpers; each takes a block-relative offset or slot number counted from 0.
constexpr int UpperToneParam(int offset) {
  return kUpperToneFirst + offset;
}
constexpr int LowerToneParam(int offset) {
  return kLowerToneFirst + offset;
}
constexpr int FxSlotParam(int slot, int position) {
  return kFxFirst + kNumFxSlotParams * slot + position;
}
constexpr int FxBypassParam(int slot) {
  return kFx1Bypass + slot;
}
constexpr int CcMapParam(int soundParam) {
  return kCcMapFirst + soundParam;
}
constexpr bool IsSoundParam(int index) {
  return index >= 0 && index < kNumSoundParams;
}
constexpr bool IsCcMapParam(int index) {
  return index >= kCcMapFirst && index < kNumParams;
}

} // namespace vlm
