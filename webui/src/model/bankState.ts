// The bank-state object the processor keeps for the page: loaded patch and tones, link and expand flags, baselines.
import { kPerformanceSet, kToneSetUpper, toneSetIndex } from './paramLayout';

export interface FileRef {
  name: string;
  path: string | null;
}

export type Baseline = Record<string, number>;
export type EditTarget = 'upperTone' | 'lowerTone';

export interface BankState {
  patch: FileRef;
  upperTone: FileRef;
  lowerTone: FileRef;
  editTarget: EditTarget;
  linkEnabled: boolean;
  expandedTones: boolean;
  loadedPerfParams: Baseline;
  loadedPatchUpperToneParams: Baseline;
  loadedPatchLowerToneParams: Baseline;
  loadedUpperToneParams: Baseline;
  loadedLowerToneParams: Baseline;
  patchUpperTonePath: string | null;
  patchLowerTonePath: string | null;
}

const initRef = (): FileRef => ({ name: 'Init', path: null });

export function defaultBankState(): BankState {
  return {
    patch: initRef(),
    upperTone: initRef(),
    lowerTone: initRef(),
    editTarget: 'upperTone',
    linkEnabled: true,
    expandedTones: false,
    loadedPerfParams: {},
    loadedPatchUpperToneParams: {},
    loadedPatchLowerToneParams: {},
    loadedUpperToneParams: {},
    loadedLowerToneParams: {},
    patchUpperTonePath: null,
    patchLowerTonePath: null,
  };
}

function readRef(v: unknown): FileRef {
  if (!v || typeof v !== 'object') return initRef();
  const o = v as Record<string, unknown>;
  return { name: typeof o.name === 'string' ? o.name : 'Init', path: typeof o.path === 'string' ? o.path : null };
}

function readBaseline(v: unknown): Baseline | undefined {
  if (!v || typeof v !== 'object' || Array.isArray(v)) return undefined;
  const out: Baseline = {};
  for (const [k, x] of Object.entries(v as Record<string, unknown>)) if (typeof x === 'number' && Number.isFinite(x)) out[k] = x;
  return out;
}

/**
 * Reads a restored bank state. Expanded tones survive only on a screen tall enough for them
 * (an unknown height counts as tall enough); older states without patch tone baselines use the tone ones.
 */
export function parseBankState(raw: unknown, screenHeight: number | null): BankState {
  const d = defaultBankState();
  if (!raw || typeof raw !== 'object' || Array.isArray(raw)) return d;
  const o = raw as Record<string, unknown>;
  const upper = readBaseline(o.loadedUpperToneParams) ?? {};
  const lower = readBaseline(o.loadedLowerToneParams) ?? {};
  const tallEnough = screenHeight === null || !(screenHeight < 1000);
  return {
    patch: readRef(o.patch),
    upperTone: readRef(o.upperTone),
    lowerTone: readRef(o.lowerTone),
    editTarget: o.editTarget === 'lowerTone' ? 'lowerTone' : 'upperTone',
    linkEnabled: typeof o.linkEnabled === 'boolean' ? o.linkEnabled : true,
    expandedTones: o.expandedTones === true && tallEnough,
    loadedPerfParams: readBaseline(o.loadedPerfParams) ?? {},
    loadedPatchUpperToneParams: readBaseline(o.loadedPatchUpperToneParams) ?? { ...upper },
    loadedPatchLowerToneParams: readBaseline(o.loadedPatchLowerToneParams) ?? { ...lower },
    loadedUpperToneParams: upper,
    loadedLowerToneParams: lower,
    patchUpperTonePath: typeof o.patchUpperTonePath === 'string' ? o.patchUpperTonePath : null,
    patchLowerTonePath: typeof o.patchLowerTonePath === 'string' ? o.patchLowerTonePath : null,
  };
}

export type ValueOf = (index: number) => number;

export function capturePerf(value: ValueOf): Baseline {
  const out: Baseline = {};
  for (const i of kPerformanceSet) out[i] = value(i);
  return out;
}

/** A tone's values keyed by Upper indices, read from the given part. */
export function captureTone(value: ValueOf, part: 'upper' | 'lower'): Baseline {
  const out: Baseline = {};
  for (const i of kToneSetUpper) out[i] = value(toneSetIndex(part, i));
  return out;
}

/** Every baseline set from the current values, as after a save or a patch load. */
export function withAllBaselines(s: BankState, value: ValueOf): BankState {
  const upper = captureTone(value, 'upper');
  const lower = captureTone(value, 'lower');
  return {
    ...s,
    loadedPerfParams: capturePerf(value),
    loadedPatchUpperToneParams: upper,
    loadedPatchLowerToneParams: lower,
    loadedUpperToneParams: { ...upper },
    loadedLowerToneParams: { ...lower },
  };
}

/**
 * "Save as" on the page: the patch takes the new name without a file yet, every baseline becomes the
 * current state and the current tones become the patch's tones. Empty names (after trimming) change nothing.
 */
export function applySaveAs(s: BankState, name: string, value: ValueOf): BankState {
  const trimmed = name.trim();
  if (!trimmed) return s;
  return withAllBaselines({ ...s, patch: { name: trimmed, path: null }, patchUpperTonePath: s.upperTone.path, patchLowerTonePath: s.lowerTone.path }, value);
}

const kModifiedEpsilon = 1e-6;

/** The patch's modified mark: any performance or tone value away from the loaded patch's baselines. */
export function isPatchModified(s: BankState, value: ValueOf, presetLoading: boolean): boolean {
  if (presetLoading || Object.keys(s.loadedPerfParams).length === 0) return false;
  const differs = (base: Baseline, key: number, idx: number) => Math.abs(value(idx) - (base[key] ?? 0)) > kModifiedEpsilon;
  for (const i of kPerformanceSet) if (differs(s.loadedPerfParams, i, i)) return true;
  for (const i of kToneSetUpper) {
    if (differs(s.loadedPatchUpperToneParams, i, toneSetIndex('upper', i))) return true;
    if (differs(s.loadedPatchLowerToneParams, i, toneSetIndex('lower', i))) return true;
  }
  return false;
}

function stripFragment(path: string): string {
  const k = path.lastIndexOf('#');
  return k < 0 ? path : path.slice(0, k);
}

function sameBaseline(a: Baseline, b: Baseline): boolean {
  const ka = Object.keys(a);
  const kb = Object.keys(b);
  if (ka.length !== kb.length) return false;
  for (const k of ka) {
    if (!(k in b) || Math.abs(a[k] - b[k]) > 1e-9) return false;
  }
  return true;
}

/** Upper and Lower hold "the same" tone: same path, or two cuts of one embedded document with equal loaded values. */
export function tonesAreSame(s: BankState): boolean {
  const a = s.upperTone.path;
  const b = s.lowerTone.path;
  if (a === b) return true;
  if (a !== null && b !== null && a.startsWith('embedded:') && b.startsWith('embedded:') && stripFragment(a) === stripFragment(b)) {
    return sameBaseline(s.loadedUpperToneParams, s.loadedLowerToneParams);
  }
  return false;
}

export function linkInEffect(s: BankState): boolean {
  return s.linkEnabled && tonesAreSame(s);
}

/** The fields that travel as the bank-state message, in a fixed order. */
export function serializeBankState(s: BankState): string {
  return JSON.stringify(s);
}
