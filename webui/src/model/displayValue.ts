// Normalized value to the real value the page shows, and its text, until the processor's own value arrives.
import { kDisplayCurves, type DisplayCurve } from '../generated/curves';
import { paramInfo } from './paramInfo';

const clamp01 = (x: number) => (x < 0 ? 0 : x > 1 ? 1 : x);

export function curveValue(c: DisplayCurve, x: number): number {
  x = clamp01(x);
  if (c.interp === 'lfo2-rate') return c.min > 0 && c.min < c.max ? c.min * Math.pow(c.max / c.min, Math.pow(x, 0.33)) : c.min;
  if (c.interp === 'pulse-width') return (1 - x) * 50;
  const n = c.samples.length - 1;
  const pos = x * n;
  const k = Math.min(n - 1, Math.floor(pos));
  const t = pos - k;
  const a = c.samples[k];
  const b = c.samples[k + 1];
  if (c.interp === 'geometric' && b > a && a > 0) return a * Math.pow(b / a, t);
  return a + (b - a) * t;
}

/** Real value of index i at normalized x; range from the schema when known, else the page's own. */
export function normalizedToReal(i: number, x: number, range?: { min: number; max: number }): number {
  const info = paramInfo(i);
  const min = range ? range.min : info.min;
  const max = range ? range.max : info.max;
  if (info.enumTexts) return Math.round(clamp01(x) * (info.enumTexts.length - 1));
  const curve = kDisplayCurves[i];
  if (curve) return curveValue(curve, x);
  return min + (max - min) * clamp01(x);
}

/** Index of an enumerated value held as normalized x among n values. */
export function enumIndex(x: number, n: number): number {
  return Math.max(0, Math.min(n - 1, Math.round(clamp01(x) * (n - 1))));
}

export function formatReal(i: number, real: number): string {
  const info = paramInfo(i);
  if (info.enumTexts) {
    const k = Math.max(0, Math.min(info.enumTexts.length - 1, Math.round(real)));
    return info.enumTexts[k];
  }
  if (i >= 189) {
    const cc = Math.round(real);
    return cc >= 0 && cc <= 127 ? `CC ${cc}` : '—';
  }
  if (info.unit === 'Hz' && real >= 1000) return `${(real / 1000).toFixed(2)} kHz`;
  if (info.unit === 'ms' && real >= 1000) return `${(real / 1000).toFixed(2)} s`;
  // Two decimals are all a slider label has room for; large values keep at most one.
  const digits = Math.min(info.decimals, Math.abs(real) >= 100 ? 1 : 2);
  const text = real.toFixed(digits);
  return info.unit ? `${text} ${info.unit}` : text;
}
