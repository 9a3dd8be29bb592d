// Moving a value between two different parameters (ENV-1 into ENV-2, Upper into Lower) by its real value.
import { normalizedToReal } from '../model/displayValue';
import { paramInfo } from '../model/paramInfo';
import { kNumSoundParams } from '../model/paramLayout';
import { params, realToNormalized } from './params';

function range(i: number): { min: number; max: number } {
  const d = params[i]?.desc.peek();
  if (d) return { min: d.min, max: d.max };
  const p = paramInfo(i);
  return { min: p.min, max: p.max };
}

/** A value copied from `from` for `to`: the same normalized value, or the same real value when they differ. */
export function convertValue(from: number, to: number, value: number): number {
  if (from === to || from < 0 || from >= kNumSoundParams) return value;
  const real = normalizedToReal(from, value, range(from));
  const r = range(to);
  return realToNormalized(to, real, r.min, r.max);
}
