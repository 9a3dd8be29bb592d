// Clipboard formats of the effect chain and of one module, module kinds with their parameters, and chain reordering.
import { counterpart, fxBypassParam, fxParam, fxTypeParam, kNumFxSlots, type Part } from './paramLayout';

export interface FxSlotContent {
  type: number;
  bypass: boolean;
  params: number[];
}

const clamp01 = (x: number) => Math.min(1, Math.max(0, x));

/** The chain as it sits in the parameters: type index 0..15, bypass and eight normalized values per slot. */
export function readChain(read: (i: number) => number): FxSlotContent[] {
  return Array.from({ length: kNumFxSlots }, (_, s) => ({
    type: Math.max(0, Math.min(15, Math.round(read(fxTypeParam(s)) * 15))),
    bypass: read(fxBypassParam(s)) >= 0.5,
    params: Array.from({ length: 8 }, (_, p) => read(fxParam(s, p))),
  }));
}

export function chainToClipboard(slots: FxSlotContent[]): string {
  return JSON.stringify({ format: 'velmora-effect-chain', version: 1, slots }, null, 2);
}

/** Slots of a copied chain (at most five apply); null when the text is not a chain. */
export function chainFromClipboard(text: string): FxSlotContent[] | null {
  let o: unknown;
  try {
    o = JSON.parse(text);
  } catch {
    return null;
  }
  const r = o as { format?: unknown; slots?: unknown };
  if (!r || typeof r !== 'object' || r.format !== 'velmora-effect-chain' || !Array.isArray(r.slots)) return null;
  const out: FxSlotContent[] = [];
  for (const raw of r.slots) {
    const s = raw as { type?: unknown; params?: unknown; bypass?: unknown };
    if (!s || typeof s !== 'object' || Array.isArray(s)) return null;
    if (typeof s.type !== 'number' || !Number.isFinite(s.type) || !Array.isArray(s.params)) return null;
    const params = Array.from({ length: 8 }, (_, p) => {
      const v = (s.params as unknown[])[p];
      return typeof v === 'number' && Number.isFinite(v) ? clamp01(v) : 0;
    });
    out.push({ type: Math.max(0, Math.min(15, Math.round(s.type))), bypass: s.bypass === true, params });
  }
  return out.slice(0, kNumFxSlots);
}

/** The parameter writes that put `slots` into slots 0.. of the chain (type as t / 15). */
export function chainWrites(slots: FxSlotContent[], first = 0): { index: number; value: number }[] {
  const out: { index: number; value: number }[] = [];
  slots.forEach((c, k) => {
    const s = first + k;
    out.push({ index: fxTypeParam(s), value: c.type / 15 });
    c.params.forEach((v, p) => out.push({ index: fxParam(s, p), value: v }));
    out.push({ index: fxBypassParam(s), value: c.bypass ? 1 : 0 });
  });
  return out;
}

const sameSlot = (a: FxSlotContent, b: FxSlotContent) => a.type === b.type && a.bypass === b.bypass && a.params.every((v, p) => v === b.params[p]);

/** Moves slot `from` to position `to`; the result lists only the slots whose content changed, with their positions. */
export function reorderChain(slots: FxSlotContent[], from: number, to: number): { slot: number; content: FxSlotContent }[] {
  const next = slots.slice();
  const [moved] = next.splice(from, 1);
  next.splice(to, 0, moved);
  return next.map((content, slot) => ({ slot, content })).filter(({ slot, content }) => !sameSlot(content, slots[slot]));
}

/** Module kinds and their parameters as Upper indices, in clipboard order. */
export const kModuleKinds: Record<string, readonly number[]> = {
  'lfo-1': [50, 52, 51, 181, 182],
  'vco-mod': [53, 54],
  pwm: [55, 56, 57, 58],
  'key-follow': [18, 19],
  'vco-1': [59, 60, 61, 20, 21, 22],
  'vco-2': [23, 24, 26, 25],
  mixer: [27],
  hpf: [28],
  vcf: [29, 30, 31, 32, 33, 34, 35],
  vca: [36, 37],
  dynamics: [63, 64, 65],
  env: [38, 39, 40, 41, 42, 43],
  master: [1, 2, 169],
  'key-mode': [3, 4],
  balance: [5],
  'oct-shift': [6],
  'assign-mode': [7, 8, 9],
  glide: [10],
  'pitch-bend': [11, 12, 13],
  'after-touch': [14, 16, 15, 185, 186],
};

/** The parameters of one module on screen: its part, and for "env" which envelope (0 or 1). */
export function moduleParams(kind: string, part: Part, envelope = 0): number[] {
  const list = kModuleKinds[kind] ?? [];
  return list.map((u) => {
    const i = kind === 'env' ? u + 6 * envelope : u;
    return part === 'lower' ? counterpart(i) ?? i : i;
  });
}

export interface ModuleClip {
  kind: string;
  params: { id: number; value: number }[];
}

export function moduleToClipboard(kind: string, indices: number[], read: (i: number) => number): string {
  return JSON.stringify({ format: 'velmora-module', version: 1, kind, params: indices.map((id) => ({ id, value: read(id) })) }, null, 2);
}

/** A copied module, only when it fits a module of `kind` with `count` parameters. */
export function moduleFromClipboard(text: string, kind: string, count: number): ModuleClip | null {
  let o: unknown;
  try {
    o = JSON.parse(text);
  } catch {
    return null;
  }
  const r = o as { format?: unknown; kind?: unknown; params?: unknown };
  if (!r || typeof r !== 'object' || r.format !== 'velmora-module' || r.kind !== kind || !Array.isArray(r.params) || r.params.length !== count) return null;
  const params: ModuleClip['params'] = [];
  for (const raw of r.params) {
    const p = raw as { id?: unknown; value?: unknown };
    if (!p || typeof p.id !== 'number' || !Number.isInteger(p.id) || typeof p.value !== 'number' || !Number.isFinite(p.value)) return null;
    params.push({ id: p.id, value: clamp01(p.value) });
  }
  return { kind, params };
}
