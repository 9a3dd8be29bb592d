// Effect types in menu order and the display mapping of their knobs.
import { describe, expect, it } from 'vitest';
import { formatKnob, fxTypeById, fxTypeIndex, knobValue, kFxTypes, visibleKnobs } from './effects';

const knob = (id: number, label: string) => fxTypeById(id).knobs.find((k) => k.label === label)!;

describe('effect knobs', () => {
  it('offers the types in menu order, Pitch Chorus after Studio Chorus', () => {
    expect(kFxTypes.map((t) => t.id)).toEqual([0, 1, 2, 11, 3, 4, 5, 6, 7, 8, 9, 10, 12]);
    expect(fxTypeById(14).name).toBe('Off');
  });

  it('decodes the type from t / 15', () => {
    expect(fxTypeIndex(4 / 15)).toBe(4);
    expect(fxTypeIndex(1)).toBe(15);
  });

  it.each([
    ['centred halves', knob(1, 'Width'), [0, 0.25, 0.5, 1], [0, 50, 100, 200]],
    ['centred gain', knob(7, 'Low Gain'), [0, 0.5, 0.75, 1], [-36, 0, 6, 12]],
    ['logarithmic', knob(4, 'Tone'), [0, 1], [500, 18000]],
    ['squared ratio', knob(8, 'Ratio'), [0, 0.5, 1], [1, 1 + 19 * 0.25, 20]],
    ['linear', knob(9, 'Drive'), [0, 0.5, 1], [0, 18, 36]],
  ])('%s', (_n, k, xs, ys) => {
    xs.forEach((x, i) => expect(knobValue(k, x)).toBeCloseTo(ys[i], 9));
  });

  it('maps enumerated knobs to round(v x (n - 1))', () => {
    const mode = knob(10, 'Mode');
    expect([0, 0.24, 0.26, 0.76, 1].map((v) => formatKnob(mode, v))).toEqual(['Hall', 'Hall', 'Plate', 'Room', 'Room']);
    expect(knobValue(knob(3, 'Rate'), 0.5)).toBeCloseTo(Math.sqrt(0.05 * 6), 9);
  });

  it('shows the Delay time as a note value in Sync and in milliseconds in Free', () => {
    const delay = fxTypeById(4);
    const labels = (mode: number) => visibleKnobs(delay, (p) => (p === 0 ? mode : 0)).map((k) => `${k.label}:${k.p}`);
    expect(labels(0)).toContain('Time:1');
    expect(labels(0)).not.toContain('Time:2');
    expect(labels(1)).toContain('Time:2');
    expect(labels(1)).not.toContain('Time:1');
  });
});
