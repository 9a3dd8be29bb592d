// Real values and texts the page shows before the processor's own values arrive.
import { describe, expect, it } from 'vitest';
import { formatReal, normalizedToReal } from './displayValue';

describe('display curves', () => {
  it.each([
    ['VCF Cutoff at 0, 0.5, 1', 29, [0, 0.5, 1], [5, 548.75, 30000]],
    ['VCF Cutoff between samples (geometric)', 29, [0.05, 0.1], [5 * Math.pow(4, 1 / 3), 5 * Math.pow(4, 2 / 3)]],
    ['ENV1 Attack', 38, [0, 0.5, 1], [2.5312, 206.625, 20352.0833]],
    ['Lower ENV1 Attack (same table)', 87, [0.5], [206.625]],
    ['Portamento', 10, [0.5, 0.55, 1], [28, 46.5, 2645]],
    ['LFO2 Rate formula', 15, [0.5, 0.25], [3.897, 1.267]],
    ['Pulse Width formula', 55, [0, 0.5, 1], [50, 25, 0]],
    ['LFO Rate (geometric, no point at 5)', 50, [0, 0.05, 0.1], [0.02, Math.sqrt(0.02 * 0.0337), 0.0337]],
    ['Dynamics Time flat segment', 63, [0.2, 0.22, 0.25], [0.0838, 0.0838, 0.0838]],
    ['linear Tune', 1, [0, 0.5, 1], [-100, 0, 100]],
    ['enumerated Key Mode', 3, [0.49, 0.5], [1, 2]],
    ['controller assignment', 189, [0, 0.5], [-1, 63]],
  ])('%s', (_n, i, xs, ys) => {
    xs.forEach((x, k) => expect(normalizedToReal(i, x)).toBeCloseTo(ys[k], 3));
  });

  it('formats with the unit and the value texts', () => {
    expect(formatReal(29, 548.75)).toBe('548.8 Hz');
    expect(formatReal(29, 4000)).toBe('4.00 kHz');
    expect(formatReal(3, 2)).toBe('Split-1');
    expect(formatReal(182, 8)).toBe('1/4');
    expect(formatReal(189 + 29, -1)).toBe('—');
    expect(formatReal(0, -12)).toBe('-12.0 dB');
  });
});
