// The parameter store: schema description, normalized value and shown real value of each of the 378 parameters.
import { signal, type Signal } from '@preact/signals';
import { kNumParams } from '../model/paramLayout';
import { normalizedToReal } from '../model/displayValue';
import { kDisplayCurves } from '../generated/curves';
import { paramInfo } from '../model/paramInfo';

export interface ParamDesc {
  id: number;
  name: string;
  type?: string;
  min: number;
  max: number;
  default: number;
  displayType: number;
}

export interface ParamSlot {
  desc: Signal<ParamDesc | null>;
  norm: Signal<number>;
  real: Signal<number>;
}

function makeSlot(i: number): ParamSlot {
  const info = paramInfo(i);
  const range = info.max - info.min;
  const norm = info.enumTexts || !kDisplayCurves[i] ? (range > 0 ? (info.def - info.min) / range : 0) : 0;
  return { desc: signal(null), norm: signal(norm), real: signal(info.def) };
}

export const params: ParamSlot[] = Array.from({ length: kNumParams }, (_, i) => makeSlot(i));
export const schemaReady = signal(false);

export const readNorm = (i: number): number => params[i]?.norm.peek() ?? 0;

function rangeOf(i: number): { min: number; max: number } | undefined {
  const d = params[i].desc.peek();
  return d ? { min: d.min, max: d.max } : undefined;
}

/** Stores a normalized value and recomputes the real value from the page's own curves. */
export function setNorm(i: number, x: number): void {
  const slot = params[i];
  if (!slot || !Number.isFinite(x)) return;
  const v = Math.min(1, Math.max(0, x));
  slot.norm.value = v;
  slot.real.value = normalizedToReal(i, v, rangeOf(i));
}

/** The processor's exact real value; it wins over the page's estimate until the next change. */
export function setReal(i: number, real: number): void {
  const slot = params[i];
  if (slot && Number.isFinite(real)) slot.real.value = real;
}

/** Normalized value of a real value by searching the display curve (used for schema defaults). */
export function realToNormalized(i: number, real: number, min: number, max: number): number {
  const info = paramInfo(i);
  if (info.enumTexts) return max > min ? (real - min) / (max - min) : 0;
  if (!kDisplayCurves[i]) return max > min ? Math.min(1, Math.max(0, (real - min) / (max - min))) : 0;
  // Bisection over the monotone forward curve (Pulse Width falls, every other curve rises).
  const rising = normalizedToReal(i, 1, { min, max }) >= normalizedToReal(i, 0, { min, max });
  let lo = 0;
  let hi = 1;
  for (let k = 0; k < 40; k++) {
    const mid = (lo + hi) / 2;
    const v = normalizedToReal(i, mid, { min, max });
    if (rising ? v < real : v > real) lo = mid;
    else hi = mid;
  }
  return hi;
}

interface RawDesc {
  id?: unknown;
  name?: unknown;
  type?: unknown;
  min?: unknown;
  max?: unknown;
  default?: unknown;
  display_type?: unknown;
}

/** Registers the schema: every parameter gets its description and its default as value. Returns the count taken. */
export function registerSchema(list: unknown[]): number {
  let n = 0;
  for (const raw of list) {
    const r = raw as RawDesc;
    if (!r || typeof r.id !== 'number' || !params[r.id]) continue;
    const min = Number(r.min);
    const max = Number(r.max);
    const def = Number(r.default);
    const desc: ParamDesc = {
      id: r.id,
      name: typeof r.name === 'string' ? r.name : paramInfo(r.id).name,
      type: typeof r.type === 'string' ? r.type : undefined,
      min: Number.isFinite(min) ? min : 0,
      max: Number.isFinite(max) ? max : 1,
      default: Number.isFinite(def) ? def : 0,
      displayType: Number(r.display_type) || 0,
    };
    params[r.id].desc.value = desc;
    setNorm(r.id, realToNormalized(r.id, desc.default, desc.min, desc.max));
    n++;
  }
  schemaReady.value = true;
  return n;
}

/** Normalized default of a parameter (schema when known, else the page's table). */
export function defaultNorm(i: number): number {
  const d = params[i]?.desc.peek();
  if (d) return realToNormalized(i, d.default, d.min, d.max);
  const info = paramInfo(i);
  return realToNormalized(i, info.def, info.min, info.max);
}
