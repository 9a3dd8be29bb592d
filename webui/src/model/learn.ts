// MIDI-learn state and action results as the processor reports them, validated before the page trusts them.

export interface LearnState {
  active: boolean;
  selectedParamIdx: number | null;
  assignments: Record<number, number>;
}

export interface LearnResult {
  op: 'save' | 'load' | 'setDefault';
  status: 'ok' | 'error' | 'cancel';
  message?: string;
  filePath?: string;
}

export const emptyLearnState = (): LearnState => ({ active: false, selectedParamIdx: null, assignments: {} });

/** Null when the message breaks the shape; assignments with non-integer keys or controllers outside 0..127 are dropped. */
export function parseLearnState(raw: unknown): LearnState | null {
  if (!raw || typeof raw !== 'object') return null;
  const o = raw as Record<string, unknown>;
  if (typeof o.active !== 'boolean') return null;
  const sel = o.selectedParamIdx;
  if (!(sel === null || sel === undefined || typeof sel === 'number')) return null;
  const a = o.assignments ?? {};
  if (!a || typeof a !== 'object' || Array.isArray(a)) return null;
  const assignments: Record<number, number> = {};
  for (const [k, v] of Object.entries(a as Record<string, unknown>)) {
    if (typeof v !== 'number') return null;
    if (!/^\d+$/.test(k) || !Number.isInteger(v) || v < 0 || v > 127) continue;
    assignments[Number(k)] = v;
  }
  return { active: o.active, selectedParamIdx: typeof sel === 'number' ? sel : null, assignments };
}

export function parseLearnResult(raw: unknown): LearnResult | null {
  if (!raw || typeof raw !== 'object') return null;
  const o = raw as Record<string, unknown>;
  if (o.op !== 'save' && o.op !== 'load' && o.op !== 'setDefault') return null;
  if (o.status !== 'ok' && o.status !== 'error' && o.status !== 'cancel') return null;
  if (o.message !== undefined && typeof o.message !== 'string') return null;
  if (o.filePath !== undefined && typeof o.filePath !== 'string') return null;
  const out: LearnResult = { op: o.op, status: o.status };
  if (typeof o.message === 'string') out.message = o.message;
  if (typeof o.filePath === 'string') out.filePath = o.filePath;
  return out;
}

/** Controller number for a manual assignment: rounded and held to 0..127. */
export function clampCc(v: number): number {
  return Math.max(0, Math.min(127, Math.round(v)));
}

/** Parameters that can never be learned: the reserved tone slots and anything past the sound parameters. */
export function isLearnable(i: number): boolean {
  return i >= 0 && i <= 188 && i !== 17 && i !== 66;
}
