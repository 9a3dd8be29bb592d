// The page's view of the processor's parameter index space: blocks, offsets and the sets the bank state compares.

export const kNumParams = 378;
export const kNumSoundParams = 189;
export const kNumToneParams = 49;
export const kUpperToneFirst = 17;
export const kLowerToneFirst = 66;
export const kLowerToneOffset = 49;
export const kUpperPartFirst = 6;
export const kUpperPartLast = 16;
export const kLowerPartOffset = 164;
export const kLfoSyncOffset = 2;

export const P = {
  Master: 0,
  Tune: 1,
  DynamicsSens: 2,
  KeyMode: 3,
  SplitPoint: 4,
  Balance: 5,
  OctaveShift: 6,
  AssignMode: 7,
  UnisonDetune: 8,
  Hold: 9,
  Portamento: 10,
  BendRange: 11,
  Vco1Bend: 12,
  Vco2Bend: 13,
  AtSens: 14,
  Lfo2Rate: 15,
  AtMode: 16,
  Oversampling: 115,
  Polyphony: 116,
  FxChainLock: 162,
  PatchVolume: 168,
  Stereo: 169,
  UpperLfoSync: 181,
  UpperLfoSyncDiv: 182,
  LowerLfoSync: 183,
  LowerLfoSyncDiv: 184,
  Lfo2Sync: 185,
  Lfo2SyncDiv: 186,
  LowerLfo2Sync: 187,
  LowerLfo2SyncDiv: 188,
} as const;

/** Offsets inside a tone block (add 17 for Upper, 66 for Lower). */
export const T = {
  Reserved: 0,
  VcoKeyFollow: 1,
  VcoKeyFollowSel: 2,
  Vco1Mod: 3,
  Vco1Range: 4,
  Vco1Wave: 5,
  Vco2Mod: 6,
  Vco2Range: 7,
  Vco2Wave: 8,
  Vco2Fine: 9,
  VcoMix: 10,
  HpfCutoff: 11,
  VcfCutoff: 12,
  VcfResonance: 13,
  VcfEnvSelect: 14,
  VcfEnvPolarity: 15,
  VcfEnvAmount: 16,
  VcfLfoAmount: 17,
  VcfKeyFollow: 18,
  VcaLevel: 19,
  VcaLfoAmount: 20,
  Env1Attack: 21,
  Env1Decay: 22,
  Env1Sustain: 23,
  Env1Release: 24,
  Env1KeyFollow: 25,
  Env1Dynamics: 26,
  Env2Attack: 27,
  Env2Decay: 28,
  Env2Sustain: 29,
  Env2Release: 30,
  Env2KeyFollow: 31,
  Env2Dynamics: 32,
  LfoRate: 33,
  LfoWave: 34,
  LfoDelay: 35,
  VcoModLfo: 36,
  VcoModEnv1: 37,
  PulseWidth: 38,
  PwmAmount: 39,
  PwmSource: 40,
  PwmPolarity: 41,
  CrossMod: 42,
  CrossModEnv1: 43,
  CrossModPolarity: 44,
  VcoSync: 45,
  DynamicsTime: 46,
  DynamicsLevel: 47,
  EnvReset: 48,
} as const;

export type Part = 'upper' | 'lower';

export function toneFirst(part: Part): number {
  return part === 'upper' ? kUpperToneFirst : kLowerToneFirst;
}

export function toneParam(part: Part, offset: number): number {
  return toneFirst(part) + offset;
}

/** Part-block parameter (Upper index 6..16) of the given part. */
export function partParam(part: Part, upperIndex: number): number {
  return part === 'upper' ? upperIndex : upperIndex + kLowerPartOffset;
}

/** Upper LFO sync pair 181/182 of the given part (Lower = +2). */
export function lfoSyncParam(part: Part, upperIndex: number): number {
  return part === 'upper' ? upperIndex : upperIndex + kLfoSyncOffset;
}

export const fxTypeParam = (slot: number) => 117 + 9 * slot;
export const fxParam = (slot: number, p: number) => 118 + 9 * slot + p;
export const fxBypassParam = (slot: number) => 163 + slot;
export const kNumFxSlots = 5;
export const kNumFxTypes = 16;

export const isUpperTone = (i: number) => i >= 17 && i <= 65;
export const isLowerTone = (i: number) => i >= 66 && i <= 114;
export const isUpperPart = (i: number) => i >= 6 && i <= 16;
export const isLowerPart = (i: number) => i >= 170 && i <= 180;
export const isLfoSync = (i: number) => i >= 181 && i <= 184;
export const isLfo2Sync = (i: number) => i >= 185 && i <= 188;

/** The Upper/Lower counterpart of a tone, part-block or sync parameter; null for anything else. */
export function counterpart(i: number): number | null {
  if (isUpperTone(i)) return i + kLowerToneOffset;
  if (isLowerTone(i)) return i - kLowerToneOffset;
  if (isUpperPart(i)) return i + kLowerPartOffset;
  if (isLowerPart(i)) return i - kLowerPartOffset;
  if (i === 181 || i === 182 || i === 185 || i === 186) return i + kLfoSyncOffset;
  if (i === 183 || i === 184 || i === 187 || i === 188) return i - kLfoSyncOffset;
  return null;
}

/** Key mode is Whole when the normalized key mode rounds to 0 of its four values. */
export function isWholeMode(keyModeNormalized: number): boolean {
  return Math.round(keyModeNormalized * 3) === 0;
}

function range(a: number, b: number): number[] {
  const out: number[] = [];
  for (let i = a; i <= b; i++) out.push(i);
  return out;
}

/** Everything a patch holds besides its two tones (the modified mark compares it). */
export const kPerformanceSet: readonly number[] = [
  P.KeyMode,
  P.SplitPoint,
  P.Balance,
  ...range(6, 16),
  P.Tune,
  P.DynamicsSens,
  P.PatchVolume,
  P.Stereo,
  ...range(170, 180),
  ...range(185, 188),
  ...range(117, 161),
];

/** A tone's parameters as Upper indices: the tone block plus the Upper LFO sync pair. */
export const kToneSetUpper: readonly number[] = [...range(17, 65), 181, 182];

/** Maps an Upper tone-set index to the given part's index. */
export function toneSetIndex(part: Part, upperIndex: number): number {
  if (part === 'upper') return upperIndex;
  return upperIndex >= 181 ? upperIndex + kLfoSyncOffset : upperIndex + kLowerToneOffset;
}
